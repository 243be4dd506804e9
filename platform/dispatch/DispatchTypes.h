#pragma once
// Scalar types and constants of the dispatch interface, shared by its classes.

#include <cstdint>
#include <functional>

using dispatch_block_t = std::function<void()>;
using dispatch_function_t = void (*)(void*);
// Nanoseconds on the monotonic scale of SystemClock, so deadlines follow the manual clock too.
using dispatch_time_t = uint64_t;

inline constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;
inline constexpr dispatch_time_t DISPATCH_TIME_FOREVER = ~0ull;
inline constexpr uint64_t NSEC_PER_SEC = 1000000000ull;
inline constexpr uint64_t NSEC_PER_MSEC = 1000000ull;
inline constexpr uint64_t NSEC_PER_USEC = 1000ull;
inline constexpr uint64_t USEC_PER_SEC = 1000000ull;

// The current time on the dispatch scale, and a span in seconds as dispatch nanoseconds.
dispatch_time_t dispatchNow();
double dispatchSecondsUntil(dispatch_time_t when);
