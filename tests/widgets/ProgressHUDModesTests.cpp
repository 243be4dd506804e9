#include "WidgetPictures.h"
#include "WidgetScreen.h"
#include "tests/support/Waiting.h"

#include "library/widgets/progresshud/PRProgressHUD.h"
#include "library/widgets/progresshud/PRRoundProgressView.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/dispatch/dispatch.h"
#include "platform/text/UIStringDrawing.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cmath>

namespace {

class ProgressHUDModes : public WidgetScreenTest {
protected:
    // The HUD box's colour is black at 0.8 over white: about 51 of 255.
    bool boxAt(CGPoint point) { return host->pixelAt(point)[0] < 90; }
};

TEST_F(ProgressHUDModes, eachModeDrawsItsIndicatorInTheBox)
{
    auto hud = PRProgressHUD::showHUDAddedTo(screen(), false);
    hud->setMode(PRProgressHUDModeDeterminate);
    hud->setLabelText("正在下载");
    hud->setProgress(0.25f);
    host->advance(0.1);
    writeWidgetPicture(*host, "progress-hud-determinate");
    auto pie = std::dynamic_pointer_cast<PRRoundProgressView>(hud->indicator());
    ASSERT_TRUE(pie);
    const CGRect frame = pie->convertRectToView(pie->bounds(), nullptr);
    const CGPoint centre = CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
    // A quarter from twelve o'clock clockwise: white to the upper right, faint to the upper left.
    EXPECT_GT(host->pixelAt(CGPointMake(centre.x + 8, centre.y - 8))[0], 230);
    EXPECT_LT(host->pixelAt(CGPointMake(centre.x - 8, centre.y - 8))[0], 120);
    EXPECT_LT(host->pixelAt(CGPointMake(centre.x + 8, centre.y + 8))[0], 120);

    hud->setMode(PRProgressHUDModeAnnularDeterminate);
    hud->setProgress(0.6f);
    host->advance(0.1);
    writeWidgetPicture(*host, "progress-hud-annular");
    ASSERT_EQ(pie, hud->indicator());
    EXPECT_TRUE(pie->isAnnular());
    // The ring's centre stays the box colour; the ring at three o'clock is white.
    EXPECT_LT(host->pixelAt(centre)[0], 120);
    EXPECT_GT(host->pixelAt(CGPointMake(centre.x + 16, centre.y))[0], 230);

    auto check = UIView::create(CGRectMake(0, 0, 37, 37));
    check->setBackgroundColor(UIColor::greenColor());
    hud->setCustomView(check);
    hud->setMode(PRProgressHUDModeCustomView);
    hud->setDetailsLabelText("已完成");
    host->advance(0.1);
    writeWidgetPicture(*host, "progress-hud-custom");
    EXPECT_EQ(hud->indicator(), check);
    EXPECT_EQ(check->superview(), hud);

    hud->setMode(PRProgressHUDModeText);
    hud->setDetailsLabelText(NSString());
    host->advance(0.1);
    writeWidgetPicture(*host, "progress-hud-text");
    EXPECT_FALSE(hud->indicator());
}

TEST_F(ProgressHUDModes, aTextOnlyBoxIsTheLabelWithTheMarginsAndSquareWhenAsked)
{
    auto hud = PRProgressHUD::showHUDAddedTo(screen(), false);
    hud->setMode(PRProgressHUDModeText);
    hud->setLabelText("请稍候");
    hud->layoutIfNeeded();
    const CGSize text = UIStringDrawing::sizeWithFont("请稍候", hud->labelFont());
    EXPECT_DOUBLE_EQ(hud->size().width, text.width + 40);
    EXPECT_DOUBLE_EQ(hud->size().height, text.height + 40);
    host->advance(0.05);
    EXPECT_TRUE(boxAt(CGPointMake(160 - text.width / 2 - 10, 284)));
    EXPECT_FALSE(boxAt(CGPointMake(160 - text.width / 2 - 30, 284)));

    hud->setSquare(true);
    hud->setNeedsLayout();
    hud->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(hud->size().height, hud->size().width);
    hud->setMinSize(CGSizeMake(200, 150));
    hud->setNeedsLayout();
    hud->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(hud->size().width, 200);
}

TEST_F(ProgressHUDModes, aTaskShorterThanTheGraceTimeNeverShowsTheHUDButStillCompletes)
{
    auto hud = PRProgressHUD::create(screen());
    screen()->addSubview(hud);
    hud->setGraceTime(0.5f);
    bool completed = false;
    auto queue = dispatch_queue_create("hud-work", nullptr);
    hud->showAnimated(true, [] { }, queue, [&completed] { completed = true; });
    // Once the queue has run the work, its end waits on the main queue.
    dispatch_sync(queue, [] { });
    host->advance(0.2);
    EXPECT_TRUE(completed);
    EXPECT_TRUE(hud->isFinished());
    EXPECT_EQ(hud->alpha(), 0);
    host->advance(0.5);
    EXPECT_EQ(hud->alpha(), 0);
    EXPECT_FALSE(hud->showStarted());
}

TEST_F(ProgressHUDModes, theMinimumShowTimeHoldsAHideAndANewShowCancelsIt)
{
    auto hud = PRProgressHUD::showHUDAddedTo(screen(), false);
    hud->setMinShowTime(1.0f);
    host->advance(0.3);
    hud->hide(false);
    EXPECT_EQ(hud->alpha(), 1);
    host->advance(0.65);
    EXPECT_EQ(hud->alpha(), 1);
    host->advance(0.1);
    EXPECT_EQ(hud->alpha(), 0);
    EXPECT_TRUE(hud->isFinished());

    // Shown again while a hide waits for the minimum: the old wait must not end the new showing.
    hud->show(false);
    host->advance(0.2);
    hud->hide(false);
    hud->show(false);
    host->advance(1.0);
    EXPECT_EQ(hud->alpha(), 1);
    EXPECT_FALSE(hud->minShowTimer());
}

TEST_F(ProgressHUDModes, anAnimatedHideFadesAndTellsTheDelegateAndTheBlockOnce)
{
    struct Delegate : PRProgressHUDDelegate {
        int hidden { 0 };
        void hudWasHidden(PRProgressHUD&) override { ++hidden; }
    };
    auto delegate = std::make_shared<Delegate>();
    auto hud = PRProgressHUD::showHUDAddedTo(screen(), true);
    hud->setAnimationType(PRProgressHUDAnimationZoom);
    hud->setDelegate(delegate);
    int blocks = 0;
    hud->setCompletionBlock([&blocks] { ++blocks; });
    host->advance(0.35);
    EXPECT_EQ(hud->alpha(), 1);
    hud->hide(true, 0.5);
    host->advance(0.45);
    EXPECT_EQ(delegate->hidden, 0);
    host->advance(0.4);
    EXPECT_EQ(delegate->hidden, 1);
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(hud->superview(), screen());
}

TEST_F(ProgressHUDModes, theClassHideTakesTheLastHUDAndRemovesIt)
{
    auto first = PRProgressHUD::showHUDAddedTo(screen(), false);
    auto second = PRProgressHUD::showHUDAddedTo(screen(), false);
    EXPECT_EQ(PRProgressHUD::HUDForView(screen()), second);
    EXPECT_TRUE(PRProgressHUD::hideHUDForView(screen(), false));
    EXPECT_FALSE(second->superview());
    EXPECT_EQ(first->superview(), screen());
    EXPECT_EQ(PRProgressHUD::hideAllHUDsForView(screen(), false), 1u);
    EXPECT_FALSE(PRProgressHUD::hideHUDForView(screen(), false));
}

TEST_F(ProgressHUDModes, aLabelSetFromAnotherThreadReachesTheLabelOnTheMainThread)
{
    auto hud = PRProgressHUD::showHUDAddedTo(screen(), false);
    std::atomic<bool> set { false };
    dispatch_async(dispatch_get_global_queue(0, 0), [hud, &set] {
        hud->setLabelText("后台更新");
        set = true;
    });
    // The other thread may not have run yet on a loaded machine: wait for it in real time, then
    // let the main run loop take what it posted.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!set && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(set);
    host->drainRunLoop();
    host->advance(0.01);
    EXPECT_EQ(hud->label()->text(), NSString("后台更新"));
}

TEST_F(ProgressHUDModes, workOnItsOwnThreadHidesTheHUDWhenDone)
{
    auto hud = PRProgressHUD::create(screen());
    hud->setRemoveFromSuperViewOnHide(true);
    screen()->addSubview(hud);
    std::atomic<bool> ran { false };
    hud->showWhileExecuting([&ran] { ran = true; }, false);
    EXPECT_TRUE(hud->taskInProgress());
    // The work runs on a thread of its own, which a loaded machine may start late: wait for it in
    // real time, moving the clock meanwhile so the hiding that follows it can run.
    EXPECT_TRUE(testing_support::runLoopUntil([&] {
        host->advance(0.01);
        return !hud->superview();
    }));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(hud->superview());
    EXPECT_FALSE(hud->taskInProgress());
}

} // namespace

namespace {

TEST_F(ProgressHUDModes, theSpinnerModeAndTheDimmedBackground)
{
    auto hud = PRProgressHUD::showHUDAddedTo(screen(), true);
    hud->setLabelText("正在提交");
    hud->setDetailsLabelText("请勿关闭程序，提交完成后将自动返回");
    hud->setDimBackground(true);
    EXPECT_EQ(hud->alpha(), 1);  // the model; the screen follows over 0.3 s
    host->advance(0.35);
    writeWidgetPicture(*host, "progress-hud-spinner-dimmed");
    EXPECT_TRUE(std::dynamic_pointer_cast<UIActivityIndicatorView>(hud->indicator()));
    // Dimmed most at the corners, not at all in the middle of the ground.
    EXPECT_LT(host->pixelAt(CGPointMake(2, 2))[0], 150);
    EXPECT_GT(host->pixelAt(CGPointMake(160, 100))[0], host->pixelAt(CGPointMake(2, 2))[0]);
    // The details wrap within the box, below the label.
    EXPECT_GT(hud->detailsLabel()->frame().origin.y, CGRectGetMaxY(hud->label()->frame()));
    EXPECT_LE(hud->detailsLabel()->frame().size.width, 320 - 4 * 20);
}

} // namespace
