#include "library/network/engine/NSData_NEBase64.h"
#include "library/network/engine/NSDate_RFC1123.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>

using namespace NSData_NEBase64;
using namespace NSDate_RFC1123;

namespace {

std::string encode(std::string_view text, bool separateLines = false)
{
    return NEBase64Encode({ reinterpret_cast<const std::uint8_t*>(text.data()), text.size() }, separateLines);
}

std::string decode(const char* text)
{
    auto bytes = NEBase64Decode(text);
    return { bytes.begin(), bytes.end() };
}

} // namespace

TEST(NEBase64, encodesAndDecodesTheStandardVectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        { "", "" }, { "f", "Zg==" }, { "fo", "Zm8=" }, { "foo", "Zm9v" },
        { "foob", "Zm9vYg==" }, { "fooba", "Zm9vYmE=" }, { "foobar", "Zm9vYmFy" },
    };
    for (const auto& [plain, coded] : vectors) {
        EXPECT_EQ(encode(plain), coded) << plain;
        EXPECT_EQ(decode(coded), plain) << coded;
        auto data = NSData::dataWithBytes(plain, std::strlen(plain));
        EXPECT_EQ(base64EncodedString(data), coded);
        EXPECT_EQ(dataFromBase64String(coded)->stringView(), plain);
    }
    // Every byte value survives the round trip, including the ones that map to "+" and "/".
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(255 - i);
    const std::string coded = NEBase64Encode(all, false);
    EXPECT_NE(coded.find('+'), std::string::npos);
    EXPECT_NE(coded.find('/'), std::string::npos);
    EXPECT_EQ(NEBase64Decode(coded.c_str()), all);
}

