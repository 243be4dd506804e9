#pragma once
// What the two reading lists share: a white table below the bar with light-blue separators that
// run the full width, shrunk to its rows so that no empty rows show, and a tapped row that opens
// its page.

#include "app/screens/base/NoXibViewController.h"
#include "platform/uikit/UITableView.h"

namespace ReadingListLayout {

// Root view and bar titled so, and the table filling the rest with the screen as its source.
std::shared_ptr<UITableView> prepareScreen(NoXibViewController& screen, const NSString& title,
    const std::shared_ptr<UITableViewDataSource>& dataSource, const std::shared_ptr<UITableViewDelegate>& delegate);
// A fresh 0.01-point header, so that no gap shows above the first row.
void replaceHeader(UITableView& table);
void fitToRows(UITableView& table, NSUInteger rows, CGFloat rowHeight);
void fullWidthSeparator(UITableViewCell& cell);
// Deselects the row and pushes the page screen with the row's dictionary.
void openPage(UIViewController& screen, UITableView& table, const std::shared_ptr<NSIndexPath>& indexPath, const std::shared_ptr<NSArray>& rows);

} // namespace ReadingListLayout
