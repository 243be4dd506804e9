#pragma once
// Key-value collections with `id` keys compared by isEqual and hash. The ordinary dictionary
// enumerates in insertion order, so texts built from it (request bodies, JSON) are deterministic.
// NSDictionary is a class cluster: subclasses may keep their entries their own way and override
// the primitives count(), objectForKey() and nextEntry() (and, for mutable dictionaries,
// setObject/removeObjectForKey); every other operation builds on those.

#include "platform/foundation/NSArray.h"

#include <utility>

class NSMutableDictionary;

class NSDictionary : public NSObject {
    NS_OBJECT(NSDictionary, NSObject)
public:
    struct Entry {
        id key;
        id object;
    };

    static std::shared_ptr<NSDictionary> dictionary() { return create(); }
    static std::shared_ptr<NSDictionary> dictionaryWithObjectsAndKeys(std::initializer_list<std::pair<id, id>> objectsAndKeys);
    static std::shared_ptr<NSDictionary> dictionaryWithDictionary(const std::shared_ptr<NSDictionary>& other);
    static std::shared_ptr<NSDictionary> dictionaryWithObjects(const std::shared_ptr<NSArray>& objects, const std::shared_ptr<NSArray>& keys);

    // Primitives.
    virtual NSUInteger count() const;
    virtual id objectForKey(const id& key) const;
    // Cursor over the entries: from a position (start with 0), the entry found and the position
    // after it; NSNotFound when no entry remains.
    virtual NSUInteger nextEntry(NSUInteger position, const Entry*& entry) const;

    id objectForKey(const NSString& key) const { return objectForKey(static_cast<id>(key)); }
    id objectForKey(const char* key) const { return objectForKey(static_cast<id>(NSString(key))); }
    id operator[](const NSString& key) const { return objectForKey(key); }
    id valueForKey(const NSString& key) const { return objectForKey(key); }

    std::shared_ptr<NSArray> allKeys() const;
    std::shared_ptr<NSArray> allValues() const;
    std::shared_ptr<NSArray> allKeysForObject(const id& object) const;
    std::shared_ptr<NSArray> keysSortedByValueUsingComparator(const std::function<NSComparisonResult(const id&, const id&)>& comparator) const;
    void enumerateKeysAndObjectsUsingBlock(const std::function<void(const id& key, const id& object, bool& stop)>& block) const;
    bool isEqualToDictionary(const std::shared_ptr<NSDictionary>& other) const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return count(); }
    id copy() const override;
    id mutableCopy() const override;
    std::shared_ptr<NSDictionary> copyDictionary() const { return std::static_pointer_cast<NSDictionary>(copy()); }
    std::shared_ptr<NSMutableDictionary> mutableCopyDictionary() const;

    // Range-for over the entries in the dictionary's enumeration order. The entry is the
    // iterator's own, so a body that changes the dictionary still holds it; the next step then
    // raises NSGenericException, as the platform does. `owner` names the collection in the reason.
    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        Iterator(const NSDictionary* dictionary, NSUInteger position, const NSObject* owner = nullptr);
        const Entry& operator*() const { return m_entry; }
        const Entry* operator->() const { return &m_entry; }
        Iterator& operator++();
        bool operator==(const Iterator& other) const { return m_next == other.m_next && m_atEnd == other.m_atEnd; }
    private:
        void load(NSUInteger position);

        const NSDictionary* m_dictionary;
        const NSObject* m_owner;
        NSUInteger m_next { NSNotFound };
        bool m_atEnd { true };
        std::uint64_t m_mutations;
        Entry m_entry;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, NSNotFound); }

protected:
    void init(const std::vector<Entry>& entries);

    // The ordinary dictionary's storage: entries in insertion order (erased ones have no key),
    // and, once there are more than a few, an open-addressing index of entry positions.
    NSUInteger storedIndexOfKey(const id& key, NSUInteger hash) const;
    void storeObject(const id& object, const id& key);
    void eraseStoredKey(const id& key);
    void clearStorage();
    void rebuildIndex();

    // Every mutating primitive, a subclass's included, calls this.
    void noteMutation() { ++m_mutations; }

    std::vector<Entry> m_entries;
    std::vector<NSUInteger> m_hashes;
    std::vector<std::uint32_t> m_index;
    NSUInteger m_count { 0 };

private:
    std::uint64_t m_mutations { 0 };
};

class NSMutableDictionary : public NSDictionary {
    NS_OBJECT(NSMutableDictionary, NSDictionary)
public:
    static std::shared_ptr<NSMutableDictionary> dictionary() { return create(); }
    static std::shared_ptr<NSMutableDictionary> dictionaryWithCapacity(NSUInteger capacity);
    static std::shared_ptr<NSMutableDictionary> dictionaryWithDictionary(const std::shared_ptr<NSDictionary>& other);

    // Primitives. A nil object or key raises NSInvalidArgumentException, as the platform does;
    // keys are copied, so a mutable key changed later does not corrupt the table.
    virtual void setObject(const id& object, const id& key);
    virtual void removeObjectForKey(const id& key);

    void setObject(const id& object, const NSString& key) { setObject(object, static_cast<id>(key)); }
    void setObject(const id& object, const char* key) { setObject(object, static_cast<id>(NSString(key))); }
    void setObject(const NSString& object, const NSString& key) { setObject(static_cast<id>(object), static_cast<id>(key)); }
    void setObject(const NSString& object, const char* key) { setObject(static_cast<id>(object), static_cast<id>(NSString(key))); }
    void removeObjectForKey(const NSString& key) { removeObjectForKey(static_cast<id>(key)); }
    void removeObjectForKey(const char* key) { removeObjectForKey(static_cast<id>(NSString(key))); }
    // setValue:forKey: leaves the key out for nil, where setObject:forKey: raises.
    void setValue(const id& object, const NSString& key);
    void removeAllObjects();
    void removeObjectsForKeys(const std::shared_ptr<NSArray>& keys);
    void addEntriesFromDictionary(const std::shared_ptr<NSDictionary>& other);
    void setDictionary(const std::shared_ptr<NSDictionary>& other);

    id copy() const override;
};

namespace ns {
// A dictionary from key-object pairs: ns::dictionary({ { "METHOD", NSString("login") } }).
std::shared_ptr<NSDictionary> dictionary(std::initializer_list<std::pair<NSString, id>> entries);
std::shared_ptr<NSMutableDictionary> mutableDictionary(std::initializer_list<std::pair<NSString, id>> entries = {});
} // namespace ns
