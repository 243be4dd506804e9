#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/PropertyListNode.h"

#include "tests/support/OtherProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

TEST(UserDefaults, survivesARestartAndIsReadByASecondProcess)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(NSString("ABC123"), "SESSIONID");
    defaults->setInteger(-42, "count");
    defaults->setBool(true, "agreed");
    defaults->setDouble(2.5, "ratio");
    defaults->setObject(NSData::dataWithBytes("\0\1\2", 3), "cookies");
    defaults->setObject(ns::dictionary({ { "http_url", NSString("http://127.0.0.1/") } }), "urls");
    ASSERT_TRUE(defaults->synchronize());
    EXPECT_TRUE(defaults->filePath().hasPrefix(NSHomeDirectory() + "/Library/Preferences/"));

    NSUserDefaults::resetStandardUserDefaults();
    auto reopened = NSUserDefaults::standardUserDefaults();
    EXPECT_NE(reopened, defaults);
    EXPECT_EQ(reopened->stringForKey("SESSIONID"), "ABC123");
    EXPECT_EQ(reopened->integerForKey("count"), -42);
    EXPECT_TRUE(reopened->boolForKey("agreed"));
    EXPECT_DOUBLE_EQ(reopened->doubleForKey("ratio"), 2.5);
    ASSERT_TRUE(reopened->dataForKey("cookies"));
    EXPECT_EQ(reopened->dataForKey("cookies")->length(), 3u);
    EXPECT_EQ(ns::stringForKey(reopened->dictionaryForKey("urls"), "http_url"), "http://127.0.0.1/");

    EXPECT_TRUE(passesInAnotherProcess("UserDefaultsSecondProcess.DISABLED_readsWhatTheFirstWrote"));
}

TEST(UserDefaultsSecondProcess, DISABLED_readsWhatTheFirstWrote)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults->stringForKey("SESSIONID"), "ABC123");
    EXPECT_EQ(defaults->integerForKey("count"), -42);
    EXPECT_TRUE(defaults->boolForKey("agreed"));
}

TEST(UserDefaults, nilRemovesAndRegisteredDefaultsFillGaps)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->registerDefaults(ns::dictionary({ { "volume", ns::number(5) }, { "name", NSString("guest") } }));
    defaults->setObject(NSString("learner"), "name");
    EXPECT_EQ(defaults->stringForKey("name"), "learner");
    EXPECT_EQ(defaults->integerForKey("volume"), 5);

    defaults->setObject(nullptr, "name");
    EXPECT_EQ(defaults->stringForKey("name"), "guest");
    defaults->synchronize();
    NSUserDefaults::resetStandardUserDefaults();
    // Registered values are never written.
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->objectForKey("volume"), nullptr);
}

TEST(UserDefaults, theSameTextAgainIsNotSavedAgain)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    const std::string path = defaults->filePath().UTF8String();
    const auto fileIdentity = [&path] {
        struct stat status { };
        return stat(path.c_str(), &status) == 0 ? status.st_ino : ino_t(0);
    };
    defaults->setObject(NSString("http://127.0.0.1:3600/"), "http_url");
    defaults->setInteger(7, "port");
    ASSERT_TRUE(defaults->synchronize());
    const ino_t saved = fileIdentity();
    ASSERT_NE(saved, ino_t(0));

    // A save replaces the file whole, so an untouched file keeps its identity.
    defaults->setObject(NSString("http://127.0.0.1:3600/"), "http_url");
    ASSERT_TRUE(defaults->synchronize());
    EXPECT_EQ(fileIdentity(), saved);

    // The same digits as text replace a number; another text is saved.
    defaults->setObject(NSString("7"), "port");
    defaults->setObject(NSString("http://10.0.0.1/"), "http_url");
    ASSERT_TRUE(defaults->synchronize());
    EXPECT_NE(fileIdentity(), saved);
    NSUserDefaults::resetStandardUserDefaults();
    auto reopened = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(reopened->stringForKey("http_url"), "http://10.0.0.1/");
    EXPECT_FALSE(ns::cast<NSNumber>(reopened->objectForKey("port")));
    EXPECT_EQ(reopened->stringForKey("port"), "7");
}

