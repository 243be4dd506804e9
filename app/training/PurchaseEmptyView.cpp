#include "app/training/PurchaseEmptyView.h"

#include "app/screens/base/UIColor_Addition.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UILabel.h"

void PurchaseEmptyView::init(CGRect frame)
{
    super::init(frame);
    setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    auto image = UIImage::imageNamed("ico_refresh");
    const CGSize size = image ? image->size() : CGSizeMake(60, 60);
    m_refreshButton = UIButton::buttonWithType(UIButtonTypeCustom);
    m_refreshButton->setBackgroundImage(image, UIControlStateNormal);
    m_refreshButton->setFrame(CGRectMake((frame.size.width - size.width) / 2, (frame.size.height - size.height) / 2, size.width, size.height));
    addSubview(m_refreshButton);
    auto label = UILabel::create(CGRectMake(0, m_refreshButton->frame().origin.y - 41, frame.size.width, 21));
    label->setText("Sorry,暂无数据,点击刷新");
    label->setFont(UIFont::systemFontOfSize(14));
    label->setTextColor(UIColor::grayColor());
    label->setTextAlignment(NSTextAlignmentCenter);
    label->setBackgroundColor(UIColor::clearColor());
    addSubview(label);
}
