#include "platform/media/MPMoviePlayerController.h"

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemClock.h"
#include "platform/graphics/CGColorSpace.h"
#include "platform/graphics/CGImage.h"
#include "platform/layers/CALayer.h"
#include "platform/media/MovieModule.h"
#include "platform/uikit/UISlider.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr NSTimeInterval kFrameInterval = 1.0 / 30;
// How long a tick waits for a frame that is due from a decoder that is running; a stuck stream
// then costs a tick this much, never a hang.
constexpr NSTimeInterval kFrameWait = 2;

std::atomic<float> g_outputVolume { 1.0f };

std::shared_ptr<NSError> playerError(const char* reason) { return NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, reason); }

std::shared_ptr<NSError> playerError(const MovieBackEnd::Failure& failure)
{
    return NSError::errorWithDomain(MPMoviePlayerErrorDomain, failure.code, NSString(failure.message.c_str()));
}

// The back end, loaded with its module on the first movie.
MovieBackEnd* startedBackEnd(std::shared_ptr<NSError>& failure)
{
    std::string reason;
    MovieBackEnd* backEnd = MovieModule::backEnd(reason);
    if (!backEnd)
        failure = playerError(MovieBackEnd::Failure { -1, reason });
    return backEnd;
}

CGImageRef imageFromSample(const MovieBackEnd::Sample& sample)
{
    auto picture = sample.picture();
    if (!picture)
        return nullptr;
    const auto width = static_cast<std::size_t>(picture->width);
    const auto height = static_cast<std::size_t>(picture->height);
    // The frame's rows are 32-bit little-endian words with an unused top byte: the layout as is.
    return CGImageCreate(width, height, 8, 32, width * 4, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Little,
        CGDataProviderCreateWithCFData(std::move(picture->bytes)), nullptr, true, kCGRenderingIntentDefault);
}

using Sample = std::unique_ptr<MovieBackEnd::Sample>;

} // namespace

// The player's decoder and the road its events take to the main run loop. The events come on the
// decoder's threads; they only forward, holding the pipeline weakly, so an event that arrives
// after the player moved on to another movie finds nothing and is dropped.
struct MPMoviePlayerController::Pipeline {
    explicit Pipeline(const std::shared_ptr<MPMoviePlayerController>& owner)
        : player(owner)
    {
    }
    // The decoder waits for a change of state under way before it closes, and a change stuck in
    // the media framework would hold the main thread, and the window's close, as long: it closes
    // behind, on a queue of its own. Its events find the pipeline gone and are dropped.
    ~Pipeline()
    {
        if (!decoder)
            return;
        dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_BACKGROUND, 0),
            [closing = std::shared_ptr<MovieBackEnd::Decoder>(std::move(decoder))]() mutable { closing.reset(); });
    }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    static std::shared_ptr<Pipeline> make(MovieBackEnd& backEnd, const std::shared_ptr<MPMoviePlayerController>& owner, const NSString& uri)
    {
        auto pipeline = std::make_shared<Pipeline>(owner);
        std::weak_ptr<Pipeline> weakPipeline = pipeline;
        pipeline->decoder = backEnd.makeDecoder(uri.UTF8String(), true, [weakPipeline](const MovieBackEnd::Event& event) {
            dispatch_async(dispatch_get_main_queue(), [weakPipeline, event] {
                auto current = weakPipeline.lock();
                auto owner = current ? current->player.lock() : nullptr;
                if (owner && owner->m_pipeline == current)
                    current->handle(*owner, event);
            });
        });
        return pipeline;
    }

    void handle(MPMoviePlayerController& owner, const MovieBackEnd::Event& event)
    {
        switch (event.kind) {
        case MovieBackEnd::Event::Kind::Error:
            owner.finish(MPMovieFinishReasonPlaybackError, playerError(event.failure));
            break;
        case MovieBackEnd::Event::Kind::Settled:
            owner.decoderSettled();
            break;
        case MovieBackEnd::Event::Kind::Buffering:
            // The buffer's own level, not the report's: a report told late would leave a film
            // that has all its data stalled for good.
            owner.bufferingChanged(decoder->bufferingPercent().value_or(event.percent));
            break;
        case MovieBackEnd::Event::Kind::DurationChanged:
            if (auto length = owner.m_prepared ? decoder->duration() : std::nullopt)
                owner.m_duration = owner.m_playableDuration = *length;
            break;
        case MovieBackEnd::Event::Kind::SampleReady:
            owner.setStarved(false);
            break;
        }
    }

    std::weak_ptr<MPMoviePlayerController> player;
    std::unique_ptr<MovieBackEnd::Decoder> decoder;
    Sample pending; // decoded but not yet due
};

