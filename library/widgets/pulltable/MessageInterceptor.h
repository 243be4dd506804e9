#pragma once
// Stands between a table and two delegates: the middle man (the table itself, which wants to see
// its own scroll events) and the receiver (the screen, the ordinary table delegate). The scroll
// events the middle man handles go to it, and it passes them on; everything else goes straight to
// the receiver. Neither is owned.

#include "platform/uikit/UITableViewDataSource.h"

class MessageInterceptor : public NSObject, public UITableViewDelegate {
    NS_OBJECT(MessageInterceptor, NSObject)
public:
    std::shared_ptr<UITableViewDelegate> receiver() const { return m_receiver.lock(); }
    void setReceiver(const std::shared_ptr<UITableViewDelegate>& receiver) { m_receiver = receiver; }
    std::shared_ptr<UIScrollViewDelegate> middleMan() const { return m_middleMan.lock(); }
    void setMiddleMan(const std::shared_ptr<UIScrollViewDelegate>& middleMan) { m_middleMan = middleMan; }

    // Through the middle man.
    void scrollViewDidScroll(UIScrollView& scrollView) override;
    void scrollViewWillBeginDragging(UIScrollView& scrollView) override;
    void scrollViewDidEndDragging(UIScrollView& scrollView, bool willDecelerate) override;

    // Straight to the receiver.
    void scrollViewWillEndDragging(UIScrollView& scrollView, CGPoint velocity, CGPoint* targetContentOffset) override;
    void scrollViewWillBeginDecelerating(UIScrollView& scrollView) override;
    void scrollViewDidEndDecelerating(UIScrollView& scrollView) override;
    void scrollViewDidEndScrollingAnimation(UIScrollView& scrollView) override;
    std::optional<bool> scrollViewShouldScrollToTop(UIScrollView& scrollView) override;
    void scrollViewDidScrollToTop(UIScrollView& scrollView) override;

    std::optional<CGFloat> heightForRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<CGFloat> heightForHeaderInSection(UITableView& tableView, NSInteger section) override;
    std::optional<CGFloat> heightForFooterInSection(UITableView& tableView, NSInteger section) override;
    std::shared_ptr<UIView> viewForHeaderInSection(UITableView& tableView, NSInteger section) override;
    std::shared_ptr<UIView> viewForFooterInSection(UITableView& tableView, NSInteger section) override;
    void willDisplayCell(UITableView& tableView, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didEndDisplayingCell(UITableView& tableView, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<bool> shouldHighlightRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didHighlightRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didUnhighlightRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<std::shared_ptr<NSIndexPath>> willSelectRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didSelectRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<std::shared_ptr<NSIndexPath>> willDeselectRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didDeselectRowAtIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void accessoryButtonTappedForRowWithIndexPath(UITableView& tableView, const std::shared_ptr<NSIndexPath>& indexPath) override;

private:
    std::weak_ptr<UITableViewDelegate> m_receiver;
    std::weak_ptr<UIScrollViewDelegate> m_middleMan;
};
