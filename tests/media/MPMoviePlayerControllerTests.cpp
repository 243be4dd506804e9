#include "platform/media/MPMoviePlayerController.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSNotification.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemClock.h"
#include "platform/graphics/CGImage.h"
#include "platform/layers/CALayer.h"
#include "platform/uikit/UISlider.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/HeldStream.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string scratchPath(const std::string& name)
{
    const char* home = std::getenv("CORVANE_HOME");
    return std::string(home ? home : "/tmp") + "/" + name;
}

std::string writeFile(const std::string& name, const std::string& bytes)
{
    const auto path = scratchPath(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

class MoviePlayer : public testing::Test {
protected:
    void SetUp() override
    {
        // Sound goes to the silent, counting output.
        setenv("CORVANE_AUDIO_SINK", "fake", 1);
        SystemClock::useManualClock();
        auto center = NSNotificationCenter::defaultCenter();
        for (const char* name : { MPMoviePlayerPlaybackStateDidChangeNotification, MPMoviePlayerLoadStateDidChangeNotification,
                 MPMovieDurationAvailableNotification, MPMediaPlaybackIsPreparedToPlayDidChangeNotification,
                 MPMoviePlayerPlaybackDidFinishNotification, MPMoviePlayerThumbnailImageRequestDidFinishNotification,
                 MPMoviePlayerWillEnterFullscreenNotification, MPMoviePlayerDidEnterFullscreenNotification })
            center->addObserver(m_observer, [this](const std::shared_ptr<NSNotification>& note) { m_notes.push_back(note); }, name, nullptr);
    }
    void TearDown() override
    {
        NSNotificationCenter::defaultCenter()->removeObserver(m_observer);
        MPAudioOutput::setVolume(1);
        SystemClock::useRealClock();
    }

    // The decoder works on its own threads and reports on the main run loop: turns the loop,
    // without moving the clock, until the condition holds (bounded).
    static bool settle(const std::function<bool()>& done) { return testing_support::runLoopUntil(done); }
    bool finished() const { return !named(MPMoviePlayerPlaybackDidFinishNotification).empty(); }
    // Plays that much of the clock a frame at a time. A film on disk stalls only when its decoder
    // falls behind the clock, as on a busy machine: the stall is waited out in real time before
    // the clock moves on, so the time played is the clock's to within a frame.
    static void playFor(const MPMoviePlayerController& movie, NSTimeInterval seconds)
    {
        constexpr NSTimeInterval kFrame = 1.0 / 30;
        for (NSTimeInterval played = 0; played < seconds - 1e-9; played += kFrame) {
            settle([&] { return !(movie.loadState() & MPMovieLoadStateStalled); });
            NSRunLoop::mainRunLoop()->advanceClock(std::min(kFrame, seconds - played));
        }
    }

    std::shared_ptr<MPMoviePlayerController> player(const std::string& path)
    {
        return MPMoviePlayerController::create(NSURL::fileURLWithPath(NSString(path.c_str())));
    }
    std::vector<std::shared_ptr<NSNotification>> named(const char* name) const
    {
        std::vector<std::shared_ptr<NSNotification>> found;
        for (const auto& note : m_notes)
            if (note->name() == NSString(name))
                found.push_back(note);
        return found;
    }
    static NSInteger reasonOf(const std::shared_ptr<NSNotification>& note)
    {
        auto reason = std::dynamic_pointer_cast<NSNumber>(note->userInfo()->objectForKey(MPMoviePlayerPlaybackDidFinishReasonUserInfoKey));
        return reason ? reason->integerValue() : -1;
    }
    static std::shared_ptr<NSError> errorOf(const std::shared_ptr<NSNotification>& note)
    {
        return std::dynamic_pointer_cast<NSError>(note->userInfo()->objectForKey(MPMoviePlayerPlaybackErrorUserInfoKey));
    }
    void expectFailedWithError(MPMoviePlayerController& movie)
    {
        ASSERT_TRUE(settle([&] { return this->finished(); }));
        const auto finished = named(MPMoviePlayerPlaybackDidFinishNotification);
        ASSERT_EQ(finished.size(), 1u);
        EXPECT_EQ(reasonOf(finished[0]), MPMovieFinishReasonPlaybackError);
        ASSERT_TRUE(errorOf(finished[0]));
        EXPECT_GT(errorOf(finished[0])->localizedDescription().length(), 0u);
        EXPECT_FALSE(movie.isPreparedToPlay());
        EXPECT_EQ(movie.playbackState(), MPMoviePlaybackStateStopped);
        // A failed movie stays failed and quiet: no second finish, no crash.
        movie.play();
        movie.setCurrentPlaybackTime(1);
        NSRunLoop::mainRunLoop()->advanceClock(1);
        EXPECT_EQ(named(MPMoviePlayerPlaybackDidFinishNotification).size(), 1u);
    }

    std::shared_ptr<NSObject> m_observer = NSObject::create();
    std::vector<std::shared_ptr<NSNotification>> m_notes;
};

TEST_F(MoviePlayer, preparesPlaysSeeksAndEndsOnTheClock)
{
    auto movie = player(TEST_MOVIE_PATH);
    EXPECT_EQ(movie->loadState(), MPMovieLoadStateUnknown);
    movie->prepareToPlay();
    EXPECT_FALSE(movie->isPreparedToPlay()); // the bus tells later
    ASSERT_TRUE(settle([&] { return movie->isPreparedToPlay(); }));
    EXPECT_EQ(movie->loadState(), MPMovieLoadStatePlayable | MPMovieLoadStatePlaythroughOK);
    EXPECT_NEAR(movie->duration(), 3.0, 0.05);
    EXPECT_NEAR(movie->playableDuration(), movie->duration(), 1e-9);
    EXPECT_EQ(movie->naturalSize().width, 64);
    EXPECT_EQ(movie->naturalSize().height, 48);
    EXPECT_EQ(named(MPMovieDurationAvailableNotification).size(), 1u);
    EXPECT_EQ(named(MPMediaPlaybackIsPreparedToPlayDidChangeNotification).size(), 1u);
    EXPECT_EQ(named(MPMoviePlayerLoadStateDidChangeNotification).size(), 1u);
    const auto firstFrame = movie->view()->layer()->contents();
    ASSERT_TRUE(firstFrame);
    EXPECT_EQ(firstFrame->width(), 64u);

    movie->play();
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStatePlaying);
    EXPECT_EQ(named(MPMoviePlayerPlaybackStateDidChangeNotification).size(), 1u);
    playFor(*movie, 1.0);
    EXPECT_NEAR(movie->currentPlaybackTime(), 1.0, 0.05);
    EXPECT_NE(movie->view()->layer()->contents(), firstFrame);
    EXPECT_TRUE(named(MPMoviePlayerPlaybackDidFinishNotification).empty());
    // The sound track is decoded and reaches the (silent) output while the film plays.
    EXPECT_TRUE(settle([&] { return movie->soundBuffersPlayed() > 0; }));

    movie->setCurrentPlaybackTime(2.5);
    EXPECT_NEAR(movie->currentPlaybackTime(), 2.5, 1e-9);
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStatePlaying);
    playFor(*movie, 0.3);
    EXPECT_NEAR(movie->currentPlaybackTime(), 2.8, 0.05);
    EXPECT_TRUE(named(MPMoviePlayerPlaybackDidFinishNotification).empty());

    NSRunLoop::mainRunLoop()->advanceClock(1.0);
    const auto finished = named(MPMoviePlayerPlaybackDidFinishNotification);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(reasonOf(finished[0]), MPMovieFinishReasonPlaybackEnded);
    EXPECT_FALSE(errorOf(finished[0]));
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStateStopped);
    EXPECT_NEAR(movie->currentPlaybackTime(), movie->duration(), 1e-9);
    NSRunLoop::mainRunLoop()->advanceClock(1.0);
    EXPECT_EQ(named(MPMoviePlayerPlaybackDidFinishNotification).size(), 1u);
}

