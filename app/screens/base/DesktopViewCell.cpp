#include "app/screens/base/DesktopViewCell.h"

#include "app/screens/base/ScreenImages.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImage.h"

void DesktopViewCell::initUI(CGRect frame)
{
    setFrame(frame);
    const CGFloat w = frame.size.width, h = frame.size.height;
    setBackgroundImage(stretchableImageNamed("unclick_bg"), UIControlStateNormal);
    setBackgroundImage(stretchableImageNamed("click_bg"), UIControlStateHighlighted);
    m_iconView = UIImageView::create(CGRectMake((w - 60) / 2, (h - 60 - 5 - 21) / 2, 60, 60));
    addSubview(m_iconView);
    m_nameView = UILabel::create(CGRectMake(1, CGRectGetMaxY(m_iconView->frame()) + 5, w - 2, 21));
    m_nameView->setBackgroundColor(UIColor::clearColor());
    m_nameView->setTextColor(UIColor::blackColor());
    m_nameView->setTextAlignment(NSTextAlignmentCenter);
    m_nameView->setFont(UIFont::systemFontOfSize(13));
    addSubview(m_nameView);
    if (m_name.length())
        m_nameView->setText(m_name);
    if (m_icon.length())
        m_iconView->setImage(UIImage::imageNamed(m_icon));
}
void DesktopViewCell::setName(const NSString& name)
{
    m_name = name;
    if (m_nameView)
        m_nameView->setText(name);
}
void DesktopViewCell::setIcon(const NSString& icon)
{
    m_icon = icon;
    if (m_iconView)
        m_iconView->setImage(UIImage::imageNamed(icon));
}
