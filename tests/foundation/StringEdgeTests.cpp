#include "platform/foundation/Foundation.h"

#include <gtest/gtest.h>

namespace {

NSString joined(const std::shared_ptr<NSArray>& array)
{
    return array->componentsJoinedByString("|");
}

} // namespace

TEST(NSStringEdges, percentEscapesInOtherEncodingsRoundTripAndRefuseBrokenText)
{
    const NSString query("科目 一&a=1");
    NSString gbk = query.stringByAddingPercentEscapesUsingEncoding(NSGBKStringEncoding);
    EXPECT_EQ(gbk, "%BF%C6%C4%BF%20%D2%BB&a=1");
    EXPECT_EQ(gbk.stringByReplacingPercentEscapesUsingEncoding(NSGBKStringEncoding), query);
    // The same bytes are not UTF-8, and a lone or short escape is no escape at all.
    EXPECT_TRUE(gbk.stringByReplacingPercentEscapesUsingEncoding(NSUTF8StringEncoding).isNil());
    EXPECT_TRUE(NSString("%E4%B8").stringByRemovingPercentEncoding().isNil());
    EXPECT_TRUE(NSString("100%").stringByRemovingPercentEncoding().isNil());
    EXPECT_TRUE(NSString("%zz").stringByRemovingPercentEncoding().isNil());
    EXPECT_TRUE(NSString("é").stringByAddingPercentEscapesUsingEncoding(NSASCIIStringEncoding).isNil());
    EXPECT_TRUE(NSString().stringByAddingPercentEscapesUsingEncoding(NSUTF8StringEncoding).isNil());
    EXPECT_TRUE(NSString().stringByReplacingPercentEscapesUsingEncoding(NSUTF8StringEncoding).isNil());
    EXPECT_EQ(NSString("a b\"<>").stringByAddingPercentEscapesUsingEncoding(NSUTF8StringEncoding), "a%20b%22%3C%3E");
    EXPECT_EQ(NSString("中文").lengthOfBytesUsingEncoding(NSGBKStringEncoding), 4u);
    EXPECT_EQ(NSString("中文").lengthOfBytesUsingEncoding(NSASCIIStringEncoding), 0u);
}

TEST(NSStringEdges, rangesPastTheEndRaiseAndSurrogatePairsStayWhole)
{
    const NSString text("a😀b");
    EXPECT_THROW(text.substringToIndex(5), NSException);
    EXPECT_THROW(text.rangeOfString("b", 0, NSMakeRange(3, 2)), NSException);
    EXPECT_THROW(text.rangeOfCharacterFromSet(*NSCharacterSet::letterCharacterSet(), 0, NSMakeRange(5, 0)), NSException);
    EXPECT_THROW(text.stringByReplacingCharactersInRange(NSMakeRange(2, 5), "x"), NSException);
    EXPECT_EQ(text.stringByReplacingCharactersInRange(NSMakeRange(1, 2), "-"), "a-b");
    EXPECT_EQ(text.rangeOfComposedCharacterSequenceAtIndex(2), NSMakeRange(1, 2));
    EXPECT_EQ(text.rangeOfComposedCharacterSequenceAtIndex(1), NSMakeRange(1, 2));

    auto emoji = NSCharacterSet::characterSetWithCharactersInString("😀");
    EXPECT_EQ(text.rangeOfCharacterFromSet(*emoji), NSMakeRange(1, 2));
    EXPECT_EQ(text.rangeOfCharacterFromSet(*emoji, NSBackwardsSearch), NSMakeRange(1, 2));
    EXPECT_EQ(text.rangeOfCharacterFromSet(*NSCharacterSet::decimalDigitCharacterSet()).location, NSNotFound);
    EXPECT_EQ(NSString("abcabc").rangeOfString("bc", NSBackwardsSearch), NSMakeRange(4, 2));
    EXPECT_EQ(NSString("abc").rangeOfString("").location, NSNotFound);
}

TEST(NSStringEdges, numericComparisonReadsDigitRunsAsNumbers)
{
    EXPECT_EQ(NSString("科目2").compare("科目10", NSNumericSearch), NSOrderedAscending);
    EXPECT_EQ(NSString("科目2").compare("科目10"), NSOrderedDescending);
    EXPECT_EQ(NSString("file010").compare("file10", NSNumericSearch), NSOrderedSame);
    EXPECT_EQ(NSString("a10b2").compare("a10b10", NSNumericSearch), NSOrderedAscending);
    EXPECT_EQ(NSString("a10").compare("a10x", NSNumericSearch), NSOrderedAscending);
    EXPECT_EQ(NSString("a10x").compare("a10", NSNumericSearch), NSOrderedDescending);
    EXPECT_EQ(NSString("A2").compare("a10", NSNumericSearch | NSCaseInsensitiveSearch), NSOrderedAscending);
    EXPECT_EQ(NSString("xxABC").compare("abc", NSCaseInsensitiveSearch, NSMakeRange(2, 3)), NSOrderedSame);
}

TEST(NSStringEdges, paddingSplittingAndPaths)
{
    EXPECT_EQ(NSString("7").stringByPaddingToLength(4, "ab", 1), "7bab");
    EXPECT_EQ(NSString("12345").stringByPaddingToLength(3, "x", 0), "123");
    EXPECT_THROW(NSString("1").stringByPaddingToLength(3, "", 0), NSException);
    EXPECT_EQ(joined(NSString("a,,b,").componentsSeparatedByString(",")), "a||b|");
    EXPECT_EQ(joined(NSString("abc").componentsSeparatedByString(";")), "abc");

    EXPECT_EQ(joined(NSString("/usr//lib/").pathComponents()), "/|usr|lib|/");
    EXPECT_EQ(joined(NSString("rel/x").pathComponents()), "rel|x");
    EXPECT_EQ(NSString("").pathComponents()->count(), 0u);
    EXPECT_EQ(NSString("/tmp//").stringByAppendingPathExtension("db"), "/tmp.db");
    EXPECT_EQ(NSString("/tmp/").stringByAppendingPathComponent("/x"), "/tmp/x");
    EXPECT_EQ(NSString("").stringByAppendingPathComponent("x"), "x");
    EXPECT_EQ(NSString("/").stringByDeletingLastPathComponent(), "/");
    EXPECT_EQ(NSString("name").stringByDeletingLastPathComponent(), "");
}
