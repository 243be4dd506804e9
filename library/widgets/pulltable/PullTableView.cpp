#include "library/widgets/pulltable/PullTableView.h"

#include <algorithm>

void PullTableView::init(CGRect frame, UITableViewStyle style)
{
    UITableView::init(frame, style);
    config();
}

void PullTableView::config()
{
    m_delegateInterceptor = MessageInterceptor::create();
    m_delegateInterceptor->setMiddleMan(std::static_pointer_cast<UIScrollViewDelegate>(self()));
    m_delegateInterceptor->setReceiver(UITableView::delegate());
    UITableView::setDelegate(m_delegateInterceptor);

    m_pullTableIsRefreshing = false;
    m_pullTableIsLoadingMore = false;

    const CGSize size = bounds().size;
    m_refreshView = RFRefreshTableHeaderView::create(CGRectMake(0, -size.height, size.width, size.height));
    m_refreshView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleBottomMargin);
    m_refreshView->setDelegate(std::static_pointer_cast<RFRefreshTableHeaderDelegate>(self()));
    addSubview(m_refreshView);

    m_loadMoreView = LoadMoreTableFooterView::create(CGRectMake(0, size.height, size.width, size.height));
    m_loadMoreView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
    m_loadMoreView->setDelegate(std::static_pointer_cast<LoadMoreTableFooterDelegate>(self()));
    addSubview(m_loadMoreView);

    setHasLoadMore(true);
    setHasRefresh(true);
}

std::shared_ptr<UITableViewDelegate> PullTableView::delegate() const
{
    return m_delegateInterceptor ? m_delegateInterceptor->receiver() : UITableView::delegate();
}

void PullTableView::setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate)
{
    if (!m_delegateInterceptor) {
        UITableView::setDelegate(delegate);
        return;
    }
    UITableView::setDelegate(nullptr);
    m_delegateInterceptor->setReceiver(delegate);
    UITableView::setDelegate(m_delegateInterceptor);
}

void PullTableView::setHasLoadMore(bool hasLoadMore)
{
    m_loadMoreView->setHidden(!hasLoadMore);
    m_hasLoadMore = hasLoadMore;
}

void PullTableView::setHasRefresh(bool hasRefresh)
{
    m_refreshView->setHidden(!hasRefresh);
    m_hasRefresh = hasRefresh;
}

void PullTableView::setPullTableIsRefreshing(bool refreshing)
{
    if (!m_pullTableIsRefreshing && refreshing) {
        m_refreshView->startAnimatingWithScrollView(*this);
        m_pullTableIsRefreshing = true;
    } else if (m_pullTableIsRefreshing && !refreshing) {
        m_refreshView->rfRefreshScrollViewDataSourceDidFinishedLoading(*this);
        m_pullTableIsRefreshing = false;
    }
}

void PullTableView::setPullTableIsLoadingMore(bool loadingMore)
{
    if (!m_pullTableIsLoadingMore && loadingMore) {
        m_loadMoreView->startAnimatingWithScrollView(*this);
        m_pullTableIsLoadingMore = true;
    } else if (m_pullTableIsLoadingMore && !loadingMore) {
        m_loadMoreView->rfRefreshScrollViewDataSourceDidFinishedLoading(*this);
        m_pullTableIsLoadingMore = false;
    }
}

void PullTableView::setPullArrowImage(const UIImageRef& image)
{
    if (image == m_pullArrowImage)
        return;
    m_pullArrowImage = image;
    configDisplayProperties();
}

void PullTableView::setPullBackgroundColor(const UIColorRef& color)
{
    if (color == m_pullBackgroundColor)
        return;
    m_pullBackgroundColor = color;
    configDisplayProperties();
}

void PullTableView::setPullTextColor(const UIColorRef& color)
{
    if (color == m_pullTextColor)
        return;
    m_pullTextColor = color;
    configDisplayProperties();
}

void PullTableView::setPullLastRefreshDate(const std::shared_ptr<NSDate>& date)
{
    if (date == m_pullLastRefreshDate)
        return;
    m_pullLastRefreshDate = date;
    m_refreshView->refreshLastUpdatedDate();
}

void PullTableView::configDisplayProperties()
{
    m_refreshView->setBackgroundColor(m_pullBackgroundColor, m_pullTextColor, m_pullArrowImage);
    m_loadMoreView->setBackgroundColor(m_pullBackgroundColor, m_pullTextColor, m_pullArrowImage);
}

void PullTableView::layoutSubviews()
{
    UITableView::layoutSubviews();
    CGRect frame = m_loadMoreView->frame();
    frame.origin.y = std::max(bounds().size.height, contentSize().height);
    m_loadMoreView->setFrame(frame);
}

void PullTableView::reloadData()
{
    UITableView::reloadData();
    if (m_hasLoadMore)
        m_loadMoreView->rfRefreshScrollViewDidScroll(*this);
}

void PullTableView::scrollViewDidScroll(UIScrollView& scrollView)
{
    auto protectedSelf = self();
    if (m_hasRefresh)
        m_refreshView->rfRefreshScrollViewDidScroll(scrollView);
    if (m_hasLoadMore)
        m_loadMoreView->rfRefreshScrollViewDidScroll(scrollView);
    if (auto receiver = m_delegateInterceptor->receiver())
        receiver->scrollViewDidScroll(scrollView);
}

void PullTableView::scrollViewWillBeginDragging(UIScrollView& scrollView)
{
    auto protectedSelf = self();
    if (m_hasRefresh)
        m_refreshView->rfRefreshScrollViewWillBeginDragging(scrollView);
    if (auto receiver = m_delegateInterceptor->receiver())
        receiver->scrollViewWillBeginDragging(scrollView);
}

void PullTableView::scrollViewDidEndDragging(UIScrollView& scrollView, bool willDecelerate)
{
    auto protectedSelf = self();
    if (m_hasRefresh)
        m_refreshView->rfRefreshScrollViewDidEndDragging(scrollView);
    if (m_hasLoadMore)
        m_loadMoreView->rfRefreshScrollViewDidEndDragging(scrollView);
    if (auto receiver = m_delegateInterceptor->receiver())
        receiver->scrollViewDidEndDragging(scrollView, willDecelerate);
}

void PullTableView::rfRefreshTableHeaderDidTriggerRefresh(RFRefreshTableHeaderView&)
{
    if (!m_hasRefresh)
        return;
    m_pullTableIsRefreshing = true;
    if (auto delegate = m_pullDelegate.lock())
        delegate->pullTableViewDidTriggerRefresh(*this);
}

std::shared_ptr<NSDate> PullTableView::rfRefreshTableHeaderDataSourceLastUpdated(RFRefreshTableHeaderView&) { return m_pullLastRefreshDate; }

void PullTableView::loadMoreTableFooterDidTriggerLoadMore(LoadMoreTableFooterView&)
{
    if (!m_hasLoadMore)
        return;
    m_pullTableIsLoadingMore = true;
    if (auto delegate = m_pullDelegate.lock())
        delegate->pullTableViewDidTriggerLoadMore(*this);
}
