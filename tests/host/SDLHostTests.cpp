#include "platform/foundation/NSBundle.h"
#include "platform/host/SDLHost.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIScreen.h"
#include "tests/host/XvfbDisplay.h"

#include <SDL.h>
#include <cairo.h>
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

    // Escape leaves the application where it is.
    pushKey(*host, SDLK_ESCAPE);
    turn(*host, 2);
    EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Active);
    EXPECT_EQ(delegate->backgrounds, 0);

    SDL_Event quit {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(host->run(), 0);
    EXPECT_TRUE(host->isQuitting());
    EXPECT_TRUE(delegate->terminated);
    host.reset();
    UIApplication::sharedApplication()->resetForTesting();
}

namespace {

// A form: two fields and a scroll view under them, as the client's screens have.
class FormDelegate : public NSObject, public UIApplicationDelegate, public UITextFieldDelegate {
    NS_OBJECT(FormDelegate, NSObject)
public:
    std::optional<bool> didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&) override
    {
        m_window = UIWindow::create(UIScreen::mainScreen()->bounds());
        auto root = UIViewController::create();
        m_window->setRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
        account = UITextField::create(CGRectMake(20, 60, 280, 30));
        password = UITextField::create(CGRectMake(20, 110, 280, 30));
        password->setReturnKeyType(UIReturnKeyType::Done);
        for (const auto& field : { account, password }) {
            field->setBorderStyle(UITextBorderStyle::RoundedRect);
            field->setDelegate(std::static_pointer_cast<UITextFieldDelegate>(self()));
            root->view()->addSubview(field);
        }
        scroll = UIScrollView::create(CGRectMake(0, 200, 320, 200));
        scroll->setContentSize(CGSizeMake(320, 1000));
        root->view()->addSubview(scroll);
        m_window->makeKeyAndVisible();
        return true;
    }
    void applicationDidEnterBackground(UIApplication&) override { ++backgrounds; }
    void applicationWillEnterForeground(UIApplication&) override { ++foregrounds; }
    std::optional<bool> textFieldShouldReturn(UITextField& field) override
    {
        if (&field == password.get())
            ++submits;
        return true;
    }
    std::shared_ptr<UIWindow> window() const override { return m_window; }

    std::shared_ptr<UITextField> account;
    std::shared_ptr<UITextField> password;
    std::shared_ptr<UIScrollView> scroll;
    int backgrounds { 0 };
    int foregrounds { 0 };
    int submits { 0 };

private:
    std::shared_ptr<UIWindow> m_window;
};

void pushWindowEvent(const SDLHost& host, SDL_WindowEventID id, int width = 0, int height = 0)
{
    SDL_Event event {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = host.windowID();
    event.window.event = id;
    event.window.data1 = width;
    event.window.data2 = height;
    SDL_PushEvent(&event);
}

void pushKey(const SDLHost& host, SDL_Keycode key, Uint16 modifiers)
{
    SDL_Event event {};
    event.type = SDL_KEYDOWN;
    event.key.windowID = host.windowID();
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
}

void clickAt(const SDLHost& host, CGPoint screenPoint)
{
    for (Uint32 type : { Uint32(SDL_MOUSEBUTTONDOWN), Uint32(SDL_MOUSEBUTTONUP) }) {
        const CGPoint at = host.windowPointForScreenPoint(screenPoint);
        SDL_Event event {};
        event.type = type;
        event.button.windowID = host.windowID();
        event.button.button = SDL_BUTTON_LEFT;
        event.button.x = static_cast<Sint32>(at.x);
        event.button.y = static_cast<Sint32>(at.y);
        SDL_PushEvent(&event);
    }
}

void pushText(const SDLHost& host, Uint32 type, const char* text, int start = 0)
{
    SDL_Event event {};
    event.type = type;
    if (type == SDL_TEXTEDITING) {
        event.edit.windowID = host.windowID();
        std::strncpy(event.edit.text, text, sizeof event.edit.text - 1);
        event.edit.start = start;
    } else {
        event.text.windowID = host.windowID();
        std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    }
    SDL_PushEvent(&event);
}

} // namespace

