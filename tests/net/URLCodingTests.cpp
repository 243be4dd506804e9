#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSNumber.h"
#include "platform/net/NSHTTPURLResponse.h"
#include "platform/net/NSOutputStream.h"
#include "platform/net/NSURLError.h"
#include "platform/net/NSURLRequest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

id roundTrip(const id& object)
{
    return NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(object));
}

// Writes whatever a test likes under the name of a real class, the way a damaged or forged file
// would present it.
class ForgedArchive final : public NSObject, public NSCoding {
    NS_OBJECT(ForgedArchive, NSObject)
public:
    const char* classNameForCoder() const override { return m_name.c_str(); }
    void encodeWithCoder(NSCoder& coder) const override { m_write(coder); }

protected:
    void init(std::string name, std::function<void(NSCoder&)> write)
    {
        m_name = std::move(name);
        m_write = std::move(write);
    }

private:
    std::string m_name;
    std::function<void(NSCoder&)> m_write;
};

id decodeForged(const char* className, std::function<void(NSCoder&)> write)
{
    return roundTrip(ForgedArchive::create(className, std::move(write)));
}

} // namespace

TEST(URLCoding, aMutableRequestKeepsEverythingButItsBodyStream)
{
    auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString("list?page=2", NSURL::URLWithString("http://example.com/api/")),
        NSURLRequestReloadIgnoringLocalCacheData, 12.5);
    request->setHTTPMethod("POST");
    request->setValue("b", "X-Second");
    request->setValue("a", "X-First");
    request->setValue("text/plain", "Content-Type");
    request->setHTTPBody(NSData::dataWithBytes("科目一", 9));
    request->setHTTPShouldHandleCookies(false);

    auto restored = ns::cast<NSMutableURLRequest>(roundTrip(request));
    ASSERT_TRUE(restored);
    EXPECT_TRUE(restored->URL()->isEqual(request->URL()));
    EXPECT_EQ(restored->URL()->relativeString(), "list?page=2");
    EXPECT_EQ(restored->URL()->absoluteString(), "http://example.com/api/list?page=2");
    EXPECT_EQ(restored->HTTPMethod(), "POST");
    ASSERT_EQ(restored->headerFields().size(), 3u);
    EXPECT_EQ(restored->headerFields()[0].name, "X-Second");
    EXPECT_EQ(restored->headerFields()[1].name, "X-First");
    EXPECT_EQ(restored->valueForHTTPHeaderField("content-type"), "text/plain");
    EXPECT_TRUE(restored->HTTPBody()->isEqualToData(request->HTTPBody()));
    EXPECT_EQ(restored->timeoutInterval(), 12.5);
    EXPECT_EQ(restored->cachePolicy(), NSURLRequestReloadIgnoringLocalCacheData);
    EXPECT_FALSE(restored->HTTPShouldHandleCookies());

    auto plain = ns::cast<NSURLRequest>(roundTrip(NSURLRequest::requestWithURL(NSURL::URLWithString("http://example.com/"))));
    ASSERT_TRUE(plain);
    EXPECT_FALSE(std::dynamic_pointer_cast<NSMutableURLRequest>(plain));
    EXPECT_EQ(plain->HTTPMethod(), "GET");
    EXPECT_FALSE(plain->HTTPBody());
    EXPECT_EQ(plain->timeoutInterval(), NSURLRequestDefaultTimeoutInterval);
    EXPECT_TRUE(plain->HTTPShouldHandleCookies());
}

TEST(URLCoding, anHTTPResponseKeepsItsStatusAndEveryHeaderLine)
{
    auto response = NSHTTPURLResponse::responseWithURL(NSURL::URLWithString("http://example.com/login"), 201, "HTTP/1.1",
        std::vector<NSHTTPURLResponse::HeaderLine> { { "Content-Type", "text/html; charset=GBK" }, { "Content-Length", "42" },
            { "Set-Cookie", "a=1; Path=/" }, { "Set-Cookie", "b=2; Path=/" } });

    auto restored = ns::cast<NSHTTPURLResponse>(roundTrip(response));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->URL()->absoluteString(), "http://example.com/login");
    EXPECT_EQ(restored->statusCode(), 201);
    EXPECT_EQ(restored->MIMEType(), "text/html");
    EXPECT_EQ(restored->expectedContentLength(), 42);
    EXPECT_EQ(restored->textEncodingName(), "GBK");
    EXPECT_EQ(restored->valueForHTTPHeaderField("set-cookie"), "a=1; Path=/, b=2; Path=/");
    ASSERT_EQ(restored->headerLines().size(), 4u);
    EXPECT_EQ(restored->headerLines()[3].value, "b=2; Path=/");

    auto plain = ns::cast<NSURLResponse>(roundTrip(NSURLResponse::responseWithURL(NSURL::URLWithString("file:///tmp/a.txt"),
        "text/plain", -1, nullptr)));
    ASSERT_TRUE(plain);
    EXPECT_FALSE(std::dynamic_pointer_cast<NSHTTPURLResponse>(plain));
    EXPECT_EQ(plain->MIMEType(), "text/plain");
    EXPECT_EQ(plain->expectedContentLength(), NSURLResponseUnknownLength);
    EXPECT_TRUE(plain->textEncodingName().isNil());
}

