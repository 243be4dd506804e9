#include "platform/foundation/NSRegularExpression.h"

#include "platform/foundation/ICUBridge.h"
#include "platform/foundation/NSArray.h"

#include <unicode/regex.h>

#include <algorithm>

namespace {

uint32_t icuFlags(NSRegularExpressionOptions options)
{
    uint32_t flags = 0;
    if (options & NSRegularExpressionCaseInsensitive)
        flags |= UREGEX_CASE_INSENSITIVE;
    if (options & NSRegularExpressionAllowCommentsAndWhitespace)
        flags |= UREGEX_COMMENTS;
    if (options & NSRegularExpressionIgnoreMetacharacters)
        flags |= UREGEX_LITERAL;
    if (options & NSRegularExpressionDotMatchesLineSeparators)
        flags |= UREGEX_DOTALL;
    if (options & NSRegularExpressionAnchorsMatchLines)
        flags |= UREGEX_MULTILINE;
    if (options & NSRegularExpressionUseUnixLineSeparators)
        flags |= UREGEX_UNIX_LINES;
    if (options & NSRegularExpressionUseUnicodeWordBoundaries)
        flags |= UREGEX_UWORD;
    return flags;
}

NSRange clampedRange(NSRange range, NSUInteger length)
{
    const NSUInteger location = std::min(range.location, length);
    return { location, std::min(range.length, length - location) };
}

} // namespace

bool NSRegularExpression::init(const NSString& pattern, NSRegularExpressionOptions options, NSErrorPointer error)
{
    if (pattern.isNil()) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSFormattingError, "The pattern is nil."));
        return false;
    }
    UParseError parseError {};
    UErrorCode status = U_ZERO_ERROR;
    std::shared_ptr<const icu::RegexPattern> compiled(icu::RegexPattern::compile(ns::unicodeString(pattern), icuFlags(options), parseError, status));
    if (U_FAILURE(status) || !compiled) {
        auto userInfo = NSDictionary::dictionaryWithObjectsAndKeys({
            { NSString::stringWithFormat("The pattern “%@” is not valid (%s at offset %d).", pattern, u_errorName(status), parseError.offset),
                NSString(NSLocalizedDescriptionKey) },
            { pattern, NSString("NSInvalidValue") },
        });
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSFormattingError, userInfo));
        return false;
    }
    m_pattern = pattern;
    m_options = options;
    m_compiled = std::move(compiled);
    return true;
}

std::shared_ptr<NSRegularExpression> NSRegularExpression::regularExpressionWithPattern(const NSString& pattern,
    NSRegularExpressionOptions options, NSErrorPointer error)
{
    return create(pattern, options, error);
}

NSString NSRegularExpression::escapedPatternForString(const NSString& string)
{
    static constexpr std::u16string_view metacharacters = u"\\*?+[](){}^$|./-";
    std::u16string escaped;
    for (char16_t unit : string.view()) {
        if (metacharacters.find(unit) != std::u16string_view::npos)
            escaped.push_back(u'\\');
        escaped.push_back(unit);
    }
    return NSString(std::move(escaped));
}

NSString NSRegularExpression::escapedTemplateForString(const NSString& string)
{
    std::u16string escaped;
    for (char16_t unit : string.view()) {
        if (unit == u'\\' || unit == u'$')
            escaped.push_back(u'\\');
        escaped.push_back(unit);
    }
    return NSString(std::move(escaped));
}

NSUInteger NSRegularExpression::numberOfCaptureGroups() const
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->matcher(status));
    return U_SUCCESS(status) ? static_cast<NSUInteger>(matcher->groupCount()) : 0;
}

std::shared_ptr<NSTextCheckingResult> NSRegularExpression::resultForMatch(const icu::RegexMatcher& matcher, const NSString&) const
{
    std::vector<NSRange> ranges;
    for (int32_t group = 0; group <= matcher.groupCount(); ++group) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t start = matcher.start(group, status);
        const int32_t end = matcher.end(group, status);
        if (U_FAILURE(status) || start < 0)
            ranges.push_back({ NSNotFound, 0 });
        else
            ranges.push_back(NSMakeRange(static_cast<NSUInteger>(start), static_cast<NSUInteger>(end - start)));
    }
    return NSTextCheckingResult::regularExpressionCheckingResultWithRanges(std::move(ranges), self());
}

void NSRegularExpression::enumerateMatchesInString(const NSString& string, NSMatchingOptions options, NSRange range,
    const MatchBlock& block) const
{
    if (!block)
        return;
    const icu::UnicodeString text = ns::unicodeString(string);
    const NSRange searched = clampedRange(range, static_cast<NSUInteger>(text.length()));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->matcher(text, status));
    if (U_FAILURE(status))
        return;
    matcher->region(static_cast<int64_t>(searched.location), static_cast<int64_t>(searched.end()), status);
    matcher->useTransparentBounds(options & NSMatchingWithTransparentBounds);
    matcher->useAnchoringBounds(!(options & NSMatchingWithoutAnchoringBounds));
    bool stop = false;
    int32_t expectedStart = static_cast<int32_t>(searched.location);
    while (!stop && matcher->find(status) && U_SUCCESS(status)) {
        // Anchored searches take only matches that follow each other from the range's start.
        if ((options & NSMatchingAnchored) && matcher->start(status) != expectedStart)
            break;
        expectedStart = matcher->end(status);
        if (auto result = resultForMatch(*matcher, string))
            block(result, 0, stop);
    }
    if (!stop && (options & NSMatchingReportCompletion)) {
        NSMatchingFlags flags = NSMatchingCompleted;
        if (matcher->hitEnd())
            flags |= NSMatchingHitEnd;
        if (U_FAILURE(status))
            flags |= NSMatchingInternalError;
        block(nullptr, flags, stop);
    }
}

