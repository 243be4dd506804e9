#include "platform/sysconfig/CaptiveNetwork.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSThread.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <thread>

namespace {

constexpr SCNetworkReachabilityFlags kLoopbackFlags = kSCNetworkReachabilityFlagsReachable
    | kSCNetworkReachabilityFlagsIsLocalAddress | kSCNetworkReachabilityFlagsIsDirect;

sockaddr_in IPv4(const char* text)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, text, &address.sin_addr);
    return address;
}

bool runMainUntil(const std::function<bool()>& done)
{
    auto runLoop = NSRunLoop::currentRunLoop();
    static auto port = [&] {
        auto keepAlive = NSMachPort::port();
        runLoop->addPort(keepAlive, NSDefaultRunLoopMode);
        return keepAlive;
    }();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        runLoop->runMode(NSDefaultRunLoopMode, NSDate::dateWithTimeIntervalSinceNow(0.02));
    return done();
}

// Runs the main loop a little and says whether anything more arrived.
void settle()
{
    for (int pass = 0; pass < 5; ++pass)
        NSRunLoop::currentRunLoop()->runMode(NSDefaultRunLoopMode, NSDate::dateWithTimeIntervalSinceNow(0.01));
}

class Simulation : public testing::Test {
protected:
    void TearDown() override { SCNetworkReachabilityEndSimulation(); }
};

} // namespace

TEST(SCNetworkReachability, loopbackIsReachableLocalAndDirectByAddressAndByName)
{
    auto loopback = IPv4("127.0.0.1");
    SCNetworkReachabilityFlags flags = 0;
    ASSERT_TRUE(SCNetworkReachabilityGetFlags(SCNetworkReachabilityCreateWithAddress(reinterpret_cast<sockaddr*>(&loopback)), &flags));
    EXPECT_EQ(flags, kLoopbackFlags);

    ASSERT_TRUE(SCNetworkReachabilityGetFlags(SCNetworkReachabilityCreateWithName("127.0.0.1"), &flags));
    EXPECT_EQ(flags, kLoopbackFlags);
    ASSERT_TRUE(SCNetworkReachabilityGetFlags(SCNetworkReachabilityCreateWithName("localhost"), &flags));
    EXPECT_TRUE(flags & kSCNetworkReachabilityFlagsReachable);
    EXPECT_TRUE(flags & kSCNetworkReachabilityFlagsIsLocalAddress);
    EXPECT_FALSE(flags & kSCNetworkReachabilityFlagsIsWWAN);
}

TEST(SCNetworkReachability, IPv6LoopbackIsLocalWhereTheMachineHasIPv6)
{
    sockaddr_in6 loopback {};
    loopback.sin6_family = AF_INET6;
    loopback.sin6_addr = in6addr_loopback;
    auto target = SCNetworkReachabilityCreateWithAddress(reinterpret_cast<sockaddr*>(&loopback));
    ASSERT_TRUE(target);
    SCNetworkReachabilityFlags flags = 0;
    ASSERT_TRUE(SCNetworkReachabilityGetFlags(target, &flags));
    if (flags != 0) {
        EXPECT_EQ(flags, kLoopbackFlags);
    }
    EXPECT_NE(target->description().UTF8String().find("::1"), std::string::npos);
    sockaddr_in6 zero {};
    zero.sin6_family = AF_INET6;
    EXPECT_TRUE(SCNetworkReachabilityGetFlags(SCNetworkReachabilityCreateWithAddress(reinterpret_cast<sockaddr*>(&zero)), &flags));
}

TEST(SCNetworkReachability, nameThatDoesNotResolveIsNotReachable)
{
    SCNetworkReachabilityFlags flags = 99;
    EXPECT_TRUE(SCNetworkReachabilityGetFlags(SCNetworkReachabilityCreateWithName("no-such-host.invalid"), &flags));
    EXPECT_EQ(flags, 0u);
}

TEST(SCNetworkReachability, zeroAddressAsksForADefaultRouteAndAnswersEitherWay)
{
    auto zero = IPv4("0.0.0.0");
    auto target = SCNetworkReachabilityCreateWithAddress(reinterpret_cast<sockaddr*>(&zero));
    ASSERT_TRUE(target);
    SCNetworkReachabilityFlags flags = 0;
    EXPECT_TRUE(SCNetworkReachabilityGetFlags(target, &flags));
    // Whatever the machine's routes, the internet in general is never a local address.
    EXPECT_FALSE(flags & kSCNetworkReachabilityFlagsIsLocalAddress);
}

TEST(SCNetworkReachability, refusesTargetsItCannotWatch)
{
    EXPECT_FALSE(SCNetworkReachabilityCreateWithName(""));
    EXPECT_FALSE(SCNetworkReachabilityCreateWithName(nullptr));
    sockaddr unknown {};
    unknown.sa_family = AF_UNIX;
    EXPECT_FALSE(SCNetworkReachabilityCreateWithAddress(&unknown));
    EXPECT_FALSE(SCNetworkReachabilityCreateWithAddress(nullptr));
    SCNetworkReachabilityFlags flags = 7;
    EXPECT_FALSE(SCNetworkReachabilityGetFlags(nullptr, &flags));
    EXPECT_EQ(flags, 0u);
    EXPECT_FALSE(SCNetworkReachabilitySetCallback(nullptr, {}));
    EXPECT_FALSE(SCNetworkReachabilityScheduleWithRunLoop(nullptr, NSRunLoop::mainRunLoop(), NSDefaultRunLoopMode));
}

