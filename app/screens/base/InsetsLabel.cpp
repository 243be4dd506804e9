#include "app/screens/SharedWidgets.h"

#include "platform/text/UIFont.h"
#include "platform/uikit/UIImage.h"

void InsetsLabel::init(CGRect frame, UIEdgeInsets insets)
{
    UILabel::init(frame);
    m_insets = insets;
}

void InsetsLabel::drawTextInRect(CGRect rect)
{
    UILabel::drawTextInRect(CGRectMake(rect.origin.x + m_insets.left, rect.origin.y + m_insets.top,
        rect.size.width - (m_insets.left + m_insets.right), rect.size.height - (m_insets.top + m_insets.bottom)));
}

void GridMenu::init(const NSString& title, const NSString& icon)
{
    NSObject::init();
    m_title = title;
    m_icon = icon;
}

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

UIImageRef stretchableImageNamed(const NSString& name, CGFloat cap)
{
    auto image = UIImage::imageNamed(name);
    return image ? image->resizableImageWithCapInsets(UIEdgeInsetsMake(cap, cap, cap, cap), UIImageResizingModeStretch) : nullptr;
}

UIImageRef imageNamedForSize(const NSString& name, CGSize size)
{
    auto image = UIImage::imageNamed(name);
    if (image && CGSizeEqualToSize(image->size(), size))
        return image;
    return stretchableImageNamed(name);
}
