#include "app/AppDelegate.h"
#include "app/screens/home/MainViewController.h"
#include "app/screens/login/ViewController.h"
#include "app/services/ServiceRoad.h"
#include "app/stores/UserManager.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/SDLHost.h"
#include "tests/app/SessionStandIn.h"
#include "tests/host/XvfbDisplay.h"
#include "tests/support/Waiting.h"
#include "tools/service-standin/ServiceStandIn.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

namespace {

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

void click(SDLHost& host, const std::shared_ptr<UIView>& view)
{
    const auto point = ScreenDriver::screenPointOfView(view);
    ASSERT_TRUE(point);
    pushMouse(SDL_MOUSEBUTTONDOWN, host, *point);
    pushMouse(SDL_MOUSEBUTTONUP, host, *point);
}

void pushKey(SDLHost& host, SDL_Keycode code, Uint16 modifiers = KMOD_NONE)
{
    SDL_Event key {};
    key.type = SDL_KEYDOWN;
    key.key.windowID = host.windowID();
    key.key.keysym.sym = code;
    key.key.keysym.mod = modifiers;
    SDL_PushEvent(&key);
}

void type(SDLHost& host, const char* text)
{
    SDL_Event event {};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = host.windowID();
    std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    SDL_PushEvent(&event);
    pushKey(host, SDLK_RETURN);
}

// Turns the window's loop until the condition holds, for at most kSessionWaitSeconds.
bool turnUntil(SDLHost& host, const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(testing_support::kSessionWaitSeconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline || !host.runOnce())
            return false;
    }
    for (int i = 0; i < 30 && host.runOnce(); ++i) {
    }
    return true;
}

std::shared_ptr<UIView> viewWithText(const std::shared_ptr<UIView>& root, const NSString& text)
{
    if (root->visibleText() == text && !root->isHidden())
        return root;
    for (const auto& subview : root->subviews()) {
        if (auto found = viewWithText(subview, text))
            return found;
    }
    return nullptr;
}

} // namespace

TEST(WindowLogin, aLearnerLogsInThroughTheWindowAndReachesTheHomeScreen)
{
    XvfbDisplay display;
    if (!display.isAvailable())
        GTEST_SKIP() << "Skipped: no X display can be made here: " << display.reason();
    standin::ServiceStandIn standIn(sessionStandIn());
    ASSERT_TRUE(standIn.start()) << standIn.lastError();
    ::setenv("CORVANE_MAIN_BASE_URL", standIn.mainBaseURL().c_str(), 1);
    UserManager::shareInstance()->deleteLoginInfo();
    NSUserDefaults::standardUserDefaults()->removeObjectForKey("DEPNAME");
    std::string error;
    auto host = SDLHost::open(&error);
    if (!host)
        GTEST_SKIP() << "Skipped: the window cannot be opened: " << error;
    auto application = AppDelegate::create();
    ASSERT_TRUE(host->launch(application));
    auto navigation = application->navigationController();
    auto login = std::dynamic_pointer_cast<ViewController>(navigation->topViewController());
    ASSERT_TRUE(login);
    turnUntil(*host, [] { return true; });

    auto choose = [&](const std::shared_ptr<UILabel>& row, NSInteger index, const NSString& expected) {
        click(*host, row);
        ASSERT_TRUE(turnUntil(*host, [&] { return login->openSheet() != nullptr; }));
        auto sheet = login->openSheet();
        sheet->selectIndexes({ index }, false);
        turnUntil(*host, [] { return true; });
        auto done = viewWithText(sheet->actionToolbar(), "确定");
        ASSERT_TRUE(done);
        click(*host, done);
        ASSERT_TRUE(turnUntil(*host, [&] { return row->text() == expected; }));
        // The sheet slides away before the next row takes a click.
        for (int i = 0; i < 40 && host->runOnce(); ++i) {
        }
    };
    choose(login->areaLab(), 5, "成都市"); // 成都市, after the placeholder and the regions before it
    EXPECT_EQ(login->areaLab()->text(), NSString("成都市"));
    choose(login->roleLab(), 1, "学员");
    EXPECT_EQ(login->roleLab()->text(), NSString("学员"));
    click(*host, login->accountField());
    turnUntil(*host, [&] { return login->accountField()->isFirstResponder(); });
    // The identity-card number pasted from the desktop's clipboard, then Tab to the password.
    SDL_SetClipboardText("510104199203154321\n");
    pushKey(*host, SDLK_v, KMOD_LCTRL);
    pushKey(*host, SDLK_TAB);
    ASSERT_TRUE(turnUntil(*host, [&] { return login->passwordField()->isFirstResponder(); }));
    EXPECT_EQ(login->accountField()->text(), NSString("510104199203154321"));
    // Return in the password field logs in.
    type(*host, "123456");
    ASSERT_TRUE(turnUntil(*host, [&] { return std::dynamic_pointer_cast<MainViewController>(navigation->topViewController()) != nullptr; }));
    EXPECT_EQ(login->passwordField()->text(), NSString("123456"));

    const std::filesystem::path folder = CORVANE_SCREENS_DIR;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(host->screen()->writePNG(NSString((folder / "window-learner-home.png").string())));
    EXPECT_GE(host->framesDrawn(), 2u);
    SDL_Event quit {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(host->run(), 0);
    application.reset();
    host.reset();
}
