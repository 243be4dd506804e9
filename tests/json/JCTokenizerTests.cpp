#include "JSONTestSupport.h"

#include <cmath>

namespace {

const std::string kUnexpectedToken = JCUnexpectedTokenMessage;
const std::string kSecondEscape = "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence.";
const std::string kIllegalEscape = "Illegal \\u Unicode escape sequence.";
const std::string kIllegalUTF8 = "Illegal UTF8 sequence found in \"\" string.";
const std::string kTruncatedUTF8 = "End of buffer reached while parsing UTF8 in \"\" string.";

std::shared_ptr<NSNumber> number(std::string_view text) { return ns::cast<NSNumber>(decodeMember(text)); }

} // namespace

TEST(JCTokenizerNumbers, keepTheirTypeAtTheSixtyFourBitBoundaries)
{
    auto max = number("[9223372036854775807]");
    ASSERT_TRUE(max);
    EXPECT_STREQ(max->objCType(), "q");
    EXPECT_EQ(max->longLongValue(), INT64_MAX);

    auto aboveSigned = number("[9223372036854775808]");
    ASSERT_TRUE(aboveSigned);
    EXPECT_STREQ(aboveSigned->objCType(), "Q");
    EXPECT_EQ(aboveSigned->unsignedLongLongValue(), 9223372036854775808ull);

    auto min = number("[-9223372036854775808]");
    ASSERT_TRUE(min);
    EXPECT_STREQ(min->objCType(), "q");
    EXPECT_EQ(min->longLongValue(), INT64_MIN);

    auto maxUnsigned = number("[18446744073709551615]");
    ASSERT_TRUE(maxUnsigned);
    EXPECT_EQ(maxUnsigned->unsignedLongLongValue(), UINT64_MAX);

    auto zero = number("[0]");
    ASSERT_TRUE(zero);
    EXPECT_STREQ(zero->objCType(), "q");
}

TEST(JCTokenizerNumbers, minusZeroAndFractionsAreDoubles)
{
    auto minusZero = number("[-0]");
    ASSERT_TRUE(minusZero);
    EXPECT_STREQ(minusZero->objCType(), "d");
    EXPECT_TRUE(std::signbit(minusZero->doubleValue()));
    EXPECT_DOUBLE_EQ(number("[2.5e-3]")->doubleValue(), 0.0025);
    EXPECT_DOUBLE_EQ(number("[1E2]")->doubleValue(), 100.0);
}

TEST(JCTokenizerNumbers, outOfRangeValuesFailWithTheirOwnMessage)
{
    EXPECT_EQ(decode("[18446744073709551616]").message(),
        "The value '18446744073709551616' exceeded the maximum value that could be represented: 18446744073709551615.");
    EXPECT_EQ(decode("[-9223372036854775809]").message(),
        "The value '-9223372036854775809' exceeded the minimum value that could be represented: -9223372036854775808.");
    EXPECT_EQ(decode("[1e400]").message(), "The value '1e400' could not be represented as a 'double' due to overflow.");
    EXPECT_EQ(decode("[1e-400]").message(), "The value '1e-400' could not be represented as a 'double' due to underflow.");
}

TEST(JCTokenizerNumbers, malformedNumbersAreRefused)
{
    EXPECT_EQ(decode("[+1]").message(), kUnexpectedToken);
    EXPECT_EQ(decode("[.5]").message(), kUnexpectedToken);
    EXPECT_EQ(decode("[1.]").message(), "Invalid number.");
    EXPECT_EQ(decode("[1e]").message(), "Invalid number.");
    EXPECT_EQ(decode("[01]").message(), "Unexpected value.");
    EXPECT_EQ(decode("[1").message(), "Invalid number.");
}

