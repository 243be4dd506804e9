#include "platform/foundation/NSUserDefaults.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/PropertyListNode.h"
#include "platform/foundation/PropertyListSalvage.h"
#include "platform/foundation/TypedValues.h"

#include <ctime>
#include <filesystem>

namespace {

Guarded<std::shared_ptr<NSUserDefaults>>& sharedSlot()
{
    static NeverDestroyed<Guarded<std::shared_ptr<NSUserDefaults>>> defaults;
    return defaults.get();
}

constexpr const char* fallbackIdentifier = "org.corvane.client";

// Preferences are a few kilobytes; a file far beyond that is damaged, and reading it whole would
// hold up the start and its memory for nothing.
constexpr std::uintmax_t kLargestPreferencesFile = 4 << 20;

// Copies a write left behind when the process died before renaming them into place.
void removeStaleCopies(const std::filesystem::path& file)
{
    const std::string prefix = file.filename().string() + ".tmp-";
    std::error_code failure;
    for (std::filesystem::directory_iterator it(file.parent_path(), failure), end; !failure && it != end; it.increment(failure)) {
        if (it->path().filename().string().starts_with(prefix))
            std::filesystem::remove(it->path(), failure);
    }
}

// Something other than a file in the file's place (a folder, say) would keep every write from
// landing: it is moved aside, as a damaged store is, so the file is made anew.
void setAsideIfNoFile(const NSString& path)
{
    const std::string file = path.UTF8String();
    std::error_code failure;
    const auto status = std::filesystem::status(file, failure);
    if (failure || !std::filesystem::exists(status) || std::filesystem::is_regular_file(status))
        return;
    const std::string aside = file + ".damaged-" + std::to_string(std::time(nullptr));
    std::filesystem::rename(file, aside, failure);
    if (failure)
        NSLog("Preferences cannot be kept: %@ is no file (%s)", path, failure.message().c_str());
    else
        NSLog("Set aside what stood in place of the preferences file as %s", aside.c_str());
}

// What can be read of the file: all of it, the entries before the damage, or nothing when it is
// far too large to be preferences.
std::shared_ptr<NSDictionary> readPreferences(const NSString& path)
{
    std::error_code failure;
    const std::string file = path.UTF8String();
    const auto size = std::filesystem::file_size(file, failure);
    if (failure)
        return nullptr;
    if (size > kLargestPreferencesFile) {
        NSLog("Preferences file of %llu bytes taken as damaged: %@", static_cast<unsigned long long>(size), path);
        return nullptr;
    }
    auto data = NSData::dataWithContentsOfFile(path);
    if (auto whole = ns::cast<NSDictionary>(PropertyListNode::parse(data).toObject(PropertyListNode::Mutability::Immutable)))
        return whole;
    auto salvaged = PropertyListSalvage::readableEntries(data);
    NSLog("Damaged preferences file, %lu entries read: %@", static_cast<unsigned long>(salvaged ? salvaged->count() : 0), path);
    return salvaged;
}

} // namespace

std::shared_ptr<NSUserDefaults> NSUserDefaults::standardUserDefaults()
{
    auto sharedDefaults = sharedSlot().lock();
    if (!*sharedDefaults) {
        NSString identifier = NSBundle::mainBundle()->bundleIdentifier();
        if (identifier.isNil() || identifier.length() == 0 || identifier.containsString("/"))
            identifier = fallbackIdentifier;
        *sharedDefaults = create(NSHomeDirectory() + "/Library/Preferences/" + identifier + ".plist");
    }
    return *sharedDefaults;
}

void NSUserDefaults::resetStandardUserDefaults()
{
    std::shared_ptr<NSUserDefaults> previous;
    previous = std::move(*sharedSlot().lock());
    if (previous)
        previous->synchronize();
}

