#include "platform/foundation/NSArray.h"

#include "platform/foundation/NSException.h"

#include <algorithm>

namespace {

[[noreturn]] void raiseIndex(const char* operation, NSUInteger index, NSUInteger count)
{
    NSException::raise(NSRangeException, "-[NSArray %s]: index %lu beyond bounds [0 .. %ld]", operation, index,
        NSInteger(count) - 1);
}

void requireObject(const id& object, const char* operation)
{
    if (!object)
        NSException::raise(NSInvalidArgumentException, "-[NSMutableArray %s]: object cannot be nil", operation);
}

NSString indented(const NSString& text)
{
    return text.stringByReplacingOccurrencesOfString("\n", "\n    ");
}

} // namespace

void NSArray::init(std::vector<id> objects)
{
    for (const auto& object : objects)
        requireObject(object, "initWithObjects:");
    m_objects = std::move(objects);
}

std::shared_ptr<NSArray> NSArray::arrayWithObject(const id& object)
{
    return create(std::vector<id> { object });
}

std::shared_ptr<NSArray> NSArray::arrayWithArray(const std::shared_ptr<NSArray>& other)
{
    return create(other ? other->objects() : std::vector<id> {});
}

id NSArray::objectAtIndex(NSUInteger index) const
{
    if (index >= m_objects.size())
        raiseIndex("objectAtIndex:", index, m_objects.size());
    return m_objects[index];
}

NSUInteger NSArray::indexOfObject(const id& object) const
{
    if (!object)
        return NSNotFound;
    const NSUInteger n = count();
    for (NSUInteger i = 0; i < n; ++i) {
        if (ns::isEqual(objectAtIndex(i), object))
            return i;
    }
    return NSNotFound;
}

NSUInteger NSArray::indexOfObjectIdenticalTo(const id& object) const
{
    const NSUInteger n = count();
    for (NSUInteger i = 0; i < n; ++i) {
        if (objectAtIndex(i) == object)
            return i;
    }
    return NSNotFound;
}

std::vector<id> NSArray::objects() const
{
    std::vector<id> all;
    const NSUInteger n = count();
    all.reserve(n);
    for (NSUInteger i = 0; i < n; ++i)
        all.push_back(objectAtIndex(i));
    return all;
}

std::shared_ptr<NSArray> NSArray::subarrayWithRange(NSRange range) const
{
    if (range.location > count() || range.length > count() - range.location)
        raiseIndex("subarrayWithRange:", range.end(), count());
    std::vector<id> part;
    part.reserve(range.length);
    for (NSUInteger i = range.location; i < range.end(); ++i)
        part.push_back(objectAtIndex(i));
    return create(std::move(part));
}

std::shared_ptr<NSArray> NSArray::arrayByAddingObject(const id& object) const
{
    auto all = objects();
    all.push_back(object);
    return create(std::move(all));
}

std::shared_ptr<NSArray> NSArray::arrayByAddingObjectsFromArray(const std::shared_ptr<NSArray>& other) const
{
    auto all = objects();
    if (other) {
        for (const auto& object : *other)
            all.push_back(object);
    }
    return create(std::move(all));
}

NSString NSArray::componentsJoinedByString(const NSString& separator) const
{
    auto joined = NSMutableString::create();
    const NSUInteger n = count();
    for (NSUInteger i = 0; i < n; ++i) {
        if (i)
            joined->appendString(separator);
        joined->appendString(objectAtIndex(i)->description());
    }
    return NSString(std::u16string(joined->characters()));
}

std::shared_ptr<NSArray> NSArray::sortedArrayUsingComparator(const std::function<NSComparisonResult(const id&, const id&)>& comparator) const
{
    auto all = objects();
    std::stable_sort(all.begin(), all.end(), [&](const id& a, const id& b) { return comparator(a, b) == NSOrderedAscending; });
    return create(std::move(all));
}

std::shared_ptr<NSArray> NSArray::filteredArrayUsingPredicate(const std::function<bool(const id&)>& predicate) const
{
    std::vector<id> kept;
    for (const auto& object : *this) {
        if (predicate(object))
            kept.push_back(object);
    }
    return create(std::move(kept));
}

std::shared_ptr<NSArray> NSArray::reverseObjectEnumerator() const
{
    auto all = objects();
    std::reverse(all.begin(), all.end());
    return create(std::move(all));
}

void NSArray::enumerateObjectsUsingBlock(const std::function<void(const id& object, NSUInteger index, bool& stop)>& block) const
{
    bool stop = false;
    NSUInteger index = 0;
    for (auto it = begin(), last = end(); it != last && !stop; ++it)
        block(*it, index++, stop);
}

NSArray::Iterator& NSArray::Iterator::operator++()
{
    if (m_array->m_mutations != m_mutations)
        ns::raiseMutatedWhileEnumerating(*m_array);
    ++m_index;
    return *this;
}

