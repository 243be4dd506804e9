#pragma once
// The window whose screens a panel goes over when the caller names no view of its own. An
// alert's window stays key while it fades out and is hidden after, with whatever was added to
// it, so a panel raised from an alert's button goes on the topmost window that shows screens.
// Main thread only.

#include "platform/uikit/UIWindow.h"

namespace ScreenWindow {

// The key window while it shows screens, else the topmost visible window that does, else the
// key window.
std::shared_ptr<UIWindow> current();
// The view a panel asked for on `requested` goes on: the requested view itself, unless it is nil
// or a window that shows no screens; then the top screen's view of current(), or the window.
UIViewRef hostFor(const UIViewRef& requested);

} // namespace ScreenWindow
