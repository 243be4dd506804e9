#include "app/services/RequestFields.h"

#include "platform/foundation/TypedValues.h"

namespace {

// The text a reply's value is sent as; nil for nil, null and the empty text. A row's number
// (an id sent as 42) goes as its digits.
NSString presentText(const id& value)
{
    const NSString text = ns::isNilOrNull(value) ? NSString() : ns::textOf(value);
    return text.isNil() || text.length() == 0 ? NSString() : text;
}

} // namespace

RequestFields::RequestFields()
    : m_fields(NSMutableDictionary::dictionary())
{
}

RequestFields& RequestFields::set(const char* key, const NSString& value)
{
    m_fields->setObject(value.isNil() ? NSString("") : value, NSString(key));
    return *this;
}

RequestFields& RequestFields::required(const char* key, const id& value)
{
    const NSString text = presentText(value);
    if (text.isNil())
        m_missing.emplace_back(key);
    else
        m_fields->setObject(text, NSString(key));
    return *this;
}

RequestFields& RequestFields::requiredList(const char* key, const std::vector<id>& values)
{
    std::string joined;
    for (const auto& value : values) {
        const NSString text = presentText(value);
        if (text.isNil()) {
            m_missing.emplace_back(key);
            return *this;
        }
        joined += (joined.empty() ? "" : ",") + text.UTF8String();
    }
    m_fields->setObject(NSString(joined), NSString(key));
    return *this;
}

RequestFields& RequestFields::orEmpty(const char* key, const id& value)
{
    const NSString text = presentText(value);
    m_fields->setObject(text.isNil() ? NSString("") : text, NSString(key));
    return *this;
}

RequestFields& RequestFields::ifPresent(const char* key, const id& value)
{
    if (const NSString text = presentText(value); !text.isNil())
        m_fields->setObject(text, NSString(key));
    return *this;
}
