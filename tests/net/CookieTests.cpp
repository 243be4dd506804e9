#include "platform/net/NSHTTPCookie.h"
#include "platform/net/NSHTTPCookieStorage.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<NSURL> url(const char* text) { return NSURL::URLWithString(text); }

std::shared_ptr<NSHTTPCookie> cookieFrom(const char* line, const char* from)
{
    return NSHTTPCookie::cookieWithSetCookieLine(line, url(from));
}

// The Cookie header a request to the URL would carry after the reply from `from` set `lines`.
std::string headerAfter(const std::vector<std::string>& lines, const char* from, const char* to)
{
    NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
    auto storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    storage->setCookieAcceptPolicy(NSHTTPCookieAcceptPolicyAlways);
    for (const auto& line : lines)
        storage->setCookies(NSHTTPCookie::cookiesWithResponseHeaderFields(ns::dictionary({ { "Set-Cookie", NSString(line) } }), url(from)),
            url(from), url(from));
    auto fields = NSHTTPCookie::requestHeaderFieldsWithCookies(storage->cookiesForURL(url(to)));
    const NSString header = NSString::fromId(fields->objectForKey("Cookie"));
    return header.isNil() ? std::string() : header.UTF8String();
}

} // namespace

TEST(Cookies, pathsMatchTheRequestPathAsSent)
{
    EXPECT_EQ(headerAfter({ "a=1; Path=/x/" }, "http://example.com/x/y", "http://example.com/x/"), "a=1");
    EXPECT_EQ(headerAfter({ "a=1; Path=/x/" }, "http://example.com/x/y", "http://example.com/x"), "");
    EXPECT_EQ(headerAfter({ "a=1; Path=/%7Ex" }, "http://example.com/", "http://example.com/%7Ex/p"), "a=1");
    EXPECT_EQ(headerAfter({ "a=1; Path=/~x" }, "http://example.com/", "http://example.com/%7Ex/p"), "");

    // Without a Path, everything up to the request's last "/".
    EXPECT_EQ(cookieFrom("a=1", "http://example.com/x/")->path(), NSString("/x"));
    EXPECT_EQ(cookieFrom("a=1", "http://example.com/x/y")->path(), NSString("/x"));
    EXPECT_EQ(cookieFrom("a=1", "http://example.com/x")->path(), NSString("/"));
    EXPECT_EQ(cookieFrom("a=1", "http://example.com")->path(), NSString("/"));
}

TEST(Cookies, theLastDomainAndPathCountAndAnEmptyPathMeansTheDefault)
{
    auto cookie = cookieFrom("a=1; Path=/p; Domain=other.org; Path=/q; Domain=.example.com", "http://www.example.com/x/y");
    ASSERT_TRUE(cookie);
    EXPECT_EQ(cookie->domain(), NSString(".example.com"));
    EXPECT_EQ(cookie->path(), NSString("/q"));
    EXPECT_FALSE(cookieFrom("a=1; Domain=example.com; Domain=other.org", "http://www.example.com/"));
    EXPECT_EQ(cookieFrom("a=1; Path=/p; Path=", "http://www.example.com/x/y")->path(), NSString("/x"));
    EXPECT_EQ(cookieFrom("a=1; Path=/p; Path=relative", "http://www.example.com/x/y")->path(), NSString("/x"));
}