TEST_F(MoviePlayer, notificationsOfPreparingComeInTheirOrder)
{
    auto movie = player(TEST_MOVIE_PATH);
    movie->play();
    EXPECT_TRUE(m_notes.empty()); // nothing before the decoder has the first frame
    ASSERT_TRUE(settle([&] { return movie->playbackState() == MPMoviePlaybackStatePlaying; }));
    std::vector<NSString> names;
    for (const auto& note : m_notes)
        names.push_back(note->name());
    EXPECT_EQ(names, (std::vector<NSString> { MPMovieDurationAvailableNotification, MPMediaPlaybackIsPreparedToPlayDidChangeNotification,
                         MPMoviePlayerLoadStateDidChangeNotification, MPMoviePlayerPlaybackStateDidChangeNotification }));
}

TEST_F(MoviePlayer, theSoundTrackPlaysOnTheRunLoopsClock)
{
    auto movie = player(TEST_MOVIE_PATH);
    movie->play();
    ASSERT_TRUE(settle([&] { return movie->playbackState() == MPMoviePlaybackStatePlaying; }));
    // However fast the sound is taken, the pictures and the end follow the clock.
    for (int step = 0; step < 5; ++step)
        NSRunLoop::mainRunLoop()->advanceClock(0.5);
    EXPECT_NEAR(movie->currentPlaybackTime(), 2.5, 0.05);
    EXPECT_FALSE(finished());
    EXPECT_TRUE(settle([&] { return movie->soundBuffersPlayed() > 0; }));
    NSRunLoop::mainRunLoop()->advanceClock(0.6);
    ASSERT_TRUE(finished());
    EXPECT_EQ(reasonOf(named(MPMoviePlayerPlaybackDidFinishNotification)[0]), MPMovieFinishReasonPlaybackEnded);
}

