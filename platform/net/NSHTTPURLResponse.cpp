#include "platform/net/NSHTTPURLResponse.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/net/StrictDecoding.h"

#include <algorithm>
#include <charconv>

namespace {

const bool registeredForCoding = NSCoder::registerClass<NSHTTPURLResponse>();

NSString trimmed(const NSString& text)
{
    return text.stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceAndNewlineCharacterSet());
}

// Field and parameter names are ASCII tokens: they compare without a full Unicode case fold.
bool equalIgnoringASCIICase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i];
        char16_t y = b[i];
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

NSString unquoted(const NSString& text)
{
    NSString value = trimmed(text);
    if (value.length() >= 2 && value.hasPrefix("\"") && value.hasSuffix("\""))
        return value.substringWithRange(NSMakeRange(1, value.length() - 2));
    return value;
}

// The value of one parameter ("charset", "filename") of a field such as Content-Type.
NSString parameterOfField(const NSString& field, const char* parameter)
{
    if (field.isNil())
        return nullptr;
    // A quoted value may hold the separator (filename="a;b.txt"): split only outside quotes.
    std::vector<NSString> items;
    const std::u16string_view text = field.view();
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] == u'"')
            quoted = !quoted;
        else if (i < text.size() && text[i] == u'\\' && quoted && i + 1 < text.size())
            ++i;
        else if (i == text.size() || (text[i] == u';' && !quoted)) {
            items.push_back(field.substringWithRange(NSMakeRange(start, i - start)));
            start = i + 1;
        }
    }
    for (std::size_t i = 1; i < items.size(); ++i) {
        NSRange equals = items[i].rangeOfString("=");
        if (equals.location == NSNotFound)
            continue;
        if (equalIgnoringASCIICase(trimmed(items[i].substringToIndex(equals.location)).view(), NSString(parameter).view()))
            return unquoted(items[i].substringFromIndex(equals.location + 1));
    }
    return nullptr;
}

// The media type of a Content-Type field, lower-cased; nil when it names none.
NSString MIMETypeOfField(const NSString& field)
{
    const std::u16string_view text = field.view();
    if (std::any_of(text.begin(), text.end(), [](char16_t unit) { return unit >= 0x80; })) {
        NSString type = trimmed(field.components(";").front());
        return type.length() ? type.lowercaseString() : NSString();
    }
    // ASCII text: its blanks are the ASCII ones, and lower case is ASCII's.
    const auto blank = [](char16_t unit) { return unit == u' ' || (unit >= u'\t' && unit <= u'\r'); };
    std::u16string_view type = text.substr(0, text.find(u';'));
    while (!type.empty() && blank(type.front()))
        type.remove_prefix(1);
    while (!type.empty() && blank(type.back()))
        type.remove_suffix(1);
    if (type.empty())
        return nullptr;
    std::u16string lower(type);
    for (char16_t& unit : lower) {
        if (unit >= u'A' && unit <= u'Z')
            unit = char16_t(unit + 32);
    }
    return NSString(std::move(lower));
}

// The names read from every reply, made once.
struct ReplyFields {
    NSString contentType { "Content-Type" };
    NSString contentLength { "Content-Length" };
    NSString contentEncoding { "Content-Encoding" };
};

const ReplyFields& replyFields()
{
    static const NeverDestroyed<ReplyFields> fields;
    return fields.get();
}

} // namespace

std::shared_ptr<NSHTTPURLResponse> NSHTTPURLResponse::responseWithURL(const std::shared_ptr<NSURL>& URL, NSInteger statusCode,
    const NSString&, const std::shared_ptr<NSDictionary>& headerFields)
{
    std::vector<HeaderLine> lines;
    if (headerFields) {
        for (const auto& entry : *headerFields)
            lines.push_back({ NSString::fromId(entry.key), NSString::fromId(entry.object) });
    }
    return create(URL, statusCode, lines);
}

std::shared_ptr<NSHTTPURLResponse> NSHTTPURLResponse::responseWithURL(const std::shared_ptr<NSURL>& URL, NSInteger statusCode,
    const NSString&, const std::vector<HeaderLine>& lines)
{
    return create(URL, statusCode, lines);
}

