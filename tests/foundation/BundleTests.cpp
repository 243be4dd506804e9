#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPathUtilities.h"

#include <gtest/gtest.h>

namespace {

class BundleTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto files = NSFileManager::defaultManager();
        files->createDirectoryAtPath(folder + "/html", true, nullptr);
        files->createDirectoryAtPath(folder + "/zh-Hans.lproj", true, nullptr);
        files->createFileAtPath(folder + "/html/help.html", NSData::dataWithBytes("<p>", 3));
        files->createFileAtPath(folder + "/brenlow_data.db", nullptr);
        files->createFileAtPath(folder + "/a.cer", nullptr);
        files->createFileAtPath(folder + "/b.cer", nullptr);
        write("Info.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleShortVersionString</key>"
                            "<string>1.2</string><key>CFBundleIdentifier</key><string>org.example.test</string></dict></plist>");
        write("zh-Hans.lproj/Localizable.strings",
            "/* greeting */\n\"Dismiss\" = \"关闭\";\n// a line comment\n\"quote\" = \"say \\\"hi\\\"\\n\";\n\"unicode\" = \"\\U5B66\";\nbare = word;\n");
        write("RQNetworking.strings", "\"timeout\" = \"请求超时\";");
        bundle = NSBundle::bundleWithPath(folder);
    }

    void write(const char* name, const std::string& text)
    {
        NSFileManager::defaultManager()->createFileAtPath(folder + "/" + name, NSData::dataWithBytes(text.data(), text.size()));
    }

    NSString folder = NSTemporaryDirectory() + "bundle";
    std::shared_ptr<NSBundle> bundle;
};

} // namespace

TEST_F(BundleTest, findsResourcesByNameTypeAndFolder)
{
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->pathForResource("brenlow_data", "db"), folder + "/brenlow_data.db");
    EXPECT_EQ(bundle->pathForResource("brenlow_data.db", NSString()), folder + "/brenlow_data.db");
    EXPECT_EQ(bundle->pathForResource("help", "html", "html"), folder + "/html/help.html");
    EXPECT_EQ(bundle->pathForResource("help", "html"), nullptr);
    EXPECT_EQ(bundle->pathForResource("Localizable", "strings"), folder + "/zh-Hans.lproj/Localizable.strings");
    EXPECT_EQ(bundle->pathForResource("../bundle/a", "cer"), nullptr);
    EXPECT_EQ(bundle->pathsForResourcesOfType("cer", ".")->componentsJoinedByString(","), folder + "/a.cer," + folder + "/b.cer");
    EXPECT_FALSE(NSBundle::bundleWithPath(folder + "/missing"));
}

TEST_F(BundleTest, readsTheInfoDictionary)
{
    EXPECT_EQ(NSString::fromId(bundle->objectForInfoDictionaryKey("CFBundleShortVersionString")), "1.2");
    EXPECT_EQ(bundle->bundleIdentifier(), "org.example.test");
}

TEST_F(BundleTest, translatesThroughStringTables)
{
    EXPECT_EQ(bundle->localizedStringForKey("Dismiss", "", NSString()), "关闭");
    EXPECT_EQ(bundle->localizedStringForKey("quote", NSString(), NSString()), "say \"hi\"\n");
    EXPECT_EQ(bundle->localizedStringForKey("unicode", NSString(), NSString()), "学");
    EXPECT_EQ(bundle->localizedStringForKey("bare", NSString(), NSString()), "word");
    EXPECT_EQ(bundle->localizedStringForKey("timeout", NSString(), "RQNetworking"), "请求超时");
    EXPECT_EQ(bundle->localizedStringForKey("unknown", "", NSString()), "unknown");
    EXPECT_EQ(bundle->localizedStringForKey("unknown", "fallback", "Missing"), "fallback");
}

TEST(StringTable, readsUTF16AndRefusesBrokenText)
{
    std::u16string text = u"\xFEFF\"a\" = \"甲\";";
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    auto table = NSBundle::stringTableWithData(NSData::dataWithBytes(std::move(bytes)));
    ASSERT_TRUE(table);
    EXPECT_EQ(ns::stringForKey(table, "a"), "甲");
    for (const char* broken : { "\"a\" = \"b\"", "\"a\" = ", "\"a", "/* open", "\"a\" = \"\\U12\";", "= \"b\";" })
        EXPECT_FALSE(NSBundle::stringTableWithData(NSData::dataWithBytes(broken, strlen(broken)))) << broken;
}

TEST(MainBundle, isTheResourcesFolderWithItsVersion)
{
    auto main = NSBundle::mainBundle();
    EXPECT_EQ(NSString::fromId(main->objectForInfoDictionaryKey("CFBundleShortVersionString")), "1.0");
    EXPECT_EQ(main->bundlePath(), main->resourcePath());
    EXPECT_TRUE(NSFileManager::defaultManager()->fileExistsAtPath(main->pathForResource("Info", "plist")));
}
