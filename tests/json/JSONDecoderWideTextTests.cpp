// Long texts read many bytes at a time: runs of Chinese text broken at every offset by other
// widths, escapes and bad bytes must read exactly as the UTF-8 says, or fail where it is bad.
#include "JSONTestSupport.h"

#include "platform/foundation/StringEncoding.h"

namespace {

const char* const kWidths[] = { "a", "é", "中", "😀", "\\n", "\\u79d1" };
const char16_t* const kWidthUnits[] = { u"a", u"é", u"中", u"😀", u"\n", u"科" };

// `count` Chinese characters, each a different one, so a misplaced unit shows.
void appendRun(std::string& utf8, std::u16string& units, int count, int seed)
{
    for (int i = 0; i < count; ++i) {
        const char16_t unit = char16_t(0x4E00 + (seed * 31 + i * 7) % 0x5000);
        units.push_back(unit);
        utf8 += ns::utf8FromUTF16(std::u16string(1, unit));
    }
}

} // namespace

TEST(JSONDecoderWideText, runsBrokenAtEveryOffsetKeepEveryUnit)
{
    for (int before = 0; before < 20; ++before) {
        for (std::size_t width = 0; width < std::size(kWidths); ++width) {
            for (const int after : { 0, 1, 2, 3, 4, 5, 6, 7, 9, 16 }) {
                std::string utf8;
                std::u16string units;
                appendRun(utf8, units, before, before);
                utf8 += kWidths[width];
                units += kWidthUnits[width];
                appendRun(utf8, units, after, after + 3);
                // Alone, and followed by more of the reply (the reader may look past the value).
                for (const std::string& tail : { std::string(), std::string(",\"x\"") }) {
                    auto list = ns::cast<NSArray>(decode("[\"" + utf8 + "\"" + tail + "]").object);
                    ASSERT_TRUE(list) << before << " " << width << " " << after;
                    EXPECT_EQ(NSString::fromId(list->objectAtIndex(0)).view(), std::u16string_view(units))
                        << before << " " << width << " " << after;
                }
            }
        }
    }
}

TEST(JSONDecoderWideText, aBadSequenceInsideARunFailsWhereverItIs)
{
    // Overlong, surrogate, truncated, a lone continuation, and a lead the run does not take.
    const std::string bad[] = { "\xE0\x80\x80", "\xED\xA0\x80", "\xE4\xB8", "\x80", "\xF8\x88\x80\x80\x80" };
    for (int before = 0; before < 18; ++before) {
        for (const auto& sequence : bad) {
            std::string utf8;
            std::u16string units;
            appendRun(utf8, units, before, 1);
            utf8 += sequence;
            appendRun(utf8, units, 12, 2);
            const std::string text = "[\"" + utf8 + "\"]";
            const auto strict = decode(text);
            EXPECT_FALSE(strict.object) << before;
            EXPECT_EQ(strict.message(), "Illegal UTF8 sequence found in \"\" string.") << before;
            auto replaced = ns::cast<NSArray>(decode(text, JCParseReplaceBadUnicode).object);
            ASSERT_TRUE(replaced) << before;
            const std::u16string read(NSString::fromId(replaced->objectAtIndex(0)).view());
            EXPECT_EQ(read.substr(0, std::size_t(before)), units.substr(0, std::size_t(before))) << before;
            EXPECT_EQ(read.substr(read.size() - 12), units.substr(units.size() - 12)) << before;
            EXPECT_NE(read.find(u'\uFFFD'), std::u16string::npos) << before;
        }
    }
}

TEST(JSONDecoderWideText, controlCharactersAndQuotesAreFoundAtEveryOffset)
{
    for (int at = 0; at < 40; ++at) {
        std::string plain(40, 'x');
        plain[std::size_t(at)] = '\t';
        EXPECT_FALSE(decode("[\"" + plain + "\"]").object) << at;
        std::string quoted(40, 'y');
        quoted[std::size_t(at)] = '"';
        // The quote ends the text early: what follows it is not JSON (unless the bracket).
        auto list = ns::cast<NSArray>(decode("[\"" + quoted + "]").object);
        EXPECT_EQ(bool(list), at == 39) << at;
        quoted.insert(std::size_t(at), "\\");
        list = ns::cast<NSArray>(decode("[\"" + quoted + "\"]").object);
        ASSERT_TRUE(list) << at;
        EXPECT_EQ(utf8Of(list->objectAtIndex(0)), std::string(std::size_t(at), 'y') + "\"" + std::string(std::size_t(39 - at), 'y'));
    }
}
