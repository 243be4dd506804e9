#include "platform/uikit/UITableView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSException.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

#include <algorithm>

namespace {

constexpr NSTimeInterval kRowAnimationDuration = 0.3;
// Grouped sections with a title get a header tall enough for it.
constexpr CGFloat kGroupedTitleHeight = 38;

std::string poolKey(const NSString& identifier)
{
    return identifier.UTF8String();
}

}

void UITableView::init(CGRect frame, UITableViewStyle style)
{
    UIScrollView::init(frame);
    m_style = style;
    m_separatorColor = UIColor::colorWithRed(0.78, 0.78, 0.8, 1);
    if (style == UITableViewStyle::Grouped) {
        m_sectionHeaderHeight = 10;
        m_sectionFooterHeight = 10;
        setBackgroundColor(UIColor::groupTableViewBackgroundColor());
    } else {
        setBackgroundColor(UIColor::whiteColor());
    }
    setAlwaysBounceVertical(true);
}

void UITableView::setDataSource(const std::shared_ptr<UITableViewDataSource>& dataSource)
{
    NSAssertMainThread();
    m_dataSource = dataSource;
    m_needsReload = true;
    setNeedsLayout();
}

void UITableView::setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate)
{
    NSAssertMainThread();
    m_tableDelegate = delegate;
    UIScrollView::setDelegate(delegate);
    // Heights may come from the delegate now.
    m_needsReload = true;
    setNeedsLayout();
}

void UITableView::setRowHeight(CGFloat height)
{
    if (height == m_rowHeight)
        return;
    m_rowHeight = height;
    m_needsReload = true;
    setNeedsLayout();
}

void UITableView::setSectionHeaderHeight(CGFloat height)
{
    if (height == m_sectionHeaderHeight)
        return;
    m_sectionHeaderHeight = height;
    m_needsReload = true;
    setNeedsLayout();
}

void UITableView::setSectionFooterHeight(CGFloat height)
{
    if (height == m_sectionFooterHeight)
        return;
    m_sectionFooterHeight = height;
    m_needsReload = true;
    setNeedsLayout();
}

void UITableView::setSeparatorStyle(UITableViewCellSeparatorStyle style)
{
    if (style == m_separatorStyle)
        return;
    m_separatorStyle = style;
    setNeedsLayout();
}

void UITableView::setSeparatorColor(const UIColorRef& color)
{
    m_separatorColor = color;
    setNeedsLayout();
}

void UITableView::setSeparatorInset(UIEdgeInsets insets)
{
    if (insets == m_separatorInset)
        return;
    m_separatorInset = insets;
    setNeedsLayout();
}

void UITableView::setBackgroundView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    if (view == m_backgroundView)
        return;
    if (m_backgroundView)
        m_backgroundView->removeFromSuperview();
    m_backgroundView = view;
    if (view) {
        view->setUserInteractionEnabled(false);
        insertSubview(view, 0);
    }
    setNeedsLayout();
}

void UITableView::setTableHeaderView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    if (m_tableHeaderView && m_tableHeaderView != view)
        m_tableHeaderView->removeFromSuperview();
    m_tableHeaderView = view;
    if (view)
        addSubview(view);
    m_geometry.setTableHeaderHeight(view ? view->frame().size.height : 0);
    updateContentSize();
    setNeedsLayout();
}

void UITableView::setTableFooterView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    if (m_tableFooterView && m_tableFooterView != view)
        m_tableFooterView->removeFromSuperview();
    m_tableFooterView = view;
    if (view)
        addSubview(view);
    m_geometry.setTableFooterHeight(view ? view->frame().size.height : 0);
    updateContentSize();
    setNeedsLayout();
}

void UITableView::setAllowsSelection(bool allows)
{
    m_allowsSelection = allows;
    if (!allows)
        selectRowAtIndexPath(nullptr, false, UITableViewScrollPosition::None);
}

void UITableView::setFrame(CGRect frame)
{
    UIScrollView::setFrame(frame);
    updateContentSize();
}

// MARK: Counts and heights

std::vector<NSInteger> UITableView::askRowCounts()
{
    auto source = m_dataSource.lock();
    if (!source)
        return {};
    const NSInteger sections = std::max<NSInteger>(0, source->numberOfSectionsInTableView(*this).value_or(1));
    std::vector<NSInteger> counts(size_t(sections), 0);
    for (NSInteger section = 0; section < sections; ++section)
        counts[size_t(section)] = std::max<NSInteger>(0, source->numberOfRowsInSection(*this, section));
    return counts;
}