TEST_F(MoviePlayer, withoutAnAudioDeviceTheMovieStillPlays)
{
    setenv("CORVANE_AUDIO_SINK", "no-such-audio-output", 1);
    auto movie = player(TEST_MOVIE_PATH);
    movie->play();
    ASSERT_TRUE(settle([&] { return movie->playbackState() == MPMoviePlaybackStatePlaying; }));
    NSRunLoop::mainRunLoop()->advanceClock(1.0);
    EXPECT_TRUE(settle([&] { return movie->soundBuffersPlayed() > 0; }));
    NSRunLoop::mainRunLoop()->advanceClock(2.5);
    ASSERT_TRUE(finished());
    EXPECT_EQ(reasonOf(named(MPMoviePlayerPlaybackDidFinishNotification)[0]), MPMovieFinishReasonPlaybackEnded);
}

TEST_F(MoviePlayer, volumeViewAndRateDecideTheSound)
{
    auto movie = player(TEST_MOVIE_PATH);
    auto volume = MPVolumeView::create(CGRectMake(0, 0, 200, 34));
    ASSERT_TRUE(volume->volumeSlider());
    EXPECT_EQ(volume->volumeSlider()->value(), 1.0f);
    EXPECT_FALSE(movie->isSoundMuted());

    volume->volumeSlider()->setValue(0);
    volume->volumeSlider()->sendActionsForControlEvents(UIControlEventValueChanged);
    EXPECT_EQ(MPAudioOutput::volume(), 0.0f);
    EXPECT_TRUE(movie->isSoundMuted());
    MPAudioOutput::setVolume(0.5f);
    EXPECT_EQ(volume->volumeSlider()->value(), 0.5f); // the slider follows the device volume
    EXPECT_FALSE(movie->isSoundMuted());

    movie->prepareToPlay();
    ASSERT_TRUE(settle([&] { return movie->isPreparedToPlay(); }));
    movie->setCurrentPlaybackRate(2); // scanning is silent
    EXPECT_TRUE(movie->isSoundMuted());
    movie->setCurrentPlaybackRate(1);
    EXPECT_FALSE(movie->isSoundMuted());

    volume->setShowsVolumeSlider(false);
    EXPECT_TRUE(volume->volumeSlider()->isHidden());
    MPAudioOutput::setVolume(7);
    EXPECT_EQ(MPAudioOutput::volume(), 1.0f);
}

