#include "WidgetScreen.h"

#include "library/widgets/player/VPAirplayView.h"
#include "library/widgets/player/VPButton.h"
#include "library/widgets/player/VPMoviePlayerController.h"
#include "library/widgets/player/VPMoviePlayerControls.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/layers/CALayer.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIWindow.h"

#include <cmath>
#include <filesystem>

namespace {

class Recorder : public VPMoviePlayerControllerDelegate, public VPButtonDelegate, public VPAirplayViewDelegate {
public:
    void moviePlayerWillMoveFromWindow() override { ++movedBack; }
    void movieTimedOut() override { ++timedOut; }
    void buttonTouchedDown(VPButton&) override { events.push_back("down"); }
    void buttonTouchedUpOutside(VPButton&) override { events.push_back("up-outside"); }
    void airplayButtonTouchedDown() override { events.push_back("route-down"); }
    void airplayButtonTouchedUpInside() override { events.push_back("route-up-inside"); }
    void airplayButtonTouchedUpOutside() override { events.push_back("route-up-outside"); }
    void airplayButtonTouchFailed() override { events.push_back("route-failed"); }

    int movedBack { 0 };
    int timedOut { 0 };
    std::vector<std::string> events;
};

class MoviePlayerControls : public WidgetScreenTest {
protected:
    void SetUp() override
    {
        setenv("CORVANE_AUDIO_SINK", "fake", 1);
        WidgetScreenTest::SetUp();
        recorder = std::make_shared<Recorder>();
        player = VPMoviePlayerController::create(CGRectMake(0, 79, 320, 246));
        player->setDelegate(recorder);
        controls = VPMoviePlayerControls::create(player, VPMoviePlayerControlsStyleDefault);
        controls->setBarHeight(60);
        screen()->addSubview(player->view());
    }
    void TearDown() override
    {
        player->stop();
        WidgetScreenTest::TearDown();
    }

    std::shared_ptr<Recorder> recorder;
    std::shared_ptr<VPMoviePlayerController> player;
    std::shared_ptr<VPMoviePlayerControls> controls;
};

TEST_F(MoviePlayerControls, aContentURLBeforeTheControlsIsRefusedAndChangesNothing)
{
    try {
        player->setContentURL(NSURL::URLWithString("http://127.0.0.1:9/lesson.ogv"));
        FAIL() << "no exception";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSString("VPMoviePlayerController Exception"));
        EXPECT_EQ(exception.reason(), NSString("Set contentURL after setting controls."));
    }
    EXPECT_FALSE(player->contentURL());
    player->setControls(controls);
    EXPECT_EQ(controls->superview(), player->view());
    EXPECT_EQ(controls->frame(), CGRectMake(0, 0, 320, 246));
}

TEST_F(MoviePlayerControls, theLoadingWatchReportsOnceAfterTwentySecondsAndEndsWhenStopped)
{
    player->setControls(controls);
    player->setContentURL(NSURL::URLWithString("http://127.0.0.1:9/never.ogv"));
    EXPECT_TRUE(player->isWatchingLoad());
    host->advance(19.5);
    EXPECT_EQ(recorder->timedOut, 0);
    host->advance(1);
    EXPECT_EQ(recorder->timedOut, 1);
    host->advance(30);
    EXPECT_EQ(recorder->timedOut, 1);

    // A stopped movie is not late: the watch of a new play ends with the stop.
    player->play();
    EXPECT_TRUE(player->isWatchingLoad());
    player->stop();
    EXPECT_FALSE(player->isWatchingLoad());
    host->advance(25);
    EXPECT_EQ(recorder->timedOut, 1);
}

