#pragma once
// A scrolling list of rows in sections. The table asks its data source for the counts and for a
// cell per row, but only for the rows in view: a cell that scrolls out goes to a pool by its
// reuse identifier, where dequeueReusableCellWithIdentifier finds it for the next row, so a
// table of any length keeps about a screenful of cells. Heights come from the delegate or the
// table's properties, asked once per reload for every row.
//
// Index paths that name no row raise NSRangeException where the platform raises, and a
// batch update whose counts disagree with the data source raises
// NSInternalInconsistencyException, so a mistake stops at the call rather than showing wrong rows.

#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/UITableViewDataSource.h"
#include "platform/uikit/UITableViewGeometry.h"
#include "platform/uikit/UITableViewUpdate.h"

#include <map>
#include <string>
#include <unordered_map>

enum class UITableViewStyle : NSInteger {
    Plain = 0,
    Grouped = 1,
};

enum class UITableViewScrollPosition : NSInteger {
    None = 0,
    Top = 1,
    Middle = 2,
    Bottom = 3,
};

enum class UITableViewRowAnimation : NSInteger {
    Fade = 0,
    Right = 1,
    Left = 2,
    Top = 3,
    Bottom = 4,
    None = 5,
    Middle = 6,
    Automatic = 100,
};

inline constexpr CGFloat UITableViewAutomaticDimension = -1;

class UITableView : public UIScrollView {
    NS_OBJECT(UITableView, UIScrollView)
public:
    using IndexPathRef = std::shared_ptr<NSIndexPath>;

    UITableViewStyle style() const { return m_style; }

