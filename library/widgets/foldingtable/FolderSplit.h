#pragma once
// What both folding tables do: photograph the visible table, cut the picture along the bottom
// edge of a row, slide the halves apart over a caller's content view, and slide them back on a
// tap. A folder opens only under a row on screen, and only when no other folder is open or
// closing.

#include "library/widgets/foldingtable/FolderCoverView.h"
#include "platform/layers/CAAnimationDelegate.h"
#include "platform/layers/CAMediaTimingFunction.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <functional>
#include <optional>

class FolderTableViewDelegate {
public:
    virtual ~FolderTableViewDelegate() = default;
    // Where the tip of the upper half points; 40 when not implemented.
    virtual std::optional<CGFloat> xForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>&) { return std::nullopt; }
};

// Run as the halves start to move: the content view, the duration and the timing of the move.
using FolderOpenCloseBlock = std::function<void(const UIViewRef& contentView, CFTimeInterval duration, const CAMediaTimingFunctionRef& timing)>;
using FolderCompletionBlock = std::function<void()>;

class FolderSplit : public NSObject, public CAAnimationDelegate {
    NS_OBJECT(FolderSplit, NSObject)
public:
    static constexpr CFTimeInterval kDuration = 0.4;

    // False, and nothing happens, when the row is not on screen or a folder is open or closing.
    bool openFolderAtIndexPath(const std::shared_ptr<NSIndexPath>& indexPath, const UIViewRef& contentView,
        FolderOpenCloseBlock openBlock, FolderOpenCloseBlock closeBlock, FolderCompletionBlock completionBlock);
    void performClose();
    void tapGestureAction(UITapGestureRecognizer& recognizer);
    void animationDidStop(CAAnimation& animation, bool finished) override;
    FolderCoverViewRef buttonForRect(CGRect rect, const UIImageRef& screen, CGPoint position, bool top, bool transparent);

    bool closing() const { return m_closing; }
    const FolderCoverViewRef& top() const { return m_top; }
    const FolderCoverViewRef& bottom() const { return m_bottom; }
    const UIViewRef& subClassContentView() const { return m_subClassContentView; }
    CGFloat offsetY() const { return m_offsetY; }
    std::shared_ptr<FolderTableViewDelegate> folderDelegate() const { return m_folderDelegate.lock(); }
    void setFolderDelegate(const std::shared_ptr<FolderTableViewDelegate>& delegate) { m_folderDelegate = delegate; }
    CGPoint oldTopPoint() const { return m_oldTopPoint; }
    CGPoint oldBottomPoint() const { return m_oldBottomPoint; }
    CGPoint oldContentOffset() const { return m_oldContentOffset; }

protected:
    void init(const std::shared_ptr<UITableView>& table);

private:
    void animateHalf(const FolderCoverViewRef& half, CGPoint from, CGPoint to, const NSString& key, bool closing);

    std::weak_ptr<UITableView> m_table;
    bool m_closing { false };
    FolderCoverViewRef m_top;
    FolderCoverViewRef m_bottom;
    UIViewRef m_subClassContentView;
    FolderOpenCloseBlock m_openBlock;
    FolderOpenCloseBlock m_closeBlock;
    FolderCompletionBlock m_completionBlock;
    CGFloat m_offsetY { 0 };
    std::weak_ptr<FolderTableViewDelegate> m_folderDelegate;
    CGPoint m_oldTopPoint;
    CGPoint m_oldBottomPoint;
    CGPoint m_oldContentOffset;
};
