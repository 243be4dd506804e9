#pragma once
// Ordered collections of objects. NSArray is a class cluster: subclasses may keep their members
// their own way and override the primitives count() and objectAtIndex() (and, for mutable arrays,
// insertObject/removeObjectAtIndex/replaceObjectAtIndex); every other operation builds on those.

#include "platform/foundation/NSString.h"

#include <functional>
#include <initializer_list>
#include <iterator>
#include <vector>

class NSMutableArray;

class NSArray : public NSObject {
    NS_OBJECT(NSArray, NSObject)
public:
    static std::shared_ptr<NSArray> array() { return create(); }
    static std::shared_ptr<NSArray> arrayWithObject(const id& object);
    static std::shared_ptr<NSArray> arrayWithObjects(std::initializer_list<id> objects) { return create(std::vector<id>(objects)); }
    static std::shared_ptr<NSArray> arrayWithArray(const std::shared_ptr<NSArray>& other);

    // Primitives.
    virtual NSUInteger count() const { return m_objects.size(); }
    // Raises NSRangeException past the end, as the platform does.
    virtual id objectAtIndex(NSUInteger index) const;

    id operator[](NSUInteger index) const { return objectAtIndex(index); }
    id firstObject() const { return count() ? objectAtIndex(0) : nullptr; }
    id lastObject() const { return count() ? objectAtIndex(count() - 1) : nullptr; }
    // The member at the index, or nil past the end: for reading untrusted replies.
    id objectAtIndexOrNil(NSUInteger index) const { return index < count() ? objectAtIndex(index) : nullptr; }
    bool containsObject(const id& object) const { return indexOfObject(object) != NSNotFound; }
    NSUInteger indexOfObject(const id& object) const;
    NSUInteger indexOfObjectIdenticalTo(const id& object) const;
    std::vector<id> objects() const;
    std::shared_ptr<NSArray> subarrayWithRange(NSRange range) const;
    std::shared_ptr<NSArray> arrayByAddingObject(const id& object) const;
    std::shared_ptr<NSArray> arrayByAddingObjectsFromArray(const std::shared_ptr<NSArray>& other) const;
    NSString componentsJoinedByString(const NSString& separator) const;
    std::shared_ptr<NSArray> sortedArrayUsingComparator(const std::function<NSComparisonResult(const id&, const id&)>& comparator) const;
    std::shared_ptr<NSArray> filteredArrayUsingPredicate(const std::function<bool(const id&)>& predicate) const;
    std::shared_ptr<NSArray> reverseObjectEnumerator() const;
    void enumerateObjectsUsingBlock(const std::function<void(const id& object, NSUInteger index, bool& stop)>& block) const;
    bool isEqualToArray(const std::shared_ptr<NSArray>& other) const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return count(); }
    id copy() const override;
    id mutableCopy() const override;
    std::shared_ptr<NSArray> copyArray() const { return std::static_pointer_cast<NSArray>(copy()); }
    std::shared_ptr<NSMutableArray> mutableCopyArray() const;

    // Range-for over the members. Changing the array while it is enumerated raises
    // NSGenericException at the next step, as the platform does.
    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = id;
        using difference_type = std::ptrdiff_t;
        Iterator(const NSArray* array, NSUInteger index) : m_array(array), m_index(index), m_mutations(array->m_mutations) { }
        id operator*() const { return m_array->objectAtIndex(m_index); }
        Iterator& operator++();
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }
    private:
        const NSArray* m_array;
        NSUInteger m_index;
        std::uint64_t m_mutations;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, count()); }

protected:
    void init(std::vector<id> objects);
    // Every mutating primitive, a subclass's included, calls this.
    void noteMutation() { ++m_mutations; }

    std::vector<id> m_objects;

private:
    std::uint64_t m_mutations { 0 };
};

namespace ns {
// Raises NSGenericException for a collection changed while it was being enumerated.
[[noreturn]] void raiseMutatedWhileEnumerating(const NSObject& collection);
} // namespace ns

class NSMutableArray : public NSArray {
    NS_OBJECT(NSMutableArray, NSArray)
public:
    static std::shared_ptr<NSMutableArray> array() { return create(); }
    static std::shared_ptr<NSMutableArray> arrayWithCapacity(NSUInteger capacity);
    static std::shared_ptr<NSMutableArray> arrayWithArray(const std::shared_ptr<NSArray>& other);

    // Primitives. Nil members are refused with NSInvalidArgumentException, as the platform does.
    virtual void insertObject(const id& object, NSUInteger index);
    virtual void removeObjectAtIndex(NSUInteger index);
    virtual void replaceObjectAtIndex(NSUInteger index, const id& object);

    void addObject(const id& object) { insertObject(object, count()); }
    void addObjectsFromArray(const std::shared_ptr<NSArray>& other);
    void removeLastObject();
    void removeAllObjects();
    void removeObject(const id& object);
    void removeObjectIdenticalTo(const id& object);
    void removeObjectsInRange(NSRange range);
    void exchangeObjectAtIndex(NSUInteger first, NSUInteger second);
    void setArray(const std::shared_ptr<NSArray>& other);
    void sortUsingComparator(const std::function<NSComparisonResult(const id&, const id&)>& comparator);

    id copy() const override;
};

// Boxes a list of values into an array: ns::array({ NSString("a"), number }).
namespace ns {
inline std::shared_ptr<NSArray> array(std::initializer_list<id> objects) { return NSArray::arrayWithObjects(objects); }
} // namespace ns