TEST_F(MoviePlayer, theRunLoopTurnsWhileASlowStreamPrepares)
{
    std::ifstream source(TEST_MOVIE_PATH, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    loopback::Server server;
    testing_support::Signal asked;
    server.routes().Get("/movie.ogv", [&, asked](const httplib::Request&, httplib::Response& response) {
        asked.notify();
        {
            // The server holds its answer until the test lets it go (bounded, so it never hangs).
            std::unique_lock lock(mutex);
            released.wait_for(lock, std::chrono::seconds(20), [&] { return release; });
        }
        // Sent as a stream of unknown length, read once from start to end.
        response.set_chunked_content_provider("video/ogg", [&bytes](std::size_t offset, httplib::DataSink& sink) {
            const std::size_t chunk = std::min<std::size_t>(4096, bytes.size() - offset);
            sink.write(bytes.data() + offset, chunk);
            if (offset + chunk == bytes.size())
                sink.done();
            return true;
        });
    });
    server.start();

    auto movie = MPMoviePlayerController::create(NSURL::URLWithString(NSString(server.URL("/movie.ogv").c_str())));
    movie->prepareToPlay();
    // Counted by the timer itself: one left running by a failed assertion outlives the test.
    auto fired = std::make_shared<int>(0);
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.1, [fired](const auto&) { ++*fired; }, true);
    // The request is on its way and unanswered; the main run loop keeps turning meanwhile.
    ASSERT_TRUE(asked.waitForNotices());
    NSRunLoop::mainRunLoop()->advanceClock(1.0);
    EXPECT_GE(*fired, 10);
    EXPECT_FALSE(movie->isPreparedToPlay());
    EXPECT_EQ(movie->loadState(), MPMovieLoadStateUnknown);

    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    ASSERT_TRUE(settle([&] { return movie->isPreparedToPlay() || finished(); }));
    ASSERT_TRUE(movie->isPreparedToPlay()) << (finished() ? errorOf(named(MPMoviePlayerPlaybackDidFinishNotification)[0])->localizedDescription().UTF8String() : "");
    EXPECT_TRUE(movie->loadState() & MPMovieLoadStatePlayable);
    movie->play();
    // The film may still be on its way: a stall is its download's, waited for in real time.
    for (int step = 0; step < 8 && !finished(); ++step) {
        settle([&] { return finished() || !(movie->loadState() & MPMovieLoadStateStalled); });
        NSRunLoop::mainRunLoop()->advanceClock(0.5);
    }
    ASSERT_TRUE(finished());
    EXPECT_EQ(reasonOf(named(MPMoviePlayerPlaybackDidFinishNotification)[0]), MPMovieFinishReasonPlaybackEnded);
    EXPECT_GT(movie->soundBuffersPlayed(), 0u);
    timer->invalidate();
    movie->setContentURL(nullptr); // lets the server go before it stops
}

TEST_F(MoviePlayer, aFilmServedWithItsLengthTellsItsDuration)
{
    std::ifstream source(TEST_MOVIE_PATH, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    loopback::Server server;
    server.routes().Get("/movie.ogv", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(bytes, "video/ogg");
    });
    server.start();

    auto movie = MPMoviePlayerController::create(NSURL::URLWithString(NSString(server.URL("/movie.ogv").c_str())));
    movie->prepareToPlay();
    ASSERT_TRUE(settle([&] { return movie->isPreparedToPlay() || finished(); }));
    ASSERT_TRUE(movie->isPreparedToPlay());
    EXPECT_NEAR(movie->duration(), 3.0, 0.05);
    movie->setContentURL(nullptr);
}

