#include "framework/Source/PEBorderedLayer.h"

#include "framework/Source/PEBorderLayer.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEMaskLayer.h"
#include "framework/Source/PEUtilities.h"

#include <cmath>

void PEBorderedLayer::setBorderLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_borderLineStyle)
        return;
    CGFloat oldWidth = m_borderLineStyle ? m_borderLineStyle->lineWidth() : 0;
    CGFloat newWidth = style ? style->lineWidth() : 0;
    if (oldWidth != newWidth) {
        m_outerBorderPath = nullptr;
        m_innerBorderPath = nullptr;
        setNeedsLayout();
    }
    m_borderLineStyle = style ? style->copyStyle() : nullptr;
    updateOpacity();
    if (auto border = borderLayer())
        border->setNeedsDisplay();
    setNeedsDisplay();
}

void PEBorderedLayer::setFill(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_fill)
        return;
    m_fill = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr;
    updateOpacity();
    if (auto border = borderLayer())
        border->setNeedsDisplay();
    setNeedsDisplay();
}

void PEBorderedLayer::updateOpacity()
{
    setOpaque(m_fill && m_fill->isOpaque() && cornerRadius() <= 0);
}

void PEBorderedLayer::setMasksToBorder(bool masks)
{
    if (masks == masksToBorder())
        return;
    PELayer::setMasksToBorder(masks);
    if (masks) {
        auto maskLayer = PEMaskLayer::create(bounds());
        setMask(maskLayer);
        wrapInBorderLayer();
    } else {
        setMask(nullptr);
        unwrapFromBorderLayer();
    }
    if (auto border = borderLayer())
        border->setNeedsDisplay();
    setNeedsDisplay();
}

void PEBorderedLayer::wrapInBorderLayer()
{
    auto superlayer = this->superlayer();
    if (!superlayer || borderLayer())
        return;
    auto border = PEBorderLayer::create(frame());
    border->setTransform(transform());
    border->setShadow(shadow());
    superlayer->replaceSublayer(self(), border);
    setTransform(CATransform3DIdentity);
    border->setMaskedLayer(std::static_pointer_cast<PEBorderedLayer>(self()));
    border->addSublayer(self());
    border->setGraph(graph());
    m_borderLayer = border;
}

void PEBorderedLayer::unwrapFromBorderLayer()
{
    auto border = borderLayer();
    m_borderLayer.reset();
    if (!border)
        return;
    auto protectedSelf = self();
    setTransform(border->transform());
    if (auto superlayer = border->superlayer())
        superlayer->replaceSublayer(border, protectedSelf);
    border->setMaskedLayer(nullptr);
}

void PEBorderedLayer::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden() || (masksToBorder() && borderLayer()))
        return;
    PEAnnotationHostLayer::renderAsVectorInContext(context);
    renderBorderedLayerAsVectorInContext(context);
}

void PEBorderedLayer::renderBorderedLayerAsVectorInContext(const CGContextRef& context)
{
    if (m_fill) {
        CGContextBeginPath(context);
        CGContextAddPath(context, PENewRoundedRectPath(bounds(), cornerRadius()));
        m_fill->fillPathInContext(context);
    }
    if (m_borderLineStyle && m_borderLineStyle->lineWidth() > 0) {
        CGFloat inset = m_borderLineStyle->lineWidth() / 2;
        CGRect rect = PEPixelAlignBorderedRect(context, CGRectInset(bounds(), inset, inset), m_borderLineStyle);
        m_borderLineStyle->setLineStyleInContext(context);
        CGContextBeginPath(context);
        if (cornerRadius() > 0)
            CGContextAddPath(context, PENewRoundedRectPath(rect, cornerRadius()));
        else
            CGContextAddRect(context, rect);
        m_borderLineStyle->strokePathInContext(context);
    }
}

CGPathRef PEBorderedLayer::sublayerMaskingPath()
{
    if (!masksToBorder())
        return nullptr;
    if (!m_innerBorderPath) {
        CGFloat width = m_borderLineStyle ? m_borderLineStyle->lineWidth() : 0;
        m_innerBorderPath = PENewRoundedRectPath(CGRectInset(bounds(), width, width), cornerRadius() - width / 2);
    }
    return m_innerBorderPath;
}

void PEBorderedLayer::sublayerMargin(CGFloat& left, CGFloat& top, CGFloat& right, CGFloat& bottom) const
{
    PEAnnotationHostLayer::sublayerMargin(left, top, right, bottom);
    CGFloat half = m_borderLineStyle ? m_borderLineStyle->lineWidth() / 2 : 0;
    left += half;
    top += half;
    right += half;
    bottom += half;
}

void PEBorderedLayer::encodeWithCoder(NSCoder& coder) const
{
    PEAnnotationHostLayer::encodeWithCoder(coder);
    coder.encodeObject(m_borderLineStyle, "PEBorderedLayer.borderLineStyle");
    coder.encodeObject(m_fill, "PEBorderedLayer.fill");
    coder.encodeBool(m_inLayout, "PEBorderedLayer.inLayout");
}

bool PEBorderedLayer::init(NSCoder& coder)
{
    if (!PEAnnotationHostLayer::init(coder))
        return false;
    m_borderLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEBorderedLayer.borderLineStyle");
    m_fill = coder.decodeObjectOfClass<PEFill>("PEBorderedLayer.fill");
    m_inLayout = coder.decodeBoolForKey("PEBorderedLayer.inLayout");
    return true;
}

void PEBorderedLayer::init(const CALayer& layer)
{
    PEAnnotationHostLayer::init(layer);
    auto model = dynamic_cast<const PEBorderedLayer*>(&layer);
    if (!model)
        return;
    m_borderLineStyle = model->m_borderLineStyle;
    m_fill = model->m_fill;
    m_borderLayer = model->m_borderLayer;
    m_inLayout = model->m_inLayout;
}