    std::shared_ptr<UITableViewDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(const std::shared_ptr<UITableViewDataSource>& dataSource);
    // Also the scroll view's delegate.
    std::shared_ptr<UITableViewDelegate> delegate() const { return m_tableDelegate.lock(); }
    void setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate);

    CGFloat rowHeight() const { return m_rowHeight; }
    void setRowHeight(CGFloat height);
    CGFloat sectionHeaderHeight() const { return m_sectionHeaderHeight; }
    void setSectionHeaderHeight(CGFloat height);
    CGFloat sectionFooterHeight() const { return m_sectionFooterHeight; }
    void setSectionFooterHeight(CGFloat height);
    // Kept for callers; every height is asked, so estimates change nothing.
    CGFloat estimatedRowHeight() const { return m_estimatedRowHeight; }
    void setEstimatedRowHeight(CGFloat height) { m_estimatedRowHeight = height; }
    CGFloat estimatedSectionHeaderHeight() const { return m_estimatedSectionHeaderHeight; }
    void setEstimatedSectionHeaderHeight(CGFloat height) { m_estimatedSectionHeaderHeight = height; }
    CGFloat estimatedSectionFooterHeight() const { return m_estimatedSectionFooterHeight; }
    void setEstimatedSectionFooterHeight(CGFloat height) { m_estimatedSectionFooterHeight = height; }

    UITableViewCellSeparatorStyle separatorStyle() const { return m_separatorStyle; }
    void setSeparatorStyle(UITableViewCellSeparatorStyle style);
    const UIColorRef& separatorColor() const { return m_separatorColor; }
    void setSeparatorColor(const UIColorRef& color);
    // The default inset of the cells' separators.
    UIEdgeInsets separatorInset() const { return m_separatorInset; }
    void setSeparatorInset(UIEdgeInsets insets);
    UIEdgeInsets layoutMargins() const { return m_layoutMargins; }
    void setLayoutMargins(UIEdgeInsets margins) { m_layoutMargins = margins; }

    const std::shared_ptr<UIView>& backgroundView() const { return m_backgroundView; }
    void setBackgroundView(const std::shared_ptr<UIView>& view);
    const std::shared_ptr<UIView>& tableHeaderView() const { return m_tableHeaderView; }
    void setTableHeaderView(const std::shared_ptr<UIView>& view);
    const std::shared_ptr<UIView>& tableFooterView() const { return m_tableFooterView; }
    void setTableFooterView(const std::shared_ptr<UIView>& view);

    bool allowsSelection() const { return m_allowsSelection; }
    void setAllowsSelection(bool allows);
    bool allowsMultipleSelection() const { return m_allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { m_allowsMultipleSelection = allows; }

    // Asks the data source again for everything; the visible cells go back to the pools and the
    // selection is cleared.
    void reloadData();
    NSInteger numberOfSections();
    NSInteger numberOfRowsInSection(NSInteger section);

    CGRect rectForSection(NSInteger section);
    CGRect rectForHeaderInSection(NSInteger section);
    CGRect rectForFooterInSection(NSInteger section);
    CGRect rectForRowAtIndexPath(const IndexPathRef& indexPath);
    // The point is in the table's (content) coordinates; nil when no row is there.
    IndexPathRef indexPathForRowAtPoint(CGPoint point);
    IndexPathRef indexPathForCell(const UITableViewCellRef& cell);
    std::vector<IndexPathRef> indexPathsForRowsInRect(CGRect rect);
    // In row order.
    std::vector<UITableViewCellRef> visibleCells();
    std::vector<IndexPathRef> indexPathsForVisibleRows();
    // The cell shown for the row; nil when the row is not in view or does not exist.
    UITableViewCellRef cellForRowAtIndexPath(const IndexPathRef& indexPath);
    std::shared_ptr<UIView> headerViewForSection(NSInteger section);
    std::shared_ptr<UIView> footerViewForSection(NSInteger section);

    void scrollToRowAtIndexPath(const IndexPathRef& indexPath, UITableViewScrollPosition position, bool animated);
    // On a desktop the up and down arrows bring the next row past the top or bottom edge into view.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;
    void scrollToNearestSelectedRowAtScrollPosition(UITableViewScrollPosition position, bool animated);

    // Changes between beginUpdates and endUpdates form one batch, checked against the data
    // source and shown together at endUpdates; outside them each call is a batch of its own.
    void beginUpdates();
    void endUpdates();
    void insertSections(const std::vector<NSInteger>& sections, UITableViewRowAnimation animation);
    void deleteSections(const std::vector<NSInteger>& sections, UITableViewRowAnimation animation);
    void reloadSections(const std::vector<NSInteger>& sections, UITableViewRowAnimation animation);
    void insertRowsAtIndexPaths(const std::vector<IndexPathRef>& indexPaths, UITableViewRowAnimation animation);
    void deleteRowsAtIndexPaths(const std::vector<IndexPathRef>& indexPaths, UITableViewRowAnimation animation);
    void reloadRowsAtIndexPaths(const std::vector<IndexPathRef>& indexPaths, UITableViewRowAnimation animation);

    IndexPathRef indexPathForSelectedRow() const;
    std::vector<IndexPathRef> indexPathsForSelectedRows() const;
    // Selects without telling the delegate, as on the platform; nil clears the selection.
    void selectRowAtIndexPath(const IndexPathRef& indexPath, bool animated, UITableViewScrollPosition position);
    void deselectRowAtIndexPath(const IndexPathRef& indexPath, bool animated);

    // A cell from the pool of the identifier, prepared for reuse; nil when the pool is empty.
    UITableViewCellRef dequeueReusableCellWithIdentifier(const NSString& identifier);

    void layoutSubviews() override;
    void setFrame(CGRect frame) override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;

protected:
    void init(CGRect frame) override { init(frame, UITableViewStyle::Plain); }
    // initWithFrame:style:
    virtual void init(CGRect frame, UITableViewStyle style);

private:
    using RowIndex = UITableViewRowIndex;
    struct SectionViews {
        std::shared_ptr<UIView> header;
        std::shared_ptr<UIView> footer;
        NSString headerTitle;
        NSString footerTitle;
    };

    static IndexPathRef indexPath(RowIndex index) { return NSIndexPath::indexPathForRow(index.row, index.section); }
    // The row an index path names; raises NSRangeException when there is none.
    RowIndex checkedRow(const IndexPathRef& indexPath);
    std::optional<RowIndex> rowFor(const IndexPathRef& indexPath);
    void checkedSection(NSInteger section);
    void reloadIfNeeded();
    // Asks the data source for the counts.
    std::vector<NSInteger> askRowCounts();
    // Asks the heights and the section views, for the given counts.
    void measure(const std::vector<NSInteger>& rowCounts);
    void updateContentSize();
    void layoutCells();
    void layoutSectionViews(CGRect visible);
    void layoutTableHeaderAndFooter();
    UITableViewCellRef makeCell(RowIndex index);
    void configureSeparator(const UITableViewCellRef& cell, RowIndex index);
    void enqueue(const UITableViewCellRef& cell, RowIndex index, bool tellDelegate);
    void removeSectionViews();
    std::shared_ptr<UIView> titleView(const NSString& title, bool header, CGFloat height);
    // Puts a view of the content below the section headers and the indicators.
    void addContentView(const std::shared_ptr<UIView>& view);
    void apply(UITableViewUpdate update, UITableViewRowAnimation animation);
    void selectFromTouch(RowIndex index);
    void unhighlightTouchedRow();

    UITableViewStyle m_style { UITableViewStyle::Plain };
    std::weak_ptr<UITableViewDataSource> m_dataSource;
    std::weak_ptr<UITableViewDelegate> m_tableDelegate;
    CGFloat m_rowHeight { 44 };
    CGFloat m_sectionHeaderHeight { 22 };
    CGFloat m_sectionFooterHeight { 22 };
    CGFloat m_estimatedRowHeight { 0 };
    CGFloat m_estimatedSectionHeaderHeight { 0 };
    CGFloat m_estimatedSectionFooterHeight { 0 };
    UITableViewCellSeparatorStyle m_separatorStyle { UITableViewCellSeparatorStyle::SingleLine };
    UIColorRef m_separatorColor;
    UIEdgeInsets m_separatorInset { 0, 15, 0, 0 };
    UIEdgeInsets m_layoutMargins { 8, 8, 8, 8 };
    std::shared_ptr<UIView> m_backgroundView;
    std::shared_ptr<UIView> m_tableHeaderView;
    std::shared_ptr<UIView> m_tableFooterView;
    bool m_allowsSelection { true };
    bool m_allowsMultipleSelection { false };

    bool m_needsReload { true };
    bool m_reloading { false };
    UITableViewGeometry m_geometry;
    std::vector<SectionViews> m_sectionViews;
    // The sections whose header or footer views are in the table now.
    std::vector<NSInteger> m_shownSections;
    std::map<RowIndex, UITableViewCellRef> m_visibleCells;
    std::unordered_map<std::string, std::vector<UITableViewCellRef>> m_reusePool;
    std::vector<RowIndex> m_selectedRows;
    // The row under the finger, highlighted until it lifts or the pan takes the touch.
    std::optional<RowIndex> m_touchedRow;
    NSInteger m_updateDepth { 0 };
    UITableViewUpdate m_pendingUpdate;
    UITableViewRowAnimation m_pendingAnimation { UITableViewRowAnimation::None };
};

using UITableViewRef = std::shared_ptr<UITableView>;
