// A movie module whose decoders tell one story, for what the real decoder does only now and then
// on a busy machine: the stream's buffering reports come out of order, the last one told (5%)
// older than the 100% told before it, and then the first frame settles. Asked, the buffer is full.
#include "platform/media/MovieBackEnd.h"

#include <thread>

namespace {

class ScriptedDecoder final : public MovieBackEnd::Decoder {
public:
    explicit ScriptedDecoder(MovieBackEnd::EventHandler events)
        : m_events(std::move(events))
    {
    }
    ~ScriptedDecoder() override
    {
        if (m_teller.joinable())
            m_teller.join();
    }
    ScriptedDecoder(const ScriptedDecoder&) = delete;
    ScriptedDecoder& operator=(const ScriptedDecoder&) = delete;

    bool requestPlaying(bool) override
    {
        if (!m_teller.joinable() && m_events)
            m_teller = std::thread([this] {
                for (const int percent : { 0, 100, 5 })
                    tell(MovieBackEnd::Event::Kind::Buffering, percent);
                tell(MovieBackEnd::Event::Kind::Settled, 100);
            });
        return true;
    }
    bool seek(double, bool, double) override { return true; }
    bool isSettling() const override { return false; }
    bool settlePaused(const std::function<bool()>&, std::optional<MovieBackEnd::Failure>&) override { return true; }
    bool settledSeek(double, bool, const std::function<bool()>&) override { return true; }
    std::optional<double> duration() const override { return 3.0; }
    std::unique_ptr<MovieBackEnd::Sample> preroll() override { return nullptr; }
    std::unique_ptr<MovieBackEnd::Sample> nextSample(double) override { return nullptr; }
    bool atEnd() const override { return false; }
    std::optional<int> bufferingPercent() const override { return 100; }
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

    MovieBackEnd::EventHandler m_events;
    std::thread m_teller;
};

class ScriptedBackEnd final : public MovieBackEnd {
public:
    bool start(std::string&, LogHandler) override { return true; }
    std::unique_ptr<Decoder> makeDecoder(const std::string&, bool, EventHandler events) override
    {
        return std::make_unique<ScriptedDecoder>(std::move(events));
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) MovieBackEnd* corvane_movie_back_end()
{
    static ScriptedBackEnd backEnd;
    return &backEnd;
}
