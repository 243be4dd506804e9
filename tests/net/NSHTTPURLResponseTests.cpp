#include "platform/net/NSHTTPURLResponse.h"

#include "platform/net/NSURL.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<NSHTTPURLResponse::HeaderLine>;

std::shared_ptr<NSHTTPURLResponse> reply(const Lines& lines, NSInteger status = 200, const char* URL = "http://example.com/files/a.bin")
{
    return NSHTTPURLResponse::responseWithURL(NSURL::URLWithString(URL), status, "HTTP/1.1", lines);
}

} // namespace

TEST(NSHTTPURLResponse, fieldsAreFoundWhateverTheirCaseAndRepeatsAreJoined)
{
    const auto response = reply({ { "cache-CONTROL", "no-store" }, { "X-Tag", "a" }, { "Set-Cookie", "a=1" }, { "x-tag", "b" },
        { "SET-COOKIE", "b=2" } });
    EXPECT_EQ(response->valueForHTTPHeaderField("Cache-Control"), "no-store");
    EXPECT_EQ(response->valueForHTTPHeaderField("X-TAG"), "a, b");
    EXPECT_TRUE(response->valueForHTTPHeaderField("Missing").isNil());
    EXPECT_TRUE(response->valueForHTTPHeaderField(nullptr).isNil());

    const auto& fields = response->allHeaderFields();
    EXPECT_EQ(fields->count(), 3u) << "one entry per field";
    EXPECT_EQ(NSString::fromId(fields->objectForKey(NSString("X-Tag"))), "a, b") << "under the first line's spelling";
    EXPECT_EQ(NSString::fromId(fields->objectForKey(NSString("Set-Cookie"))), "a=1, b=2");
    EXPECT_EQ(response->headerLines().size(), 5u) << "the lines stay one by one for the cookie storage";
    EXPECT_EQ(&response->allHeaderFields(), &fields) << "made once";
}

TEST(NSHTTPURLResponse, typeAndEncodingComeFromContentTypeWithOddParameters)
{
    struct Case {
        const char* contentType;
        const char* MIMEType;
        const char* encoding;
    };
    const Case cases[] = {
        { "text/html; charset=UTF-8", "text/html", "UTF-8" },
        { "Text/HTML;CHARSET=\"iso-8859-1\"", "text/html", "iso-8859-1" },
        { "application/json ; format=flowed ; Charset = utf-16 ", "application/json", "utf-16" },
        { "text/plain; boundary; charset=koi8-r", "text/plain", "koi8-r" },
        { "text/plain; name=\"a;b\"; charset=gbk", "text/plain", "gbk" },
        { "image/png", "image/png", nullptr },
        { "; charset=utf-8", nullptr, "utf-8" },
        // Blanks of every kind around the type; text beyond ASCII is lower-cased as text.
        { "\t\r\n TEXT/Xml\v\f;charset=gb2312", "text/xml", "gb2312" },
        { " \t ", nullptr, nullptr },
        { "\u3000Text/\u00C9T\u00C9;charset=utf-8", "text/\u00e9t\u00e9", "utf-8" },
        { "APPLICATION/VND.CORVANE+JSON\u00A0", "application/vnd.corvane+json", nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contentType);
        const auto response = reply({ { "content-type", c.contentType } });
        EXPECT_EQ(response->MIMEType().isNil(), c.MIMEType == nullptr);
        if (c.MIMEType) {
            EXPECT_EQ(response->MIMEType(), c.MIMEType);
        }
        EXPECT_EQ(response->textEncodingName().isNil(), c.encoding == nullptr);
        if (c.encoding) {
            EXPECT_EQ(response->textEncodingName(), c.encoding);
        }
    }
    EXPECT_TRUE(reply({})->MIMEType().isNil());
}

TEST(NSHTTPURLResponse, expectedLengthOnlyFromOneSoundUncompressedLength)
{
    EXPECT_EQ(reply({ { "Content-Length", " 1234 " } })->expectedContentLength(), 1234);
    EXPECT_EQ(reply({ { "content-length", "0" } })->expectedContentLength(), 0);
    for (const char* odd : { "-5", "12abc", "", "0x10", "99999999999999999999999", "1.5" })
        EXPECT_EQ(reply({ { "Content-Length", odd } })->expectedContentLength(), NSURLResponseUnknownLength) << odd;
    EXPECT_EQ(reply({ { "Content-Length", "10" }, { "Content-Length", "20" } })->expectedContentLength(), NSURLResponseUnknownLength)
        << "two lengths disagree: neither is trusted";
    EXPECT_EQ(reply({ { "Content-Length", "10" }, { "Content-Encoding", "gzip" } })->expectedContentLength(),
        NSURLResponseUnknownLength)
        << "the length counts compressed bytes, the client sees them decoded";
    EXPECT_EQ(reply({})->expectedContentLength(), NSURLResponseUnknownLength);
}

TEST(NSHTTPURLResponse, suggestedFilenameTakesTheDispositionButNeverAPath)
{
    EXPECT_EQ(reply({ { "Content-Disposition", "attachment; filename=\"report.pdf\"" } })->suggestedFilename(), "report.pdf");
    EXPECT_EQ(reply({ { "Content-Disposition", "attachment; FILENAME=../../etc/passwd" } })->suggestedFilename(), "passwd");
    EXPECT_EQ(reply({ { "Content-Disposition", "attachment; filename=\"\"" } })->suggestedFilename(), "a.bin")
        << "an empty name falls back on the URL";
    EXPECT_EQ(reply({ { "Content-Disposition", "inline" } })->suggestedFilename(), "a.bin");
    EXPECT_EQ(reply({ { "Content-Disposition", "attachment; filename=\"week;3.pdf\"; size=10" } })->suggestedFilename(), "week;3.pdf")
        << "a separator inside quotes belongs to the value";
    EXPECT_EQ(reply({ { "Content-Disposition", "attachment; filename=\"x\\\";y.txt\"" } })->suggestedFilename(), "x\\\";y.txt");
    EXPECT_EQ(reply({ { "Content-Disposition", "attachment; filename=\"open;end\\" } })->suggestedFilename(), "\"open;end\\")
        << "an unclosed quote keeps the rest";
}

TEST(NSHTTPURLResponse, statusTextsForKnownCodesAndEachClass)
{
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(200), "no error");
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(404), "not found");
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(503), "service unavailable");
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(101), "informational");
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(299), "success");
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(307), "redirected");
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(418), "client error");
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(599), "server error");
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(0), "unknown") << "no status is no success";
    EXPECT_EQ(NSHTTPURLResponse::localizedStringForStatusCode(-1), "unknown");
    EXPECT_EQ(reply({}, 304)->statusCode(), 304);
}
