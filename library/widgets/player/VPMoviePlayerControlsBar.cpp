#include "library/widgets/player/VPMoviePlayerControlsBar.h"

#include "platform/graphics/UIGraphics.h"

void VPMoviePlayerControlsBar::init(CGRect frame)
{
    super::init(frame);
    setOpaque(false);
}

void VPMoviePlayerControlsBar::setColor(const UIColorRef& color)
{
    if (color == m_color || (color && m_color && color->isEqual(m_color)))
        return;
    m_color = color;
    setNeedsDisplay();
}

void VPMoviePlayerControlsBar::drawRect(CGRect rect)
{
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context || !m_color)
        return;
    CGContextSetFillColorWithColor(context, m_color->CGColor());
    CGContextFillRect(context, rect);
}
