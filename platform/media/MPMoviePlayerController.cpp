#include "platform/media/MPMoviePlayerController.h"

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemClock.h"
#include "platform/graphics/CGColorSpace.h"
#include "platform/graphics/CGImage.h"
#include "platform/layers/CALayer.h"
#include "platform/uikit/UISlider.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr NSTimeInterval kFrameInterval = 1.0 / 30;
// How long a tick waits for a frame that is due from a decoder that is running; a stuck stream
// then costs a tick this much, never a hang.
constexpr GstClockTime kFrameWait = 2 * GST_SECOND;
// The thumbnail worker looks for an error or a cancelled request this often while the decoder
// settles, and gives a stream up only after kSettleLimit without settling or failing.
constexpr GstClockTime kSettleSlice = GST_SECOND / 5;
constexpr std::chrono::seconds kSettleLimit { 60 };
// playbin's flags: video, and the sound through its own volume element so volume and mute apply
// whatever the output.
constexpr int kPlayVideo = 1 << 0;
constexpr int kPlaySound = 1 << 1;
constexpr int kSoftVolume = 1 << 4;

std::atomic<float> g_outputVolume { 1.0f };

bool initializeGStreamer(std::shared_ptr<NSError>& failure)
{
    static std::once_flag once;
    static bool ready = false;
    static NSString reason;
    std::call_once(once, [] {
        GError* error = nullptr;
        ready = gst_init_check(nullptr, nullptr, &error);
        if (error) {
            reason = NSString(error->message);
            g_error_free(error);
        }
    });
    if (!ready)
        failure = NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, reason.length() ? reason : NSString("media framework unavailable"));
    return ready;
}

NSTimeInterval seconds(gint64 nanoseconds) { return static_cast<NSTimeInterval>(nanoseconds) / GST_SECOND; }
gint64 nanoseconds(NSTimeInterval seconds) { return static_cast<gint64>(seconds * GST_SECOND); }

std::shared_ptr<NSError> playerError(const char* reason) { return NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, reason); }

CGImageRef imageFromSample(GstSample* sample)
{
    GstVideoInfo info;
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps))
        return nullptr;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return nullptr;
    const int width = GST_VIDEO_INFO_WIDTH(&info);
    const int height = GST_VIDEO_INFO_HEIGHT(&info);
    const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
    CGImageRef image;
    if (width > 0 && height > 0 && static_cast<gsize>(stride) * height <= map.size) {
        // The frame's rows are 32-bit little-endian words with an unused top byte: the layout as is.
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height));
        for (int row = 0; row < height; ++row)
            std::memcpy(bytes.data() + static_cast<std::size_t>(row) * width * 4, map.data + row * stride, static_cast<std::size_t>(width) * 4);
        image = CGImageCreate(static_cast<std::size_t>(width), static_cast<std::size_t>(height), 8, 32, static_cast<std::size_t>(width) * 4,
            CGColorSpaceCreateDeviceRGB(), CGBitmapInfo(kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Little,
            CGDataProviderCreateWithCFData(std::move(bytes)), nullptr, true, kCGRenderingIntentDefault);
    }
    gst_buffer_unmap(buffer, &map);
    return image;
}

std::shared_ptr<NSError> errorFromMessage(GstMessage* message)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    auto result = NSError::errorWithDomain(MPMoviePlayerErrorDomain, error ? error->code : -1,
        NSString(error ? error->message : "playback failed"));
    if (error)
        g_error_free(error);
    g_free(debug);
    return result;
}

struct SampleDeleter {
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};
using Sample = std::unique_ptr<GstSample, SampleDeleter>;

void countSoundBuffer(GstElement*, GstBuffer*, GstPad*, gpointer counter)
{
    static_cast<std::atomic<NSUInteger>*>(counter)->fetch_add(1, std::memory_order_relaxed);
}

