#pragma once
// A drop shadow: offset, blur radius and colour, set into a context just before its owner draws.
// Immutable; PEMutableShadow makes the three values writable. Shadows compare by identity.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGContext.h"

class PEColor;
class PEMutableShadow;

class PEShadow : public NSObject, public NSCoding {
    NS_OBJECT(PEShadow, NSObject)
public:
    static std::shared_ptr<PEShadow> shadow() { return create(); }

    CGSize shadowOffset() const { return m_shadowOffset; }
    CGFloat shadowBlurRadius() const { return m_shadowBlurRadius; }
    const std::shared_ptr<PEColor>& shadowColor() const { return m_shadowColor; }

    // Does not save the graphics state: the caller brackets it.
    void setShadowInContext(const CGContextRef& context) const;

    id copy() const override;
    id mutableCopy() const override;
    std::shared_ptr<PEShadow> copyShadow() const { return std::static_pointer_cast<PEShadow>(copy()); }

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init() { }
    // A negative or NaN blur radius in the archive refuses it.
    bool init(NSCoder& coder);

    void setShadowOffset(CGSize offset) { m_shadowOffset = offset; }
    // Raises the parameter assertion for a negative or NaN radius.
    void setShadowBlurRadius(CGFloat radius);
    void setShadowColor(const std::shared_ptr<PEColor>& color) { m_shadowColor = color; }

private:
    CGSize m_shadowOffset {};
    CGFloat m_shadowBlurRadius { 0 };
    std::shared_ptr<PEColor> m_shadowColor;
};

using PEShadowRef = std::shared_ptr<PEShadow>;
