#pragma once
// The band below a pull table's last row: "上拉加载更多..." at rest, "松开加载更多..." once the list
// is pulled 65 points up past its end, "加载中..." with a spinner and room below the rows while the
// next page loads. Distances count from where the last row meets the bottom edge, or from the
// top when the rows do not fill the view.

#include "library/widgets/pulltable/RFRefreshTableHeaderView.h"

class LoadMoreTableFooterView;

class LoadMoreTableFooterDelegate {
public:
    virtual ~LoadMoreTableFooterDelegate() = default;
    virtual void loadMoreTableFooterDidTriggerLoadMore(LoadMoreTableFooterView& view) = 0;
};

class LoadMoreTableFooterView : public UIView {
    NS_OBJECT(LoadMoreTableFooterView, UIView)
public:
    std::shared_ptr<LoadMoreTableFooterDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<LoadMoreTableFooterDelegate>& delegate) { m_delegate = delegate; }

    int state() const { return m_state; }
    void setState(int state);
    bool isLoading() const { return m_isLoading; }
    void setBackgroundColor(const UIColorRef& backgroundColor, const UIColorRef& textColor, const UIImageRef& arrowImage);

    void rfRefreshScrollViewDidScroll(UIScrollView& scrollView);
    void rfRefreshScrollViewDidEndDragging(UIScrollView& scrollView);
    void startAnimatingWithScrollView(UIScrollView& scrollView);
    void rfRefreshScrollViewDataSourceDidFinishedLoading(UIScrollView& scrollView);

    // 0 when the last row touches the bottom edge (or, for short content, at offset 0); negative
    // while the content is pulled up past that point.
    static CGFloat scrollViewOffsetFromBottom(const UIScrollView& scrollView);
    // The empty space below content shorter than the view.
    static CGFloat visibleTableHeightDiffWithBoundsHeight(const UIScrollView& scrollView);

    const std::shared_ptr<UILabel>& statusLabel() const { return m_statusLabel; }
    const CALayerRef& arrowImage() const { return m_arrowImage; }
    const std::shared_ptr<UIActivityIndicatorView>& activityView() const { return m_activityView; }

    using UIView::setBackgroundColor;

protected:
    void init(CGRect frame) override;

private:
    std::weak_ptr<LoadMoreTableFooterDelegate> m_delegate;
    int m_state { PullRefreshPulling };
    std::shared_ptr<UILabel> m_statusLabel;
    CALayerRef m_arrowImage;
    std::shared_ptr<UIActivityIndicatorView> m_activityView;
    bool m_isLoading { false };
};
