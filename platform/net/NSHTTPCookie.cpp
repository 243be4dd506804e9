#include "platform/net/NSHTTPCookie.h"

#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSNumber.h"
#include "platform/net/PublicSuffix.h"

#include <cctype>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace {

const bool registeredForCoding = NSCoder::registerClass<NSHTTPCookie>();

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trim(const std::string& text)
{
    std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    std::size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

NSString textOf(const id& object)
{
    if (!object)
        return nullptr;
    if (auto number = ns::cast<NSNumber>(object))
        return number->stringValue();
    return NSString::fromId(object);
}

bool flagOf(const id& object)
{
    if (auto number = ns::cast<NSNumber>(object))
        return number->boolValue();
    NSString text = NSString::fromId(object);
    if (text.isNil())
        return false;
    std::string value = lower(text.UTF8String());
    return value == "true" || value == "yes" || value == "1";
}

bool isIPAddress(const std::string& host)
{
    if (host.find(':') != std::string::npos)
        return true;
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string::npos;
}

// The cookie date forms in use (RFC 1123, RFC 850, asctime), read as the cookie rules read
// them: tokens for the time, day, month and year in any order.
std::shared_ptr<NSDate> parseCookieDate(const std::string& text)
{
    static const char* const months[] = { "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec" };
    int hour = -1, minute = -1, second = -1, day = -1, month = -1, year = -1;
    std::vector<std::string> tokens;
    std::string token;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == ':') {
            token.push_back(c);
        } else if (!token.empty()) {
            tokens.push_back(token);
            token.clear();
        }
    }
    if (!token.empty())
        tokens.push_back(token);
    for (const auto& item : tokens) {
        int h, m, s;
        char trailing;
        if (hour < 0 && std::sscanf(item.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &trailing) == 3) {
            hour = h;
            minute = m;
            second = s;
            continue;
        }
        bool digits = item.find_first_not_of("0123456789") == std::string::npos;
        if (day < 0 && digits && item.size() <= 2) {
            day = std::stoi(item);
            continue;
        }
        if (month < 0 && item.size() >= 3) {
            std::string prefix = lower(item.substr(0, 3));
            bool found = false;
            for (int i = 0; i < 12; ++i) {
                if (prefix == months[i]) {
                    month = i;
                    found = true;
                }
            }
            if (found)
                continue;
        }
        if (year < 0 && digits && item.size() >= 2 && item.size() <= 4) {
            year = std::stoi(item);
            if (year >= 70 && year <= 99)
                year += 1900;
            else if (year < 70)
                year += 2000;
        }
    }
    if (hour < 0 || day < 1 || day > 31 || month < 0 || year < 1601 || hour > 23 || minute > 59 || second > 59)
        return nullptr;
    std::tm parts {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return NSDate::dateWithTimeIntervalSince1970(static_cast<NSTimeInterval>(timegm(&parts)));
}

// The path as the request sends it: escapes kept, a trailing "/" kept.
std::string requestPathOf(const std::shared_ptr<NSURL>& URL)
{
    const NSString absolute = URL ? URL->absoluteString() : NSString();
    const NSString path = absolute.isNil() ? NSString() : NSURL::split(absolute).path;
    return path.isNil() ? std::string() : path.UTF8String();
}

// The default path of a cookie: the request path up to, not including, its last "/".
NSString defaultPathForURL(const std::shared_ptr<NSURL>& URL)
{
    std::string path = requestPathOf(URL);
    if (path.empty() || path[0] != '/')
        return "/";
    std::size_t slash = path.rfind('/');
    if (slash == 0)
        return "/";
    return NSString(path.substr(0, slash));
}

// Cookies joined with ", " into one field: a comma inside an Expires date does not split.
std::vector<std::string> splitCookieField(const std::string& field)
{
    std::vector<std::string> cookies;
    std::string current;
    std::size_t attributeStart = 0;
    for (char c : field) {
        if (c == ',') {
            std::string attribute = lower(trim(current.substr(attributeStart)));
            bool inDate = attribute.rfind("expires=", 0) == 0 && attribute.find(',') == std::string::npos;
            if (!inDate) {
                if (!trim(current).empty())
                    cookies.push_back(trim(current));
                current.clear();
                attributeStart = 0;
                continue;
            }
        }
        current.push_back(c);
        if (c == ';')
            attributeStart = current.size();
    }
    if (!trim(current).empty())
        cookies.push_back(trim(current));
    return cookies;
}

