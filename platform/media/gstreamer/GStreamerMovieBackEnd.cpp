#include "platform/media/gstreamer/GStreamerMovieBackEnd.h"

#include <gst/app/gstappsink.h>
#include <gst/base/gstbasesink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// The worker looks for an error or a cancelled request this often while the decoder settles, and
// gives a stream up only after kSettleLimit without settling or failing.
constexpr GstClockTime kSettleSlice = GST_SECOND / 5;
constexpr std::chrono::seconds kSettleLimit { 60 };
// Frames decoded ahead of the player, and how often a wait for room looks whether the sink is
// being flushed or stopped.
constexpr int kFramesAhead = 2;
constexpr std::chrono::milliseconds kRoomSlice { 10 };
// playbin's flags: video, and the sound through its own volume element so volume and mute apply
// whatever the output.
constexpr int kPlayVideo = 1 << 0;
constexpr int kPlaySound = 1 << 1;
constexpr int kSoftVolume = 1 << 4;
// A film over HTTP is kept as it downloads, so the demuxer reads it as a file: reading a stream,
// an Ogg demuxer guesses the length from the pages that arrive while it asks for the end.
constexpr int kKeepDownload = 1 << 7;

double seconds(gint64 nanoseconds) { return static_cast<double>(nanoseconds) / GST_SECOND; }
gint64 nanoseconds(double seconds) { return static_cast<gint64>(seconds * GST_SECOND); }

MovieBackEnd::Failure failureFromMessage(GstMessage* message)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    MovieBackEnd::Failure failure { error ? error->code : -1, error ? error->message : "playback failed" };
    if (error)
        g_error_free(error);
    g_free(debug);
    return failure;
}

// Posted by the element when a state asked for was reached without waiting.
constexpr const char* kReachedAtOnce = "corvane-state-reached";

// The state the player last asked for. Requests are applied on the framework's own threads, so the
// player never waits on a stream that is stuck; whatever order they run in, each applies the last
// state asked for, and none runs once the decoder is closing.
struct StateRequests {
    std::atomic<GstState> wanted { GST_STATE_PAUSED };
    std::mutex applying;
    bool closed { false }; // under applying
};

void applyWantedState(GstElement* element, gpointer data)
{
    auto& requests = **static_cast<std::shared_ptr<StateRequests>*>(data);
    std::lock_guard lock(requests.applying);
    if (requests.closed)
        return;
    const GstState wanted = requests.wanted.load();
    const GstStateChangeReturn result = gst_element_set_state(element, wanted);
    if (result == GST_STATE_CHANGE_SUCCESS || result == GST_STATE_CHANGE_NO_PREROLL) {
        // Reached without a change, so the framework tells nothing; a seek made meanwhile still
        // waits to hear that the decoder has settled.
        gst_element_post_message(element, gst_message_new_application(GST_OBJECT(element), gst_structure_new_empty(kReachedAtOnce)));
        return;
    }
    if (result != GST_STATE_CHANGE_FAILURE)
        return;
    // A refusal reaches the player as any other error of the movie, behind the element's own.
    GError* error = g_error_new_literal(GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE,
        wanted == GST_STATE_PLAYING ? "playback failed" : "the movie could not be opened");
    gst_element_post_message(element, gst_message_new_error(GST_OBJECT(element), error, nullptr));
    g_error_free(error);
}

void releaseStateRequests(gpointer data) { std::unique_ptr<std::shared_ptr<StateRequests>> { static_cast<std::shared_ptr<StateRequests>*>(data) }; }

class FrameSample final : public MovieBackEnd::Sample {
public:
    explicit FrameSample(GstSample* sample)
        : m_sample(sample)
    {
    }
    ~FrameSample() override { gst_sample_unref(m_sample); }
    FrameSample(const FrameSample&) = delete;
    FrameSample& operator=(const FrameSample&) = delete;

    static std::unique_ptr<MovieBackEnd::Sample> adopt(GstSample* sample)
    {
        return sample ? std::make_unique<FrameSample>(sample) : nullptr;
    }