void UITableView::measure(const std::vector<NSInteger>& rowCounts)
{
    const auto protectedSelf = self();
    auto source = m_dataSource.lock();
    auto delegate = m_tableDelegate.lock();
    removeSectionViews();
    m_sectionViews.assign(rowCounts.size(), {});
    const auto standardHeight = [](CGFloat height, CGFloat fallback) {
        return height == UITableViewAutomaticDimension ? fallback : height;
    };
    std::vector<UITableViewGeometry::Section> sections(rowCounts.size());
    for (size_t index = 0; index < rowCounts.size(); ++index) {
        const auto section = NSInteger(index);
        auto& views = m_sectionViews[index];
        if (source) {
            views.headerTitle = source->titleForHeaderInSection(*this, section);
            views.footerTitle = source->titleForFooterInSection(*this, section);
        }
        if (delegate) {
            views.header = delegate->viewForHeaderInSection(*this, section);
            views.footer = delegate->viewForFooterInSection(*this, section);
        }
        const bool hasHeader = views.header || views.headerTitle.length() > 0;
        const bool hasFooter = views.footer || views.footerTitle.length() > 0;
        CGFloat header = hasHeader ? m_sectionHeaderHeight : 0;
        CGFloat footer = hasFooter ? m_sectionFooterHeight : 0;
        if (m_style == UITableViewStyle::Grouped) {
            header = views.headerTitle.length() > 0 && !views.header ? std::max(m_sectionHeaderHeight, kGroupedTitleHeight) : m_sectionHeaderHeight;
            footer = views.footerTitle.length() > 0 && !views.footer ? std::max(m_sectionFooterHeight, kGroupedTitleHeight) : m_sectionFooterHeight;
        }
        if (delegate) {
            header = standardHeight(delegate->heightForHeaderInSection(*this, section).value_or(header), header);
            footer = standardHeight(delegate->heightForFooterInSection(*this, section).value_or(footer), footer);
        }
        sections[index].headerHeight = header;
        sections[index].footerHeight = footer;
        if (!views.header && views.headerTitle.length() > 0 && header > 0)
            views.header = titleView(views.headerTitle, true, header);
        if (!views.footer && views.footerTitle.length() > 0 && footer > 0)
            views.footer = titleView(views.footerTitle, false, footer);
        const auto rows = size_t(rowCounts[index]);
        auto& heights = sections[index].rowHeights;
        heights.assign(rows, m_rowHeight);
        // A delegate without the operation answers nothing for the first row: skip the rest.
        if (delegate && rows > 0) {
            if (auto first = delegate->heightForRowAtIndexPath(*this, indexPath({ section, 0 }))) {
                heights[0] = standardHeight(*first, m_rowHeight);
                for (size_t row = 1; row < rows; ++row)
                    heights[row] = standardHeight(delegate->heightForRowAtIndexPath(*this, indexPath({ section, NSInteger(row) })).value_or(m_rowHeight), m_rowHeight);
            }
        }
    }
    m_geometry.setSections(std::move(sections));
}

void UITableView::updateContentSize()
{
    setContentSize(CGSizeMake(bounds().size.width, m_geometry.contentHeight()));
    // Content that shrank under the view must not leave it scrolled past the end.
    if (!isDragging() && !isDecelerating() && !isTracking()) {
        const CGPoint maximum = maximumContentOffset();
        if (contentOffset().y > maximum.y)
            setContentOffset(CGPointMake(contentOffset().x, maximum.y));
    }
}

void UITableView::reloadIfNeeded()
{
    if (m_needsReload && !m_reloading)
        reloadData();
}

void UITableView::reloadData()
{
    NSAssertMainThread();
    const auto protectedSelf = self();
    m_reloading = true;
    m_needsReload = false;
    unhighlightTouchedRow();
    auto cells = std::move(m_visibleCells);
    m_visibleCells.clear();
    for (const auto& [row, cell] : cells)
        enqueue(cell, row, true);
    m_selectedRows.clear();
    m_pendingUpdate = {};
    measure(askRowCounts());
    m_reloading = false;
    updateContentSize();
    setNeedsLayout();
}

NSInteger UITableView::numberOfSections()
{
    reloadIfNeeded();
    return m_geometry.numberOfSections();
}

NSInteger UITableView::numberOfRowsInSection(NSInteger section)
{
    reloadIfNeeded();
    return m_geometry.numberOfRows(section);
}

// MARK: Geometry

UITableViewRowIndex UITableView::checkedRow(const IndexPathRef& indexPath)
{
    if (!indexPath)
        NSException::raise(NSInvalidArgumentException, "index path must not be nil");
    reloadIfNeeded();
    const RowIndex index { indexPath->section(), indexPath->row() };
    if (index.section < 0 || index.section >= m_geometry.numberOfSections())
        NSException::raise(NSRangeException, "section (%ld) beyond bounds (%ld)", long(index.section), long(m_geometry.numberOfSections()));
    if (!m_geometry.contains(index))
        NSException::raise(NSRangeException, "row (%ld) beyond bounds (%ld) for section (%ld)", long(index.row),
            long(m_geometry.numberOfRows(index.section)), long(index.section));
    return index;
}

