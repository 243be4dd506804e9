#include "platform/foundation/Foundation.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(NSString, countsUTF16UnitsForChineseAndEmoji)
{
    NSString subject = "科目一";
    EXPECT_EQ(subject.length(), 3u);
    EXPECT_EQ(subject.substringFromIndex(1), "目一");
    EXPECT_EQ(subject.characterAtIndex(2), u'一');

    NSString mixed = "A😀B";
    EXPECT_EQ(mixed.length(), 4u);
    EXPECT_EQ(mixed.substringWithRange(NSMakeRange(1, 2)).UTF8String(), "😀");
    EXPECT_EQ(mixed.rangeOfComposedCharacterSequenceAtIndex(2), NSMakeRange(1, 2));
    EXPECT_EQ(mixed.UTF8String(), "A😀B");
}

TEST(NSString, nilIsDistinctFromEmpty)
{
    NSString nothing;
    NSString empty = "";
    EXPECT_TRUE(nothing.isNil());
    EXPECT_FALSE(empty.isNil());
    EXPECT_EQ(nothing.length(), 0u);
    EXPECT_FALSE(nothing == empty);
    EXPECT_TRUE(nothing == NSString());
    EXPECT_FALSE(nothing.isEqualToString(nothing));
}

TEST(NSString, outOfRangeAccessRaises)
{
    NSString text = "abc";
    EXPECT_THROW(text.characterAtIndex(3), NSException);
    EXPECT_THROW(text.substringFromIndex(4), NSException);
    EXPECT_THROW(text.substringWithRange(NSMakeRange(2, 2)), NSException);
    EXPECT_EQ(text.substringFromIndex(3), "");
}

TEST(NSString, readsLeadingNumbersAsThePlatformDoes)
{
    EXPECT_EQ(NSString(" 12abc").intValue(), 12);
    EXPECT_EQ(NSString("abc").intValue(), 0);
    EXPECT_EQ(NSString("-0").intValue(), 0);
    EXPECT_EQ(NSString("3.9").intValue(), 3);
    EXPECT_EQ(NSString("\n\t-42x").integerValue(), -42);
    EXPECT_EQ(NSString("99999999999").intValue(), INT_MAX);
    EXPECT_EQ(NSString("-99999999999").intValue(), INT_MIN);
    EXPECT_EQ(NSString("9223372036854775808").longLongValue(), LLONG_MAX);
    EXPECT_DOUBLE_EQ(NSString(" 3.25e2kg").doubleValue(), 325.0);
    EXPECT_DOUBLE_EQ(NSString(".5").doubleValue(), 0.5);
    EXPECT_DOUBLE_EQ(NSString("1e").doubleValue(), 1.0);
    EXPECT_FLOAT_EQ(NSString("8.1").floatValue(), 8.1f);
    EXPECT_EQ(NSString().intValue(), 0);
}

TEST(NSString, boolValueFollowsTheFirstSignificantCharacter)
{
    EXPECT_TRUE(NSString("YES").boolValue());
    EXPECT_TRUE(NSString("  true").boolValue());
    EXPECT_TRUE(NSString("-007").boolValue());
    EXPECT_FALSE(NSString("000").boolValue());
    EXPECT_FALSE(NSString("no").boolValue());
    EXPECT_FALSE(NSString("").boolValue());
}

TEST(NSString, searchesWithOptions)
{
    NSString text = "Hello hello HELLO";
    EXPECT_EQ(text.rangeOfString("hello"), NSMakeRange(6, 5));
    EXPECT_EQ(text.rangeOfString("hello", NSCaseInsensitiveSearch), NSMakeRange(0, 5));
    EXPECT_EQ(text.rangeOfString("hello", NSCaseInsensitiveSearch | NSBackwardsSearch), NSMakeRange(12, 5));
    EXPECT_EQ(text.rangeOfString("hello", NSAnchoredSearch).location, NSNotFound);
    EXPECT_EQ(text.rangeOfString("HELLO", NSAnchoredSearch | NSBackwardsSearch), NSMakeRange(12, 5));
    EXPECT_EQ(text.rangeOfString("").location, NSNotFound);

    NSString city = "广州市天河区";
    NSRange cut = city.rangeOfString("市");
    EXPECT_EQ(city.substringToIndex(cut.location), "广州");
}