TEST(UserDefaults, readsTypedValuesLeniently)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(NSString("12"), "text");
    defaults->setInteger(7, "number");
    EXPECT_EQ(defaults->integerForKey("text"), 12);
    EXPECT_EQ(defaults->stringForKey("number"), "7");
    EXPECT_EQ(defaults->dataForKey("text"), nullptr);
    EXPECT_EQ(defaults->arrayForKey("number"), nullptr);
    EXPECT_EQ(defaults->integerForKey("missing"), 0);
    EXPECT_FALSE(defaults->boolForKey("missing"));
}

TEST(UserDefaults, storesACopyNotTheCallersMutableObject)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    auto list = NSMutableArray::array();
    list->addObject(NSString("a"));
    defaults->setObject(list, "list");
    list->addObject(NSString("b"));
    EXPECT_EQ(defaults->arrayForKey("list")->count(), 1u);
}

TEST(UserDefaults, refusesValuesThatAreNoPropertyList)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    EXPECT_THROW(defaults->setObject(NSObject::create(), "object"), NSException);
    EXPECT_THROW(defaults->setObject(ns::array({ NSNull::null() }), "nulls"), NSException);
    EXPECT_EQ(defaults->objectForKey("object"), nullptr);
}

TEST(UserDefaults, damagedFileReadsAsEmpty)
{
    NSString path = NSUserDefaults::standardUserDefaults()->filePath();
    NSUserDefaults::resetStandardUserDefaults();
    const char damaged[] = "bplist00\xff\xff garbage";
    ASSERT_TRUE(NSData::dataWithBytes(damaged, sizeof damaged - 1)->writeToFile(path, true));
    auto defaults = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults->dictionaryRepresentation()->count(), 0u);
    defaults->setBool(true, "recovered");
    EXPECT_TRUE(defaults->synchronize());
}

TEST(PropertyListSerialization, roundTripsEveryValueClassInBothFormats)
{
    auto plist = ns::dictionary({
        { "text", NSString("科目一 😀") },
        { "integer", ns::number(NSInteger(-9000000000)) },
        { "real", ns::number(0.25) },
        { "yes", ns::boolean(true) },
        { "data", NSData::dataWithBytes("\0xyz", 4) },
        { "date", NSDate::dateWithTimeIntervalSinceReferenceDate(450000000) },
        { "list", ns::array({ NSString("a"), ns::number(1) }) },
    });
    for (NSPropertyListFormat format : { NSPropertyListXMLFormat_v1_0, NSPropertyListBinaryFormat_v1_0 }) {
        std::shared_ptr<NSError> error;
        auto data = NSPropertyListSerialization::dataWithPropertyList(plist, format, 0, &error);
        ASSERT_TRUE(data) << format;
        NSPropertyListFormat found = NSPropertyListOpenStepFormat;
        id back = NSPropertyListSerialization::propertyListWithData(data, NSPropertyListImmutable, &found, &error);
        EXPECT_EQ(found, format);
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->isEqual(plist)) << ns::describe(back);
        auto yes = ns::numberValue(ns::cast<NSDictionary>(back)->objectForKey("yes"));
        EXPECT_TRUE(yes && yes->isBoolean());
        EXPECT_FALSE(ns::cast<NSMutableDictionary>(back));
    }
}

TEST(PropertyListSerialization, mutableContainersOnRequest)
{
    auto data = NSPropertyListSerialization::dataWithPropertyList(ns::dictionary({ { "list", ns::array({ NSString("a") }) } }),
        NSPropertyListXMLFormat_v1_0, 0);
    auto back = ns::cast<NSMutableDictionary>(
        NSPropertyListSerialization::propertyListWithData(data, NSPropertyListMutableContainers, nullptr));
    ASSERT_TRUE(back);
    EXPECT_TRUE(ns::cast<NSMutableArray>(back->objectForKey("list")));
}

