#include "tests/uikit/UIKitTestSupport.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/URLOpenFailureAlert.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

class LifeCycleDelegate : public NSObject, public UIApplicationDelegate {
    NS_OBJECT(LifeCycleDelegate, NSObject)
public:
    std::optional<bool> didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&) override
    {
        log.push_back("launched");
        return true;
    }
    void applicationDidBecomeActive(UIApplication&) override { log.push_back("active"); }
    void applicationWillResignActive(UIApplication&) override { log.push_back("resign"); }
    void applicationDidEnterBackground(UIApplication&) override { log.push_back("background"); }
    void applicationWillEnterForeground(UIApplication&) override { log.push_back("foreground"); }
    void applicationWillTerminate(UIApplication&) override { log.push_back("terminate"); }
    void applicationDidReceiveMemoryWarning(UIApplication&) override { log.push_back("memory"); }
    std::optional<bool> openURL(UIApplication&, const std::shared_ptr<NSURL>& url, const NSString&, const id&) override
    {
        log.push_back("open " + url->absoluteString().UTF8String());
        return true;
    }
    Log log;
};

class TextTaker : public UIView, public UIKeyInput {
    NS_OBJECT(TextTaker, UIView)
public:
    bool canBecomeFirstResponder() const override { return true; }
    bool hasText() const override { return !text.empty(); }
    void insertText(const NSString& typed) override { text += typed.UTF8String(); }
    void deleteBackward() override
    {
        NSString current(text);
        if (current.length() > 0)
            text = current.substringToIndex(current.length() - 1).UTF8String();
    }
    bool pressKey(UIKeyboardKey key, UIKeyModifierFlags) override
    {
        keys.push_back(key);
        return true;
    }
    std::string text;
    std::vector<UIKeyboardKey> keys;
};

class KeyboardLog : public UIKeyboardController {
public:
    void firstResponderDidChange(const UIResponderRef& previous, const UIResponderRef& current) override
    {
        changes.push_back({ previous, current });
    }
    std::vector<std::pair<UIResponderRef, UIResponderRef>> changes;
};

} // namespace

TEST(Application, theLifeCycleReachesTheDelegateAndTheNotificationsInOrder)
{
    auto host = HeadlessHost::create();
    auto delegate = LifeCycleDelegate::create();
    std::vector<std::string> posted;
    auto observer = NSObject::create();
    for (const char* name : { UIApplicationDidBecomeActiveNotification, UIApplicationDidEnterBackgroundNotification,
             UIApplicationWillEnterForegroundNotification }) {
        NSNotificationCenter::defaultCenter()->addObserver(observer, [&posted, name](const auto&) { posted.push_back(name); },
            name, nullptr);
    }
    EXPECT_TRUE(host->launch(delegate));
    EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Active);
    host->sendToBackground();
    EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Background);
    host->bringToForeground();
    UIApplication::sharedApplication()->receiveMemoryWarning();
    UIApplication::sharedApplication()->terminate();
    EXPECT_EQ(delegate->log, (Log { "launched", "active", "resign", "background", "foreground", "active", "memory", "terminate" }));
    EXPECT_EQ(posted.size(), 4u);
    NSNotificationCenter::defaultCenter()->removeObserver(observer);
}

TEST(Application, backgroundTasksExpireWhenTheTimeRunsOut)
{
    auto host = HeadlessHost::create();
    host->launch(LifeCycleDelegate::create());
    auto application = UIApplication::sharedApplication();
    int expired = 0;
    UIBackgroundTaskIdentifier kept = UIBackgroundTaskInvalid;
    kept = application->beginBackgroundTaskWithExpirationHandler([&] {
        ++expired;
        application->endBackgroundTask(kept);
    });
    const auto ended = application->beginBackgroundTaskWithExpirationHandler([&] { expired += 100; });
    EXPECT_NE(kept, UIBackgroundTaskInvalid);
    EXPECT_NE(kept, ended);
    application->endBackgroundTask(ended);
    host->sendToBackground();
    host->advance(170);
    EXPECT_EQ(expired, 0);
    EXPECT_NEAR(application->backgroundTimeRemaining(), 10, 1e-6);
    host->advance(11);
    EXPECT_EQ(expired, 1);
    EXPECT_EQ(application->backgroundTaskCount(), 0u);
    EXPECT_EQ(application->beginBackgroundTaskWithExpirationHandler(nullptr), UIBackgroundTaskInvalid);
    host->bringToForeground();
    EXPECT_NE(application->beginBackgroundTaskWithExpirationHandler(nullptr), UIBackgroundTaskInvalid);
}

