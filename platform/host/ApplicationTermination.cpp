#include "platform/host/ApplicationTermination.h"

#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/layers/CATransaction.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScrollView.h"

#include <algorithm>
#include <chrono>

bool ApplicationTermination::terminateAndWait(NSTimeInterval bound)
{
    auto application = UIApplication::sharedApplication();
    application->terminate();
    auto loop = NSRunLoop::mainRunLoop();
    const auto mode = UIScrollView::mainRunLoopMode();
    // Keeps the loop waiting for the replies instead of returning at once.
    auto port = NSMachPort::port();
    loop->addPort(port, mode);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(bound);
    while (application->backgroundTaskCount() > 0) {
        const std::chrono::duration<double> left = deadline - std::chrono::steady_clock::now();
        if (left.count() <= 0)
            break;
        loop->runInMode(mode, std::min(left.count(), 0.05), true);
        CATransaction::flush();
    }
    loop->removePort(port, mode);
    return application->backgroundTaskCount() == 0;
}