float MPAudioOutput::volume() { return g_outputVolume.load(); }

void MPAudioOutput::setVolume(float volume)
{
    NSAssertMainThread();
    volume = std::clamp(volume, 0.0f, 1.0f);
    if (g_outputVolume.exchange(volume) == volume)
        return;
    NSNotificationCenter::defaultCenter()->postNotificationName(MPAudioOutputVolumeDidChangeNotification, nullptr);
}

bool MPMoviePlayerController::init(const std::shared_ptr<NSURL>& url)
{
    m_view = UIView::create(CGRectMake(0, 0, 320, 240));
    m_backgroundView = UIView::create(m_view->bounds());
    m_view->layer()->setContentsGravity(kCAGravityResizeAspect);
    m_contentURL = url;
    std::weak_ptr<MPMoviePlayerController> weakSelf = self();
    NSNotificationCenter::defaultCenter()->addObserver(self(), [weakSelf](const std::shared_ptr<NSNotification>&) {
        if (auto player = weakSelf.lock())
            player->applySoundSettings();
    }, MPAudioOutputVolumeDidChangeNotification, nullptr);
    return true;
}

MPMoviePlayerController::~MPMoviePlayerController()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    m_thumbnailGeneration->fetch_add(1);
    stopTimer();
}

void MPMoviePlayerController::setContentURL(const std::shared_ptr<NSURL>& url)
{
    NSAssertMainThread();
    teardown();
    m_contentURL = url;
}

void MPMoviePlayerController::teardown()
{
    stopTimer();
    m_pipeline.reset();
    m_thumbnailGeneration->fetch_add(1);
    m_position = m_duration = m_playableDuration = 0;
    m_prepared = m_failed = m_playWhenPrepared = m_seeking = m_buffering = m_starved = m_rewindOnPlay = false;
    m_playbackState = MPMoviePlaybackStateStopped;
    m_loadState = MPMovieLoadStateUnknown;
    m_view->layer()->setContents(nullptr);
}

void MPMoviePlayerController::post(const char* name, const std::shared_ptr<NSDictionary>& userInfo)
{
    NSNotificationCenter::defaultCenter()->postNotificationName(name, self(), userInfo);
}

void MPMoviePlayerController::setPlaybackState(MPMoviePlaybackState state)
{
    if (m_playbackState == state)
        return;
    m_playbackState = state;
    post(MPMoviePlayerPlaybackStateDidChangeNotification);
}

void MPMoviePlayerController::setLoadState(MPMovieLoadState state)
{
    if (m_loadState == state)
        return;
    m_loadState = state;
    post(MPMoviePlayerLoadStateDidChangeNotification);
}

NSUInteger MPMoviePlayerController::soundBuffersPlayed() const { return m_pipeline && m_pipeline->decoder ? NSUInteger(m_pipeline->decoder->soundBuffers()) : 0; }

bool MPMoviePlayerController::isSoundMuted() const { return MPAudioOutput::volume() <= 0 || m_rate != 1; }

void MPMoviePlayerController::applySoundSettings()
{
    if (m_pipeline && m_pipeline->decoder)
        m_pipeline->decoder->setSound(MPAudioOutput::volume(), isSoundMuted());
}

