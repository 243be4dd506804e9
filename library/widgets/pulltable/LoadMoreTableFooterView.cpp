#include "library/widgets/pulltable/LoadMoreTableFooterView.h"

#include "library/widgets/pulltable/PullBandLook.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kPullThreshold = RFRefreshTableHeaderView::kPullThreshold;
constexpr CGFloat kLoadingInset = RFRefreshTableHeaderView::kLoadingInset;

void setBottomInset(UIScrollView& scrollView, CGFloat bottom)
{
    UIEdgeInsets insets = scrollView.contentInset();
    insets.bottom = bottom;
    scrollView.setContentInset(insets);
}

CATransform3D turned() { return CATransform3DMakeRotation(M_PI, 0, 0, 1); }

} // namespace

CGFloat LoadMoreTableFooterView::scrollViewOffsetFromBottom(const UIScrollView& scrollView)
{
    const CGFloat contentHeight = scrollView.contentSize().height;
    return contentHeight - (scrollView.contentOffset().y + std::min(scrollView.bounds().size.height, contentHeight));
}

CGFloat LoadMoreTableFooterView::visibleTableHeightDiffWithBoundsHeight(const UIScrollView& scrollView)
{
    const CGFloat height = scrollView.bounds().size.height;
    return height - std::min(height, scrollView.contentSize().height);
}

void LoadMoreTableFooterView::init(CGRect frame)
{
    UIView::init(frame);
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    const CGFloat w = frame.size.width;
    m_statusLabel = PullBandLook::makeLabel(CGRectMake(0, 20, w, 20), UIFont::boldSystemFontOfSize(13));
    addSubview(m_statusLabel);
    m_arrowImage = PullBandLook::makeArrowLayer(CGRectMake(25, 10, 30, 55));
    layer()->addSublayer(m_arrowImage);
    m_activityView = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleGray);
    m_activityView->setFrame(CGRectMake(25, 22, 20, 20));
    addSubview(m_activityView);

    setState(PullRefreshNormal);
    setBackgroundColor(nullptr, nullptr, nullptr);
}

void LoadMoreTableFooterView::setBackgroundColor(const UIColorRef& backgroundColor, const UIColorRef& textColor, const UIImageRef& arrowImage)
{
    UIView::setBackgroundColor(backgroundColor ? backgroundColor : PullBandLook::defaultBackgroundColor());
    PullBandLook::applyColours({ m_statusLabel }, m_arrowImage, textColor, arrowImage);
}

void LoadMoreTableFooterView::setState(int state)
{
    PullBandLook::showState(state, m_state, m_statusLabel, m_arrowImage, m_activityView, "松开加载更多...", "上拉加载更多...", CATransform3DIdentity, turned());
    m_state = state;
}

void LoadMoreTableFooterView::rfRefreshScrollViewDidScroll(UIScrollView& scrollView)
{
    const CGFloat d = scrollViewOffsetFromBottom(scrollView);
    if (m_state == PullRefreshLoading) {
        const CGFloat m = std::min(std::max(-d, CGFloat(0)), kLoadingInset);
        setBottomInset(scrollView, m == 0 ? 0 : m + visibleTableHeightDiffWithBoundsHeight(scrollView));
        return;
    }
    if (!scrollView.isDragging())
        return;
    if (const int next = PullBandLook::draggedState(m_state, d, kPullThreshold, m_isLoading); next != m_state)
        setState(next);
    if (scrollView.contentInset().bottom != 0)
        setBottomInset(scrollView, 0);
}

void LoadMoreTableFooterView::rfRefreshScrollViewDidEndDragging(UIScrollView& scrollView)
{
    if (scrollViewOffsetFromBottom(scrollView) > -kPullThreshold || m_isLoading)
        return;
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->loadMoreTableFooterDidTriggerLoadMore(*this);
    startAnimatingWithScrollView(scrollView);
}

void LoadMoreTableFooterView::startAnimatingWithScrollView(UIScrollView& scrollView)
{
    m_isLoading = true;
    setState(PullRefreshLoading);
    auto target = std::static_pointer_cast<UIScrollView>(scrollView.shared_from_this());
    const CGFloat inset = visibleTableHeightDiffWithBoundsHeight(scrollView) + kLoadingInset;
    UIView::animateWithDuration(0.2, [target, inset] { setBottomInset(*target, inset); });
    if (scrollViewOffsetFromBottom(scrollView) == 0) {
        const CGPoint offset = scrollView.contentOffset();
        scrollView.setContentOffset(CGPointMake(offset.x, offset.y + kPullThreshold), true);
    } else {
        PullBandLook::settleWithinInsets(scrollView);
    }
}

void LoadMoreTableFooterView::rfRefreshScrollViewDataSourceDidFinishedLoading(UIScrollView& scrollView)
{
    m_isLoading = false;
    auto target = std::static_pointer_cast<UIScrollView>(scrollView.shared_from_this());
    UIView::animateWithDuration(0.3, [target] { setBottomInset(*target, 0); });
    setState(PullRefreshNormal);
    PullBandLook::settleWithinInsets(scrollView);
}
