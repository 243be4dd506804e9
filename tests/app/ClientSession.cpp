#include "tests/app/ClientSession.h"

#include "app/services/ServiceRoad.h"
#include "app/stores/UserManager.h"
#include "library/network/request/RQURLConnectionOperation.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/net/NSHTTPCookieStorage.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScrollView.h"
#include "tests/support/Waiting.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>

void ClientSession::SetUp()
{
    ASSERT_TRUE(standIn.start()) << standIn.lastError();
    ::setenv("CORVANE_MAIN_BASE_URL", standIn.mainBaseURL().c_str(), 1);
    ::setenv("CORVANE_PAYMENT_BASE_URL", standIn.paymentBaseURL().c_str(), 1);
    const std::string gateway = "http://127.0.0.1:" + std::to_string(standIn.paymentPort()) + "/gateway/cashier";
    ::setenv("CORVANE_PAYMENT_GATEWAY_URL", gateway.c_str(), 1);
    NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
    auto defaults = NSUserDefaults::standardUserDefaults();
    for (const char* key : { kSessionIdKey, kSessionCookiesKey, "DEPNAME", "PROVINCE" })
        defaults->removeObjectForKey(key);
    UserManager::shareInstance()->deleteLoginInfo();
    // Both notices come on the main queue, so the count is only touched on this thread.
    auto center = NSNotificationCenter::defaultCenter();
    const auto counted = [this](NSInteger step) {
        return [this, step](const std::shared_ptr<NSNotification>&) {
            requestsUnderWay += step;
            if (step > 0)
                ++requestsStarted;
        };
    };
    requestObservers = {
        center->addObserverForName(RQNetworkingOperationDidStartNotification, nullptr, nullptr, counted(1)),
        center->addObserverForName(RQNetworkingOperationDidFinishNotification, nullptr, nullptr, counted(-1)),
    };
    launch();
}

void ClientSession::TearDown()
{
    // Requests still under way end before the stand-in goes, so none fails into the next test.
    if (host) {
        EXPECT_TRUE(waitUntil([this] { return requestsUnderWay <= 0; })) << requestsUnderWay << " requests did not end";
    }
    for (const auto& observer : requestObservers)
        NSNotificationCenter::defaultCenter()->removeObserver(observer);
    requestObservers.clear();
    application.reset();
    host.reset();
    standIn.stop();
    ::unsetenv("CORVANE_PAYMENT_GATEWAY_URL");
}

void ClientSession::launch()
{
    host = HeadlessHost::create();
    application = AppDelegate::create();
    ASSERT_TRUE(host->launch(application));
    host->runUntilIdle();
}

std::shared_ptr<ViewController> ClientSession::loginScreen() const
{
    auto stack = navigation()->viewControllers();
    return stack.empty() ? nullptr : std::dynamic_pointer_cast<ViewController>(stack.front());
}

bool ClientSession::requestsAnsweredSince(NSInteger startedBefore)
{
    return waitUntil([this, startedBefore] { return requestsStarted > startedBefore && requestsUnderWay <= 0; });
}

bool ClientSession::waitUntil(const std::function<bool()>& done)
{
    if (!pumpUntil(done))
        return false;
    host->runUntilIdle();
    return true;
}

bool ClientSession::pumpUntil(const std::function<bool()>& done)
{
    auto loop = NSRunLoop::mainRunLoop();
    const auto mode = UIScrollView::mainRunLoopMode();
    // A port keeps the loop waiting for the next reply instead of returning at once when
    // nothing else is registered in the mode.
    auto keepWaiting = NSMachPort::port();
    loop->addPort(keepWaiting, mode);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(testing_support::kSessionWaitSeconds);
    host->drainRunLoop();
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        // Returns as soon as a reply is posted; the clock stays where it is.
        loop->runInMode(mode, 0.05, true);
        host->drainRunLoop();
    }
    loop->removePort(keepWaiting, mode);
    return done();
}

void ClientSession::withNetworkHeld(const std::function<void()>& steps)
{
    const auto limit = std::chrono::duration<double>(testing_support::kSessionWaitSeconds);
    // Shared with the block, which may outlive a failed wait.
    auto held = std::make_shared<std::promise<void>>();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    RQURLConnectionOperation::networkRequestThread()->performBlock([held, released, limit] {
        held->set_value();
        released.wait_for(limit);
    }, false);
    ASSERT_EQ(held->get_future().wait_for(limit), std::future_status::ready);
    steps();
    release.set_value();
}

bool ClientSession::pick(const NSString& title)
{
    auto sheet = loginScreen()->openSheet();
    if (!sheet)
        return false;
    const auto& titles = sheet->titlesForComponenets();
    if (titles.empty())
        return false;
    for (std::size_t row = 0; row < titles[0].size(); ++row) {
        if (titles[0][row].isEqualToString(title)) {
            sheet->selectIndexes({ NSInteger(row) }, false);
            host->runUntilIdle();
            auto done = host->findViewWithText("确定");
            if (!done || !host->tap(done))
                return false;
            host->runUntilIdle();
            return true;
        }
    }
    return false;
}

void ClientSession::fillLogin(const NSString& role, const NSString& account, const NSString& password)
{
    auto login = loginScreen();
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() != nullptr; }));
    ASSERT_TRUE(pick("成都市"));
    ASSERT_TRUE(host->tap(login->roleLab()));
    ASSERT_TRUE(pick(role));
    ASSERT_TRUE(host->tap(login->accountField()));
    host->typeText(account);
    host->pressReturn();
    host->typeText(password);
    // The button logs in; Return in the password field would too.
    login->passwordField()->resignFirstResponder();
    host->runUntilIdle();
    ASSERT_TRUE(host->tap(login->loginBtn()));
}

bool ClientSession::logIn(const NSString& role, const NSString& account, const NSString& password)
{
    fillLogin(role, account, password);
    return waitUntil([&] { return navigation()->viewControllers().size() == 2; });
}

NSString ClientSession::hudText() const
{
    auto hud = STProgressHUD::sharedView();
    // A panel in a hidden window (an alert's that faded) shows nothing.
    auto window = hud->window();
    return hud->superview() && window && !window->isHidden() ? hud->stringLabel()->text() : NSString();
}

NSString ClientSession::alertMessage()
{
    host->advance(0.5);
    auto alert = std::dynamic_pointer_cast<UIAlertView>(host->findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; }));
    return alert ? alert->message() : NSString();
}

bool ClientSession::tapAlertButton(const NSString& title)
{
    host->advance(0.5);
    auto alert = std::dynamic_pointer_cast<UIAlertView>(host->findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; }));
    if (!alert)
        return false;
    for (NSInteger index = 0; index < alert->numberOfButtons(); ++index) {
        if (alert->buttonTitleAtIndex(index).isEqualToString(title)) {
            const bool tapped = host->tap(alert->buttonAtIndex(index));
            host->runUntilIdle();
            return tapped;
        }
    }
    return false;
}

void ClientSession::shot(const std::string& name)
{
    host->runUntilIdle();
    shotAsItStands(name);
}

void ClientSession::shotAsItStands(const std::string& name)
{
    const std::filesystem::path folder = CORVANE_SCREENS_DIR;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(host->writePNG(NSString((folder / (name + ".png")).string()))) << name;
}

void ClientSession::tapShown(const char* text)
{
    auto view = host->findViewWithText(text);
    ASSERT_TRUE(view) << text;
    host->tap(view);
    host->advance(0.5);
}
