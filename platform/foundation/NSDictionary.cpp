#include "platform/foundation/NSDictionary.h"

#include "platform/foundation/NSException.h"

#include <algorithm>
#include <bit>

namespace {

// Below this many entries a scan beats hashing into an index.
constexpr NSUInteger kLinearScanLimit = 8;

void requireKeyAndObject(const id& object, const id& key)
{
    if (!key)
        NSException::raise(NSInvalidArgumentException, "-[NSMutableDictionary setObject:forKey:]: key cannot be nil");
    if (!object)
        NSException::raise(NSInvalidArgumentException, "-[NSMutableDictionary setObject:forKey:]: object cannot be nil (key: %@)", key);
}

} // namespace

void NSDictionary::init(const std::vector<Entry>& entries)
{
    for (const auto& entry : entries) {
        requireKeyAndObject(entry.object, entry.key);
        storeObject(entry.object, entry.key);
    }
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithObjectsAndKeys(std::initializer_list<std::pair<id, id>> objectsAndKeys)
{
    std::vector<Entry> entries;
    for (const auto& [object, key] : objectsAndKeys)
        entries.push_back({ key, object });
    return create(entries);
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithDictionary(const std::shared_ptr<NSDictionary>& other)
{
    std::vector<Entry> entries;
    if (other) {
        for (const auto& entry : *other)
            entries.push_back(entry);
    }
    return create(entries);
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithObjects(const std::shared_ptr<NSArray>& objects, const std::shared_ptr<NSArray>& keys)
{
    if (!objects || !keys || objects->count() != keys->count())
        NSException::raise(NSInvalidArgumentException, "-[NSDictionary initWithObjects:forKeys:]: count of objects differs from count of keys");
    std::vector<Entry> entries;
    for (NSUInteger i = 0; i < keys->count(); ++i)
        entries.push_back({ keys->objectAtIndex(i), objects->objectAtIndex(i) });
    return create(entries);
}

// MARK: - Storage

NSUInteger NSDictionary::storedIndexOfKey(const id& key, NSUInteger hash) const
{
    if (m_index.empty()) {
        for (NSUInteger i = 0; i < m_entries.size(); ++i) {
            const auto& entry = m_entries[i];
            if (entry.key && m_hashes[i] == hash && (entry.key == key || entry.key->isEqual(key)))
                return i;
        }
        return NSNotFound;
    }
    const NSUInteger mask = m_index.size() - 1;
    for (NSUInteger slot = hash & mask;; slot = (slot + 1) & mask) {
        std::uint32_t stored = m_index[slot];
        if (!stored)
            return NSNotFound;
        const NSUInteger i = stored - 1;
        const auto& entry = m_entries[i];
        if (entry.key && m_hashes[i] == hash && (entry.key == key || entry.key->isEqual(key)))
            return i;
    }
}

void NSDictionary::rebuildIndex()
{
    if (m_count * 2 < m_entries.size() && m_entries.size() > kLinearScanLimit) {
        // Too many erased entries: close the gaps first.
        std::vector<Entry> kept;
        std::vector<NSUInteger> keptHashes;
        kept.reserve(m_count);
        keptHashes.reserve(m_count);
        for (NSUInteger i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].key) {
                kept.push_back(std::move(m_entries[i]));
                keptHashes.push_back(m_hashes[i]);
            }
        }
        m_entries = std::move(kept);
        m_hashes = std::move(keptHashes);
    }
    m_index.clear();
    if (m_entries.size() <= kLinearScanLimit)
        return;
    m_index.assign(std::bit_ceil(m_entries.size() * 2), 0);
    const NSUInteger mask = m_index.size() - 1;
    for (NSUInteger i = 0; i < m_entries.size(); ++i) {
        if (!m_entries[i].key)
            continue;
        NSUInteger slot = m_hashes[i] & mask;
        while (m_index[slot])
            slot = (slot + 1) & mask;
        m_index[slot] = std::uint32_t(i + 1);
    }
}

void NSDictionary::storeObject(const id& object, const id& key)
{
    const NSUInteger hash = key->hash();
    const NSUInteger existing = storedIndexOfKey(key, hash);
    noteMutation();
    if (existing != NSNotFound) {
        m_entries[existing].object = object;
        return;
    }
    // Keys are copied so that a key changed by its owner afterwards cannot move in the table.
    m_entries.push_back({ key->copy(), object });
    m_hashes.push_back(hash);
    ++m_count;
    if (m_entries.size() > kLinearScanLimit && m_entries.size() * 2 > m_index.size())
        rebuildIndex();
    else if (!m_index.empty()) {
        const NSUInteger mask = m_index.size() - 1;
        NSUInteger slot = hash & mask;
        while (m_index[slot])
            slot = (slot + 1) & mask;
        m_index[slot] = std::uint32_t(m_entries.size());
    }
}

void NSDictionary::eraseStoredKey(const id& key)
{
    if (!key)
        return;
    const NSUInteger i = storedIndexOfKey(key, key->hash());
    if (i == NSNotFound)
        return;
    noteMutation();
    m_entries[i] = Entry {};
    --m_count;
    if (m_index.empty()) {
        m_entries.erase(m_entries.begin() + std::ptrdiff_t(i));
        m_hashes.erase(m_hashes.begin() + std::ptrdiff_t(i));
    } else if (m_count * 2 < m_entries.size()) {
        rebuildIndex();
    }
}

void NSDictionary::clearStorage()
{
    noteMutation();
    m_entries.clear();
    m_hashes.clear();
    m_index.clear();
    m_count = 0;
}

// MARK: - Primitives

NSUInteger NSDictionary::count() const
{
    return m_count;
}

id NSDictionary::objectForKey(const id& key) const
{
    if (!key || !m_count)
        return nullptr;
    const NSUInteger i = storedIndexOfKey(key, key->hash());
    return i == NSNotFound ? nullptr : m_entries[i].object;
}

NSUInteger NSDictionary::nextEntry(NSUInteger position, const Entry*& entry) const
{
    for (NSUInteger i = position; i < m_entries.size(); ++i) {
        if (m_entries[i].key) {
            entry = &m_entries[i];
            return i + 1;
        }
    }
    entry = nullptr;
    return NSNotFound;
}

NSDictionary::Iterator::Iterator(const NSDictionary* dictionary, NSUInteger position, const NSObject* owner)
    : m_dictionary(dictionary)
    , m_owner(owner ? owner : dictionary)
    , m_mutations(dictionary->m_mutations)
{
    if (position != NSNotFound)
        load(position);
}

void NSDictionary::Iterator::load(NSUInteger position)
{
    const Entry* entry = nullptr;
    m_next = m_dictionary->nextEntry(position, entry);
    m_atEnd = !entry;
    m_entry = entry ? *entry : Entry {};
}

NSDictionary::Iterator& NSDictionary::Iterator::operator++()
{
    if (m_dictionary->m_mutations != m_mutations)
        ns::raiseMutatedWhileEnumerating(*m_owner);
    if (m_next == NSNotFound) {
        m_atEnd = true;
        m_entry = Entry {};
    } else {
        load(m_next);
    }
    return *this;
}

// MARK: - Derived operations

std::shared_ptr<NSArray> NSDictionary::allKeys() const
{
    std::vector<id> keys;
    keys.reserve(count());
    for (const auto& entry : *this)
        keys.push_back(entry.key);
    return NSArray::create(std::move(keys));
}

std::shared_ptr<NSArray> NSDictionary::allValues() const
{
    std::vector<id> values;
    values.reserve(count());
    for (const auto& entry : *this)
        values.push_back(entry.object);
    return NSArray::create(std::move(values));
}

std::shared_ptr<NSArray> NSDictionary::allKeysForObject(const id& object) const
{
    std::vector<id> keys;
    for (const auto& entry : *this) {
        if (ns::isEqual(entry.object, object))
            keys.push_back(entry.key);
    }
    return NSArray::create(std::move(keys));
}

std::shared_ptr<NSArray> NSDictionary::keysSortedByValueUsingComparator(const std::function<NSComparisonResult(const id&, const id&)>& comparator) const
{
    std::vector<Entry> entries;
    for (const auto& entry : *this)
        entries.push_back(entry);
    std::stable_sort(entries.begin(), entries.end(),
        [&](const Entry& a, const Entry& b) { return comparator(a.object, b.object) == NSOrderedAscending; });
    std::vector<id> keys;
    for (auto& entry : entries)
        keys.push_back(entry.key);
    return NSArray::create(std::move(keys));
}

void NSDictionary::enumerateKeysAndObjectsUsingBlock(const std::function<void(const id& key, const id& object, bool& stop)>& block) const
{
    bool stop = false;
    for (const auto& entry : *this) {
        block(entry.key, entry.object, stop);
        if (stop)
            break;
    }
}

bool NSDictionary::isEqualToDictionary(const std::shared_ptr<NSDictionary>& other) const
{
    if (!other || other->count() != count())
        return false;
    for (const auto& entry : *this) {
        if (!ns::isEqual(other->objectForKey(entry.key), entry.object))
            return false;
    }
    return true;
}

NSString NSDictionary::description() const
{
    auto text = NSMutableString::stringWithString("{");
    for (const auto& entry : *this) {
        text->appendString("\n    ");
        text->appendString(entry.key->description());
        text->appendString(" = ");
        text->appendString(entry.object->description().stringByReplacingOccurrencesOfString("\n", "\n    "));
        text->appendString(";");
    }
    text->appendString(count() ? "\n}" : "}");
    return NSString(std::u16string(text->characters()));
}

bool NSDictionary::isEqual(const id& other) const
{
    return isEqualToDictionary(ns::cast<NSDictionary>(other));
}

id NSDictionary::copy() const
{
    std::vector<Entry> entries;
    entries.reserve(count());
    for (const auto& entry : *this)
        entries.push_back(entry);
    return create(entries);
}

id NSDictionary::mutableCopy() const
{
    auto copy = NSMutableDictionary::create();
    for (const auto& entry : *this)
        copy->setObject(entry.object, entry.key);
    return copy;
}

std::shared_ptr<NSMutableDictionary> NSDictionary::mutableCopyDictionary() const
{
    return std::static_pointer_cast<NSMutableDictionary>(mutableCopy());
}

// MARK: - NSMutableDictionary

std::shared_ptr<NSMutableDictionary> NSMutableDictionary::dictionaryWithCapacity(NSUInteger capacity)
{
    auto dictionary = create();
    dictionary->m_entries.reserve(capacity);
    dictionary->m_hashes.reserve(capacity);
    return dictionary;
}

std::shared_ptr<NSMutableDictionary> NSMutableDictionary::dictionaryWithDictionary(const std::shared_ptr<NSDictionary>& other)
{
    auto dictionary = create();
    dictionary->addEntriesFromDictionary(other);
    return dictionary;
}

void NSMutableDictionary::setObject(const id& object, const id& key)
{
    requireKeyAndObject(object, key);
    storeObject(object, key);
}

void NSMutableDictionary::removeObjectForKey(const id& key)
{
    eraseStoredKey(key);
}

void NSMutableDictionary::setValue(const id& object, const NSString& key)
{
    if (object)
        setObject(object, key);
    else
        removeObjectForKey(key);
}

void NSMutableDictionary::removeAllObjects()
{
    for (const auto& key : allKeys()->objects())
        removeObjectForKey(key);
}

void NSMutableDictionary::removeObjectsForKeys(const std::shared_ptr<NSArray>& keys)
{
    if (!keys)
        return;
    for (const auto& key : *keys)
        removeObjectForKey(key);
}

void NSMutableDictionary::addEntriesFromDictionary(const std::shared_ptr<NSDictionary>& other)
{
    if (!other)
        return;
    std::vector<Entry> entries;
    for (const auto& entry : *other)
        entries.push_back(entry);
    for (const auto& entry : entries)
        setObject(entry.object, entry.key);
}

void NSMutableDictionary::setDictionary(const std::shared_ptr<NSDictionary>& other)
{
    auto snapshot = other ? other->copyDictionary() : nullptr;
    removeAllObjects();
    addEntriesFromDictionary(snapshot);
}

id NSMutableDictionary::copy() const
{
    return NSDictionary::copy();
}

std::shared_ptr<NSDictionary> ns::dictionary(std::initializer_list<std::pair<NSString, id>> entries)
{
    std::vector<NSDictionary::Entry> stored;
    stored.reserve(entries.size());
    for (const auto& [key, object] : entries)
        stored.push_back({ key, object });
    return NSDictionary::create(stored);
}

std::shared_ptr<NSMutableDictionary> ns::mutableDictionary(std::initializer_list<std::pair<NSString, id>> entries)
{
    auto dictionary = NSMutableDictionary::create();
    for (const auto& [key, object] : entries)
        dictionary->setObject(object, static_cast<id>(key));
    return dictionary;
}
