#include "library/widgets/richlabel/RAAttributedLabelURL.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/NSRegularExpression.h"
#include "platform/foundation/NSTextCheckingResult.h"
#include "platform/net/NSURL.h"

namespace {

// Word characters are spelled out as ASCII: a Unicode word class would pull the Chinese text
// next to an address into the link.
constexpr const char* kLinkPattern =
    "((([A-Za-z]{3,9}:(?:\\/\\/)?)(?:[\\-;:&=\\+\\$,A-Za-z0-9_]+@)?[A-Za-z0-9\\.\\-]+|(?:www\\.|[\\-;:&=\\+\\$,A-Za-z0-9_]+@)"
    "[A-Za-z0-9\\.\\-]+)((:[0-9]+)?)((?:\\/[\\+~%\\/\\.A-Za-z0-9_\\-]*)?\\?" "?(?:[\\-\\+=&;%@\\.A-Za-z0-9_]*)#?"
    "(?:[\\.\\!\\/\\\\A-Za-z0-9_]*))?)";

Guarded<RAAttributedLabelURL::DetectMethod>& customDetectMethod()
{
    static NeverDestroyed<Guarded<RAAttributedLabelURL::DetectMethod>> method;
    return method.get();
}

} // namespace

void RAAttributedLabelURL::init(const id& linkData, NSRange range, const UIColorRef& color)
{
    setLinkData(linkData);
    setRange(range);
    setColor(color);
}

void RAAttributedLabelURL::setCustomDetectMethod(DetectMethod method)
{
    *customDetectMethod().lock() = std::move(method);
}

std::optional<RAAttributedLabelURL::Links> RAAttributedLabelURL::detectLinks(const NSString& text)
{
    const DetectMethod custom = *customDetectMethod().lock();
    if (custom)
        return custom(text);
    if (text.length() == 0)
        return std::nullopt;
    auto expression = NSRegularExpression::regularExpressionWithPattern(kLinkPattern, NSRegularExpressionCaseInsensitive);
    Links links;
    if (!expression)
        return links;
    for (const auto& match : expression->matches(text, 0, NSMakeRange(0, text.length())))
        links.push_back(urlWithLinkData(text.substringWithRange(match->range()), match->range(), nullptr));
    return links;
}

std::shared_ptr<NSURL> RAAttributedLabelURL::openableURLForLinkData(const id& linkData)
{
    std::shared_ptr<NSURL> url = ns::cast<NSURL>(linkData);
    if (!url) {
        NSString text = NSString::fromId(linkData);
        if (text.length() == 0)
            return nullptr;
        const NSString lower = text.lowercaseString();
        if (lower.hasPrefix("www."))
            text = NSString("http://").stringByAppendingString(text);
        else if (lower.rangeOfString(":").location == NSNotFound && lower.rangeOfString("@").location != NSNotFound)
            text = NSString("mailto:").stringByAppendingString(text);
        url = NSURL::URLWithString(text);
    }
    if (!url)
        return nullptr;
    const NSString scheme = url->scheme().lowercaseString();
    if (scheme.isEqualToString("http") || scheme.isEqualToString("https") || scheme.isEqualToString("mailto"))
        return url;
    return nullptr;
}
