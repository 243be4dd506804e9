#include "platform/foundation/NSException.h"
#include "platform/uikit/UITableViewGeometry.h"
#include "platform/uikit/UITableViewUpdate.h"

#include <gtest/gtest.h>

namespace {

UITableViewGeometry::Section section(CGFloat header, std::vector<CGFloat> rows, CGFloat footer)
{
    return { header, footer, std::move(rows) };
}

// Header 30; section 0: header 20, rows 44, 60, 0, 44, footer 10; section 1: no header, two
// rows of 50; section 2 empty with a header of 22; footer 40.
UITableViewGeometry sample()
{
    UITableViewGeometry geometry;
    geometry.setTableHeaderHeight(30);
    geometry.setTableFooterHeight(40);
    geometry.setSections({ section(20, { 44, 60, 0, 44 }, 10), section(0, { 50, 50 }, 0), section(22, {}, 0) });
    return geometry;
}

}

TEST(UITableViewGeometry, placesHeadersRowsAndFootersOneAfterAnother)
{
    const auto geometry = sample();
    EXPECT_EQ(geometry.numberOfSections(), 3);
    EXPECT_EQ(geometry.numberOfRows(0), 4);
    EXPECT_EQ(geometry.numberOfRows(5), 0);
    EXPECT_EQ(geometry.sectionTop(0), 30);
    EXPECT_EQ(geometry.rowTop({ 0, 0 }), 50);
    EXPECT_EQ(geometry.rowTop({ 0, 1 }), 94);
    EXPECT_EQ(geometry.rowTop({ 0, 3 }), 154);
    EXPECT_EQ(geometry.footerTop(0), 198);
    EXPECT_EQ(geometry.sectionTop(1), 208);
    EXPECT_EQ(geometry.rowTop({ 1, 1 }), 258);
    EXPECT_EQ(geometry.sectionTop(2), 308);
    EXPECT_EQ(geometry.tableFooterTop(), 330);
    EXPECT_EQ(geometry.contentHeight(), 370);
    EXPECT_TRUE(geometry.contains({ 1, 1 }));
    EXPECT_FALSE(geometry.contains({ 1, 2 }));
    EXPECT_FALSE(geometry.contains({ -1, 0 }));
    EXPECT_FALSE(geometry.contains({ 0, -1 }));
}

TEST(UITableViewGeometry, findsTheRowUnderAPoint)
{
    const auto geometry = sample();
    EXPECT_EQ(geometry.rowAt(0), std::nullopt);
    EXPECT_EQ(geometry.rowAt(35), std::nullopt);
    EXPECT_EQ(geometry.rowAt(50), (UITableViewRowIndex { 0, 0 }));
    EXPECT_EQ(geometry.rowAt(93.9), (UITableViewRowIndex { 0, 0 }));
    EXPECT_EQ(geometry.rowAt(94), (UITableViewRowIndex { 0, 1 }));
    // The row of no height is never under a point.
    EXPECT_EQ(geometry.rowAt(154), (UITableViewRowIndex { 0, 3 }));
    EXPECT_EQ(geometry.rowAt(200), std::nullopt);
    EXPECT_EQ(geometry.sectionAt(200), 0);
    EXPECT_EQ(geometry.rowAt(299), (UITableViewRowIndex { 1, 1 }));
    EXPECT_EQ(geometry.sectionAt(310), 2);
    EXPECT_EQ(geometry.rowAt(360), std::nullopt);
    EXPECT_EQ(geometry.sectionAt(360), std::nullopt);
}

TEST(UITableViewGeometry, listsTheRowsAndSectionsInASpan)
{
    const auto geometry = sample();
    using Rows = std::vector<UITableViewRowIndex>;
    EXPECT_EQ(geometry.rowsBetween(0, 50), Rows {});
    EXPECT_EQ(geometry.rowsBetween(0, 51), (Rows { { 0, 0 } }));
    EXPECT_EQ(geometry.rowsBetween(100, 260), (Rows { { 0, 1 }, { 0, 2 }, { 0, 3 }, { 1, 0 }, { 1, 1 } }));
    EXPECT_EQ(geometry.rowsBetween(94, 154), (Rows { { 0, 1 } }));
    EXPECT_EQ(geometry.rowsBetween(300, 1000), (Rows { { 1, 1 } }));
    EXPECT_EQ(geometry.rowsBetween(50, 50), Rows {});
    EXPECT_EQ(geometry.sectionsBetween(190, 320), (std::vector<NSInteger> { 0, 1, 2 }));
    EXPECT_EQ(geometry.sectionsBetween(340, 400), std::vector<NSInteger> {});
}

TEST(UITableViewGeometry, aLongTableIsFoundByBinarySearch)
{
    UITableViewGeometry geometry;
    geometry.setSections({ section(0, std::vector<CGFloat>(10000, 44), 0) });
    EXPECT_EQ(geometry.contentHeight(), 440000);
    EXPECT_EQ(geometry.rowAt(440000 - 1), (UITableViewRowIndex { 0, 9999 }));
    const auto rows = geometry.rowsBetween(220000 + 10, 220000 + 10 + 568);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows.front().row, 5000);
    EXPECT_EQ(rows.back().row, 5013);
}