// The server sends half the film, then nothing until the test lets it go on: the player shows
// the stall as the load state playable and stalled, still playing, and its time stands still.
TEST_F(MoviePlayer, aStreamWhoseDataStopsStallsHoldsItsTimeAndGoesOnWhenItFlowsAgain)
{
    std::ifstream source(TEST_MOVIE_PATH, std::ios::binary);
    testing_support::HeldStream server(std::string((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>()));
    // A stream of unknown length: a film served with its length would keep the demuxer from its
    // first frame until it had read the end.
    auto movie = MPMoviePlayerController::create(NSURL::URLWithString(NSString(server.URL().c_str())));
    movie->play();
    ASSERT_TRUE(settle([&] { return movie->playbackState() == MPMoviePlaybackStatePlaying || finished(); }));
    const auto stalled = [&] { return (movie->loadState() & MPMovieLoadStateStalled) != 0; };
    for (int step = 0; step < 24 && !stalled() && !finished(); ++step)
        NSRunLoop::mainRunLoop()->advanceClock(0.25);
    ASSERT_TRUE(stalled()) << movie->currentPlaybackTime();
    EXPECT_TRUE(movie->loadState() & MPMovieLoadStatePlayable);
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStatePlaying);
    const auto held = movie->currentPlaybackTime();
    EXPECT_LT(held, 2.9);
    NSRunLoop::mainRunLoop()->advanceClock(2.0);
    EXPECT_EQ(movie->currentPlaybackTime(), held);
    EXPECT_FALSE(finished());

    // The next decoded frame ends the stall without the clock moving.
    server.letGo();
    ASSERT_TRUE(settle([&] { return !stalled(); }));
    EXPECT_TRUE(movie->loadState() & MPMovieLoadStatePlaythroughOK);
    for (int step = 0; step < 24 && !finished(); ++step)
        NSRunLoop::mainRunLoop()->advanceClock(0.25);
    ASSERT_TRUE(finished());
    EXPECT_EQ(reasonOf(named(MPMoviePlayerPlaybackDidFinishNotification)[0]), MPMovieFinishReasonPlaybackEnded);
    movie->setContentURL(nullptr);
}

TEST_F(MoviePlayer, pauseHoldsTimeAndStopRewinds)
{
    auto movie = player(TEST_MOVIE_PATH);
    movie->play(); // prepares on demand, and plays once prepared
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStateStopped);
    ASSERT_TRUE(settle([&] { return movie->playbackState() == MPMoviePlaybackStatePlaying; }));
    playFor(*movie, 0.5);
    movie->pause();
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStatePaused);
    const auto held = movie->currentPlaybackTime();
    EXPECT_NEAR(held, 0.5, 0.05);
    NSRunLoop::mainRunLoop()->advanceClock(2.0);
    EXPECT_NEAR(movie->currentPlaybackTime(), held, 1e-9);

    const auto heldFrame = movie->view()->layer()->contents();
    movie->setCurrentPlaybackTime(1.5); // seeking while paused shows that frame
    EXPECT_NEAR(movie->currentPlaybackTime(), 1.5, 1e-9);
    EXPECT_TRUE(settle([&] { return movie->view()->layer()->contents() != heldFrame; }));
    movie->play();
    playFor(*movie, 0.5);
    EXPECT_NEAR(movie->currentPlaybackTime(), 2.0, 0.05);

    movie->setCurrentPlaybackRate(0);
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStatePaused);
    EXPECT_EQ(movie->currentPlaybackRate(), 0.0f);
    movie->setCurrentPlaybackRate(2);
    EXPECT_EQ(movie->currentPlaybackRate(), 2.0f);
    playFor(*movie, 0.25);
    EXPECT_NEAR(movie->currentPlaybackTime(), 2.5, 0.1);

    movie->stop();
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStateStopped);
    EXPECT_EQ(movie->currentPlaybackTime(), 0);
    EXPECT_TRUE(named(MPMoviePlayerPlaybackDidFinishNotification).empty());
    // Playing, paused, playing, paused, playing, stopped.
    EXPECT_EQ(named(MPMoviePlayerPlaybackStateDidChangeNotification).size(), 6u);
}