// Control characters other than a tab would travel raw in the Cookie header (a bare CR ends it).
bool holdsControlCharacter(const NSString& text)
{
    for (char c : text.UTF8String()) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F)
            return true;
    }
    return false;
}

// Browsers keep no cookie whose name and value together pass this.
constexpr std::size_t kMaximumCookieBytes = 4096;

} // namespace

bool NSHTTPCookieDomainMatches(const NSString& cookieDomain, const NSString& host)
{
    if (cookieDomain.isNil() || host.isNil())
        return false;
    std::string domain = lower(cookieDomain.UTF8String());
    std::string name = lower(host.UTF8String());
    if (domain.empty())
        return false;
    if (domain[0] != '.')
        return domain == name;
    std::string bare = domain.substr(1);
    if (name == bare)
        return true;
    return name.size() > domain.size() && name.compare(name.size() - domain.size(), domain.size(), domain) == 0;
}

std::shared_ptr<NSHTTPCookie> NSHTTPCookie::cookieWithProperties(const std::shared_ptr<NSDictionary>& properties)
{
    return properties ? create(properties) : nullptr;
}

bool NSHTTPCookie::init(const std::shared_ptr<NSDictionary>& properties)
{
    m_name = textOf(properties->objectForKey(NSHTTPCookieName));
    m_value = textOf(properties->objectForKey(NSHTTPCookieValue));
    if (m_name.isNil() || m_name.length() == 0 || m_value.isNil())
        return false;
    if (m_name.rangeOfString(";").location != NSNotFound || m_name.rangeOfString("=").location != NSNotFound
        || m_value.rangeOfString(";").location != NSNotFound || holdsControlCharacter(m_name) || holdsControlCharacter(m_value))
        return false;
    auto origin = ns::cast<NSURL>(properties->objectForKey(NSHTTPCookieOriginURL));
    if (!origin) {
        NSString originText = textOf(properties->objectForKey(NSHTTPCookieOriginURL));
        if (!originText.isNil())
            origin = NSURL::URLWithString(originText);
    }
    m_domain = textOf(properties->objectForKey(NSHTTPCookieDomain));
    if (m_domain.isNil() || m_domain.length() == 0) {
        if (!origin || origin->host().isNil())
            return false;
        m_domain = origin->host();
    }
    m_domain = m_domain.lowercaseString();
    m_path = textOf(properties->objectForKey(NSHTTPCookiePath));
    if (m_path.isNil() || m_path.length() == 0)
        m_path = "/";
    m_comment = textOf(properties->objectForKey(NSHTTPCookieComment));
    NSString version = textOf(properties->objectForKey(NSHTTPCookieVersion));
    m_version = version.isNil() ? 0 : static_cast<NSUInteger>(std::max(0, version.intValue()));
    m_secure = flagOf(properties->objectForKey(NSHTTPCookieSecure));
    m_HTTPOnly = flagOf(properties->objectForKey(NSHTTPCookieHTTPOnly));

    bool discard = flagOf(properties->objectForKey(NSHTTPCookieDiscard));
    NSString maximumAge = textOf(properties->objectForKey(NSHTTPCookieMaximumAge));
    if (!maximumAge.isNil() && !discard) {
        m_expiresDate = NSDate::dateWithTimeIntervalSinceNow(static_cast<NSTimeInterval>(maximumAge.longLongValue()));
    } else if (!discard) {
        id expires = properties->objectForKey(NSHTTPCookieExpires);
        if (auto date = ns::cast<NSDate>(expires))
            m_expiresDate = date;
        else if (NSString text = textOf(expires); !text.isNil())
            m_expiresDate = parseCookieDate(text.UTF8String());
    }

    auto stored = NSMutableDictionary::dictionary();
    stored->setObject(m_name, NSHTTPCookieName);
    stored->setObject(m_value, NSHTTPCookieValue);
    stored->setObject(m_domain, NSHTTPCookieDomain);
    stored->setObject(m_path, NSHTTPCookiePath);
    if (m_expiresDate)
        stored->setObject(m_expiresDate, NSHTTPCookieExpires);
    else
        stored->setObject(NSString("TRUE"), NSHTTPCookieDiscard);
    if (m_secure)
        stored->setObject(NSString("TRUE"), NSHTTPCookieSecure);
    if (m_HTTPOnly)
        stored->setObject(NSString("TRUE"), NSHTTPCookieHTTPOnly);
    if (!m_comment.isNil())
        stored->setObject(m_comment, NSHTTPCookieComment);
    stored->setObject(NSString::stringWithFormat("%lu", m_version), NSHTTPCookieVersion);
    if (origin)
        stored->setObject(origin->absoluteString(), NSHTTPCookieOriginURL);
    m_properties = stored->copyDictionary();
    return true;
}

