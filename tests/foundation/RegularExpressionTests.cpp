#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDataDetector.h"
#include "platform/foundation/NSRegularExpression.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

namespace {

NSRange whole(const NSString& text) { return NSMakeRange(0, text.length()); }

std::shared_ptr<NSRegularExpression> regex(const char* pattern, NSRegularExpressionOptions options = 0)
{
    auto expression = NSRegularExpression::regularExpressionWithPattern(pattern, options);
    EXPECT_TRUE(expression) << pattern;
    return expression;
}

std::vector<std::string> links(const NSString& text)
{
    auto detector = NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypeLink);
    std::vector<std::string> found;
    for (const auto& result : detector->matches(text, 0, whole(text))) {
        EXPECT_EQ(result->resultType(), NSTextCheckingTypeLink);
        found.push_back(text.substringWithRange(result->range()).UTF8String() + " " + result->URLString().UTF8String());
    }
    return found;
}

} // namespace

TEST(RegularExpression, replacesWithCapturedGroups)
{
    const NSString text = "2015-03-01 至 2016-12-31";
    auto dates = regex("(\\d{4})-(\\d{2})-(\\d{2})");
    EXPECT_EQ(dates->numberOfCaptureGroups(), 3u);
    EXPECT_EQ(dates->stringByReplacingMatchesInString(text, 0, whole(text), "$3/$2/$1"), "01/03/2015 至 31/12/2016");
    // '\' makes the next character literal; a group that does not exist inserts nothing.
    EXPECT_EQ(dates->stringByReplacingMatchesInString(text, 0, whole(text), "\\$1=$1$7"), "$1=2015 至 $1=2016");
    // "$10" is group 1 followed by '0' when there is no tenth group.
    EXPECT_EQ(dates->stringByReplacingMatchesInString("2015-03-01", 0, NSMakeRange(0, 10), "$10"), "20150");
    EXPECT_EQ(regex("x")->stringByReplacingMatchesInString(text, 0, whole(text), "y"), text);
}

TEST(RegularExpression, matchesChineseTextIgnoringCase)
{
    // The base paths are derived by removing "resource/" in any case.
    auto resource = regex("resource/", NSRegularExpressionCaseInsensitive);
    const NSString base = "http://host/RESOURCE/Resource/科目一/resource/";
    EXPECT_EQ(resource->stringByReplacingMatchesInString(base, 0, whole(base), ""), "http://host/科目一/");

    const NSString question = "驾驶人在ABC路口遇到abc标志时应当";
    auto mixed = regex("在abc路口", NSRegularExpressionCaseInsensitive);
    EXPECT_EQ(mixed->rangeOfFirstMatchInString(question, 0, whole(question)), NSMakeRange(3, 6));
    EXPECT_EQ(regex("在abc路口")->rangeOfFirstMatchInString(question, 0, whole(question)).location, NSNotFound);
    // \w is Unicode-aware: Chinese letters are word characters.
    EXPECT_EQ(regex("\\w+")->firstMatchInString(question, 0, whole(question))->range(), whole(question));
}

TEST(RegularExpression, reportsMatchesWithTheirGroupsInUTF16Units)
{
    const NSString text = "😀 科目一: 90分, 科目四: 85分";
    auto scores = regex("科目(.)(?:x)?: (\\d+)分");
    auto results = scores->matches(text, 0, whole(text));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0]->range(), NSMakeRange(3, 8));
    EXPECT_EQ(results[0]->numberOfRanges(), 3u);
    EXPECT_EQ(text.substringWithRange(results[1]->rangeAtIndex(1)), "四");
    EXPECT_EQ(text.substringWithRange(results[1]->rangeAtIndex(2)), "85");
    EXPECT_EQ(results[0]->rangeAtIndex(5).location, NSNotFound);
    EXPECT_EQ(scores->numberOfMatchesInString(text, 0, whole(text)), 2u);
    EXPECT_EQ(scores->matchesInString(text, 0, whole(text))->count(), 2u);
    EXPECT_EQ(scores->replacementStringForResult(results[0], text, 0, "[$2]"), "[90]");
}

TEST(RegularExpression, searchesOnlyTheGivenRange)
{
    const NSString text = "abc abc abc";
    auto word = regex("^abc");
    // The range's start anchors "^" unless asked otherwise.
    EXPECT_EQ(word->rangeOfFirstMatchInString(text, 0, NSMakeRange(4, 7)), NSMakeRange(4, 3));
    EXPECT_EQ(word->rangeOfFirstMatchInString(text, NSMatchingWithoutAnchoringBounds, NSMakeRange(4, 7)).location, NSNotFound);
    EXPECT_EQ(regex("abc")->numberOfMatchesInString(text, 0, NSMakeRange(1, 100)), 2u);
    EXPECT_EQ(regex("abc ?")->numberOfMatchesInString(text, NSMatchingAnchored, whole(text)), 3u);
    EXPECT_EQ(regex("abc")->numberOfMatchesInString(" abc", NSMatchingAnchored, NSMakeRange(0, 4)), 0u);
}

