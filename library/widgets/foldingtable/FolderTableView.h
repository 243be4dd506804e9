#pragma once
// A table that opens a folder under a row: the visible table is cut along the row's bottom edge and
// the halves slide apart over the caller's content view; a tap on either half closes it.
//
//     table->openFolderAtIndexPath(indexPath, detailView, nullptr, nullptr, [] { /* closed */ });

#include "library/widgets/foldingtable/FolderHost.h"
#include "platform/uikit/UITableView.h"

class FolderTableView : public UITableView, public FolderHost {
    NS_OBJECT(FolderTableView, UITableView)
protected:
    void init(CGRect frame, UITableViewStyle style) override
    {
        UITableView::init(frame, style);
        attachFolder(std::static_pointer_cast<UITableView>(self()));
    }
};

using FolderTableViewRef = std::shared_ptr<FolderTableView>;