std::optional<UITableViewRowIndex> UITableView::rowFor(const IndexPathRef& indexPath)
{
    if (!indexPath || indexPath->length() < 2)
        return std::nullopt;
    reloadIfNeeded();
    const RowIndex index { indexPath->section(), indexPath->row() };
    if (!m_geometry.contains(index))
        return std::nullopt;
    return index;
}

void UITableView::checkedSection(NSInteger section)
{
    reloadIfNeeded();
    if (section < 0 || section >= m_geometry.numberOfSections())
        NSException::raise(NSRangeException, "section (%ld) beyond bounds (%ld)", long(section), long(m_geometry.numberOfSections()));
}

CGRect UITableView::rectForSection(NSInteger section)
{
    checkedSection(section);
    const CGFloat top = m_geometry.sectionTop(section);
    return CGRectMake(0, top, bounds().size.width, m_geometry.sectionBottom(section) - top);
}

CGRect UITableView::rectForHeaderInSection(NSInteger section)
{
    checkedSection(section);
    return CGRectMake(0, m_geometry.sectionTop(section), bounds().size.width, m_geometry.headerHeight(section));
}

CGRect UITableView::rectForFooterInSection(NSInteger section)
{
    checkedSection(section);
    return CGRectMake(0, m_geometry.footerTop(section), bounds().size.width, m_geometry.footerHeight(section));
}

CGRect UITableView::rectForRowAtIndexPath(const IndexPathRef& indexPath)
{
    const RowIndex index = checkedRow(indexPath);
    return CGRectMake(0, m_geometry.rowTop(index), bounds().size.width, m_geometry.rowHeight(index));
}

UITableView::IndexPathRef UITableView::indexPathForRowAtPoint(CGPoint point)
{
    reloadIfNeeded();
    if (point.x < 0 || point.x >= bounds().size.width)
        return nullptr;
    const auto row = m_geometry.rowAt(point.y);
    return row ? indexPath(*row) : nullptr;
}

UITableView::IndexPathRef UITableView::indexPathForCell(const UITableViewCellRef& cell)
{
    for (const auto& [row, shown] : m_visibleCells)
        if (shown == cell)
            return indexPath(row);
    return nullptr;
}

std::vector<UITableView::IndexPathRef> UITableView::indexPathsForRowsInRect(CGRect rect)
{
    reloadIfNeeded();
    rect = CGRectStandardize(rect);
    std::vector<IndexPathRef> paths;
    if (rect.origin.x >= bounds().size.width || rect.origin.x + rect.size.width <= 0)
        return paths;
    for (const RowIndex row : m_geometry.rowsBetween(rect.origin.y, rect.origin.y + rect.size.height))
        paths.push_back(indexPath(row));
    return paths;
}

std::vector<UITableViewCellRef> UITableView::visibleCells()
{
    layoutIfNeeded();
    std::vector<UITableViewCellRef> cells;
    cells.reserve(m_visibleCells.size());
    for (const auto& [row, cell] : m_visibleCells)
        cells.push_back(cell);
    return cells;
}

std::vector<UITableView::IndexPathRef> UITableView::indexPathsForVisibleRows()
{
    layoutIfNeeded();
    std::vector<IndexPathRef> paths;
    paths.reserve(m_visibleCells.size());
    for (const auto& [row, cell] : m_visibleCells)
        paths.push_back(indexPath(row));
    return paths;
}

bool UITableView::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    const bool down = key == UIKeyboardKey::DownArrow;
    if ((!down && key != UIKeyboardKey::UpArrow) || !UnclaimedKeyRouting::isPlainArrow(key, modifiers) || !isScrollEnabled())
        return false;
    const CGPoint minimum = minimumContentOffset();
    const CGPoint maximum = maximumContentOffset();
    if (maximum.y <= minimum.y)
        return false;
    // The row cut by the edge comes wholly into view; with none cut, the next one does; where
    // no row is (a header) the list moves a row's height.
    const CGFloat top = contentOffset().y + contentInset().top;
    const CGFloat shown = bounds().size.height - contentInset().top - contentInset().bottom;
    const CGFloat edge = down ? top + shown : top;
    const CGFloat side = down ? 1 : -1;
    CGFloat target = contentOffset().y + side * m_rowHeight;
    for (const CGFloat probe : { edge - side * 0.5, edge + side * 0.5 }) {
        const auto path = indexPathForRowAtPoint(CGPointMake(1, probe));
        if (!path)
            continue;
        const CGRect rect = rectForRowAtIndexPath(path);
        if (down ? CGRectGetMaxY(rect) > edge + 0.5 : CGRectGetMinY(rect) < edge - 0.5) {
            target = (down ? CGRectGetMaxY(rect) - shown : CGRectGetMinY(rect)) - contentInset().top;
            break;
        }
    }
    setContentOffset(CGPointMake(contentOffset().x, std::clamp(target, minimum.y, maximum.y)), false);
    return true;
}

