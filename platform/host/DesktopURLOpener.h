#pragma once
// The window host's way of opening web addresses: an http or https URL goes to the desktop's
// default handler (`xdg-open`, found on the PATH), started without waiting and left to run on its
// own. Other schemes open nothing here, with one line in the log, as in the headless host.

#include "platform/net/NSURL.h"

namespace DesktopURLOpener {

// Whether the handler was started for the URL.
bool openURL(const std::shared_ptr<NSURL>& url);

} // namespace DesktopURLOpener