std::vector<std::shared_ptr<NSTextCheckingResult>> NSRegularExpression::matches(const NSString& string, NSMatchingOptions options, NSRange range) const
{
    std::vector<std::shared_ptr<NSTextCheckingResult>> results;
    enumerateMatchesInString(string, options & ~NSMatchingReportCompletion, range,
        [&](const std::shared_ptr<NSTextCheckingResult>& result, NSMatchingFlags, bool&) { results.push_back(result); });
    return results;
}

std::shared_ptr<NSArray> NSRegularExpression::matchesInString(const NSString& string, NSMatchingOptions options, NSRange range) const
{
    auto found = matches(string, options, range);
    return NSArray::create(std::vector<id>(found.begin(), found.end()));
}

NSUInteger NSRegularExpression::numberOfMatchesInString(const NSString& string, NSMatchingOptions options, NSRange range) const
{
    return matches(string, options, range).size();
}

std::shared_ptr<NSTextCheckingResult> NSRegularExpression::firstMatchInString(const NSString& string, NSMatchingOptions options, NSRange range) const
{
    std::shared_ptr<NSTextCheckingResult> first;
    enumerateMatchesInString(string, options & ~NSMatchingReportCompletion, range,
        [&](const std::shared_ptr<NSTextCheckingResult>& result, NSMatchingFlags, bool& stop) {
            first = result;
            stop = true;
        });
    return first;
}

NSRange NSRegularExpression::rangeOfFirstMatchInString(const NSString& string, NSMatchingOptions options, NSRange range) const
{
    auto first = firstMatchInString(string, options, range);
    return first ? first->range() : NSRange { NSNotFound, 0 };
}

NSString NSRegularExpression::replacementStringForResult(const std::shared_ptr<NSTextCheckingResult>& result, const NSString& string,
    NSInteger offset, const NSString& withTemplate) const
{
    const std::u16string_view text = string.view();
    const std::u16string_view pattern = withTemplate.view();
    const NSUInteger groups = result ? result->numberOfRanges() : 0;
    std::u16string replacement;
    for (std::size_t index = 0; index < pattern.size(); ++index) {
        const char16_t unit = pattern[index];
        if (unit == u'\\' && index + 1 < pattern.size()) {
            replacement.push_back(pattern[++index]);
            continue;
        }
        if (unit != u'$' || index + 1 >= pattern.size() || pattern[index + 1] < u'0' || pattern[index + 1] > u'9') {
            replacement.push_back(unit);
            continue;
        }
        // Digits are taken while they still name a group: "$12" is group 12 only when it exists.
        NSUInteger group = pattern[++index] - u'0';
        while (index + 1 < pattern.size() && pattern[index + 1] >= u'0' && pattern[index + 1] <= u'9') {
            const NSUInteger longer = group * 10 + (pattern[index + 1] - u'0');
            if (longer >= groups)
                break;
            group = longer;
            ++index;
        }
        if (group >= groups)
            continue;
        const NSRange found = result->rangeAtIndex(group);
        if (found.location == NSNotFound)
            continue;
        const NSInteger location = static_cast<NSInteger>(found.location) + offset;
        if (location < 0 || static_cast<NSUInteger>(location) + found.length > text.size())
            continue;
        replacement.append(text.substr(static_cast<std::size_t>(location), found.length));
    }
    return NSString(std::move(replacement));
}

NSString NSRegularExpression::stringByReplacingMatchesInString(const NSString& string, NSMatchingOptions options, NSRange range,
    const NSString& withTemplate) const
{
    const std::u16string_view text = string.view();
    std::u16string output;
    const auto found = matches(string, options, range);
    if (found.empty())
        return string.isNil() ? NSString("") : string;
    std::size_t copied = 0;
    for (const auto& result : found) {
        const NSRange matched = result->range();
        output.append(text.substr(copied, matched.location - copied));
        output.append(replacementStringForResult(result, string, 0, withTemplate).view());
        copied = matched.end();
    }
    output.append(text.substr(copied));
    return NSString(std::move(output));
}

NSUInteger NSRegularExpression::replaceMatchesInString(const std::shared_ptr<NSMutableString>& string, NSMatchingOptions options,
    NSRange range, const NSString& withTemplate) const
{
    if (!string)
        return 0;
    const NSString original(std::static_pointer_cast<NSStringObject>(string->copy()));
    const auto found = matches(original, options, range);
    if (found.empty())
        return 0;
    string->setString(stringByReplacingMatchesInString(original, options, range, withTemplate));
    return found.size();
}