    std::optional<double> time() const override
    {
        GstBuffer* buffer = gst_sample_get_buffer(m_sample);
        if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer))
            return std::nullopt;
        return seconds(static_cast<gint64>(GST_BUFFER_PTS(buffer)));
    }

    std::optional<MovieBackEnd::Picture> picture() const override
    {
        GstVideoInfo info;
        GstCaps* caps = gst_sample_get_caps(m_sample);
        GstBuffer* buffer = gst_sample_get_buffer(m_sample);
        if (!caps || !buffer || !gst_video_info_from_caps(&info, caps))
            return std::nullopt;
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
            return std::nullopt;
        const int width = GST_VIDEO_INFO_WIDTH(&info);
        const int height = GST_VIDEO_INFO_HEIGHT(&info);
        const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
        std::optional<MovieBackEnd::Picture> picture;
        if (width > 0 && height > 0 && stride >= width * 4 && static_cast<gsize>(stride) * height <= map.size) {
            const auto rowBytes = static_cast<std::size_t>(width) * 4;
            picture.emplace();
            picture->width = width;
            picture->height = height;
            picture->bytes.resize(rowBytes * static_cast<std::size_t>(height));
            for (int row = 0; row < height; ++row)
                std::memcpy(picture->bytes.data() + static_cast<std::size_t>(row) * rowBytes, map.data + static_cast<std::size_t>(row) * stride, rowBytes);
        }
        gst_buffer_unmap(buffer, &map);
        return picture;
    }

    std::optional<std::pair<int, int>> size() const override
    {
        GstVideoInfo info;
        GstCaps* caps = gst_sample_get_caps(m_sample);
        if (!caps || !gst_video_info_from_caps(&info, caps))
            return std::nullopt;
        return std::pair { GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info) };
    }

private:
    GstSample* m_sample;
};

void countSoundBuffer(GstElement*, GstBuffer*, GstPad*, gpointer counter)
{
    static_cast<std::atomic<std::uint64_t>*>(counter)->fetch_add(1, std::memory_order_relaxed);
}

// A sink that plays nothing and counts the buffers it is given; it keeps no time, so sound never
// holds the pictures back. The caller owns a reference, as to any sound sink.
GstElement* makeSilentSink(std::atomic<std::uint64_t>* counter)
{
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return nullptr;
    gst_object_ref_sink(sink);
    g_object_set(sink, "sync", FALSE, "signal-handoffs", TRUE, nullptr);
    g_signal_connect(sink, "handoff", G_CALLBACK(countSoundBuffer), counter);
    return sink;
}

// The default audio device, or the one CORVANE_AUDIO_SINK names ("fake" for the silent sink); one
// that cannot be made or opened gives way to the silent sink, so the movie still plays.
GstElement* makeSoundSink(std::atomic<std::uint64_t>* counter, const MovieBackEnd::LogHandler& log)
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
    if (log)
        log("MPMoviePlayerController: no audio output (" + name + "); movies play without sound");
    return makeSilentSink(counter);
}

