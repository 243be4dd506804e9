#pragma once
// The objects of decoded JSON: one open-addressing table with linear probing whose capacity is
// always one of a fixed list of primes, immutable unless the parse asked for mutable collections.
// Keys enumerate in slot order, which follows from their hashes and the capacity. A small
// immutable dictionary (most rows of a reply) keeps only its entries, in that same slot order,
// and finds a key by comparing hashes along them: a 14-field row takes 560 bytes, not 920.

#include "library/json/JCCollectionKey.h"
#include "platform/foundation/NSDictionary.h"

class JCDictionaryEnumerator;

struct JCHashTableEntry {
    NSUInteger keyHash { 0 };
    // An empty slot has neither key nor object.
    NSDictionary::Entry entry;
};

// The capacity for n entries: the first table value at or above n × 1.33; NSNotFound when n is
// beyond the last value.
NSUInteger JCDictionaryCapacityForCount(NSUInteger count);

class JCDictionary : public NSMutableDictionary {
    NS_OBJECT(JCDictionary, NSMutableDictionary)
public:
    NSUInteger count() const override { return m_count; }
    id objectForKey(const id& key) const override;
    NSUInteger nextEntry(NSUInteger position, const Entry*& entry) const override;
    // Fills either buffer (each may be null) in slot order.
    void getObjects(id* objects, id* keys) const;
    std::shared_ptr<JCDictionaryEnumerator> keyEnumerator() const;

    void setObject(const id& object, const id& key) override;
    void removeObjectForKey(const id& key) override;
    using NSMutableDictionary::objectForKey;
    using NSMutableDictionary::removeObjectForKey;
    using NSMutableDictionary::setObject;

    id copy() const override;
    id mutableCopy() const override;

    NSUInteger capacity() const { return m_capacity; }
    NSUInteger mutations() const { return m_mutations; }
    // The stored slots in enumeration order, and one of them, for the key enumerator.
    NSUInteger storedSlotCount() const { return m_entry.size(); }
    const JCHashTableEntry& entryAtSlot(NSUInteger slot) const { return m_entry[slot]; }

protected:
    void init();
    void init(const std::vector<Entry>& entries);
    // Takes the keys and objects over; an equal key met later replaces the earlier entry.
    bool init(JCCollectionKey, id* keys, id* objects, const NSUInteger* keyHashes, NSUInteger count, bool mutableCollection);

private:
    // Fills the compact form when every key is distinct and the table is small; false leaves
    // nothing changed.
    bool initCompact(id* keys, id* objects, const NSUInteger* keyHashes, NSUInteger count, NSUInteger capacity);
    NSUInteger slotForKey(const id& key) const;
    void addEntry(NSUInteger keyHash, id key, id object);
    void removeEntryAtSlot(NSUInteger slot);
    void requireMutable(const char* operation) const;

    NSUInteger m_count { 0 };
    NSUInteger m_mutations { 0 };
    NSUInteger m_capacity { 0 };
    bool m_compact { false };
    std::vector<JCHashTableEntry> m_entry;
};
