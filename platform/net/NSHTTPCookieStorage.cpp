#include "platform/net/NSHTTPCookieStorage.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/net/PublicSuffix.h"

#include <algorithm>

namespace {

Guarded<std::shared_ptr<NSHTTPCookieStorage>>& sharedStorage()
{
    static NeverDestroyed<Guarded<std::shared_ptr<NSHTTPCookieStorage>>> storage;
    return storage.get();
}

NSTimeInterval now()
{
    return NSDate::timeIntervalSinceReferenceDateNow();
}

// The registrable part of a host or cookie domain ("example.co.uk"): one site, for the
// main-document policy and the per-site bound.
std::string baseDomain(const NSString& host)
{
    std::string name = host.isNil() ? std::string() : host.lowercaseString().UTF8String();
    if (!name.empty() && name[0] == '.')
        name.erase(0, 1);
    return PublicSuffix::registrableDomain(name);
}

} // namespace

std::shared_ptr<NSHTTPCookieStorage> NSHTTPCookieStorage::sharedHTTPCookieStorage()
{
    auto storage = sharedStorage().lock();
    if (!*storage)
        *storage = create();
    return *storage;
}

void NSHTTPCookieStorage::resetSharedHTTPCookieStorage()
{
    // Let go outside the lock: this may be the last reference.
    std::shared_ptr<NSHTTPCookieStorage> dropped = std::move(*sharedStorage().lock());
}

std::shared_ptr<NSArray> NSHTTPCookieStorage::cookies() const
{
    const NSTimeInterval time = now();
    MutexLocker lock(m_mutex);
    auto cookies = NSMutableArray::array();
    for (const auto& entry : m_entries) {
        if (!entry.cookie->isExpired(time))
            cookies->addObject(entry.cookie);
    }
    return cookies;
}

std::shared_ptr<NSArray> NSHTTPCookieStorage::cookiesForURL(const std::shared_ptr<NSURL>& URL) const
{
    const NSTimeInterval time = now();
    std::vector<Entry> matching;
    {
        MutexLocker lock(m_mutex);
        for (const auto& entry : m_entries) {
            if (entry.cookie->matchesURL(URL, time))
                matching.push_back(entry);
        }
    }
    std::stable_sort(matching.begin(), matching.end(), [](const Entry& a, const Entry& b) {
        return a.cookie->path().length() > b.cookie->path().length();
    });
    auto cookies = NSMutableArray::array();
    for (const auto& entry : matching)
        cookies->addObject(entry.cookie);
    return cookies;
}

bool NSHTTPCookieStorage::storeLocked(const std::shared_ptr<NSHTTPCookie>& cookie, NSTimeInterval time)
{
    auto existing = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.cookie->hasSameIdentity(*cookie);
    });
    if (cookie->isExpired(time)) {
        if (existing == m_entries.end())
            return false;
        m_entries.erase(existing);
        return true;
    }
    if (existing != m_entries.end()) {
        existing->cookie = cookie;
        return true;
    }
    std::string site = baseDomain(cookie->domain());
    // Beyond the bounds the oldest cookies go first, as browsers do: one reply may not fill the
    // jar, nor make every later request carry an enormous header.
    std::size_t ofSite = 0;
    for (const auto& entry : m_entries)
        ofSite += entry.site == site;
    if (ofSite >= kMaximumCookiesPerSite) {
        m_entries.erase(std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) { return entry.site == site; }));
    } else if (m_entries.size() >= kMaximumCookies) {
        m_entries.erase(m_entries.begin());
    }
    m_entries.push_back({ cookie, time, std::move(site) });
    return true;
}

void NSHTTPCookieStorage::setCookie(const std::shared_ptr<NSHTTPCookie>& cookie)
{
    if (!cookie)
        return;
    bool changed;
    {
        MutexLocker lock(m_mutex);
        if (m_acceptPolicy == NSHTTPCookieAcceptPolicyNever)
            return;
        changed = storeLocked(cookie, now());
    }
    if (changed)
        postChanged();
}

void NSHTTPCookieStorage::deleteCookie(const std::shared_ptr<NSHTTPCookie>& cookie)
{
    if (!cookie)
        return;
    bool changed = false;
    {
        MutexLocker lock(m_mutex);
        auto count = m_entries.size();
        std::erase_if(m_entries, [&](const Entry& entry) { return entry.cookie->hasSameIdentity(*cookie); });
        changed = count != m_entries.size();
    }
    if (changed)
        postChanged();
}

void NSHTTPCookieStorage::setCookies(const std::shared_ptr<NSArray>& cookies, const std::shared_ptr<NSURL>& URL,
    const std::shared_ptr<NSURL>& mainDocumentURL)
{
    if (!cookies)
        return;
    bool changed = false;
    {
        MutexLocker lock(m_mutex);
        if (m_acceptPolicy == NSHTTPCookieAcceptPolicyNever)
            return;
        const NSTimeInterval time = now();
        for (const auto& object : *cookies) {
            auto cookie = ns::cast<NSHTTPCookie>(object);
            if (!cookie)
                continue;
            if (m_acceptPolicy == NSHTTPCookieAcceptPolicyOnlyFromMainDocumentDomain && mainDocumentURL && URL
                && baseDomain(mainDocumentURL->host()) != baseDomain(URL->host()))
                continue;
            changed = storeLocked(cookie, time) || changed;
        }
    }
    if (changed)
        postChanged();
}

void NSHTTPCookieStorage::removeCookiesSinceDate(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return;
    {
        MutexLocker lock(m_mutex);
        std::erase_if(m_entries, [&](const Entry& entry) { return entry.created >= date->timeIntervalSinceReferenceDate(); });
    }
    postChanged();
}

NSHTTPCookieAcceptPolicy NSHTTPCookieStorage::cookieAcceptPolicy() const
{
    MutexLocker lock(m_mutex);
    return m_acceptPolicy;
}

void NSHTTPCookieStorage::setCookieAcceptPolicy(NSHTTPCookieAcceptPolicy policy)
{
    MutexLocker lock(m_mutex);
    m_acceptPolicy = policy;
}

void NSHTTPCookieStorage::postChanged()
{
    NSNotificationCenter::defaultCenter()->postNotificationName(NSHTTPCookieManagerCookiesChangedNotification, self());
}
