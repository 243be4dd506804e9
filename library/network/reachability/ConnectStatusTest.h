#pragma once
// Shows the reachability monitor at work: watches a probe host and logs each change of its state.
// The monitors it starts keep themselves alive while their notifier runs.

#include "platform/foundation/NSNotification.h"
#include "platform/foundation/NSString.h"

#include <memory>

class ConnectStatusTest {
public:
    static const char* const probeHost;

    // Logs the current state and then every change through the change notification.
    static void demoNotifier();
    // The same, and the monitor's own blocks log whether the network can be used.
    static void deomBlock();
    // The handler of the change notification; its object is the monitor.
    static void reachabilityChanged(const std::shared_ptr<NSNotification>& notification);
};
