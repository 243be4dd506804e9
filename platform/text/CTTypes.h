#pragma once
// The signed index and range of the text engine's C interface (kCFNotFound is -1, unlike
// NSNotFound), kept apart from NSRange so callers port their comparisons as written.

#include "platform/foundation/NSObjCRuntime.h"

using CFIndex = long;

struct CFRange {
    CFIndex location { 0 };
    CFIndex length { 0 };
    constexpr bool operator==(const CFRange&) const = default;
};

inline constexpr CFIndex kCFNotFound = -1;

constexpr CFRange CFRangeMake(CFIndex location, CFIndex length) { return { location, length }; }
