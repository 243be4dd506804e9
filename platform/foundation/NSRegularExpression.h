#pragma once
// Regular expressions in ICU's dialect, the platform's: ranges in UTF-16 units, "$1" templates,
// Unicode-aware classes (\w takes in Chinese letters). A compiled expression is immutable and
// may be used from several threads at once.

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSTextCheckingResult.h"

#include <unicode/uversion.h>

#include <functional>

U_NAMESPACE_BEGIN
class RegexMatcher;
class RegexPattern;
U_NAMESPACE_END

class NSArray;

using NSRegularExpressionOptions = NSUInteger;
enum : NSRegularExpressionOptions {
    NSRegularExpressionCaseInsensitive = 1u << 0,
    NSRegularExpressionAllowCommentsAndWhitespace = 1u << 1,
    NSRegularExpressionIgnoreMetacharacters = 1u << 2,
    NSRegularExpressionDotMatchesLineSeparators = 1u << 3,
    NSRegularExpressionAnchorsMatchLines = 1u << 4,
    NSRegularExpressionUseUnixLineSeparators = 1u << 5,
    NSRegularExpressionUseUnicodeWordBoundaries = 1u << 6,
};

using NSMatchingOptions = NSUInteger;
enum : NSMatchingOptions {
    NSMatchingReportProgress = 1u << 0,
    NSMatchingReportCompletion = 1u << 1,
    NSMatchingAnchored = 1u << 2,
    NSMatchingWithTransparentBounds = 1u << 3,
    NSMatchingWithoutAnchoringBounds = 1u << 4,
};

using NSMatchingFlags = NSUInteger;
enum : NSMatchingFlags {
    NSMatchingProgress = 1u << 0,
    NSMatchingCompleted = 1u << 1,
    NSMatchingHitEnd = 1u << 2,
    NSMatchingRequiredEnd = 1u << 3,
    NSMatchingInternalError = 1u << 4,
};

// The error code of a pattern that does not compile (in NSCocoaErrorDomain).
inline constexpr NSInteger NSFormattingError = 2048;

class NSRegularExpression : public NSObject {
    NS_OBJECT(NSRegularExpression, NSObject)
public:
    using MatchBlock = std::function<void(const std::shared_ptr<NSTextCheckingResult>& result, NSMatchingFlags flags, bool& stop)>;

    // Nil, with an NSFormattingError, for a pattern that does not compile.
    static std::shared_ptr<NSRegularExpression> regularExpressionWithPattern(const NSString& pattern,
        NSRegularExpressionOptions options, NSErrorPointer error = nullptr);
    // The text with every metacharacter escaped, to match it literally.
    static NSString escapedPatternForString(const NSString& string);
    // The text with '\' and '$' escaped, to insert it literally through a template.
    static NSString escapedTemplateForString(const NSString& string);

    const NSString& pattern() const { return m_pattern; }
    NSRegularExpressionOptions options() const { return m_options; }
    NSUInteger numberOfCaptureGroups() const;

    // Every match in the range, in order; a range past the text is cut to the text.
    virtual void enumerateMatchesInString(const NSString& string, NSMatchingOptions options, NSRange range, const MatchBlock& block) const;
    std::shared_ptr<NSArray> matchesInString(const NSString& string, NSMatchingOptions options, NSRange range) const;
    // The same matches without boxing, for code that only reads them.
    std::vector<std::shared_ptr<NSTextCheckingResult>> matches(const NSString& string, NSMatchingOptions options, NSRange range) const;
    NSUInteger numberOfMatchesInString(const NSString& string, NSMatchingOptions options, NSRange range) const;
    std::shared_ptr<NSTextCheckingResult> firstMatchInString(const NSString& string, NSMatchingOptions options, NSRange range) const;
    // {NSNotFound, 0} when nothing matches.
    NSRange rangeOfFirstMatchInString(const NSString& string, NSMatchingOptions options, NSRange range) const;

    // Each match replaced by the template, where "$n" stands for group n and '\' makes the next
    // character literal.
    NSString stringByReplacingMatchesInString(const NSString& string, NSMatchingOptions options, NSRange range,
        const NSString& withTemplate) const;
    // The number of replacements made.
    NSUInteger replaceMatchesInString(const std::shared_ptr<NSMutableString>& string, NSMatchingOptions options, NSRange range,
        const NSString& withTemplate) const;
    // The template filled in for one result of a search of `string`, whose ranges are moved by `offset`.
    virtual NSString replacementStringForResult(const std::shared_ptr<NSTextCheckingResult>& result, const NSString& string,
        NSInteger offset, const NSString& withTemplate) const;

protected:
    bool init(const NSString& pattern, NSRegularExpressionOptions options, NSErrorPointer error);
    // The result for the matcher's current match; nil skips the match.
    virtual std::shared_ptr<NSTextCheckingResult> resultForMatch(const icu::RegexMatcher& matcher, const NSString& string) const;

private:
    NSString m_pattern;
    NSRegularExpressionOptions m_options { 0 };
    std::shared_ptr<const icu::RegexPattern> m_compiled;
};
