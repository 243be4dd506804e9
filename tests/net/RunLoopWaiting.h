#pragma once
// Runs the calling thread's run loop until a condition holds, for at most a bounded real time:
// the waits of these tests are for real I/O on loopback, never for a timed assertion.

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSRunLoop.h"

#include <chrono>
#include <functional>

inline bool runUntil(const std::function<bool()>& done, double seconds = 20)
{
    auto runLoop = NSRunLoop::currentRunLoop();
    // A port keeps the loop waiting for input instead of returning at once when nothing else
    // is registered in the mode.
    static thread_local auto port = [&] {
        auto keepAlive = NSMachPort::port();
        runLoop->addPort(keepAlive, NSDefaultRunLoopMode);
        return keepAlive;
    }();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        runLoop->runMode(NSDefaultRunLoopMode, NSDate::dateWithTimeIntervalSinceNow(0.02));
    return done();
}
