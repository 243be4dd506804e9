#pragma once
// Gradients: colour stops at locations 0...1, kept as straight RGBA for drawing.

#include "platform/graphics/CGColor.h"

#include <array>
#include <vector>

using CGGradientDrawingOptions = std::uint32_t;
enum : CGGradientDrawingOptions {
    kCGGradientDrawsBeforeStartLocation = 1 << 0,
    kCGGradientDrawsAfterEndLocation = 1 << 1,
};

class CGGradient : public NSObject {
    NS_OBJECT(CGGradient, NSObject)
public:
    struct Stop {
        CGFloat location { 0 };
        std::array<CGFloat, 4> rgba {};
    };
    const std::vector<Stop>& stops() const { return m_stops; }

protected:
    bool init(std::vector<Stop> stops);

private:
    std::vector<Stop> m_stops;
};

using CGGradientRef = std::shared_ptr<CGGradient>;

// Locations may be null: the stops then spread evenly from 0 to 1.
CGGradientRef CGGradientCreateWithColorComponents(const CGColorSpaceRef& space, const CGFloat* components,
    const CGFloat* locations, std::size_t count);
CGGradientRef CGGradientCreateWithColors(const CGColorSpaceRef& space, const std::vector<CGColorRef>& colors,
    const CGFloat* locations);
inline CGGradientRef CGGradientRetain(const CGGradientRef& gradient) { return gradient; }
inline void CGGradientRelease(const CGGradientRef&) { }
