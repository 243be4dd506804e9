#include "platform/uikit/UITableViewGeometry.h"

#include <algorithm>

void UITableViewGeometry::setTableHeaderHeight(CGFloat height)
{
    height = std::max<CGFloat>(0, height);
    if (height == m_tableHeaderHeight)
        return;
    m_tableHeaderHeight = height;
    place();
}

void UITableViewGeometry::setTableFooterHeight(CGFloat height)
{
    m_tableFooterHeight = std::max<CGFloat>(0, height);
}

void UITableViewGeometry::setSections(std::vector<Section> sections)
{
    m_sections.clear();
    m_sections.reserve(sections.size());
    for (auto& section : sections) {
        Placed placed;
        // A negative or undefined height from a delegate counts as none.
        const auto sane = [](CGFloat height) { return std::isfinite(height) && height > 0 ? height : 0; };
        section.headerHeight = sane(section.headerHeight);
        section.footerHeight = sane(section.footerHeight);
        placed.rowTops.resize(section.rowHeights.size() + 1);
        CGFloat y = 0;
        for (size_t row = 0; row < section.rowHeights.size(); ++row) {
            section.rowHeights[row] = sane(section.rowHeights[row]);
            placed.rowTops[row] = y;
            y += section.rowHeights[row];
        }
        placed.rowTops.back() = y;
        placed.metrics = std::move(section);
        m_sections.push_back(std::move(placed));
    }
    place();
}

void UITableViewGeometry::place()
{
    CGFloat y = m_tableHeaderHeight;
    for (auto& section : m_sections) {
        section.top = y;
        y += section.metrics.headerHeight + section.rowTops.back() + section.metrics.footerHeight;
    }
}

NSInteger UITableViewGeometry::numberOfRows(NSInteger section) const
{
    if (section < 0 || section >= numberOfSections())
        return 0;
    return NSInteger(m_sections[size_t(section)].metrics.rowHeights.size());
}

bool UITableViewGeometry::contains(UITableViewRowIndex index) const
{
    return index.row >= 0 && index.row < numberOfRows(index.section);
}

CGFloat UITableViewGeometry::tableFooterTop() const
{
    return m_sections.empty() ? m_tableHeaderHeight : sectionBottom(numberOfSections() - 1);
}

CGFloat UITableViewGeometry::contentHeight() const
{
    return tableFooterTop() + m_tableFooterHeight;
}

CGFloat UITableViewGeometry::sectionTop(NSInteger section) const
{
    return m_sections[size_t(section)].top;
}

CGFloat UITableViewGeometry::sectionBottom(NSInteger section) const
{
    const auto& placed = m_sections[size_t(section)];
    return placed.top + placed.metrics.headerHeight + placed.rowTops.back() + placed.metrics.footerHeight;
}

CGFloat UITableViewGeometry::rowTop(UITableViewRowIndex index) const
{
    const auto& placed = m_sections[size_t(index.section)];
    return placed.top + placed.metrics.headerHeight + placed.rowTops[size_t(index.row)];
}

CGFloat UITableViewGeometry::rowHeight(UITableViewRowIndex index) const
{
    return m_sections[size_t(index.section)].metrics.rowHeights[size_t(index.row)];
}

size_t UITableViewGeometry::firstSectionEndingAfter(CGFloat y) const
{
    // Section bottoms grow with the index; compare each against the y.
    size_t low = 0;
    size_t high = m_sections.size();
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (sectionBottom(NSInteger(middle)) <= y)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

std::optional<NSInteger> UITableViewGeometry::sectionAt(CGFloat y) const
{
    const size_t section = firstSectionEndingAfter(y);
    if (section >= m_sections.size() || y < m_sections[section].top)
        return std::nullopt;
    return NSInteger(section);
}

std::optional<UITableViewRowIndex> UITableViewGeometry::rowAt(CGFloat y) const
{
    const auto section = sectionAt(y);
    if (!section)
        return std::nullopt;
    const auto& placed = m_sections[size_t(*section)];
    const CGFloat local = y - placed.top - placed.metrics.headerHeight;
    if (local < 0 || local >= placed.rowTops.back())
        return std::nullopt;
    // The last row top not below the point; rows of no height are never hit.
    const auto after = std::upper_bound(placed.rowTops.begin(), placed.rowTops.end(), local);
    return UITableViewRowIndex { *section, NSInteger(after - placed.rowTops.begin()) - 1 };
}

std::vector<NSInteger> UITableViewGeometry::sectionsBetween(CGFloat top, CGFloat bottom) const
{
    std::vector<NSInteger> sections;
    for (size_t section = firstSectionEndingAfter(top); section < m_sections.size() && m_sections[section].top < bottom; ++section)
        sections.push_back(NSInteger(section));
    return sections;
}

std::vector<UITableViewRowIndex> UITableViewGeometry::rowsBetween(CGFloat top, CGFloat bottom) const
{
    std::vector<UITableViewRowIndex> rows;
    if (!(bottom > top))
        return rows;
    for (const NSInteger section : sectionsBetween(top, bottom)) {
        const auto& placed = m_sections[size_t(section)];
        const CGFloat firstRowTop = placed.top + placed.metrics.headerHeight;
        const CGFloat localTop = top - firstRowTop;
        const CGFloat localBottom = bottom - firstRowTop;
        const size_t count = placed.metrics.rowHeights.size();
        // First row whose bottom lies below the top of the span.
        size_t row = size_t(std::upper_bound(placed.rowTops.begin() + 1, placed.rowTops.end(), localTop) - (placed.rowTops.begin() + 1));
        for (; row < count && placed.rowTops[row] < localBottom; ++row)
            if (placed.rowTops[row + 1] > localTop)
                rows.push_back({ section, NSInteger(row) });
    }
    return rows;
}
