#include "app/records/EvaluationFormView.h"

#include "app/records/TextLimit.h"
#include "app/screens/base/UIColor_Addition.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"

#include <iomanip>
#include <sstream>

namespace {

constexpr CGFloat kRowHeight = 44;

} // namespace

void EvaluationFormView::setItems(const std::shared_ptr<NSArray>& items)
{
    for (const auto& subview : std::vector<UIViewRef>(subviews()))
        subview->removeFromSuperview();
    // An item the service sent without its id cannot be scored back to it: it is left out.
    auto kept = NSMutableArray::array();
    for (NSUInteger i = 0; items && i < items->count(); ++i)
        if (auto item = ns::dictionaryValue(items->objectAtIndex(i)); ns::stringForKey(item, "ITEMID").length() > 0)
            kept->addObject(item);
    m_items = kept;
    m_stars.clear();
    const CGFloat W = frame().size.width;
    CGFloat y = 0;
    for (NSUInteger i = 0; i < m_items->count(); ++i) {
        auto item = ns::dictionaryValue(m_items->objectAtIndex(i));
        auto row = UIView::create(CGRectMake(0, y, W, kRowHeight));
        row->setBackgroundColor(UIColor::whiteColor());
        addSubview(row);
        auto name = UILabel::create(CGRectMake(15, (kRowHeight - 21) / 2, 100, 21));
        name->setFont(UIFont::systemFontOfSize(15));
        name->setTextColor(UIColor_Addition::colorWithHexString("333333"));
        name->setText(ns::stringForKey(item, "ITEMNAME"));
        row->addSubview(name);
        auto stars = StarRatingView::create(CGRectMake(W - 15 - (5 * StarRatingView::kStarSize + 4 * StarRatingView::kGap), (kRowHeight - StarRatingView::kStarSize) / 2, 0, 0));
        row->addSubview(stars);
        m_stars.push_back(stars);
        auto line = UIView::create(CGRectMake(0, kRowHeight - 0.5, W, 0.5));
        line->setBackgroundColor(UIColor_Addition::colorWithHexString("e5e5e5"));
        row->addSubview(line);
        y += kRowHeight;
    }
    y += 10;
    m_comment = UITextView::create(CGRectMake(10, y, W - 20, 110));
    m_comment->setFont(UIFont::systemFontOfSize(14));
    m_comment->layer()->setBorderColor(UIColor_Addition::colorWithHexString("cccccc")->CGColor());
    m_comment->layer()->setBorderWidth(0.5);
    m_comment->setDelegate(std::static_pointer_cast<UITextViewDelegate>(self()));
    addSubview(m_comment);
    m_placeholder = UILabel::create(CGRectMake(16, y + 6, W - 32, 21));
    m_placeholder->setFont(UIFont::systemFontOfSize(14));
    m_placeholder->setTextColor(UIColor::lightGrayColor());
    m_placeholder->setText("说说您的评价吧（100字以内）");
    m_placeholder->setUserInteractionEnabled(false);
    addSubview(m_placeholder);
    y += 112;
    m_counter = UILabel::create(CGRectMake(10, y, W - 20, 18));
    m_counter->setFont(UIFont::systemFontOfSize(12));
    m_counter->setTextColor(UIColor::grayColor());
    m_counter->setTextAlignment(NSTextAlignmentRight);
    addSubview(m_counter);
    m_height = y + 18;
    updateCounter();
}

bool EvaluationFormView::everyItemScored() const
{
    for (const auto& star : m_stars)
        if (star->score() < 0.5)
            return false;
    return !m_stars.empty();
}

NSString EvaluationFormView::itemIds() const
{
    std::string text;
    for (NSUInteger i = 0; m_items && i < m_items->count(); ++i)
        text += (i ? "," : "") + std::string(ns::stringForKey(ns::dictionaryValue(m_items->objectAtIndex(i)), "ITEMID").UTF8String());
    return NSString(text);
}

NSString EvaluationFormView::scores() const
{
    std::ostringstream text;
    for (std::size_t i = 0; i < m_stars.size(); ++i)
        text << (i ? "," : "") << m_stars[i]->score();
    return NSString(text.str());
}

NSString EvaluationFormView::comment() const
{
    return m_comment ? m_comment->text() : NSString("");
}

std::optional<bool> EvaluationFormView::shouldChangeTextInRange(UITextView& textView, NSRange range, const NSString& replacementText)
{
    if (TextLimit::allowChange(textView, range, replacementText, kCommentLimit))
        return true;
    updateCounter();
    return false;
}

void EvaluationFormView::textViewDidChange(UITextView&) { updateCounter(); }

void EvaluationFormView::updateCounter()
{
    const NSString text = m_comment ? m_comment->text() : NSString("");
    if (m_counter)
        m_counter->setText(TextLimit::counterText(text, kCommentLimit));
    if (m_placeholder)
        m_placeholder->setHidden(text.length() > 0);
}
