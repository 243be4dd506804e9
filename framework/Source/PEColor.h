#pragma once
// An immutable colour in the generic RGB space, wrapping the drawing layer's colour.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGColor.h"

class UIColor;

class PEColor : public NSObject, public NSCoding {
    NS_OBJECT(PEColor, NSObject)
public:
    // Shared greys, made once.
    static std::shared_ptr<PEColor> blackColor();
    static std::shared_ptr<PEColor> whiteColor();
    static std::shared_ptr<PEColor> lightGrayColor();
    static std::shared_ptr<PEColor> grayColor();
    static std::shared_ptr<PEColor> darkGrayColor();
    static std::shared_ptr<PEColor> clearColor();
    static std::shared_ptr<PEColor> redColor();
    static std::shared_ptr<PEColor> blueColor();

    static std::shared_ptr<PEColor> colorWithGenericGray(CGFloat gray);
    // Components are not clamped.
    static std::shared_ptr<PEColor> colorWithComponentRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    static std::shared_ptr<PEColor> colorWithCGColor(const CGColorRef& color);

    std::shared_ptr<PEColor> colorWithAlphaComponent(CGFloat alpha) const;
    const CGColorRef& cgColor() const { return m_color; }
    std::shared_ptr<UIColor> uiColor() const;
    CGFloat alpha() const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    NSString description() const override;
    id copy() const override { return std::const_pointer_cast<NSObject>(NSObject::self()); }
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(const CGColorRef& color) { m_color = color; }
    bool init(NSCoder& coder);

private:
    CGColorRef m_color;
};

using PEColorRef = std::shared_ptr<PEColor>;
