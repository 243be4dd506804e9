#include "platform/net/NSURLRequest.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSNumber.h"
#include "platform/net/NSInputStream.h"
#include "platform/net/StrictDecoding.h"

#include <cctype>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

const bool requestRegisteredForCoding = NSCoder::registerClass<NSURLRequest>();
const bool mutableRequestRegisteredForCoding = NSCoder::registerClass<NSMutableURLRequest>();

bool isKnownCachePolicy(std::int64_t policy)
{
    return policy >= 0 && policy <= static_cast<std::int64_t>(NSURLRequestReloadRevalidatingCacheData);
}

// A method is a token on the request line; anything else from an archive would be written
// straight onto the wire.
bool isMethodToken(const NSString& method)
{
    const std::string text = method.UTF8String();
    if (text.empty())
        return false;
    for (unsigned char c : text) {
        if (!std::isalnum(c) && std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) == std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace

std::shared_ptr<NSURLRequest> NSURLRequest::requestWithURL(const std::shared_ptr<NSURL>& URL)
{
    return create(URL);
}

std::shared_ptr<NSURLRequest> NSURLRequest::requestWithURL(const std::shared_ptr<NSURL>& URL,
    NSURLRequestCachePolicy cachePolicy, NSTimeInterval timeoutInterval)
{
    return create(URL, cachePolicy, timeoutInterval);
}

void NSURLRequest::init(const std::shared_ptr<NSURL>& URL)
{
    m_URL = URL;
}

void NSURLRequest::init(const std::shared_ptr<NSURL>& URL, NSURLRequestCachePolicy cachePolicy, NSTimeInterval timeoutInterval)
{
    m_URL = URL;
    m_cachePolicy = cachePolicy;
    m_timeoutInterval = timeoutInterval;
}

bool NSURLRequest::init(NSCoder& coder)
{
    NSString method;
    std::shared_ptr<NSArray> names;
    std::shared_ptr<NSArray> values;
    if (!ns::decodeOptional(coder, "URL", m_URL) || !ns::decodeOptional(coder, "mainDocumentURL", m_mainDocumentURL)
        || !ns::decodeOptional(coder, "HTTPMethod", method) || !ns::decodeOptional(coder, "headerFieldNames", names)
        || !ns::decodeOptional(coder, "headerFieldValues", values) || !ns::decodeOptional(coder, "HTTPBody", m_HTTPBody))
        return false;
    if (!method.isNil()) {
        if (!isMethodToken(method))
            return false;
        m_HTTPMethod = method;
    }
    // The fields are two lists side by side, so that their order survives.
    const NSUInteger count = names ? names->count() : 0;
    if (count != (values ? values->count() : 0))
        return false;
    for (NSUInteger i = 0; i < count; ++i) {
        NSString name = NSString::fromId(names->objectAtIndex(i));
        NSString value = NSString::fromId(values->objectAtIndex(i));
        if (name.isNil() || value.isNil())
            return false;
        m_headerFields.push_back({ name, value });
    }
    if (coder.containsValueForKey("timeoutInterval")) {
        const double timeout = coder.decodeDoubleForKey("timeoutInterval");
        if (!std::isfinite(timeout))
            return false;
        m_timeoutInterval = timeout;
    }
    if (coder.containsValueForKey("cachePolicy")) {
        const std::int64_t policy = coder.decodeInt64ForKey("cachePolicy");
        if (!isKnownCachePolicy(policy))
            return false;
        m_cachePolicy = static_cast<NSURLRequestCachePolicy>(policy);
    }
    if (coder.containsValueForKey("HTTPShouldHandleCookies"))
        m_HTTPShouldHandleCookies = coder.decodeBoolForKey("HTTPShouldHandleCookies");
    if (coder.containsValueForKey("maximumResponseLength")) {
        const std::int64_t length = coder.decodeInt64ForKey("maximumResponseLength");
        if (length < 0)
            return false;
        m_maximumResponseLength = static_cast<NSUInteger>(length);
    }
    return true;
}

void NSURLRequest::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_URL, "URL");
    coder.encodeObject(m_mainDocumentURL, "mainDocumentURL");
    coder.encodeObject(m_HTTPMethod, "HTTPMethod");
    auto names = NSMutableArray::array();
    auto values = NSMutableArray::array();
    for (const auto& field : m_headerFields) {
        names->addObject(field.name);
        values->addObject(field.value);
    }
    coder.encodeObject(names->copy(), "headerFieldNames");
    coder.encodeObject(values->copy(), "headerFieldValues");
    coder.encodeObject(m_HTTPBody, "HTTPBody");
    coder.encodeDouble(m_timeoutInterval, "timeoutInterval");
    coder.encodeInt64(static_cast<std::int64_t>(m_cachePolicy), "cachePolicy");
    coder.encodeBool(m_HTTPShouldHandleCookies, "HTTPShouldHandleCookies");
    coder.encodeInt64(static_cast<std::int64_t>(std::min<NSUInteger>(m_maximumResponseLength, INT64_MAX)), "maximumResponseLength");
}