TEST(UITableViewGeometry, badHeightsCountAsNoneAndHeaderChangesMoveTheSections)
{
    UITableViewGeometry geometry;
    geometry.setSections({ section(-5, { 44, -1, NAN, 44 }, INFINITY) });
    EXPECT_EQ(geometry.contentHeight(), 88);
    geometry.setTableHeaderHeight(100);
    EXPECT_EQ(geometry.rowTop({ 0, 3 }), 144);
    EXPECT_EQ(geometry.tableHeaderHeight(), 100);
    UITableViewGeometry empty;
    empty.setTableHeaderHeight(12);
    EXPECT_EQ(empty.tableFooterTop(), 12);
    EXPECT_EQ(empty.rowsBetween(0, 100).size(), 0u);
}

TEST(UITableViewUpdate, mapsRowsPastDeletionsAndInsertions)
{
    UITableViewUpdate update;
    EXPECT_TRUE(update.isEmpty());
    // Before: rows 0..9. Delete 2 and 5 (old numbering), insert at 0 and 4 (new numbering).
    update.deleteRow({ 0, 5 });
    update.deleteRow({ 0, 2 });
    update.insertRow({ 0, 4 });
    update.insertRow({ 0, 0 });
    EXPECT_FALSE(update.isEmpty());
    EXPECT_EQ(update.newIndex({ 0, 0 }), (UITableViewRowIndex { 0, 1 }));
    EXPECT_EQ(update.newIndex({ 0, 1 }), (UITableViewRowIndex { 0, 2 }));
    EXPECT_EQ(update.newIndex({ 0, 2 }), std::nullopt);
    EXPECT_EQ(update.newIndex({ 0, 3 }), (UITableViewRowIndex { 0, 3 }));
    EXPECT_EQ(update.newIndex({ 0, 4 }), (UITableViewRowIndex { 0, 5 }));
    EXPECT_EQ(update.newIndex({ 0, 9 }), (UITableViewRowIndex { 0, 9 }));
    EXPECT_TRUE(update.isFresh({ 0, 0 }, 1));
    EXPECT_TRUE(update.isFresh({ 0, 4 }, 1));
    EXPECT_FALSE(update.isFresh({ 0, 5 }, 1));
    EXPECT_EQ(update.expectedRowCount(0, { 10 }), 10);
}

TEST(UITableViewUpdate, mapsSectionsAndDropsReloadedRows)
{
    UITableViewUpdate update;
    update.deleteSection(1);
    update.insertSection(0);
    update.reloadRow({ 2, 1 });
    update.reloadSection(3);
    EXPECT_EQ(update.newSection(0), 1);
    EXPECT_EQ(update.newSection(1), std::nullopt);
    EXPECT_EQ(update.newSection(2), 2);
    EXPECT_EQ(update.oldSection(0, 4), std::nullopt);
    EXPECT_EQ(update.oldSection(2, 4), 2);
    EXPECT_EQ(update.newIndex({ 1, 0 }), std::nullopt);
    EXPECT_EQ(update.newIndex({ 2, 1 }), std::nullopt);
    EXPECT_EQ(update.newIndex({ 2, 2 }), (UITableViewRowIndex { 2, 2 }));
    EXPECT_EQ(update.newIndex({ 3, 0 }), std::nullopt);
    EXPECT_TRUE(update.isFresh({ 0, 3 }, 4));
    EXPECT_TRUE(update.isFresh({ 3, 0 }, 4));
    EXPECT_FALSE(update.isFresh({ 2, 1 }, 4));
    EXPECT_EQ(update.expectedSectionCount(4), 4);
    EXPECT_EQ(update.expectedRowCount(0, { 5, 5, 5, 5 }), std::nullopt);
    EXPECT_EQ(update.expectedRowCount(3, { 5, 5, 5, 5 }), std::nullopt);
    EXPECT_EQ(update.expectedRowCount(1, { 7, 5, 5, 5 }), 7);
}

TEST(UITableViewUpdate, indexesOutOfRangeRaiseRangeExceptions)
{
    const auto raisesRange = [](const UITableViewUpdate& update, std::vector<NSInteger> before, std::vector<NSInteger> after) {
        try {
            update.validate(before, after);
        } catch (const NSException& exception) {
            return exception.name() == NSString(NSRangeException);
        }
        return false;
    };
    UITableViewUpdate deletion;
    deletion.deleteRow({ 0, 3 });
    EXPECT_TRUE(raisesRange(deletion, { 3 }, { 2 }));
    EXPECT_FALSE(raisesRange(deletion, { 4 }, { 3 }));
    UITableViewUpdate insertion;
    insertion.insertRow({ 0, 4 });
    EXPECT_TRUE(raisesRange(insertion, { 3 }, { 4 }));
    UITableViewUpdate wrongSection;
    wrongSection.reloadRow({ 2, 0 });
    EXPECT_TRUE(raisesRange(wrongSection, { 3 }, { 3 }));
    UITableViewUpdate sections;
    sections.deleteSection(1);
    EXPECT_TRUE(raisesRange(sections, { 3 }, {}));
    UITableViewUpdate newSection;
    newSection.insertSection(1);
    EXPECT_TRUE(raisesRange(newSection, { 3 }, { 3 }));
    UITableViewUpdate negative;
    negative.deleteRow({ 0, -1 });
    EXPECT_TRUE(raisesRange(negative, { 3 }, { 3 }));
}