UITableViewCellRef UITableView::cellForRowAtIndexPath(const IndexPathRef& indexPath)
{
    const auto row = rowFor(indexPath);
    if (!row)
        return nullptr;
    layoutIfNeeded();
    const auto found = m_visibleCells.find(*row);
    return found == m_visibleCells.end() ? nullptr : found->second;
}

std::shared_ptr<UIView> UITableView::headerViewForSection(NSInteger section)
{
    reloadIfNeeded();
    if (section < 0 || size_t(section) >= m_sectionViews.size())
        return nullptr;
    return m_sectionViews[size_t(section)].header;
}

std::shared_ptr<UIView> UITableView::footerViewForSection(NSInteger section)
{
    reloadIfNeeded();
    if (section < 0 || size_t(section) >= m_sectionViews.size())
        return nullptr;
    return m_sectionViews[size_t(section)].footer;
}

// MARK: Scrolling

void UITableView::scrollToRowAtIndexPath(const IndexPathRef& indexPath, UITableViewScrollPosition position, bool animated)
{
    NSAssertMainThread();
    const CGRect row = rectForRowAtIndexPath(indexPath);
    const CGRect visible = bounds();
    const UIEdgeInsets insets = contentInset();
    // In a plain table the section's header floats over the top of the view.
    const CGFloat covered = m_style == UITableViewStyle::Plain ? m_geometry.headerHeight(indexPath->section()) : 0;
    const CGFloat top = row.origin.y - covered - insets.top;
    const CGFloat bottom = row.origin.y + row.size.height - visible.size.height + insets.bottom;
    CGFloat y = visible.origin.y;
    switch (position) {
    case UITableViewScrollPosition::Top:
        y = top;
        break;
    case UITableViewScrollPosition::Middle:
        y = row.origin.y + row.size.height / 2 - (visible.size.height - insets.top - insets.bottom) / 2 - insets.top;
        break;
    case UITableViewScrollPosition::Bottom:
        y = bottom;
        break;
    case UITableViewScrollPosition::None:
        if (visible.origin.y > top)
            y = top;
        else if (visible.origin.y < bottom)
            y = bottom;
        break;
    }
    y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
    setContentOffset(CGPointMake(contentOffset().x, y), animated);
}

void UITableView::scrollToNearestSelectedRowAtScrollPosition(UITableViewScrollPosition position, bool animated)
{
    if (m_selectedRows.empty())
        return;
    scrollToRowAtIndexPath(indexPath(*std::min_element(m_selectedRows.begin(), m_selectedRows.end())), position, animated);
}

// MARK: Layout

void UITableView::addContentView(const std::shared_ptr<UIView>& view)
{
    // Cells go below everything else the table shows: section headers, the table's header and
    // footer, and the indicators.
    insertSubview(view, m_backgroundView ? 1 : 0);
}

void UITableView::layoutSubviews()
{
    reloadIfNeeded();
    UIScrollView::layoutSubviews();
    if (m_backgroundView)
        m_backgroundView->setFrame(bounds());
    layoutTableHeaderAndFooter();
    layoutCells();
}

void UITableView::layoutTableHeaderAndFooter()
{
    const CGFloat width = bounds().size.width;
    if (m_tableHeaderView) {
        const CGRect frame = CGRectMake(0, 0, width, m_geometry.tableHeaderHeight());
        if (m_tableHeaderView->frame() != frame)
            m_tableHeaderView->setFrame(frame);
    }
    if (m_tableFooterView) {
        const CGRect frame = CGRectMake(0, m_geometry.tableFooterTop(), width, m_tableFooterView->frame().size.height);
        if (m_tableFooterView->frame() != frame)
            m_tableFooterView->setFrame(frame);
    }
}

