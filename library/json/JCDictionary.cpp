#include "library/json/JCDictionary.h"

#include "library/json/JCCollectionSupport.h"
#include "library/json/JCDictionaryEnumerator.h"
#include "platform/foundation/TrailingBytes.h"
#include "platform/foundation/UnsharedRelease.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
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

bool JCDictionary::init(PassKey<JSONDecoder>, id* keys, id* objects, const NSUInteger* keyHashes, NSUInteger count, bool mutableCollection,
    std::vector<id>& replaced)
{
    const NSUInteger capacity = JCDictionaryCapacityForCount(count);
    if (capacity == NSNotFound)
        return false;
    m_capacity = capacity;
    m_entry.reserve(count);
    if (capacity)
        m_index = std::make_unique<std::uint32_t[]>(capacity);
    for (NSUInteger i = 0; i < count; ++i)
        addEntry(keyHashes[i], std::move(keys[i]), std::move(objects[i]), &replaced);
    m_mutations = mutableCollection ? 1 : 0;
    return true;
}

// Not delegating to the defaulted constructor: that would be value-initialisation, which clears
// the whole object before constructing it.
JCDictionary::JCDictionary(PassKey<JCDictionary>) { }

JCDictionary::~JCDictionary()
{
    // The objects of a decoded tree are mostly its own alone: they go without count updates.
    if (m_flat) {
        for (NSUInteger i = 0; i < m_count; ++i)
            ns::releaseUnshared(m_flat[i].object);
        std::destroy_n(m_flat, m_count);
        return;
    }
    for (auto& stored : m_entry)
        ns::releaseUnshared(stored.entry.object);
}

std::shared_ptr<JCDictionary> JCDictionary::flatDictionary(PassKey<JSONDecoder>, id* keys, id* objects, NSUInteger count)
{
    static_assert(alignof(JCDictionary) >= alignof(Entry));
    // The entries are built after the object before the dictionary is handed out.
    auto dictionary = ns::makeSharedWithTrailingBytes<JCDictionary>(count * sizeof(Entry), PassKey<JCDictionary>());
    auto* const entries = reinterpret_cast<Entry*>(dictionary.get() + 1);
    for (NSUInteger i = 0; i < count; ++i)
        new (entries + i) Entry { std::move(keys[i]), std::move(objects[i]) };
    dictionary->m_flat = entries;
    dictionary->m_count = count;
    return dictionary;
}

NSUInteger JCDictionary::flatPositionOfKey(const id& key) const
{
    if (const auto* text = dynamic_cast<const NSStringObject*>(key.get())) {
        const std::u16string_view wanted = text->characters();
        for (NSUInteger position = 0; position < m_count; ++position) {
            // The flat form holds only the codec's strings.
            const auto& candidate = static_cast<const NSStringObject&>(*m_flat[position].key);
            if (candidate.characters() == wanted)
                return position;
        }
        return NSNotFound;
    }
    for (NSUInteger position = 0; position < m_count; ++position) {
        if (m_flat[position].key->isEqual(key))
            return position;
    }
    return NSNotFound;
}

NSUInteger JCDictionary::positionOfKey(const id& key, NSUInteger keyHash, NSUInteger* indexSlot) const
{
    const NSUInteger capacity = m_capacity;
    NSUInteger slot = homeSlot(keyHash, capacity);
    for (NSUInteger examined = 0; examined < capacity; ++examined) {
        const std::uint32_t stored = m_index[slot];
        if (stored == kEmptySlot)
            return NSNotFound;
        const auto& candidate = m_entry[stored - 1];
        if (candidate.keyHash == keyHash && (candidate.entry.key == key || candidate.entry.key->isEqual(key))) {
            if (indexSlot)
                *indexSlot = slot;
            return stored - 1;
        }
        if (++slot == capacity)
            slot = 0;
    }
    return NSNotFound;
}

id JCDictionary::objectForKey(const id& key) const
{
    if (!key || m_count == 0)
        return nullptr;
    if (m_flat) {
        const NSUInteger position = flatPositionOfKey(key);
        return position == NSNotFound ? nullptr : m_flat[position].object;
    }
    const NSUInteger position = positionOfKey(key, key->hash());
    return position == NSNotFound ? nullptr : m_entry[position].entry.object;
}

NSUInteger JCDictionary::nextEntry(NSUInteger position, const Entry*& entry) const
{
    if (m_flat) {
        if (position < m_count) {
            entry = &m_flat[position];
            return position + 1;
        }
        entry = nullptr;
        return NSNotFound;
    }
    for (; position < m_entry.size(); ++position) {
        if (m_entry[position].entry.key) {
            entry = &m_entry[position].entry;
            return position + 1;
        }
    }
    entry = nullptr;
    return NSNotFound;
}