void MPMoviePlayerController::prepareToPlay()
{
    NSAssertMainThread();
    if (m_prepared || m_failed || m_pipeline)
        return;
    std::shared_ptr<NSError> error;
    if (!m_contentURL) {
        finish(MPMovieFinishReasonPlaybackError, playerError("no content URL"));
        return;
    }
    MovieBackEnd* backEnd = startedBackEnd(error);
    if (!backEnd) {
        finish(MPMovieFinishReasonPlaybackError, error);
        return;
    }
    m_pipeline = Pipeline::make(*backEnd, self(), m_contentURL->absoluteString());
    if (!m_pipeline->decoder) {
        finish(MPMovieFinishReasonPlaybackError, playerError("no decoder available"));
        return;
    }
    applySoundSettings();
    // The bus tells when the first frame is ready, or why not.
    m_pipeline->decoder->requestPlaying(false);
}

void MPMoviePlayerController::completePreparation()
{
    MovieBackEnd::Decoder& decoder = *m_pipeline->decoder;
    if (auto length = decoder.duration())
        m_duration = m_playableDuration = *length;
    if (Sample preroll = decoder.preroll()) {
        if (auto size = preroll->size())
            m_naturalSize = CGSizeMake(size->first, size->second);
        showFrame(imageFromSample(*preroll));
    }
    m_prepared = true;
    auto protectedSelf = self();
    post(MPMovieDurationAvailableNotification);
    post(MPMediaPlaybackIsPreparedToPlayDidChangeNotification);
    updateLoadState();
    if (!m_prepared)
        return; // an observer moved on
    if (m_initialPlaybackTime > 0)
        setCurrentPlaybackTime(m_initialPlaybackTime);
    if (std::exchange(m_playWhenPrepared, false))
        play();
}

void MPMoviePlayerController::decoderSettled()
{
    if (!m_prepared) {
        completePreparation();
        return;
    }
    // A change that settled before the seek was sent says nothing of it.
    if (!m_seeking || m_pipeline->decoder->isSettling())
        return;
    m_seeking = false;
    if (m_playbackState != MPMoviePlaybackStatePlaying)
        showPrerolledFrame();
}

void MPMoviePlayerController::showPrerolledFrame()
{
    if (Sample preroll = m_pipeline->decoder->preroll())
        showFrame(imageFromSample(*preroll));
}

void MPMoviePlayerController::bufferingChanged(int percent)
{
    const bool buffering = percent < 100;
    if (buffering == m_buffering)
        return;
    m_buffering = buffering;
    // A stream that runs dry pauses until its buffer is full again, as the platform's does.
    if (m_playbackState == MPMoviePlaybackStatePlaying) {
        m_pipeline->decoder->requestPlaying(!buffering);
        m_lastTick = SystemClock::monotonicNow();
    }
    updateLoadState();
}

void MPMoviePlayerController::updateLoadState()
{
    if (m_prepared)
        setLoadState(MPMovieLoadStatePlayable | (m_buffering || m_starved ? MPMovieLoadStateStalled : MPMovieLoadStatePlaythroughOK));
}

void MPMoviePlayerController::setStarved(bool starved)
{
    if (m_starved == starved)
        return;
    m_starved = starved;
    if (starved && m_pipeline)
        m_pipeline->decoder->noticeNextSample();
    updateLoadState();
}

void MPMoviePlayerController::play()
{
    NSAssertMainThread();
    if (!m_prepared) {
        if (m_failed)
            return;
        m_playWhenPrepared = true;
        prepareToPlay();
        return;
    }
    if (m_playbackState == MPMoviePlaybackStatePlaying)
        return;
    if (m_rewindOnPlay)
        seekTo(0);
    if (!m_buffering)
        m_pipeline->decoder->requestPlaying(true);
    setPlaybackState(MPMoviePlaybackStatePlaying);
    startTimer();
}

