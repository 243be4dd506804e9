#pragma once
// The window library's functions the window host calls, opened with the first window rather than
// bound by the loader at start: a run without a window (the headless host, a first frame drawn for
// measuring) loads none of the display and sound libraries it brings.

#include <SDL.h>

#include <memory>
#include <string>

#define CORVANE_SDL_FUNCTIONS(F)                                                                    \
    F(CreateRenderer) F(CreateRGBSurfaceFrom) F(CreateTexture) F(CreateWindow) F(DestroyRenderer)   \
    F(DestroyTexture) F(DestroyWindow) F(free) F(FreeSurface) F(GetClipboardText) F(GetDisplayDPI)  \
    F(GetDisplayUsableBounds) F(GetError) F(GetRendererOutputSize) F(GetWindowID) F(GetWindowSize)  \
    F(HasClipboardText) F(HasEvents) F(InitSubSystem) F(PollEvent) F(QuitSubSystem) F(RenderClear) \
    F(RenderCopy) F(RenderPresent) F(SetClipboardText) F(SetHint) F(SetRenderDrawColor)             \
    F(SetTextInputRect) F(SetWindowIcon) F(SetWindowMinimumSize) F(StartTextInput)                  \
    F(StopTextInput) F(UpdateTexture)

class SDLLibrary {
public:
#define CORVANE_SDL_FUNCTION(name) decltype(&::SDL_##name) name { nullptr };
    CORVANE_SDL_FUNCTIONS(CORVANE_SDL_FUNCTION)
#undef CORVANE_SDL_FUNCTION

    // The library's file name, where the system looks for it.
    static constexpr const char* fileName = "libSDL2-2.0.so.0";

    // The process's table, loaded on the first call from any thread; nil, with the reason, when
    // the library or one of its functions is missing.
    static const SDLLibrary* shared(std::string& reason);
    // The table of the library at the path, or nil with the reason. A library found stays loaded.
    static std::shared_ptr<const SDLLibrary> load(const std::string& path, std::string& reason);
};
