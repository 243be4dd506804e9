#include "library/network/device/NSString_MD5Addition.h"
#include "library/network/device/UIDevice_System.h"

#include "platform/foundation/NSNull.h"

#include <gtest/gtest.h>

using namespace NSString_MD5Addition;

TEST(NSString_MD5Addition, digestsTheWholeUTF8Text)
{
    EXPECT_EQ(stringFromMD5(""), nullptr);
    EXPECT_EQ(stringFromMD5("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5(nullptr, "abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(sha1(nullptr, "abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // Texts that differ only after a U+0000 do not share a digest.
    EXPECT_NE(md5(nullptr, NSString(std::u16string(u"a\0b", 3))), md5(nullptr, NSString(std::u16string(u"a\0c", 3))));
}

TEST(NSString_MD5Addition, escapesAndUnescapesURLText)
{
    EXPECT_EQ(urlEncodeUsingEncoding("a b/c", NSUTF8StringEncoding), "a%20b%2Fc");
    EXPECT_EQ(urlEncode("中-._~!"), "%E4%B8%AD-._~%21");
    EXPECT_EQ(urlDecodeUsingEncoding("%E4%B8%AD", NSUTF8StringEncoding), "中");
    EXPECT_EQ(urlDecode("a+b"), "a+b");
    EXPECT_EQ(urlDecode("100%"), nullptr);
    EXPECT_EQ(urlDecode("%zz"), nullptr);
    EXPECT_EQ(urlDecode("%FF"), nullptr);
}

TEST(NSString_MD5Addition, convertsHexadecimalText)
{
    EXPECT_EQ(stringToHex("A中"), "414e2d");
    EXPECT_EQ(hexToString("4142"), "AB");
    EXPECT_EQ(hexToString("414"), "");
}

TEST(NSString_MD5Addition, validatorsMatchTheWholeText)
{
    EXPECT_TRUE(isValidPhone("13812345678"));
    EXPECT_FALSE(isValidPhone("138123456789"));
    EXPECT_TRUE(isValidQQ("12345"));
    EXPECT_FALSE(isValidQQ("01234"));
    EXPECT_TRUE(isValidEmail("a.b@example.cn"));
    EXPECT_FALSE(isValidEmail("a.b@example.cn "));
    EXPECT_TRUE(isValidatIP("192.168.1.255"));
    EXPECT_FALSE(isValidatIP("256.1.1.1"));
    EXPECT_TRUE(isValidatIPPort("3600"));
    EXPECT_FALSE(isValidatIPPort("123456"));
}

TEST(NSString_MD5Addition, emptinessAndReplacement)
{
    EXPECT_TRUE(isEmpty(nullptr));
    EXPECT_TRUE(isEmpty(NSNull::null()));
    EXPECT_TRUE(isEmpty(NSString("   ")));
    EXPECT_FALSE(isEmpty(NSString(" x ")));
    EXPECT_EQ(replaceRegexAll("http://h:3600/Tessalane/RESOURCE/a/resource/", "resource/", ""), "http://h:3600/Tessalane/a/");
    EXPECT_EQ(replaceRegexAll("a.swf", "[.]swf", ".mp4"), "a.mp4");
    EXPECT_EQ(replaceRegexAll("abc", "(", "x"), nullptr);
    EXPECT_EQ(stringByStrippingHTML("<b>bold</b><!-- note --> text"), "bold text");
}

TEST(UIDevice_System, comparesTheSystemVersionNumerically)
{
    auto device = UIDevice::create();
    UIDevice::setSystemVersion("7.1");
    EXPECT_TRUE(UIDevice_System::isSystemGreaterEqualOS7(device));
    EXPECT_FALSE(UIDevice_System::isSystemGreaterEqualOS8(device));
    UIDevice::setSystemVersion("10.3");
    EXPECT_TRUE(UIDevice_System::isSystemGreaterEqualOS5(device));
    EXPECT_TRUE(UIDevice_System::isSystemGreaterEqualOS8(device));
    UIDevice::setSystemVersion("8");
    EXPECT_FALSE(UIDevice_System::isSystemGreaterEqualOS8(device));
    UIDevice::setSystemVersion("8.1");
}
