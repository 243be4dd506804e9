#include "tests/support/LoggedWarnings.h"

#include <glib.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

namespace {

struct Passed {
    std::string_view domain;
    std::string_view message;
};

// Logged by the media framework itself, and no misuse of ours: after a seek the video sink puts
// the stream's caps on the sample it hands out without making it its own first, and the player
// may still hold the last frame it was handed, as the sink allows. The caps are the same.
constexpr Passed kPassed[] = {
    { "GStreamer", "gst_sample_set_caps: assertion 'gst_sample_is_writable (sample)' failed" },
};

std::string_view field(const GLogField* fields, gsize count, const char* key)
{
    for (gsize index = 0; index < count; ++index) {
        if (std::strcmp(fields[index].key, key) != 0 || !fields[index].value)
            continue;
        const auto* text = static_cast<const char*>(fields[index].value);
        return fields[index].length < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(fields[index].length));
    }
    return {};
}

} // namespace

LoggedWarnings::LoggedWarnings()
{
    // GLib keeps the writer to the end of the process, past the listener: it holds the taken
    // messages itself.
    using Shared = std::shared_ptr<Taken>;
    const auto write = [](GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
        const std::string_view domain = field(fields, count, "GLIB_DOMAIN");
        const std::string_view text = field(fields, count, "MESSAGE");
        const bool passed = std::any_of(std::begin(kPassed), std::end(kPassed), [&](const Passed& known) { return known.domain == domain && known.message == text; });
        if ((level & (G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL)) && !passed) {
            std::string message = std::string(domain.empty() ? "GLib" : domain) + ((level & G_LOG_LEVEL_CRITICAL) ? "-CRITICAL: " : "-WARNING: ");
            message += text;
            Taken& taken = **static_cast<Shared*>(data);
            std::lock_guard lock(taken.lock);
            taken.messages.push_back(std::move(message));
        }
        return g_log_writer_default(level, fields, count, nullptr);
    };
    const auto release = [](gpointer data) { std::unique_ptr<Shared> { static_cast<Shared*>(data) }; };
    g_log_set_writer_func(write, std::make_unique<Shared>(m_taken).release(), release);
}

void LoggedWarnings::OnTestStart(const testing::TestInfo&) { setAsideUntold(); }

void LoggedWarnings::OnTestEnd(const testing::TestInfo&)
{
    for (const auto& message : takeAll())
        ADD_FAILURE() << "logged during the test: " << message;
}

std::vector<std::string> LoggedWarnings::outsideTests()
{
    setAsideUntold();
    return std::exchange(m_outsideTests, {});
}

void LoggedWarnings::setAsideUntold()
{
    auto untold = takeAll();
    m_outsideTests.insert(m_outsideTests.end(), std::make_move_iterator(untold.begin()), std::make_move_iterator(untold.end()));
}

std::vector<std::string> LoggedWarnings::takeAll()
{
    std::lock_guard lock(m_taken->lock);
    return std::exchange(m_taken->messages, {});
}
