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

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr NSTimeInterval kFrameInterval = 1.0 / 30;
// Waits on the decoder are bounded so a stuck stream never hangs the main thread.
constexpr GstClockTime kDecoderWait = 5 * GST_SECOND;
// playbin's flag for the video stream only: no audio is played, no subtitles drawn.
constexpr int kPlayVideoOnly = 1 << 0;

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

// playbin decoding into an app sink that hands out BGRx frames as fast as they are asked for; the
// sink keeps no clock of its own, so the player decides when a frame is due.
struct Decoder {
    GstElement* playbin { nullptr };
    GstElement* sink { nullptr };

    explicit Decoder(const NSString& uri)
    {
        playbin = gst_element_factory_make("playbin", nullptr);
        sink = gst_element_factory_make("appsink", nullptr);
        if (!playbin || !sink) {
            if (playbin)
                gst_object_unref(playbin);
            if (sink)
                gst_object_unref(sink);
            playbin = sink = nullptr;
            return;
        }
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
        g_object_set(sink, "caps", caps, "sync", FALSE, "max-buffers", 2u, "drop", FALSE, nullptr);
        gst_caps_unref(caps);
        g_object_set(playbin, "uri", uri.UTF8String().c_str(), "video-sink", sink, "flags", kPlayVideoOnly, nullptr);
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

    // The first error on the bus, if any.
    std::shared_ptr<NSError> takeError() const
    {
        GstBus* bus = gst_element_get_bus(playbin);
        std::shared_ptr<NSError> error;
        while (GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
            if (!error)
                error = errorFromMessage(message);
            gst_message_unref(message);
        }
        gst_object_unref(bus);
        return error;
    }

    bool settle(GstState state) const
    {
        if (gst_element_set_state(playbin, state) == GST_STATE_CHANGE_FAILURE)
            return false;
        return gst_element_get_state(playbin, nullptr, nullptr, kDecoderWait) == GST_STATE_CHANGE_SUCCESS;
    }

    bool seek(NSTimeInterval time, bool exact) const
    {
        const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | (exact ? GST_SEEK_FLAG_ACCURATE : GST_SEEK_FLAG_KEY_UNIT));
        if (!gst_element_seek_simple(playbin, GST_FORMAT_TIME, flags, nanoseconds(time)))
            return false;
        return gst_element_get_state(playbin, nullptr, nullptr, kDecoderWait) == GST_STATE_CHANGE_SUCCESS;
    }
};

} // namespace

struct MPMoviePlayerController::Pipeline {
    explicit Pipeline(const NSString& uri) : decoder(uri) { }
    Decoder decoder;
    Sample pending; // decoded but not yet due
};

bool MPMoviePlayerController::init(const std::shared_ptr<NSURL>& url)
{
    m_view = UIView::create(CGRectMake(0, 0, 320, 240));
    m_backgroundView = UIView::create(m_view->bounds());
    m_view->layer()->setContentsGravity(kCAGravityResizeAspect);
    m_contentURL = url;
    return true;
}

MPMoviePlayerController::~MPMoviePlayerController()
{
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
    m_position = m_duration = m_playableDuration = 0;
    m_prepared = m_failed = false;
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

void MPMoviePlayerController::prepareToPlay()
{
    NSAssertMainThread();
    if (m_prepared || m_failed)
        return;
    std::shared_ptr<NSError> error;
    if (!m_contentURL) {
        finish(MPMovieFinishReasonPlaybackError, NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, "no content URL"));
        return;
    }
    if (!initializeGStreamer(error)) {
        finish(MPMovieFinishReasonPlaybackError, error);
        return;
    }
    m_pipeline = std::make_shared<Pipeline>(m_contentURL->absoluteString());
    Decoder& decoder = m_pipeline->decoder;
    if (!decoder.valid()) {
        finish(MPMovieFinishReasonPlaybackError, NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, "no decoder available"));
        return;
    }
    // FIXME: a slow remote stream blocks here up to the decoder wait; buffering should be reported
    // through the stalled load state instead.
    if (!decoder.settle(GST_STATE_PAUSED)) {
        error = decoder.takeError();
        finish(MPMovieFinishReasonPlaybackError, error ? error : NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, "the movie could not be opened"));
        return;
    }
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
    post(MPMovieDurationAvailableNotification);
    post(MPMediaPlaybackIsPreparedToPlayDidChangeNotification);
    setLoadState(MPMovieLoadStatePlayable | MPMovieLoadStatePlaythroughOK);
    if (m_initialPlaybackTime > 0)
        setCurrentPlaybackTime(m_initialPlaybackTime);
}

