#include "app/theory/QuestionChoiseView.h"

#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

#include <cmath>

namespace {

constexpr CGFloat kHeaderHeight = 44;
constexpr CGFloat kBackdropLeft = 100;
constexpr int kColumns = 6;

} // namespace

void QuestionChoiseView::init(CGRect frame, const std::shared_ptr<NSArray>& questions, NSInteger currIndex, bool isTest)
{
    UIView::init(frame);
    m_questions = questions ? questions : NSArray::array();
    m_currIndex = currIndex;
    m_isTest = isTest;
    initViews();
}

void QuestionChoiseView::initViews()
{
    const CGFloat W = bounds().size.width, H = bounds().size.height;

    auto backdrop = UIButton::buttonWithType(UIButtonTypeCustom);
    backdrop->setFrame(bounds());
    backdrop->setBackgroundColor(UIColor::colorWithWhite(0, 0.6));
    backdrop->addTarget(self(), &QuestionChoiseView::dissmis, UIControlEventTouchUpInside);
    addSubview(backdrop);

    const NSInteger count = NSInteger(m_questions->count());
    const CGFloat side = (W - 60) / kColumns;
    const NSInteger rows = (count + kColumns - 1) / kColumns;
    const CGFloat gridHeight = CGFloat(rows) * side + CGFloat(rows) * 10;
    const CGFloat visible = gridHeight + kHeaderHeight + 0.5 > H - kBackdropLeft ? H - kBackdropLeft - 44.5 : gridHeight;
    const CGFloat top = H - (visible + 44.5);

    m_header = UIView::create(CGRectMake(0, top, W, kHeaderHeight));
    m_header->setBackgroundColor(UIColor::whiteColor());
    addSubview(m_header);

    auto close = UIButton::buttonWithType(UIButtonTypeCustom);
    auto closeImage = stretchableImageNamed("ic_close");
    const CGSize closeSize = closeImage ? closeImage->size() : CGSizeMake(22, 22);
    close->setBackgroundImage(closeImage, UIControlStateNormal);
    close->setBackgroundImage(stretchableImageNamed("ic_close_h"), UIControlStateHighlighted);
    close->setFrame(CGRectMake(15, (kHeaderHeight - closeSize.height) / 2, closeSize.width, closeSize.height));
    close->addTarget(self(), &QuestionChoiseView::dissmis, UIControlEventTouchUpInside);
    m_header->addSubview(close);

    auto title = UILabel::create(CGRectMake((W - 100) / 2, (kHeaderHeight - 21) / 2, 100, 21));
    title->setText("我的答题");
    title->setTextColor(UIColor::blackColor());
    title->setTextAlignment(NSTextAlignmentCenter);
    title->setFont(UIFont::systemFontOfSize(15));
    title->setBackgroundColor(UIColor::clearColor());
    m_header->addSubview(title);

    const NSString position = NSString::stringWithFormat("%d/%d", int(m_currIndex + 1), int(count));
    auto positionFont = UIFont::systemFontOfSize(12);
    const CGFloat positionWidth = UIStringDrawing::sizeWithFont(position, positionFont, CGSizeMake(W, 21)).width + 15;
    auto positionLabel = UILabel::create(CGRectMake(W - 15 - positionWidth, (kHeaderHeight - 30) / 2, positionWidth, 30));
    positionLabel->setText(position);
    positionLabel->setTextColor(UIColor::blackColor());
    positionLabel->setTextAlignment(NSTextAlignmentCenter);
    positionLabel->setFont(positionFont);
    positionLabel->setBackgroundColor(UIColor_Addition::colorWithHexString("dbdbdb"));
    positionLabel->layer()->setCornerRadius(2);
    positionLabel->layer()->setMasksToBounds(true);
    m_header->addSubview(positionLabel);

    auto separator = UIView::create(CGRectMake(0, top + kHeaderHeight, W, 0.5));
    separator->setBackgroundColor(UIColor::lightGrayColor());
    addSubview(separator);

    m_grid = UIScrollView::create(CGRectMake(0, top + 44.5, W, visible));
    m_grid->setBackgroundColor(UIColor::whiteColor());
    m_grid->setShowsVerticalScrollIndicator(false);
    m_grid->setShowsHorizontalScrollIndicator(false);
    m_grid->setPagingEnabled(false);
    m_grid->setContentSize(CGSizeMake(W, gridHeight));
    addSubview(m_grid);

    auto normal = stretchableImageNamed("ic_item");
    auto answered = stretchableImageNamed("ic_item_h");
    auto right = stretchableImageNamed("ic_item_h2");
    for (NSInteger i = 0; i < count; ++i) {
        auto record = ns::cast<NSDictionary>(m_questions->objectAtIndex(NSUInteger(i)));
        const NSInteger type = record ? ns::integerForKey(record, "type") : 0;
        auto cell = UIButton::buttonWithType(UIButtonTypeCustom);
        cell->setFrame(CGRectMake(5 + CGFloat(i % kColumns) * (side + 10), 5 + CGFloat(i / kColumns) * (side + 10), side, side));
        cell->setTitle(NSString::stringWithFormat("%d", int(i + 1)), UIControlStateNormal);
        cell->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
        cell->titleLabel()->setFont(UIFont::systemFontOfSize(12));
        cell->layer()->setCornerRadius(2);
        cell->layer()->setMasksToBounds(true);
        cell->setTag(i);
        cell->setBackgroundImage(normal, UIControlStateNormal);
        cell->setBackgroundImage(m_isTest && type == 1 ? right : answered, UIControlStateSelected);
        cell->setSelected(type != 0);
        cell->addTarget(self(), &QuestionChoiseView::choiseItemEvent, UIControlEventTouchUpInside);
        m_grid->addSubview(cell);
        m_cells.push_back(cell);
    }
}

void QuestionChoiseView::choiseItemEvent(UIControl& cell)
{
    // The delegate may replace the screen's content; the panel stays alive until it is gone.
    auto protectedSelf = self();
    if (auto delegate = this->delegate())
        delegate->clickAtIndex(cell.tag());
    dismiss();
}

void QuestionChoiseView::dissmis(UIControl&)
{
    dismiss();
}

void QuestionChoiseView::dismiss()
{
    removeFromSuperview();
}

bool QuestionChoiseView::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!UnclaimedKeyRouting::isBackKey(key, modifiers))
        return false;
    dismiss();
    return true;
}