TEST(SDLHost, theWindowResizesKeepingTheScreensAspectAndFollowsMinimiseFocusKeysWheelAndInputMethod)
{
    XvfbDisplay display;
    if (!display.isAvailable())
        GTEST_SKIP() << "Skipped: no X display can be made here: " << display.reason();
    std::string error;
    auto host = SDLHost::open(&error);
    if (!host)
        GTEST_SKIP() << "Skipped: the window cannot be opened: " << error;
    auto form = FormDelegate::create();
    ASSERT_TRUE(host->launch(form));
    turn(*host, 5);
    auto application = UIApplication::sharedApplication();
    ASSERT_EQ(application->applicationState(), UIApplicationState::Active);

    // Resizable; wider than the screen's aspect, the screen is centred between two bands.
    SDL_Window* window = SDL_GetWindowFromID(host->windowID());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE);
    SDL_SetWindowSize(window, 900, 600);
    pushWindowEvent(*host, SDL_WINDOWEVENT_SIZE_CHANGED, 900, 600);
    turn(*host, 5);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    const CGFloat scale = std::min(width / 320.0, height / 568.0);
    EXPECT_DOUBLE_EQ(host->windowScale(), scale);
    EXPECT_NEAR(host->windowOrigin().x, (width - 320 * scale) / 2, 0.01);
    EXPECT_NEAR(host->windowOrigin().y, (height - 568 * scale) / 2, 0.01);
    const CGPoint middle = host->windowPointForScreenPoint(CGPointMake(160, 284));
    EXPECT_NEAR(middle.x, width / 2.0, 0.5);
    EXPECT_NEAR(middle.y, height / 2.0, 0.5);
    // A click lands where the screen shows the field.
    clickAt(*host, CGPointMake(160, 75));
    turn(*host, 3);
    ASSERT_TRUE(form->account->isFirstResponder());
    pushWindowEvent(*host, SDL_WINDOWEVENT_MAXIMIZED);
    turn(*host, 2);
    EXPECT_EQ(application->applicationState(), UIApplicationState::Active);

    // The desktop's clipboard pastes an identity-card number; Tab moves on; Return in the last
    // field is its return key.
    SDL_SetClipboardText("510104199203154321\n");
    pushKey(*host, SDLK_v, KMOD_LCTRL);
    pushKey(*host, SDLK_TAB, KMOD_NONE);
    turn(*host, 3);
    EXPECT_EQ(form->account->text(), NSString("510104199203154321"));
    ASSERT_TRUE(form->password->isFirstResponder());
    pushText(*host, SDL_TEXTINPUT, "123456");
    pushKey(*host, SDLK_RETURN, KMOD_NONE);
    turn(*host, 3);
    EXPECT_EQ(form->submits, 1);
    pushKey(*host, SDLK_TAB, KMOD_LSHIFT);
    pushKey(*host, SDLK_a, KMOD_LCTRL);
    pushKey(*host, SDLK_c, KMOD_LCTRL);
    turn(*host, 3);
    ASSERT_TRUE(form->account->isFirstResponder());
    char* copied = SDL_GetClipboardText();
    EXPECT_STREQ(copied, "510104199203154321");
    SDL_free(copied);

    // The input method's composition shows in the field; its commit goes in.
    pushKey(*host, SDLK_END, KMOD_NONE);
    pushText(*host, SDL_TEXTEDITING, "xue yuan", 8);
    turn(*host, 3);
    EXPECT_EQ(form->account->visibleText(), NSString("510104199203154321xue yuan"));
    EXPECT_EQ(form->account->text(), NSString("510104199203154321"));
    pushText(*host, SDL_TEXTEDITING, "");
    pushText(*host, SDL_TEXTINPUT, "学员");
    turn(*host, 3);
    EXPECT_EQ(form->account->text(), NSString("510104199203154321学员"));

    // The wheel scrolls what lies under the pointer.
    SDL_Event wheel {};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = host->windowID();
    wheel.wheel.y = -3;
    wheel.wheel.preciseY = -3;
    const CGPoint overScroll = host->windowPointForScreenPoint(CGPointMake(160, 300));
    wheel.wheel.mouseX = static_cast<Sint32>(overScroll.x);
    wheel.wheel.mouseY = static_cast<Sint32>(overScroll.y);
    SDL_PushEvent(&wheel);
    turn(*host, 3);
    EXPECT_DOUBLE_EQ(form->scroll->contentOffset().y, 3 * SDLHost::wheelStep);
    // A touchpad glides by fractions of a notch, which scroll by their share of its points.
    wheel.wheel.y = 0;
    wheel.wheel.preciseY = -0.25;
    SDL_PushEvent(&wheel);
    turn(*host, 3);
    EXPECT_DOUBLE_EQ(form->scroll->contentOffset().y, 3.25 * SDLHost::wheelStep);

    // Escape is only a key. Losing the focus makes the application inactive; minimised, it is in
    // the background until the window comes back.
    pushKey(*host, SDLK_ESCAPE, KMOD_NONE);
    turn(*host, 2);
    EXPECT_EQ(application->applicationState(), UIApplicationState::Active);
    pushWindowEvent(*host, SDL_WINDOWEVENT_FOCUS_LOST);
    turn(*host, 2);
    EXPECT_EQ(application->applicationState(), UIApplicationState::Inactive);
    pushWindowEvent(*host, SDL_WINDOWEVENT_FOCUS_GAINED);
    turn(*host, 2);
    EXPECT_EQ(application->applicationState(), UIApplicationState::Active);
    pushWindowEvent(*host, SDL_WINDOWEVENT_MINIMIZED);
    turn(*host, 2);
    EXPECT_EQ(application->applicationState(), UIApplicationState::Background);
    pushWindowEvent(*host, SDL_WINDOWEVENT_RESTORED);
    turn(*host, 2);
    EXPECT_EQ(application->applicationState(), UIApplicationState::Active);
    EXPECT_EQ(form->backgrounds, 1);
    EXPECT_EQ(form->foregrounds, 1);

    SDL_Event quit {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(host->run(), 0);
    host.reset();
    UIApplication::sharedApplication()->resetForTesting();
}

TEST(SDLHost, theWindowIconIsTheProjectsDrawingRenderedWithTheBundle)
{
    const NSString path = NSBundle::mainBundle()->pathForResource("AppIcon@2x", "png");
    ASSERT_FALSE(path.isNil());
    cairo_surface_t* icon = cairo_image_surface_create_from_png(path.UTF8String().c_str());
    ASSERT_EQ(cairo_surface_status(icon), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(icon), 128);
    EXPECT_EQ(cairo_image_surface_get_height(icon), 128);
    // Opaque in the middle, clear in the rounded corner.
    const unsigned char* data = cairo_image_surface_get_data(icon);
    const int stride = cairo_image_surface_get_stride(icon);
    auto alpha = [&](int x, int y) { return data[y * stride + x * 4 + 3]; };
    EXPECT_EQ(alpha(64, 64), 255);
    EXPECT_EQ(alpha(1, 1), 0);
    cairo_surface_destroy(icon);
}