void MPMoviePlayerController::pause()
{
    NSAssertMainThread();
    m_playWhenPrepared = false;
    if (m_playbackState != MPMoviePlaybackStatePlaying)
        return;
    stopTimer();
    m_pipeline->decoder->requestPlaying(false);
    setPlaybackState(MPMoviePlaybackStatePaused);
}

void MPMoviePlayerController::stop()
{
    NSAssertMainThread();
    stopTimer();
    m_playWhenPrepared = false;
    if (m_pipeline && m_prepared) {
        m_pipeline->decoder->requestPlaying(false);
        // A seek waits for a change of state under way, and one stuck in the media framework
        // would hold whoever stops (a screen leaving, the window closing): the film goes back to
        // its start only when it plays again.
        m_pipeline->pending.reset();
        m_position = 0;
        m_rewindOnPlay = true;
    }
    setPlaybackState(MPMoviePlaybackStateStopped);
}

bool MPMoviePlayerController::seekTo(NSTimeInterval time)
{
    m_rewindOnPlay = false;
    m_pipeline->pending.reset();
    if (!m_pipeline->decoder->seek(time, true, m_rate))
        return false;
    m_position = time;
    m_seeking = true;
    // The frames of the new place are waited for as after any seek.
    setStarved(false);
    return true;
}

void MPMoviePlayerController::setCurrentPlaybackTime(NSTimeInterval time)
{
    NSAssertMainThread();
    if (!m_prepared)
        return;
    time = std::max(0.0, m_duration > 0 ? std::min(time, m_duration) : time);
    // The decoder settles on the new place in the background; the bus says when.
    if (seekTo(time) && m_playbackState == MPMoviePlaybackStatePlaying)
        m_lastTick = SystemClock::monotonicNow();
}

void MPMoviePlayerController::startTimer()
{
    stopTimer();
    m_lastTick = SystemClock::monotonicNow();
    std::weak_ptr<MPMoviePlayerController> weakSelf = self();
    m_timer = NSTimer::scheduledTimerWithTimeInterval(kFrameInterval, [weakSelf](const auto&) {
        if (auto player = weakSelf.lock())
            player->tick();
    }, true);
}

void MPMoviePlayerController::stopTimer()
{
    if (m_timer)
        m_timer->invalidate();
    m_timer = nullptr;
}

void MPMoviePlayerController::tick()
{
    const NSTimeInterval now = SystemClock::monotonicNow();
    const NSTimeInterval elapsed = std::max(0.0, now - m_lastTick);
    m_lastTick = now;
    // A stream filling its buffer, or one whose data stopped coming, holds the time where it is.
    // The buffer tells its level only while it fills: one found short on a report handled late
    // (playback drained it between its marks) tells nothing more, so it is asked until it is full.
    if (m_buffering) {
        if (m_pipeline->decoder->bufferingPercent().value_or(0) >= 100)
            bufferingChanged(100);
        return;
    }
    if (m_starved) {
        // The stream may end without another frame: then playback finishes instead of waiting.
        if (!(m_pipeline->pending = m_pipeline->decoder->nextSample(0)) && !m_pipeline->decoder->atEnd())
            return;
        setStarved(false);
    }
    advanceTo(m_position + elapsed * m_rate);
}

void MPMoviePlayerController::setCurrentPlaybackRate(float rate)
{
    NSAssertMainThread();
    if (rate <= 0) {
        pause();
        return;
    }
    if (rate != m_rate) {
        m_rate = rate;
        applySoundSettings();
        // The decoder runs at the new rate too, so the sound keeps pace with the pictures.
        if (m_prepared)
            seekTo(m_position);
    }
    play();
}

