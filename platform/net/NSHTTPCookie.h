#pragma once
// One cookie, made from a properties dictionary or from the Set-Cookie fields of a reply.
// Cookies archive with the keyed archiver (their properties), so a login's cookies can be kept
// in the user defaults across restarts.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSURL.h"

inline constexpr const char* NSHTTPCookieName = "Name";
inline constexpr const char* NSHTTPCookieValue = "Value";
inline constexpr const char* NSHTTPCookieOriginURL = "OriginURL";
inline constexpr const char* NSHTTPCookieVersion = "Version";
inline constexpr const char* NSHTTPCookieDomain = "Domain";
inline constexpr const char* NSHTTPCookiePath = "Path";
inline constexpr const char* NSHTTPCookieSecure = "Secure";
inline constexpr const char* NSHTTPCookieExpires = "Expires";
inline constexpr const char* NSHTTPCookieComment = "Comment";
inline constexpr const char* NSHTTPCookieCommentURL = "CommentURL";
inline constexpr const char* NSHTTPCookieDiscard = "Discard";
inline constexpr const char* NSHTTPCookieMaximumAge = "Max-Age";
inline constexpr const char* NSHTTPCookiePort = "Port";
inline constexpr const char* NSHTTPCookieHTTPOnly = "HttpOnly";

class NSHTTPCookie final : public NSObject, public NSCoding {
    NS_OBJECT(NSHTTPCookie, NSObject)
public:
    // Nil when a required property (name, value, a domain or an origin URL) is missing or bad.
    static std::shared_ptr<NSHTTPCookie> cookieWithProperties(const std::shared_ptr<NSDictionary>& properties);
    // The cookies of a reply's "Set-Cookie" field (several joined with ", " are split again);
    // cookies whose domain the URL's host cannot set are left out.
    static std::shared_ptr<NSArray> cookiesWithResponseHeaderFields(const std::shared_ptr<NSDictionary>& headerFields,
        const std::shared_ptr<NSURL>& URL);
    // One Set-Cookie line; nil when it does not make a cookie the URL may set.
    static std::shared_ptr<NSHTTPCookie> cookieWithSetCookieLine(const NSString& line, const std::shared_ptr<NSURL>& URL);
    // {"Cookie": "a=1; b=2"} for the cookies in order; empty for none.
    static std::shared_ptr<NSDictionary> requestHeaderFieldsWithCookies(const std::shared_ptr<NSArray>& cookies);

    std::shared_ptr<NSDictionary> properties() const;
    const NSString& name() const { return m_name; }
    const NSString& value() const { return m_value; }
    // A leading "." means the domain and its subdomains; without it, that host alone.
    const NSString& domain() const { return m_domain; }
    const NSString& path() const { return m_path; }
    // Nil for a session cookie.
    const std::shared_ptr<NSDate>& expiresDate() const { return m_expiresDate; }
    bool isSessionOnly() const { return !m_expiresDate; }
    bool isSecure() const { return m_secure; }
    bool isHTTPOnly() const { return m_HTTPOnly; }
    NSUInteger version() const { return m_version; }
    const NSString& comment() const { return m_comment; }

    bool isExpired(NSTimeInterval now) const;
    bool matchesURL(const std::shared_ptr<NSURL>& URL, NSTimeInterval now) const;
    // Same name, domain and path: the later one replaces the earlier.
    bool hasSameIdentity(const NSHTTPCookie& other) const;

    void encodeWithCoder(NSCoder& coder) const override;
    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;

protected:
    bool init(const std::shared_ptr<NSDictionary>& properties);
    bool init(NSCoder& coder);

private:
    std::shared_ptr<NSDictionary> m_properties;
    NSString m_name;
    NSString m_value;
    NSString m_domain;
    NSString m_path;
    NSString m_comment;
    std::shared_ptr<NSDate> m_expiresDate;
    NSUInteger m_version { 0 };
    bool m_secure { false };
    bool m_HTTPOnly { false };
};

// Domain matching as cookies use it: the host itself, or a host under a "." domain.
bool NSHTTPCookieDomainMatches(const NSString& cookieDomain, const NSString& host);
