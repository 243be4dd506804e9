#pragma once
// What the service tests share: the callbacks a screen would pass, recorded with the thread they
// ran on, the "Corvane_restart" codes posted, and a clean session (no cookies, no session id).

#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceRoad.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/net/NSHTTPCookieStorage.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

struct ServiceReplyRecord {
    bool succeeded { false };
    bool failed { false };
    bool onMainThread { false };
    id object;
    std::shared_ptr<NSError> error;
    bool done() const { return succeeded || failed; }
};

class ServiceFixture : public testing::Test {
protected:
    void SetUp() override
    {
        NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
        auto defaults = NSUserDefaults::standardUserDefaults();
        defaults->removeObjectForKey(kSessionIdKey);
        defaults->removeObjectForKey(kSessionCookiesKey);
        m_restartObserver = NSNotificationCenter::defaultCenter()->addObserverForName(kCorvaneRestartNotification, nullptr, nullptr,
            [this](const std::shared_ptr<NSNotification>& notification) {
                auto code = ns::cast<NSNumber>(notification->object());
                restartCodes.push_back(code ? code->intValue() : 0);
            });
        m_startObserver = NSNotificationCenter::defaultCenter()->addObserverForName(RQNetworkingOperationDidStartNotification, nullptr,
            nullptr, [this](const std::shared_ptr<NSNotification>&) { ++m_started; });
        m_finishObserver = NSNotificationCenter::defaultCenter()->addObserverForName(RQNetworkingOperationDidFinishNotification, nullptr,
            nullptr, [this](const std::shared_ptr<NSNotification>&) { ++m_finished; });
    }

    void TearDown() override
    {
        // The callbacks come before the operations are done with the network thread; the process
        // must not end under a request that is still finishing.
        testing_support::runLoopUntil([this] { return m_finished >= m_started; }, 5);
        auto center = NSNotificationCenter::defaultCenter();
        center->removeObserver(m_restartObserver);
        center->removeObserver(m_startObserver);
        center->removeObserver(m_finishObserver);
    }

    static HttpServiceSuccess recordSuccess(ServiceReplyRecord& record)
    {
        return [&record](const id& object) {
            record.succeeded = true;
            record.onMainThread = NSThread::isMainThread();
            record.object = object;
        };
    }

    static HttpServiceFailure recordFailure(ServiceReplyRecord& record)
    {
        return [&record](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>& error) {
            record.failed = true;
            record.onMainThread = NSThread::isMainThread();
            record.error = error;
        };
    }

    // Waits for the reply, or for a forced re-login, which must come without any callback.
    static bool waitFor(const ServiceReplyRecord& record) { return testing_support::runLoopUntil([&] { return record.done(); }); }
    bool waitForRestart(const ServiceReplyRecord& record)
    {
        const bool posted = testing_support::runLoopUntil([&] { return !restartCodes.empty(); });
        testing_support::runLoopUntil([] { return false; }, 0.1);
        return posted && !record.done();
    }

    std::vector<int> restartCodes;

private:
    id m_restartObserver;
    id m_startObserver;
    id m_finishObserver;
    int m_started { 0 };
    int m_finished { 0 };
};