// A sink that plays nothing and counts the buffers it is given; it keeps no time, so sound never
// holds the pictures back.
GstElement* makeSilentSink(std::atomic<NSUInteger>* counter)
{
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return nullptr;
    g_object_set(sink, "sync", FALSE, "signal-handoffs", TRUE, nullptr);
    g_signal_connect(sink, "handoff", G_CALLBACK(countSoundBuffer), counter);
    return sink;
}

// The default audio device, or the one CORVANE_AUDIO_SINK names ("fake" for the silent sink); one
// that cannot be made or opened gives way to the silent sink, so the movie still plays.
GstElement* makeSoundSink(std::atomic<NSUInteger>* counter)
{
    const char* chosen = std::getenv("CORVANE_AUDIO_SINK");
    const std::string name = chosen && *chosen ? chosen : "autoaudiosink";
    if (name == "fake")
        return makeSilentSink(counter);
    if (GstElement* sink = gst_element_factory_make(name.c_str(), nullptr)) {
        gst_object_ref_sink(sink);
        const bool opens = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
        gst_element_set_state(sink, GST_STATE_NULL);
        // The device's open failure leaves an error on the sink's own bus; nobody reads it.
        if (opens)
            return sink;
        gst_object_unref(sink);
    }
    NSLog("MPMoviePlayerController: no audio output (%s); movies play without sound", NSString(name.c_str()));
    return makeSilentSink(counter);
}

// playbin decoding into an app sink that hands out BGRx frames as fast as they are asked for; the
// sink keeps no clock of its own, so the player decides when a frame is due.
struct Decoder {
    GstElement* playbin { nullptr };
    GstElement* sink { nullptr };

    // Without a counter the decoder has no sound (thumbnails).
    Decoder(const NSString& uri, std::atomic<NSUInteger>* soundCounter)
    {
        playbin = gst_element_factory_make("playbin", nullptr);
        sink = gst_element_factory_make("appsink", nullptr);
        GstElement* soundSink = soundCounter && playbin && sink ? makeSoundSink(soundCounter) : nullptr;
        if (!playbin || !sink || (soundCounter && !soundSink)) {
            for (GstElement* element : { playbin, sink, soundSink })
                if (element)
                    gst_object_unref(element);
            playbin = sink = nullptr;
            return;
        }
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
        g_object_set(sink, "caps", caps, "sync", FALSE, "max-buffers", 2u, "drop", FALSE, nullptr);
        gst_caps_unref(caps);
        const int flags = soundSink ? kPlayVideo | kPlaySound | kSoftVolume : kPlayVideo;
        g_object_set(playbin, "uri", uri.UTF8String().c_str(), "video-sink", sink, "flags", flags, nullptr);
        if (soundSink) {
            g_object_set(playbin, "audio-sink", soundSink, nullptr);
            gst_object_unref(soundSink);
        }
    }
    ~Decoder()
    {
        if (playbin) {
            gst_element_set_state(playbin, GST_STATE_NULL);
            gst_object_unref(playbin);
        }
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    bool valid() const { return playbin != nullptr; }

    // The state is reached later; only a refusal shows at once.
    bool requestState(GstState state) const { return gst_element_set_state(playbin, state) != GST_STATE_CHANGE_FAILURE; }

    bool seek(NSTimeInterval time, bool exact, double rate = 1.0) const
    {
        const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | (exact ? GST_SEEK_FLAG_ACCURATE : GST_SEEK_FLAG_KEY_UNIT));
        return gst_element_seek(playbin, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, nanoseconds(time), GST_SEEK_TYPE_NONE, 0);
    }

    // For the thumbnail worker, which may wait: settles in the state, or answers the bus's error.
    bool settle(GstState state, const std::function<bool()>& abandoned, std::shared_ptr<NSError>& error) const
    {
        if (gst_element_set_state(playbin, state) == GST_STATE_CHANGE_FAILURE) {
            takeError(error);
            return false;
        }
        return awaitSettled(abandoned, error);
    }