TEST_F(MoviePlayer, thumbnailsAnswerEachTimeWithAnImageOrAnError)
{
    auto movie = player(TEST_MOVIE_PATH);
    auto times = NSArray::arrayWithObjects({ NSNumber::numberWithDouble(0.5), NSNumber::numberWithDouble(2.0), NSNumber::numberWithDouble(-1) });
    movie->requestThumbnailImagesAtTimes(times, MPMovieTimeOptionExact);
    EXPECT_TRUE(named(MPMoviePlayerThumbnailImageRequestDidFinishNotification).empty()); // answered later
    ASSERT_TRUE(settle([&] { return named(MPMoviePlayerThumbnailImageRequestDidFinishNotification).size() == 3; }));
    const auto answers = named(MPMoviePlayerThumbnailImageRequestDidFinishNotification);
    ASSERT_EQ(answers.size(), 3u);
    for (int index = 0; index < 2; ++index) {
        auto image = std::dynamic_pointer_cast<UIImage>(answers[index]->userInfo()->objectForKey(MPMoviePlayerThumbnailImageKey));
        ASSERT_TRUE(image) << index;
        EXPECT_EQ(image->size().width, 64);
        EXPECT_EQ(image->size().height, 48);
    }
    auto time = std::dynamic_pointer_cast<NSNumber>(answers[1]->userInfo()->objectForKey(MPMoviePlayerThumbnailTimeKey));
    ASSERT_TRUE(time);
    EXPECT_EQ(time->doubleValue(), 2.0);
    EXPECT_FALSE(answers[2]->userInfo()->objectForKey(MPMoviePlayerThumbnailImageKey));
    EXPECT_TRUE(std::dynamic_pointer_cast<NSError>(answers[2]->userInfo()->objectForKey(MPMoviePlayerThumbnailErrorKey)));

    // A thumbnail of a movie that cannot be opened is an error too.
    auto missing = player(scratchPath("no-such-thumbnail-movie.ogv"));
    missing->requestThumbnailImagesAtTimes(NSArray::arrayWithObjects({ NSNumber::numberWithDouble(0) }), MPMovieTimeOptionNearestKeyFrame);
    ASSERT_TRUE(settle([&] { return named(MPMoviePlayerThumbnailImageRequestDidFinishNotification).size() == 4; }));
    const auto failed = named(MPMoviePlayerThumbnailImageRequestDidFinishNotification);
    ASSERT_EQ(failed.size(), 4u);
    EXPECT_TRUE(std::dynamic_pointer_cast<NSError>(failed[3]->userInfo()->objectForKey(MPMoviePlayerThumbnailErrorKey)));

    // Cancelled requests are never answered.
    movie->requestThumbnailImagesAtTimes(times, MPMovieTimeOptionNearestKeyFrame);
    movie->cancelAllThumbnailImageRequests();
    missing->requestThumbnailImagesAtTimes(NSArray::arrayWithObjects({ NSNumber::numberWithDouble(0) }), MPMovieTimeOptionNearestKeyFrame);
    ASSERT_TRUE(settle([&] { return named(MPMoviePlayerThumbnailImageRequestDidFinishNotification).size() == 5; }));
    NSRunLoop::mainRunLoop()->advanceClock(0);
    EXPECT_EQ(named(MPMoviePlayerThumbnailImageRequestDidFinishNotification).back()->object(), missing);
}

TEST_F(MoviePlayer, aDamagedFileFinishesWithAnError)
{
    std::string noise(4096, '\0');
    unsigned state = 12345;
    for (auto& byte : noise)
        byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    auto movie = player(writeFile("damaged.ogv", noise));
    movie->prepareToPlay();
    expectFailedWithError(*movie);
}