void MPMoviePlayerController::play()
{
    NSAssertMainThread();
    if (!m_prepared)
        prepareToPlay();
    if (!m_prepared || m_playbackState == MPMoviePlaybackStatePlaying)
        return;
    if (!m_pipeline->decoder.settle(GST_STATE_PLAYING)) {
        auto error = m_pipeline->decoder.takeError();
        finish(MPMovieFinishReasonPlaybackError, error ? error : NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, "playback failed"));
        return;
    }
    setPlaybackState(MPMoviePlaybackStatePlaying);
    startTimer();
}

void MPMoviePlayerController::pause()
{
    NSAssertMainThread();
    if (m_playbackState != MPMoviePlaybackStatePlaying)
        return;
    stopTimer();
    m_pipeline->decoder.settle(GST_STATE_PAUSED);
    setPlaybackState(MPMoviePlaybackStatePaused);
}

void MPMoviePlayerController::stop()
{
    NSAssertMainThread();
    stopTimer();
    if (m_pipeline && m_prepared) {
        m_pipeline->decoder.settle(GST_STATE_PAUSED);
        m_pipeline->pending.reset();
        m_pipeline->decoder.seek(0, true);
        m_position = 0;
    }
    setPlaybackState(MPMoviePlaybackStateStopped);
}

void MPMoviePlayerController::setCurrentPlaybackTime(NSTimeInterval time)
{
    NSAssertMainThread();
    if (!m_prepared)
        return;
    time = std::max(0.0, m_duration > 0 ? std::min(time, m_duration) : time);
    Decoder& decoder = m_pipeline->decoder;
    m_pipeline->pending.reset();
    if (!decoder.seek(time, true)) {
        if (auto error = decoder.takeError())
            finish(MPMovieFinishReasonPlaybackError, error);
        return;
    }
    m_position = time;
    if (m_playbackState == MPMoviePlaybackStatePlaying) {
        m_lastTick = SystemClock::monotonicNow();
        advanceTo(time);
    } else if (Sample preroll { gst_app_sink_try_pull_preroll(GST_APP_SINK(decoder.sink), kDecoderWait) }) {
        showFrame(imageFromSample(preroll.get()));
    }
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
    advanceTo(m_position + elapsed * m_rate);
}

void MPMoviePlayerController::setCurrentPlaybackRate(float rate)
{
    NSAssertMainThread();
    if (rate <= 0) {
        pause();
        return;
    }
    m_rate = rate;
    play();
}

// Takes frames from the decoder up to the position and shows the last one due; the end of the
// stream, or an error, finishes playback.
void MPMoviePlayerController::advanceTo(NSTimeInterval position)
{
    if (!checkBus())
        return;
    m_position = m_duration > 0 ? std::min(position, m_duration) : position;
    auto* sink = GST_APP_SINK(m_pipeline->decoder.sink);
    Sample due;
    for (;;) {
        if (!m_pipeline->pending)
            m_pipeline->pending.reset(gst_app_sink_try_pull_sample(sink, kDecoderWait));
        if (!m_pipeline->pending)
            break;
        GstBuffer* buffer = gst_sample_get_buffer(m_pipeline->pending.get());
        if (buffer && GST_BUFFER_PTS_IS_VALID(buffer) && seconds(static_cast<gint64>(GST_BUFFER_PTS(buffer))) > position + 1e-6)
            break;
        due = std::move(m_pipeline->pending);
    }
    if (due)
        showFrame(imageFromSample(due.get()));
    if (!checkBus())
        return;
    if (!m_pipeline->pending && gst_app_sink_is_eos(sink)) {
        if (m_duration > 0)
            m_position = m_duration;
        finish(MPMovieFinishReasonPlaybackEnded, nullptr);
    }
}

