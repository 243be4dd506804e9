#pragma once
// "女士学车": seven fixed articles for women learner drivers, each row a thumbnail, a headline and a
// summary; a row opens its page.

#include "app/screens/base/NoXibViewController.h"
#include "platform/uikit/UITableView.h"

class WomenViewController : public NoXibViewController, public UITableViewDataSource, public UITableViewDelegate {
    NS_OBJECT(WomenViewController, NoXibViewController)
public:
    static constexpr CGFloat kRowHeight = 100;

    const std::shared_ptr<NSMutableArray>& itemArray() const { return m_itemArray; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    NSInteger numberOfRowsInSection(UITableView&, NSInteger section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;
    std::optional<CGFloat> heightForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>&) override { return kRowHeight; }
    void willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>&) override;
    void didSelectRowAtIndexPath(UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath) override;

    const std::shared_ptr<UITableView>& mTableView() const { return m_tableView; }

private:
    void buildRows();

    std::shared_ptr<UITableView> m_tableView;
    std::shared_ptr<NSMutableArray> m_itemArray;
};
