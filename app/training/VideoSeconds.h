#pragma once
// Seconds of a course video as the video-learning service gives them (credited, length), read as
// whole numbers and kept between 0 and the largest 32-bit count: the client adds and subtracts
// them, and a save's interval goes back as a 32-bit number, so a value near the 64-bit limit (or
// below zero) from the network must not reach that arithmetic as it stands.

#include "platform/foundation/NSDictionary.h"

namespace VideoSeconds {

inline constexpr long long kMost = 2147483647;

long long secondsOf(const id& value);
// A missing key counts 0.
long long secondsForKey(const std::shared_ptr<NSDictionary>& record, const char* key);

} // namespace VideoSeconds