TEST(Cookies, aPublicSuffixIsNoCookieDomain)
{
    EXPECT_FALSE(cookieFrom("a=1; Domain=.org", "http://site.example.org/"));
    EXPECT_FALSE(cookieFrom("a=1; Domain=co.uk", "http://shop.example.co.uk/"));
    EXPECT_FALSE(cookieFrom("a=1; Domain=.com", "http://example.com/"));
    auto ofSite = cookieFrom("a=1; Domain=example.co.uk", "http://shop.example.co.uk/");
    ASSERT_TRUE(ofSite);
    EXPECT_EQ(ofSite->domain(), NSString(".example.co.uk"));
    // A host that is itself a public suffix may name itself, and gets a cookie for itself alone.
    auto hostOnly = cookieFrom("a=1; Domain=co.uk", "http://co.uk/");
    ASSERT_TRUE(hostOnly);
    EXPECT_EQ(hostOnly->domain(), NSString("co.uk"));
    EXPECT_EQ(headerAfter({ "a=1; Domain=co.uk" }, "http://shop.example.co.uk/", "http://other.co.uk/"), "");
    // Addresses have no suffix.
    EXPECT_TRUE(cookieFrom("a=1; Domain=127.0.0.1", "http://127.0.0.1:3600/"));

    // Two sites under one public suffix are not one domain for the main-document policy.
    NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
    auto storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    storage->setCookies(ns::array({ cookieFrom("a=1", "http://ads.other.co.uk/") }), url("http://ads.other.co.uk/"),
        url("http://shop.example.co.uk/"));
    storage->setCookies(ns::array({ cookieFrom("b=2", "http://img.example.co.uk/") }), url("http://img.example.co.uk/"),
        url("http://shop.example.co.uk/"));
    ASSERT_EQ(storage->cookies()->count(), 1u);
    EXPECT_EQ(ns::cast<NSHTTPCookie>(storage->cookies()->objectAtIndex(0))->name(), NSString("b"));
}

TEST(Cookies, controlCharactersNeverReachTheWire)
{
    EXPECT_FALSE(cookieFrom("a=x\ry", "http://example.com/"));
    EXPECT_FALSE(cookieFrom("a=x\ny", "http://example.com/"));
    EXPECT_FALSE(cookieFrom("a\x01=1", "http://example.com/"));
    EXPECT_FALSE(cookieFrom("a=\x7f", "http://example.com/"));
    EXPECT_TRUE(cookieFrom("a=x\ty", "http://example.com/"));
    EXPECT_FALSE(NSHTTPCookie::cookieWithProperties(ns::dictionary({ { NSHTTPCookieName, NSString("a") },
        { NSHTTPCookieValue, NSString("1\r\nX-Injected: 1") }, { NSHTTPCookieDomain, NSString("example.com") } })));
    EXPECT_EQ(headerAfter({ "a=x\rEvil: 1", "b=2" }, "http://example.com/", "http://example.com/"), "b=2");
}

TEST(Cookies, oneReplyCannotFillTheJar)
{
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += (i ? ", c" : "c") + std::to_string(i) + "=v";
    const std::string header = headerAfter({ many }, "http://example.com/", "http://example.com/");
    auto storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    EXPECT_EQ(storage->cookies()->count(), NSHTTPCookieStorage::kMaximumCookiesPerSite);
    EXPECT_LT(header.size(), 4096u);
    // The newest stay.
    EXPECT_NE(header.find("c4999=v"), std::string::npos);
    EXPECT_EQ(header.find("c0=v"), std::string::npos);

    // Over many sites, the jar as a whole stays bounded.
    for (int site = 0; site < 40; ++site) {
        const std::string from = "http://www.site" + std::to_string(site) + ".net/";
        auto cookies = NSMutableArray::array();
        for (int i = 0; i < 100; ++i)
            cookies->addObject(cookieFrom(("k" + std::to_string(i) + "=v").c_str(), from.c_str()));
        storage->setCookies(cookies, url(from.c_str()), url(from.c_str()));
    }
    EXPECT_EQ(storage->cookies()->count(), NSHTTPCookieStorage::kMaximumCookies);

    // A cookie beyond the size browsers keep is refused.
    EXPECT_FALSE(cookieFrom(("big=" + std::string(5000, 'x')).c_str(), "http://example.com/"));
    EXPECT_TRUE(cookieFrom(("big=" + std::string(4000, 'x')).c_str(), "http://example.com/"));
}
