// A movie module whose decoders tell stories, for what the real decoder does only now and then on
// a busy machine. The film's name picks the story:
//  - any film: the stream's buffering reports come out of order, the last one told (5%) older
//    than the 100% told before it, and then the first frame settles. Asked, the buffer is full.
//  - drained.ogv: settles at once; asked to play, it runs dry (0%) and fills (100%), but when
//    the player asks after the 100%, playback has drained the buffer between its marks (80%), where
//    it tells nothing more; the next time it is asked it is full again.
//  - stuck.ogv: the first change of state asked for never returns until the test lets it go, and
//    the decoder, as the real one, waits for a change under way before it closes.
//  - stuck-playing.ogv, or any film once the test asks it: pauses settle at once, and the first
//    change to playing never returns until the test lets it go.
// A change under way holds the decoder's state lock as the real one does, and a seek waits for it.
#include "platform/media/MovieBackEnd.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

namespace {

enum class Story { LateReport, Drained, Stuck, StuckPlaying };

// What the test reaches through the module's entries below.
struct StuckChanges {
    std::mutex mutex;
    std::condition_variable released;
    unsigned releases { 0 };
    // Every film is StuckPlaying, whatever its name.
    std::atomic<bool> everyFilmStuckPlaying { false };
};
StuckChanges& stuckChanges()
{
    static StuckChanges changes;
    return changes;
}
std::atomic<int> g_liveDecoders { 0 };

class ScriptedSample final : public MovieBackEnd::Sample {
public:
    explicit ScriptedSample(double time)
        : m_time(time)
    {
    }
    std::optional<double> time() const override { return m_time; }
    std::optional<std::pair<int, int>> size() const override { return std::pair { 4, 4 }; }
    std::optional<MovieBackEnd::Picture> picture() const override { return std::nullopt; }

private:
    double m_time;
};

class ScriptedDecoder final : public MovieBackEnd::Decoder {
public:
    ScriptedDecoder(Story story, MovieBackEnd::EventHandler events)
        : m_story(story)
        , m_events(std::move(events))
    {
        ++g_liveDecoders;
    }
    ~ScriptedDecoder() override
    {
        {
            std::lock_guard lock(m_applying);
            m_closed = true;
        }
        if (m_teller.joinable())
            m_teller.join();
        --g_liveDecoders;
    }
    ScriptedDecoder(const ScriptedDecoder&) = delete;
    ScriptedDecoder& operator=(const ScriptedDecoder&) = delete;

    bool requestPlaying(bool playing) override
    {
        m_playing = playing;
        if (m_teller.joinable() || !m_events)
            return true;
        switch (m_story) {
        case Story::LateReport:
            m_teller = std::thread([this] {
                for (const int percent : { 0, 100, 5 })
                    tell(MovieBackEnd::Event::Kind::Buffering, percent);
                tell(MovieBackEnd::Event::Kind::Settled, 100);
            });
            break;
        case Story::Drained:
            if (!playing) {
                tell(MovieBackEnd::Event::Kind::Settled, 100);
                return true;
            }
            m_teller = std::thread([this] {
                for (const int percent : { 0, 100 }) {
                    {
                        std::lock_guard lock(m_levelLock);
                        m_levels.push_back(percent == 100 ? 80 : percent);
                    }
                    tell(MovieBackEnd::Event::Kind::Buffering, percent);
                }
            });
            break;
        case Story::StuckPlaying:
            if (!playing) {
                tell(MovieBackEnd::Event::Kind::Settled, 100);
                return true;
            }
            [[fallthrough]];
        case Story::Stuck: {
            // Once this returns the change holds the lock, so a seek that follows waits for it.
            std::promise<void> holding;
            auto held = holding.get_future();
            m_teller = std::thread([this, holding = std::move(holding)]() mutable {
                std::lock_guard applying(m_applying);
                auto& changes = stuckChanges();
                std::unique_lock lock(changes.mutex);
                const unsigned stuckAfter = changes.releases;
                holding.set_value();
                changes.released.wait(lock, [&] { return changes.releases > stuckAfter; });
                // What a change touches once it returns.
                if (!m_closed)
                    tell(MovieBackEnd::Event::Kind::Settled, 100);
            });
            held.wait();
            break;
        }
        }
        return true;
    }
    bool seek(double, bool, double) override
    {
        std::lock_guard applying(m_applying);
        return true;
    }
    bool isSettling() const override { return false; }
    bool settlePaused(const std::function<bool()>&, std::optional<MovieBackEnd::Failure>&) override { return true; }
    bool settledSeek(double, bool, const std::function<bool()>&) override { return true; }
    std::optional<double> duration() const override { return 3.0; }
    std::unique_ptr<MovieBackEnd::Sample> preroll() override { return nullptr; }
    // Frames flow, one each 30th of a second of the film, while it is asked to play.
    std::unique_ptr<MovieBackEnd::Sample> nextSample(double) override
    {
        if (m_story != Story::Drained || !m_playing)
            return nullptr;
        m_nextTime += 1.0 / 30;
        return std::make_unique<ScriptedSample>(m_nextTime);
    }
    bool atEnd() const override { return false; }
    std::optional<int> bufferingPercent() const override
    {
        std::lock_guard lock(m_levelLock);
        if (m_levels.empty())
            return 100;
        const int level = m_levels.front();
        m_levels.pop_front();
        return level;
    }
    void noticeNextSample() override { }
    void setSound(double, bool) override { }
    std::uint64_t soundBuffers() const override { return 0; }

private:
    void tell(MovieBackEnd::Event::Kind kind, int percent)
    {
        MovieBackEnd::Event event;
        event.kind = kind;
        event.percent = percent;
        m_events(event);
    }

    const Story m_story;
    MovieBackEnd::EventHandler m_events;
    std::thread m_teller;
    std::atomic<bool> m_playing { false };
    double m_nextTime { 0 };
    mutable std::mutex m_levelLock;
    mutable std::deque<int> m_levels; // under m_levelLock, each told once when asked
    std::mutex m_applying;
    bool m_closed { false }; // under m_applying
};

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class ScriptedBackEnd final : public MovieBackEnd {
public:
    bool start(std::string&, LogHandler) override { return true; }
    std::unique_ptr<Decoder> makeDecoder(const std::string& uri, bool, EventHandler events) override
    {
        Story story = Story::LateReport;
        if (endsWith(uri, "/drained.ogv"))
            story = Story::Drained;
        else if (endsWith(uri, "/stuck.ogv"))
            story = Story::Stuck;
        else if (endsWith(uri, "/stuck-playing.ogv") || stuckChanges().everyFilmStuckPlaying)
            story = Story::StuckPlaying;
        return std::make_unique<ScriptedDecoder>(story, std::move(events));
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) MovieBackEnd* corvane_movie_back_end()
{
    static ScriptedBackEnd backEnd;
    return &backEnd;
}

// Lets every change stuck so far return; later ones stick again.
extern "C" __attribute__((visibility("default"))) void corvane_scripted_release_stuck_changes()
{
    auto& changes = stuckChanges();
    std::lock_guard lock(changes.mutex);
    ++changes.releases;
    changes.released.notify_all();
}

extern "C" __attribute__((visibility("default"))) int corvane_scripted_live_decoders() { return g_liveDecoders.load(); }

// Every film made from now on sticks on its first change to playing.
extern "C" __attribute__((visibility("default"))) void corvane_scripted_stick_every_film_playing() { stuckChanges().everyFilmStuckPlaying = true; }
