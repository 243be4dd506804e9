#pragma once
// The folder-opening calls of a table that cuts itself open under a row, handed on to the split
// that does the work; tables mix this in beside their own base.

#include "library/widgets/foldingtable/FolderSplit.h"
#include "platform/uikit/UITableView.h"

class FolderHost {
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
    FolderHost() = default;
    ~FolderHost() = default;
    void attachFolder(const UITableViewRef& table) { m_folder = FolderSplit::create(table); }

private:
    std::shared_ptr<FolderSplit> m_folder;
};
