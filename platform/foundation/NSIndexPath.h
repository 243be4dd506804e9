#pragma once
// A path of indexes into nested collections; tables read it as a section and a row.

#include "platform/foundation/NSString.h"

#include <vector>

class NSIndexPath final : public NSObject {
    NS_OBJECT(NSIndexPath, NSObject)
public:
    static std::shared_ptr<NSIndexPath> indexPathForRow(NSInteger row, NSInteger section) { return create(std::vector<NSUInteger> { NSUInteger(section), NSUInteger(row) }); }
    static std::shared_ptr<NSIndexPath> indexPathForItem(NSInteger item, NSInteger section) { return indexPathForRow(item, section); }
    static std::shared_ptr<NSIndexPath> indexPathWithIndex(NSUInteger index) { return create(std::vector<NSUInteger> { index }); }
    static std::shared_ptr<NSIndexPath> indexPathWithIndexes(const std::vector<NSUInteger>& indexes) { return create(indexes); }

    NSUInteger length() const { return m_indexes.size(); }
    // NSNotFound past the end, as the platform answers.
    NSUInteger indexAtPosition(NSUInteger position) const { return position < m_indexes.size() ? m_indexes[position] : NSNotFound; }
    NSInteger section() const { return NSInteger(indexAtPosition(0)); }
    NSInteger row() const { return NSInteger(indexAtPosition(1)); }
    NSInteger item() const { return row(); }
    std::shared_ptr<NSIndexPath> indexPathByAddingIndex(NSUInteger index) const;
    std::shared_ptr<NSIndexPath> indexPathByRemovingLastIndex() const;
    NSComparisonResult compare(const std::shared_ptr<NSIndexPath>& other) const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;

protected:
    void init(std::vector<NSUInteger> indexes) { m_indexes = std::move(indexes); }

    std::vector<NSUInteger> m_indexes;
};
