#pragma once
// Warnings and criticals that GLib, or a library on it (the media framework, Pango, GIO), logs
// fail the test during which they are logged, whatever thread logs them: a misuse of their objects
// is only logged, and would pass otherwise. They are taken on the thread that logs and told on the
// tests' own thread as the test ends.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class LoggedWarnings final : public testing::EmptyTestEventListener {
public:
    // Routes GLib's log through this listener: one per process, made before anything is logged.
    LoggedWarnings();

    void OnTestStart(const testing::TestInfo&) override;
    void OnTestEnd(const testing::TestInfo&) override;

    // Logged while no test ran; told by the tests' main, which then fails.
    std::vector<std::string> outsideTests();

private:
    // Shared with GLib's log, which outlives the listener.
    struct Taken {
        std::mutex lock;
        std::vector<std::string> messages; // under lock
    };

    std::vector<std::string> takeAll();
    void setAsideUntold();

    const std::shared_ptr<Taken> m_taken { std::make_shared<Taken>() };
    std::vector<std::string> m_outsideTests;
};