TEST(URLCoding, anErrorKeepsTheUserInfoThatCanBeArchivedAndDropsTheRest)
{
    auto URL = NSURL::URLWithString("http://example.com/a");
    auto userInfo = NSMutableDictionary::dictionary();
    userInfo->setObject(URL, NSURLErrorFailingURLErrorKey);
    userInfo->setObject(NSString("连接失败"), NSLocalizedDescriptionKey);
    userInfo->setObject(NSError::errorWithDomain(NSPOSIXErrorDomain, 61), NSUnderlyingErrorKey);
    userInfo->setObject(NSOutputStream::outputStreamToMemory(), "stream");
    userInfo->setObject(NSArray::arrayWithObjects({ NSNumber::numberWithInt(1), NSObject::create() }), "mixed");
    auto error = NSError::errorWithDomain(NSURLErrorDomain, NSURLErrorCannotConnectToHost, userInfo);

    auto restored = ns::cast<NSError>(roundTrip(error));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->domain(), NSURLErrorDomain);
    EXPECT_EQ(restored->code(), NSURLErrorCannotConnectToHost);
    EXPECT_EQ(restored->localizedDescription(), "连接失败");
    EXPECT_TRUE(URL->isEqual(restored->userInfo()->objectForKey(NSURLErrorFailingURLErrorKey)));
    auto underlying = ns::cast<NSError>(restored->userInfo()->objectForKey(NSUnderlyingErrorKey));
    ASSERT_TRUE(underlying);
    EXPECT_EQ(underlying->code(), 61);
    EXPECT_FALSE(restored->userInfo()->objectForKey("stream"));
    EXPECT_FALSE(restored->userInfo()->objectForKey("mixed"));
}

TEST(URLCoding, forgedValuesAreRefusedWithNil)
{
    // Header names and values that do not pair up.
    EXPECT_FALSE(decodeForged("NSURLRequest", [](NSCoder& coder) {
        coder.encodeObject(NSArray::arrayWithObjects({ NSString("A"), NSString("B") }), "headerFieldNames");
        coder.encodeObject(NSArray::arrayWithObjects({ NSString("1") }), "headerFieldValues");
    }));
    // A method that would break the request line.
    EXPECT_FALSE(decodeForged("NSMutableURLRequest", [](NSCoder& coder) {
        coder.encodeObject(NSString("GET / HTTP/1.1\r\nHost: evil\r\n"), "HTTPMethod");
    }));
    // A URL of the wrong kind, an unknown cache policy, a time-out that is not a number.
    EXPECT_FALSE(decodeForged("NSURLRequest", [](NSCoder& coder) { coder.encodeObject(NSString("http://example.com/"), "URL"); }));
    EXPECT_FALSE(decodeForged("NSURLRequest", [](NSCoder& coder) { coder.encodeInt64(99, "cachePolicy"); }));
    EXPECT_FALSE(decodeForged("NSURLRequest", [](NSCoder& coder) { coder.encodeDouble(std::nan(""), "timeoutInterval"); }));
    EXPECT_FALSE(decodeForged("NSURL", [](NSCoder& coder) { coder.encodeObject(NSString("http://exa mple.com/"), "NS.relative"); }));
    EXPECT_FALSE(decodeForged("NSHTTPURLResponse", [](NSCoder& coder) {
        coder.encodeObject(NSArray::arrayWithObjects({ NSNumber::numberWithInt(1) }), "headerLineNames");
        coder.encodeObject(NSArray::arrayWithObjects({ NSString("x") }), "headerLineValues");
    }));
    EXPECT_FALSE(decodeForged("NSError", [](NSCoder& coder) { coder.encodeInteger(1, "NSCode"); }));
    EXPECT_FALSE(decodeForged("NSError", [](NSCoder& coder) {
        coder.encodeObject(NSString("D"), "NSDomain");
        coder.encodeObject(NSString("not a dictionary"), "NSUserInfo");
    }));
}

// Field names compare by ASCII case only: lines of one name in any case join in order, and the
// charset parameter is found whatever its case.
TEST(URLCoding, headerNamesFoldASCIICase)
{
    auto response = NSHTTPURLResponse::responseWithURL(NSURL::URLWithString("http://127.0.0.1/"), 200, "HTTP/1.1",
        std::vector<NSHTTPURLResponse::HeaderLine> { { "X-Trace", "a" }, { "content-TYPE", "text/plain; CharSet=\"GBK\"" },
            { "x-trace", "b" }, { "X-TRACE", "c" }, { "Ä-Field", "1" } });
    EXPECT_EQ(response->valueForHTTPHeaderField("x-Trace"), "a, b, c");
    EXPECT_EQ(response->allHeaderFields()->count(), 3u);
    EXPECT_EQ(NSString::fromId(response->allHeaderFields()->objectForKey(NSString("X-Trace"))), "a, b, c");
    EXPECT_EQ(response->allHeaderFields().get(), response->allHeaderFields().get()) << "made once";
    EXPECT_EQ(response->MIMEType(), "text/plain");
    EXPECT_EQ(response->textEncodingName(), "GBK");
    EXPECT_EQ(response->valueForHTTPHeaderField("Ä-field"), "1");
    EXPECT_TRUE(response->valueForHTTPHeaderField("ä-field").isNil());
    EXPECT_TRUE(response->valueForHTTPHeaderField("X-Trac").isNil());
}
