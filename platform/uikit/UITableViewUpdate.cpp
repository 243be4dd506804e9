#include "platform/uikit/UITableViewUpdate.h"

#include "platform/foundation/NSException.h"

bool UITableViewUpdate::isEmpty() const
{
    return m_deletedSections.empty() && m_insertedSections.empty() && m_reloadedSections.empty()
        && m_deletedRows.empty() && m_insertedRows.empty() && m_reloadedRows.empty();
}

NSInteger UITableViewUpdate::countBelow(const std::set<NSInteger>& indexes, NSInteger index)
{
    return NSInteger(std::distance(indexes.begin(), indexes.lower_bound(index)));
}

NSInteger UITableViewUpdate::shiftPastInsertions(const std::set<NSInteger>& insertions, NSInteger index)
{
    // Insertions are in final positions: each one at or before the running index pushes it on.
    for (const NSInteger inserted : insertions) {
        if (inserted > index)
            break;
        ++index;
    }
    return index;
}

std::optional<NSInteger> UITableViewUpdate::newSection(NSInteger oldSection) const
{
    if (m_deletedSections.contains(oldSection))
        return std::nullopt;
    return shiftPastInsertions(m_insertedSections, oldSection - countBelow(m_deletedSections, oldSection));
}

std::optional<NSInteger> UITableViewUpdate::oldSection(NSInteger newSection, NSInteger oldSectionCount) const
{
    if (m_insertedSections.contains(newSection))
        return std::nullopt;
    for (NSInteger old = 0; old < oldSectionCount; ++old)
        if (this->newSection(old) == newSection)
            return old;
    return std::nullopt;
}

std::optional<UITableViewRowIndex> UITableViewUpdate::newIndex(UITableViewRowIndex oldIndex) const
{
    if (m_reloadedSections.contains(oldIndex.section))
        return std::nullopt;
    const auto section = newSection(oldIndex.section);
    if (!section)
        return std::nullopt;
    NSInteger row = oldIndex.row;
    if (auto deleted = m_deletedRows.find(oldIndex.section); deleted != m_deletedRows.end()) {
        if (deleted->second.contains(row))
            return std::nullopt;
        row -= countBelow(deleted->second, row);
    }
    if (auto reloaded = m_reloadedRows.find(oldIndex.section); reloaded != m_reloadedRows.end() && reloaded->second.contains(oldIndex.row))
        return std::nullopt;
    if (auto inserted = m_insertedRows.find(*section); inserted != m_insertedRows.end())
        row = shiftPastInsertions(inserted->second, row);
    return UITableViewRowIndex { *section, row };
}

bool UITableViewUpdate::isFresh(UITableViewRowIndex index, NSInteger oldSectionCount) const
{
    const auto old = oldSection(index.section, oldSectionCount);
    if (!old || m_reloadedSections.contains(*old))
        return true;
    if (auto inserted = m_insertedRows.find(index.section); inserted != m_insertedRows.end() && inserted->second.contains(index.row))
        return true;
    return false;
}

NSInteger UITableViewUpdate::expectedSectionCount(NSInteger oldSectionCount) const
{
    return oldSectionCount - NSInteger(m_deletedSections.size()) + NSInteger(m_insertedSections.size());
}

std::optional<NSInteger> UITableViewUpdate::expectedRowCount(NSInteger newSection, const std::vector<NSInteger>& oldRowCounts) const
{
    const auto old = oldSection(newSection, NSInteger(oldRowCounts.size()));
    if (!old || m_reloadedSections.contains(*old))
        return std::nullopt;
    NSInteger count = oldRowCounts[size_t(*old)];
    if (auto deleted = m_deletedRows.find(*old); deleted != m_deletedRows.end())
        count -= NSInteger(deleted->second.size());
    if (auto inserted = m_insertedRows.find(newSection); inserted != m_insertedRows.end())
        count += NSInteger(inserted->second.size());
    return count;
}

void UITableViewUpdate::validate(const std::vector<NSInteger>& oldRowCounts, const std::vector<NSInteger>& newRowCounts) const
{
    const auto oldSections = NSInteger(oldRowCounts.size());
    const auto newSections = NSInteger(newRowCounts.size());
    for (const auto* sections : { &m_deletedSections, &m_reloadedSections })
        for (const NSInteger section : *sections)
            if (section < 0 || section >= oldSections)
                NSException::raise(NSRangeException, "section %ld beyond bounds [0 .. %ld]", long(section), long(oldSections) - 1);
    for (const NSInteger section : m_insertedSections)
        if (section < 0 || section >= newSections)
            NSException::raise(NSRangeException, "inserted section %ld beyond bounds [0 .. %ld]", long(section), long(newSections) - 1);
    for (const auto* rows : { &m_deletedRows, &m_reloadedRows })
        for (const auto& [section, indexes] : *rows) {
            const NSInteger count = section >= 0 && section < oldSections ? oldRowCounts[size_t(section)] : 0;
            for (const NSInteger row : indexes)
                if (row < 0 || row >= count)
                    NSException::raise(NSRangeException, "row %ld beyond bounds [0 .. %ld] of section %ld", long(row), long(count) - 1, long(section));
        }
    for (const auto& [section, indexes] : m_insertedRows) {
        const NSInteger count = section >= 0 && section < newSections ? newRowCounts[size_t(section)] : 0;
        for (const NSInteger row : indexes)
            if (row < 0 || row >= count)
                NSException::raise(NSRangeException, "inserted row %ld beyond bounds [0 .. %ld] of section %ld", long(row), long(count) - 1, long(section));
    }
}
