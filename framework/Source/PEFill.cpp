#include "framework/Source/PEFill.h"

#include "framework/Source/PEColor.h"
#include "framework/Source/PEGradient.h"

std::shared_ptr<PEFill> PEFill::fillWithColor(const std::shared_ptr<PEColor>& color) { return create(color); }
std::shared_ptr<PEFill> PEFill::fillWithGradient(const std::shared_ptr<PEGradient>& gradient) { return create(gradient); }

void PEFill::init(const std::shared_ptr<PEGradient>& gradient)
{
    // The fill is immutable, so it keeps a gradient nobody else can change.
    m_gradient = gradient ? std::static_pointer_cast<PEGradient>(gradient->copy()) : nullptr;
}

bool PEFill::isOpaque() const
{
    if (m_color)
        return m_color->alpha() >= 1.0;
    if (m_gradient) {
        for (const auto& stop : m_gradient->colorStops()) {
            if (!stop.color || stop.color->alpha() < 1.0)
                return false;
        }
        return !m_gradient->colorStops().empty();
    }
    return false;
}

void PEFill::fillRect(CGRect rect, const CGContextRef& context) const
{
    if (!context)
        return;
    if (m_color) {
        CGContextSaveGState(context);
        CGContextSetFillColorWithColor(context, m_color->cgColor());
        CGContextFillRect(context, rect);
        CGContextRestoreGState(context);
    } else if (m_gradient) {
        m_gradient->fillRect(rect, context);
    }
}

void PEFill::fillPathInContext(const CGContextRef& context) const
{
    if (!context)
        return;
    if (m_color) {
        CGContextSaveGState(context);
        CGContextSetFillColorWithColor(context, m_color->cgColor());
        CGContextFillPath(context);
        CGContextRestoreGState(context);
    } else if (m_gradient) {
        m_gradient->fillPathInContext(context);
    }
}

bool PEFill::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    auto fill = std::dynamic_pointer_cast<const PEFill>(other);
    return fill && ns::isEqual(m_color, fill->m_color) && ns::isEqual(m_gradient, fill->m_gradient);
}

void PEFill::encodeWithCoder(NSCoder& coder) const
{
    if (!coder.allowsKeyedCoding()) {
        coder.encodeObject(m_color);
        coder.encodeObject(m_gradient);
        return;
    }
    coder.encodeObject(m_color, "PEFill.color");
    coder.encodeObject(m_gradient, "PEFill.gradient");
}

bool PEFill::init(NSCoder& coder)
{
    if (!coder.allowsKeyedCoding()) {
        m_color = ns::cast<PEColor>(coder.decodeObject());
        m_gradient = ns::cast<PEGradient>(coder.decodeObject());
        return true;
    }
    m_color = coder.decodeObjectOfClass<PEColor>("PEFill.color");
    m_gradient = coder.decodeObjectOfClass<PEGradient>("PEFill.gradient");
    return true;
}