// Takes frames from the decoder up to the position and shows the last one due; the end of the
// stream finishes playback. Errors arrive through the bus. When the frames stop coming before the
// end (the data stopped), the time stays at the last frame shown and the load state says stalled
// until the next frame is decoded.
void MPMoviePlayerController::advanceTo(NSTimeInterval position)
{
    const NSTimeInterval target = m_duration > 0 ? std::min(position, m_duration) : position;
    auto pipeline = m_pipeline;
    MovieBackEnd::Decoder& decoder = *pipeline->decoder;
    Sample due;
    for (;;) {
        if (!pipeline->pending)
            pipeline->pending = decoder.nextSample(kFrameWait);
        if (!pipeline->pending)
            break;
        if (auto time = pipeline->pending->time(); time && *time > target + 1e-6)
            break;
        due = std::move(pipeline->pending);
    }
    const std::optional<NSTimeInterval> shown = due ? due->time() : std::nullopt;
    if (due)
        showFrame(imageFromSample(*due));
    if (!pipeline->pending && decoder.atEnd()) {
        m_position = m_duration > 0 ? m_duration : target;
        finish(MPMovieFinishReasonPlaybackEnded, nullptr);
        return;
    }
    // Right after a seek the decoder may still be finding its place: that is no stall.
    if (!pipeline->pending && !m_seeking) {
        if (shown)
            m_position = std::max(m_position, std::min(*shown, target));
        setStarved(true);
        return;
    }
    m_position = target;
}

void MPMoviePlayerController::showFrame(const CGImageRef& frame)
{
    if (frame)
        m_view->layer()->setContents(frame);
}

void MPMoviePlayerController::finish(MPMovieFinishReason reason, const std::shared_ptr<NSError>& error)
{
    if (m_failed)
        return;
    auto protectedSelf = self();
    stopTimer();
    m_playWhenPrepared = m_seeking = false;
    if (reason == MPMovieFinishReasonPlaybackError) {
        m_failed = true;
        m_prepared = false;
        m_pipeline.reset();
        setLoadState(MPMovieLoadStateUnknown);
    } else if (m_pipeline) {
        m_pipeline->decoder->requestPlaying(false);
    }
    setPlaybackState(MPMoviePlaybackStateStopped);
    auto info = NSMutableDictionary::dictionary();
    info->setObject(NSNumber::numberWithInteger(reason), MPMoviePlayerPlaybackDidFinishReasonUserInfoKey);
    if (error)
        info->setObject(error, MPMoviePlayerPlaybackErrorUserInfoKey);
    post(MPMoviePlayerPlaybackDidFinishNotification, info);
}

void MPMoviePlayerController::setFullscreen(bool fullscreen, bool animated)
{
    NSAssertMainThread();
    (void)animated;
    if (m_fullscreen == fullscreen)
        return;
    post(fullscreen ? MPMoviePlayerWillEnterFullscreenNotification : MPMoviePlayerWillExitFullscreenNotification);
    m_fullscreen = fullscreen;
    post(fullscreen ? MPMoviePlayerDidEnterFullscreenNotification : MPMoviePlayerDidExitFullscreenNotification);
}

void MPMoviePlayerController::setScalingMode(MPMovieScalingMode mode)
{
    NSAssertMainThread();
    m_scalingMode = mode;
    const char* gravity = kCAGravityResizeAspect;
    switch (mode) {
    case MPMovieScalingModeNone: gravity = kCAGravityCenter; break;
    case MPMovieScalingModeAspectFit: gravity = kCAGravityResizeAspect; break;
    case MPMovieScalingModeAspectFill: gravity = kCAGravityResizeAspectFill; break;
    case MPMovieScalingModeFill: gravity = kCAGravityResize; break;
    }
    m_view->layer()->setContentsGravity(gravity);
}