TEST(NSString, comparesWithCaseFoldingAndNumbers)
{
    EXPECT_EQ(NSString("abc").caseInsensitiveCompare("ABD"), NSOrderedAscending);
    EXPECT_EQ(NSString("Straße").caseInsensitiveCompare("STRASSE"), NSOrderedSame);
    EXPECT_EQ(NSString("file10").compare("file9", NSNumericSearch), NSOrderedDescending);
    EXPECT_EQ(NSString("file10").compare("file9"), NSOrderedAscending);
    EXPECT_TRUE(NSString("http://x").hasPrefix("http"));
    EXPECT_FALSE(NSString("abc").hasPrefix(""));
    EXPECT_TRUE(NSString("a.png").hasSuffix(".png"));
}

TEST(NSString, splitsTrimsAndReplaces)
{
    auto parts = NSString("a,,b,").componentsSeparatedByString(",");
    ASSERT_EQ(parts->count(), 4u);
    EXPECT_EQ(NSString::fromId(parts->objectAtIndex(1)), "");
    EXPECT_EQ(NSString::fromId(parts->objectAtIndex(2)), "b");

    auto words = NSString("a b\tc").componentsSeparatedByCharactersInSet(*NSCharacterSet::whitespaceCharacterSet());
    EXPECT_EQ(words->count(), 3u);

    EXPECT_EQ(NSString(" \n 张三 \t\n").stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceAndNewlineCharacterSet()), "张三");
    EXPECT_EQ(NSString(" \n x ").stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceCharacterSet()), "\n x");
    EXPECT_EQ(NSString("a+b+c").stringByReplacingOccurrencesOfString("+", " "), "a b c");
    EXPECT_EQ(NSString("aaa").stringByReplacingOccurrencesOfString("aa", "b"), "ba");
    EXPECT_EQ(NSString("AbA").stringByReplacingOccurrencesOfString("a", "x", NSCaseInsensitiveSearch, NSMakeRange(0, 3)), "xbx");
}

TEST(NSString, mapsCase)
{
    EXPECT_EQ(NSString("abc-é").uppercaseString(), "ABC-É");
    EXPECT_EQ(NSString("ÀB").lowercaseString(), "àb");
    EXPECT_EQ(NSString("hello wORLD").capitalizedString(), "Hello World");
    EXPECT_EQ(NSString("科目").uppercaseString(), "科目");
}

TEST(NSString, formatsWithObjectsAndPrintfConversions)
{
    id nothing;
    EXPECT_EQ(NSString::stringWithFormat("%@", nothing), "(null)");
    EXPECT_EQ(NSString::stringWithFormat("%@%@", NSString("v"), NSString("1.0")), "v1.0");
    EXPECT_EQ(NSString::stringWithFormat("%@", ns::number(3)), "3");
    EXPECT_EQ(NSString::stringWithFormat("%0.3f|%d|%ld|%5s|", 2.5, -7, NSInteger(1) << 40, "ab"), "2.500|-7|1099511627776|   ab|");
    EXPECT_EQ(NSString::stringWithFormat("%0.6X", 0xABCDEF), "ABCDEF");
    EXPECT_EQ(NSString::stringWithFormat("%X", -1), "FFFFFFFF");
    EXPECT_EQ(NSString::stringWithFormat("100%% %@", NSString("完成")), "100% 完成");
    // Fewer arguments than conversions write nothing instead of reading garbage.
    EXPECT_EQ(NSString::stringWithFormat("%d-%d", 1), "1-");
    EXPECT_EQ(NSString::stringWithFormat("%s", NSString("中文")), "中文");
}

TEST(NSString, percentEscapesUseExplicitSets)
{
    auto allowed = NSCharacterSet::characterSetWithCharactersInString("abc");
    EXPECT_EQ(NSString("ab 中").stringByAddingPercentEncodingWithAllowedCharacters(*allowed), "ab%20%E4%B8%AD");
    EXPECT_EQ(NSString("a%20b%E4%B8%AD").stringByRemovingPercentEncoding(), "a b中");
    EXPECT_TRUE(NSString("%E4%B8").stringByRemovingPercentEncoding().isNil());
    EXPECT_TRUE(NSString("%zz").stringByRemovingPercentEncoding().isNil());
    EXPECT_EQ(NSString("a b&c").stringByAddingPercentEscapesUsingEncoding(NSUTF8StringEncoding), "a%20b&c");
}

TEST(NSString, convertsEncodings)
{
    NSString text = "驾校";
    auto gbk = text.dataUsingEncoding(NSGBKStringEncoding);
    ASSERT_TRUE(gbk);
    EXPECT_EQ(gbk->length(), 4u);
    EXPECT_EQ(NSString::initWithData(gbk, NSGBKStringEncoding), text);
    EXPECT_TRUE(NSString::initWithBytes("\xff\xfe", 2, NSUTF8StringEncoding).isNil());
    EXPECT_FALSE(text.canBeConvertedToEncoding(NSASCIIStringEncoding));
    EXPECT_TRUE(NSString::stringWithUTF8String("\xc3\x28").isNil());
    EXPECT_EQ(NSString::stringWithUTF8String("\xef\xbf\xbd"), "\uFFFD");
}

