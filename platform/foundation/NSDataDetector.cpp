#include "platform/foundation/NSDataDetector.h"

#include <unicode/regex.h>

namespace {

constexpr NSTextCheckingTypes detectorTypes = NSTextCheckingTypeDate | NSTextCheckingTypeAddress | NSTextCheckingTypeLink
    | NSTextCheckingTypePhoneNumber | NSTextCheckingTypeTransitInformation;

// ASCII classes throughout: Unicode letters would pull neighbouring Chinese text into the link.
#define URL_CHARACTERS "[A-Za-z0-9\\-._~:/?#\\[\\]@!$&'()*+,;=%]"
#define HOST_LABEL "[A-Za-z0-9](?:[A-Za-z0-9\\-]*[A-Za-z0-9])?"
#define PORT_AND_PATH "(?::[0-9]{1,5})?(?:[/?#]" URL_CHARACTERS "*)?"

constexpr const char* linkPattern =
    "(?<![A-Za-z0-9.@_%+\\-/])(?:"
    "(?:https?|ftp)://" URL_CHARACTERS "+"
    "|www\\." HOST_LABEL "(?:\\." HOST_LABEL ")+" PORT_AND_PATH
    "|[A-Za-z0-9._%+\\-]+@" HOST_LABEL "(?:\\." HOST_LABEL ")*\\.[A-Za-z]{2,}(?![A-Za-z0-9\\-])"
    "|(?:" HOST_LABEL "\\.)+(?:com|net|org|edu|gov|mil|int|info|biz|name|mobi|io|me|cc|tv|cn|hk|tw|mo|jp|kr|uk|us|de|fr)"
    "(?![A-Za-z0-9\\-])" PORT_AND_PATH
    ")";

bool isTrailingPunctuation(char16_t unit) { return std::u16string_view(u".,;:!?'\"").find(unit) != std::u16string_view::npos; }

} // namespace

std::shared_ptr<NSDataDetector> NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypes checkingTypes, NSErrorPointer error)
{
    return create(checkingTypes, error);
}

bool NSDataDetector::init(NSTextCheckingTypes checkingTypes, NSErrorPointer error)
{
    if (checkingTypes == 0 || (checkingTypes & ~detectorTypes)) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSFormattingError, "The checking types are not data-detector types."));
        return false;
    }
    if (!super::init(linkPattern, NSRegularExpressionCaseInsensitive, error))
        return false;
    m_checkingTypes = checkingTypes;
    return true;
}

std::shared_ptr<NSTextCheckingResult> NSDataDetector::resultForMatch(const icu::RegexMatcher& matcher, const NSString& string) const
{
    if (!(m_checkingTypes & NSTextCheckingTypeLink))
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    const auto start = static_cast<std::size_t>(matcher.start(status));
    auto end = static_cast<std::size_t>(matcher.end(status));
    if (U_FAILURE(status))
        return nullptr;
    const std::u16string_view text = string.view();
    // Sentence punctuation after an address, and a closing bracket that opened before it, are
    // not part of it.
    while (end > start) {
        const char16_t last = text[end - 1];
        const std::u16string_view link = text.substr(start, end - start);
        const bool unbalanced = (last == u')' && std::count(link.begin(), link.end(), u'(') < std::count(link.begin(), link.end(), u')'))
            || (last == u']' && std::count(link.begin(), link.end(), u'[') < std::count(link.begin(), link.end(), u']'));
        if (!isTrailingPunctuation(last) && !unbalanced)
            break;
        --end;
    }
    const NSString link(std::u16string(text.substr(start, end - start)));
    NSString URL = link;
    const NSString lower = link.lowercaseString();
    if (!lower.hasPrefix("http://") && !lower.hasPrefix("https://") && !lower.hasPrefix("ftp://"))
        URL = (link.containsString("@") && !link.containsString("/") ? NSString("mailto:") : NSString("http://")) + link;
    return NSTextCheckingResult::linkCheckingResultWithRange(NSMakeRange(start, end - start), URL);
}