    bool settledSeek(NSTimeInterval time, bool exact, const std::function<bool()>& abandoned) const
    {
        std::shared_ptr<NSError> error;
        return seek(time, exact) && awaitSettled(abandoned, error);
    }

    // A busy machine may take many seconds to open or seek a movie: the wait goes on while the
    // decoder is still working, and ends at once on its error or when the caller no longer wants
    // the answer. Only a stream that neither settles nor fails for kSettleLimit is given up.
    bool awaitSettled(const std::function<bool()>& abandoned, std::shared_ptr<NSError>& error) const
    {
        const auto deadline = std::chrono::steady_clock::now() + kSettleLimit;
        for (;;) {
            const GstStateChangeReturn result = gst_element_get_state(playbin, nullptr, nullptr, kSettleSlice);
            if (result == GST_STATE_CHANGE_SUCCESS)
                return true;
            if (takeError(error) || result != GST_STATE_CHANGE_ASYNC || (abandoned && abandoned())
                || std::chrono::steady_clock::now() >= deadline)
                return false;
        }
    }

    bool takeError(std::shared_ptr<NSError>& error) const
    {
        GstBus* bus = gst_element_get_bus(playbin);
        GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
        gst_object_unref(bus);
        if (!message)
            return false;
        error = errorFromMessage(message);
        gst_message_unref(message);
        return true;
    }
};

struct MessageDeleter {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};

} // namespace

// The player's decoder and the road its bus messages take to the main run loop. The bus handler
// runs on the decoder's threads; it only forwards, holding the pipeline weakly, so a message that
// arrives after the player moved on to another movie finds nothing and is dropped.
struct MPMoviePlayerController::Pipeline {
    Pipeline(const std::shared_ptr<MPMoviePlayerController>& owner, const NSString& uri)
        : player(owner)
        , decoder(uri, &soundBuffers)
    {
    }
    ~Pipeline()
    {
        if (!decoder.valid())
            return;
        // Stopped first: no decoder thread can reach the handler once it is gone.
        gst_element_set_state(decoder.playbin, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(decoder.playbin);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
    }

    static std::shared_ptr<Pipeline> make(const std::shared_ptr<MPMoviePlayerController>& owner, const NSString& uri)
    {
        auto pipeline = std::make_shared<Pipeline>(owner, uri);
        pipeline->weakSelf = pipeline;
        if (pipeline->decoder.valid()) {
            GstBus* bus = gst_element_get_bus(pipeline->decoder.playbin);
            gst_bus_set_sync_handler(bus, &Pipeline::forward, pipeline.get(), nullptr);
            gst_object_unref(bus);
        }
        return pipeline;
    }

    static GstBusSyncReply forward(GstBus*, GstMessage* message, gpointer data)
    {
        auto* pipeline = static_cast<Pipeline*>(data);
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_BUFFERING:
        case GST_MESSAGE_DURATION_CHANGED:
            break;
        case GST_MESSAGE_ASYNC_DONE:
            if (GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline->decoder.playbin))
                break;
            return GST_BUS_DROP;
        default:
            return GST_BUS_DROP;
        }
        std::shared_ptr<GstMessage> held(gst_message_ref(message), MessageDeleter());
        dispatch_async(dispatch_get_main_queue(), [weakPipeline = pipeline->weakSelf, held] {
            auto current = weakPipeline.lock();
            auto owner = current ? current->player.lock() : nullptr;
            if (owner && owner->m_pipeline == current)
                current->handle(*owner, held.get());
        });
        return GST_BUS_DROP;
    }

    void handle(MPMoviePlayerController& owner, GstMessage* message)
    {
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
            owner.finish(MPMovieFinishReasonPlaybackError, errorFromMessage(message));
            break;
        case GST_MESSAGE_ASYNC_DONE:
            owner.decoderSettled();
            break;
        case GST_MESSAGE_BUFFERING: {
            gint percent = 100;
            gst_message_parse_buffering(message, &percent);
            owner.bufferingChanged(percent);
            break;
        }
        case GST_MESSAGE_DURATION_CHANGED:
            if (gint64 length = 0; owner.m_prepared && gst_element_query_duration(decoder.playbin, GST_FORMAT_TIME, &length) && length > 0)
                owner.m_duration = owner.m_playableDuration = seconds(length);
            break;
        default:
            break;
        }
    }

    std::weak_ptr<MPMoviePlayerController> player;
    std::weak_ptr<Pipeline> weakSelf;
    std::atomic<NSUInteger> soundBuffers { 0 };
    Decoder decoder;
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
    m_prepared = m_failed = m_playWhenPrepared = m_seeking = m_buffering = false;
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

