#include "app/records/NoticeView.h"

#include "app/screens/base/UIColor_Addition.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/CGPath.h"
#include "platform/text/CTFrame.h"
#include "platform/text/CTFramesetter.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

namespace {

CGFloat textHeight(const NSString& text, const UIFontRef& font, CGFloat width, CGFloat limit)
{
    return UIStringDrawing::sizeWithFont(text, font, CGSizeMake(width, limit), NSLineBreakByWordWrapping).height;
}

// A label is drawn as one picture, which cannot be taller than about 16,000 points: a longer text
// is shown by several labels one under another, each of whole lines.
std::vector<NSString> contentParts(const NSString& text, const UIFontRef& font, CGFloat width)
{
    constexpr CGFloat kPartHeight = 4000;
    if (text.isNil() || textHeight(text, font, width, CGFLOAT_MAX) <= kPartHeight)
        return { text };
    auto string = NSAttributedString::create(text, ns::dictionary({ { NSFontAttributeName, font } }));
    auto frame = CTFramesetterCreateFrame(CTFramesetterCreateWithAttributedString(string), CFRangeMake(0, 0),
        CGPathCreateWithRect(CGRectMake(0, 0, width, CGFLOAT_MAX), nullptr), nullptr);
    const auto lines = CTFrameGetLines(frame);
    const std::size_t linesPerPart = std::max<std::size_t>(1, static_cast<std::size_t>(kPartHeight / std::max<CGFloat>(1, font->lineHeight())));
    std::vector<NSString> parts;
    NSUInteger start = 0;
    for (std::size_t line = linesPerPart; line < lines.size(); line += linesPerPart) {
        const auto end = static_cast<NSUInteger>(CTLineGetStringRange(lines[line]).location);
        // The line break that ends a part is its own; the next part starts on its line.
        NSUInteger cut = end;
        if (cut > start && (text.characterAtIndex(cut - 1) == '\n'))
            --cut;
        parts.push_back(text.substringWithRange(NSMakeRange(start, cut - start)));
        start = end;
    }
    parts.push_back(text.substringFromIndex(start));
    return parts;
}

std::shared_ptr<UIView> separator(CGFloat y, CGFloat width)
{
    auto line = UIView::create(CGRectMake(1.5, y, width - 3, 0.7));
    line->setBackgroundColor(UIColor_Addition::colorWithHexString("EFEEEC"));
    return line;
}

} // namespace

void NoticeView::init(CGRect frame, const std::shared_ptr<NSDictionary>& notice)
{
    UIView::init(frame);
    initViews(notice);
}

void NoticeView::initViews(const std::shared_ptr<NSDictionary>& notice)
{
    const CGFloat W = frame().size.width;
    const CGFloat H = frame().size.height;
    auto dimming = UIView::create(bounds());
    dimming->setBackgroundColor(UIColor::colorWithWhite(0, 0.6));
    addSubview(dimming);

    m_card = UIView::create(CGRectMake(20, (H - 320) / 2, W - 40, 320));
    m_card->setBackgroundColor(UIColor::whiteColor());
    m_card->layer()->setBorderColor(UIColor_Addition::colorWithHexString("00A7D1")->CGColor());
    m_card->layer()->setBorderWidth(1.5);
    m_card->layer()->setMasksToBounds(true);
    addSubview(m_card);
    const CGRect card = m_card->frame();

    auto closeImage = UIImage::imageNamed("ico_close");
    const CGSize size = closeImage ? closeImage->size() : CGSizeMake(30, 30);
    m_closeButton = UIButton::buttonWithType(UIButtonTypeCustom);
    m_closeButton->setBackgroundImage(closeImage, UIControlStateNormal);
    m_closeButton->setFrame(CGRectMake(CGRectGetMaxX(card) - (size.width - size.width / 3), card.origin.y - size.height / 3, size.width, size.height));
    m_closeButton->addTarget(self(), &NoticeView::closeEvent, UIControlEventTouchUpInside);
    addSubview(m_closeButton);

    const CGFloat cardWidth = card.size.width;
    auto marker = UIView::create(CGRectMake(15, 20, 8, 21));
    marker->setBackgroundColor(UIColor_Addition::colorWithHexString("00A7D1"));
    m_card->addSubview(marker);
    auto headingFont = UIFont::boldSystemFontOfSize(16);
    const CGFloat headingHeight = textHeight("公告栏", headingFont, cardWidth, 1000);
    auto heading = UILabel::create(CGRectMake(CGRectGetMaxX(marker->frame()) + 5, CGRectGetMidY(marker->frame()) - headingHeight / 2, cardWidth, headingHeight));
    heading->setBackgroundColor(UIColor::clearColor());
    heading->setTextColor(UIColor_Addition::colorWithHexString("333333"));
    heading->setFont(headingFont);
    heading->setText("公告栏");
    m_card->addSubview(heading);
    auto first = separator(2 * 20 + 21, cardWidth);
    m_card->addSubview(first);

    const NSString titleText = ns::stringForKey(notice, "TITLE");
    auto titleFont = UIFont::systemFontOfSize(16);
    auto title = UILabel::create(CGRectMake(15, CGRectGetMaxY(first->frame()) + 10, cardWidth - 30, textHeight(titleText, titleFont, cardWidth - 30, 1000)));
    title->setNumberOfLines(0);
    title->setTextColor(UIColor::blackColor());
    title->setFont(titleFont);
    title->setText(titleText);
    m_card->addSubview(title);
    auto date = UILabel::create(CGRectMake(15, CGRectGetMaxY(title->frame()) + 5, cardWidth - 30, 21));
    date->setTextColor(UIColor::grayColor());
    date->setFont(UIFont::systemFontOfSize(14));
    date->setText(ns::stringForKey(notice, "PREDATE"));
    m_card->addSubview(date);
    auto second = separator(CGRectGetMaxY(date->frame()) + 10, cardWidth);
    m_card->addSubview(second);

    const CGFloat top = CGRectGetMaxY(second->frame()) + 10;
    m_scroller = UIScrollView::create(CGRectMake(15, top, cardWidth - 30, std::max<CGFloat>(0, card.size.height - 10 - top)));
    m_scroller->setBackgroundColor(UIColor::clearColor());
    m_scroller->setShowsVerticalScrollIndicator(false);
    m_scroller->setShowsHorizontalScrollIndicator(false);
    m_scroller->setPagingEnabled(false);
    m_card->addSubview(m_scroller);
    const NSString contentText = ns::stringForKey(notice, "CONTENT");
    auto contentFont = UIFont::systemFontOfSize(15);
    const CGFloat width = m_scroller->frame().size.width;
    CGFloat height = 0;
    for (const NSString& part : contentParts(contentText, contentFont, width)) {
        const CGFloat partHeight = textHeight(part, contentFont, width, CGFLOAT_MAX);
        auto content = UILabel::create(CGRectMake(0, height, width, partHeight));
        content->setNumberOfLines(0);
        content->setTextColor(UIColor::blackColor());
        content->setFont(contentFont);
        content->setText(part);
        m_scroller->addSubview(content);
        height += partHeight;
    }
    m_scroller->setContentSize(CGSizeMake(width, height + 10));
}

void NoticeView::closeEvent(UIControl&)
{
    auto protectedSelf = self();
    UIView::animateWithDuration(0.5, [protectedSelf] { protectedSelf->setAlpha(0); },
        [protectedSelf](bool) { protectedSelf->removeFromSuperview(); });
}

bool NoticeView::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!UnclaimedKeyRouting::isBackKey(key, modifiers))
        return false;
    closeEvent(*m_closeButton);
    return true;
}
