#include "WidgetTestSupport.h"

#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIPinchGestureRecognizer.h"
#include "platform/uikit/UISwipeGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Pixel = std::array<uint8_t, 4>;
constexpr Pixel kWhite { 255, 255, 255, 255 }, kRed { 255, 0, 0, 255 }, kBlue { 0, 0, 255, 255 }, kGreen { 0, 255, 0, 255 };

class WidgetScreen : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
    }

    UIButtonRef addButton(CGRect frame)
    {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(frame);
        button->setTitle("OK", UIControlStateNormal);
        button->addTarget(nullptr, UIControl::Action([this](UIControl&, const UIEventRef&) { log.push_back("inside"); }),
            UIControlEventTouchUpInside);
        button->addTarget(nullptr, UIControl::Action([this](UIControl&, const UIEventRef&) { log.push_back("outside"); }),
            UIControlEventTouchUpOutside);
        root->view()->addSubview(button);
        return button;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::vector<std::string> log;
};

// The button example of docs/platform.md, kept compiling and true.
class LoginViewController : public UIViewController {
    NS_OBJECT(LoginViewController, UIViewController)
public:
    void viewDidLoad() override
    {
        auto login = UIButton::buttonWithType(UIButtonTypeCustom);
        login->setFrame(CGRectMake(20, 300, 280, 44));
        // A message to a nil image would answer nil; in C++ the caller checks.
        if (auto image = UIImage::imageNamed("button_nor"))
            login->setBackgroundImage(image->resizableImageWithCapInsets(UIEdgeInsetsMake(10, 10, 10, 10),
                UIImageResizingModeStretch), UIControlStateNormal);
        login->setTitle("登录", UIControlStateNormal);
        login->addTarget(self(), &LoginViewController::loginEvent, UIControlEventTouchUpInside);
        view()->addSubview(login);
    }
    void loginEvent() { ++logins; }
    int logins { 0 };
};

} // namespace

TEST(WidgetDocumentation, theLoginButtonExampleLogsIn)
{
    auto host = HeadlessHost::create();
    auto screen = LoginViewController::create();
    host->showRootViewController(screen);
    EXPECT_TRUE(host->tap(host->findViewWithText("登录")));
    EXPECT_EQ(screen->logins, 1);
}

TEST_F(WidgetScreen, aButtonSendsTouchUpInsideOnlyWithinItsBoundsPlusTheSlop)
{
    addButton(CGRectMake(110, 250, 100, 44));
    const auto pressAndLift = [&](CGPoint lift) {
        host->touchDown(CGPointMake(160, 272));
        host->advance(0.05);
        host->touchMove(lift);
        host->advance(0.05);
        host->touchUp(lift);
    };
    pressAndLift(CGPointMake(160, 272));
    pressAndLift(CGPointMake(210 + 69, 272));
    pressAndLift(CGPointMake(160, 250 - 69));
    pressAndLift(CGPointMake(210 + 71, 272));
    pressAndLift(CGPointMake(160, 294 + 71));
    EXPECT_EQ(log, (std::vector<std::string> { "inside", "inside", "inside", "outside", "outside" }));
    EXPECT_TRUE(host->tap(host->findViewWithText("OK")));
    EXPECT_EQ(log.back(), "inside");
}