TEST(Application, theOwnSchemeComesBackToTheDelegateOthersGoToTheSystem)
{
    auto host = HeadlessHost::create();
    auto delegate = LifeCycleDelegate::create();
    host->launch(delegate);
    auto application = UIApplication::sharedApplication();
    std::vector<std::string> system;
    application->setSystemURLHandler([&](const std::shared_ptr<NSURL>& url) {
        system.push_back(url->absoluteString().UTF8String());
        return true;
    });
    auto own = NSURL::URLWithString("corvaneOrbipayCallback://pay?result=ok");
    EXPECT_TRUE(application->canOpenURL(own));
    EXPECT_TRUE(application->openURL(own));
    EXPECT_EQ(delegate->log.back(), "active");
    host->drainRunLoop();
    EXPECT_EQ(delegate->log.back(), "open corvaneOrbipayCallback://pay?result=ok");
    EXPECT_TRUE(application->openURL(NSURL::URLWithString("https://example.org/")));
    EXPECT_EQ(system, (std::vector<std::string> { "https://example.org/" }));
    EXPECT_FALSE(application->canOpenURL(NSURL::URLWithString("nonsense://x")));
    EXPECT_FALSE(application->openURL(NSURL::URLWithString("nonsense://x")));
    EXPECT_FALSE(application->openURL(nullptr));
}

TEST(Application, anOutsideAddressWhoseHandlerCannotStartIsToldOnScreen)
{
    auto host = HeadlessHost::create();
    host->showRootViewController(UIViewController::create());
    auto application = UIApplication::sharedApplication();
    bool starts = true;
    application->setSystemURLHandler([&](const std::shared_ptr<NSURL>&) { return starts; });
    EXPECT_TRUE(application->openURL(NSURL::URLWithString("https://example.org/a")));
    host->runUntilIdle();
    EXPECT_FALSE(host->findViewWithText(URLOpenFailureAlert::title));

    starts = false;
    EXPECT_FALSE(application->openURL(NSURL::URLWithString("https://example.org/b")));
    host->runUntilIdle();
    ASSERT_TRUE(host->findViewWithText(URLOpenFailureAlert::title));
    EXPECT_NE(host->viewTree(host->findViewWithText(URLOpenFailureAlert::title)->window()).find("https://example.org/b"),
        std::string::npos);
    // Escape or its one button puts it away.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->runUntilIdle();
    EXPECT_FALSE(host->findViewWithText(URLOpenFailureAlert::title));
    application->setSystemURLHandler(nullptr);
}

TEST(Application, typedTextAndKeysReachTheFirstResponderAndTheKeyboardHearsEachChange)
{
    auto host = HeadlessHost::create();
    auto root = UIViewController::create();
    host->showRootViewController(root);
    auto keyboard = std::make_shared<KeyboardLog>();
    UIApplication::sharedApplication()->setKeyboardController(keyboard);
    auto first = TextTaker::create(CGRectMake(0, 0, 100, 30));
    auto second = TextTaker::create(CGRectMake(0, 40, 100, 30));
    root->view()->addSubview(first);
    root->view()->addSubview(second);

    EXPECT_FALSE(host->typeText("nobody"));
    ASSERT_TRUE(first->becomeFirstResponder());
    EXPECT_TRUE(host->typeText("科目一"));
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Backspace));
    EXPECT_TRUE(host->pressReturn());
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::LeftArrow));
    EXPECT_EQ(first->text, "科目\n");
    EXPECT_EQ(first->keys, (std::vector<UIKeyboardKey> { UIKeyboardKey::LeftArrow }));

    ASSERT_TRUE(second->becomeFirstResponder());
    EXPECT_FALSE(first->isFirstResponder());
    ASSERT_TRUE(second->resignFirstResponder());
    ASSERT_EQ(keyboard->changes.size(), 3u);
    EXPECT_EQ(keyboard->changes[0], std::make_pair(UIResponderRef(), UIResponderRef(first)));
    EXPECT_EQ(keyboard->changes[1], std::make_pair(UIResponderRef(first), UIResponderRef(second)));
    EXPECT_EQ(keyboard->changes[2], std::make_pair(UIResponderRef(second), UIResponderRef()));
}

TEST(Application, windowsStackByLevelAndTheTopOneTakesTheTouch)
{
    auto host = HeadlessHost::create();
    Log log;
    auto root = UIViewController::create();
    auto normal = host->showRootViewController(root);
    auto below = RecordingView::create(CGRectMake(0, 0, 320, 568));
    below->name = "below";
    below->log = &log;
    root->view()->addSubview(below);

    auto alert = UIWindow::create(CGRectMake(0, 0, 100, 100));
    alert->setWindowLevel(UIWindowLevelAlert);
    auto above = RecordingView::create(CGRectMake(0, 0, 100, 100));
    above->name = "above";
    above->log = &log;
    alert->addSubview(above);
    alert->makeKeyAndVisible();
    auto status = UIWindow::create(UIScreen::mainScreen()->bounds());
    status->setWindowLevel(UIWindowLevelStatusBar);
    status->setHidden(false);

    EXPECT_EQ(UIApplication::sharedApplication()->windows(), (std::vector<UIWindowRef> { normal, UIWindowRef(status), UIWindowRef(alert) }));
    EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), alert);
    EXPECT_FALSE(normal->isKeyWindow());
    // The status-bar window takes touches only where it has views; it is the whole screen here.
    status->setUserInteractionEnabled(false);
    host->tap(CGPointMake(50, 50));
    host->tap(CGPointMake(200, 300));
    EXPECT_EQ(log, (Log { "above.began", "above.ended", "below.began", "below.ended" }));

    alert->setHidden(true);
    EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), nullptr);
    normal->makeKeyWindow();
    EXPECT_TRUE(normal->isKeyWindow());
    EXPECT_EQ(UIApplication::sharedApplication()->windows().size(), 2u);
}