TEST(PropertyListSerialization, damagedDataAndInvalidObjectsGiveErrors)
{
    auto data = NSPropertyListSerialization::dataWithPropertyList(ns::array({ NSString("x"), ns::number(3) }),
        NSPropertyListBinaryFormat_v1_0, 0);
    ASSERT_TRUE(data);
    for (NSUInteger length = 0; length < data->length(); ++length) {
        std::shared_ptr<NSError> error;
        id back = NSPropertyListSerialization::propertyListWithData(data->subdataWithRange(NSMakeRange(0, length)), 0, nullptr, &error);
        EXPECT_FALSE(back) << length;
        EXPECT_TRUE(error) << length;
    }
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(NSData::dataWithBytes("<plist><array><string>x</array>", 31), 0, nullptr, &error));
    EXPECT_EQ(error->code(), NSPropertyListReadCorruptError);
    EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(ns::array({ NSNull::null() }), NSPropertyListXMLFormat_v1_0, 0, &error));
    EXPECT_EQ(error->code(), NSPropertyListWriteInvalidError);
}

TEST(SandboxFolders, areMadeUnderTheHomeOnFirstUse)
{
    NSString home = NSHomeDirectory();
    EXPECT_EQ(home, NSString(getenv("CORVANE_HOME")));
    NSString documents = NSString::fromId(NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true)->lastObject());
    NSString caches = NSString::fromId(NSSearchPathForDirectoriesInDomains(NSCachesDirectory, NSUserDomainMask, true)->firstObject());
    EXPECT_EQ(documents, home + "/Documents");
    EXPECT_EQ(caches, home + "/Library/Caches");
    EXPECT_EQ(NSTemporaryDirectory(), home + "/tmp/");
    struct stat info {};
    EXPECT_EQ(stat((home + "/Library/Preferences").UTF8String().c_str(), &info), 0);
    EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSSystemDomainMask, true)->count(), 0u);
}

namespace {

// A binary list of nested one-member arrays: object i holds object next(i), the last is empty.
std::shared_ptr<NSData> binaryChain(std::uint32_t count, std::uint32_t (*next)(std::uint32_t, std::uint32_t))
{
    std::vector<std::uint8_t> bytes { 'b', 'p', 'l', 'i', 's', 't', '0', '0' };
    auto appendBigEndian = [&bytes](std::uint64_t value, int size) {
        for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t index = 0; index < count; ++index) {
        offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
        std::uint32_t child = next(index, count);
        if (child == count) {
            bytes.push_back(0xA0);
        } else {
            bytes.push_back(0xA1);
            appendBigEndian(child, 4);
        }
    }
    std::uint64_t table = bytes.size();
    for (std::uint32_t offset : offsets)
        appendBigEndian(offset, 4);
    bytes.insert(bytes.end(), 6, 0);
    bytes.push_back(4);
    bytes.push_back(4);
    appendBigEndian(count, 8);
    appendBigEndian(0, 8);
    appendBigEndian(table, 8);
    return NSData::dataWithBytes(std::move(bytes));
}

} // namespace

TEST(PropertyListSerialization, refusesHostileNestingWithoutExhaustingTheStack)
{
    auto toNext = [](std::uint32_t index, std::uint32_t) { return index + 1; };
    EXPECT_TRUE(NSPropertyListSerialization::propertyListWithData(binaryChain(100, toNext), 0, nullptr));
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(binaryChain(200000, toNext), 0, nullptr));
    auto toItself = [](std::uint32_t, std::uint32_t) { return std::uint32_t(0); };
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(binaryChain(1, toItself), 0, nullptr));
    auto pastTheEnd = [](std::uint32_t, std::uint32_t count) { return count + 5; };
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(binaryChain(3, pastTheEnd), 0, nullptr));

    std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int level = 0; level < 100000; ++level)
        xml += "<array>";
    for (int level = 0; level < 100000; ++level)
        xml += "</array>";
    xml += "</plist>";
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(NSData::dataWithBytes(xml.data(), xml.size()), 0, nullptr));
}

namespace {

// The file's preferences made anew: the region first, then the session, as a login leaves them.
NSString writeLoginPreferences()
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    auto keys = defaults->dictionaryRepresentation()->allKeys();
    for (NSUInteger i = 0; i < keys->count(); ++i)
        defaults->removeObjectForKey(NSString::fromId(keys->objectAtIndex(i)));
    defaults->setObject(NSString("成都市"), "DEPNAME");
    defaults->setObject(NSString("510000"), "PROVINCE");
    defaults->setObject(NSString("7F3A90C2B1D84E6FA0C1"), "SESSIONID");
    defaults->setObject(NSData::dataWithBytes(std::vector<std::uint8_t>(600, 0x5a)), "sessionCookies");
    EXPECT_TRUE(defaults->synchronize());
    const NSString path = defaults->filePath();
    NSUserDefaults::resetStandardUserDefaults();
    return path;
}