void NSHTTPURLResponse::init(const std::shared_ptr<NSURL>& URL, NSInteger statusCode, const std::vector<HeaderLine>& lines)
{
    m_statusCode = statusCode;
    m_lines = lines;
    NSString contentType = valueForHTTPHeaderField(replyFields().contentType);
    NSString MIMEType;
    if (!contentType.isNil())
        MIMEType = MIMETypeOfField(contentType);
    long long expected = NSURLResponseUnknownLength;
    NSString length = valueForHTTPHeaderField(replyFields().contentLength);
    if (!length.isNil() && valueForHTTPHeaderField(replyFields().contentEncoding).isNil()) {
        std::string digits = trimmed(length).UTF8String();
        long long value = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error == std::errc() && end == digits.data() + digits.size() && value >= 0)
            expected = value;
    }
    NSURLResponse::init(URL, MIMEType, expected, parameterOfField(contentType, "charset"));
}

bool NSHTTPURLResponse::init(NSCoder& coder)
{
    std::shared_ptr<NSURL> URL;
    std::shared_ptr<NSArray> names;
    std::shared_ptr<NSArray> values;
    if (!ns::decodeOptional(coder, "URL", URL) || !ns::decodeOptional(coder, "headerLineNames", names)
        || !ns::decodeOptional(coder, "headerLineValues", values))
        return false;
    const NSUInteger count = names ? names->count() : 0;
    if (count != (values ? values->count() : 0))
        return false;
    std::vector<HeaderLine> lines;
    for (NSUInteger i = 0; i < count; ++i) {
        HeaderLine line { NSString::fromId(names->objectAtIndex(i)), NSString::fromId(values->objectAtIndex(i)) };
        if (line.name.isNil() || line.value.isNil())
            return false;
        lines.push_back(std::move(line));
    }
    init(URL, coder.decodeIntegerForKey("statusCode"), lines);
    return true;
}

void NSHTTPURLResponse::encodeWithCoder(NSCoder& coder) const
{
    NSURLResponse::encodeWithCoder(coder);
    coder.encodeInteger(m_statusCode, "statusCode");
    auto names = NSMutableArray::array();
    auto values = NSMutableArray::array();
    for (const auto& line : m_lines) {
        if (line.name.isNil() || line.value.isNil())
            continue;
        names->addObject(line.name);
        values->addObject(line.value);
    }
    coder.encodeObject(names->copy(), "headerLineNames");
    coder.encodeObject(values->copy(), "headerLineValues");
}

const std::shared_ptr<NSDictionary>& NSHTTPURLResponse::allHeaderFields() const
{
    std::call_once(m_allHeaderFieldsMade, [this] {
        // One entry per field, under the spelling of its first line, its values joined.
        std::vector<HeaderLine> joined;
        for (const auto& line : m_lines) {
            if (line.name.isNil() || line.value.isNil())
                continue;
            auto existing = std::find_if(joined.begin(), joined.end(), [&](const HeaderLine& other) {
                return equalIgnoringASCIICase(other.name.view(), line.name.view());
            });
            if (existing == joined.end())
                joined.push_back(line);
            else
                existing->value = existing->value + ", " + line.value;
        }
        auto fields = NSMutableDictionary::dictionary();
        for (const auto& line : joined)
            fields->setObject(line.value, line.name);
        m_allHeaderFields = fields->copyDictionary();
    });
    return m_allHeaderFields;
}

NSString NSHTTPURLResponse::valueForHTTPHeaderField(const NSString& name) const
{
    if (name.isNil())
        return nullptr;
    // Read from the lines, joined as allHeaderFields joins them, without making the dictionary.
    const std::u16string_view wanted = name.view();
    NSString value;
    for (const auto& line : m_lines) {
        if (line.name.isNil() || line.value.isNil() || !equalIgnoringASCIICase(line.name.view(), wanted))
            continue;
        value = value.isNil() ? line.value : value + ", " + line.value;
    }
    return value;
}

NSString NSHTTPURLResponse::suggestedFilename() const
{
    NSString name = parameterOfField(valueForHTTPHeaderField("Content-Disposition"), "filename");
    if (!name.isNil() && name.length())
        return name.lastPathComponent();
    return NSURLResponse::suggestedFilename();
}

NSString NSHTTPURLResponse::localizedStringForStatusCode(NSInteger statusCode)
{
    switch (statusCode) {
    case 200: return "no error";
    case 201: return "created";
    case 204: return "no content";
    case 206: return "partial content";
    case 301: return "moved permanently";
    case 302: return "found";
    case 304: return "not modified";
    case 400: return "bad request";
    case 401: return "unauthorized";
    case 403: return "forbidden";
    case 404: return "not found";
    case 500: return "internal server error";
    case 503: return "service unavailable";
    default: break;
    }
    if (statusCode < 100)
        return "unknown";
    if (statusCode < 200)
        return "informational";
    if (statusCode < 300)
        return "success";
    if (statusCode < 400)
        return "redirected";
    if (statusCode < 500)
        return "client error";
    return "server error";
}