TEST_F(WidgetScreen, aButtonKeepsItsTapFromAnAncestorsTapRecogniser)
{
    auto button = addButton(CGRectMake(110, 250, 100, 44));
    int backgroundTaps = 0;
    root->view()->addGestureRecognizer(UITapGestureRecognizer::create([&](UIGestureRecognizer&) { ++backgroundTaps; }));
    host->tap(CGPointMake(160, 272));
    EXPECT_EQ(log, std::vector<std::string> { "inside" });
    EXPECT_EQ(backgroundTaps, 0);
    host->tap(CGPointMake(20, 400));
    EXPECT_EQ(backgroundTaps, 1);
    // A disabled button is no obstacle.
    button->setEnabled(false);
    host->tap(CGPointMake(160, 272));
    EXPECT_EQ(backgroundTaps, 2);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(WidgetScreen, aSnapshotShowsLabelsImagesAndButtonsWhereTheyAre)
{
    auto label = UILabel::create(CGRectMake(20, 40, 200, 40));
    label->setText(u"\u2588\u2588\u2588\u2588");
    label->setTextColor(UIColor::redColor());
    label->setFont(UIFont::systemFontOfSize(30));
    root->view()->addSubview(label);
    auto picture = UIImageView::create(solidImage(60, 40, 0x0000FFFF, 2));
    picture->setFrame(CGRectMake(20, 100, 30, 20));
    root->view()->addSubview(picture);
    auto button = addButton(CGRectMake(20, 150, 120, 44));
    button->setBackgroundImage(solidImage(4, 4, 0x00FF00FF)->resizableImageWithCapInsets(UIEdgeInsetsMake(1, 1, 1, 1)),
        UIControlStateNormal);
    auto spinner = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleGray);
    spinner->setCenter(CGPointMake(250, 250));
    root->view()->addSubview(spinner);
    host->runUntilIdle();

    const std::string path = (std::filesystem::temp_directory_path() / ("corvane-widgets-" + std::to_string(::getpid()) + ".png")).string();
    ASSERT_TRUE(host->writePNG(NSString(path)));
    auto shot = UIImage::imageWithContentsOfFile(NSString(path));
    std::filesystem::remove(path);
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->CGImage()->width(), 640u);
    // Screen points at the scale of 2.
    const auto at = [&](CGFloat x, CGFloat y) {
        const RGBA p = pixelOf(shot->CGImage(), int(x * 2), int(y * 2));
        return Pixel { uint8_t(p >> 24), uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p) };
    };
    const auto [inkStart, inkEnd] = [&] {
        int first = -1, last = -1;
        for (int x = 20; x < 220; ++x) {
            if (at(x, 60) == kRed) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        return std::pair { first, last };
    }();
    EXPECT_GE(inkStart, 20);
    EXPECT_GT(inkEnd - inkStart, 40);
    EXPECT_EQ(at(10, 60), kWhite);
    EXPECT_EQ(at(35, 110), kBlue);
    EXPECT_EQ(at(51, 110), kWhite);
    EXPECT_EQ(at(22, 152), kGreen);
    EXPECT_EQ(at(138, 192), kGreen);
    EXPECT_EQ(at(142, 172), kWhite);
    // The stopped spinner hides itself.
    EXPECT_EQ(at(250, 243), kWhite);
    EXPECT_EQ(host->pixelAt(CGPointMake(35, 110)), kBlue);

    spinner->startAnimating();
    host->advance(0.1);
    EXPECT_NE(host->pixelAt(CGPointMake(250, 243)), kWhite);
}

TEST_F(WidgetScreen, pressSwipeAndPinchComeThroughTheHost)
{
    std::vector<std::string> seen;
    const auto note = [&](const char* name) {
        return [&seen, name](UIGestureRecognizer& recognizer) {
            seen.push_back(std::string(name) + std::to_string(int(recognizer.state())));
        };
    };
    auto view = root->view();
    auto press = UILongPressGestureRecognizer::create(note("press"));
    auto swipe = UISwipeGestureRecognizer::create(note("swipe"));
    swipe->setDirection(UISwipeGestureRecognizerDirectionLeft);
    auto pinch = UIPinchGestureRecognizer::create(note("pinch"));
    view->addGestureRecognizer(press);
    view->addGestureRecognizer(swipe);
    view->addGestureRecognizer(pinch);

    host->longPress(CGPointMake(100, 100), 0.6);
    EXPECT_EQ(seen, (std::vector<std::string> { "press1", "press3" }));
    seen.clear();
    host->swipe(CGPointMake(250, 300), UISwipeDirectionHint::Left);
    EXPECT_EQ(seen, std::vector<std::string> { "swipe3" });
    seen.clear();
    host->swipe(CGPointMake(50, 300), UISwipeDirectionHint::Right);
    EXPECT_TRUE(seen.empty());

    // FIXME: the application drops a second finger on a view of single touches before its
    // recognisers see it; the platform lets a pinch through.
    view->setMultipleTouchEnabled(true);
    host->touchDown(CGPointMake(100, 300), 0);
    host->touchDown(CGPointMake(200, 300), 1);
    host->advance(0.05);
    host->touchMove(CGPointMake(300, 300), 1);
    EXPECT_DOUBLE_EQ(pinch->scale(), 2);
    host->touchUp(CGPointMake(300, 300), 1);
    host->touchUp(CGPointMake(100, 300), 0);
    EXPECT_EQ(seen, (std::vector<std::string> { "pinch1", "pinch3" }));
}