void NSUserDefaults::init(const NSString& path)
{
    m_path = path;
    removeStaleCopies(path.UTF8String());
    setAsideIfNoFile(path);
    // A file written by an older build may still be open to others.
    std::error_code failure;
    std::filesystem::permissions(path.UTF8String(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, failure);
    // A damaged file never stops the application: what can be read of it is kept.
    if (auto stored = readPreferences(path))
        m_state.lock()->values->addEntriesFromDictionary(stored);
}

id NSUserDefaults::objectForKey(const NSString& key) const
{
    if (key.isNil())
        return nullptr;
    auto state = m_state.lock();
    if (id value = state->values->objectForKey(key))
        return value;
    return state->registered->objectForKey(key);
}

NSString NSUserDefaults::stringForKey(const NSString& key) const
{
    return ns::stringValue(objectForKey(key));
}

std::shared_ptr<NSData> NSUserDefaults::dataForKey(const NSString& key) const
{
    return ns::cast<NSData>(objectForKey(key));
}

std::shared_ptr<NSArray> NSUserDefaults::arrayForKey(const NSString& key) const
{
    return ns::arrayValue(objectForKey(key));
}

std::shared_ptr<NSDictionary> NSUserDefaults::dictionaryForKey(const NSString& key) const
{
    return ns::dictionaryValue(objectForKey(key));
}

NSInteger NSUserDefaults::integerForKey(const NSString& key) const
{
    return ns::integerValue(objectForKey(key));
}

bool NSUserDefaults::boolForKey(const NSString& key) const
{
    return ns::boolValue(objectForKey(key));
}

double NSUserDefaults::doubleForKey(const NSString& key) const
{
    return ns::doubleValue(objectForKey(key));
}

float NSUserDefaults::floatForKey(const NSString& key) const
{
    return static_cast<float>(doubleForKey(key));
}

void NSUserDefaults::setObject(const id& value, const NSString& key)
{
    if (key.isNil())
        NSException::raise(NSInvalidArgumentException, "attempt to set a value for a nil key");
    if (!value) {
        removeObjectForKey(key);
        return;
    }
    // The round trip through a property-list tree both checks the value and copies it deeply,
    // so later changes to a mutable original do not reach the stored preferences.
    NSString failure;
    id stored = PropertyListNode::fromObject(value, &failure).toObject();
    if (!stored)
        NSException::raise(NSInvalidArgumentException, "Attempt to insert non-property list object %@ for key %@: %@",
            value, key, failure);
    auto state = m_state.lock();
    // The same text again leaves nothing to save: the client sets its service addresses at every
    // start, and each save is a synced write of the whole file.
    if (const NSString text = NSString::fromId(stored); !text.isNil() && text.isEqualToString(NSString::fromId(state->values->objectForKey(key))))
        return;
    state->values->setObject(stored, static_cast<id>(key));
    state->dirty = true;
}

void NSUserDefaults::setInteger(NSInteger value, const NSString& key)
{
    setObject(NSNumber::numberWithInteger(value), key);
}

void NSUserDefaults::setBool(bool value, const NSString& key)
{
    setObject(NSNumber::numberWithBool(value), key);
}

void NSUserDefaults::setDouble(double value, const NSString& key)
{
    setObject(NSNumber::numberWithDouble(value), key);
}

void NSUserDefaults::setFloat(float value, const NSString& key)
{
    setObject(NSNumber::numberWithFloat(value), key);
}

void NSUserDefaults::removeObjectForKey(const NSString& key)
{
    if (key.isNil())
        return;
    auto state = m_state.lock();
    if (!state->values->objectForKey(key))
        return;
    state->values->removeObjectForKey(key);
    state->dirty = true;
}

void NSUserDefaults::registerDefaults(const std::shared_ptr<NSDictionary>& registrationDictionary)
{
    auto copied = ns::cast<NSDictionary>(PropertyListNode::fromObject(registrationDictionary).toObject());
    if (!copied)
        return;
    m_state.lock()->registered->addEntriesFromDictionary(copied);
}

std::shared_ptr<NSDictionary> NSUserDefaults::dictionaryRepresentation() const
{
    auto state = m_state.lock();
    auto merged = NSMutableDictionary::dictionaryWithDictionary(state->registered);
    merged->addEntriesFromDictionary(state->values);
    return merged->copyDictionary();
}

bool NSUserDefaults::synchronize()
{
    MutexLocker writing(m_writeMutex);
    std::shared_ptr<NSData> data;
    {
        auto state = m_state.lock();
        if (!state->dirty)
            return true;
        data = PropertyListNode::fromObject(state->values).serialize(PropertyListNode::Format::Binary);
        state->dirty = false;
    }
    // The preferences hold the session id and cookies: nobody but the user may read them.
    if (data && data->writeToFile(m_path, NSDataWritingAtomic | NSDataWritingFileProtectionComplete, nullptr))
        return true;
    m_state.lock()->dirty = true;
    return false;
}