TEST(NSString, handlesPaths)
{
    NSString documents = "/home/u/Documents/";
    EXPECT_EQ(documents.stringByAppendingPathComponent("brenlow_data.db"), "/home/u/Documents/brenlow_data.db");
    EXPECT_EQ(NSString("/a/b.tar.gz").pathExtension(), "gz");
    EXPECT_EQ(NSString("/a/b.tar.gz").stringByDeletingPathExtension(), "/a/b.tar");
    EXPECT_EQ(NSString("/a/b/").lastPathComponent(), "b");
    EXPECT_EQ(NSString("/a").stringByDeletingLastPathComponent(), "/");
    EXPECT_EQ(NSString("/a/./b/../c").stringByStandardizingPath(), "/a/c");
}

TEST(NSMutableString, editsInPlaceAndSharesWithHandles)
{
    auto text = NSMutableString::stringWithString("驾驶");
    NSString view = text;
    text->appendString("培训");
    text->insertString("[", 0);
    text->appendFormat("%d", 1);
    EXPECT_EQ(view, "[驾驶培训1");
    text->deleteCharactersInRange(NSMakeRange(0, 1));
    EXPECT_EQ(NSString(text), "驾驶培训1");
    NSString frozen = view.copy();
    text->setString("x");
    EXPECT_EQ(frozen, "驾驶培训1");
    EXPECT_THROW(text->insertString("y", 5), NSException);
}

TEST(NSCharacterSet, urlSetsKeepDelimitersThePatternSyntaxWouldEat)
{
    NSString query = "a=1&b=$x'y'(z) 中";
    EXPECT_EQ(query.stringByAddingPercentEncodingWithAllowedCharacters(*NSCharacterSet::URLQueryAllowedCharacterSet()),
        "a=1&b=$x'y'(z)%20%E4%B8%AD");
    EXPECT_TRUE(NSCharacterSet::whitespaceCharacterSet()->characterIsMember(u'\u3000'));
    EXPECT_FALSE(NSCharacterSet::whitespaceCharacterSet()->characterIsMember(u'\n'));
    EXPECT_TRUE(NSCharacterSet::decimalDigitCharacterSet()->invertedSet()->characterIsMember(u'x'));
    EXPECT_TRUE(NSCharacterSet::characterSetWithCharactersInString("😀")->longCharacterIsMember(0x1F600));
}

TEST(NSCharacterSet, rangesRunningPastUnicodeStopAtItsLastCodePoint)
{
    auto fromA = NSCharacterSet::characterSetWithRange(NSMakeRange(u'A', NSUIntegerMax));
    EXPECT_TRUE(fromA->characterIsMember(u'A'));
    EXPECT_TRUE(fromA->longCharacterIsMember(0x10FFFF));
    EXPECT_FALSE(fromA->characterIsMember(u'@'));
    EXPECT_FALSE(NSCharacterSet::characterSetWithRange(NSMakeRange(0x110000, 5))->longCharacterIsMember(0x110000));
}