TEST_F(MoviePlayer, aMissingFileFinishesWithAnError)
{
    auto movie = player(scratchPath("no-such-movie.ogv"));
    movie->play();
    expectFailedWithError(*movie);
}

TEST_F(MoviePlayer, aTruncatedMovieStillFinishes)
{
    std::ifstream source(TEST_MOVIE_PATH, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    bytes.resize(bytes.size() / 2);
    auto movie = player(writeFile("truncated.ogv", bytes));
    movie->play();
    ASSERT_TRUE(settle([&] { return movie->playbackState() == MPMoviePlaybackStatePlaying || finished(); }));
    for (int second = 0; second < 5 && named(MPMoviePlayerPlaybackDidFinishNotification).empty(); ++second)
        NSRunLoop::mainRunLoop()->advanceClock(1.0);
    ASSERT_EQ(named(MPMoviePlayerPlaybackDidFinishNotification).size(), 1u);
    EXPECT_EQ(movie->playbackState(), MPMoviePlaybackStateStopped);
}

TEST_F(MoviePlayer, noURLAndANewURLStartAfresh)
{
    auto movie = MPMoviePlayerController::create();
    movie->prepareToPlay();
    ASSERT_EQ(named(MPMoviePlayerPlaybackDidFinishNotification).size(), 1u);
    EXPECT_EQ(reasonOf(named(MPMoviePlayerPlaybackDidFinishNotification)[0]), MPMovieFinishReasonPlaybackError);

    movie->setContentURL(NSURL::fileURLWithPath(TEST_MOVIE_PATH));
    movie->setInitialPlaybackTime(1.0);
    movie->prepareToPlay();
    ASSERT_TRUE(settle([&] { return movie->isPreparedToPlay(); }));
    EXPECT_NEAR(movie->currentPlaybackTime(), 1.0, 1e-9);
    movie->setContentURL(nullptr);
    EXPECT_FALSE(movie->isPreparedToPlay());
    EXPECT_FALSE(movie->view()->layer()->contents());
}

TEST_F(MoviePlayer, presentationSettings)
{
    auto movie = player(TEST_MOVIE_PATH);
    EXPECT_EQ(movie->scalingMode(), MPMovieScalingModeAspectFit);
    movie->setScalingMode(MPMovieScalingModeAspectFill);
    EXPECT_EQ(movie->view()->layer()->contentsGravity(), NSString(kCAGravityResizeAspectFill));
    movie->setScalingMode(MPMovieScalingModeFill);
    EXPECT_EQ(movie->view()->layer()->contentsGravity(), NSString(kCAGravityResize));
    movie->setScalingMode(MPMovieScalingModeNone);
    EXPECT_EQ(movie->view()->layer()->contentsGravity(), NSString(kCAGravityCenter));

    movie->setControlStyle(MPMovieControlStyleFullscreen);
    EXPECT_EQ(movie->controlStyle(), MPMovieControlStyleFullscreen);
    movie->setFullscreen(true, true);
    movie->setFullscreen(true, true);
    EXPECT_TRUE(movie->isFullscreen());
    ASSERT_EQ(m_notes.size(), 2u);
    EXPECT_EQ(m_notes[0]->name(), NSString(MPMoviePlayerWillEnterFullscreenNotification));
    EXPECT_EQ(m_notes[1]->name(), NSString(MPMoviePlayerDidEnterFullscreenNotification));

    auto volume = MPVolumeView::create(CGRectMake(0, 0, 200, 10));
    EXPECT_EQ(volume->sizeThatFits(CGSizeMake(200, 0)).height, 34);
    volume->setShowsRouteButton(false);
    EXPECT_FALSE(volume->showsRouteButton());
    EXPECT_TRUE(volume->showsVolumeSlider());
}

} // namespace
