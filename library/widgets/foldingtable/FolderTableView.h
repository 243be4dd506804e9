#pragma once
// A table that opens a folder under a row: the visible table is cut along the row's bottom edge and
// the halves slide apart over the caller's content view; a tap on either half closes it.
//
//     table->openFolderAtIndexPath(indexPath, detailView, nullptr, nullptr, [] { /* closed */ });

#include "library/widgets/foldingtable/FolderSplit.h"
#include "platform/uikit/UITableView.h"

class FolderTableView : public UITableView {
    NS_OBJECT(FolderTableView, UITableView)
public:
    // False, and nothing happens, when the row is not on screen or a folder is open or closing.
    bool openFolderAtIndexPath(const std::shared_ptr<NSIndexPath>& indexPath, const UIViewRef& contentView,
        FolderOpenCloseBlock openBlock, FolderOpenCloseBlock closeBlock, FolderCompletionBlock completionBlock)
    {
        return m_folder->openFolderAtIndexPath(indexPath, contentView, std::move(openBlock), std::move(closeBlock), std::move(completionBlock));
    }
    void performClose() { m_folder->performClose(); }
    void tapGestureAction(UITapGestureRecognizer& recognizer) { m_folder->tapGestureAction(recognizer); }

    bool closing() const { return m_folder->closing(); }
    const FolderCoverViewRef& top() const { return m_folder->top(); }
    const FolderCoverViewRef& bottom() const { return m_folder->bottom(); }
    const UIViewRef& subClassContentView() const { return m_folder->subClassContentView(); }
    CGFloat offsetY() const { return m_folder->offsetY(); }
    std::shared_ptr<FolderTableViewDelegate> folderDelegate() const { return m_folder->folderDelegate(); }
    void setFolderDelegate(const std::shared_ptr<FolderTableViewDelegate>& delegate) { m_folder->setFolderDelegate(delegate); }
    CGPoint oldContentOffset() const { return m_folder->oldContentOffset(); }
    const std::shared_ptr<FolderSplit>& folder() const { return m_folder; }

protected:
    void init(CGRect frame, UITableViewStyle style) override
    {
        UITableView::init(frame, style);
        m_folder = FolderSplit::create(std::static_pointer_cast<UITableView>(self()));
    }

private:
    std::shared_ptr<FolderSplit> m_folder;
};

using FolderTableViewRef = std::shared_ptr<FolderTableView>;
