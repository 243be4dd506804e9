#pragma once
// Waits for another thread to make a condition true, for at most a bounded real time, so that a
// regression fails the test instead of hanging it until the suite's time-out.

#include <chrono>
#include <functional>
#include <thread>

namespace testing_support {

inline constexpr double kWaitSeconds = 20;

inline bool waitUntil(const std::function<bool()>& done, double seconds = kWaitSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace testing_support
