#include "library/json/JCDictionary.h"

#include "library/json/JCCollectionSupport.h"
#include "library/json/JCDictionaryEnumerator.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <utility>

using namespace JCCollectionSupport;

namespace {

constexpr const char* kClassName = "JCDictionary";

constexpr std::array<NSUInteger, 40> kCapacities {
    0, 3, 7, 13, 23, 41, 71, 127, 191, 251, 383, 631, 1087, 1723, 2803, 4523, 7351, 11959, 19447, 31231, 50683, 81919, 132607,
    214519, 346607, 561109, 907759, 1468927, 2376191, 3845119, 6221311, 10066421, 16287743, 26354171, 42641881, 68996069,
    111638519, 180634607, 292272623, 472907251,
};

// The home slot of a hash. The capacity is nearly always one of the table's, and a remainder by a
// known constant is a multiplication where one by a variable is a slow division.
template <std::size_t... I>
NSUInteger homeSlot(NSUInteger keyHash, NSUInteger capacity, std::index_sequence<I...>)
{
    NSUInteger slot = 0;
    const bool known = ((capacity == kCapacities[I + 1] ? (slot = keyHash % kCapacities[I + 1], true) : false) || ...);
    return known ? slot : keyHash % capacity;
}

NSUInteger homeSlot(NSUInteger keyHash, NSUInteger capacity)
{
    return homeSlot(keyHash, capacity, std::make_index_sequence<kCapacities.size() - 1> {});
}

} // namespace

NSUInteger JCDictionaryCapacityForCount(NSUInteger count)
{
    const auto wanted = static_cast<NSUInteger>(std::floor(double(count) * 1.33));
    const auto found = std::lower_bound(kCapacities.begin(), kCapacities.end(), wanted);
    return found == kCapacities.end() ? NSNotFound : *found;
}

void JCDictionary::init()
{
    raisePrivateClass(kClassName);
}

void JCDictionary::init(const std::vector<Entry>&)
{
    raisePrivateClass(kClassName);
}

bool JCDictionary::init(JCCollectionKey, id* keys, id* objects, const NSUInteger* keyHashes, NSUInteger count, bool mutableCollection)
{
    const NSUInteger capacity = JCDictionaryCapacityForCount(count);
    if (capacity == NSNotFound)
        return false;
    m_capacity = capacity;
    if (!mutableCollection && initCompact(keys, objects, keyHashes, count, capacity))
        return true;
    m_entry.resize(capacity);
    for (NSUInteger i = 0; i < count; ++i)
        addEntry(keyHashes[i], std::move(keys[i]), std::move(objects[i]));
    m_mutations = mutableCollection ? 1 : 0;
    return true;
}

bool JCDictionary::initCompact(id* keys, id* objects, const NSUInteger* keyHashes, NSUInteger count, NSUInteger capacity)
{
    constexpr NSUInteger kLargestCompactCapacity = 41;
    if (capacity > kLargestCompactCapacity || count == 0)
        return false;
    // Where each entry would sit in the table: its home slot, or the next free one after it.
    std::array<std::int8_t, kLargestCompactCapacity> placed;
    placed.fill(-1);
    for (NSUInteger i = 0; i < count; ++i) {
        NSUInteger slot = homeSlot(keyHashes[i], capacity);
        while (placed[slot] >= 0) {
            const NSUInteger other = NSUInteger(placed[slot]);
            // An equal key replaces the earlier one: the table does that with its moves.
            if (keyHashes[other] == keyHashes[i] && (keys[other] == keys[i] || keys[other]->isEqual(keys[i])))
                return false;
            if (++slot == capacity)
                slot = 0;
        }
        placed[slot] = std::int8_t(i);
    }
    m_entry.reserve(count);
    for (NSUInteger slot = 0; slot < capacity; ++slot) {
        if (placed[slot] < 0)
            continue;
        const NSUInteger i = NSUInteger(placed[slot]);
        m_entry.push_back({ keyHashes[i], { std::move(keys[i]), std::move(objects[i]) } });
    }
    m_count = count;
    m_compact = true;
    return true;
}

NSUInteger JCDictionary::slotForKey(const id& key) const
{
    const NSUInteger capacity = m_entry.size();
    if (!key || capacity == 0)
        return NSNotFound;
    const NSUInteger keyHash = key->hash();
    if (m_compact) {
        for (NSUInteger slot = 0; slot < capacity; ++slot) {
            const auto& candidate = m_entry[slot];
            if (candidate.keyHash == keyHash && (candidate.entry.key == key || candidate.entry.key->isEqual(key)))
                return slot;
        }
        return NSNotFound;
    }
    NSUInteger slot = homeSlot(keyHash, capacity);
    for (NSUInteger examined = 0; examined < capacity; ++examined) {
        const auto& candidate = m_entry[slot];
        if (!candidate.entry.key)
            return NSNotFound;
        if (candidate.keyHash == keyHash && (candidate.entry.key == key || candidate.entry.key->isEqual(key)))
            return slot;
        if (++slot == capacity)
            slot = 0;
    }
    return NSNotFound;
}