// playbin decoding into an app sink that hands out BGRx frames as fast as they are asked for; the
// sink keeps no clock of its own, so the player decides when a frame is due. The bus handler runs
// on the decoder's threads and only forwards what the player listens to.
class PlaybinDecoder final : public MovieBackEnd::Decoder {
public:
    PlaybinDecoder(const std::string& uri, bool withSound, MovieBackEnd::EventHandler events, const MovieBackEnd::LogHandler& log)
        : m_events(std::move(events))
    {
        m_playbin = gst_element_factory_make("playbin", nullptr);
        m_sink = gst_element_factory_make("appsink", nullptr);
        // A decoder without sound names a silent output all the same: left to itself, playbin
        // would open the sound devices to learn what they take.
        GstElement* soundSink = !m_playbin || !m_sink ? nullptr : withSound ? makeSoundSink(&m_soundBuffers, log) : makeSilentSink(&m_soundBuffers);
        if (!m_playbin || !m_sink || !soundSink) {
            for (GstElement* element : { m_playbin, m_sink, soundSink })
                if (element)
                    gst_object_unref(element);
            m_playbin = m_sink = nullptr;
            return;
        }
        GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
        // The sink keeps every frame it is given and takes the end at once: its own waits, for
        // room and for the frames before the end to be taken, are made holding the sink, which a
        // change of state under way may need, and a paused player takes no frame to end them.
        // Room is waited for before the sink, on its pad, holding nothing of the sink.
        g_object_set(m_sink, "caps", caps, "sync", FALSE, "max-buffers", 0u, "drop", FALSE, "wait-on-eos", FALSE, nullptr);
        gst_caps_unref(caps);
        const int flags = (withSound ? kPlayVideo | kPlaySound | kSoftVolume : kPlayVideo) | kKeepDownload;
        g_object_set(m_playbin, "uri", uri.c_str(), "video-sink", m_sink, "audio-sink", soundSink, "flags", flags, nullptr);
        if (GstElementFactory* factory = gst_element_get_factory(soundSink); factory && std::strcmp(GST_OBJECT_NAME(factory), "fakesink") == 0) {
            m_silentSink = soundSink;
            GstPad* soundPad = gst_element_get_static_pad(soundSink, "sink");
            gst_pad_add_probe(soundPad, GST_PAD_PROBE_TYPE_BUFFER, &PlaybinDecoder::keepSoundBehindPictures, this, nullptr);
            gst_object_unref(soundPad);
        }
        gst_object_unref(soundSink);
        if (m_events) {
            GstBus* bus = gst_element_get_bus(m_playbin);
            gst_bus_set_sync_handler(bus, &PlaybinDecoder::forward, this, nullptr);
            gst_object_unref(bus);
        }
        GstAppSinkCallbacks callbacks {};
        callbacks.new_sample = &PlaybinDecoder::sampleArrived;
        gst_app_sink_set_callbacks(GST_APP_SINK(m_sink), &callbacks, this, nullptr);
        GstPad* pad = gst_element_get_static_pad(m_sink, "sink");
        gst_pad_add_probe(pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST), &PlaybinDecoder::awaitRoom, this, nullptr);
        gst_pad_add_probe(pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_EVENT_FLUSH | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM), &PlaybinDecoder::pictureEvent, this, nullptr);
        gst_object_unref(pad);
    }

    ~PlaybinDecoder() override
    {
        if (!m_playbin)
            return;
        {
            std::lock_guard lock(m_requests->applying);
            m_requests->closed = true;
        }
        // Stopped first: no decoder thread can reach the handler once it is gone.
        gst_element_set_state(m_playbin, GST_STATE_NULL);
        if (m_events) {
            GstBus* bus = gst_element_get_bus(m_playbin);
            gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
            gst_object_unref(bus);
        }
        if (m_bufferingSource)
            gst_object_unref(m_bufferingSource);
        gst_object_unref(m_playbin);
    }

    PlaybinDecoder(const PlaybinDecoder&) = delete;
    PlaybinDecoder& operator=(const PlaybinDecoder&) = delete;

    bool valid() const { return m_playbin != nullptr; }

    bool requestPlaying(bool playing) override
    {
        m_requests->wanted.store(playing ? GST_STATE_PLAYING : GST_STATE_PAUSED);
        gst_element_call_async(m_playbin, &applyWantedState, std::make_unique<std::shared_ptr<StateRequests>>(m_requests).release(), &releaseStateRequests);
        return true;
    }

    bool seek(double time, bool exact, double rate) override
    {
        const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | (exact ? GST_SEEK_FLAG_ACCURATE : GST_SEEK_FLAG_KEY_UNIT));
        return gst_element_seek(m_playbin, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, nanoseconds(time), GST_SEEK_TYPE_NONE, 0);
    }

    bool isSettling() const override
    {
        return gst_element_get_state(m_playbin, nullptr, nullptr, 0) == GST_STATE_CHANGE_ASYNC;
    }

    bool settlePaused(const std::function<bool()>& abandoned, std::optional<MovieBackEnd::Failure>& failure) override
    {
        if (gst_element_set_state(m_playbin, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
            takeError(failure);
            return false;
        }
        return awaitSettled(abandoned, failure);
    }

    bool settledSeek(double time, bool exact, const std::function<bool()>& abandoned) override
    {
        std::optional<MovieBackEnd::Failure> failure;
        return seek(time, exact, 1.0) && awaitSettled(abandoned, failure);
    }

    std::optional<double> duration() const override
    {
        gint64 length = 0;
        if (gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &length) && length > 0)
            return seconds(length);
        return std::nullopt;
    }

    std::unique_ptr<MovieBackEnd::Sample> preroll() override
    {
        return FrameSample::adopt(gst_app_sink_try_pull_preroll(GST_APP_SINK(m_sink), 0));
    }

    std::unique_ptr<MovieBackEnd::Sample> nextSample(double wait) override
    {
        GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(m_sink), static_cast<GstClockTime>(nanoseconds(wait)));
        if (sample) {
            std::lock_guard lock(m_roomLock);
            m_framesHeld = std::max(0, m_framesHeld - 1);
            m_room.notify_all();
        }
        return FrameSample::adopt(sample);
    }

    bool atEnd() const override { return gst_app_sink_is_eos(GST_APP_SINK(m_sink)); }

    std::optional<int> bufferingPercent() const override
    {
        GstObject* source = nullptr;
        {
            std::lock_guard lock(m_bufferingLock);
            if (m_bufferingSource)
                source = GST_OBJECT(gst_object_ref(m_bufferingSource));
        }
        if (!source)
            return std::nullopt;
        GstQuery* query = gst_query_new_buffering(GST_FORMAT_PERCENT);
        std::optional<int> level;
        if (GST_IS_ELEMENT(source) && gst_element_query(GST_ELEMENT(source), query)) {
            gint percent = 100;
            gst_query_parse_buffering_percent(query, nullptr, &percent);
            level = percent;
        }
        gst_query_unref(query);
        gst_object_unref(source);
        return level;
    }

    void noticeNextSample() override { m_sampleWanted.store(true); }

    void setSound(double volume, bool muted) override
    {
        g_object_set(m_playbin, "volume", static_cast<gdouble>(volume), "mute", static_cast<gboolean>(muted), nullptr);
    }

    std::uint64_t soundBuffers() const override { return m_soundBuffers.load(); }