bool MPMoviePlayerController::checkBus()
{
    if (auto error = m_pipeline->decoder.takeError()) {
        finish(MPMovieFinishReasonPlaybackError, error);
        return false;
    }
    return true;
}

void MPMoviePlayerController::showFrame(const CGImageRef& frame)
{
    if (frame)
        m_view->layer()->setContents(frame);
}

void MPMoviePlayerController::finish(MPMovieFinishReason reason, const std::shared_ptr<NSError>& error)
{
    stopTimer();
    if (reason == MPMovieFinishReasonPlaybackError) {
        m_failed = true;
        m_prepared = false;
        m_pipeline.reset();
        setLoadState(MPMovieLoadStateUnknown);
    } else if (m_pipeline) {
        m_pipeline->decoder.settle(GST_STATE_PAUSED);
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

void MPMoviePlayerController::requestThumbnailImagesAtTimes(const std::shared_ptr<NSArray>& times, MPMovieTimeOption option)
{
    NSAssertMainThread();
    if (!times || !m_contentURL)
        return;
    std::shared_ptr<NSError> failure;
    std::unique_ptr<Decoder> decoder;
    if (initializeGStreamer(failure)) {
        decoder = std::make_unique<Decoder>(m_contentURL->absoluteString());
        if (!decoder->valid() || !decoder->settle(GST_STATE_PAUSED)) {
            failure = decoder->valid() ? decoder->takeError() : nullptr;
            if (!failure)
                failure = NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, "the movie could not be opened");
            decoder.reset();
        }
    }
    std::weak_ptr<MPMoviePlayerController> weakSelf = self();
    for (NSUInteger index = 0; index < times->count(); ++index) {
        auto number = std::dynamic_pointer_cast<NSNumber>(times->objectAtIndex(index));
        const NSTimeInterval time = number ? number->doubleValue() : 0;
        auto info = NSMutableDictionary::dictionary();
        info->setObject(NSNumber::numberWithDouble(time), MPMoviePlayerThumbnailTimeKey);
        std::shared_ptr<UIImage> image;
        std::shared_ptr<NSError> error = failure;
        if (decoder && number && time >= 0 && decoder->seek(time, option == MPMovieTimeOptionExact)) {
            if (Sample preroll { gst_app_sink_try_pull_preroll(GST_APP_SINK(decoder->sink), kDecoderWait) })
                if (auto frame = imageFromSample(preroll.get()))
                    image = UIImage::imageWithCGImage(frame);
        }
        if (image)
            info->setObject(image, MPMoviePlayerThumbnailImageKey);
        else
            info->setObject(error ? error : NSError::errorWithDomain(MPMoviePlayerErrorDomain, -1, "no image at that time"),
                MPMoviePlayerThumbnailErrorKey);
        // Answers arrive later, as they would from a decoder working in the background.
        dispatch_async(dispatch_get_main_queue(), [weakSelf, info] {
            if (auto player = weakSelf.lock())
                player->post(MPMoviePlayerThumbnailImageRequestDidFinishNotification, info);
        });
    }
}

void MPMoviePlayerController::cancelAllThumbnailImageRequests()
{
    // Requests are answered as they are made; nothing is left to cancel.
}

CGSize MPVolumeView::sizeThatFits(CGSize size) const
{
    return CGSizeMake(size.width > 0 ? size.width : 280, 34);
}
