#include "app/training/VerticalAlignmentLabel.h"

void VerticalAlignmentLabel::setVerticalAlignment(VerticalAlignment alignment)
{
    if (alignment == m_verticalAlignment)
        return;
    m_verticalAlignment = alignment;
    setNeedsDisplay();
}

CGRect VerticalAlignmentLabel::textRectForBounds(CGRect bounds, NSInteger numberOfLines) const
{
    CGRect text = UILabel::textRectForBounds(bounds, numberOfLines);
    switch (m_verticalAlignment) {
    case VerticalAlignmentTop:
        text.origin.y = bounds.origin.y;
        break;
    case VerticalAlignmentBottom:
        text.origin.y = bounds.origin.y + bounds.size.height - text.size.height;
        break;
    default:
        text.origin.y = bounds.origin.y + (bounds.size.height - text.size.height) / 2;
        break;
    }
    return text;
}

void VerticalAlignmentLabel::drawTextInRect(CGRect rect)
{
    UILabel::drawTextInRect(textRectForBounds(rect, numberOfLines()));
}
