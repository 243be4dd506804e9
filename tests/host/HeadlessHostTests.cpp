#include "platform/host/HeadlessHost.h"

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIScreen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class Caption : public UIView {
    NS_OBJECT(Caption, UIView)
public:
    NSString visibleText() const override { return text; }
    NSString text;
};

class HeadlessHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
    }
    std::string temporaryPath(const std::string& name) const
    {
        return (std::filesystem::temp_directory_path() / ("corvane-host-" + std::to_string(::getpid()) + "-" + name)).string();
    }
    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
};

} // namespace

TEST_F(HeadlessHostTest, theScreenShowsTheViewsAtTheirPlacesInPixels)
{
    auto red = UIView::create(CGRectMake(10, 20, 30, 40));
    red->setBackgroundColor(UIColor::redColor());
    auto faded = UIView::create(CGRectMake(100, 100, 50, 50));
    faded->setBackgroundColor(UIColor::blueColor());
    faded->setAlpha(0.5);
    root->view()->addSubview(red);
    root->view()->addSubview(faded);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(11, 21)), (std::array<uint8_t, 4> { 255, 0, 0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(39.5, 59.5)), (std::array<uint8_t, 4> { 255, 0, 0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(40.5, 60.5)), (std::array<uint8_t, 4> { 255, 255, 255, 255 }));
    const auto mixed = host->pixelAt(CGPointMake(120, 120));
    EXPECT_NEAR(mixed[0], 127, 2);
    EXPECT_NEAR(mixed[2], 255, 2);
    EXPECT_EQ(host->pixelAt(CGPointMake(-1, 5)), (std::array<uint8_t, 4> {}));
}

TEST_F(HeadlessHostTest, snapshotsOfTheScreenAndOfOneViewArePNGFilesOfTheirSize)
{
    auto card = UIView::create(CGRectMake(0, 0, 60, 30));
    card->setBackgroundColor(UIColor::greenColor());
    root->view()->addSubview(card);
    const std::string screenPath = temporaryPath("screen.png");
    const std::string cardPath = temporaryPath("card.png");
    ASSERT_TRUE(host->writePNG(NSString(screenPath)));
    ASSERT_TRUE(host->writePNG(card, NSString(cardPath)));
    auto size = [](const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        unsigned char header[24] = {};
        file.read(reinterpret_cast<char*>(header), sizeof header);
        auto be = [&](int at) { return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3]; };
        return std::make_pair(be(16), be(20));
    };
    EXPECT_EQ(size(screenPath), std::make_pair(640, 1136));
    EXPECT_EQ(size(cardPath), std::make_pair(120, 60));
    std::filesystem::remove(screenPath);
    std::filesystem::remove(cardPath);
    EXPECT_FALSE(host->writePNG(nullptr, NSString(cardPath)));
    EXPECT_FALSE(host->writePNG(NSString("/nonexistent-folder/x.png")));
}

TEST_F(HeadlessHostTest, theViewTreeReadsClassFrameTextAndHidden)
{
    auto caption = Caption::create(CGRectMake(5, 6, 70, 20));
    caption->text = "科目一";
    auto hidden = UIView::create(CGRectMake(0, 0, 1, 1));
    hidden->setHidden(true);
    root->view()->addSubview(caption);
    root->view()->addSubview(hidden);
    EXPECT_EQ(host->viewTree(),
        "UIWindow {{0, 0}, {320, 568}}\n"
        "  UIView {{0, 0}, {320, 568}}\n"
        "    Caption {{5, 6}, {70, 20}} \"科目一\"\n"
        "    UIView {{0, 0}, {1, 1}} hidden\n");
    EXPECT_EQ(host->findViewWithText("科目一"), caption);
    EXPECT_EQ(host->findViewWithText("科目二"), nullptr);
}

TEST_F(HeadlessHostTest, tappingAViewTellsWhetherTheFingerReachedIt)
{
    auto target = UIView::create(CGRectMake(0, 0, 100, 100));
    auto cover = UIView::create(CGRectMake(0, 0, 100, 100));
    root->view()->addSubview(target);
    EXPECT_TRUE(host->tap(target));
    root->view()->addSubview(cover);
    EXPECT_FALSE(host->tap(target));
    EXPECT_FALSE(host->tap(UIView::create()));
}

TEST_F(HeadlessHostTest, runningUntilIdleIsBoundedByARepeatingTimer)
{
    int ticks = 0;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.1, [&](const auto&) { ++ticks; }, true);
    EXPECT_FALSE(host->runUntilIdle(1));
    EXPECT_GE(ticks, 9);
    timer->invalidate();
    EXPECT_TRUE(host->runUntilIdle(1));
}

TEST_F(HeadlessHostTest, theApplicationGoesToTheBackgroundAndBack)
{
    host->sendToBackground();
    EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Background);
    host->bringToForeground();
    EXPECT_EQ(UIApplication::sharedApplication()->applicationState(), UIApplicationState::Active);
}

// Letting go of the font files' pages waits for the screen to rest, on the host's clock: never
// between frames drawn in quick succession, once per rest, and again only after a frame.
TEST_F(HeadlessHostTest, fontPagesAreLetGoOnceTheScreenHasRested)
{
    auto screen = host->screen();
    auto swatch = UIView::create(CGRectMake(10, 10, 40, 40));
    root->view()->addSubview(swatch);
    host->runUntilIdle();
    const NSUInteger before = screen->fontPageReleaseCount();
    for (int frame = 0; frame < 150; ++frame) {
        swatch->setBackgroundColor(frame % 2 ? UIColor::redColor() : UIColor::blueColor());
        host->advance(0.05);
    }
    for (int frame = 0; frame < 4; ++frame) {
        swatch->setBackgroundColor(frame % 2 ? UIColor::redColor() : UIColor::blueColor());
        host->advance(ScreenDriver::fontPagesRest - 0.1);
    }
    EXPECT_EQ(screen->fontPageReleaseCount(), before) << "frames came within the rest";

    host->advance(0.2);
    EXPECT_EQ(screen->fontPageReleaseCount(), before + 1);
    host->advance(10);
    EXPECT_FALSE(screen->renderFrameIfNeeded());
    EXPECT_EQ(screen->fontPageReleaseCount(), before + 1) << "nothing drawn, nothing read again";

    swatch->setBackgroundColor(UIColor::greenColor());
    host->advance(ScreenDriver::fontPagesRest / 2);
    EXPECT_EQ(screen->fontPageReleaseCount(), before + 1);
    host->advance(ScreenDriver::fontPagesRest / 2 + 0.1);
    EXPECT_EQ(screen->fontPageReleaseCount(), before + 2);
    EXPECT_EQ(host->pixelAt(CGPointMake(30, 30)), (std::array<uint8_t, 4> { 0, 255, 0, 255 }));
}
