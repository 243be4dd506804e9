#pragma once
// The objects of decoded JSON, immutable unless the parse asked for mutable collections. The
// entries are kept in the order their keys first appeared in the text (later ones appended), so
// enumeration and re-encoded text never depend on the per-process string hash. Keys are found
// through an open-addressing index of entry positions with linear probing, whose capacity is
// always one of a fixed list of primes. A small immutable dictionary with distinct keys (most rows
// of a reply) is flat: it has no index and no key hashes, and finds a key by comparing texts along
// its entries, which for so few entries costs less than hashing the key.

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/PassKey.h"

#include <cstdint>
#include <memory>

class JCDictionaryEnumerator;
class JSONDecoder;

struct JCHashTableEntry {
    NSUInteger keyHash { 0 };
    // A removed entry has neither key nor object.
    NSDictionary::Entry entry;
};

// The most entries a decoded dictionary keeps flat. A repeated key is looked for among the keys
// whose hashes meet, at worst every pair, so the limit also bounds what colliding keys can cost.
inline constexpr NSUInteger JCDictionaryFlatLimit = 16;

// The capacity for n entries: the first table value at or above n × 1.33; NSNotFound when n is
// beyond the last value.
NSUInteger JCDictionaryCapacityForCount(NSUInteger count);

class JCDictionary : public NSMutableDictionary {
    NS_OBJECT(JCDictionary, NSMutableDictionary)
public:
    ~JCDictionary() override;

    // The flat form, immutable, in one allocation with its entries: at most JCDictionaryFlatLimit
    // keys, all of them the codec's unchanging strings and no two equal. Takes them over.
    static std::shared_ptr<JCDictionary> flatDictionary(PassKey<JSONDecoder>, id* keys, id* objects, NSUInteger count);

    NSUInteger count() const override { return m_count; }
    id objectForKey(const id& key) const override;
    NSUInteger nextEntry(NSUInteger position, const Entry*& entry) const override;
    // Fills either buffer (each may be null) in enumeration order.
    void getObjects(id* objects, id* keys) const;
    std::shared_ptr<JCDictionaryEnumerator> keyEnumerator() const;

    void setObject(const id& object, const id& key) override;
    void removeObjectForKey(const id& key) override;
    using NSMutableDictionary::objectForKey;
    using NSMutableDictionary::removeObjectForKey;
    using NSMutableDictionary::setObject;

    id copy() const override;
    id mutableCopy() const override;

    // A flat dictionary answers what its indexed form would have.
    NSUInteger capacity() const { return m_flat ? JCDictionaryCapacityForCount(m_count) : m_capacity; }
    NSUInteger mutations() const { return m_mutations; }
    // The stored entries in enumeration order, removed ones (without a key) included, for the key
    // enumerator.
    NSUInteger storedSlotCount() const { return m_flat ? m_count : m_entry.size(); }
    const Entry& entryAtSlot(NSUInteger slot) const { return m_flat ? m_flat[slot] : m_entry[slot].entry; }

    // For the allocation that places a flat dictionary's entries after it; not for other callers.
    explicit JCDictionary(PassKey<JCDictionary>);

protected:
    void init();
    void init(const std::vector<Entry>& entries);
    // Takes the keys and objects over; an equal key met later replaces the earlier entry's key and
    // object where that entry stands, and those replaced go to `replaced`.
    bool init(PassKey<JSONDecoder>, id* keys, id* objects, const NSUInteger* keyHashes, NSUInteger count, bool mutableCollection,
        std::vector<id>& replaced);

private:
    static constexpr std::uint32_t kEmptySlot = 0;

    // Without an index: compares the texts of string keys, and asks other keys for equality.
    NSUInteger flatPositionOfKey(const id& key) const;
    // The position of the key's entry, or NSNotFound; `indexSlot` gets the index slot holding it.
    NSUInteger positionOfKey(const id& key, NSUInteger keyHash, NSUInteger* indexSlot = nullptr) const;
    void addEntry(NSUInteger keyHash, id key, id object, std::vector<id>* replaced = nullptr);
    void removeEntry(NSUInteger position, NSUInteger indexSlot);
    // Closes the gaps removed entries left and fills `index` of `capacity` slots anew.
    void reindex(std::unique_ptr<std::uint32_t[]> index, NSUInteger capacity);
    void requireMutable(const char* operation) const;

    NSUInteger m_count { 0 };
    NSUInteger m_mutations { 0 };
    NSUInteger m_capacity { 0 };
    std::vector<JCHashTableEntry> m_entry;
    // Entry position + 1 in each of the capacity's slots, kEmptySlot for none; none in the
    // flat form. A bare array: every row of a reply carries this pointer.
    std::unique_ptr<std::uint32_t[]> m_index;
    // The flat form's m_count entries, just after the object; null in the indexed form.
    Entry* m_flat { nullptr };
};