void UITableView::layoutCells()
{
    const auto protectedSelf = self();
    const CGRect visible = bounds();
    const auto rows = m_geometry.rowsBetween(visible.origin.y, visible.origin.y + visible.size.height);
    // Cells that left the view go to the pools first, so the new rows can have them.
    std::vector<std::pair<RowIndex, UITableViewCellRef>> leaving;
    for (const auto& [row, cell] : m_visibleCells)
        if (!std::binary_search(rows.begin(), rows.end(), row))
            leaving.emplace_back(row, cell);
    for (const auto& [row, cell] : leaving) {
        m_visibleCells.erase(row);
        enqueue(cell, row, true);
    }
    for (const RowIndex row : rows) {
        if (m_visibleCells.contains(row))
            continue;
        auto cell = makeCell(row);
        // The data source may have changed the table meanwhile.
        if (!m_geometry.contains(row))
            return;
        m_visibleCells[row] = cell;
    }
    const CGFloat width = visible.size.width;
    for (const auto& [row, cell] : m_visibleCells) {
        const CGRect frame = CGRectMake(0, m_geometry.rowTop(row), width, m_geometry.rowHeight(row));
        if (cell->frame() != frame)
            cell->setFrame(frame);
        configureSeparator(cell, row);
    }
    layoutSectionViews(visible);
}

UITableViewCellRef UITableView::makeCell(RowIndex row)
{
    auto source = m_dataSource.lock();
    const auto path = indexPath(row);
    auto cell = source ? source->cellForRowAtIndexPath(*this, path) : nullptr;
    if (!cell)
        NSException::raise(NSInternalInconsistencyException, "the data source answered no cell for row %ld of section %ld",
            long(row.row), long(row.section));
    // A cell taken without dequeueing must not stay in its pool.
    if (cell->reuseIdentifier().length() > 0) {
        auto& pool = m_reusePool[poolKey(cell->reuseIdentifier())];
        std::erase(pool, cell);
    }
    cell->setFrame(CGRectMake(0, m_geometry.rowTop(row), bounds().size.width, m_geometry.rowHeight(row)));
    cell->setSelected(std::find(m_selectedRows.begin(), m_selectedRows.end(), row) != m_selectedRows.end());
    configureSeparator(cell, row);
    if (cell->superview().get() != this)
        addContentView(cell);
    if (auto delegate = m_tableDelegate.lock())
        delegate->willDisplayCell(*this, cell, path);
    return cell;
}

void UITableView::configureSeparator(const UITableViewCellRef& cell, RowIndex)
{
    cell->setSeparator(m_separatorColor, m_separatorStyle != UITableViewCellSeparatorStyle::None, m_separatorInset);
}

void UITableView::enqueue(const UITableViewCellRef& cell, RowIndex row, bool tellDelegate)
{
    cell->removeFromSuperview();
    // A cell without an identifier cannot be asked for again: it is let go.
    if (cell->reuseIdentifier().length() > 0) {
        auto& pool = m_reusePool[poolKey(cell->reuseIdentifier())];
        if (std::find(pool.begin(), pool.end(), cell) == pool.end())
            pool.push_back(cell);
    }
    if (tellDelegate)
        if (auto delegate = m_tableDelegate.lock())
            delegate->didEndDisplayingCell(*this, cell, indexPath(row));
}

UITableViewCellRef UITableView::dequeueReusableCellWithIdentifier(const NSString& identifier)
{
    NSAssertMainThread();
    if (identifier.length() == 0)
        return nullptr;
    const auto found = m_reusePool.find(poolKey(identifier));
    if (found == m_reusePool.end() || found->second.empty())
        return nullptr;
    auto cell = found->second.back();
    found->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

std::shared_ptr<UIView> UITableView::titleView(const NSString& title, bool header, CGFloat height)
{
    constexpr CGFloat kInset = 15;
    const CGFloat width = bounds().size.width;
    auto view = UIView::create(CGRectMake(0, 0, width, height));
    auto label = UILabel::create(CGRectMake(kInset, 0, std::max<CGFloat>(0, width - 2 * kInset), height));
    label->setText(title);
    label->setBackgroundColor(UIColor::clearColor());
    if (m_style == UITableViewStyle::Plain) {
        view->setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
        label->setFont(UIFont::boldSystemFontOfSize(14));
    } else {
        label->setFont(UIFont::systemFontOfSize(header ? 14 : 13));
        label->setTextColor(UIColor::colorWithWhite(0.43, 1));
    }
    label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view->addSubview(label);
    return view;
}

void UITableView::removeSectionViews()
{
    for (const NSInteger section : m_shownSections) {
        if (size_t(section) >= m_sectionViews.size())
            continue;
        const auto& views = m_sectionViews[size_t(section)];
        for (const auto& view : { views.header, views.footer })
            if (view && view->superview().get() == this)
                view->removeFromSuperview();
    }
    m_shownSections.clear();
}

void UITableView::layoutSectionViews(CGRect visible)
{
    const CGFloat top = visible.origin.y;
    const CGFloat bottom = top + visible.size.height;
    auto shown = m_geometry.sectionsBetween(top, bottom);
    for (const NSInteger section : m_shownSections) {
        if (std::binary_search(shown.begin(), shown.end(), section) || size_t(section) >= m_sectionViews.size())
            continue;
        const auto& views = m_sectionViews[size_t(section)];
        for (const auto& view : { views.header, views.footer })
            if (view && view->superview().get() == this)
                view->removeFromSuperview();
    }
    const CGFloat width = visible.size.width;
    const auto place = [this](const std::shared_ptr<UIView>& view, CGRect frame) {
        if (!view || frame.size.height <= 0)
            return;
        if (view->frame() != frame)
            view->setFrame(frame);
        if (view->superview().get() != this)
            addSubview(view);
    };
    for (const NSInteger section : shown) {
        const auto& views = m_sectionViews[size_t(section)];
        const CGFloat headerHeight = m_geometry.headerHeight(section);
        CGFloat headerTop = m_geometry.sectionTop(section);
        // A plain table's header stays at the top of the view while its section is in view,
        // until the end of the section pushes it up.
        if (m_style == UITableViewStyle::Plain)
            headerTop = std::max(headerTop, std::min(top + contentInset().top, m_geometry.sectionBottom(section) - headerHeight));
        place(views.header, CGRectMake(0, headerTop, width, headerHeight));
        place(views.footer, CGRectMake(0, m_geometry.footerTop(section), width, m_geometry.footerHeight(section)));
    }
    m_shownSections = std::move(shown);
}

// MARK: Updates

void UITableView::beginUpdates()
{
    NSAssertMainThread();
    if (m_updateDepth++ == 0)
        m_pendingUpdate = {};
}

void UITableView::endUpdates()
{
    NSAssertMainThread();
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth > 0)
        return;
    auto update = std::move(m_pendingUpdate);
    m_pendingUpdate = {};
    apply(std::move(update), m_pendingAnimation);
}