private:
    // A busy machine may take many seconds to open or seek a movie: the wait goes on while the
    // decoder is still working, and ends at once on its error or when the caller no longer wants
    // the answer. Only a stream that neither settles nor fails for kSettleLimit is given up.
    bool awaitSettled(const std::function<bool()>& abandoned, std::optional<MovieBackEnd::Failure>& failure) const
    {
        const auto deadline = std::chrono::steady_clock::now() + kSettleLimit;
        for (;;) {
            const GstStateChangeReturn result = gst_element_get_state(m_playbin, nullptr, nullptr, kSettleSlice);
            if (result == GST_STATE_CHANGE_SUCCESS)
                return true;
            if (takeError(failure) || result != GST_STATE_CHANGE_ASYNC || (abandoned && abandoned())
                || std::chrono::steady_clock::now() >= deadline)
                return false;
        }
    }

    bool takeError(std::optional<MovieBackEnd::Failure>& failure) const
    {
        GstBus* bus = gst_element_get_bus(m_playbin);
        GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
        gst_object_unref(bus);
        if (!message)
            return false;
        failure = failureFromMessage(message);
        gst_message_unref(message);
        return true;
    }

    static GstBusSyncReply forward(GstBus*, GstMessage* message, gpointer data)
    {
        auto* decoder = static_cast<PlaybinDecoder*>(data);
        MovieBackEnd::Event event;
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
            event.kind = MovieBackEnd::Event::Kind::Error;
            event.failure = failureFromMessage(message);
            break;
        case GST_MESSAGE_BUFFERING: {
            gint percent = 100;
            gst_message_parse_buffering(message, &percent);
            decoder->noteBufferingSource(GST_MESSAGE_SRC(message));
            event.kind = MovieBackEnd::Event::Kind::Buffering;
            event.percent = percent;
            break;
        }
        case GST_MESSAGE_DURATION_CHANGED:
            event.kind = MovieBackEnd::Event::Kind::DurationChanged;
            break;
        case GST_MESSAGE_ASYNC_DONE:
            if (GST_MESSAGE_SRC(message) != GST_OBJECT(decoder->m_playbin))
                return GST_BUS_DROP;
            event.kind = MovieBackEnd::Event::Kind::Settled;
            break;
        case GST_MESSAGE_APPLICATION:
            if (!gst_message_has_name(message, kReachedAtOnce))
                return GST_BUS_DROP;
            event.kind = MovieBackEnd::Event::Kind::Settled;
            break;
        case GST_MESSAGE_STATE_CHANGED: {
            GstState pending = GST_STATE_VOID_PENDING;
            gst_message_parse_state_changed(message, nullptr, nullptr, &pending);
            if (GST_MESSAGE_SRC(message) != GST_OBJECT(decoder->m_playbin) || pending != GST_STATE_VOID_PENDING)
                return GST_BUS_DROP;
            event.kind = MovieBackEnd::Event::Kind::Settled;
            break;
        }
        default:
            return GST_BUS_DROP;
        }
        decoder->m_events(event);
        return GST_BUS_DROP;
    }

    void noteBufferingSource(GstObject* source)
    {
        std::lock_guard lock(m_bufferingLock);
        if (!source || source == m_bufferingSource)
            return;
        if (m_bufferingSource)
            gst_object_unref(m_bufferingSource);
        m_bufferingSource = GST_OBJECT(gst_object_ref(source));
    }

    // On the streaming thread, before the sink: while the sink would take a frame at once, the
    // frame waits as long as the player has enough ahead. A sink that rests on its next frame
    // takes it, whatever it holds. The wait ends at once on a flush, within a slice when the sink
    // comes to rest.
    static GstPadProbeReturn awaitRoom(GstPad* pad, GstPadProbeInfo* info, gpointer data)
    {
        auto* decoder = static_cast<PlaybinDecoder*>(data);
        while (takesAtOnce(decoder->m_sink)) {
            std::unique_lock lock(decoder->m_roomLock);
            if (decoder->m_framesHeld < kFramesAhead || GST_PAD_IS_FLUSHING(pad))
                break;
            decoder->m_room.wait_for(lock, kRoomSlice);
        }
        GstBuffer* buffer = (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) ? GST_PAD_PROBE_INFO_BUFFER(info) : nullptr;
        if (buffer && GST_BUFFER_PTS_IS_VALID(buffer)) {
            std::lock_guard lock(decoder->m_roomLock);
            decoder->m_pictureTime = GST_BUFFER_PTS(buffer);
            decoder->m_room.notify_all();
        }
        return GST_PAD_PROBE_OK;
    }

    // The silent output takes sound as fast as it comes, and a sound track that reaches its end
    // before the pictures leaves the decoder unable to pause (its end waits for theirs): while
    // the output would take it at once, sound waits for the pictures to come as far. An output
    // that rests on its next buffer takes it: the pictures may be waiting for it to get there.
    static GstPadProbeReturn keepSoundBehindPictures(GstPad* pad, GstPadProbeInfo* info, gpointer data)
    {
        auto* decoder = static_cast<PlaybinDecoder*>(data);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer))
            return GST_PAD_PROBE_OK;
        const GstClockTime at = GST_BUFFER_PTS(buffer);
        while (takesAtOnce(decoder->m_silentSink)) {
            std::unique_lock lock(decoder->m_roomLock);
            if (GST_PAD_IS_FLUSHING(pad) || decoder->m_picturesEnded || decoder->m_pictureTime == GST_CLOCK_TIME_NONE || at <= decoder->m_pictureTime)
                break;
            decoder->m_room.wait_for(lock, kRoomSlice);
        }
        return GST_PAD_PROBE_OK;
    }

    // The sink would hand the buffer on now rather than rest on it. Asked of the sink itself, not
    // of its state: a change of state shows before the sink starts or stops resting, and in
    // between it takes all it is given.
    static bool takesAtOnce(GstElement* element)
    {
        GstBaseSink* sink = GST_BASE_SINK(element);
        GST_BASE_SINK_PREROLL_LOCK(sink);
        const bool atOnce = !sink->need_preroll;
        GST_BASE_SINK_PREROLL_UNLOCK(sink);
        return atOnce;
    }

    // A flush empties the sink and starts the pictures afresh; past their end, sound goes alone.
    static GstPadProbeReturn pictureEvent(GstPad*, GstPadProbeInfo* info, gpointer data)
    {
        auto* decoder = static_cast<PlaybinDecoder*>(data);
        const GstEventType type = GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info));
        if (type != GST_EVENT_FLUSH_START && type != GST_EVENT_FLUSH_STOP && type != GST_EVENT_EOS)
            return GST_PAD_PROBE_OK;
        std::lock_guard lock(decoder->m_roomLock);
        if (type == GST_EVENT_FLUSH_STOP) {
            decoder->m_framesHeld = 0;
            decoder->m_pictureTime = GST_CLOCK_TIME_NONE;
            decoder->m_picturesEnded = false;
        } else if (type == GST_EVENT_EOS) {
            decoder->m_picturesEnded = true;
        }
        decoder->m_room.notify_all();
        return GST_PAD_PROBE_OK;
    }

    // On the streaming thread; the sample stays queued for the player to take.
    static GstFlowReturn sampleArrived(GstAppSink*, gpointer data)
    {
        auto* decoder = static_cast<PlaybinDecoder*>(data);
        {
            std::lock_guard lock(decoder->m_roomLock);
            ++decoder->m_framesHeld;
        }
        if (decoder->m_events && decoder->m_sampleWanted.exchange(false)) {
            MovieBackEnd::Event event;
            event.kind = MovieBackEnd::Event::Kind::SampleReady;
            decoder->m_events(event);
        }
        return GST_FLOW_OK;
    }

    MovieBackEnd::EventHandler m_events;
    const std::shared_ptr<StateRequests> m_requests { std::make_shared<StateRequests>() };
    std::atomic<bool> m_sampleWanted { false };
    GstElement* m_playbin { nullptr };
    GstElement* m_sink { nullptr };
    GstElement* m_silentSink { nullptr }; // held by the playbin, when sound goes to no device
    std::atomic<std::uint64_t> m_soundBuffers { 0 };
    std::mutex m_roomLock;
    std::condition_variable m_room;
    int m_framesHeld { 0 }; // queued in the sink, under m_roomLock
    GstClockTime m_pictureTime { GST_CLOCK_TIME_NONE }; // of the last frame let through, under m_roomLock
    bool m_picturesEnded { false }; // under m_roomLock
    mutable std::mutex m_bufferingLock;
    GstObject* m_bufferingSource { nullptr }; // under m_bufferingLock
};

} // namespace

bool GStreamerMovieBackEnd::start(std::string& reason, LogHandler log)
{
    std::call_once(m_started, [this, &log] {
        m_log = std::move(log);
        GError* error = nullptr;
        m_ready = gst_init_check(nullptr, nullptr, &error);
        if (error) {
            m_reason = error->message;
            g_error_free(error);
        }
    });
    if (!m_ready)
        reason = m_reason.empty() ? "media framework unavailable" : m_reason;
    return m_ready;
}

std::unique_ptr<MovieBackEnd::Decoder> GStreamerMovieBackEnd::makeDecoder(const std::string& uri, bool withSound, EventHandler events)
{
    auto decoder = std::make_unique<PlaybinDecoder>(uri, withSound, std::move(events), m_log);
    if (!decoder->valid())
        return nullptr;
    return decoder;
}

MovieBackEnd* corvane_movie_back_end()
{
    static GStreamerMovieBackEnd backEnd;
    return &backEnd;
}