TEST(RegularExpression, enumeratesUntilStoppedAndReportsCompletion)
{
    const NSString text = "a1b2c3";
    int seen = 0;
    NSMatchingFlags last = 0;
    regex("\\d")->enumerateMatchesInString(text, NSMatchingReportCompletion, whole(text),
        [&](const std::shared_ptr<NSTextCheckingResult>& result, NSMatchingFlags flags, bool&) {
            if (result)
                ++seen;
            last = flags;
        });
    EXPECT_EQ(seen, 3);
    EXPECT_TRUE(last & NSMatchingCompleted);
    seen = 0;
    regex("\\d")->enumerateMatchesInString(text, 0, whole(text), [&](const auto&, NSMatchingFlags, bool& stop) {
        stop = ++seen == 2;
    });
    EXPECT_EQ(seen, 2);
}

TEST(RegularExpression, refusesBadPatternsWithAnError)
{
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(NSRegularExpression::regularExpressionWithPattern("(unclosed", 0, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSFormattingError);
    EXPECT_FALSE(NSRegularExpression::regularExpressionWithPattern(nullptr, 0));
}

TEST(RegularExpression, escapesForLiteralUse)
{
    const NSString literal = "1+1=2 (a.b) $5 \\";
    auto escaped = regex(NSRegularExpression::escapedPatternForString(literal).UTF8String().c_str());
    EXPECT_EQ(escaped->rangeOfFirstMatchInString("x" + literal, 0, NSMakeRange(0, literal.length() + 1)), NSMakeRange(1, literal.length()));
    auto dollar = regex("x");
    EXPECT_EQ(dollar->stringByReplacingMatchesInString("x", 0, NSMakeRange(0, 1), NSRegularExpression::escapedTemplateForString("$1\\")), "$1\\");
    auto ignored = regex("a.b", NSRegularExpressionIgnoreMetacharacters);
    EXPECT_EQ(ignored->numberOfMatchesInString("axb a.b", 0, NSMakeRange(0, 7)), 1u);
}

TEST(DataDetector, findsAWebAddressBetweenChineseWords)
{
    EXPECT_EQ(links("访问www.x.gov.cn了解详情"), std::vector<std::string> { "www.x.gov.cn http://www.x.gov.cn" });
}

TEST(DataDetector, findsAddressesWithAndWithoutScheme)
{
    EXPECT_EQ(links("见 https://exam.x.cn/a/b?c=1&d=2#k。"), std::vector<std::string> { "https://exam.x.cn/a/b?c=1&d=2#k https://exam.x.cn/a/b?c=1&d=2#k" });
    EXPECT_EQ(links("Go to HTTP://X.COM/Path."), std::vector<std::string> { "HTTP://X.COM/Path HTTP://X.COM/Path" });
    EXPECT_EQ(links("ftp://files.x.cn/a.zip, then example.com:8080/x"),
        (std::vector<std::string> { "ftp://files.x.cn/a.zip ftp://files.x.cn/a.zip", "example.com:8080/x http://example.com:8080/x" }));
    EXPECT_EQ(links("(see www.x.cn/a)"), std::vector<std::string> { "www.x.cn/a http://www.x.cn/a" });
    EXPECT_EQ(links("邮箱kefu@x.com.cn"), std::vector<std::string> { "kefu@x.com.cn mailto:kefu@x.com.cn" });
}

TEST(DataDetector, leavesOrdinaryTextAlone)
{
    EXPECT_TRUE(links("版本1.5, 得分98.5分, a.b, 科目一.科目二").empty());
    EXPECT_TRUE(links("").empty());
    auto phones = NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypePhoneNumber);
    ASSERT_TRUE(phones);
    EXPECT_EQ(phones->numberOfMatchesInString("www.x.cn", 0, NSMakeRange(0, 8)), 0u);
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypeSpelling, &error));
    EXPECT_TRUE(error);
}

TEST(TextCheckingResult, carriesWhatWasFound)
{
    auto link = NSTextCheckingResult::linkCheckingResultWithRange(NSMakeRange(2, 3), NSString("http://a.cn"));
    EXPECT_EQ(link->URLString(), "http://a.cn");
    EXPECT_FALSE(link->URL());
    auto moved = link->resultByAdjustingRangesWithOffset(5);
    EXPECT_EQ(moved->range(), NSMakeRange(7, 3));
    EXPECT_EQ(moved->URLString(), "http://a.cn");
    auto phone = NSTextCheckingResult::phoneNumberCheckingResultWithRange(NSMakeRange(0, 11), "13800138000");
    EXPECT_EQ(phone->resultType(), NSTextCheckingTypePhoneNumber);
    EXPECT_EQ(phone->phoneNumber(), "13800138000");
    auto date = NSTextCheckingResult::dateCheckingResultWithRange(NSMakeRange(0, 1), NSDate::dateWithTimeIntervalSinceReferenceDate(0), nullptr, 60);
    EXPECT_EQ(date->duration(), 60);
    EXPECT_EQ(date->rangeAtIndex(1).location, NSNotFound);
}