id JCDictionary::objectForKey(const id& key) const
{
    const NSUInteger slot = slotForKey(key);
    return slot == NSNotFound ? nullptr : m_entry[slot].entry.object;
}

NSUInteger JCDictionary::nextEntry(NSUInteger position, const Entry*& entry) const
{
    for (NSUInteger slot = position; slot < m_entry.size(); ++slot) {
        if (m_entry[slot].entry.key) {
            entry = &m_entry[slot].entry;
            return slot + 1;
        }
    }
    entry = nullptr;
    return NSNotFound;
}

void JCDictionary::getObjects(id* objects, id* keys) const
{
    NSUInteger written = 0;
    for (const auto& slot : m_entry) {
        if (!slot.entry.key)
            continue;
        if (objects)
            objects[written] = slot.entry.object;
        if (keys)
            keys[written] = slot.entry.key;
        ++written;
    }
}

std::shared_ptr<JCDictionaryEnumerator> JCDictionary::keyEnumerator() const
{
    return JCDictionaryEnumerator::create(self());
}

void JCDictionary::addEntry(NSUInteger keyHash, id key, id object)
{
    const NSUInteger capacity = m_entry.size();
    if (capacity == 0)
        return;
    NSUInteger slot = homeSlot(keyHash, capacity);
    for (NSUInteger examined = 0; examined < capacity; ++examined) {
        auto& candidate = m_entry[slot];
        if (candidate.entry.key && candidate.keyHash == keyHash && (candidate.entry.key == key || candidate.entry.key->isEqual(key)))
            removeEntryAtSlot(slot);
        if (!candidate.entry.key) {
            candidate.keyHash = keyHash;
            candidate.entry.key = std::move(key);
            candidate.entry.object = std::move(object);
            ++m_count;
            return;
        }
        if (++slot == capacity)
            slot = 0;
    }
}

void JCDictionary::removeEntryAtSlot(NSUInteger slot)
{
    const NSUInteger capacity = m_entry.size();
    m_entry[slot] = {};
    --m_count;
    // Put the rest of the cluster back, so every entry stays reachable from its home slot.
    NSUInteger next = slot;
    for (NSUInteger examined = 1; examined < capacity; ++examined) {
        if (++next == capacity)
            next = 0;
        if (!m_entry[next].entry.key)
            break;
        JCHashTableEntry moved = std::move(m_entry[next]);
        m_entry[next] = {};
        NSUInteger home = homeSlot(moved.keyHash, capacity);
        while (m_entry[home].entry.key) {
            if (++home == capacity)
                home = 0;
        }
        m_entry[home] = std::move(moved);
    }
}

void JCDictionary::requireMutable(const char* operation) const
{
    if (m_mutations == 0)
        raiseImmutable(kClassName, operation);
}

void JCDictionary::setObject(const id& object, const id& key)
{
    constexpr const char* operation = "setObject:forKey:";
    requireMutable(operation);
    if (!key)
        raise(NSInvalidArgumentException, prefix(kClassName, operation) + "attempt to insert nil key");
    if (!object)
        raise(NSInvalidArgumentException, prefix(kClassName, operation) + "attempt to insert nil value (key: " + ns::describe(key) + ")");
    const NSUInteger wanted = JCDictionaryCapacityForCount(m_count + 1);
    if (wanted == NSNotFound)
        raise(NSMallocException, "Unable to allocate memory for hash table.");
    if (m_entry.size() < wanted) {
        std::vector<JCHashTableEntry> old;
        try {
            old = std::exchange(m_entry, std::vector<JCHashTableEntry>(wanted));
        } catch (const std::bad_alloc&) {
            raise(NSMallocException, "Unable to allocate memory for hash table.");
        }
        m_capacity = wanted;
        m_count = 0;
        for (auto& slot : old) {
            if (slot.entry.key)
                addEntry(slot.keyHash, std::move(slot.entry.key), std::move(slot.entry.object));
        }
    }
    id copiedKey = key->copy();
    const NSUInteger keyHash = copiedKey->hash();
    addEntry(keyHash, std::move(copiedKey), object);
    m_mutations = nextMutation(m_mutations);
    noteMutation();
}

void JCDictionary::removeObjectForKey(const id& key)
{
    constexpr const char* operation = "removeObjectForKey:";
    requireMutable(operation);
    if (!key)
        raise(NSInvalidArgumentException, prefix(kClassName, operation) + "attempt to remove nil key");
    const NSUInteger slot = slotForKey(key);
    if (slot == NSNotFound)
        return;
    removeEntryAtSlot(slot);
    m_mutations = nextMutation(m_mutations);
    noteMutation();
}

id JCDictionary::copy() const
{
    if (m_mutations == 0)
        return std::const_pointer_cast<JCDictionary>(self());
    return NSDictionary::copy();
}

id JCDictionary::mutableCopy() const
{
    return NSDictionary::mutableCopy();
}
