#pragma once
// A table with two pull gestures: pulled down past its top and released, it asks its pull
// delegate to reload; pulled up past its end, to load the next page. The screen stays the
// ordinary table delegate (its scroll events still reach it, after the header and footer have
// seen them) and ends each cycle by setting the matching busy flag back to false:
//
//     table = PullTableView::create(CGRectZero);
//     table->setDataSource(self()); table->setDelegate(self()); table->setPullDelegate(self());
//     ... void pullTableViewDidTriggerRefresh(PullTableView& t) override { reload(); }
//     ... on the reply: table->setPullTableIsRefreshing(false); table->setPullLastRefreshDate(NSDate::date());
//
// A switched-off header or footer (hasRefresh / hasLoadMore false) is hidden and ignores pulls.

#include "library/widgets/pulltable/LoadMoreTableFooterView.h"
#include "library/widgets/pulltable/MessageInterceptor.h"
#include "library/widgets/pulltable/RFRefreshTableHeaderView.h"
#include "platform/uikit/UITableView.h"

class PullTableView;

class PullTableViewDelegate {
public:
    virtual ~PullTableViewDelegate() = default;
    virtual void pullTableViewDidTriggerRefresh(PullTableView& pullTableView) = 0;
    virtual void pullTableViewDidTriggerLoadMore(PullTableView& pullTableView) = 0;
};

class PullTableView : public UITableView,
                      public UIScrollViewDelegate,
                      public RFRefreshTableHeaderDelegate,
                      public LoadMoreTableFooterDelegate {
    NS_OBJECT(PullTableView, UITableView)
public:
    // The screen's table delegate; the table keeps seeing its own scroll events.
    std::shared_ptr<UITableViewDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate);

    std::shared_ptr<PullTableViewDelegate> pullDelegate() const { return m_pullDelegate.lock(); }
    void setPullDelegate(const std::shared_ptr<PullTableViewDelegate>& delegate) { m_pullDelegate = delegate; }

    bool hasLoadMore() const { return m_hasLoadMore; }
    void setHasLoadMore(bool hasLoadMore);
    bool hasRefresh() const { return m_hasRefresh; }
    void setHasRefresh(bool hasRefresh);

    // True shows the header loading (scrolled into view when the list is at rest) without telling
    // the pull delegate; false ends a refresh. Repeating the current value does nothing.
    bool pullTableIsRefreshing() const { return m_pullTableIsRefreshing; }
    void setPullTableIsRefreshing(bool refreshing);
    bool pullTableIsLoadingMore() const { return m_pullTableIsLoadingMore; }
    void setPullTableIsLoadingMore(bool loadingMore);

    const UIImageRef& pullArrowImage() const { return m_pullArrowImage; }
    void setPullArrowImage(const UIImageRef& image);
    const UIColorRef& pullBackgroundColor() const { return m_pullBackgroundColor; }
    void setPullBackgroundColor(const UIColorRef& color);
    const UIColorRef& pullTextColor() const { return m_pullTextColor; }
    void setPullTextColor(const UIColorRef& color);
    const std::shared_ptr<NSDate>& pullLastRefreshDate() const { return m_pullLastRefreshDate; }
    void setPullLastRefreshDate(const std::shared_ptr<NSDate>& date);

    const std::shared_ptr<RFRefreshTableHeaderView>& refreshView() const { return m_refreshView; }
    const std::shared_ptr<LoadMoreTableFooterView>& loadMoreView() const { return m_loadMoreView; }
    const std::shared_ptr<MessageInterceptor>& delegateInterceptor() const { return m_delegateInterceptor; }

    // Reloads, then lets the footer place a running load-more's inset under the new rows.
    void reloadData();
    void layoutSubviews() override;

    void scrollViewDidScroll(UIScrollView& scrollView) override;
    void scrollViewWillBeginDragging(UIScrollView& scrollView) override;
    void scrollViewDidEndDragging(UIScrollView& scrollView, bool willDecelerate) override;

    void rfRefreshTableHeaderDidTriggerRefresh(RFRefreshTableHeaderView& view) override;
    std::shared_ptr<NSDate> rfRefreshTableHeaderDataSourceLastUpdated(RFRefreshTableHeaderView& view) override;
    void loadMoreTableFooterDidTriggerLoadMore(LoadMoreTableFooterView& view) override;

protected:
    void init(CGRect frame, UITableViewStyle style) override;
    virtual void config();
    void configDisplayProperties();

private:
    std::shared_ptr<RFRefreshTableHeaderView> m_refreshView;
    std::shared_ptr<LoadMoreTableFooterView> m_loadMoreView;
    std::shared_ptr<MessageInterceptor> m_delegateInterceptor;
    UIImageRef m_pullArrowImage;
    UIColorRef m_pullBackgroundColor;
    UIColorRef m_pullTextColor;
    std::shared_ptr<NSDate> m_pullLastRefreshDate;
    bool m_pullTableIsRefreshing { false };
    bool m_pullTableIsLoadingMore { false };
    std::weak_ptr<PullTableViewDelegate> m_pullDelegate;
    bool m_hasLoadMore { true };
    bool m_hasRefresh { true };
};

using PullTableViewRef = std::shared_ptr<PullTableView>;