NSUInteger MPMoviePlayerController::soundBuffersPlayed() const { return m_pipeline ? m_pipeline->soundBuffers.load() : 0; }

bool MPMoviePlayerController::isSoundMuted() const { return MPAudioOutput::volume() <= 0 || m_rate != 1; }

void MPMoviePlayerController::applySoundSettings()
{
    if (m_pipeline && m_pipeline->decoder.valid())
        g_object_set(m_pipeline->decoder.playbin, "volume", static_cast<gdouble>(MPAudioOutput::volume()), "mute",
            static_cast<gboolean>(isSoundMuted()), nullptr);
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
    if (!initializeGStreamer(error)) {
        finish(MPMovieFinishReasonPlaybackError, error);
        return;
    }
    m_pipeline = Pipeline::make(self(), m_contentURL->absoluteString());
    if (!m_pipeline->decoder.valid()) {
        finish(MPMovieFinishReasonPlaybackError, playerError("no decoder available"));
        return;
    }
    applySoundSettings();
    // The bus tells when the first frame is ready (or why not); a refusal at once has already
    // posted its reason there.
    if (!m_pipeline->decoder.requestState(GST_STATE_PAUSED))
        failLater("the movie could not be opened");
}

void MPMoviePlayerController::failLater(const char* reason)
{
    std::weak_ptr<MPMoviePlayerController> weakSelf = self();
    std::weak_ptr<Pipeline> weakPipeline = m_pipeline;
    // Behind the bus's own error, which says more when there is one.
    dispatch_async(dispatch_get_main_queue(), [weakSelf, weakPipeline, reason] {
        auto player = weakSelf.lock();
        if (player && player->m_pipeline && player->m_pipeline == weakPipeline.lock())
            player->finish(MPMovieFinishReasonPlaybackError, playerError(reason));
    });
}