void UITableView::insertSections(const std::vector<NSInteger>& sections, UITableViewRowAnimation animation)
{
    beginUpdates();
    m_pendingAnimation = animation;
    for (const NSInteger section : sections)
        m_pendingUpdate.insertSection(section);
    endUpdates();
}

void UITableView::deleteSections(const std::vector<NSInteger>& sections, UITableViewRowAnimation animation)
{
    beginUpdates();
    m_pendingAnimation = animation;
    for (const NSInteger section : sections)
        m_pendingUpdate.deleteSection(section);
    endUpdates();
}

void UITableView::reloadSections(const std::vector<NSInteger>& sections, UITableViewRowAnimation animation)
{
    beginUpdates();
    m_pendingAnimation = animation;
    for (const NSInteger section : sections)
        m_pendingUpdate.reloadSection(section);
    endUpdates();
}

namespace {

UITableViewRowIndex rowOf(const std::shared_ptr<NSIndexPath>& indexPath)
{
    if (!indexPath || indexPath->length() < 2)
        NSException::raise(NSInvalidArgumentException, "an index path of a row needs a section and a row");
    return { indexPath->section(), indexPath->row() };
}

}

void UITableView::insertRowsAtIndexPaths(const std::vector<IndexPathRef>& indexPaths, UITableViewRowAnimation animation)
{
    beginUpdates();
    m_pendingAnimation = animation;
    for (const auto& path : indexPaths)
        m_pendingUpdate.insertRow(rowOf(path));
    endUpdates();
}

void UITableView::deleteRowsAtIndexPaths(const std::vector<IndexPathRef>& indexPaths, UITableViewRowAnimation animation)
{
    beginUpdates();
    m_pendingAnimation = animation;
    for (const auto& path : indexPaths)
        m_pendingUpdate.deleteRow(rowOf(path));
    endUpdates();
}

void UITableView::reloadRowsAtIndexPaths(const std::vector<IndexPathRef>& indexPaths, UITableViewRowAnimation animation)
{
    beginUpdates();
    m_pendingAnimation = animation;
    for (const auto& path : indexPaths)
        m_pendingUpdate.reloadRow(rowOf(path));
    endUpdates();
}

