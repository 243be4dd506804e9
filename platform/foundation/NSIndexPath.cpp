#include "platform/foundation/NSIndexPath.h"

#include <algorithm>

std::shared_ptr<NSIndexPath> NSIndexPath::indexPathByAddingIndex(NSUInteger index) const
{
    auto indexes = m_indexes;
    indexes.push_back(index);
    return create(std::move(indexes));
}

std::shared_ptr<NSIndexPath> NSIndexPath::indexPathByRemovingLastIndex() const
{
    auto indexes = m_indexes;
    if (!indexes.empty())
        indexes.pop_back();
    return create(std::move(indexes));
}

NSComparisonResult NSIndexPath::compare(const std::shared_ptr<NSIndexPath>& other) const
{
    if (!other)
        return NSOrderedDescending;
    auto order = std::lexicographical_compare_three_way(m_indexes.begin(), m_indexes.end(), other->m_indexes.begin(), other->m_indexes.end());
    return order < 0 ? NSOrderedAscending : (order > 0 ? NSOrderedDescending : NSOrderedSame);
}

NSString NSIndexPath::description() const
{
    auto text = NSMutableString::stringWithString("<NSIndexPath> {length = ");
    text->appendFormat("%lu, path = ", length());
    for (size_t i = 0; i < m_indexes.size(); ++i)
        text->appendFormat(i ? " - %lu" : "%lu", m_indexes[i]);
    text->appendString("}");
    return NSString(std::u16string(text->characters()));
}

bool NSIndexPath::isEqual(const id& other) const
{
    auto path = ns::cast<NSIndexPath>(other);
    return path && path->m_indexes == m_indexes;
}

NSUInteger NSIndexPath::hash() const
{
    NSUInteger hash = m_indexes.size();
    for (NSUInteger index : m_indexes)
        hash = hash * 31 + index;
    return hash;
}

id NSIndexPath::copy() const
{
    return std::const_pointer_cast<NSIndexPath>(self());
}
