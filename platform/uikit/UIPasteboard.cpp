#include "platform/uikit/UIPasteboard.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSThread.h"

#include <cctype>

std::shared_ptr<UIPasteboard> UIPasteboard::generalPasteboard()
{
    static const auto general = create(NSString(UIPasteboardNameGeneral));
    return general;
}

void UIPasteboard::setSystemClipboard(ClipboardReader read, ClipboardWriter write)
{
    if (this != generalPasteboard().get())
        return;
    MutexLocker lock(m_mutex);
    m_readClipboard = std::move(read);
    m_writeClipboard = std::move(write);
    m_lastClipboardText = NSString();
}

void UIPasteboard::takeSystemClipboard() const
{
    ClipboardReader read;
    {
        MutexLocker lock(m_mutex);
        read = m_readClipboard;
    }
    if (!read || !NSThread::isMainThread())
        return;
    const NSString text = read();
    MutexLocker lock(m_mutex);
    if (text.isNil() || text.length() == 0 || (!m_lastClipboardText.isNil() && text == m_lastClipboardText))
        return;
    m_lastClipboardText = text;
    reloadIfPersistent();
    if (m_strings.size() == 1 && m_data.empty() && m_strings.front() == text)
        return;
    m_strings = { text };
    m_data.clear();
    ++m_changeCount;
    storeIfPersistent();
}

NSInteger UIPasteboard::changeCount() const
{
    takeSystemClipboard();
    MutexLocker lock(m_mutex);
    reloadIfPersistent();
    return m_changeCount;
}

NSString UIPasteboard::string() const
{
    takeSystemClipboard();
    MutexLocker lock(m_mutex);
    reloadIfPersistent();
    return m_strings.empty() ? NSString() : m_strings.front();
}

void UIPasteboard::setString(const NSString& string)
{
    setStrings(std::vector<NSString> { string });
}

std::vector<NSString> UIPasteboard::strings() const
{
    takeSystemClipboard();
    MutexLocker lock(m_mutex);
    reloadIfPersistent();
    return m_strings;
}

void UIPasteboard::setStrings(const std::vector<NSString>& strings)
{
    std::vector<NSString> kept;
    for (const auto& string : strings) {
        if (!string.isNil())
            kept.push_back(string);
    }
    ClipboardWriter write;
    NSString first;
    {
        MutexLocker lock(m_mutex);
        reloadIfPersistent();
        m_strings = std::move(kept);
        m_data.clear();
        ++m_changeCount;
        storeIfPersistent();
        write = m_writeClipboard;
        first = m_strings.empty() ? NSString() : m_strings.front();
        // What the pasteboard sends out is not news when it comes back.
        if (write)
            m_lastClipboardText = first;
    }
    if (write && !first.isNil() && NSThread::isMainThread())
        write(first);
}

NSInteger UIPasteboard::numberOfItems() const
{
    MutexLocker lock(m_mutex);
    reloadIfPersistent();
    return m_data.empty() ? NSInteger(m_strings.size()) : 1;
}

// Named pasteboards of the process, kept until removed, as the platform keeps them.
struct PasteboardRegistry {
    using Named = std::map<NSString, std::shared_ptr<UIPasteboard>>;

    static Guarded<Named>& shared()
    {
        static Guarded<Named> named;
        return named;
    }

    static NSString folder() { return NSHomeDirectory().stringByAppendingPathComponent("Library/Pasteboards"); }

    // Any name becomes one file name: bytes outside a safe set are percent-escaped, and so is a
    // leading dot, so "..", "a/b" or a hidden name never leave the folder.
    static NSString fileName(const NSString& name)
    {
        static const char hex[] = "0123456789ABCDEF";
        std::string escaped;
        const std::string bytes = name.UTF8String();
        for (std::size_t index = 0; index < bytes.size(); ++index) {
            const auto byte = static_cast<unsigned char>(bytes[index]);
            const bool safe = std::isalnum(byte) || byte == '-' || byte == '_' || (byte == '.' && index > 0);
            if (safe) {
                escaped += static_cast<char>(byte);
            } else {
                escaped += '%';
                escaped += hex[byte >> 4];
                escaped += hex[byte & 15];
            }
        }
        return NSString(escaped + ".plist");
    }
};

NSString UIPasteboard::storePath() const
{
    return PasteboardRegistry::folder().stringByAppendingPathComponent(PasteboardRegistry::fileName(m_name));
}

