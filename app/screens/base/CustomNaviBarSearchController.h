#pragma once
// A search field laid into a screen's own navigation bar. While searching it darkens the screen,
// shows a cancel button and, when the screen handed it recent keywords, a list of them sliding up
// with a button to clear them. The delegate owns the keywords; the controller keeps none.

#include "app/screens/base/ParentViewController.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UITableView.h"

class CustomNaviBarSearchController;

class CustomNaviBarSearchControllerDelegate {
public:
    virtual ~CustomNaviBarSearchControllerDelegate() = default;
    virtual void naviBarSearchCtrlSearchKeyword(CustomNaviBarSearchController&, const NSString& keyword) { (void)keyword; }
    virtual void naviBarSearchCtrlCancel(CustomNaviBarSearchController&) { }
    virtual void naviBarSearchCtrlClearKeywordRecord(CustomNaviBarSearchController&) { }
};

class CustomNaviBarSearchController : public NSObject, public UISearchBarDelegate, public UITableViewDataSource,
                                      public UITableViewDelegate {
    NS_OBJECT(CustomNaviBarSearchController, NSObject)
public:
    void showTempSearchCtrl();
    void showFixationSearchCtrl();
    void showFixationSearchCtrlOnTitleView();
    void removeSearchCtrl();
    void startSearch() { startWorking(); }
    void startWorking();
    void endWorking();
    void showRecentTable(bool show);
    void btnCancel(UIControl&);
    void handleTapToClose();
    void btnClearSearchRecord(UIControl&);
    void setRecentKeyword(const std::vector<NSString>* keywords);
    // Lays the strip, its field and button and the keyword list out again for the status bar's
    // present orientation.
    void inViewsFrameAtOrientation();
    void setKeyword(const NSString& keyword) { m_searchBar->setText(keyword); }
    void resetPlaceHolder(const NSString& placeholder) { m_searchBar->setPlaceholder(placeholder); }

    void searchBarTextDidBeginEditing(UISearchBar&) override { startSearch(); }
    void searchBarSearchButtonClicked(UISearchBar& searchBar) override;
    NSInteger numberOfRowsInSection(UITableView&, NSInteger section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) override;
    void didSelectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) override;

    std::shared_ptr<CustomNaviBarSearchControllerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<CustomNaviBarSearchControllerDelegate>& delegate) { m_delegate = delegate; }
    bool isFixation() const { return m_isFixation; }
    bool isWorking() const { return m_isWorking; }
    bool isCoverTitleView() const { return m_isCoverTitleView; }
    const std::shared_ptr<UISearchBar>& searchBar() const { return m_searchBar; }
    const std::shared_ptr<UIButton>& cancelButton() const { return m_btnCancel; }
    const std::shared_ptr<UIImageView>& cover() const { return m_viewBlackCover; }
    const std::shared_ptr<UITableView>& tableView() const { return m_tableView; }

protected:
    void init(const std::shared_ptr<ParentViewController>& parent);

private:
    CGFloat stripTop() const;
    // The field inside the search bar has the keyboard.
    bool searchBarEditing() const;
    CGFloat width() const;

    std::weak_ptr<CustomNaviBarSearchControllerDelegate> m_delegate;
    std::weak_ptr<ParentViewController> m_parent;
    std::shared_ptr<UIView> m_viewNaviBar;
    std::shared_ptr<UISearchBar> m_searchBar;
    std::shared_ptr<UIImageView> m_viewBlackCover;
    std::shared_ptr<UIButton> m_btnCancel;
    std::shared_ptr<UITableView> m_tableView;
    std::optional<std::vector<NSString>> m_recent;
    bool m_isFixation { false };
    bool m_isWorking { false };
    bool m_isCoverTitleView { false };
};
