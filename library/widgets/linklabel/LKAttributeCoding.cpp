#include "library/widgets/linklabel/LKAttributeCoding.h"

#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "library/widgets/linklabel/LKRunDecorations.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/foundation/NSValue.h"
#include "platform/text/NSParagraphStyle.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSURL.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIColor.h"

#include <algorithm>
#include <cmath>

namespace LKAttributeCoding {

namespace {

id colourComponents(const id& value)
{
    auto colour = ns::cast<UIColor>(value);
    CGFloat r = 0, g = 0, b = 0, a = 0;
    if (colour && colour->getRed(&r, &g, &b, &a))
        return NSArray::arrayWithObjects({ NSNumber::numberWithDouble(r), NSNumber::numberWithDouble(g), NSNumber::numberWithDouble(b), NSNumber::numberWithDouble(a) });
    if (auto cg = ns::cast<CGColor>(value)) {
        const auto rgba = cg->rgba();
        return NSArray::arrayWithObjects({ NSNumber::numberWithDouble(rgba[0]), NSNumber::numberWithDouble(rgba[1]), NSNumber::numberWithDouble(rgba[2]),
            NSNumber::numberWithDouble(rgba[3]) });
    }
    return nullptr;
}

double finite(const std::shared_ptr<NSDictionary>& encoded, const char* key, double low, double high)
{
    const double value = ns::doubleForKey(encoded, key);
    return std::isfinite(value) ? std::clamp(value, low, high) : 0;
}

// The decoration keys whose values are numbers.
constexpr NSAttributedStringKey numberKeys[] = { kCTKernAttributeName, kCTSuperscriptAttributeName, kLKStrikeOutAttributeName,
    kLKBackgroundCornerRadiusAttributeName, kLKBackgroundLineWidthAttributeName };
constexpr NSAttributedStringKey colourKeys[] = { kLKBackgroundFillColorAttributeName, kLKBackgroundStrokeColorAttributeName };

id encodedStyle(const std::shared_ptr<NSParagraphStyle>& style)
{
    auto values = [](std::initializer_list<double> list) {
        auto array = NSMutableArray::array();
        for (double value : list)
            array->addObject(NSNumber::numberWithDouble(value));
        return array;
    };
    return values({ static_cast<double>(style->alignment()), static_cast<double>(style->lineBreakMode()), style->lineSpacing(), style->paragraphSpacing(),
        style->paragraphSpacingBefore(), style->firstLineHeadIndent(), style->headIndent(), style->minimumLineHeight(), style->maximumLineHeight(),
        style->lineHeightMultiple() });
}

std::shared_ptr<NSParagraphStyle> decodedStyle(const id& encoded)
{
    auto array = ns::arrayValue(encoded);
    if (!array || array->count() != 10)
        return nullptr;
    double v[10];
    for (NSUInteger i = 0; i < 10; ++i) {
        auto number = ns::cast<NSNumber>(array->objectAtIndex(i));
        v[i] = number && std::isfinite(number->doubleValue()) ? std::clamp(number->doubleValue(), -10000.0, 10000.0) : 0;
    }
    auto style = NSMutableParagraphStyle::create();
    const auto alignment = static_cast<NSInteger>(v[0]);
    const auto mode = static_cast<NSInteger>(v[1]);
    style->setAlignment(alignment >= 0 && alignment <= NSTextAlignmentNatural ? static_cast<NSTextAlignment>(alignment) : NSTextAlignmentNatural);
    style->setLineBreakMode(mode >= 0 && mode <= NSLineBreakByTruncatingMiddle ? static_cast<NSLineBreakMode>(mode) : NSLineBreakByWordWrapping);
    style->setLineSpacing(std::max(0.0, v[2]));
    style->setParagraphSpacing(std::max(0.0, v[3]));
    style->setParagraphSpacingBefore(std::max(0.0, v[4]));
    style->setFirstLineHeadIndent(std::max(0.0, v[5]));
    style->setHeadIndent(std::max(0.0, v[6]));
    style->setMinimumLineHeight(std::max(0.0, v[7]));
    style->setMaximumLineHeight(std::max(0.0, v[8]));
    style->setLineHeightMultiple(std::max(0.0, v[9]));
    return std::static_pointer_cast<NSParagraphStyle>(style->copy());
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

id encodedColour(const id& colour)
{
    return colourComponents(colour);
}

UIColorRef decodedColour(const id& encoded)
{
    return ns::cast<UIColor>(colourFrom(encoded));
}

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
    for (const auto key : numberKeys)
        if (auto number = ns::cast<NSNumber>(attributes->objectForKey(NSString(key))))
            encoded->setObject(number, NSString(key));
    for (const auto key : colourKeys)
        if (auto colour = colourComponents(attributes->objectForKey(NSString(key))))
            encoded->setObject(colour, NSString(key));
    if (auto padding = ns::cast<NSValue>(attributes->objectForKey(NSString(kLKBackgroundFillPaddingAttributeName))); padding && padding->holds<UIEdgeInsets>()) {
        const auto insets = padding->get<UIEdgeInsets>();
        encoded->setObject(NSArray::arrayWithObjects({ NSNumber::numberWithDouble(insets.top), NSNumber::numberWithDouble(insets.left),
                               NSNumber::numberWithDouble(insets.bottom), NSNumber::numberWithDouble(insets.right) }),
            NSString(kLKBackgroundFillPaddingAttributeName));
    }
    if (auto style = ns::cast<NSParagraphStyle>(attributes->objectForKey(NSString(kCTParagraphStyleAttributeName))))
        encoded->setObject(encodedStyle(style), NSString("paragraphStyle"));
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
    for (const auto key : numberKeys)
        if (auto number = ns::cast<NSNumber>(encoded->objectForKey(NSString(key))); number && std::isfinite(number->doubleValue()))
            attributes->setObject(number, NSString(key));
    for (const auto key : colourKeys)
        if (auto colour = ns::cast<UIColor>(colourFrom(encoded->objectForKey(NSString(key)))))
            attributes->setObject(colour->CGColor(), NSString(key));
    if (auto padding = ns::arrayValue(encoded->objectForKey(NSString(kLKBackgroundFillPaddingAttributeName))); padding && padding->count() == 4) {
        double v[4] = {};
        for (NSUInteger i = 0; i < 4; ++i)
            if (auto number = ns::cast<NSNumber>(padding->objectAtIndex(i)); number && std::isfinite(number->doubleValue()))
                v[i] = std::clamp(number->doubleValue(), -1000.0, 1000.0);
        attributes->setObject(NSValue::valueWith(UIEdgeInsets { v[0], v[1], v[2], v[3] }, "UIEdgeInsets"), NSString(kLKBackgroundFillPaddingAttributeName));
    }
    if (auto style = decodedStyle(encoded->objectForKey(NSString("paragraphStyle"))))
        attributes->setObject(style, NSString(kCTParagraphStyleAttributeName));
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
    else if (result->resultType() == NSTextCheckingTypeDate && result->date()) {
        encoded->setObject(NSNumber::numberWithDouble(result->date()->timeIntervalSince1970()), NSString("date"));
        if (result->timeZone()) {
            encoded->setObject(result->timeZone()->name(), NSString("timeZone"));
            encoded->setObject(NSNumber::numberWithDouble(result->duration()), NSString("duration"));
        }
    } else if ((result->resultType() == NSTextCheckingTypeAddress || result->resultType() == NSTextCheckingTypeTransitInformation) && result->components()) {
        encoded->setObject(result->components(), NSString("components"));
    }
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
    if (type == NSTextCheckingTypeDate && encoded->objectForKey(NSString("date"))) {
        auto date = NSDate::dateWithTimeIntervalSince1970(finite(encoded, "date", -1e11, 1e11));
        const NSString zoneName = ns::stringForKey(encoded, "timeZone");
        if (auto zone = zoneName.isNil() ? nullptr : NSTimeZone::timeZoneWithName(zoneName))
            return NSTextCheckingResult::dateCheckingResultWithRange(range, date, zone, finite(encoded, "duration", 0, 1e9));
        return NSTextCheckingResult::dateCheckingResultWithRange(range, date);
    }
    if (type == NSTextCheckingTypeAddress || type == NSTextCheckingTypeTransitInformation) {
        // Only text components are kept.
        auto components = NSMutableDictionary::dictionary();
        if (auto stored = ns::dictionaryForKey(encoded, "components"))
            stored->enumerateKeysAndObjectsUsingBlock([&](const id& key, const id& object, bool&) {
                if (ns::cast<NSStringObject>(key) && ns::cast<NSStringObject>(object))
                    components->setObject(object, key);
            });
        return type == NSTextCheckingTypeAddress ? NSTextCheckingResult::addressCheckingResultWithRange(range, components)
                                                 : NSTextCheckingResult::transitInformationCheckingResultWithRange(range, components);
    }
    return nullptr;
}

} // namespace LKAttributeCoding
