#pragma once
// UIKit's geometry additions: edge insets and offsets, in points.

#include "platform/foundation/NSString.h"
#include "platform/graphics/CGGeometry.h"

struct UIEdgeInsets {
    CGFloat top { 0 };
    CGFloat left { 0 };
    CGFloat bottom { 0 };
    CGFloat right { 0 };
    constexpr bool operator==(const UIEdgeInsets&) const = default;
};

struct UIOffset {
    CGFloat horizontal { 0 };
    CGFloat vertical { 0 };
    constexpr bool operator==(const UIOffset&) const = default;
};

inline constexpr UIEdgeInsets UIEdgeInsetsZero {};
inline constexpr UIOffset UIOffsetZero {};

constexpr UIEdgeInsets UIEdgeInsetsMake(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right)
{
    return { top, left, bottom, right };
}
constexpr UIOffset UIOffsetMake(CGFloat horizontal, CGFloat vertical) { return { horizontal, vertical }; }
constexpr bool UIEdgeInsetsEqualToEdgeInsets(UIEdgeInsets a, UIEdgeInsets b) { return a == b; }

inline CGRect UIEdgeInsetsInsetRect(CGRect rect, UIEdgeInsets insets)
{
    rect = CGRectStandardize(rect);
    return { { rect.origin.x + insets.left, rect.origin.y + insets.top },
        { rect.size.width - insets.left - insets.right, rect.size.height - insets.top - insets.bottom } };
}

// "{x, y}", "{{x, y}, {w, h}}" and "{top, left, bottom, right}", as the platform prints them.
NSString NSStringFromCGPoint(CGPoint point);
NSString NSStringFromCGSize(CGSize size);
NSString NSStringFromCGRect(CGRect rect);
NSString NSStringFromUIEdgeInsets(UIEdgeInsets insets);
