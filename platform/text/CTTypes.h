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

namespace CTTypes {

// Where a range over `count` items ends, a length of 0 (or one past the last item) meaning the
// last item; false for a range that starts outside them or runs backwards.
constexpr bool rangeEnd(CFRange range, CFIndex count, CFIndex& end)
{
    if (range.location < 0 || range.location > count || range.length < 0)
        return false;
    end = range.length == 0 || range.length > count - range.location ? count : range.location + range.length;
    return true;
}

} // namespace CTTypes
