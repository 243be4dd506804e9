#pragma once
// The band above a pull table's first row: "下拉刷新..." with a down arrow at rest, "松开刷新..." with
// the arrow turned once the list is pulled 65 points down, "加载中..." with a spinner and a 60-point
// top inset while the list reloads, and below the caption how long ago the list was last updated.
// The table feeds it its scroll events; it tells its delegate when a release should refresh.

#include "platform/foundation/NSDate.h"
#include "platform/layers/CALayer.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"

class RFRefreshTableHeaderView;

class RFRefreshTableHeaderDelegate {
public:
    virtual ~RFRefreshTableHeaderDelegate() = default;
    virtual void rfRefreshTableHeaderDidTriggerRefresh(RFRefreshTableHeaderView& view) = 0;
    // Nil: no date, and the last-updated line stays empty.
    virtual std::shared_ptr<NSDate> rfRefreshTableHeaderDataSourceLastUpdated(RFRefreshTableHeaderView&) { return nullptr; }
};

enum PullRefreshState : int {
    PullRefreshPulling = 0,
    PullRefreshNormal = 1,
    PullRefreshLoading = 2,
};

class RFRefreshTableHeaderView : public UIView {
    NS_OBJECT(RFRefreshTableHeaderView, UIView)
public:
    // How far the list is pulled before a release refreshes, and the inset while it loads.
    static constexpr CGFloat kPullThreshold = 65;
    static constexpr CGFloat kLoadingInset = 60;

    std::shared_ptr<RFRefreshTableHeaderDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<RFRefreshTableHeaderDelegate>& delegate) { m_delegate = delegate; }

    int state() const { return m_state; }
    void setState(int state);
    bool isLoading() const { return m_isLoading; }
    // Nil values take the defaults: a light blue-grey band, slate text, the blue arrow.
    void setBackgroundColor(const UIColorRef& backgroundColor, const UIColorRef& textColor, const UIImageRef& arrowImage);
    void refreshLastUpdatedDate();

    void rfRefreshScrollViewDidScroll(UIScrollView& scrollView);
    void rfRefreshScrollViewWillBeginDragging(UIScrollView& scrollView);
    void rfRefreshScrollViewDidEndDragging(UIScrollView& scrollView);
    void startAnimatingWithScrollView(UIScrollView& scrollView);
    void rfRefreshScrollViewDataSourceDidFinishedLoading(UIScrollView& scrollView);

    const std::shared_ptr<UILabel>& lastUpdatedLabel() const { return m_lastUpdatedLabel; }
    const std::shared_ptr<UILabel>& statusLabel() const { return m_statusLabel; }
    const CALayerRef& arrowImage() const { return m_arrowImage; }
    const std::shared_ptr<UIActivityIndicatorView>& activityView() const { return m_activityView; }

    using UIView::setBackgroundColor;

protected:
    void init(CGRect frame) override;

private:
    std::weak_ptr<RFRefreshTableHeaderDelegate> m_delegate;
    int m_state { PullRefreshPulling };
    std::shared_ptr<UILabel> m_lastUpdatedLabel;
    std::shared_ptr<UILabel> m_statusLabel;
    CALayerRef m_arrowImage;
    std::shared_ptr<UIActivityIndicatorView> m_activityView;
    bool m_isLoading { false };
    // The height the contents were placed from, at creation.
    CGFloat m_height { 0 };
    CGFloat m_width { 0 };
};