TEST(NSString, numbersIgnoreTheProcessLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no comma-decimal locale installed";
    EXPECT_EQ(NSString::stringWithFormat("%.1f|%g", 2.5, 0.25), "2.5|0.25");
    EXPECT_DOUBLE_EQ(NSString("2.5").doubleValue(), 2.5);
    EXPECT_EQ(NSNumber::numberWithDouble(2.5)->stringValue(), "2.5");
    std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(NSString, composedCharactersFollowGraphemeClusters)
{
    // A family joined by zero-width joiners, a flag, a letter with two marks, a Hangul syllable of
    // conjoining jamo, CR LF and a Chinese character each make one composed character.
    NSString family = "a👩‍👩‍👧b";
    EXPECT_EQ(family.rangeOfComposedCharacterSequenceAtIndex(1), NSMakeRange(1, 8));
    EXPECT_EQ(family.rangeOfComposedCharacterSequenceAtIndex(5), NSMakeRange(1, 8));
    EXPECT_EQ(family.rangeOfComposedCharacterSequenceAtIndex(9), NSMakeRange(9, 1));

    NSString flags = "🇨🇳🇯🇵";
    EXPECT_EQ(flags.rangeOfComposedCharacterSequenceAtIndex(3), NSMakeRange(0, 4));
    EXPECT_EQ(flags.rangeOfComposedCharacterSequenceAtIndex(4), NSMakeRange(4, 4));

    NSString marked = u"xe\u0301\u0323y";
    EXPECT_EQ(marked.rangeOfComposedCharacterSequenceAtIndex(3), NSMakeRange(1, 3));
    EXPECT_EQ(marked.rangeOfComposedCharacterSequenceAtIndex(0), NSMakeRange(0, 1));

    NSString jamo = u"\u1100\u1161\u11A8";
    EXPECT_EQ(jamo.rangeOfComposedCharacterSequenceAtIndex(2), NSMakeRange(0, 3));

    NSString lines = "a\r\nb科";
    EXPECT_EQ(lines.rangeOfComposedCharacterSequenceAtIndex(2), NSMakeRange(1, 2));
    EXPECT_EQ(lines.rangeOfComposedCharacterSequenceAtIndex(4), NSMakeRange(4, 1));
    EXPECT_THROW(lines.rangeOfComposedCharacterSequenceAtIndex(5), NSException);
}

TEST(NSString, composedRangeGrowsToWholeCharacters)
{
    NSString text = "a😀科e\u0301";
    EXPECT_EQ(text.rangeOfComposedCharacterSequencesForRange(NSMakeRange(2, 2)), NSMakeRange(1, 3));
    EXPECT_EQ(text.rangeOfComposedCharacterSequencesForRange(NSMakeRange(5, 1)), NSMakeRange(4, 2));
    EXPECT_EQ(text.rangeOfComposedCharacterSequencesForRange(NSMakeRange(2, 0)), NSMakeRange(1, 2));
    EXPECT_EQ(text.rangeOfComposedCharacterSequencesForRange(NSMakeRange(6, 0)), NSMakeRange(6, 0));
    EXPECT_THROW(text.rangeOfComposedCharacterSequencesForRange(NSMakeRange(5, 2)), NSException);
}

// A handle over a mutable string is that string, as an object pointer would be; copy() is what
// keeps the text as it is now, and text made from characters never changes.
TEST(NSString, aHandleOverAMutableStringFollowsItAndACopyDoesNot)
{
    auto mutableText = NSMutableString::stringWithString("科目");
    const NSString alias(mutableText);
    const NSString snapshot = alias.copy();
    const NSString throughId = NSString::fromId(mutableText);
    mutableText->appendString("一");
    EXPECT_EQ(alias, "科目一");
    EXPECT_EQ(throughId, "科目一");
    EXPECT_EQ(alias.length(), 3u);
    EXPECT_EQ(snapshot, "科目");

    const NSString fixed = "科目";
    EXPECT_EQ(fixed.copy().view().data(), fixed.view().data()) << "copying unchanging text shares it";
    const NSString derived = alias.stringByAppendingString("二");
    mutableText->setString("x");
    EXPECT_EQ(derived, "科目一二");
}

TEST(NSString, unchangingTextOfAnyLengthReadsBackAndMatchesMutableText)
{
    // Lengths around the old inline limit and far past it, with units outside ASCII and the
    // Basic Multilingual Plane.
    for (const std::size_t length : { 0u, 1u, 7u, 8u, 9u, 31u, 4096u }) {
        std::u16string units;
        for (std::size_t i = 0; i < length; ++i)
            units.push_back(i % 3 == 0 ? u'科' : i % 3 == 1 ? u'a' : u'\xD83D');
        const NSString fixed = NSString::stringWithCharacters(units.data(), units.size());
        EXPECT_EQ(fixed.length(), length);
        EXPECT_EQ(fixed.view(), units);
        EXPECT_EQ(fixed.characters(), units);
        auto mutableText = NSMutableString::stringWithString(fixed);
        EXPECT_TRUE(fixed.object()->isEqual(mutableText));
        EXPECT_TRUE(mutableText->isEqual(fixed.object()));
        EXPECT_EQ(fixed.hash(), NSString(mutableText).hash());
        const NSString copied = NSString::fromId(mutableText->copy());
        EXPECT_EQ(copied.view(), units);
        EXPECT_NE(copied.object().get(), static_cast<NSStringObject*>(mutableText.get()));
    }
}

TEST(NSString, aMutableStringTakesItsOwnTextWhileGrowing)
{
    auto text = NSMutableString::stringWithString("科目一");
    text->appendString(NSString(text));
    EXPECT_EQ(NSString(text), "科目一科目一");
    text->insertString(NSString(text), 3);
    EXPECT_EQ(NSString(text), "科目一科目一科目一科目一");
    text->replaceCharactersInRange(NSMakeRange(0, 9), NSString(text));
    EXPECT_EQ(NSString(text).length(), 15u);
    text->setString(NSString(text).substringToIndex(2));
    EXPECT_EQ(NSString(text), "科目");
}
