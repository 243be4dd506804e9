#pragma once
// A numbered list of reading pages among the application's resources, its rows and title given by
// the screen that opens it; a row opens its page. Rows are dictionaries with "title", "color" (the
// badge's colour) and "url" (the page's resource name without ".html").

#include "app/screens/base/NoXibViewController.h"
#include "platform/uikit/UITableView.h"

class BaoDianViewController : public NoXibViewController, public UITableViewDataSource, public UITableViewDelegate {
    NS_OBJECT(BaoDianViewController, NoXibViewController)
public:
    static constexpr CGFloat kRowHeight = 57;

    const std::shared_ptr<NSMutableArray>& itemArray() const { return m_itemArray; }
    void setItemArray(const std::shared_ptr<NSMutableArray>& itemArray) { m_itemArray = itemArray; }

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
    std::shared_ptr<UITableView> m_tableView;
    std::shared_ptr<NSMutableArray> m_itemArray;
};
