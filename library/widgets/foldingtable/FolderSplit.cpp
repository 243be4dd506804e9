#include "library/widgets/foldingtable/FolderSplit.h"

#include "library/widgets/foldingtable/UIView_screenshot.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/NSValueGeometry.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITableViewCell.h"

namespace {

constexpr CGFloat kDefaultTipX = 40;

CAMediaTimingFunctionRef easeInEaseOut() { return CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut); }

} // namespace

void FolderSplit::init(const std::shared_ptr<UITableView>& table)
{
    NSObject::init();
    m_table = table;
}

bool FolderSplit::openFolderAtIndexPath(const std::shared_ptr<NSIndexPath>& indexPath, const UIViewRef& contentView,
    FolderOpenCloseBlock openBlock, FolderOpenCloseBlock closeBlock, FolderCompletionBlock completionBlock)
{
    auto table = m_table.lock();
    if (!table || !contentView || m_top || m_bottom)
        return false;
    // Only a row on screen has a picture to cut along.
    auto cell = table->cellForRowAtIndexPath(indexPath);
    if (!cell)
        return false;
    auto protectedSelf = self();
    m_subClassContentView = contentView;
    m_openBlock = std::move(openBlock);
    m_closeBlock = std::move(closeBlock);
    m_completionBlock = std::move(completionBlock);
    m_closing = false;

    const CGFloat y0 = table->contentOffset().y;
    CGFloat x = kDefaultTipX;
    if (auto delegate = m_folderDelegate.lock())
        x = delegate->xForRowAtIndexPath(*table, indexPath).value_or(kDefaultTipX);

    const CGRect cellFrame = cell->frame();
    const CGFloat s = cellFrame.origin.y + cellFrame.size.height - 1;
    const CGFloat H = table->frame().size.height, W = table->frame().size.width;
    m_offsetY = s - y0 > H ? s - H - y0 : 0;
    m_oldContentOffset = table->contentOffset();
    table->setContentOffset(CGPointMake(0, y0 + m_offsetY));
    const CGFloat y1 = table->contentOffset().y;

    const UIImageRef picture = UIView_screenshot::screenshotWithOffset(*table, -y1);
    m_top = buttonForRect(CGRectMake(0, y1, W, s - y1), picture, CGPointMake(x, s), true, false);
    m_bottom = buttonForRect(CGRectMake(0, s, W, y1 + H - s), picture, CGPointMake(x, s), false, false);
    for (const auto& half : { m_top, m_bottom }) {
        half->addTarget(self(), &FolderSplit::performClose, UIControlEventTouchUpInside);
        half->cover()->addGestureRecognizer(UITapGestureRecognizer::create(self(), &FolderSplit::tapGestureAction));
    }

    CGRect contentFrame = contentView->frame();
    contentFrame.origin.y = s - y1 + contentFrame.size.height > H ? y1 + H - contentFrame.size.height : s;
    contentView->setFrame(contentFrame);
    table->addSubview(contentView);
    table->addSubview(m_top);
    table->addSubview(m_bottom);

    m_oldTopPoint = m_top->layer()->position();
    CGPoint topTarget = m_oldTopPoint;
    const CGFloat contentTop = contentFrame.origin.y, contentBottom = CGRectGetMaxY(contentFrame);
    if (CGRectGetMaxY(m_top->frame()) > contentTop)
        topTarget.y -= CGRectGetMaxY(m_top->frame()) - contentTop;
    m_oldBottomPoint = m_bottom->layer()->position();
    CGPoint bottomTarget = m_oldBottomPoint;
    const CGFloat visibleBottom = y1 + H;
    bottomTarget.y += contentBottom > visibleBottom ? contentBottom - visibleBottom : contentFrame.size.height;
    animateHalf(m_top, m_oldTopPoint, topTarget, "t1", false);
    animateHalf(m_bottom, m_oldBottomPoint, bottomTarget, "t2", false);

    auto top = m_top, bottom = m_bottom;
    UIView::animateWithDuration(kDuration, [top, bottom] {
        top->cover()->setAlpha(0.6);
        bottom->cover()->setAlpha(0.6);
    });
    if (m_openBlock)
        m_openBlock(contentView, kDuration, easeInEaseOut());
    m_top->layer()->setPosition(topTarget);
    m_bottom->layer()->setPosition(bottomTarget);
    return true;
}

