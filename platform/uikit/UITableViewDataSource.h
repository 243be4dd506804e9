#pragma once
// What a table asks of its data source and tells its delegate. Optional operations with a
// result answer std::nullopt (or nil, where nil and "not implemented" mean the same) when not
// implemented, and the table falls back to its own properties.

#include "platform/foundation/NSIndexPath.h"
#include "platform/uikit/UIScrollViewDelegate.h"

class UITableView;
class UITableViewCell;
class UIView;

class UITableViewDataSource {
public:
    virtual ~UITableViewDataSource() = default;

    virtual NSInteger numberOfRowsInSection(UITableView&, NSInteger section) = 0;
    // Must answer a cell; nil raises NSInternalInconsistencyException, as on the platform.
    virtual std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) = 0;
    // One section when not implemented.
    virtual std::optional<NSInteger> numberOfSectionsInTableView(UITableView&) { return std::nullopt; }
    virtual NSString titleForHeaderInSection(UITableView&, NSInteger section) { (void)section; return nullptr; }
    virtual NSString titleForFooterInSection(UITableView&, NSInteger section) { (void)section; return nullptr; }
};

class UITableViewDelegate : public UIScrollViewDelegate {
public:
    virtual std::optional<CGFloat> heightForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath)
    {
        (void)indexPath;
        return std::nullopt;
    }
    virtual std::optional<CGFloat> heightForHeaderInSection(UITableView&, NSInteger section) { (void)section; return std::nullopt; }
    virtual std::optional<CGFloat> heightForFooterInSection(UITableView&, NSInteger section) { (void)section; return std::nullopt; }
    // Nil: the title's view, if the data source has a title.
    virtual std::shared_ptr<UIView> viewForHeaderInSection(UITableView&, NSInteger section) { (void)section; return nullptr; }
    virtual std::shared_ptr<UIView> viewForFooterInSection(UITableView&, NSInteger section) { (void)section; return nullptr; }

    virtual void willDisplayCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>& indexPath)
    {
        (void)cell;
        (void)indexPath;
    }
    virtual void didEndDisplayingCell(UITableView&, const std::shared_ptr<UITableViewCell>& cell, const std::shared_ptr<NSIndexPath>& indexPath)
    {
        (void)cell;
        (void)indexPath;
    }

    virtual std::optional<bool> shouldHighlightRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath)
    {
        (void)indexPath;
        return std::nullopt;
    }
    virtual void didHighlightRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) { (void)indexPath; }
    virtual void didUnhighlightRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) { (void)indexPath; }
    // The row to select instead (nil: none).
    virtual std::optional<std::shared_ptr<NSIndexPath>> willSelectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath)
    {
        (void)indexPath;
        return std::nullopt;
    }
    virtual void didSelectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) { (void)indexPath; }
    virtual std::optional<std::shared_ptr<NSIndexPath>> willDeselectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath)
    {
        (void)indexPath;
        return std::nullopt;
    }
    virtual void didDeselectRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) { (void)indexPath; }
    virtual void accessoryButtonTappedForRowWithIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>& indexPath) { (void)indexPath; }
};