TEST(JCTokenizerStrings, everyEscapeIsUnescaped)
{
    EXPECT_EQ(utf8Of(decodeMember(R"(["\"\\\/\b\f\n\r\t"])")), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(utf8Of(decodeMember(R"(["\u00e9\u4E2D"])")), "\xC3\xA9\xE4\xB8\xAD");
    EXPECT_EQ(utf8Of(decodeMember(R"(["a\ud83d\ude00b"])")), "a\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(NSString::fromId(decodeMember(R"(["\ud83d\ude00"])")).length(), 2u);
    EXPECT_EQ(decode(R"(["\x"])").message(), "Invalid escape sequence found in \"\" string.");
    EXPECT_EQ(decode(R"(["\u12G4"])").message(), "Unexpected character found in \\u Unicode escape sequence.  Found 'G', expected [0-9a-fA-F].");
}

TEST(JCTokenizerStrings, loneSurrogatesFailStrictlyAndBecomeReplacementCharacters)
{
    EXPECT_EQ(decode(R"(["\ud83d"])").message(), kSecondEscape);
    EXPECT_EQ(decode(R"(["\ud83dx"])").message(), kSecondEscape);
    EXPECT_EQ(decode(R"(["\ud83d\n"])").message(), kSecondEscape);
    EXPECT_EQ(decode(R"(["\udc00"])").message(), kIllegalEscape);
    EXPECT_EQ(decode(R"(["\ud83d\u0041"])").message(), kIllegalEscape);
    EXPECT_EQ(decode(R"(["\u0000"])").message(), kIllegalEscape);
    EXPECT_EQ(decode(R"(["\uFFFE"])").message(), kIllegalEscape);

    const auto replace = JCParseReplaceBadUnicode;
    EXPECT_EQ(utf8Of(decodeMember(R"(["\ud83d"])", replace)), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8Of(decodeMember(R"(["\ud83dx"])", replace)), "\xEF\xBF\xBDx");
    // The backslash that did not start a second \u escape is read as an escape of its own.
    EXPECT_EQ(utf8Of(decodeMember(R"(["\ud83d\n"])", replace)), "\xEF\xBF\xBD\n");
    EXPECT_EQ(utf8Of(decodeMember(R"(["\udc00"])", replace)), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8Of(decodeMember(R"(["\u0000"])", replace)), "\xEF\xBF\xBD");
    EXPECT_EQ(utf8Of(decodeMember(R"(["\ud83d\u0041!"])", replace)), "\xEF\xBF\xBD!");
}

TEST(JCTokenizerStrings, invalidUTF8FailsStrictlyAndIsReplacedOnlyWhenAsked)
{
    for (const char* bad : { "\xC0\x80", "\xED\xA0\x80", "\xEF\xBF\xBF", "\xFF", "\x80" }) {
        const std::string text = std::string("[\"a") + bad + "b\"]";
        for (JCParseOptionFlags options : { JCParseOptionFlags(JCParseOptionsNone), JCParseOptionFlags(JCParseAllowComments | JCParseUnicodeLineBreaks | JCParseAllowTrailingText) })
            EXPECT_EQ(decode(text, options).message(), kIllegalUTF8) << text;
        EXPECT_EQ(utf8Of(decodeMember(text, JCParseReplaceBadUnicode)), "a\xEF\xBF\xBD" "b") << text;
    }
    // Cut off by the end of the text: refused under every option.
    for (JCParseOptionFlags options = 0; options < 16; ++options)
        EXPECT_EQ(decode("[\"\xE4\xB8", options).message(), kTruncatedUTF8);
    EXPECT_EQ(utf8Of(decodeMember("[\"\xE4\xB8\xAD\xF0\x9F\x98\x80\"]")), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
}

TEST(JCTokenizerStrings, controlCharactersAreRefused)
{
    EXPECT_EQ(decode("[\"a\nb\"]").message(), "Invalid character < 0x20 found in string: 0x0a.");
    EXPECT_EQ(decode("[\"a\\n\x01\"]").message(), "Invalid character < 0x20 found in string: 0x01.");
    EXPECT_EQ(decode("[\"abc").message(), "Invalid string.");
}

TEST(JCTokenizerStrings, longEscapedStringsOutgrowTheTokenBuffer)
{
    std::string value;
    for (int i = 0; i < 5000; ++i)
        value += "\\u4e2d\\n";
    auto text = NSString::fromId(decodeMember("[\"" + value + "\"]"));
    ASSERT_EQ(text.length(), 10000u);
    EXPECT_EQ(text.characterAtIndex(9998), u'中');
    EXPECT_EQ(text.characterAtIndex(9999), u'\n');
}

TEST(JCTokenizerWhitespace, commentsAndUnicodeBreaksOnlyWhenAsked)
{
    const std::string commented = "[1 /* one */, // rest\n 2 /*/]";
    EXPECT_FALSE(decode(commented).object);
    EXPECT_FALSE(decode("[1 /* c */]").object);
    auto array = ns::cast<NSArray>(decode("[1 /* c */, 2 // x\n]", JCParseAllowComments).object);
    ASSERT_TRUE(array);
    EXPECT_EQ(array->count(), 2u);
    // "/*/" is a whole comment.
    EXPECT_TRUE(decode("[1 /*/ ]", JCParseAllowComments).object);
    EXPECT_FALSE(decode("\xEF\xBB\xBF[1]", JCParseAllowComments).object);

    const std::string lineSeparator = "[1,\xE2\x80\xA8 2]";
    EXPECT_FALSE(decode(lineSeparator).object);
    EXPECT_TRUE(decode(lineSeparator, JCParseUnicodeLineBreaks).object);
}

TEST(JCTokenizerLiterals, mustNotEndTheTextAndAreReadWithoutLookingFurther)
{
    EXPECT_EQ(decode("[true").message(), kUnexpectedToken);
    EXPECT_EQ(decode("[truex]").message(), kUnexpectedToken);
    auto array = ns::cast<NSArray>(decode("[true,false,null]").object);
    ASSERT_TRUE(array);
    EXPECT_EQ(array->objectAtIndex(0), NSNumber::numberWithBool(true));
    EXPECT_EQ(array->objectAtIndex(1), NSNumber::numberWithBool(false));
    EXPECT_EQ(array->objectAtIndex(2), NSNull::null());
}