bool NSHTTPCookie::init(NSCoder& coder)
{
    auto properties = coder.decodeObjectOfClass<NSDictionary>("properties");
    return properties && init(properties);
}

void NSHTTPCookie::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_properties, "properties");
}

std::shared_ptr<NSHTTPCookie> NSHTTPCookie::cookieWithSetCookieLine(const NSString& line, const std::shared_ptr<NSURL>& URL)
{
    if (line.isNil() || !URL || URL->host().isNil())
        return nullptr;
    std::string text = line.UTF8String();
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t semicolon = text.find(';', start);
        parts.push_back(text.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start));
        if (semicolon == std::string::npos)
            break;
        start = semicolon + 1;
    }
    std::size_t equals = parts[0].find('=');
    if (equals == std::string::npos || parts[0].size() > kMaximumCookieBytes)
        return nullptr;
    std::string host = lower(URL->host().UTF8String());
    auto properties = NSMutableDictionary::dictionary();
    properties->setObject(NSString(trim(parts[0].substr(0, equals))), NSHTTPCookieName);
    properties->setObject(NSString(trim(parts[0].substr(equals + 1))), NSHTTPCookieValue);
    properties->setObject(URL, NSHTTPCookieOriginURL);
    // Of repeated attributes the last one counts; a Path that is empty or relative means the default.
    std::optional<std::string> domainAttribute;
    NSString path = defaultPathForURL(URL);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::string attribute = trim(parts[i]);
        std::size_t split = attribute.find('=');
        std::string name = lower(trim(attribute.substr(0, split)));
        std::string value = split == std::string::npos ? std::string() : trim(attribute.substr(split + 1));
        if (name == "domain" && !value.empty()) {
            domainAttribute = lower(value[0] == '.' ? value.substr(1) : value);
        } else if (name == "path") {
            path = !value.empty() && value[0] == '/' ? NSString(value) : defaultPathForURL(URL);
        } else if (name == "expires") {
            properties->setObject(NSString(value), NSHTTPCookieExpires);
        } else if (name == "max-age") {
            bool numeric = !value.empty() && value.find_first_not_of("-0123456789") == std::string::npos;
            if (numeric)
                properties->setObject(NSString(value), NSHTTPCookieMaximumAge);
        } else if (name == "secure") {
            properties->setObject(NSString("TRUE"), NSHTTPCookieSecure);
        } else if (name == "httponly") {
            properties->setObject(NSString("TRUE"), NSHTTPCookieHTTPOnly);
        } else if (name == "comment") {
            properties->setObject(NSString(value), NSHTTPCookieComment);
        } else if (name == "version") {
            properties->setObject(NSString(value), NSHTTPCookieVersion);
        }
    }
    NSString domain = NSString(host);
    if (domainAttribute) {
        const std::string& wanted = *domainAttribute;
        // A suffix shared by many sites may only name the very host, which then gets a host-only cookie.
        if (!isIPAddress(host) && PublicSuffix::isPublicSuffix(wanted)) {
            if (wanted != host)
                return nullptr;
        } else {
            bool matches = host == wanted
                || (!isIPAddress(host) && host.size() > wanted.size() && host.compare(host.size() - wanted.size(), wanted.size(), wanted) == 0
                    && host[host.size() - wanted.size() - 1] == '.');
            if (!matches)
                return nullptr;
            domain = isIPAddress(host) ? NSString(host) : NSString("." + wanted);
        }
    }
    properties->setObject(domain, NSHTTPCookieDomain);
    properties->setObject(path, NSHTTPCookiePath);
    return cookieWithProperties(properties);
}