void JCDictionary::getObjects(id* objects, id* keys) const
{
    if (m_flat) {
        for (NSUInteger i = 0; i < m_count; ++i) {
            if (objects)
                objects[i] = m_flat[i].object;
            if (keys)
                keys[i] = m_flat[i].key;
        }
        return;
    }
    NSUInteger written = 0;
    for (const auto& stored : m_entry) {
        if (!stored.entry.key)
            continue;
        if (objects)
            objects[written] = stored.entry.object;
        if (keys)
            keys[written] = stored.entry.key;
        ++written;
    }
}

std::shared_ptr<JCDictionaryEnumerator> JCDictionary::keyEnumerator() const
{
    return JCDictionaryEnumerator::create(self());
}

void JCDictionary::addEntry(NSUInteger keyHash, id key, id object, std::vector<id>* replaced)
{
    const NSUInteger capacity = m_capacity;
    if (!m_index || capacity == 0)
        return;
    NSUInteger slot = homeSlot(keyHash, capacity);
    for (NSUInteger examined = 0; examined < capacity; ++examined) {
        const std::uint32_t stored = m_index[slot];
        if (stored == kEmptySlot) {
            m_entry.push_back({ keyHash, { std::move(key), std::move(object) } });
            m_index[slot] = std::uint32_t(m_entry.size());
            ++m_count;
            return;
        }
        // An equal key takes the place of the earlier one, which keeps its position.
        auto& candidate = m_entry[stored - 1];
        if (candidate.keyHash == keyHash && (candidate.entry.key == key || candidate.entry.key->isEqual(key))) {
            if (replaced) {
                replaced->push_back(std::move(candidate.entry.key));
                replaced->push_back(std::move(candidate.entry.object));
            }
            candidate.entry.key = std::move(key);
            candidate.entry.object = std::move(object);
            return;
        }
        if (++slot == capacity)
            slot = 0;
    }
}

void JCDictionary::removeEntry(NSUInteger position, NSUInteger indexSlot)
{
    const NSUInteger capacity = m_capacity;
    m_entry[position] = {};
    --m_count;
    while (!m_entry.empty() && !m_entry.back().entry.key)
        m_entry.pop_back();
    m_index[indexSlot] = kEmptySlot;
    // Put the rest of the cluster back, so every entry stays reachable from its home slot.
    NSUInteger next = indexSlot;
    for (NSUInteger examined = 1; examined < capacity; ++examined) {
        if (++next == capacity)
            next = 0;
        const std::uint32_t moved = m_index[next];
        if (moved == kEmptySlot)
            break;
        m_index[next] = kEmptySlot;
        NSUInteger home = homeSlot(m_entry[moved - 1].keyHash, capacity);
        while (m_index[home] != kEmptySlot) {
            if (++home == capacity)
                home = 0;
        }
        m_index[home] = moved;
    }
    // Removed entries stay as gaps until they outnumber the live ones.
    if (m_entry.size() - m_count > m_count)
        reindex(std::move(m_index), capacity);
}

void JCDictionary::reindex(std::unique_ptr<std::uint32_t[]> index, NSUInteger capacity)
{
    NSUInteger kept = 0;
    for (NSUInteger position = 0; position < m_entry.size(); ++position) {
        if (!m_entry[position].entry.key)
            continue;
        if (kept != position)
            m_entry[kept] = std::move(m_entry[position]);
        ++kept;
    }
    m_entry.erase(m_entry.begin() + std::ptrdiff_t(kept), m_entry.end());
    std::fill_n(index.get(), capacity, kEmptySlot);
    for (NSUInteger position = 0; position < kept; ++position) {
        NSUInteger slot = homeSlot(m_entry[position].keyHash, capacity);
        while (index[slot] != kEmptySlot) {
            if (++slot == capacity)
                slot = 0;
        }
        index[slot] = std::uint32_t(position + 1);
    }
    m_index = std::move(index);
    m_capacity = capacity;
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
    if (m_capacity < wanted) {
        std::unique_ptr<std::uint32_t[]> index;
        try {
            index = std::make_unique<std::uint32_t[]>(wanted);
        } catch (const std::bad_alloc&) {
            raise(NSMallocException, "Unable to allocate memory for hash table.");
        }
        reindex(std::move(index), wanted);
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
    NSUInteger indexSlot = 0;
    const NSUInteger position = m_count ? positionOfKey(key, key->hash(), &indexSlot) : NSNotFound;
    if (position == NSNotFound)
        return;
    removeEntry(position, indexSlot);
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
