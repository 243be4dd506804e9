#include "library/widgets/pulltable/RFRefreshTableHeaderView.h"

#include "library/widgets/pulltable/PullBandLook.h"

#include <algorithm>
#include <cmath>

namespace {

void setTopInset(UIScrollView& scrollView, CGFloat top)
{
    UIEdgeInsets insets = scrollView.contentInset();
    insets.top = top;
    scrollView.setContentInset(insets);
}

} // namespace

void RFRefreshTableHeaderView::init(CGRect frame)
{
    UIView::init(frame);
    m_width = frame.size.width;
    m_height = frame.size.height;
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    const CGFloat h = m_height, w = m_width;

    m_lastUpdatedLabel = PullBandLook::makeLabel(CGRectMake(0, h - 30, w, 20), UIFont::systemFontOfSize(12));
    addSubview(m_lastUpdatedLabel);
    m_statusLabel = PullBandLook::makeLabel(CGRectMake(0, h - 48, w, 20), UIFont::boldSystemFontOfSize(13));
    addSubview(m_statusLabel);
    m_arrowImage = PullBandLook::makeArrowLayer(CGRectMake(25, h - 65, 30, 55));
    layer()->addSublayer(m_arrowImage);
    m_activityView = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleGray);
    m_activityView->setFrame(CGRectMake(25, h - 38, 20, 20));
    addSubview(m_activityView);

    setState(PullRefreshNormal);
    setBackgroundColor(nullptr, nullptr, nullptr);
}

void RFRefreshTableHeaderView::setBackgroundColor(const UIColorRef& backgroundColor, const UIColorRef& textColor, const UIImageRef& arrowImage)
{
    UIView::setBackgroundColor(backgroundColor ? backgroundColor : PullBandLook::defaultBackgroundColor());
    PullBandLook::applyColours({ m_lastUpdatedLabel, m_statusLabel }, m_arrowImage, textColor, arrowImage);
}

void RFRefreshTableHeaderView::refreshLastUpdatedDate()
{
    auto delegate = m_delegate.lock();
    std::shared_ptr<NSDate> date = delegate ? delegate->rfRefreshTableHeaderDataSourceLastUpdated(*this) : nullptr;
    if (date) {
        // A date ahead of the clock (the clock was set back) reads as just now.
        const NSTimeInterval ago = std::max<NSTimeInterval>(0, -date->timeIntervalSinceNow());
        const char* key = ago < 3600 ? "在 %ld 分钟之前更新" : ago < 86400 ? "在 %ld 小时之前更新" : "在 %ld 天之前更新";
        const long count = long(ago / (ago < 3600 ? 60 : ago < 86400 ? 3600 : 86400));
        const std::string format = PullBandLook::caption(key).UTF8String();
        m_lastUpdatedLabel->setText(NSString::stringWithFormat(format.c_str(), count));
    } else {
        m_lastUpdatedLabel->setText(nullptr);
    }
    const bool hasText = m_lastUpdatedLabel->text().length() > 0;
    m_statusLabel->setFrame(CGRectMake(0, m_height - 30 - (hasText ? 18 : 8), bounds().size.width, 20));
}

void RFRefreshTableHeaderView::setState(int state)
{
    PullBandLook::showState(state, m_state, m_statusLabel, m_arrowImage, m_activityView, "松开刷新...", "下拉刷新...", CATransform3DMakeRotation(M_PI, 0, 0, 1), CATransform3DIdentity);
    if (state == PullRefreshNormal)
        refreshLastUpdatedDate();
    m_state = state;
}

void RFRefreshTableHeaderView::rfRefreshScrollViewDidScroll(UIScrollView& scrollView)
{
    const CGFloat y = scrollView.contentOffset().y;
    if (m_state == PullRefreshLoading) {
        setTopInset(scrollView, std::min(std::max(-y, CGFloat(0)), kLoadingInset));
        return;
    }
    if (!scrollView.isDragging())
        return;
    if (const int next = PullBandLook::draggedState(m_state, y, kPullThreshold, m_isLoading); next != m_state)
        setState(next);
    if (scrollView.contentInset().top != 0)
        setTopInset(scrollView, 0);
}

void RFRefreshTableHeaderView::rfRefreshScrollViewWillBeginDragging(UIScrollView&) { refreshLastUpdatedDate(); }

void RFRefreshTableHeaderView::rfRefreshScrollViewDidEndDragging(UIScrollView& scrollView)
{
    if (scrollView.contentOffset().y > -kPullThreshold || m_isLoading)
        return;
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->rfRefreshTableHeaderDidTriggerRefresh(*this);
    startAnimatingWithScrollView(scrollView);
}

void RFRefreshTableHeaderView::startAnimatingWithScrollView(UIScrollView& scrollView)
{
    m_isLoading = true;
    setState(PullRefreshLoading);
    auto target = std::static_pointer_cast<UIScrollView>(scrollView.shared_from_this());
    UIView::animateWithDuration(0.2, [target] { setTopInset(*target, kLoadingInset); });
    // Started from code with the list at rest: bring the header into view.
    const CGPoint offset = scrollView.contentOffset();
    if (offset.y == 0)
        scrollView.setContentOffset(CGPointMake(offset.x, -kPullThreshold), true);
    else
        PullBandLook::settleWithinInsets(scrollView);
}

void RFRefreshTableHeaderView::rfRefreshScrollViewDataSourceDidFinishedLoading(UIScrollView& scrollView)
{
    m_isLoading = false;
    auto target = std::static_pointer_cast<UIScrollView>(scrollView.shared_from_this());
    UIView::animateWithDuration(0.3, [target] { setTopInset(*target, 0); });
    setState(PullRefreshNormal);
    PullBandLook::settleWithinInsets(scrollView);
}
