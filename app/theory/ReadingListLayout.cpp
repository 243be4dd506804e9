#include "app/theory/ReadingListLayout.h"

#include "app/screens/base/UIColor_Addition.h"
#include "app/screens/settings/WebViewViewController.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableViewCell.h"

namespace ReadingListLayout {

std::shared_ptr<UITableView> prepareScreen(NoXibViewController& screen, const NSString& title,
    const std::shared_ptr<UITableViewDataSource>& dataSource, const std::shared_ptr<UITableViewDelegate>& delegate)
{
    auto root = screen.view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    screen.setNaviBarRightBtn(nullptr);
    screen.setNaviBarTitle(title);
    const CGFloat top = screen.getNaviBarRect().size.height;
    const CGSize size = root->bounds().size;
    auto table = UITableView::create(CGRectMake(0, top, size.width, size.height - top), UITableViewStyle::Plain);
    table->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    table->setDataSource(dataSource);
    table->setDelegate(delegate);
    table->setTableHeaderView(UIView::create(CGRectMake(0, 0, size.width, 0.01)));
    table->setSeparatorInset(UIEdgeInsetsZero);
    table->setLayoutMargins(UIEdgeInsetsZero);
    table->setSeparatorStyle(UITableViewCellSeparatorStyle::SingleLine);
    table->setSeparatorColor(UIColor_Addition::colorWithHexString("c0e1fa"));
    table->setBackgroundColor(UIColor::whiteColor());
    auto background = UIView::create(table->bounds());
    background->setBackgroundColor(UIColor::whiteColor());
    table->setBackgroundView(background);
    root->addSubview(table);
    return table;
}

void replaceHeader(UITableView& table)
{
    const auto old = table.tableHeaderView();
    const CGRect frame = old ? old->frame() : CGRectMake(0, 0, table.bounds().size.width, 0);
    table.setTableHeaderView(UIView::create(CGRectMake(frame.origin.x, frame.origin.y, frame.size.width, 0.01)));
}

void fitToRows(UITableView& table, NSUInteger rows, CGFloat rowHeight)
{
    const CGFloat height = rowHeight * CGFloat(rows);
    CGRect frame = table.frame();
    if (height < frame.size.height) {
        frame.size.height = height;
        table.setFrame(frame);
    }
}

void fullWidthSeparator(UITableViewCell& cell)
{
    cell.setSeparatorInset(UIEdgeInsetsZero);
    cell.setLayoutMargins(UIEdgeInsetsZero);
}

void openPage(UIViewController& screen, UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath, const std::shared_ptr<NSArray>& rows)
{
    table.deselectRowAtIndexPath(indexPath, true);
    const auto row = indexPath->row();
    if (!rows || row < 0 || NSUInteger(row) >= rows->count())
        return;
    auto page = WebViewViewController::create();
    page->setData(ns::dictionaryValue(rows->objectAtIndex(NSUInteger(row))));
    if (auto navigation = screen.navigationController())
        navigation->pushViewController(page, true);
}

} // namespace ReadingListLayout
