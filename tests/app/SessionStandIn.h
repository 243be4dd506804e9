#pragma once
// The stand-in of a scripted session. Each reply closes its connection, so stopping never waits
// for idle clients; and a request may take as long to arrive whole as any wait of the session
// takes, for on a loaded machine under the sanitizers the client's network thread can be slow to
// send what it has connected for.

#include "tests/support/Waiting.h"
#include "tools/service-standin/ServiceStandIn.h"

inline standin::Options sessionStandIn(standin::Options options = {})
{
    options.requestDeadline = std::chrono::seconds(static_cast<long>(testing_support::kSessionWaitSeconds));
    options.keepAlive = false;
    return options;
}
