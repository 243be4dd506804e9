#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"

#include <gtest/gtest.h>

namespace {

// A binary list of one dictionary whose only key is `key` (marker byte and body as stored) and
// whose value is the integer 1.
std::shared_ptr<NSData> dictionaryWithStoredKey(const std::string& key)
{
    std::string list = "bplist00";
    const std::size_t dictionaryAt = list.size();
    list += "\xD1\x01\x02";
    const std::size_t keyAt = list.size();
    list += key;
    const std::size_t valueAt = list.size();
    list += std::string("\x10\x01", 2);
    const std::size_t tableAt = list.size();
    list += char(dictionaryAt);
    list += char(keyAt);
    list += char(valueAt);
    list += std::string(6, '\0') + "\x01\x01";
    for (std::uint64_t field : { std::uint64_t(3), std::uint64_t(0), std::uint64_t(tableAt) })
        for (int shift = 56; shift >= 0; shift -= 8)
            list += char(field >> shift);
    return NSData::dataWithBytes(list.data(), list.size());
}

// "é" then U+0000 as a UTF-16 key: 53 bytes in all.
std::shared_ptr<NSData> keyWithZeroUnit() { return dictionaryWithStoredKey(std::string("\x62\x00\xE9\x00\x00", 5)); }

} // namespace

TEST(PropertyListHostile, aKeyHoldingUPlus0000IsRefusedNotFatal)
{
    auto sound = NSPropertyListSerialization::propertyListWithData(dictionaryWithStoredKey(std::string("\x61\x00\xE9", 3)), 0, nullptr);
    ASSERT_TRUE(ns::cast<NSDictionary>(sound));
    EXPECT_TRUE(ns::cast<NSDictionary>(sound)->objectForKey(NSString("é")));

    ASSERT_EQ(keyWithZeroUnit()->length(), 53u);
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(keyWithZeroUnit(), 0, nullptr, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSPropertyListReadCorruptError);
    // The same in a longer key, whose length needs its own count object, and in a one-byte key.
    std::string longKey = "\x6F\x10\x11";
    for (int i = 0; i < 17; ++i)
        longKey += i == 9 ? std::string(2, '\0') : std::string("\0a", 2);
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(dictionaryWithStoredKey(longKey), 0, nullptr));
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(dictionaryWithStoredKey(std::string("\x52\x61\x00", 3)), 0, nullptr));
    // A key whose length runs past the object table.
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(dictionaryWithStoredKey(std::string("\x6E\x00\x61", 3)), 0, nullptr));
    // Such a key as an archive is no archive.
    EXPECT_FALSE(NSKeyedUnarchiver::unarchiveObjectWithData(keyWithZeroUnit()));
}

TEST(PropertyListHostile, aPreferencesFileWithSuchAKeyReadsAsNoPreferences)
{
    NSString path = NSUserDefaults::standardUserDefaults()->filePath();
    NSUserDefaults::resetStandardUserDefaults();
    ASSERT_TRUE(keyWithZeroUnit()->writeToFile(path, true));
    auto defaults = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults->dictionaryRepresentation()->count(), 0u);
    defaults->setBool(true, "recovered");
    EXPECT_TRUE(defaults->synchronize());
    NSUserDefaults::resetStandardUserDefaults();
    EXPECT_TRUE(NSUserDefaults::standardUserDefaults()->boolForKey("recovered"));
}
