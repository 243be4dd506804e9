#pragma once
// A batch of changes to a table's sections and rows, and how each row of before the batch maps
// to its place after it. As on the platform, deletions and reloads name rows by their index
// before the batch, insertions by their index after it, whatever order they were asked in.

#include "platform/uikit/UITableViewGeometry.h"

#include <map>
#include <set>

class UITableViewUpdate {
public:
    void deleteSection(NSInteger section) { m_deletedSections.insert(section); }
    void insertSection(NSInteger section) { m_insertedSections.insert(section); }
    void reloadSection(NSInteger section) { m_reloadedSections.insert(section); }
    void deleteRow(UITableViewRowIndex index) { m_deletedRows[index.section].insert(index.row); }
    void insertRow(UITableViewRowIndex index) { m_insertedRows[index.section].insert(index.row); }
    void reloadRow(UITableViewRowIndex index) { m_reloadedRows[index.section].insert(index.row); }
    bool isEmpty() const;

    // Where a section of before lands; none when it is deleted.
    std::optional<NSInteger> newSection(NSInteger oldSection) const;
    // The section of before that a section after comes from; none when it is inserted.
    std::optional<NSInteger> oldSection(NSInteger newSection, NSInteger oldSectionCount) const;
    // Where a row of before lands; none when it or its section is deleted or reloaded, since
    // its cell must not be shown for another row.
    std::optional<UITableViewRowIndex> newIndex(UITableViewRowIndex oldIndex) const;
    // Whether a row after the batch is new (inserted, reloaded, or in a new or reloaded section).
    bool isFresh(UITableViewRowIndex newIndex, NSInteger oldSectionCount) const;

    // The section count after the batch that the counts before it imply.
    NSInteger expectedSectionCount(NSInteger oldSectionCount) const;
    // The row count of a section after the batch that the counts before it imply; none for an
    // inserted or reloaded section, whose count is the data source's to say.
    std::optional<NSInteger> expectedRowCount(NSInteger newSection, const std::vector<NSInteger>& oldRowCounts) const;

    // Every index the batch names must exist where it is read: deletions and reloads before
    // the batch, insertions after it. Raises NSRangeException otherwise.
    void validate(const std::vector<NSInteger>& oldRowCounts, const std::vector<NSInteger>& newRowCounts) const;

private:
    static NSInteger countBelow(const std::set<NSInteger>& indexes, NSInteger index);
    static NSInteger shiftPastInsertions(const std::set<NSInteger>& insertions, NSInteger index);

    std::set<NSInteger> m_deletedSections;
    std::set<NSInteger> m_insertedSections;
    std::set<NSInteger> m_reloadedSections;
    std::map<NSInteger, std::set<NSInteger>> m_deletedRows;
    std::map<NSInteger, std::set<NSInteger>> m_insertedRows;
    std::map<NSInteger, std::set<NSInteger>> m_reloadedRows;
};