TEST(NEBase64, decodingSkipsWhatIsOutsideTheAlphabet)
{
    EXPECT_EQ(decode("YWJj\n"), "abc");
    EXPECT_EQ(decode("YW Jj"), "abc");
    EXPECT_EQ(decode("Y=W\r\nJ*j"), "abc");
    EXPECT_EQ(decode("YQ=="), "a");
    EXPECT_EQ(decode("YQ"), "a");
    EXPECT_EQ(decode("YWI"), "ab");
    EXPECT_EQ(decode("Y"), "");
    EXPECT_EQ(decode("===="), "");
    EXPECT_EQ(decode(nullptr), "");
    // Only bytes up to the first zero count.
    EXPECT_EQ(decode("YWJj\0YWJj"), "abc");
    // A byte of every value must be looked up without leaving the table.
    std::vector<std::uint8_t> noise(256);
    for (int i = 0; i < 256; ++i)
        noise[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(NEBase64Decode(noise).size(), 48u);
}

TEST(NEBase64, textThatIsNotASCIIGivesNoBytes)
{
    EXPECT_EQ(dataFromBase64String("YWJj\u00e9")->length(), 0u);
    EXPECT_EQ(dataFromBase64String(nullptr)->length(), 0u);
    EXPECT_EQ(base64EncodedString(nullptr), "");
    EXPECT_EQ(base64EncodedString(NSData::data()), "");
}

TEST(NEBase64, separatedLinesHoldSixtyFourCharacters)
{
    const std::string line48(48, 'x');
    const std::string one = encode(line48, true);
    EXPECT_EQ(one.size(), 64u);
    EXPECT_EQ(one.find('\r'), std::string::npos);

    const std::string two = encode(line48 + "y", true);
    ASSERT_EQ(two.size(), 64u + 2 + 4);
    EXPECT_EQ(two.substr(64, 2), "\r\n");
    EXPECT_EQ(two.substr(66), "eQ==");
    EXPECT_EQ(decode(two.c_str()), line48 + "y");

    const std::string three = encode(std::string(96, 'z'), true);
    EXPECT_EQ(three.size(), 64u * 2 + 2);
    EXPECT_EQ(three, encode(std::string(48, 'z')) + "\r\n" + encode(std::string(48, 'z')));
    // Without separation the same input stays on one line.
    EXPECT_EQ(encode(std::string(96, 'z')).find('\n'), std::string::npos);
}

class HTTPDate : public testing::Test {
protected:
    // A non-English locale and a zone east of GMT show that neither leaks into the forms.
    void SetUp() override
    {
        const char* zone = std::getenv("TZ");
        m_savedZone = zone ? std::optional<std::string>(zone) : std::nullopt;
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
        if (const char* previous = std::setlocale(LC_TIME, nullptr))
            m_savedLocale = previous;
        std::setlocale(LC_TIME, "de_DE.UTF-8");
    }
    void TearDown() override
    {
        if (m_savedZone)
            setenv("TZ", m_savedZone->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        std::setlocale(LC_TIME, m_savedLocale.c_str());
    }

private:
    std::optional<std::string> m_savedZone;
    std::string m_savedLocale = "C";
};

TEST_F(HTTPDate, readsTheThreeFormsAndWritesTheFirst)
{
    constexpr NSTimeInterval expected = 784111777; // 1994-11-06 08:49:37 UTC
    auto preferred = dateFromRFC1123("Sun, 06 Nov 1994 08:49:37 GMT");
    ASSERT_TRUE(preferred);
    EXPECT_EQ(preferred->timeIntervalSince1970(), expected);
    EXPECT_EQ(rfc1123String(*preferred), "Sun, 06 Nov 1994 08:49:37 GMT");

    auto utc = dateFromRFC1123("Sun, 06 Nov 1994 08:49:37 UTC");
    ASSERT_TRUE(utc);
    EXPECT_EQ(utc->timeIntervalSince1970(), expected);

    auto obsolete = dateFromRFC1123("Sunday, 06-Nov-94 08:49:37 GMT");
    ASSERT_TRUE(obsolete);
    EXPECT_EQ(obsolete->timeIntervalSince1970(), expected);

    // The C library's form has no zone and is local time: one hour east of GMT in November.
    auto asctimeForm = dateFromRFC1123("Sun Nov  6 08:49:37 1994");
    ASSERT_TRUE(asctimeForm);
    EXPECT_EQ(asctimeForm->timeIntervalSince1970(), expected - 3600);

    // The local zone's own names keep the fields local.
    auto local = dateFromRFC1123("Sun, 06 Nov 1994 08:49:37 CET");
    ASSERT_TRUE(local);
    EXPECT_EQ(local->timeIntervalSince1970(), expected - 3600);
}

TEST_F(HTTPDate, refusesWhatNoFormReads)
{
    EXPECT_FALSE(dateFromRFC1123(nullptr));
    EXPECT_FALSE(dateFromRFC1123(""));
    EXPECT_FALSE(dateFromRFC1123("yesterday"));
    EXPECT_FALSE(dateFromRFC1123("Sun, 06 Nov 1994 08:49:37 PST"));
    EXPECT_FALSE(dateFromRFC1123("Sun, 06 Nov 1994 08:49:37"));
    EXPECT_FALSE(dateFromRFC1123("Son, 06 Nov 1994 08:49:37 GMT"));
    EXPECT_FALSE(dateFromRFC1123("Sun, 06 Nov 1994 25:49:37 GMT"));
}

TEST_F(HTTPDate, writesWholeSecondsInEnglish)
{
    EXPECT_EQ(rfc1123String(*NSDate::dateWithTimeIntervalSince1970(0.9)), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(rfc1123String(*NSDate::dateWithTimeIntervalSince1970(951782400)), "Tue, 29 Feb 2000 00:00:00 GMT");
    EXPECT_EQ(rfc1123String(*NSDate::dateWithTimeIntervalSince1970(1.0e300)), nullptr);
    // Whatever is written is read back to the same second.
    auto back = dateFromRFC1123(rfc1123String(*NSDate::dateWithTimeIntervalSince1970(1700000000.5)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->timeIntervalSince1970(), 1700000000);
}
