#pragma once
// A visit of every screen of the demonstration on the headless host: the list, a row's form
// filled in, the notice over it, and back to the list. Each screen is handed to the visitor
// once it has settled.

#include "platform/host/HeadlessHost.h"
#include "tools/demo/DemoScreens.h"

#include <functional>
#include <string>

namespace DemoTour {

// Launches the demonstration on the host; its delegate, or nil when the launch failed.
std::shared_ptr<DemoAppDelegate> launch(HeadlessHost& host);
// False, with the step that failed, when a screen did not come as expected.
bool visitEveryScreen(HeadlessHost& host, DemoAppDelegate& application,
    const std::function<void(const std::string& screenName)>& visited, std::string* failedStep = nullptr);

} // namespace DemoTour
