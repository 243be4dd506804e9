#include "platform/host/DesktopURLOpener.h"

#include "platform/foundation/NSLog.h"

#include <glib.h>

namespace DesktopURLOpener {

bool openURL(const std::shared_ptr<NSURL>& url)
{
    if (!url)
        return false;
    const NSString scheme = url->scheme().lowercaseString();
    if (!scheme.isEqualToString("http") && !scheme.isEqualToString("https")) {
        NSLog("No program opens %@ here", url);
        return false;
    }
    const std::string address = url->absoluteString().UTF8String();
    gchar* argv[] = { const_cast<gchar*>("xdg-open"), const_cast<gchar*>(address.c_str()), nullptr };
    GError* error = nullptr;
    // Without a child watch GLib reaps the handler itself, through a process in between.
    const bool started = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &error);
    if (!started) {
        NSLog("The desktop's handler for %@ did not start: %s", url, error ? error->message : "unknown error");
        g_clear_error(&error);
    }
    return started;
}

} // namespace DesktopURLOpener
