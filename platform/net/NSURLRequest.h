#pragma once
// A URL request: URL, method, header fields, body (bytes or a stream), time-out, cache policy and
// whether the loading system handles cookies. Header names compare case-insensitively and keep
// the spelling they were first set with. Requests archive with everything but a body stream,
// which cannot be stored.

#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSURL.h"

#include <vector>

class NSInputStream;
class NSMutableURLRequest;

enum NSURLRequestCachePolicy : NSUInteger {
    NSURLRequestUseProtocolCachePolicy = 0,
    NSURLRequestReloadIgnoringLocalCacheData = 1,
    NSURLRequestReloadIgnoringLocalAndRemoteCacheData = 4,
    NSURLRequestReloadIgnoringCacheData = NSURLRequestReloadIgnoringLocalCacheData,
    NSURLRequestReturnCacheDataElseLoad = 2,
    NSURLRequestReturnCacheDataDontLoad = 3,
    NSURLRequestReloadRevalidatingCacheData = 5,
};

inline constexpr NSTimeInterval NSURLRequestDefaultTimeoutInterval = 60.0;
// The most body bytes (after content decoding) a reply may bring unless the request says
// otherwise: far above any reply or picture of the client, far below what would exhaust a phone.
inline constexpr NSUInteger NSURLRequestDefaultMaximumResponseLength = 64 * 1024 * 1024;

class NSURLRequest : public NSObject, public NSCoding {
    NS_OBJECT(NSURLRequest, NSObject)
public:
    static std::shared_ptr<NSURLRequest> requestWithURL(const std::shared_ptr<NSURL>& URL);
    static std::shared_ptr<NSURLRequest> requestWithURL(const std::shared_ptr<NSURL>& URL,
        NSURLRequestCachePolicy cachePolicy, NSTimeInterval timeoutInterval);

    const std::shared_ptr<NSURL>& URL() const { return m_URL; }
    const NSString& HTTPMethod() const { return m_HTTPMethod; }
    // The fields as set; nil when there are none.
    std::shared_ptr<NSDictionary> allHTTPHeaderFields() const;
    NSString valueForHTTPHeaderField(const NSString& field) const;
    const std::shared_ptr<NSData>& HTTPBody() const { return m_HTTPBody; }
    const std::shared_ptr<NSInputStream>& HTTPBodyStream() const { return m_HTTPBodyStream; }
    NSTimeInterval timeoutInterval() const { return m_timeoutInterval; }
    NSURLRequestCachePolicy cachePolicy() const { return m_cachePolicy; }
    bool HTTPShouldHandleCookies() const { return m_HTTPShouldHandleCookies; }
    // A longer body fails the load with NSURLErrorDataLengthExceedsMaximum.
    NSUInteger maximumResponseLength() const { return m_maximumResponseLength; }
    const std::shared_ptr<NSURL>& mainDocumentURL() const { return m_mainDocumentURL; }

    // The fields in the order they were first set, for the wire.
    struct HeaderField {
        NSString name;
        NSString value;
    };
    const std::vector<HeaderField>& headerFields() const { return m_headerFields; }

    NSString description() const override;
    id copy() const override;
    id mutableCopy() const override;
    std::shared_ptr<NSURLRequest> copyRequest() const;
    std::shared_ptr<NSMutableURLRequest> mutableCopyRequest() const;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(const std::shared_ptr<NSURL>& URL);
    bool init(NSCoder& coder);
    void init(const std::shared_ptr<NSURL>& URL, NSURLRequestCachePolicy cachePolicy, NSTimeInterval timeoutInterval);
    void copyFieldsFrom(const NSURLRequest& other);
    HeaderField* fieldNamed(const NSString& name);

    std::shared_ptr<NSURL> m_URL;
    std::shared_ptr<NSURL> m_mainDocumentURL;
    NSString m_HTTPMethod { "GET" };
    std::vector<HeaderField> m_headerFields;
    std::shared_ptr<NSData> m_HTTPBody;
    std::shared_ptr<NSInputStream> m_HTTPBodyStream;
    NSTimeInterval m_timeoutInterval { NSURLRequestDefaultTimeoutInterval };
    NSURLRequestCachePolicy m_cachePolicy { NSURLRequestUseProtocolCachePolicy };
    bool m_HTTPShouldHandleCookies { true };
    NSUInteger m_maximumResponseLength { NSURLRequestDefaultMaximumResponseLength };
};

class NSMutableURLRequest final : public NSURLRequest {
    NS_OBJECT(NSMutableURLRequest, NSURLRequest)
public:
    static std::shared_ptr<NSMutableURLRequest> requestWithURL(const std::shared_ptr<NSURL>& URL);
    static std::shared_ptr<NSMutableURLRequest> requestWithURL(const std::shared_ptr<NSURL>& URL,
        NSURLRequestCachePolicy cachePolicy, NSTimeInterval timeoutInterval);

    void setURL(const std::shared_ptr<NSURL>& URL) { m_URL = URL; }
    void setMainDocumentURL(const std::shared_ptr<NSURL>& URL) { m_mainDocumentURL = URL; }
    // Kept as written; the loading system sends standard methods upper-cased.
    void setHTTPMethod(const NSString& method);
    // Replaces the field (nil removes it).
    void setValue(const NSString& value, const NSString& field);
    // Appends to the field with ",", or sets it.
    void addValue(const NSString& value, const NSString& field);
    // Sets each field of the dictionary as setValue does; fields it does not name stay.
    void setAllHTTPHeaderFields(const std::shared_ptr<NSDictionary>& fields);
    // A body and a body stream exclude each other: setting one drops the other.
    void setHTTPBody(const std::shared_ptr<NSData>& body);
    void setHTTPBodyStream(const std::shared_ptr<NSInputStream>& stream);
    void setTimeoutInterval(NSTimeInterval seconds) { m_timeoutInterval = seconds; }
    void setCachePolicy(NSURLRequestCachePolicy policy) { m_cachePolicy = policy; }
    void setHTTPShouldHandleCookies(bool handle) { m_HTTPShouldHandleCookies = handle; }
    void setMaximumResponseLength(NSUInteger length) { m_maximumResponseLength = length; }

protected:
    void init(const NSURLRequest& other) { copyFieldsFrom(other); }
};
