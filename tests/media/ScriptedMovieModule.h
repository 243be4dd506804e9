#pragma once
// The scripted movie module (ScriptedMovieBackEnd.cpp) as the tests reach it: a test run in a
// process of its own whose players load the module, and the module's hold on the changes of
// state it keeps stuck. The target defines SCRIPTED_MOVIE_MODULE_PATH.

#include "platform/foundation/DynamicLibrary.h"
#include "tests/support/OtherProcess.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>

class ScriptedMovieModule {
public:
    // As long as a window may take to go once it is closed.
    static constexpr double kWindowCloseSeconds = 2;

    // Runs the test in a process of its own whose players load the module at the path.
    static bool passesWithModule(const std::string& path, const char* testName)
    {
        const char* chosen = std::getenv("CORVANE_MOVIE_MODULE");
        const std::string previous = chosen ? chosen : "";
        setenv("CORVANE_MOVIE_MODULE", path.c_str(), 1);
        const bool passed = passesInAnotherProcess(testName);
        if (previous.empty())
            unsetenv("CORVANE_MOVIE_MODULE");
        else
            setenv("CORVANE_MOVIE_MODULE", previous.c_str(), 1);
        return passed;
    }
    static bool passes(const char* testName) { return passesWithModule(SCRIPTED_MOVIE_MODULE_PATH, testName); }

    testing::AssertionResult bind()
    {
        std::string reason;
        m_module = DynamicLibrary::open(SCRIPTED_MOVIE_MODULE_PATH, reason);
        if (m_module && m_module->bind(m_release, "corvane_scripted_release_stuck_changes", reason)
            && m_module->bind(m_liveDecoders, "corvane_scripted_live_decoders", reason)
            && m_module->bind(m_stickEveryFilm, "corvane_scripted_stick_every_film_playing", reason))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << reason;
    }
    // Lets every change stuck so far return; later ones stick again.
    void releaseStuckChanges() const { m_release(); }
    int liveDecoders() const { return m_liveDecoders(); }
    // Every film made from now on, whatever its name, sticks on its first change to playing.
    void stickEveryFilmPlaying() const { m_stickEveryFilm(); }

    // Whether the close returned within the time. A close held by a stuck change would hold the
    // test for good: past the time, the stuck changes are let go and the close counts as held.
    bool closesInTime(const std::function<void()>& close, double seconds = kWindowCloseSeconds) const
    {
        testing_support::Signal closed;
        std::atomic<bool> heldTheClose { false };
        std::thread watch([&] {
            if (!closed.waitForNotices(1, seconds)) {
                heldTheClose = true;
                releaseStuckChanges();
            }
        });
        close();
        closed.notify();
        watch.join();
        return !heldTheClose;
    }

private:
    std::optional<DynamicLibrary> m_module;
    void (*m_release)() = nullptr;
    int (*m_liveDecoders)() = nullptr;
    void (*m_stickEveryFilm)() = nullptr;
};
