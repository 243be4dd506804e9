#include "tools/demo/LinkLabelDemo.h"

#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSValue.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIScreen.h"

namespace {

std::shared_ptr<LKAttributedLabel> makeLabel(const UIViewRef& view, CGRect frame, CGFloat size)
{
    auto label = LKAttributedLabel::create(frame);
    label->setFont(UIFont::systemFontOfSize(size));
    label->setNumberOfLines(0);
    view->addSubview(label);
    return label;
}

NSString described(const std::shared_ptr<NSTextCheckingResult>& result)
{
    switch (result->resultType()) {
    case NSTextCheckingTypeLink: return "网址 " + result->URLString();
    case NSTextCheckingTypePhoneNumber: return "电话 " + result->phoneNumber();
    case NSTextCheckingTypeDate: return "日期";
    case NSTextCheckingTypeAddress: return "地址";
    case NSTextCheckingTypeTransitInformation: return "航班";
    default: return "链接";
    }
}

} // namespace

void LinkLabelDemoViewController::loadView()
{
    setTitle("链接标签");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::whiteColor());

    m_linkedLabel = makeLabel(view, CGRectMake(15, 15, 290, 100), 14);
    m_linkedLabel->setLineSpacing(4);
    m_linkedLabel->setFirstLineIndent(28);
    m_linkedLabel->setEnabledTextCheckingTypes(NSTextCheckingTypeLink | NSTextCheckingTypePhoneNumber | NSTextCheckingTypeDate
        | NSTextCheckingTypeAddress | NSTextCheckingTypeTransitInformation);
    m_linkedLabel->setActiveLinkAttributes(ns::dictionary({ { kCTForegroundColorAttributeName, UIColor::whiteColor() },
        { kLKBackgroundFillColorAttributeName, UIColor::colorWithRed(0, 0.65, 0.82, 1)->CGColor() },
        { kLKBackgroundCornerRadiusAttributeName, NSNumber::numberWithDouble(3) } }));
    m_linkedLabel->setDelegate(std::static_pointer_cast<LKAttributedLabelDelegate>(self()));
    m_linkedLabel->setText(NSString("科目三考试定于2015-04-15 09:30在成都市武侯区科华北路65号举行，详情见www.cdjg.gov.cn，"
                                    "咨询电话028-12345678，考官乘CA4103航班到达。"));

    auto decorated = makeLabel(view, CGRectMake(20, 125, 285, 30), 15);
    decorated->setText(NSString("待审核 已通过 已撤销"), [](const std::shared_ptr<NSMutableAttributedString>& text) {
        text->addAttribute(kLKBackgroundFillColorAttributeName, UIColor::colorWithRed(1, 0.93, 0.7, 1)->CGColor(), NSRange { 0, 3 });
        text->addAttribute(kLKBackgroundStrokeColorAttributeName, UIColor::orangeColor()->CGColor(), NSRange { 0, 3 });
        text->addAttribute(kLKBackgroundCornerRadiusAttributeName, NSNumber::numberWithDouble(4), NSRange { 0, 3 });
        text->addAttribute(kLKBackgroundFillPaddingAttributeName, NSValue::valueWith(UIEdgeInsets { 1, 3, 1, 3 }, "UIEdgeInsets"), NSRange { 0, 3 });
        text->addAttribute(kLKBackgroundFillColorAttributeName, UIColor::colorWithRed(0.8, 0.95, 0.8, 1)->CGColor(), NSRange { 4, 3 });
        text->addAttribute(kLKStrikeOutAttributeName, NSNumber::numberWithBool(true), NSRange { 8, 3 });
        text->addAttribute(kCTForegroundColorAttributeName, UIColor::grayColor(), NSRange { 8, 3 });
        return text;
    });

    auto shadowed = makeLabel(view, CGRectMake(15, 165, 290, 40), 24);
    shadowed->setShadowColor(UIColor::colorWithWhite(0, 0.35));
    shadowed->setShadowOffset(CGSizeMake(2, 2));
    shadowed->setShadowRadius(2);
    shadowed->setTextColor(UIColor::colorWithRed(0, 0.65, 0.82, 1));
    shadowed->setText(NSString("学时统计"));

    const char* const places[] = { "居上", "居中", "居下" };
    for (NSInteger i = 0; i < 3; ++i) {
        auto placed = makeLabel(view, CGRectMake(15 + 100 * i, 215, 90, 60), 14);
        placed->setBackgroundColor(UIColor::colorWithWhite(0.94, 1));
        placed->setTextAlignment(NSTextAlignmentCenter);
        placed->setVerticalAlignment(i == 0 ? LKAttributedLabelVerticalAlignmentTop
                : i == 1                    ? LKAttributedLabelVerticalAlignmentCenter
                                            : LKAttributedLabelVerticalAlignmentBottom);
        placed->setText(NSString(places[i]));
    }

    m_resultLabel = UILabel::create(CGRectMake(15, 290, 290, 40));
    m_resultLabel->setTextAlignment(NSTextAlignmentCenter);
    m_resultLabel->setTextColor(UIColor::darkGrayColor());
    m_resultLabel->setText("点按或长按上面的链接");
    view->addSubview(m_resultLabel);
    setView(view);
}

bool LinkLabelDemoViewController::attributedLabelDidSelectLinkWithTextCheckingResult(LKAttributedLabel&,
    const std::shared_ptr<NSTextCheckingResult>& result)
{
    m_resultLabel->setText("点按了" + described(result));
    return true;
}

bool LinkLabelDemoViewController::attributedLabelDidLongPressLinkWithTextCheckingResult(LKAttributedLabel&,
    const std::shared_ptr<NSTextCheckingResult>& result, CGPoint)
{
    m_resultLabel->setText("长按了" + described(result));
    return true;
}
