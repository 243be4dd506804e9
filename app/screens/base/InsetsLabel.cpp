#include "app/screens/base/InsetsLabel.h"

void InsetsLabel::init(CGRect frame, UIEdgeInsets insets)
{
    UILabel::init(frame);
    m_insets = insets;
}
void InsetsLabel::init(UIEdgeInsets insets)
{
    UILabel::init(CGRectZero);
    m_insets = insets;
}
void InsetsLabel::drawTextInRect(CGRect rect)
{
    UILabel::drawTextInRect(CGRectMake(rect.origin.x + m_insets.left, rect.origin.y + m_insets.top,
        rect.size.width - (m_insets.left + m_insets.right), rect.size.height - (m_insets.top + m_insets.bottom)));
}
