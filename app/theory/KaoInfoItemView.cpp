#include "app/theory/KaoInfoItemView.h"

#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/session/Constant.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIStringDrawing.h"

namespace {

std::shared_ptr<UILabel> label(CGRect frame, const NSString& text, CGFloat fontSize, const UIColorRef& color, CGFloat cardWidth)
{
    auto font = UIFont::systemFontOfSize(fontSize);
    frame.size.width = UIStringDrawing::sizeWithFont(text, font, CGSizeMake(cardWidth, 21)).width;
    auto view = UILabel::create(frame);
    view->setBackgroundColor(UIColor::clearColor());
    view->setTextColor(color);
    view->setFont(font);
    view->setText(text);
    return view;
}

// A value as it came; an absent one shows as nothing rather than "(null)". Every value shown is
// a date, a time, a number or a subject code: one of thousands of characters is cut, so that its
// measuring stays cheap.
NSString field(const std::shared_ptr<NSDictionary>& row, const char* key)
{
    constexpr NSUInteger kMaxLength = 40;
    const NSString text = ns::stringValue(row ? row->objectForKey(NSString(key)) : nullptr);
    if (text.isNil())
        return NSString("");
    if (text.length() <= kMaxLength)
        return text;
    return text.substringToIndex(text.rangeOfComposedCharacterSequenceAtIndex(kMaxLength).location);
}

} // namespace

void KaoInfoItemView::init(CGRect frame, const std::shared_ptr<NSArray>& data, const NSString& title, NSInteger sts)
{
    super::init(frame);
    initViews(data, title, sts);
}

void KaoInfoItemView::initViews(const std::shared_ptr<NSArray>& data, const NSString& title, NSInteger sts)
{
    const CGFloat W = frame().size.width;
    const bool schedule = sts == 0;
    const auto accent = UIColor_Addition::colorWithHexString(schedule ? "e66444" : "a2c159");
    setBackgroundColor(UIColor::whiteColor());

    auto titleLabel = InsetsLabel::create(CGRectMake(0, 0, W, 40), UIEdgeInsetsMake(0, 20, 0, 0));
    titleLabel->setBackgroundColor(UIColor::whiteColor());
    titleLabel->setFont(UIFont::systemFontOfSize(16));
    titleLabel->setTextColor(UIColor::blackColor());
    titleLabel->setText(title);
    addSubview(titleLabel);
    auto strip = UIView::create(CGRectMake(0, 0, 15, 40));
    strip->setBackgroundColor(accent);
    addSubview(strip);
    auto rule = UIView::create(CGRectMake(0, 40, W, 0.5));
    rule->setBackgroundColor(UIColor_Addition::colorWithHexString("c0e1fa"));
    addSubview(rule);

    CGFloat y = kTitleHeight;
    for (NSUInteger i = 0; data && i < data->count(); ++i) {
        auto row = ns::dictionaryValue(data->objectAtIndex(i));
        const NSString state = schedule ? NSString("未考") : field(row, "EXAMRESULT").isEqualToString("0") ? NSString("合格") : NSString("不合格");
        auto badgeFont = UIFont::systemFontOfSize(14);
        const CGFloat badgeWidth = UIStringDrawing::sizeWithFont(state, badgeFont, CGSizeMake(W, 21)).width + 20;
        auto badge = UILabel::create(CGRectMake(20, y + 16, badgeWidth, 30));
        badge->setBackgroundColor(accent);
        badge->setTextColor(UIColor::whiteColor());
        badge->setFont(badgeFont);
        badge->setTextAlignment(NSTextAlignmentCenter);
        badge->setText(state);
        badge->layer()->setCornerRadius(13);
        badge->layer()->setMasksToBounds(true);
        addSubview(badge);

        const NSString subjectText = NSString::stringWithFormat("%@考试", Constant::getSubjectName(field(row, "SUBJECT")));
        auto subject = label(CGRectMake(CGRectGetMaxX(badge->frame()) + 10, y + 10, 0, 21), subjectText, 15, UIColor::blackColor(), W);
        addSubview(subject);
        if (schedule) {
            const NSString number = NSString::stringWithFormat("序号【%@】", field(row, "EXAMSEQNO"));
            addSubview(label(CGRectMake(CGRectGetMaxX(subject->frame()) + 40, subject->frame().origin.y, 0, 21), number, 15, UIColor::blackColor(), W));
        }
        const NSString time = NSString::stringWithFormat("考试时间  %@ %@-%@", field(row, "EXAMDATE"),
            field(row, "EXAMSTARTTIME"), field(row, "EXAMENDTIME"));
        addSubview(label(CGRectMake(subject->frame().origin.x, y + 31, 0, 21), time, 13, UIColor::grayColor(), W));
        y += kRowHeight;
    }
    m_height = y;
}