std::shared_ptr<NSArray> NSHTTPCookie::cookiesWithResponseHeaderFields(const std::shared_ptr<NSDictionary>& headerFields,
    const std::shared_ptr<NSURL>& URL)
{
    auto cookies = NSMutableArray::array();
    if (!headerFields)
        return cookies;
    for (const auto& entry : *headerFields) {
        NSString name = NSString::fromId(entry.key);
        NSString value = NSString::fromId(entry.object);
        if (name.isNil() || value.isNil() || name.caseInsensitiveCompare("Set-Cookie") != NSOrderedSame)
            continue;
        for (const auto& line : splitCookieField(value.UTF8String())) {
            if (auto cookie = cookieWithSetCookieLine(NSString(line), URL))
                cookies->addObject(cookie);
        }
    }
    return cookies;
}

std::shared_ptr<NSDictionary> NSHTTPCookie::requestHeaderFieldsWithCookies(const std::shared_ptr<NSArray>& cookies)
{
    std::string header;
    if (cookies) {
        for (const auto& object : *cookies) {
            auto cookie = ns::cast<NSHTTPCookie>(object);
            if (!cookie)
                continue;
            if (!header.empty())
                header += "; ";
            header += cookie->name().UTF8String() + "=" + cookie->value().UTF8String();
        }
    }
    if (header.empty())
        return NSDictionary::dictionary();
    return NSDictionary::dictionaryWithObjectsAndKeys({ { NSString(header), NSString("Cookie") } });
}

std::shared_ptr<NSDictionary> NSHTTPCookie::properties() const
{
    return m_properties;
}

bool NSHTTPCookie::isExpired(NSTimeInterval now) const
{
    return m_expiresDate && m_expiresDate->timeIntervalSinceReferenceDate() <= now;
}

bool NSHTTPCookie::matchesURL(const std::shared_ptr<NSURL>& URL, NSTimeInterval now) const
{
    if (!URL || isExpired(now) || !NSHTTPCookieDomainMatches(m_domain, URL->host()))
        return false;
    if (m_secure && URL->scheme().caseInsensitiveCompare("https") != NSOrderedSame)
        return false;
    std::string requestPath = requestPathOf(URL);
    if (requestPath.empty())
        requestPath = "/";
    std::string cookiePath = m_path.UTF8String();
    if (requestPath == cookiePath)
        return true;
    if (requestPath.rfind(cookiePath, 0) != 0)
        return false;
    return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

bool NSHTTPCookie::hasSameIdentity(const NSHTTPCookie& other) const
{
    return m_name == other.m_name && m_domain.caseInsensitiveCompare(other.m_domain) == NSOrderedSame && m_path == other.m_path;
}

NSString NSHTTPCookie::description() const
{
    return NSString::stringWithFormat("<NSHTTPCookie version:%lu name:\"%@\" value:\"%@\" expiresDate:%@ domain:%@ path:%@ isSecure:%s>",
        m_version, m_name, m_value, m_expiresDate, m_domain, m_path, m_secure ? "TRUE" : "FALSE");
}

bool NSHTTPCookie::isEqual(const id& other) const
{
    auto cookie = ns::cast<NSHTTPCookie>(other);
    return cookie && hasSameIdentity(*cookie) && m_value == cookie->m_value;
}

NSUInteger NSHTTPCookie::hash() const
{
    return m_name.hash() ^ m_domain.hash();
}

id NSHTTPCookie::copy() const
{
    return std::const_pointer_cast<NSObject>(shared_from_this());
}