// A decoder of its own on a background queue seeks to each time in turn; each answer is posted on
// the main run loop as it is ready.
void MPMoviePlayerController::requestThumbnailImagesAtTimes(const std::shared_ptr<NSArray>& times, MPMovieTimeOption option)
{
    NSAssertMainThread();
    if (!times || !m_contentURL)
        return;
    std::vector<std::optional<NSTimeInterval>> wanted;
    for (NSUInteger index = 0; index < times->count(); ++index) {
        auto number = std::dynamic_pointer_cast<NSNumber>(times->objectAtIndex(index));
        wanted.push_back(number ? std::optional(number->doubleValue()) : std::nullopt);
    }
    std::weak_ptr<MPMoviePlayerController> weakSelf = self();
    auto generation = m_thumbnailGeneration;
    const NSUInteger asked = generation->load();
    const NSString uri = m_contentURL->absoluteString();
    const bool exact = option == MPMovieTimeOptionExact;
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [weakSelf, generation, asked, uri, exact, wanted] {
        const auto abandoned = [generation, asked] { return generation->load() != asked; };
        std::shared_ptr<NSError> failure;
        std::unique_ptr<MovieBackEnd::Decoder> decoder;
        if (MovieBackEnd* backEnd = startedBackEnd(failure)) {
            decoder = backEnd->makeDecoder(uri.UTF8String(), false, nullptr);
            std::optional<MovieBackEnd::Failure> settleFailure;
            if (decoder && !decoder->settlePaused(abandoned, settleFailure)) {
                if (settleFailure)
                    failure = playerError(*settleFailure);
                decoder.reset();
            }
            if (!decoder && !failure)
                failure = playerError("the movie could not be opened");
        }
        for (const auto& time : wanted) {
            if (abandoned())
                return;
            CGImageRef frame;
            if (decoder && time && *time >= 0 && decoder->settledSeek(*time, exact, abandoned))
                if (Sample preroll = decoder->preroll())
                    frame = imageFromSample(*preroll);
            dispatch_async(dispatch_get_main_queue(), [weakSelf, generation, asked, time, frame, failure] {
                auto player = weakSelf.lock();
                if (!player || generation->load() != asked)
                    return;
                auto info = NSMutableDictionary::dictionary();
                info->setObject(NSNumber::numberWithDouble(time.value_or(0)), MPMoviePlayerThumbnailTimeKey);
                if (frame)
                    info->setObject(UIImage::imageWithCGImage(frame), MPMoviePlayerThumbnailImageKey);
                else
                    info->setObject(failure ? failure : playerError("no image at that time"), MPMoviePlayerThumbnailErrorKey);
                player->post(MPMoviePlayerThumbnailImageRequestDidFinishNotification, info);
            });
        }
    });
}

void MPMoviePlayerController::cancelAllThumbnailImageRequests()
{
    NSAssertMainThread();
    m_thumbnailGeneration->fetch_add(1);
}

void MPVolumeView::init(CGRect frame)
{
    UIView::init(frame);
    m_slider = UISlider::create(CGRectZero);
    m_slider->setValue(MPAudioOutput::volume());
    m_slider->addTarget(nullptr, UIControl::Action([](UIControl& sender, const UIEventRef&) {
        if (auto* slider = dynamic_cast<UISlider*>(&sender))
            MPAudioOutput::setVolume(slider->value());
    }), UIControlEventValueChanged);
    addSubview(m_slider);
    std::weak_ptr<UISlider> weakSlider = m_slider;
    NSNotificationCenter::defaultCenter()->addObserver(self(), [weakSlider](const std::shared_ptr<NSNotification>&) {
        if (auto slider = weakSlider.lock(); slider && !slider->isTracking())
            slider->setValue(MPAudioOutput::volume());
    }, MPAudioOutputVolumeDidChangeNotification, nullptr);
}

MPVolumeView::~MPVolumeView()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
}

void MPVolumeView::setShowsVolumeSlider(bool shows)
{
    NSAssertMainThread();
    m_showsVolumeSlider = shows;
    m_slider->setHidden(!shows);
}

void MPVolumeView::layoutSubviews()
{
    UIView::layoutSubviews();
    m_slider->setFrame(bounds());
}

CGSize MPVolumeView::sizeThatFits(CGSize size) const
{
    return CGSizeMake(size.width > 0 ? size.width : 280, 34);
}
