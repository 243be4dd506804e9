#include "platform/net/NSURLRequest.h"

#include "platform/net/NSInputStream.h"

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