TEST(Application, theStatusBarKeepsItsStateAndAsksToBeDrawnAgain)
{
    auto host = HeadlessHost::create();
    auto application = UIApplication::sharedApplication();
    int redraws = 0;
    application->setStatusBarObserver([&] { ++redraws; });
    EXPECT_EQ(application->statusBarFrame(), CGRectMake(0, 0, 320, 20));
    application->setStatusBarHidden(true, UIStatusBarAnimation::Slide);
    EXPECT_EQ(application->statusBarFrame(), CGRectZero);
    application->setStatusBarStyle(UIStatusBarStyle::LightContent, true);
    application->setNetworkActivityIndicatorVisible(true);
    application->setNetworkActivityIndicatorVisible(true);
    EXPECT_EQ(redraws, 3);
    EXPECT_EQ(UIScreen::mainScreen()->applicationFrame(), CGRectMake(0, 0, 320, 568));
}

TEST(Application, aLaunchForAURLHandsItToTheDelegateAndInterruptionsKeepTheStateRight)
{
    auto host = HeadlessHost::create();
    auto delegate = LifeCycleDelegate::create();
    auto options = NSMutableDictionary::dictionary();
    options->setObject(NSURL::URLWithString("corvaneOrbipayCallback://x"), UIApplicationLaunchOptionsURLKey);
    options->setObject(NSString("org.example.wallet"), UIApplicationLaunchOptionsSourceApplicationKey);
    EXPECT_TRUE(host->launch(delegate, options));
    EXPECT_TRUE(host->launch(delegate, options));
    EXPECT_EQ(delegate->log, (Log { "launched", "open corvaneOrbipayCallback://x", "active" }));
    auto application = UIApplication::sharedApplication();
    application->resignActive();
    application->resignActive();
    EXPECT_EQ(application->applicationState(), UIApplicationState::Inactive);
    application->becomeActive();
    host->bringToForeground();
    EXPECT_EQ(delegate->log.back(), "active");
    EXPECT_EQ(application->backgroundTimeRemaining(), HUGE_VAL);
    application->endIgnoringInteractionEvents();
    EXPECT_FALSE(application->isIgnoringInteractionEvents());
    EXPECT_FALSE(application->sendKey(UIKeyboardKey::Tab));
    application->terminate();
    application->terminate();
    EXPECT_TRUE(application->isTerminated());
    host->sendToBackground();
    EXPECT_NE(application->applicationState(), UIApplicationState::Background);
}

namespace {
class OldStyleDelegate : public NSObject, public UIApplicationDelegate {
    NS_OBJECT(OldStyleDelegate, NSObject)
public:
    std::optional<bool> handleOpenURL(UIApplication&, const std::shared_ptr<NSURL>&) override
    {
        ++opened;
        return true;
    }
    int opened { 0 };
};

class SwallowingKeyboard : public UIKeyboardController {
public:
    void firstResponderDidChange(const UIResponderRef&, const UIResponderRef&) override { }
    bool handleTypedText(UIResponder&, const NSString&) override { return true; }
    bool handleKey(UIResponder&, UIKeyboardKey, UIKeyModifierFlags) override { return true; }
};
} // namespace

TEST(Application, theOlderOpenURLAnswersWhenTheNewerIsNotImplemented)
{
    auto host = HeadlessHost::create();
    auto delegate = OldStyleDelegate::create();
    host->launch(delegate);
    EXPECT_TRUE(UIApplication::sharedApplication()->handleIncomingURL(NSURL::URLWithString("corvaneOrbipayCallback://y"), "x"));
    EXPECT_EQ(delegate->opened, 1);
    EXPECT_FALSE(UIApplication::sharedApplication()->handleIncomingURL(nullptr, "x"));
}

TEST(Application, theKeyboardMayTakeTypedTextAndKeysFirst)
{
    auto host = HeadlessHost::create();
    auto root = UIViewController::create();
    host->showRootViewController(root);
    auto taker = TextTaker::create(CGRectMake(0, 0, 10, 10));
    root->view()->addSubview(taker);
    ASSERT_TRUE(taker->becomeFirstResponder());
    UIApplication::sharedApplication()->setKeyboardController(std::make_shared<SwallowingKeyboard>());
    EXPECT_TRUE(host->typeText("x"));
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Return));
    EXPECT_TRUE(taker->text.empty());
    EXPECT_FALSE(host->typeText(""));
}