std::shared_ptr<UIPasteboard> UIPasteboard::pasteboardWithName(const NSString& name, bool create)
{
    if (name.isNil() || name.length() == 0)
        return nullptr;
    if (name == UIPasteboardNameGeneral)
        return generalPasteboard();
    auto named = PasteboardRegistry::shared().lock();
    if (auto found = named->find(name); found != named->end())
        return found->second;
    auto pasteboard = UIPasteboard::create(name);
    pasteboard->m_named = true;
    const bool stored = NSFileManager::defaultManager()->fileExistsAtPath(pasteboard->storePath());
    if (!stored && !create)
        return nullptr;
    if (stored) {
        MutexLocker pasteboardLock(pasteboard->m_mutex);
        pasteboard->m_persistent = true;
        pasteboard->reloadIfPersistent();
    }
    named->emplace(name, pasteboard);
    return pasteboard;
}

void UIPasteboard::removePasteboardWithName(const NSString& name)
{
    if (name.isNil() || name.length() == 0 || name == UIPasteboardNameGeneral)
        return;
    std::shared_ptr<UIPasteboard> removed;
    {
        auto named = PasteboardRegistry::shared().lock();
        if (auto found = named->find(name); found != named->end()) {
            removed = found->second;
            named->erase(found);
        }
    }
    if (removed) {
        // Someone may still hold it: it goes on as a pasteboard of this process only.
        MutexLocker lock(removed->m_mutex);
        removed->m_persistent = false;
    }
    auto probe = UIPasteboard::create(name);
    NSFileManager::defaultManager()->removeItemAtPath(probe->storePath());
}

std::shared_ptr<NSData> UIPasteboard::dataForPasteboardType(const NSString& pasteboardType) const
{
    MutexLocker lock(m_mutex);
    reloadIfPersistent();
    auto found = m_data.find(pasteboardType);
    return found == m_data.end() ? nullptr : found->second;
}

void UIPasteboard::setData(const std::shared_ptr<NSData>& data, const NSString& pasteboardType)
{
    if (pasteboardType.isNil())
        return;
    MutexLocker lock(m_mutex);
    reloadIfPersistent();
    m_strings.clear();
    m_data.clear();
    if (data)
        m_data.emplace(pasteboardType, NSData::dataWithData(data));
    ++m_changeCount;
    storeIfPersistent();
}

std::vector<NSString> UIPasteboard::pasteboardTypes() const
{
    MutexLocker lock(m_mutex);
    reloadIfPersistent();
    std::vector<NSString> types;
    for (const auto& [type, data] : m_data)
        types.push_back(type);
    return types;
}

bool UIPasteboard::isPersistent() const
{
    MutexLocker lock(m_mutex);
    return m_persistent || !m_named;
}

void UIPasteboard::setPersistent(bool persistent)
{
    if (!m_named)
        return;
    MutexLocker lock(m_mutex);
    if (m_persistent == persistent)
        return;
    m_persistent = persistent;
    if (persistent)
        storeIfPersistent();
    else
        NSFileManager::defaultManager()->removeItemAtPath(storePath());
}

void UIPasteboard::reloadIfPersistent() const
{
    if (!m_persistent)
        return;
    auto data = NSData::dataWithContentsOfFile(storePath());
    if (!data)
        return;
    // A damaged file reads as an empty pasteboard rather than stopping the reader.
    auto stored = ns::cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(data, NSPropertyListImmutable, nullptr));
    m_strings.clear();
    m_data.clear();
    if (!stored)
        return;
    if (auto strings = ns::cast<NSArray>(stored->objectForKey("strings"))) {
        for (NSUInteger index = 0; index < strings->count(); ++index) {
            NSString string = NSString::fromId(strings->objectAtIndex(index));
            if (!string.isNil())
                m_strings.push_back(string);
        }
    }
    if (auto types = ns::cast<NSDictionary>(stored->objectForKey("types"))) {
        for (const auto& key : types->allKeys()->objects()) {
            NSString type = NSString::fromId(key);
            if (auto value = ns::cast<NSData>(types->objectForKey(type)); value && !type.isNil())
                m_data.emplace(type, value);
        }
    }
    if (auto count = ns::cast<NSNumber>(stored->objectForKey("changeCount")))
        m_changeCount = count->integerValue();
}

void UIPasteboard::storeIfPersistent() const
{
    if (!m_persistent)
        return;
    auto strings = NSMutableArray::array();
    for (const auto& string : m_strings)
        strings->addObject(string);
    auto types = NSMutableDictionary::dictionary();
    for (const auto& [type, data] : m_data)
        types->setObject(data, type);
    auto stored = NSMutableDictionary::dictionary();
    stored->setObject(strings, "strings");
    stored->setObject(types, "types");
    stored->setObject(NSNumber::numberWithInteger(m_changeCount), "changeCount");
    auto data = NSPropertyListSerialization::dataWithPropertyList(stored, NSPropertyListBinaryFormat_v1_0, 0);
    NSFileManager::defaultManager()->createDirectoryAtPath(PasteboardRegistry::folder(), true, nullptr, nullptr);
    // FIXME: a store that cannot be written leaves the pasteboard in memory only.
    if (data)
        data->writeToFile(storePath(), true);
}
