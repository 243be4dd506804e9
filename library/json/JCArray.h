#pragma once
// The arrays of decoded JSON: one contiguous member list, immutable unless the parse asked for
// mutable collections. Every other array operation builds on the primitives overridden here.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/PassKey.h"

class JSONDecoder;

class JCArray : public NSMutableArray {
    NS_OBJECT(JCArray, NSMutableArray)
public:
    ~JCArray() override;

    NSUInteger count() const override { return m_objects.size(); }
    id objectAtIndex(NSUInteger index) const override;
    // Copies the members of the range into the buffer.
    void getObjects(id* objects, NSRange range) const;

    void insertObject(const id& object, NSUInteger index) override;
    void removeObjectAtIndex(NSUInteger index) override;
    void replaceObjectAtIndex(NSUInteger index, const id& object) override;

    id copy() const override;
    id mutableCopy() const override;

    NSUInteger capacity() const { return m_objects.capacity(); }
    // 0 for an immutable array; changes with every mutation of a mutable one, never becoming 0.
    NSUInteger mutations() const { return m_mutations; }

protected:
    // The ordinary ways of making an array are refused: the class is private to the codec.
    void init();
    void init(std::vector<id> objects);
    void init(PassKey<JSONDecoder>, std::vector<id> objects, bool mutableCollection);

private:
    void requireMutable(const char* operation) const;
    void advanceMutations();

    NSUInteger m_mutations { 0 };
};
