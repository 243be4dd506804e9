#pragma once
// Colours: components in their colour space, the last one alpha. Drawing reads them as
// straight (not premultiplied) RGBA.

#include "platform/graphics/CGColorSpace.h"
#include "platform/graphics/CGGeometry.h"

#include <array>
#include <vector>

class CGColor : public NSObject {
    NS_OBJECT(CGColor, NSObject)
public:
    const CGColorSpaceRef& colorSpace() const { return m_space; }
    const std::vector<CGFloat>& components() const { return m_components; }
    CGFloat alpha() const { return m_components.empty() ? 0 : m_components.back(); }
    // Straight red, green, blue and alpha, each clamped to 0...1.
    std::array<CGFloat, 4> rgba() const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    NSString description() const override;

protected:
    bool init(CGColorSpaceRef space, std::vector<CGFloat> components);

private:
    CGColorSpaceRef m_space;
    std::vector<CGFloat> m_components;
};

using CGColorRef = std::shared_ptr<CGColor>;

// The components array holds the space's components followed by alpha; nil for a space that
// cannot hold a plain colour.
CGColorRef CGColorCreate(const CGColorSpaceRef& space, const CGFloat* components);
CGColorRef CGColorCreateGenericRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CGColorRef CGColorCreateGenericGray(CGFloat gray, CGFloat alpha);
CGColorRef CGColorCreateCopy(const CGColorRef& color);
CGColorRef CGColorCreateCopyWithAlpha(const CGColorRef& color, CGFloat alpha);
bool CGColorEqualToColor(const CGColorRef& a, const CGColorRef& b);
CGColorSpaceRef CGColorGetColorSpace(const CGColorRef& color);
std::size_t CGColorGetNumberOfComponents(const CGColorRef& color);
// Valid while the colour lives; null for nil.
const CGFloat* CGColorGetComponents(const CGColorRef& color);
CGFloat CGColorGetAlpha(const CGColorRef& color);
inline CGColorRef CGColorRetain(const CGColorRef& color) { return color; }
inline void CGColorRelease(const CGColorRef&) { }
