#include "library/widgets/linklabel/LKAttributeCoding.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSURL.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIColor.h"

namespace LKAttributeCoding {

namespace {

id colourComponents(const id& value)
{
    auto colour = ns::cast<UIColor>(value);
    CGFloat r = 0, g = 0, b = 0, a = 0;
    if (!colour || !colour->getRed(&r, &g, &b, &a))
        return nullptr;
    return NSArray::arrayWithObjects({ NSNumber::numberWithDouble(r), NSNumber::numberWithDouble(g), NSNumber::numberWithDouble(b), NSNumber::numberWithDouble(a) });
}

id colourFrom(const id& encoded)
{
    auto parts = ns::arrayValue(encoded);
    if (!parts || parts->count() != 4)
        return nullptr;
    double c[4];
    for (NSUInteger i = 0; i < 4; ++i) {
        auto number = ns::cast<NSNumber>(parts->objectAtIndex(i));
        if (!number)
            return nullptr;
        c[i] = std::clamp(number->doubleValue(), 0.0, 1.0);
    }
    return UIColor::colorWithRed(c[0], c[1], c[2], c[3]);
}

NSString linkText(const id& value)
{
    if (auto url = ns::cast<NSURL>(value))
        return url->absoluteString();
    return ns::cast<NSStringObject>(value) ? ns::textOf(value) : NSString();
}

} // namespace

id encodedAttributes(const std::shared_ptr<NSDictionary>& attributes)
{
    if (!attributes)
        return nullptr;
    auto encoded = NSMutableDictionary::dictionary();
    if (auto font = ns::cast<UIFont>(attributes->objectForKey(NSString(kCTFontAttributeName)))) {
        encoded->setObject(font->fontName(), NSString("font"));
        encoded->setObject(NSNumber::numberWithDouble(font->pointSize()), NSString("fontSize"));
    }
    if (auto colour = colourComponents(attributes->objectForKey(NSString(NSForegroundColorAttributeName))))
        encoded->setObject(colour, NSString("color"));
    if (auto colour = colourComponents(attributes->objectForKey(NSString(kCTForegroundColorAttributeName))))
        encoded->setObject(colour, NSString("ctColor"));
    if (auto underline = ns::cast<NSNumber>(attributes->objectForKey(NSString(NSUnderlineStyleAttributeName))))
        encoded->setObject(underline, NSString("underline"));
    if (const NSString link = linkText(attributes->objectForKey(NSString(NSLinkAttributeName))); !link.isNil())
        encoded->setObject(link, NSString("link"));
    return encoded;
}

std::shared_ptr<NSDictionary> decodedAttributes(const id& value)
{
    auto encoded = ns::dictionaryValue(value);
    if (!encoded)
        return nullptr;
    auto attributes = NSMutableDictionary::dictionary();
    const NSString fontName = ns::stringForKey(encoded, "font");
    const double size = ns::doubleForKey(encoded, "fontSize");
    if (!fontName.isNil() && size > 0 && size < 1000)
        if (auto font = UIFont::fontWithName(fontName, size))
            attributes->setObject(font, NSString(kCTFontAttributeName));
    if (auto colour = colourFrom(encoded->objectForKey(NSString("color"))))
        attributes->setObject(colour, NSString(NSForegroundColorAttributeName));
    if (auto colour = colourFrom(encoded->objectForKey(NSString("ctColor"))))
        attributes->setObject(colour, NSString(kCTForegroundColorAttributeName));
    if (auto underline = ns::cast<NSNumber>(encoded->objectForKey(NSString("underline"))))
        attributes->setObject(underline, NSString(NSUnderlineStyleAttributeName));
    if (const NSString link = linkText(encoded->objectForKey(NSString("link"))); !link.isNil())
        attributes->setObject(link, NSString(NSLinkAttributeName));
    return attributes;
}

id encodedText(const std::shared_ptr<NSAttributedString>& text)
{
    if (!text)
        return nullptr;
    auto runs = NSMutableArray::array();
    text->enumerateAttributesInRange(NSRange { 0, text->length() }, 0, [&](const NSAttributes& attributes, NSRange range, bool&) {
        runs->addObject(ns::dictionary({ { "location", NSNumber::numberWithUnsignedLongLong(range.location) },
            { "length", NSNumber::numberWithUnsignedLongLong(range.length) }, { "attributes", encodedAttributes(attributes) } }));
    });
    return ns::dictionary({ { "string", text->string() }, { "runs", runs } });
}

std::shared_ptr<NSAttributedString> decodedText(const id& value)
{
    auto encoded = ns::dictionaryValue(value);
    const id string = encoded ? encoded->objectForKey(NSString("string")) : nullptr;
    if (!ns::cast<NSStringObject>(string))
        return nullptr;
    auto text = NSMutableAttributedString::create(ns::textOf(string));
    auto runs = ns::arrayForKey(encoded, "runs");
    for (NSUInteger i = 0; runs && i < runs->count(); ++i) {
        auto run = ns::dictionaryValue(runs->objectAtIndex(i));
        const auto location = ns::integerForKey(run, "location");
        const auto length = ns::integerForKey(run, "length");
        // A run outside the string is a damaged archive: its attributes are left out.
        if (location < 0 || length <= 0 || static_cast<NSUInteger>(location) > text->length() || static_cast<NSUInteger>(length) > text->length() - static_cast<NSUInteger>(location))
            continue;
        if (auto attributes = decodedAttributes(run->objectForKey(NSString("attributes"))); attributes && attributes->count())
            text->addAttributes(attributes, NSRange { static_cast<NSUInteger>(location), static_cast<NSUInteger>(length) });
    }
    return text;
}

id encodedResult(const std::shared_ptr<NSTextCheckingResult>& result)
{
    if (!result)
        return nullptr;
    auto encoded = ns::mutableDictionary({ { "type", NSNumber::numberWithUnsignedLongLong(result->resultType()) },
        { "location", NSNumber::numberWithUnsignedLongLong(result->range().location) },
        { "length", NSNumber::numberWithUnsignedLongLong(result->range().length) } });
    if (result->resultType() == NSTextCheckingTypeLink)
        encoded->setObject(result->URLString(), NSString("url"));
    else if (result->resultType() == NSTextCheckingTypePhoneNumber)
        encoded->setObject(result->phoneNumber(), NSString("phoneNumber"));
    else if (result->resultType() == NSTextCheckingTypeDate && result->date())
        encoded->setObject(NSNumber::numberWithDouble(result->date()->timeIntervalSince1970()), NSString("date"));
    return encoded;
}

std::shared_ptr<NSTextCheckingResult> decodedResult(const id& value)
{
    auto encoded = ns::dictionaryValue(value);
    if (!encoded)
        return nullptr;
    const auto location = ns::integerForKey(encoded, "location");
    const auto length = ns::integerForKey(encoded, "length");
    if (location < 0 || length < 0)
        return nullptr;
    const NSRange range { static_cast<NSUInteger>(location), static_cast<NSUInteger>(length) };
    const auto type = static_cast<NSTextCheckingType>(ns::integerForKey(encoded, "type"));
    if (type == NSTextCheckingTypeLink) {
        const NSString url = ns::stringForKey(encoded, "url");
        auto parsed = url.isNil() ? nullptr : NSURL::URLWithString(url);
        return parsed ? NSTextCheckingResult::linkCheckingResultWithRange(range, id(parsed)) : nullptr;
    }
    if (type == NSTextCheckingTypePhoneNumber) {
        const NSString number = ns::stringForKey(encoded, "phoneNumber");
        return number.isNil() ? nullptr : NSTextCheckingResult::phoneNumberCheckingResultWithRange(range, number);
    }
    if (type == NSTextCheckingTypeDate && encoded->objectForKey(NSString("date")))
        return NSTextCheckingResult::dateCheckingResultWithRange(range, NSDate::dateWithTimeIntervalSince1970(ns::doubleForKey(encoded, "date")));
    return nullptr;
}

} // namespace LKAttributeCoding