mode_t modeOf(const NSString& path)
{
    struct stat info {};
    ::stat(path.UTF8String().c_str(), &info);
    return info.st_mode & 0777;
}

} // namespace

TEST(UserDefaults, aFileCutShortOrOverwrittenKeepsTheEntriesBeforeTheDamage)
{
    const NSString path = writeLoginPreferences();
    const std::string file = path.UTF8String();
    const auto whole = std::filesystem::file_size(file);

    // Cut: the trailer and the offset table are gone.
    std::filesystem::resize_file(file, whole - 48);
    auto cut = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(cut->stringForKey("DEPNAME"), "成都市");
    EXPECT_EQ(cut->stringForKey("PROVINCE"), "510000");
    // Half a value is no value: what comes back is whole.
    if (auto cookies = cut->dataForKey("sessionCookies")) {
        EXPECT_EQ(cookies->length(), 600u);
    }

    // Overwritten from the middle of the cookies on, trailer included.
    writeLoginPreferences();
    {
        std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
        stream.seekp(std::streamoff(whole / 2));
        const std::string noise(whole - whole / 2, '\xee');
        stream.write(noise.data(), std::streamsize(noise.size()));
    }
    auto overwritten = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(overwritten->stringForKey("DEPNAME"), "成都市");
    EXPECT_EQ(overwritten->stringForKey("PROVINCE"), "510000");
    if (auto cookies = overwritten->dataForKey("sessionCookies")) {
        EXPECT_EQ(cookies->length(), 600u);
    }

    // What was read is written back whole on the next save.
    overwritten->setBool(true, "saved");
    ASSERT_TRUE(overwritten->synchronize());
    NSUserDefaults::resetStandardUserDefaults();
    EXPECT_TRUE(ns::cast<NSDictionary>(PropertyListNode::parse(NSData::dataWithContentsOfFile(path)).toObject()));
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey("DEPNAME"), "成都市");
}

TEST(UserDefaults, aPreferencesFileOfManyMegabytesIsTakenAsDamaged)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(NSString("成都市"), "DEPNAME");
    defaults->setObject(NSData::dataWithBytes(std::vector<std::uint8_t>(5 << 20, 1)), "bulk");
    ASSERT_TRUE(defaults->synchronize());
    NSUserDefaults::resetStandardUserDefaults();

    auto reopened = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(reopened->objectForKey("DEPNAME"), nullptr);
    EXPECT_EQ(reopened->objectForKey("bulk"), nullptr);
    reopened->setObject(NSString("510000"), "PROVINCE");
    ASSERT_TRUE(reopened->synchronize());
    EXPECT_LT(std::filesystem::file_size(reopened->filePath().UTF8String()), 4096u);
}

TEST(UserDefaults, thePreferencesAreTheOwnersAloneAndOtherFilesFollowTheUmask)
{
    const mode_t previous = ::umask(022);
    const NSString path = writeLoginPreferences();
    EXPECT_EQ(modeOf(path), 0600u);

    // A file left open to others by an older build is closed on start.
    ::chmod(path.UTF8String().c_str(), 0644);
    NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(modeOf(path), 0600u);

    const NSString other = NSTemporaryDirectory().stringByAppendingPathComponent("modes.bin");
    auto bytes = NSData::dataWithBytes("photo", 5);
    for (const auto& [mask, expected] : std::vector<std::pair<mode_t, mode_t>> { { 022, 0644 }, { 002, 0664 }, { 077, 0600 } }) {
        ::umask(mask);
        ::unlink(other.UTF8String().c_str());
        ASSERT_TRUE(bytes->writeToFile(other, true));
        EXPECT_EQ(modeOf(other), expected) << std::oct << mask;
        ::unlink(other.UTF8String().c_str());
        ASSERT_TRUE(bytes->writeToFile(other, false));
        EXPECT_EQ(modeOf(other), expected) << std::oct << mask;
    }
    ::umask(previous);
}
