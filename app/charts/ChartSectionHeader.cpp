#include "app/charts/ChartSectionHeader.h"

#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/UIColor_Addition.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UILabel.h"

UIViewRef ChartSectionHeader::headerWithTitle(const NSString& title, CGFloat y, CGFloat width)
{
    auto header = UIView::create(CGRectMake(0, y, width, 44));
    header->setBackgroundColor(UIColor::whiteColor());
    auto headerText = InsetsLabel::create(CGRectMake(0, (44 - 21) / 2, width, 21), UIEdgeInsetsMake(0, 20, 0, 0));
    headerText->setBackgroundColor(UIColor::whiteColor());
    headerText->setFont(UIFont::systemFontOfSize(16));
    headerText->setTextColor(UIColor::blackColor());
    headerText->setText(title);
    header->addSubview(headerText);
    auto strip = UILabel::create(CGRectMake(0, 0, 15, 44));
    strip->setBackgroundColor(UIColor_Addition::colorWithHexString("e66444"));
    header->addSubview(strip);
    return header;
}