void ns::raiseMutatedWhileEnumerating(const NSObject& collection)
{
    NSException::raise(NSGenericException, "*** Collection <%s: %p> was mutated while being enumerated.",
        collection.className(), static_cast<const void*>(&collection));
}

bool NSArray::isEqualToArray(const std::shared_ptr<NSArray>& other) const
{
    if (!other || other->count() != count())
        return false;
    const NSUInteger n = count();
    for (NSUInteger i = 0; i < n; ++i) {
        if (!ns::isEqual(objectAtIndex(i), other->objectAtIndex(i)))
            return false;
    }
    return true;
}

NSString NSArray::description() const
{
    auto text = NSMutableString::stringWithString("(");
    const NSUInteger n = count();
    for (NSUInteger i = 0; i < n; ++i) {
        text->appendString(i ? ",\n    " : "\n    ");
        text->appendString(indented(objectAtIndex(i)->description()));
    }
    text->appendString(n ? "\n)" : ")");
    return NSString(std::u16string(text->characters()));
}

bool NSArray::isEqual(const id& other) const
{
    return isEqualToArray(ns::cast<NSArray>(other));
}

id NSArray::copy() const
{
    return create(objects());
}

id NSArray::mutableCopy() const
{
    return NSMutableArray::create(objects());
}

std::shared_ptr<NSMutableArray> NSArray::mutableCopyArray() const
{
    return std::static_pointer_cast<NSMutableArray>(mutableCopy());
}

// MARK: - NSMutableArray

std::shared_ptr<NSMutableArray> NSMutableArray::arrayWithCapacity(NSUInteger capacity)
{
    auto array = create();
    array->m_objects.reserve(capacity);
    return array;
}

std::shared_ptr<NSMutableArray> NSMutableArray::arrayWithArray(const std::shared_ptr<NSArray>& other)
{
    return create(other ? other->objects() : std::vector<id> {});
}

void NSMutableArray::insertObject(const id& object, NSUInteger index)
{
    requireObject(object, "insertObject:atIndex:");
    if (index > m_objects.size())
        raiseIndex("insertObject:atIndex:", index, m_objects.size());
    m_objects.insert(m_objects.begin() + std::ptrdiff_t(index), object);
    noteMutation();
}

void NSMutableArray::removeObjectAtIndex(NSUInteger index)
{
    if (index >= m_objects.size())
        raiseIndex("removeObjectAtIndex:", index, m_objects.size());
    m_objects.erase(m_objects.begin() + std::ptrdiff_t(index));
    noteMutation();
}

void NSMutableArray::replaceObjectAtIndex(NSUInteger index, const id& object)
{
    requireObject(object, "replaceObjectAtIndex:withObject:");
    if (index >= m_objects.size())
        raiseIndex("replaceObjectAtIndex:withObject:", index, m_objects.size());
    m_objects[index] = object;
    noteMutation();
}

void NSMutableArray::addObjectsFromArray(const std::shared_ptr<NSArray>& other)
{
    if (!other)
        return;
    for (const auto& object : other->objects())
        addObject(object);
}

void NSMutableArray::removeLastObject()
{
    if (count())
        removeObjectAtIndex(count() - 1);
}

void NSMutableArray::removeAllObjects()
{
    while (count())
        removeObjectAtIndex(count() - 1);
}

void NSMutableArray::removeObject(const id& object)
{
    for (NSUInteger i = count(); i-- > 0;) {
        if (ns::isEqual(objectAtIndex(i), object))
            removeObjectAtIndex(i);
    }
}

void NSMutableArray::removeObjectIdenticalTo(const id& object)
{
    for (NSUInteger i = count(); i-- > 0;) {
        if (objectAtIndex(i) == object)
            removeObjectAtIndex(i);
    }
}

void NSMutableArray::removeObjectsInRange(NSRange range)
{
    if (range.location > count() || range.length > count() - range.location)
        raiseIndex("removeObjectsInRange:", range.end(), count());
    for (NSUInteger i = range.length; i-- > 0;)
        removeObjectAtIndex(range.location + i);
}

void NSMutableArray::exchangeObjectAtIndex(NSUInteger first, NSUInteger second)
{
    id a = objectAtIndex(first);
    id b = objectAtIndex(second);
    replaceObjectAtIndex(first, b);
    replaceObjectAtIndex(second, a);
}

void NSMutableArray::setArray(const std::shared_ptr<NSArray>& other)
{
    auto replacement = other ? other->objects() : std::vector<id> {};
    removeAllObjects();
    for (const auto& object : replacement)
        addObject(object);
}

void NSMutableArray::sortUsingComparator(const std::function<NSComparisonResult(const id&, const id&)>& comparator)
{
    setArray(sortedArrayUsingComparator(comparator));
}

id NSMutableArray::copy() const
{
    return NSArray::create(objects());
}
