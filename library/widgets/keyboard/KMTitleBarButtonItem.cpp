#include "library/widgets/keyboard/KMTitleBarButtonItem.h"

void KMTitleBarButtonItem::init(CGRect frame, const NSString& title)
{
    KMBarButtonItem::init(NSString(), UIBarButtonItemStylePlain);
    m_titleLabel = UILabel::create(frame);
    m_titleLabel->setBackgroundColor(UIColor::clearColor());
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    m_titleLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    setFont(UIFont::boldSystemFontOfSize(12));
    setItemTitle(title);
    setCustomView(m_titleLabel);
    setEnabled(false);
}
void KMTitleBarButtonItem::setItemTitle(const NSString& title)
{
    setTitle(title);
    m_titleLabel->setText(title);
}
void KMTitleBarButtonItem::setFont(const UIFontRef& font)
{
    m_font = font;
    m_titleLabel->setFont(font);
}