void NSURLRequest::copyFieldsFrom(const NSURLRequest& other)
{
    m_URL = other.m_URL;
    m_mainDocumentURL = other.m_mainDocumentURL;
    m_HTTPMethod = other.m_HTTPMethod;
    m_headerFields = other.m_headerFields;
    m_HTTPBody = other.m_HTTPBody;
    m_HTTPBodyStream = other.m_HTTPBodyStream;
    m_timeoutInterval = other.m_timeoutInterval;
    m_cachePolicy = other.m_cachePolicy;
    m_HTTPShouldHandleCookies = other.m_HTTPShouldHandleCookies;
    m_maximumResponseLength = other.m_maximumResponseLength;
}

NSURLRequest::HeaderField* NSURLRequest::fieldNamed(const NSString& name)
{
    for (auto& field : m_headerFields) {
        if (field.name.caseInsensitiveCompare(name) == NSOrderedSame)
            return &field;
    }
    return nullptr;
}

std::shared_ptr<NSDictionary> NSURLRequest::allHTTPHeaderFields() const
{
    if (m_headerFields.empty())
        return nullptr;
    auto fields = NSMutableDictionary::dictionary();
    for (const auto& field : m_headerFields)
        fields->setObject(field.value, field.name);
    return fields->copyDictionary();
}

NSString NSURLRequest::valueForHTTPHeaderField(const NSString& name) const
{
    for (const auto& field : m_headerFields) {
        if (field.name.caseInsensitiveCompare(name) == NSOrderedSame)
            return field.value;
    }
    return nullptr;
}

NSString NSURLRequest::description() const
{
    return NSString::stringWithFormat("<%s: %p> { URL: %@ }", className(), static_cast<const void*>(this),
        m_URL ? m_URL->absoluteString() : NSString("(null)"));
}

std::shared_ptr<NSURLRequest> NSURLRequest::copyRequest() const
{
    auto request = NSURLRequest::create();
    request->copyFieldsFrom(*this);
    return request;
}

std::shared_ptr<NSMutableURLRequest> NSURLRequest::mutableCopyRequest() const
{
    return NSMutableURLRequest::create(*this);
}

id NSURLRequest::copy() const
{
    return copyRequest();
}

id NSURLRequest::mutableCopy() const
{
    return mutableCopyRequest();
}

std::shared_ptr<NSMutableURLRequest> NSMutableURLRequest::requestWithURL(const std::shared_ptr<NSURL>& URL)
{
    return create(URL);
}

std::shared_ptr<NSMutableURLRequest> NSMutableURLRequest::requestWithURL(const std::shared_ptr<NSURL>& URL,
    NSURLRequestCachePolicy cachePolicy, NSTimeInterval timeoutInterval)
{
    return create(URL, cachePolicy, timeoutInterval);
}

void NSMutableURLRequest::setHTTPMethod(const NSString& method)
{
    m_HTTPMethod = method.isNil() ? NSString("GET") : method;
}

void NSMutableURLRequest::setValue(const NSString& value, const NSString& name)
{
    if (name.isNil())
        return;
    if (value.isNil()) {
        std::erase_if(m_headerFields, [&](const HeaderField& field) { return field.name.caseInsensitiveCompare(name) == NSOrderedSame; });
        return;
    }
    if (HeaderField* field = fieldNamed(name)) {
        field->value = value;
        return;
    }
    m_headerFields.push_back({ name, value });
}

void NSMutableURLRequest::addValue(const NSString& value, const NSString& name)
{
    if (name.isNil() || value.isNil())
        return;
    if (HeaderField* field = fieldNamed(name)) {
        field->value = field->value + "," + value;
        return;
    }
    m_headerFields.push_back({ name, value });
}

void NSMutableURLRequest::setAllHTTPHeaderFields(const std::shared_ptr<NSDictionary>& fields)
{
    if (!fields)
        return;
    for (const auto& entry : *fields) {
        NSString name = NSString::fromId(entry.key);
        NSString value = NSString::fromId(entry.object);
        if (!name.isNil() && !value.isNil())
            setValue(value, name);
    }
}

void NSMutableURLRequest::setHTTPBody(const std::shared_ptr<NSData>& body)
{
    m_HTTPBody = body ? std::static_pointer_cast<NSData>(body->copy()) : nullptr;
    m_HTTPBodyStream = nullptr;
}

void NSMutableURLRequest::setHTTPBodyStream(const std::shared_ptr<NSInputStream>& stream)
{
    m_HTTPBodyStream = stream;
    m_HTTPBody = nullptr;
}
