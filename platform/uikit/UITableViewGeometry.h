#pragma once
// Where everything in a table's content lies along its height: the table header, then per
// section its header, its rows and its footer, then the table footer. Heights are asked once per
// reload and kept as running sums, so finding the rows in view costs a binary search however
// long the table is.

#include "platform/foundation/NSObjCRuntime.h"
#include "platform/graphics/CGGeometry.h"

#include <functional>
#include <optional>
#include <vector>

struct UITableViewRowIndex {
    NSInteger section { 0 };
    NSInteger row { 0 };
    constexpr bool operator==(const UITableViewRowIndex&) const = default;
    constexpr auto operator<=>(const UITableViewRowIndex&) const = default;
};

class UITableViewGeometry {
public:
    struct Section {
        CGFloat headerHeight { 0 };
        CGFloat footerHeight { 0 };
        std::vector<CGFloat> rowHeights;
    };

    void setTableHeaderHeight(CGFloat height);
    void setTableFooterHeight(CGFloat height);
    void setSections(std::vector<Section> sections);

    NSInteger numberOfSections() const { return NSInteger(m_sections.size()); }
    NSInteger numberOfRows(NSInteger section) const;
    bool contains(UITableViewRowIndex index) const;
    CGFloat contentHeight() const;

    CGFloat tableHeaderHeight() const { return m_tableHeaderHeight; }
    // The top of the table footer: the bottom of the last section.
    CGFloat tableFooterTop() const;
    // Section and row positions; the index must be valid.
    CGFloat sectionTop(NSInteger section) const;
    CGFloat sectionBottom(NSInteger section) const;
    CGFloat headerHeight(NSInteger section) const { return m_sections[size_t(section)].metrics.headerHeight; }
    CGFloat footerHeight(NSInteger section) const { return m_sections[size_t(section)].metrics.footerHeight; }
    CGFloat footerTop(NSInteger section) const { return sectionBottom(section) - footerHeight(section); }
    CGFloat rowTop(UITableViewRowIndex index) const;
    CGFloat rowHeight(UITableViewRowIndex index) const;

    // The row whose span holds the y; none on headers, footers and outside the sections.
    std::optional<UITableViewRowIndex> rowAt(CGFloat y) const;
    // The section whose span (header to footer) holds the y.
    std::optional<NSInteger> sectionAt(CGFloat y) const;
    // The rows that overlap [top, bottom), in order.
    std::vector<UITableViewRowIndex> rowsBetween(CGFloat top, CGFloat bottom) const;
    // The sections that overlap [top, bottom), in order.
    std::vector<NSInteger> sectionsBetween(CGFloat top, CGFloat bottom) const;

private:
    struct Placed {
        Section metrics;
        CGFloat top { 0 };
        // rowTops[i] is the top of row i from the top of the first row; one more than the rows.
        std::vector<CGFloat> rowTops;
    };
    void place();
    // The first section whose bottom lies below the y.
    size_t firstSectionEndingAfter(CGFloat y) const;

    CGFloat m_tableHeaderHeight { 0 };
    CGFloat m_tableFooterHeight { 0 };
    std::vector<Placed> m_sections;
};
