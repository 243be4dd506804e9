#include "library/network/device/SharedUDID.h"

#include "platform/crypto/CommonDigest.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSProcessInfo.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/uikit/UIPasteboard.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace SharedUDID {

namespace {

constexpr const char* recordKey = "SharedUDID";
constexpr const char* valueKey = "SharedUDID";
constexpr const char* appUIDKey = "SharedUDID_appUID";
constexpr const char* createdKey = "SharedUDID_createdTS";
constexpr const char* slotKey = "SharedUDID_slot";
constexpr const char* optOutKey = "SharedUDID_optOutTS";
constexpr const char* pasteboardType = "org.Quenmark";
constexpr const char* slotPrefix = "org.Quenmark.slot.";

// The value computed by this process; the platform's class keeps it in a static as well.
struct Cache {
    Mutex mutex;
    NSString value GUARDED_BY(mutex);
};

Cache& cache()
{
    static NeverDestroyed<Cache> shared;
    return shared.get();
}

NSString generateFreshSharedUDID()
{
    const std::string uuid = NSProcessInfo::processInfo()->globallyUniqueString().UTF8String();
    unsigned char digest[CC_MD5_DIGEST_LENGTH];
    CC_MD5(uuid.data(), static_cast<CC_LONG>(uuid.size()), digest);
    char text[41];
    for (std::size_t index = 0; index < CC_MD5_DIGEST_LENGTH; ++index)
        std::snprintf(text + index * 2, 3, "%02x", digest[index]);
    std::random_device random;
    std::snprintf(text + 32, 9, "%08x", static_cast<unsigned>(random()));
    return NSString(text);
}

std::shared_ptr<NSMutableDictionary> dictFromPasteboard(const std::shared_ptr<UIPasteboard>& pasteboard)
{
    auto data = pasteboard->dataForPasteboardType(pasteboardType);
    if (!data)
        return NSMutableDictionary::dictionary();
    id stored;
    try {
        stored = NSKeyedUnarchiver::unarchiveObjectWithData(data);
    } catch (const NSException&) {
        return NSMutableDictionary::dictionary();
    }
    auto dictionary = ns::cast<NSDictionary>(stored);
    return dictionary ? NSMutableDictionary::dictionaryWithDictionary(dictionary) : NSMutableDictionary::dictionary();
}

void setDictForPasteboard(const std::shared_ptr<NSDictionary>& dictionary, const std::shared_ptr<UIPasteboard>& pasteboard)
{
    pasteboard->setData(NSKeyedArchiver::archivedDataWithRootObject(dictionary), pasteboardType);
}

std::shared_ptr<NSError> stateError(NSInteger code, const NSString& message)
{
    return NSError::errorWithDomain(kErrorDomain, code, ns::dictionary({ { "description", message } }));
}

NSString describe(const id& object)
{
    return object ? object->description() : NSString("(null)");
}

} // namespace

NSString slotName(int index)
{
    return NSString::stringWithFormat("%@%d", NSString(slotPrefix), index);
}

