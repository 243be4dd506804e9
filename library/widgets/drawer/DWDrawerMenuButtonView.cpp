#include "library/widgets/drawer/DWDrawerMenuButtonView.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIBezierPath.h"

void DWDrawerMenuButtonView::init(CGRect frame)
{
    UIButton::init(frame);
    m_menuButtonNormalColor = UIColor::colorWithWhite(1.0f, 0.9f);
    m_menuButtonHighlightedColor = UIColor::colorWithRed(139.0 / 255.0, 135.0 / 255.0, 136.0 / 255.0, 0.9f);
    m_shadowNormalColor = UIColor::colorWithWhite(0, 0.5);
    m_shadowHighlightedColor = UIColor::colorWithWhite(0, 0.2f);
}

UIColorRef DWDrawerMenuButtonView::menuButtonColorForState(UIControlState state) const
{
    if (state == UIControlStateNormal)
        return m_menuButtonNormalColor;
    if (state == UIControlStateHighlighted)
        return m_menuButtonHighlightedColor;
    return nullptr;
}

void DWDrawerMenuButtonView::setMenuButtonColor(const UIColorRef& color, UIControlState state)
{
    if (state == UIControlStateNormal)
        m_menuButtonNormalColor = color;
    else if (state == UIControlStateHighlighted)
        m_menuButtonHighlightedColor = color;
    setNeedsDisplay();
}

UIColorRef DWDrawerMenuButtonView::shadowColorForState(UIControlState state) const
{
    if (state == UIControlStateNormal)
        return m_shadowNormalColor;
    if (state == UIControlStateHighlighted)
        return m_shadowHighlightedColor;
    return nullptr;
}

void DWDrawerMenuButtonView::setShadowColor(const UIColorRef& color, UIControlState state)
{
    if (state == UIControlStateNormal)
        m_shadowNormalColor = color;
    else if (state == UIControlStateHighlighted)
        m_shadowHighlightedColor = color;
    setNeedsDisplay();
}

void DWDrawerMenuButtonView::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGFloat width = bounds().size.width, height = bounds().size.height;
    const CGFloat barWidth = 0.8 * width, barHeight = 0.16 * height, left = 0.1 * width, gap = 0.12 * height;
    auto colour = menuButtonColorForState(state());
    auto shadow = shadowColorForState(state());
    const CGFloat tops[] = { gap, barHeight + 2 * gap, 2 * barHeight + 3 * gap };
    for (CGFloat top : tops) {
        CGContextSaveGState(context);
        CGContextSetShadowWithColor(context, CGSizeMake(0, 1), 0, shadow ? shadow->CGColor() : nullptr);
        if (colour)
            CGContextSetFillColorWithColor(context, colour->CGColor());
        else
            CGContextSetRGBFillColor(context, 0, 0, 0, 0);
        CGContextAddPath(context, UIBezierPath::bezierPathWithRoundedRect(CGRectMake(left, top, barWidth, barHeight), 1.0)->CGPath());
        CGContextFillPath(context);
        CGContextRestoreGState(context);
    }
}

void DWDrawerMenuButtonView::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    UIButton::touchesBegan(touches, event);
    setNeedsDisplay();
}

void DWDrawerMenuButtonView::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    UIButton::touchesEnded(touches, event);
    setNeedsDisplay();
}

void DWDrawerMenuButtonView::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    UIButton::touchesCancelled(touches, event);
    setNeedsDisplay();
}

void DWDrawerMenuButtonView::setSelected(bool selected)
{
    UIButton::setSelected(selected);
    setNeedsDisplay();
}

void DWDrawerMenuButtonView::setHighlighted(bool highlighted)
{
    UIButton::setHighlighted(highlighted);
    setNeedsDisplay();
}

void DWDrawerMenuButtonView::tintColorDidChange()
{
    UIButton::tintColorDidChange();
    setNeedsDisplay();
}
