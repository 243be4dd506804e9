#pragma once
// What fills an area: a solid colour or a gradient. Immutable; a nil fill draws nothing.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGContext.h"

class PEColor;
class PEGradient;

class PEFill : public NSObject, public NSCoding {
    NS_OBJECT(PEFill, NSObject)
public:
    static std::shared_ptr<PEFill> fillWithColor(const std::shared_ptr<PEColor>& color);
    static std::shared_ptr<PEFill> fillWithGradient(const std::shared_ptr<PEGradient>& gradient);

    const std::shared_ptr<PEColor>& color() const { return m_color; }
    const std::shared_ptr<PEGradient>& gradient() const { return m_gradient; }
    // Whether what it draws hides everything beneath it.
    bool isOpaque() const;

    void fillRect(CGRect rect, const CGContextRef& context) const;
    // Fills the context's current path.
    void fillPathInContext(const CGContextRef& context) const;

    bool isEqual(const id& other) const override;
    id copy() const override { return std::const_pointer_cast<NSObject>(NSObject::self()); }
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithColor:
    void init(const std::shared_ptr<PEColor>& color) { m_color = color; }
    void init(const std::shared_ptr<PEGradient>& gradient);
    bool init(NSCoder& coder);

private:
    std::shared_ptr<PEColor> m_color;
    std::shared_ptr<PEGradient> m_gradient;
};

using PEFillRef = std::shared_ptr<PEFill>;
