#pragma once
// The pull-to-refresh table that also opens a folder under a row, as FolderTableView does.

#include "library/widgets/foldingtable/FolderHost.h"
#include "library/widgets/pulltable/PullTableView.h"

class PullAndExpandTableView : public PullTableView, public FolderHost {
    NS_OBJECT(PullAndExpandTableView, PullTableView)
public:
    void closeFolder() { performClose(); }

protected:
    void init(CGRect frame, UITableViewStyle style) override
    {
        PullTableView::init(frame, style);
        attachFolder(std::static_pointer_cast<UITableView>(self()));
    }
};

using PullAndExpandTableViewRef = std::shared_ptr<PullAndExpandTableView>;
