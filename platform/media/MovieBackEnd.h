#pragma once
// What the movie player asks of the decoder behind it. The decoder lives in a module of its own,
// loaded on the first movie (MovieModule), so the client starts without the media framework and the
// libraries it brings. Only standard types cross between the two: the module keeps none of the
// platform's objects or state.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class MovieBackEnd {
public:
    // A decoded picture: packed rows of 32-bit little-endian words with an unused top byte.
    struct Picture {
        int width { 0 };
        int height { 0 };
        std::vector<std::uint8_t> bytes;
    };

    struct Failure {
        long code { -1 };
        std::string message;
    };

    // A decoded frame, kept undecoded into a picture until it is shown.
    class Sample {
    public:
        virtual ~Sample() = default;
        // Seconds from the start of the movie, when the decoder stamped the frame.
        virtual std::optional<double> time() const = 0;
        // The size the frame's format gives, even when its pixels cannot be read.
        virtual std::optional<std::pair<int, int>> size() const = 0;
        virtual std::optional<Picture> picture() const = 0;
    };

    // What the decoder reports as it works; told on the decoder's own threads.
    struct Event {
        enum class Kind { Error, Settled, Buffering, DurationChanged, SampleReady };
        Kind kind { Kind::Error };
        // Buffering: how full the stream's buffer is.
        int percent { 100 };
        Failure failure;
    };
    using EventHandler = std::function<void(const Event&)>;
    // Console lines of the back end, for the platform's log.
    using LogHandler = std::function<void(const std::string&)>;

    // One movie's decoder. Frames are handed out as fast as they are asked for; the caller decides
    // when each is due.
    class Decoder {
    public:
        virtual ~Decoder() = default;
        // Asks for playing or paused without waiting: the state is reached later, and a refusal comes
        // as an Error event.
        virtual bool requestPlaying(bool playing) = 0;
        // Flushes and moves to the time; settling there is reported later.
        virtual bool seek(double time, bool exact, double rate) = 0;
        // A state change or seek is still under way.
        virtual bool isSettling() const = 0;
        // For a worker that may wait: pauses on the first frame, or answers the decoder's error.
        virtual bool settlePaused(const std::function<bool()>& abandoned, std::optional<Failure>& failure) = 0;
        virtual bool settledSeek(double time, bool exact, const std::function<bool()>& abandoned) = 0;
        virtual std::optional<double> duration() const = 0;
        // The frame a paused decoder rests on, without waiting.
        virtual std::unique_ptr<Sample> preroll() = 0;
        // The next frame, waiting up to the given seconds for it.
        virtual std::unique_ptr<Sample> nextSample(double wait) = 0;
        virtual bool atEnd() const = 0;
        // How full the stream's buffer is now, asked of the part that reports buffering; nil
        // before it has reported. Its reports are taken on several threads and may be told out
        // of order, the last one told being older than the buffer.
        virtual std::optional<int> bufferingPercent() const = 0;
        // The events hear once, as SampleReady, when the next frame has been decoded: a player
        // whose stream ran dry learns that it flows again without asking.
        virtual void noticeNextSample() = 0;
        virtual void setSound(double volume, bool muted) = 0;
        // Sound buffers that reached the output.
        virtual std::uint64_t soundBuffers() const = 0;
    };

    virtual ~MovieBackEnd() = default;
    // Starts the media framework, once per process (the first call's log stays); false with the
    // reason when it cannot.
    virtual bool start(std::string& reason, LogHandler log) = 0;
    // Nil when the framework lacks what decoding needs. A decoder without sound (thumbnails) makes
    // no output; events, when given, hear errors, settling, buffering and duration changes until the
    // decoder is gone.
    virtual std::unique_ptr<Decoder> makeDecoder(const std::string& uri, bool withSound, EventHandler events) = 0;
};

// The module's one entry: answers its back end, which lives as long as the process.
using MovieBackEndEntry = MovieBackEnd* (*)();
inline constexpr const char* kMovieBackEndEntryName = "corvane_movie_back_end";
