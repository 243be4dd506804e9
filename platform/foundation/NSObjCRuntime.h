#pragma once
// Scalar types and small structures shared by the whole platform layer.

#include <cstdint>
#include <limits>
#include <memory>

using NSInteger = std::int64_t;
using NSUInteger = std::uint64_t;
using NSTimeInterval = double;
using unichar = char16_t;

inline constexpr NSInteger NSIntegerMax = std::numeric_limits<NSInteger>::max();
inline constexpr NSInteger NSIntegerMin = std::numeric_limits<NSInteger>::min();
inline constexpr NSUInteger NSUIntegerMax = std::numeric_limits<NSUInteger>::max();
inline constexpr NSUInteger NSNotFound = static_cast<NSUInteger>(NSIntegerMax);

enum NSComparisonResult : NSInteger {
    NSOrderedAscending = -1,
    NSOrderedSame = 0,
    NSOrderedDescending = 1,
};

struct NSRange {
    NSUInteger location { 0 };
    NSUInteger length { 0 };

    constexpr NSUInteger end() const { return location + length; }
    constexpr bool operator==(const NSRange&) const = default;
};

constexpr NSRange NSMakeRange(NSUInteger location, NSUInteger length) { return { location, length }; }
constexpr NSUInteger NSMaxRange(NSRange range) { return range.location + range.length; }
constexpr bool NSLocationInRange(NSUInteger location, NSRange range)
{
    return location >= range.location && location - range.location < range.length;
}
constexpr bool NSEqualRanges(NSRange a, NSRange b) { return a == b; }
NSRange NSIntersectionRange(NSRange a, NSRange b);
NSRange NSUnionRange(NSRange a, NSRange b);

class NSError;
class NSObject;
class NSString;
// An object reference of any class; null is nil.
using id = std::shared_ptr<NSObject>;
// Where an operation stores the error it failed with; null when the caller does not want it.
using NSErrorPointer = std::shared_ptr<NSError>*;

template <class T>
int sign(T value) { return (value > T {}) - (value < T {}); }

constexpr NSComparisonResult NSCompare(auto a, auto b)
{
    return a < b ? NSOrderedAscending : (b < a ? NSOrderedDescending : NSOrderedSame);
}
