#pragma once
// Enumerates the keys of a decoded object in the order they first appeared in the text.

#include "platform/foundation/NSArray.h"

class JCDictionary;

class JCDictionaryEnumerator : public NSObject {
    NS_OBJECT(JCDictionaryEnumerator, NSObject)
public:
    // The next key, or nil once every entry has been examined.
    id nextObject();
    // The keys not yet answered; the enumerator is used up afterwards.
    std::shared_ptr<NSArray> allObjects();

protected:
    // Refuses to exist without a dictionary.
    bool init(std::shared_ptr<const JCDictionary> dictionary);

private:
    std::shared_ptr<const JCDictionary> m_collection;
    NSUInteger m_nextObject { 0 };
};