TEST(SCNetworkReachability, currentWiFiInformationIsNone)
{
    EXPECT_FALSE(CNCopySupportedInterfaces());
    EXPECT_FALSE(CNCopyCurrentNetworkInfo("en0"));
}

TEST_F(Simulation, changesReachTheScheduledRunLoopOncePerChange)
{
    auto target = SCNetworkReachabilityCreateWithName("127.0.0.1");
    std::vector<SCNetworkReachabilityFlags> seen;
    bool onMain = true;
    SCNetworkReachabilitySetCallback(target, [&](const SCNetworkReachabilityRef& sender, SCNetworkReachabilityFlags flags) {
        EXPECT_EQ(sender, target);
        onMain = onMain && NSThread::isMainThread();
        seen.push_back(flags);
    });
    ASSERT_TRUE(SCNetworkReachabilityScheduleWithRunLoop(target, NSRunLoop::mainRunLoop(), NSDefaultRunLoopMode));

    SCNetworkReachabilitySimulateFlags(0);
    ASSERT_TRUE(runMainUntil([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen[0], 0u);
    SCNetworkReachabilityFlags now = 1;
    SCNetworkReachabilityGetFlags(target, &now);
    EXPECT_EQ(now, 0u);

    SCNetworkReachabilitySimulateFlags(0);
    settle();
    EXPECT_EQ(seen.size(), 1u) << "the same state again is no change";

    SCNetworkReachabilitySimulateFlags(kSCNetworkReachabilityFlagsReachable);
    ASSERT_TRUE(runMainUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[1], kSCNetworkReachabilityFlagsReachable);

    SCNetworkReachabilityEndSimulation();
    ASSERT_TRUE(runMainUntil([&] { return seen.size() == 3; }));
    EXPECT_EQ(seen[2], kLoopbackFlags);
    EXPECT_TRUE(onMain);

    ASSERT_TRUE(SCNetworkReachabilityUnscheduleFromRunLoop(target, NSRunLoop::mainRunLoop(), NSDefaultRunLoopMode));
    SCNetworkReachabilitySimulateFlags(0);
    settle();
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(Simulation, changesReachADispatchQueueUntilDetached)
{
    auto target = SCNetworkReachabilityCreateWithName("127.0.0.1");
    std::atomic<int> calls { 0 };
    std::atomic<bool> offMain { true };
    std::atomic<SCNetworkReachabilityFlags> last { 99 };
    SCNetworkReachabilitySetCallback(target, [&](const SCNetworkReachabilityRef&, SCNetworkReachabilityFlags flags) {
        if (NSThread::isMainThread())
            offMain = false;
        last = flags;
        ++calls;
    });
    auto queue = dispatch_queue_create("org.corvane.tests.reachability", DISPATCH_QUEUE_SERIAL);
    ASSERT_TRUE(SCNetworkReachabilitySetDispatchQueue(target, queue));
    SCNetworkReachabilitySimulateFlags(kSCNetworkReachabilityFlagsConnectionRequired);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (calls == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(calls, 1);
    EXPECT_EQ(last, kSCNetworkReachabilityFlagsConnectionRequired);
    EXPECT_TRUE(offMain);

    ASSERT_TRUE(SCNetworkReachabilitySetDispatchQueue(target, nullptr));
    SCNetworkReachabilitySimulateFlags(0);
    dispatch_sync(queue, [] { });
    EXPECT_EQ(calls, 1);
}

TEST_F(Simulation, aTargetDroppedWhileScheduledIsNeverCalledAgain)
{
    int calls = 0;
    {
        auto target = SCNetworkReachabilityCreateWithName("127.0.0.1");
        SCNetworkReachabilitySetCallback(target, [&](const SCNetworkReachabilityRef&, SCNetworkReachabilityFlags) { ++calls; });
        SCNetworkReachabilityScheduleWithRunLoop(target, NSRunLoop::mainRunLoop(), NSDefaultRunLoopMode);
        // The look is queued on the loop, and the target goes before the loop runs it.
        SCNetworkReachabilitySimulateFlags(0);
    }
    settle();
    EXPECT_EQ(calls, 0);
}

TEST_F(Simulation, rescheduledTargetIgnoresLooksQueuedBeforehand)
{
    auto target = SCNetworkReachabilityCreateWithName("127.0.0.1");
    int calls = 0;
    SCNetworkReachabilitySetCallback(target, [&](const SCNetworkReachabilityRef&, SCNetworkReachabilityFlags) { ++calls; });
    SCNetworkReachabilityScheduleWithRunLoop(target, NSRunLoop::mainRunLoop(), NSDefaultRunLoopMode);
    SCNetworkReachabilitySimulateFlags(0);
    SCNetworkReachabilityUnscheduleFromRunLoop(target, NSRunLoop::mainRunLoop(), NSDefaultRunLoopMode);
    settle();
    EXPECT_EQ(calls, 0);
    EXPECT_NE(target->description().UTF8String().find("127.0.0.1"), std::string::npos);
}
