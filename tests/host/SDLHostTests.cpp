#include "platform/host/SDLHost.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIScreen.h"
#include "tests/host/XvfbDisplay.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

class TypingView : public UIView, public UIKeyInput {
    NS_OBJECT(TypingView, UIView)
public:
    bool canBecomeFirstResponder() const override { return true; }
    bool hasText() const override { return !text.empty(); }
    void insertText(const NSString& typed) override { text += typed.UTF8String(); }
    void deleteBackward() override { ++deletions; }
    void touchesEnded(const UITouchSet& touches, const UIEventRef&) override
    {
        lastTouch = touches.anyObject()->locationInView(self());
        ++taps;
        becomeFirstResponder();
    }
    std::string text;
    int taps { 0 };
    int deletions { 0 };
    CGPoint lastTouch;
};

class OneScreenDelegate : public NSObject, public UIApplicationDelegate {
    NS_OBJECT(OneScreenDelegate, NSObject)
public:
    std::optional<bool> didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&) override
    {
        m_window = UIWindow::create(UIScreen::mainScreen()->bounds());
        auto root = UIViewController::create();
        m_window->setRootViewController(root);
        field = TypingView::create(CGRectMake(60, 100, 200, 100));
        field->setBackgroundColor(UIColor::redColor());
        root->view()->setBackgroundColor(UIColor::whiteColor());
        root->view()->addSubview(field);
        m_window->makeKeyAndVisible();
        return true;
    }
    void applicationDidEnterBackground(UIApplication&) override { ++backgrounds; }
    void applicationWillTerminate(UIApplication&) override { terminated = true; }
    std::shared_ptr<UIWindow> window() const override { return m_window; }

    std::shared_ptr<TypingView> field;
    int backgrounds { 0 };
    bool terminated { false };

private:
    std::shared_ptr<UIWindow> m_window;
};

void pushMouse(Uint32 type, const SDLHost& host, CGPoint point)
{
    SDL_Event event {};
    event.type = type;
    event.button.windowID = host.windowID();
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = static_cast<Sint32>(point.x * host.windowScale());
    event.button.y = static_cast<Sint32>(point.y * host.windowScale());
    SDL_PushEvent(&event);
}

void pushKey(const SDLHost& host, SDL_Keycode key)
{
    SDL_Event event {};
    event.type = SDL_KEYDOWN;
    event.key.windowID = host.windowID();
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void turn(SDLHost& host, int turns)
{
    for (int i = 0; i < turns && host.runOnce(); ++i) {
    }
}

} // namespace

TEST(SDLHost, showsTheScreenTakesAClickAndTypedTextAndQuits)
{
    XvfbDisplay display;
    if (!display.isAvailable())
        GTEST_SKIP() << "Skipped: no X display can be made here: " << display.reason();
    std::string error;
    auto host = SDLHost::open(&error);
    if (!host)
        GTEST_SKIP() << "Skipped: the window cannot be opened: " << error;
    auto delegate = OneScreenDelegate::create();
    ASSERT_TRUE(host->launch(delegate));
    ASSERT_TRUE(delegate->field);
    turn(*host, 5);
    EXPECT_GE(host->framesDrawn(), 1u);
    // Nothing changed: no frame is drawn again.
    const auto drawn = host->framesDrawn();
    turn(*host, 5);
    EXPECT_EQ(host->framesDrawn(), drawn);

    pushMouse(SDL_MOUSEBUTTONDOWN, *host, CGPointMake(100, 150));
    pushMouse(SDL_MOUSEBUTTONUP, *host, CGPointMake(100, 150));
    turn(*host, 3);
    EXPECT_EQ(delegate->field->taps, 1);
    EXPECT_NEAR(delegate->field->lastTouch.x, 40, 1);
    EXPECT_NEAR(delegate->field->lastTouch.y, 50, 1);
    ASSERT_TRUE(delegate->field->isFirstResponder());

    SDL_Event text {};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = host->windowID();
    std::strncpy(text.text.text, "科目一", sizeof text.text.text - 1);
    SDL_PushEvent(&text);
    pushKey(*host, SDLK_BACKSPACE);
    pushKey(*host, SDLK_RETURN);
    turn(*host, 3);
    EXPECT_EQ(delegate->field->text, "科目一\n");
    EXPECT_EQ(delegate->field->deletions, 1);

    pushKey(*host, SDLK_ESCAPE);
    turn(*host, 2);
    EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Background);
    pushKey(*host, SDLK_ESCAPE);
    turn(*host, 2);
    EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Active);
    EXPECT_EQ(delegate->backgrounds, 1);

    SDL_Event quit {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(host->run(), 0);
    EXPECT_TRUE(host->isQuitting());
    EXPECT_TRUE(delegate->terminated);
    host.reset();
    UIApplication::sharedApplication()->resetForTesting();
}