namespace {

std::vector<std::string> found(NSTextCheckingTypes types, const NSString& text)
{
    auto detector = NSDataDetector::dataDetectorWithTypes(types);
    std::vector<std::string> out;
    for (const auto& result : detector->matches(text, 0, whole(text)))
        out.push_back(text.substringWithRange(result->range()).UTF8String());
    return out;
}

} // namespace

TEST(DataDetector, findsPhoneNumbersButNotOtherRunsOfDigits)
{
    EXPECT_EQ(found(NSTextCheckingTypePhoneNumber, "手机13812345678，座机028-12345678转8，服务400-800-1234"),
        (std::vector<std::string> { "13812345678", "028-12345678", "400-800-1234" }));
    EXPECT_EQ(found(NSTextCheckingTypePhoneNumber, "+86 138 1234 5678 或 (028)87654321"),
        (std::vector<std::string> { "+86 138 1234 5678", "(028)87654321" }));
    // Too long, an order number, a score.
    EXPECT_TRUE(found(NSTextCheckingTypePhoneNumber, "订单1381234567890 得分98.5 学时16").empty());
    auto detector = NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypePhoneNumber);
    const NSString text = "电话13812345678";
    auto result = detector->firstMatchInString(text, 0, whole(text));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->resultType(), NSTextCheckingTypePhoneNumber);
    EXPECT_EQ(result->phoneNumber(), "13812345678");
}

TEST(DataDetector, findsDatesThatExistInTheDefaultTimeZone)
{
    const auto zone = NSTimeZone::defaultTimeZone();
    NSTimeZone::setDefaultTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    auto detector = NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypeDate);
    const NSString text = "2015-04-15 14:30考试，2015年5月1日放假，2015-02-30无效，版本1.5.2";
    const auto results = detector->matches(text, 0, whole(text));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(text.substringWithRange(results[0]->range()), "2015-04-15 14:30");
    EXPECT_EQ(results[0]->date()->timeIntervalSince1970(), 1429079400);
    EXPECT_EQ(text.substringWithRange(results[1]->range()), "2015年5月1日");
    EXPECT_EQ(results[1]->date()->timeIntervalSince1970(), 1430409600);
    EXPECT_EQ(found(NSTextCheckingTypeDate, "下次4月15日见").size(), 1u);
    NSTimeZone::setDefaultTimeZone(zone);
}

TEST(DataDetector, findsAddressesAndFlightsWithTheirComponents)
{
    auto detector = NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypeAddress | NSTextCheckingTypeTransitInformation);
    const NSString text = "考场：四川省成都市武侯区科华北路65号，考官乘CA4103航班，编号JL0001";
    const auto results = detector->matches(text, 0, whole(text));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0]->resultType(), NSTextCheckingTypeAddress);
    EXPECT_EQ(text.substringWithRange(results[0]->range()), "四川省成都市武侯区科华北路65号");
    EXPECT_EQ(ns::stringForKey(results[0]->addressComponents(), NSTextCheckingStateKey), "四川省");
    EXPECT_EQ(ns::stringForKey(results[0]->addressComponents(), NSTextCheckingCityKey), "成都市");
    EXPECT_EQ(ns::stringForKey(results[0]->addressComponents(), NSTextCheckingStreetKey), "武侯区科华北路65号");
    EXPECT_EQ(results[1]->resultType(), NSTextCheckingTypeTransitInformation);
    EXPECT_EQ(ns::stringForKey(results[1]->components(), NSTextCheckingAirlineKey), "CA");
    EXPECT_EQ(ns::stringForKey(results[1]->components(), NSTextCheckingFlightKey), "4103");
    EXPECT_EQ(found(NSTextCheckingTypeAddress, "考试在成都市武侯区科华北路65号举行"), std::vector<std::string> { "成都市武侯区科华北路65号" });
}

TEST(DataDetector, keepsEachKindToItsOwnTextWhenSeveralAreAsked)
{
    auto detector = NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypeLink | NSTextCheckingTypePhoneNumber | NSTextCheckingTypeDate);
    const NSString text = "见 http://x.cn/2015-04-15/13812345678 或致电13812345678，2015-04-15截止";
    std::vector<NSTextCheckingType> types;
    for (const auto& result : detector->matches(text, 0, whole(text)))
        types.push_back(result->resultType());
    EXPECT_EQ(types, (std::vector<NSTextCheckingType> { NSTextCheckingTypeLink, NSTextCheckingTypePhoneNumber, NSTextCheckingTypeDate }));
    // Only the kinds asked for.
    EXPECT_EQ(found(NSTextCheckingTypeLink, "致电13812345678"), std::vector<std::string> {});
}
