// Set-Cookie fields of replies: the first line is the reply's URL, every further line one field.
// The cookies are stored in a jar and sent back; what goes out must be a well-formed header.
#include "platform/net/NSHTTPCookie.h"
#include "platform/net/NSHTTPCookieStorage.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\n');
    if (split == std::string_view::npos)
        return 0;
    auto url = NSURL::URLWithString(NSString(input.substr(0, split)));
    if (!url)
        url = NSURL::URLWithString("http://www.example.com/a/b");
    NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
    auto storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    storage->setCookieAcceptPolicy(NSHTTPCookieAcceptPolicyAlways);
    std::string_view rest = input.substr(split + 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const NSString field(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        auto cookies = NSHTTPCookie::cookiesWithResponseHeaderFields(ns::dictionary({ { "Set-Cookie", field } }), url);
        if (cookies)
            storage->setCookies(cookies, url, url);
        (void)NSHTTPCookie::cookieWithSetCookieLine(field, url);
    }
    auto sent = storage->cookiesForURL(url);
    auto fields = NSHTTPCookie::requestHeaderFieldsWithCookies(sent);
    const NSString header = fields ? NSString::fromId(fields->objectForKey("Cookie")) : NSString();
    if (!header.isNil()) {
        for (char c : header.UTF8String()) {
            if (c == '\r' || c == '\n' || c == '\0') {
                std::fprintf(stderr, "a control character in the Cookie header\n");
                std::abort();
            }
        }
    }
    for (const auto& object : storage->cookies()->objects())
        if (auto cookie = ns::cast<NSHTTPCookie>(object))
            (void)NSHTTPCookie::cookieWithProperties(cookie->properties());
    return 0;
}