void UITableView::apply(UITableViewUpdate update, UITableViewRowAnimation animation)
{
    const auto protectedSelf = self();
    m_pendingAnimation = UITableViewRowAnimation::None;
    if (m_needsReload) {
        // Never shown yet: the data source already says how things are.
        reloadData();
        return;
    }
    if (update.isEmpty())
        return;
    std::vector<NSInteger> oldCounts(size_t(m_geometry.numberOfSections()));
    for (size_t section = 0; section < oldCounts.size(); ++section)
        oldCounts[section] = m_geometry.numberOfRows(NSInteger(section));
    const auto newCounts = askRowCounts();
    update.validate(oldCounts, newCounts);
    const NSInteger expectedSections = update.expectedSectionCount(NSInteger(oldCounts.size()));
    if (expectedSections != NSInteger(newCounts.size()))
        NSException::raise(NSInternalInconsistencyException,
            "invalid update: the table has %ld sections after the update where %ld before, plus inserted, minus deleted, make %ld",
            long(newCounts.size()), long(oldCounts.size()), long(expectedSections));
    for (size_t section = 0; section < newCounts.size(); ++section) {
        const auto expected = update.expectedRowCount(NSInteger(section), oldCounts);
        if (expected && *expected != newCounts[section])
            NSException::raise(NSInternalInconsistencyException,
                "invalid update: section %ld has %ld rows after the update where the rows before, plus inserted, minus deleted, make %ld",
                long(section), long(newCounts[section]), long(*expected));
    }
    unhighlightTouchedRow();
    // Cells of rows that live on move with them; the others leave.
    auto oldCells = std::move(m_visibleCells);
    m_visibleCells.clear();
    std::vector<std::pair<UITableViewCellRef, CGRect>> moving;
    std::vector<std::pair<RowIndex, UITableViewCellRef>> leaving;
    for (const auto& [row, cell] : oldCells) {
        if (const auto moved = update.newIndex(row)) {
            m_visibleCells[*moved] = cell;
            moving.emplace_back(cell, cell->frame());
        } else {
            leaving.emplace_back(row, cell);
        }
    }
    std::vector<RowIndex> selected;
    for (const RowIndex row : m_selectedRows)
        if (const auto moved = update.newIndex(row))
            selected.push_back(*moved);
    m_selectedRows = std::move(selected);
    measure(newCounts);
    updateContentSize();
    const bool animated = animation != UITableViewRowAnimation::None && UIView::areAnimationsEnabled();
    if (!animated) {
        for (const auto& [row, cell] : leaving)
            enqueue(cell, row, true);
        setNeedsLayout();
        layoutIfNeeded();
        return;
    }
    // Leaving cells fade out where they were and only then go back to the pools, so no new row
    // takes a cell that is still on its way out.
    std::weak_ptr<UITableView> weakSelf = self();
    for (const auto& [row, cell] : leaving) {
        const RowIndex oldRow = row;
        const auto fading = cell;
        // The cell's own layer keeps this completion: holding the cell here would keep both for
        // good if the fade never ended, as when the table goes away meanwhile.
        std::weak_ptr<UITableViewCell> weakFading = cell;
        UIView::animateWithDuration(kRowAnimationDuration, [fading] { fading->setAlpha(0); }, [weakSelf, weakFading, oldRow](bool) {
            const auto fading = weakFading.lock();
            if (!fading)
                return;
            fading->setAlpha(1);
            if (auto table = weakSelf.lock()) {
                if (table->indexPathForCell(fading))
                    return;
                table->enqueue(fading, oldRow, true);
            } else {
                fading->removeFromSuperview();
            }
        });
    }
    std::vector<UITableViewCellRef> before;
    for (const auto& [row, cell] : m_visibleCells)
        before.push_back(cell);
    setNeedsLayout();
    UIView::performWithoutAnimation([this] { layoutIfNeeded(); });
    // Rows that stayed slide from their old places; new rows fade in.
    for (const auto& move : moving) {
        const auto cell = move.first;
        const CGRect oldFrame = move.second;
        if (!indexPathForCell(cell))
            continue;
        const CGRect newFrame = cell->frame();
        if (newFrame == oldFrame)
            continue;
        UIView::performWithoutAnimation([&cell, oldFrame] { cell->setFrame(oldFrame); });
        UIView::animateWithDuration(kRowAnimationDuration, [cell, newFrame] { cell->setFrame(newFrame); });
    }
    for (const auto& shown : m_visibleCells) {
        const auto cell = shown.second;
        if (std::find(before.begin(), before.end(), cell) != before.end())
            continue;
        UIView::performWithoutAnimation([&cell] { cell->setAlpha(0); });
        UIView::animateWithDuration(kRowAnimationDuration, [cell] { cell->setAlpha(1); });
    }
}

// MARK: Selection

UITableView::IndexPathRef UITableView::indexPathForSelectedRow() const
{
    if (m_selectedRows.empty())
        return nullptr;
    return indexPath(*std::min_element(m_selectedRows.begin(), m_selectedRows.end()));
}

std::vector<UITableView::IndexPathRef> UITableView::indexPathsForSelectedRows() const
{
    auto rows = m_selectedRows;
    std::sort(rows.begin(), rows.end());
    std::vector<IndexPathRef> paths;
    for (const RowIndex row : rows)
        paths.push_back(indexPath(row));
    return paths;
}