TEST_F(MoviePlayerControls, timeLabelsCountMinutesWithoutHoursAndNeverShowNotANumber)
{
    player->setControls(controls);
    controls->setTimeTotal(true);
    controls->setTimeLabelValues(59.9, 3725);
    EXPECT_EQ(controls->timeElapsedLabel()->text(), NSString("0:59"));
    EXPECT_EQ(controls->timeRemainingLabel()->text(), NSString("62:05"));
    controls->setTimeTotal(false);
    controls->setTimeRemainingDecrements(true);
    controls->setTimeLabelValues(3600, 3725);
    EXPECT_EQ(controls->timeRemainingLabel()->text(), NSString("-2:05"));
    controls->setTimeLabelValues(NAN, NAN);
    EXPECT_EQ(controls->timeElapsedLabel()->text(), NSString("0:00"));
    EXPECT_EQ(controls->timeRemainingLabel()->text(), NSString("-0:00"));
    controls->setTimeLabelValues(INFINITY, -5);
    EXPECT_EQ(controls->timeElapsedLabel()->text(), NSString("0:00"));
}

TEST_F(MoviePlayerControls, oneDurationTimerRunsAtATime)
{
    player->setControls(controls);
    controls->startDurationTimer();
    auto first = controls->durationTimer();
    controls->startDurationTimer();
    EXPECT_FALSE(first->isValid());
    EXPECT_TRUE(controls->durationTimer()->isValid());
    controls->stopDurationTimer();
    EXPECT_FALSE(controls->durationTimer());
}

TEST_F(MoviePlayerControls, embeddedBarLaysOutAndTapsToggleTheBarsWhichHideAfterTheFadeDelay)
{
    player->setControls(controls);
    controls->layoutIfNeeded();
    EXPECT_EQ(controls->bottomBar()->frame(), CGRectMake(0, 186, 320, 60));
    EXPECT_EQ(controls->playPauseButton()->frame(), CGRectMake(10, 19, 18, 22));
    EXPECT_EQ(controls->fullscreenButton()->frame(), CGRectMake(282, 16, 28, 28));
    EXPECT_TRUE(controls->airplayView()->isHidden());
    EXPECT_EQ(controls->timeRemainingLabel()->frame().origin.x, 282 - 10 - 40);
    EXPECT_EQ(controls->durationSlider()->frame().origin.x, 28 + 10 + 40 + 10);

    host->tap(CGPointMake(160, 150));
    host->advance(0.4);
    EXPECT_TRUE(controls->isShowing());
    EXPECT_EQ(controls->bottomBar()->alpha(), 1);
    EXPECT_EQ(controls->topBar()->alpha(), 0);
    host->advance(5.4);
    EXPECT_FALSE(controls->isShowing());
    EXPECT_EQ(controls->bottomBar()->alpha(), 0);
}

TEST_F(MoviePlayerControls, theStyleNoneHasNoBarsIgnoresTapsAndStaysNone)
{
    player->setControls(controls);
    controls->setStyle(VPMoviePlayerControlsStyleNone);
    host->advance(1);
    EXPECT_EQ(controls->style(), VPMoviePlayerControlsStyleNone);
    EXPECT_FALSE(controls->bottomBar()->superview());
    host->tap(CGPointMake(160, 150));
    host->advance(1);
    EXPECT_FALSE(controls->isShowing());
    EXPECT_EQ(controls->style(), VPMoviePlayerControlsStyleNone);
}

TEST_F(MoviePlayerControls, fullscreenMovesTheViewOntoTheWindowUprightAndTheDelegatePutsItBack)
{
    player->setControls(controls);
    controls->fullscreen(nullptr);
    EXPECT_TRUE(player->isFullscreen());
    host->advance(1);
    EXPECT_EQ(player->view()->superview(), player->movieBackgroundView());
    EXPECT_EQ(player->movieBackgroundView()->superview(), host->keyWindow());
    // The window is not turned in the hand: the film and its bars stand upright and fill it.
    EXPECT_TRUE(CGAffineTransformIsIdentity(player->movieBackgroundView()->transform()));
    EXPECT_EQ(player->view()->convertRectToView(player->view()->bounds(), nullptr), host->keyWindow()->bounds());
    EXPECT_EQ(controls->style(), VPMoviePlayerControlsStyleDefault);
    controls->layoutIfNeeded();
    EXPECT_EQ(controls->topBar()->superview(), controls);
    EXPECT_EQ(controls->topBar()->frame().size.width, 320);
    EXPECT_EQ(CGRectGetMaxY(controls->bottomBar()->frame()), 568);
    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    host->writePNG(NSString(CORVANE_SNAPSHOT_DIR "/movie-controls-fullscreen.png"));

    controls->fullscreen(nullptr);
    EXPECT_FALSE(player->isFullscreen());
    host->advance(1);
    EXPECT_EQ(recorder->movedBack, 1);
    EXPECT_FALSE(player->movieBackgroundView()->superview());
}

