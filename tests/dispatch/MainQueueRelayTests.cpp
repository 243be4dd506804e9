#include "platform/dispatch/MainQueueRelay.h"

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSThread.h"

#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

// A thread whose run loop the relay runs for the rest of the process, as the networking thread's.
std::shared_ptr<NSThread> relayThread(const std::shared_ptr<MainQueueRelay>& relay)
{
    auto thread = NSThread::create([relay] {
        NSRunLoop::currentRunLoop()->addPort(NSMachPort::port(), NSDefaultRunLoopMode);
        relay->runCurrentRunLoop(NSRunLoopMode(NSDefaultRunLoopMode));
    });
    thread->start();
    return thread;
}

TEST(MainQueueRelay, blocksFromAnyThreadRunOnTheMainThreadInTheOrderHandedOver)
{
    auto relay = std::make_shared<MainQueueRelay>();
    std::vector<std::string> order;
    bool allOnMain = true;
    auto worker = dispatch_queue_create("relay.poster", DISPATCH_QUEUE_SERIAL);
    dispatch_async(worker, [&, relay] {
        for (const char* name : { "a", "b", "c", "d" }) {
            relay->post([&, name] {
                allOnMain = allOnMain && NSThread::isMainThread();
                order.push_back(name);
            });
        }
    });
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return order.size() == 4; }));
    EXPECT_EQ(order, (std::vector<std::string> { "a", "b", "c", "d" }));
    EXPECT_TRUE(allOnMain);
}

TEST(MainQueueRelay, aPassOfTheRelayedRunLoopWakesTheMainThreadOnceAtItsEnd)
{
    auto relay = std::make_shared<MainQueueRelay>();
    auto thread = relayThread(relay);
    std::vector<std::string> order;
    // Within one pass: the relay holds "a" and "b" until the pass ends, so the block queued
    // directly in between reaches the main thread first, and the held two follow together.
    thread->performBlock([&, relay] {
        relay->post([&] { order.push_back("a"); });
        dispatch_async(dispatch_get_main_queue(), [&] { order.push_back("direct"); });
        relay->post([&] { order.push_back("b"); });
    }, false);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<std::string> { "direct", "a", "b" }));
}

TEST(MainQueueRelay, aBlockThatMayWaitStillArrivesWhenNothingFollowsIt)
{
    auto relay = std::make_shared<MainQueueRelay>();
    auto thread = relayThread(relay);
    bool arrived = false;
    thread->performBlock([&, relay] { relay->post([&] { arrived = true; }, true); }, false);
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return arrived; }));
}

TEST(MainQueueRelay, aFlushLetsTheHeldBlocksGoBeforeThePassEnds)
{
    auto relay = std::make_shared<MainQueueRelay>();
    auto thread = relayThread(relay);
    std::vector<std::string> order;
    std::atomic<bool> firstRan { false };
    std::atomic<bool> ranBeforeThePassEnded { false };
    thread->performBlock([&, relay] {
        relay->post([&] { order.push_back("a"); }, true);
        relay->post([&] {
            order.push_back("b");
            firstRan = true;
        });
        relay->flush();
        // Still inside the pass: the main thread gets the two without its end.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!firstRan && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::yield();
        ranBeforeThePassEnded = firstRan.load();
        relay->post([&] { order.push_back("c"); });
    }, false);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return order.size() == 3; }));
    EXPECT_TRUE(ranBeforeThePassEnded);
    EXPECT_EQ(order, (std::vector<std::string> { "a", "b", "c" }));
}

} // namespace
