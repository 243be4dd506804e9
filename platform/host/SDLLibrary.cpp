#include "platform/host/SDLLibrary.h"

#include "platform/foundation/DynamicLibrary.h"

#include <memory>
#include <mutex>

std::shared_ptr<const SDLLibrary> SDLLibrary::load(const std::string& path, std::string& reason)
{
    std::string failure;
    auto library = DynamicLibrary::open(path, failure);
    if (!library) {
        reason = "the window library could not be loaded (" + failure + ")";
        return nullptr;
    }
    auto table = std::make_shared<SDLLibrary>();
    bool bound = true;
#define CORVANE_SDL_BIND(name) bound = bound && library->bind(table->name, "SDL_" #name, failure);
    CORVANE_SDL_FUNCTIONS(CORVANE_SDL_BIND)
#undef CORVANE_SDL_BIND
    if (!bound) {
        reason = "the window library is not the one expected (" + failure + ")";
        library->close();
        return nullptr;
    }
    return table;
}

const SDLLibrary* SDLLibrary::shared(std::string& reason)
{
    static std::once_flag once;
    static std::shared_ptr<const SDLLibrary> loaded;
    static std::string failure;
    std::call_once(once, [] { loaded = load(fileName, failure); });
    if (!loaded)
        reason = failure;
    return loaded.get();
}
