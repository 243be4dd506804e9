#include "app/records/NoticeView.h"

#include "app/screens/base/UIColor_Addition.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UILabel.h"

namespace {

CGFloat textHeight(const NSString& text, const UIFontRef& font, CGFloat width, CGFloat limit)
{
    return UIStringDrawing::sizeWithFont(text, font, CGSizeMake(width, limit), NSLineBreakByWordWrapping).height;
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
    const CGFloat height = textHeight(contentText, contentFont, width, 1000000);
    auto content = UILabel::create(CGRectMake(0, 0, width, height));
    content->setNumberOfLines(0);
    content->setTextColor(UIColor::blackColor());
    content->setFont(contentFont);
    content->setText(contentText);
    m_scroller->addSubview(content);
    m_scroller->setContentSize(CGSizeMake(width, height + 10));
}

void NoticeView::closeEvent(UIControl&)
{
    auto protectedSelf = self();
    UIView::animateWithDuration(0.5, [protectedSelf] { protectedSelf->setAlpha(0); },
        [protectedSelf](bool) { protectedSelf->removeFromSuperview(); });
}