TEST_F(MoviePlayerControls, escapeOrAltLeftLeavesTheFullscreenAndOnlyThen)
{
    player->setControls(controls);
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
    for (const auto& [key, modifiers] : { std::pair { UIKeyboardKey::Escape, UIKeyModifierNone },
             std::pair { UIKeyboardKey::LeftArrow, UIKeyModifierAlternate } }) {
        controls->fullscreen(nullptr);
        host->advance(1);
        ASSERT_TRUE(player->isFullscreen());
        // Other keys pass by.
        EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape, UIKeyModifierShift));
        EXPECT_TRUE(player->isFullscreen());
        EXPECT_TRUE(host->pressKey(key, modifiers));
        EXPECT_FALSE(player->isFullscreen());
        host->advance(1);
        EXPECT_FALSE(player->movieBackgroundView()->superview());
    }
    EXPECT_EQ(recorder->movedBack, 2);
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
}

TEST_F(MoviePlayerControls, buttonsTakeTouchesTenPointsBeyondTheirFrameAndTellTheirDelegate)
{
    auto button = VPButton::create(CGRectMake(100, 100, 40, 40));
    button->setDelegate(recorder);
    screen()->addSubview(button);
    EXPECT_EQ(screen()->hitTest(CGPointMake(91, 120), nullptr), button);
    EXPECT_NE(screen()->hitTest(CGPointMake(89, 120), nullptr), button);
    host->touchDown(CGPointMake(120, 120));
    host->touchMove(CGPointMake(250, 300));
    host->touchUp(CGPointMake(250, 300));
    EXPECT_EQ(recorder->events, (std::vector<std::string> { "down", "up-outside" }));
}

TEST_F(MoviePlayerControls, aRoutePressDraggedOutOfTheViewEndsOutside)
{
    auto route = VPAirplayView::create(CGRectMake(100, 300, 30, 22));
    route->setDelegate(recorder);
    screen()->addSubview(route);
    host->touchDown(CGPointMake(115, 311));
    host->advance(0.05);
    host->touchMove(CGPointMake(118, 313));
    host->touchMove(CGPointMake(200, 400));
    host->touchUp(CGPointMake(200, 400));
    host->advance(0.05);
    ASSERT_GE(recorder->events.size(), 2u);
    EXPECT_EQ(recorder->events.front(), "route-down");
    EXPECT_EQ(recorder->events.back(), "route-up-outside");
}

} // namespace

// On a pad the route picker is a popover in the window: the controls stay while it is up and
// hide a while after its layer has gone again.
TEST_F(MoviePlayerControls, onAPadTheRoutePickersPopoverKeepsTheControlsUntilItHasGone)
{
    UIDevice::setUserInterfaceIdiom(UIUserInterfaceIdiom::Pad);
    player->setControls(controls);
    controls->showControls(nullptr);
    host->advance(0.5);
    ASSERT_TRUE(controls->isShowing());
    controls->airplayButtonTouchedUpInside();
    auto popover = CALayer::layer();
    host->keyWindow()->layer()->addSublayer(popover);
    host->advance(6);
    EXPECT_TRUE(controls->isShowing());
    popover->removeFromSuperlayer();
    host->advance(0.1);
    EXPECT_TRUE(controls->isShowing());
    host->advance(controls->fadeDelay() + 0.5);
    EXPECT_FALSE(controls->isShowing());
    UIDevice::setUserInterfaceIdiom(UIUserInterfaceIdiom::Phone);
}