void UITableView::selectRowAtIndexPath(const IndexPathRef& indexPath, bool animated, UITableViewScrollPosition position)
{
    NSAssertMainThread();
    if (!indexPath) {
        for (const RowIndex row : std::vector<RowIndex>(m_selectedRows))
            deselectRowAtIndexPath(this->indexPath(row), animated);
        return;
    }
    const RowIndex row = checkedRow(indexPath);
    if (!m_allowsMultipleSelection)
        for (const RowIndex other : std::vector<RowIndex>(m_selectedRows))
            if (other != row)
                deselectRowAtIndexPath(this->indexPath(other), animated);
    if (std::find(m_selectedRows.begin(), m_selectedRows.end(), row) == m_selectedRows.end())
        m_selectedRows.push_back(row);
    if (auto found = m_visibleCells.find(row); found != m_visibleCells.end())
        found->second->setSelected(true, animated);
    if (position != UITableViewScrollPosition::None)
        scrollToRowAtIndexPath(indexPath, position, animated);
}

void UITableView::deselectRowAtIndexPath(const IndexPathRef& indexPath, bool animated)
{
    NSAssertMainThread();
    const auto row = rowFor(indexPath);
    if (!row)
        return;
    const auto found = std::find(m_selectedRows.begin(), m_selectedRows.end(), *row);
    if (found == m_selectedRows.end())
        return;
    m_selectedRows.erase(found);
    if (auto cell = m_visibleCells.find(*row); cell != m_visibleCells.end())
        cell->second->setSelected(false, animated);
}

void UITableView::unhighlightTouchedRow()
{
    if (!m_touchedRow)
        return;
    const RowIndex row = *m_touchedRow;
    m_touchedRow.reset();
    const auto cell = m_visibleCells.find(row);
    if (cell == m_visibleCells.end() || !cell->second->isHighlighted())
        return;
    cell->second->setHighlighted(false);
    if (auto delegate = m_tableDelegate.lock())
        delegate->didUnhighlightRowAtIndexPath(*this, indexPath(row));
}

void UITableView::selectFromTouch(RowIndex row)
{
    const auto protectedSelf = self();
    auto delegate = m_tableDelegate.lock();
    auto path = indexPath(row);
    if (delegate) {
        if (auto redirected = delegate->willSelectRowAtIndexPath(*this, path)) {
            const auto target = rowFor(*redirected);
            if (!target)
                return;
            row = *target;
            path = indexPath(row);
        }
    }
    const bool wasSelected = std::find(m_selectedRows.begin(), m_selectedRows.end(), row) != m_selectedRows.end();
    const auto deselect = [&](RowIndex other) {
        auto otherPath = indexPath(other);
        if (delegate) {
            if (auto redirected = delegate->willDeselectRowAtIndexPath(*this, otherPath); redirected && !*redirected)
                return;
        }
        deselectRowAtIndexPath(otherPath, false);
        if (delegate)
            delegate->didDeselectRowAtIndexPath(*this, otherPath);
    };
    if (m_allowsMultipleSelection && wasSelected) {
        deselect(row);
        return;
    }
    if (!m_allowsMultipleSelection)
        for (const RowIndex other : std::vector<RowIndex>(m_selectedRows))
            if (other != row)
                deselect(other);
    if (!wasSelected) {
        m_selectedRows.push_back(row);
        if (auto cell = m_visibleCells.find(row); cell != m_visibleCells.end())
            cell->second->setSelected(true);
    }
    if (delegate)
        delegate->didSelectRowAtIndexPath(*this, path);
}

// MARK: Touches

void UITableView::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    (void)event;
    unhighlightTouchedRow();
    const auto touch = touches.anyObject();
    if (!touch || !m_allowsSelection || touchStoppedMotion() || isDragging())
        return;
    const auto path = indexPathForRowAtPoint(touch->locationInView(self()));
    if (!path)
        return;
    const RowIndex row { path->section(), path->row() };
    m_touchedRow = row;
    auto delegate = m_tableDelegate.lock();
    if (delegate && delegate->shouldHighlightRowAtIndexPath(*this, path) == false)
        return;
    const auto cell = m_visibleCells.find(row);
    if (cell == m_visibleCells.end() || cell->second->selectionStyle() == UITableViewCellSelectionStyle::None)
        return;
    cell->second->setHighlighted(true);
    if (delegate)
        delegate->didHighlightRowAtIndexPath(*this, path);
}

void UITableView::touchesMoved(const UITouchSet& touches, const UIEventRef& event)
{
    (void)touches;
    (void)event;
}

void UITableView::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    (void)touches;
    (void)event;
    if (!m_touchedRow)
        return;
    const RowIndex row = *m_touchedRow;
    unhighlightTouchedRow();
    if (m_geometry.contains(row))
        selectFromTouch(row);
}

void UITableView::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    (void)touches;
    (void)event;
    unhighlightTouchedRow();
}
