#pragma once
// Points, sizes and rectangles with the platform's semantics: rectangles may have negative
// sizes (every function standardises first), the null rectangle is the answer of an empty
// intersection, and the infinite rectangle contains everything.

#include <cmath>
#include <limits>

using CGFloat = double;

inline constexpr CGFloat CGFLOAT_MAX = std::numeric_limits<CGFloat>::max();
inline constexpr CGFloat CGFLOAT_MIN = std::numeric_limits<CGFloat>::min();

struct CGPoint {
    CGFloat x { 0 };
    CGFloat y { 0 };
    constexpr bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    CGFloat width { 0 };
    CGFloat height { 0 };
    constexpr bool operator==(const CGSize&) const = default;
};

struct CGVector {
    CGFloat dx { 0 };
    CGFloat dy { 0 };
    constexpr bool operator==(const CGVector&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    constexpr bool operator==(const CGRect&) const = default;
};

enum CGRectEdge : int {
    CGRectMinXEdge = 0,
    CGRectMinYEdge = 1,
    CGRectMaxXEdge = 2,
    CGRectMaxYEdge = 3,
};

inline constexpr CGPoint CGPointZero {};
inline constexpr CGSize CGSizeZero {};
inline constexpr CGRect CGRectZero {};
// The platform's null rectangle: an origin at infinity and no size.
inline constexpr CGRect CGRectNull { { std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity() }, { 0, 0 } };
inline constexpr CGRect CGRectInfinite { { -std::numeric_limits<CGFloat>::max() / 2, -std::numeric_limits<CGFloat>::max() / 2 },
    { std::numeric_limits<CGFloat>::max(), std::numeric_limits<CGFloat>::max() } };

constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) { return { x, y }; }
constexpr CGSize CGSizeMake(CGFloat width, CGFloat height) { return { width, height }; }
constexpr CGVector CGVectorMake(CGFloat dx, CGFloat dy) { return { dx, dy }; }
constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) { return { { x, y }, { width, height } }; }

constexpr bool CGPointEqualToPoint(CGPoint a, CGPoint b) { return a == b; }
constexpr bool CGSizeEqualToSize(CGSize a, CGSize b) { return a == b; }

bool CGRectIsNull(CGRect rect);
bool CGRectIsEmpty(CGRect rect);
bool CGRectIsInfinite(CGRect rect);
CGRect CGRectStandardize(CGRect rect);

CGFloat CGRectGetMinX(CGRect rect);
CGFloat CGRectGetMidX(CGRect rect);
CGFloat CGRectGetMaxX(CGRect rect);
CGFloat CGRectGetMinY(CGRect rect);
CGFloat CGRectGetMidY(CGRect rect);
CGFloat CGRectGetMaxY(CGRect rect);
CGFloat CGRectGetWidth(CGRect rect);
CGFloat CGRectGetHeight(CGRect rect);

// Equal when both describe the same area: standardised, and every null rectangle equals another.
bool CGRectEqualToRect(CGRect a, CGRect b);
// Half-open: the minimum edges are inside, the maximum edges outside.
bool CGRectContainsPoint(CGRect rect, CGPoint point);
bool CGRectContainsRect(CGRect outer, CGRect inner);
bool CGRectIntersectsRect(CGRect a, CGRect b);

CGRect CGRectOffset(CGRect rect, CGFloat dx, CGFloat dy);
CGRect CGRectInset(CGRect rect, CGFloat dx, CGFloat dy);
CGRect CGRectIntegral(CGRect rect);
CGRect CGRectUnion(CGRect a, CGRect b);
CGRect CGRectIntersection(CGRect a, CGRect b);
void CGRectDivide(CGRect rect, CGRect* slice, CGRect* remainder, CGFloat amount, CGRectEdge edge);
