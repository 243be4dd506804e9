#pragma once
// The process's cookie jar. Cookies are matched to a URL by domain, path, expiry and the secure
// flag; a cookie replaces an earlier one of the same name, domain and path, and an expired one
// deletes it. The jar lives in memory: like the platform's session cookies, it starts empty
// after a restart, and the application keeps what must survive in its own archive.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSArray.h"
#include "platform/net/NSHTTPCookie.h"

#include <string>
#include <vector>

enum NSHTTPCookieAcceptPolicy : NSUInteger {
    NSHTTPCookieAcceptPolicyAlways = 0,
    NSHTTPCookieAcceptPolicyNever = 1,
    NSHTTPCookieAcceptPolicyOnlyFromMainDocumentDomain = 2,
};

inline constexpr const char* NSHTTPCookieManagerCookiesChangedNotification = "NSHTTPCookieManagerCookiesChangedNotification";

class NSHTTPCookieStorage final : public NSObject {
    NS_OBJECT(NSHTTPCookieStorage, NSObject)
public:
    // Bounds of the jar (above the least that RFC 6265 asks for); beyond them the oldest go.
    static constexpr std::size_t kMaximumCookiesPerSite = 180;
    static constexpr std::size_t kMaximumCookies = 3000;

    static std::shared_ptr<NSHTTPCookieStorage> sharedHTTPCookieStorage();
    // Drops the shared jar, as ending the process does; the next sharedHTTPCookieStorage() is empty.
    static void resetSharedHTTPCookieStorage();

    // Every cookie that has not expired, in the order they were set.
    std::shared_ptr<NSArray> cookies() const;
    // The cookies to send to the URL, longer paths first.
    std::shared_ptr<NSArray> cookiesForURL(const std::shared_ptr<NSURL>& URL) const;
    void setCookie(const std::shared_ptr<NSHTTPCookie>& cookie);
    void deleteCookie(const std::shared_ptr<NSHTTPCookie>& cookie);
    // Stores the cookies as the accept policy allows for a reply from the URL.
    void setCookies(const std::shared_ptr<NSArray>& cookies, const std::shared_ptr<NSURL>& URL,
        const std::shared_ptr<NSURL>& mainDocumentURL);
    void removeCookiesSinceDate(const std::shared_ptr<NSDate>& date);

    NSHTTPCookieAcceptPolicy cookieAcceptPolicy() const;
    void setCookieAcceptPolicy(NSHTTPCookieAcceptPolicy policy);

private:
    struct Entry {
        std::shared_ptr<NSHTTPCookie> cookie;
        NSTimeInterval created { 0 };
        std::string site;
    };

    bool storeLocked(const std::shared_ptr<NSHTTPCookie>& cookie, NSTimeInterval now) REQUIRES(m_mutex);
    void postChanged();

    mutable Mutex m_mutex;
    std::vector<Entry> m_entries GUARDED_BY(m_mutex);
    NSHTTPCookieAcceptPolicy m_acceptPolicy GUARDED_BY(m_mutex) { NSHTTPCookieAcceptPolicyOnlyFromMainDocumentDomain };
};