void MPMoviePlayerController::completePreparation()
{
    Decoder& decoder = m_pipeline->decoder;
    gint64 length = 0;
    if (gst_element_query_duration(decoder.playbin, GST_FORMAT_TIME, &length) && length > 0)
        m_duration = m_playableDuration = seconds(length);
    if (Sample preroll { gst_app_sink_try_pull_preroll(GST_APP_SINK(decoder.sink), 0) }) {
        GstVideoInfo info;
        if (GstCaps* caps = gst_sample_get_caps(preroll.get()); caps && gst_video_info_from_caps(&info, caps))
            m_naturalSize = CGSizeMake(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
        showFrame(imageFromSample(preroll.get()));
    }
    m_prepared = true;
    auto protectedSelf = self();
    post(MPMovieDurationAvailableNotification);
    post(MPMediaPlaybackIsPreparedToPlayDidChangeNotification);
    setLoadState(MPMovieLoadStatePlayable | (m_buffering ? MPMovieLoadStateStalled : MPMovieLoadStatePlaythroughOK));
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
    if (!m_seeking || gst_element_get_state(m_pipeline->decoder.playbin, nullptr, nullptr, 0) == GST_STATE_CHANGE_ASYNC)
        return;
    m_seeking = false;
    if (m_playbackState != MPMoviePlaybackStatePlaying)
        showPrerolledFrame();
}

void MPMoviePlayerController::showPrerolledFrame()
{
    if (Sample preroll { gst_app_sink_try_pull_preroll(GST_APP_SINK(m_pipeline->decoder.sink), 0) })
        showFrame(imageFromSample(preroll.get()));
}

void MPMoviePlayerController::bufferingChanged(int percent)
{
    const bool buffering = percent < 100;
    if (buffering == m_buffering)
        return;
    m_buffering = buffering;
    // A stream that runs dry pauses until its buffer is full again, as the platform's does.
    if (m_playbackState == MPMoviePlaybackStatePlaying) {
        m_pipeline->decoder.requestState(buffering ? GST_STATE_PAUSED : GST_STATE_PLAYING);
        m_lastTick = SystemClock::monotonicNow();
    }
    if (m_prepared)
        setLoadState(MPMovieLoadStatePlayable | (buffering ? MPMovieLoadStateStalled : MPMovieLoadStatePlaythroughOK));
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
    if (!m_buffering && !m_pipeline->decoder.requestState(GST_STATE_PLAYING)) {
        failLater("playback failed");
        return;
    }
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
    m_pipeline->decoder.requestState(GST_STATE_PAUSED);
    setPlaybackState(MPMoviePlaybackStatePaused);
}

void MPMoviePlayerController::stop()
{
    NSAssertMainThread();
    stopTimer();
    m_playWhenPrepared = false;
    if (m_pipeline && m_prepared) {
        m_pipeline->decoder.requestState(GST_STATE_PAUSED);
        seekTo(0);
    }
    setPlaybackState(MPMoviePlaybackStateStopped);
}

bool MPMoviePlayerController::seekTo(NSTimeInterval time)
{
    m_pipeline->pending.reset();
    if (!m_pipeline->decoder.seek(time, true, m_rate))
        return false;
    m_position = time;
    m_seeking = true;
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
    // A stream filling its buffer holds the time where it is.
    if (m_buffering)
        return;
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
// stream finishes playback. Errors arrive through the bus.
void MPMoviePlayerController::advanceTo(NSTimeInterval position)
{
    m_position = m_duration > 0 ? std::min(position, m_duration) : position;
    auto pipeline = m_pipeline;
    auto* sink = GST_APP_SINK(pipeline->decoder.sink);
    Sample due;
    for (;;) {
        if (!pipeline->pending)
            pipeline->pending.reset(gst_app_sink_try_pull_sample(sink, kFrameWait));
        if (!pipeline->pending)
            break;
        GstBuffer* buffer = gst_sample_get_buffer(pipeline->pending.get());
        if (buffer && GST_BUFFER_PTS_IS_VALID(buffer) && seconds(static_cast<gint64>(GST_BUFFER_PTS(buffer))) > m_position + 1e-6)
            break;
        due = std::move(pipeline->pending);
    }
    if (due)
        showFrame(imageFromSample(due.get()));
    if (!pipeline->pending && gst_app_sink_is_eos(sink)) {
        if (m_duration > 0)
            m_position = m_duration;
        finish(MPMovieFinishReasonPlaybackEnded, nullptr);
    }
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
        m_pipeline->decoder.requestState(GST_STATE_PAUSED);
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
        std::unique_ptr<Decoder> decoder;
        if (initializeGStreamer(failure)) {
            decoder = std::make_unique<Decoder>(uri, nullptr);
            if (!decoder->valid() || !decoder->settle(GST_STATE_PAUSED, abandoned, failure)) {
                if (!failure)
                    failure = playerError("the movie could not be opened");
                decoder.reset();
            }
        }
        for (const auto& time : wanted) {
            if (abandoned())
                return;
            CGImageRef frame;
            if (decoder && time && *time >= 0 && decoder->settledSeek(*time, exact, abandoned))
                if (Sample preroll { gst_app_sink_try_pull_preroll(GST_APP_SINK(decoder->sink), 0) })
                    frame = imageFromSample(preroll.get());
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