void FolderSplit::animateHalf(const FolderCoverViewRef& half, CGPoint from, CGPoint to, const NSString& key, bool closing)
{
    auto animation = CABasicAnimation::animationWithKeyPath("position");
    animation->setFromValue(NSValueGeometry::valueWithCGPoint(from));
    animation->setToValue(NSValueGeometry::valueWithCGPoint(to));
    animation->setDuration(kDuration);
    animation->setTimingFunction(easeInEaseOut());
    if (closing) {
        animation->setValue(NSString("close"), "animationType");
        animation->setDelegate(std::static_pointer_cast<CAAnimationDelegate>(self()));
    }
    half->layer()->addAnimation(animation, key);
}

void FolderSplit::performClose()
{
    auto table = m_table.lock();
    if (m_closing || !table || !m_top || !m_bottom)
        return;
    auto protectedSelf = self();
    m_closing = true;
    const auto current = [](const FolderCoverViewRef& half) {
        auto presentation = half->layer()->presentationLayer();
        return presentation ? presentation->position() : half->layer()->position();
    };
    animateHalf(m_top, current(m_top), m_oldTopPoint, "b1", true);
    animateHalf(m_bottom, current(m_bottom), m_oldBottomPoint, "b2", true);
    auto top = m_top, bottom = m_bottom;
    const CGPoint offset = m_oldContentOffset;
    UIView::animateWithDuration(kDuration, [table, top, bottom, offset] {
        table->setContentOffset(offset);
        top->cover()->setAlpha(0);
        bottom->cover()->setAlpha(0);
    });
    if (m_closeBlock)
        m_closeBlock(m_subClassContentView, kDuration, easeInEaseOut());
    m_top->layer()->setPosition(m_oldTopPoint);
    m_bottom->layer()->setPosition(m_oldBottomPoint);
}

void FolderSplit::tapGestureAction(UITapGestureRecognizer& recognizer)
{
    const auto state = recognizer.state();
    if ((state == UIGestureRecognizerState::Changed || state == UIGestureRecognizerState::Ended) && recognizer.numberOfTapsRequired() != 0)
        performClose();
}

void FolderSplit::animationDidStop(CAAnimation& animation, bool)
{
    const id type = animation.valueForKey("animationType");
    if (!type || !type->isEqual(NSString("close")))
        return;
    // Both halves report; the folder goes, and the completion runs, at the first.
    if (!m_top && !m_bottom)
        return;
    auto protectedSelf = self();
    if (m_top)
        m_top->removeFromSuperview();
    if (m_bottom)
        m_bottom->removeFromSuperview();
    if (m_subClassContentView)
        m_subClassContentView->removeFromSuperview();
    m_top = nullptr;
    m_bottom = nullptr;
    m_subClassContentView = nullptr;
    if (auto completion = std::move(m_completionBlock)) {
        m_completionBlock = nullptr;
        completion();
    }
}

FolderCoverViewRef FolderSplit::buttonForRect(CGRect rect, const UIImageRef& screen, CGPoint position, bool top, bool transparent)
{
    auto table = m_table.lock();
    const CGFloat k = UIScreen::mainScreen()->scale();
    const CGFloat offsetY = table ? table->contentOffset().y : 0;
    auto half = FolderCoverView::create(rect, top && table ? table->rowHeight() : CGFloat(0));
    if (top) {
        auto tip = UIImageView::create(UIImage::imageNamed("tip.png"));
        tip->setCenter(CGPointMake(position.x, rect.size.height - 2));
        half->addSubview(tip);
    }
    half->setIsTopView(top);
    half->setPosition(position);
    half->layer()->setContentsScale(k);
    if (!transparent && screen && screen->CGImage())
        half->layer()->setContents(CGImageCreateWithImageInRect(screen->CGImage(),
            CGRectMake(k * rect.origin.x, k * rect.origin.y - k * offsetY, k * rect.size.width, k * rect.size.height)));
    half->layer()->setContentsGravity(NSString(kCAGravityCenter));
    return half;
}
