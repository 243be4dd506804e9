#pragma once
// Form encoding of request bodies: the services read these bytes exactly, so the order of the
// pairs and the escaping are part of the wire format.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"

class RQQueryStringPair final : public NSObject {
    NS_OBJECT(RQQueryStringPair, NSObject)
public:
    const id& field() const { return m_field; }
    const id& value() const { return m_value; }

    // "key=value" with both escaped, or the key alone when the value is nil or NSNull.
    NSString URLEncodedStringValueWithEncoding(NSStringEncoding encoding) const;

protected:
    void init(id field, id value)
    {
        m_field = std::move(field);
        m_value = std::move(value);
    }

    id m_field;
    id m_value;
};

// The form-encoded body of a parameter dictionary: pairs sorted case-insensitively by key at
// every dictionary level, joined by "&".
NSString RQQueryStringFromParameters(const std::shared_ptr<NSDictionary>& parameters, NSStringEncoding encoding);
// The flattened pairs of a value under a key (nil at the top level).
std::vector<std::shared_ptr<RQQueryStringPair>> RQQueryStringPairsFromValue(const id& key, const id& value);
NSString RQPercentEscapedQueryStringKey(const NSString& key, NSStringEncoding encoding);
// The Content-Type of a form-encoded body: the format takes the IANA name of the body's encoding.
inline constexpr const char* RQFormURLEncodedContentTypeFormat = "application/x-www-form-urlencoded; charset=%@";
NSString RQFormURLEncodedContentType(NSStringEncoding encoding);