NSString valueWithError(NSErrorPointer error)
{
    auto& shared = cache();
    MutexLocker lock(shared.mutex);
    if (!shared.value.isNil()) {
        if (error)
            *error = stateError(kErrorNone, "SharedUDID in cache from first call");
        return shared.value;
    }

    auto defaults = NSUserDefaults::standardUserDefaults();
    std::shared_ptr<NSMutableDictionary> localRecord;
    NSString localValue;
    NSString ownSlotName;
    id optOutDate;
    if (auto stored = defaults->dictionaryForKey(recordKey)) {
        localRecord = NSMutableDictionary::dictionaryWithDictionary(stored);
        localValue = NSString::fromId(localRecord->objectForKey(valueKey));
        ownSlotName = NSString::fromId(localRecord->objectForKey(slotKey));
        optOutDate = localRecord->objectForKey(optOutKey);
    }
    // The application's id is kept in its record too: a fresh id on every call would find no
    // slot of its own and take another one each time, until all 100 were used up.
    NSString appUID = defaults->stringForKey(appUIDKey);
    if (appUID.isNil() && localRecord)
        appUID = NSString::fromId(localRecord->objectForKey(appUIDKey));
    if (appUID.isNil())
        appUID = NSProcessInfo::processInfo()->globallyUniqueString();
    const bool optedOutLocally = optOutDate != nullptr;

    NSString availableSlotName;
    NSString foundOwnSlotName;
    std::vector<std::pair<NSString, int>> counts;
    for (int index = 0; index < kSlotCount; ++index) {
        NSString name = slotName(index);
        auto pasteboard = UIPasteboard::pasteboardWithName(name, false);
        auto record = pasteboard ? dictFromPasteboard(pasteboard) : nullptr;
        NSString slotValue = record ? NSString::fromId(record->objectForKey(valueKey)) : NSString();
        if (slotValue.isNil()) {
            if (availableSlotName.isNil())
                availableSlotName = name;
            continue;
        }
        auto counted = std::find_if(counts.begin(), counts.end(), [&](const auto& entry) { return entry.first == slotValue; });
        if (counted == counts.end())
            counts.emplace_back(slotValue, 1);
        else
            ++counted->second;
        if (NSString::fromId(record->objectForKey(appUIDKey)) == appUID) {
            foundOwnSlotName = name;
            // The user's opt-out is written only to the record here, never to the slots, so a
            // slot without a date does not undo it.
            if (optedOutLocally) {
                if (auto slotDate = record->objectForKey(optOutKey))
                    optOutDate = slotDate;
            }
        }
    }
    if (!foundOwnSlotName.isNil())
        ownSlotName = foundOwnSlotName;

    std::stable_sort(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    const NSString mostReliable = counts.empty() ? NSString() : counts.back().first;

    bool save = false;
    bool compromised = false;
    NSString result;
    if (localValue.isNil()) {
        result = mostReliable.isNil() ? generateFreshSharedUDID() : mostReliable;
        if (!localRecord) {
            localRecord = NSMutableDictionary::dictionary();
            localRecord->setObject(result, valueKey);
            localRecord->setObject(appUID, appUIDKey);
            localRecord->setObject(NSDate::date(), createdKey);
            if (optOutDate)
                localRecord->setObject(optOutDate, optOutKey);
        } else {
            localRecord->setObject(result, valueKey);
        }
        save = true;
    } else {
        compromised = !mostReliable.isNil() && mostReliable != localValue;
        result = localValue;
    }

    if (!availableSlotName.isNil() && (foundOwnSlotName.isNil() || foundOwnSlotName == availableSlotName)) {
        auto pasteboard = UIPasteboard::pasteboardWithName(availableSlotName, true);
        pasteboard->setPersistent(true);
        if (localRecord) {
            localRecord->setObject(availableSlotName, slotKey);
            save = true;
            setDictForPasteboard(localRecord, pasteboard);
        }
    }
    if (save) {
        defaults->setObject(localRecord, recordKey);
        defaults->synchronize();
    }

    if (optOutDate) {
        if (error) {
            *error = stateError(kErrorOptedOut, NSString::stringWithFormat("Application with unique id %@ is opted-out from SharedUDID as of %@",
                appUID, describe(optOutDate)));
        }
        result = NSString(std::string(40, '0'));
    } else if (error) {
        *error = compromised ? stateError(kErrorCompromised,
                                   "Found a discrepancy between stored SharedUDID (reliable) and redundant copies; one of the apps on "
                                   "the device is most likely corrupting the SharedUDID protocol")
                             : stateError(kErrorNone, "SharedUDID succesfully retrieved");
    }
    shared.value = result;
    return result;
}

NSString value()
{
    return valueWithError(nullptr);
}

void setOptOut(bool optOut)
{
    value();
    auto defaults = NSUserDefaults::standardUserDefaults();
    auto stored = defaults->dictionaryForKey(recordKey);
    auto record = stored ? NSMutableDictionary::dictionaryWithDictionary(stored) : NSMutableDictionary::dictionary();
    if (optOut)
        record->setObject(NSDate::date(), optOutKey);
    else
        record->removeObjectForKey(optOutKey);
    defaults->setObject(record, recordKey);
    defaults->synchronize();
    auto& shared = cache();
    MutexLocker lock(shared.mutex);
    shared.value = NSString();
}

} // namespace SharedUDID
