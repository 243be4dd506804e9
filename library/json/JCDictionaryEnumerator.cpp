#include "library/json/JCDictionaryEnumerator.h"

#include "library/json/JCDictionary.h"

bool JCDictionaryEnumerator::init(std::shared_ptr<const JCDictionary> dictionary)
{
    m_collection = std::move(dictionary);
    return m_collection != nullptr;
}

id JCDictionaryEnumerator::nextObject()
{
    const NSUInteger capacity = m_collection->storedSlotCount();
    while (m_nextObject < capacity) {
        const auto& slot = m_collection->entryAtSlot(m_nextObject++);
        if (slot.key)
            return slot.key;
    }
    return nullptr;
}

std::shared_ptr<NSArray> JCDictionaryEnumerator::allObjects()
{
    std::vector<id> keys;
    while (id key = nextObject())
        keys.push_back(std::move(key));
    return NSArray::create(std::move(keys));
}
