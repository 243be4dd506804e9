#include "library/network/request/RQHTTPRequestOperation.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/net/NSURL.h"
#include "platform/net/NSURLRequest.h"

#include "tests/support/OtherProcess.h"

#include <gtest/gtest.h>

// The networking thread and the queue workers go on running while the process's static objects
// are destroyed; requests that finish then must find the main thread and its queues intact.
TEST(ProcessExit, endsCleanlyWithRequestsStillFinishing)
{
    for (int round = 0; round < 8; ++round)
        EXPECT_TRUE(passesInAnotherProcess("ProcessExitChild.DISABLED_leavesRequestsFinishing")) << "round " << round;
}

TEST(ProcessExitChild, DISABLED_leavesRequestsFinishing)
{
    // Nothing listens on the discard port, so each request fails at once on the networking thread.
    auto request = NSURLRequest::requestWithURL(NSURL::URLWithString("http://127.0.0.1:9/"));
    auto queue = NSOperationQueue::create();
    for (int index = 0; index < 40; ++index) {
        auto operation = RQHTTPRequestOperation::create(request);
        queue->addOperation(operation);
        if (index % 2)
            operation->cancel();
    }
}
