#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/StringEncoding.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>

namespace {

std::shared_ptr<NSData> bytes(std::string_view text)
{
    return NSData::dataWithBytes(text.data(), text.size());
}

NSString sandboxPath(const char* name)
{
    return NSString(std::getenv("CORVANE_HOME")).stringByAppendingPathComponent(name);
}

NSInteger underlyingPOSIXCode(const std::shared_ptr<NSError>& error)
{
    auto underlying = ns::cast<NSError>(error->userInfo()->objectForKey(NSUnderlyingErrorKey));
    return underlying ? underlying->code() : -1;
}

size_t entriesIn(const NSString& folder)
{
    size_t n = 0;
    if (DIR* dir = ::opendir(folder.UTF8String().c_str())) {
        while (const dirent* entry = ::readdir(dir))
            n += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return n;
}

} // namespace

TEST(StringEncoding, decodesChineseAndJapaneseBytesAndRoundTrips)
{
    const NSString text("中文驾校");
    for (NSStringEncoding encoding : { NSGBKStringEncoding, NSGB18030StringEncoding, NSUTF16LittleEndianStringEncoding,
             NSUTF16BigEndianStringEncoding, NSUnicodeStringEncoding, NSUTF32StringEncoding, NSUTF32LittleEndianStringEncoding }) {
        auto data = text.dataUsingEncoding(encoding);
        ASSERT_NE(data, nullptr) << encoding;
        EXPECT_EQ(NSString::initWithData(data, encoding), text) << encoding;
    }
    EXPECT_EQ(text.dataUsingEncoding(NSGBKStringEncoding)->description(), "<d6d0cec4 bcddd0a3>");
    // Big5 has the traditional characters only.
    EXPECT_EQ(text.dataUsingEncoding(NSBig5StringEncoding), nullptr);
    const NSString traditional("中文駕校");
    EXPECT_EQ(NSString::initWithData(traditional.dataUsingEncoding(NSBig5StringEncoding), NSBig5StringEncoding), traditional);
    EXPECT_EQ(NSString::initWithData(bytes("\x93\xfa\x96\x7b"), NSShiftJISStringEncoding), "日本");
    // Characters outside the basic plane take surrogate pairs in UTF-16 and four bytes in GB18030.
    const NSString emoji("a😀");
    EXPECT_EQ(emoji.length(), 3u);
    EXPECT_EQ(emoji.dataUsingEncoding(NSGB18030StringEncoding)->length(), 5u);
    EXPECT_EQ(NSString::initWithData(emoji.dataUsingEncoding(NSUTF32BigEndianStringEncoding), NSUTF32BigEndianStringEncoding), emoji);
    EXPECT_EQ(NSString::initWithData(NSData::data(), NSGBKStringEncoding), "");
}

TEST(StringEncoding, refusesTruncatedAndMalformedBytes)
{
    // UTF-8: a lone lead byte, a bad continuation, an overlong slash and an encoded surrogate.
    for (std::string_view bad : { "abc\xE4\xB8", "\xC3\x28", "\xC0\xAF", "\xED\xA0\x80", "\xFF" })
        EXPECT_TRUE(NSString::initWithData(bytes(bad), NSUTF8StringEncoding).isNil()) << bad;
    EXPECT_EQ(NSString::initWithData(bytes("\xEF\xBB\xBFok"), NSUTF8StringEncoding), "ok");
    EXPECT_TRUE(NSString::initWithData(bytes("ok\x80"), NSASCIIStringEncoding).isNil());
    // Half a GBK character, half a UTF-16 unit, and a lone low surrogate.
    EXPECT_TRUE(NSString::initWithData(bytes("\xD6\xD0\xCE"), NSGBKStringEncoding).isNil());
    EXPECT_TRUE(NSString::initWithData(bytes("a\0b"), NSUTF16LittleEndianStringEncoding).isNil());
    EXPECT_TRUE(NSString::initWithData(bytes(std::string_view("\x00\xDC", 2)), NSUTF16LittleEndianStringEncoding).isNil());
    EXPECT_TRUE(NSString::initWithData(nullptr, NSUTF8StringEncoding).isNil());
    // Latin-1 has a character for every byte.
    EXPECT_EQ(NSString::initWithData(bytes("caf\xE9"), NSISOLatin1StringEncoding), "café");
}

TEST(StringEncoding, refusesCharactersTheEncodingLacksUnlessLossy)
{
    const NSString text("café 中");
    EXPECT_EQ(text.dataUsingEncoding(NSASCIIStringEncoding), nullptr);
    EXPECT_FALSE(text.canBeConvertedToEncoding(NSISOLatin1StringEncoding));
    EXPECT_FALSE(text.canBeConvertedToEncoding(NSISOLatin2StringEncoding));
    EXPECT_FALSE(text.canBeConvertedToEncoding(NSShiftJISStringEncoding));
    EXPECT_TRUE(text.canBeConvertedToEncoding(NSGB18030StringEncoding));
    EXPECT_EQ(text.dataUsingEncoding(NSASCIIStringEncoding, true)->stringView(), "caf? ?");
    EXPECT_EQ(text.dataUsingEncoding(NSISOLatin1StringEncoding, true)->stringView(), "caf\xE9 ?");
    auto lossy = text.dataUsingEncoding(NSWindowsCP1251StringEncoding, true);
    ASSERT_NE(lossy, nullptr);
    EXPECT_EQ(lossy->length(), 6u);
    EXPECT_EQ(NSString("").dataUsingEncoding(NSGBKStringEncoding)->length(), 0u);
    EXPECT_EQ(NSString().dataUsingEncoding(NSUTF8StringEncoding), nullptr);
}

TEST(StringEncoding, answersNothingForEncodingsItDoesNotKnow)
{
    EXPECT_EQ(NSString("abc").dataUsingEncoding(NSNEXTSTEPStringEncoding), nullptr);
    EXPECT_TRUE(NSString::initWithData(bytes("abc"), NSNonLossyASCIIStringEncoding).isNil());
    EXPECT_EQ(ns::converterNameForEncoding(NSNEXTSTEPStringEncoding), nullptr);
    EXPECT_TRUE(ns::IANACharsetNameForEncoding(NSNEXTSTEPStringEncoding).isNil());
    EXPECT_EQ(ns::IANACharsetNameForEncoding(NSGBKStringEncoding), "gbk");
}

TEST(StringEncoding, readsCharsetNamesWhateverTheirSpelling)
{
    EXPECT_EQ(ns::encodingForIANACharsetName("UTF-8"), NSUTF8StringEncoding);
    EXPECT_EQ(ns::encodingForIANACharsetName("utf8"), NSUTF8StringEncoding);
    EXPECT_EQ(ns::encodingForIANACharsetName("Latin1"), NSISOLatin1StringEncoding);
    EXPECT_EQ(ns::encodingForIANACharsetName("GB2312"), NSGB2312StringEncoding);
    // Aliases resolve to the encoding of the same converter.
    EXPECT_EQ(ns::encodingForIANACharsetName("ISO_8859-1:1987"), NSISOLatin1StringEncoding);
    EXPECT_EQ(ns::encodingForIANACharsetName("csShiftJIS"), NSShiftJISStringEncoding);
    EXPECT_EQ(ns::encodingForIANACharsetName("no-such-charset"), 0u);
    EXPECT_EQ(ns::encodingForIANACharsetName(""), 0u);
}

TEST(NSData, raisesForRangesPastTheEndEvenWhenTheyWrapAround)
{
    auto data = bytes("abcdef");
    char buffer[8] = {};
    EXPECT_THROW(data->getBytes(buffer, NSMakeRange(4, 3)), NSException);
    EXPECT_THROW(data->subdataWithRange(NSMakeRange(7, 0)), NSException);
    EXPECT_THROW(data->subdataWithRange(NSMakeRange(NSUIntegerMax, 2)), NSException);
    EXPECT_THROW(data->rangeOfData(bytes("a"), NSMakeRange(2, NSUIntegerMax)), NSException);
    data->getBytes(buffer, NSMakeRange(6, 0));
    data->getBytes(buffer, NSMakeRange(2, 4));
    EXPECT_EQ(std::string_view(buffer, 4), "cdef");
    EXPECT_EQ(data->subdataWithRange(NSMakeRange(6, 0))->length(), 0u);

    auto mutableData = NSMutableData::dataWithData(data);
    EXPECT_THROW(mutableData->replaceBytesInRange(NSMakeRange(7, 0), "x", 1), NSException);
    EXPECT_THROW(mutableData->resetBytesInRange(NSMakeRange(5, 2)), NSException);
    EXPECT_EQ(mutableData->stringView(), "abcdef");
}

TEST(NSData, searchesOnlyInsideTheGivenRange)
{
    auto data = bytes(std::string_view("ab\0cab\0c", 8));
    auto needle = bytes(std::string_view("b\0c", 3));
    EXPECT_EQ(data->rangeOfData(needle, NSMakeRange(0, 8)), NSMakeRange(1, 3));
    EXPECT_EQ(data->rangeOfData(needle, NSMakeRange(2, 6)), NSMakeRange(5, 3));
    // A match straddling the end of the range does not count.
    EXPECT_EQ(data->rangeOfData(needle, NSMakeRange(4, 3)).location, NSNotFound);
    EXPECT_EQ(data->rangeOfData(needle, NSMakeRange(0, 2)).location, NSNotFound);
    EXPECT_EQ(data->rangeOfData(NSData::data(), NSMakeRange(0, 8)).location, NSNotFound);
    EXPECT_EQ(data->rangeOfData(nullptr, NSMakeRange(0, 8)).location, NSNotFound);
}

TEST(NSData, replacesClampsAndResetsBytes)
{
    auto data = NSMutableData::dataWithData(bytes("hello world"));
    data->replaceBytesInRange(NSMakeRange(0, 5), "bye", 3);
    EXPECT_EQ(data->stringView(), "bye world");
    // A length past the end replaces up to the end; the end itself is an insertion point.
    data->replaceBytesInRange(NSMakeRange(4, 100), "there", 5);
    EXPECT_EQ(data->stringView(), "bye there");
    data->replaceBytesInRange(NSMakeRange(data->length(), 0), "!", 1);
    data->replaceBytesInRange(NSMakeRange(3, 1), nullptr, 0);
    EXPECT_EQ(data->stringView(), "byethere!");
    data->resetBytesInRange(NSMakeRange(0, 3));
    EXPECT_EQ(data->stringView(), std::string_view("\0\0\0there!", 9));
    data->appendData(nullptr);
    data->appendBytes(nullptr, 0);
    EXPECT_EQ(data->length(), 9u);

    auto taken = data->takeData();
    EXPECT_EQ(taken->length(), 9u);
    EXPECT_EQ(data->length(), 0u);
    data->setData(taken);
    data->mutableBytes()[0] = 'x';
    EXPECT_EQ(taken->bytes()[0], 0);
    data->setData(nullptr);
    EXPECT_EQ(data->length(), 0u);
}

TEST(NSData, copiesShareOnlyWhatCannotChange)
{
    auto frozen = bytes("abc");
    EXPECT_EQ(frozen->copy(), frozen);
    auto thawed = std::static_pointer_cast<NSMutableData>(frozen->mutableCopy());
    thawed->appendBytes("d", 1);
    EXPECT_EQ(frozen->length(), 3u);
    auto snapshot = ns::cast<NSData>(thawed->copy());
    thawed->setLength(1);
    EXPECT_EQ(snapshot->stringView(), "abcd");
    EXPECT_FALSE(ns::cast<NSMutableData>(id(snapshot)));
    EXPECT_TRUE(snapshot->isEqual(bytes("abcd")));
    EXPECT_FALSE(snapshot->isEqual(NSString("abcd")));
    EXPECT_EQ(snapshot->hash(), bytes("abcd")->hash());
    EXPECT_EQ(NSData::dataWithData(nullptr)->length(), 0u);
    EXPECT_EQ(NSMutableData::dataWithLength(3)->stringView(), std::string_view("\0\0\0", 3));
    EXPECT_EQ(bytes("\x01\x02\x03\x04\xff")->description(), "<01020304 ff>");
}

TEST(NSData, wrapsBase64LinesAndDecodesThemBack)
{
    std::vector<std::uint8_t> raw(100);
    for (size_t i = 0; i < raw.size(); ++i)
        raw[i] = std::uint8_t(i * 7);
    auto data = NSData::dataWithBytes(raw);
    NSString wrapped = data->base64EncodedStringWithOptions(NSDataBase64Encoding64CharacterLineLength);
    EXPECT_EQ(wrapped.length(), 136u + 2 * 2);
    EXPECT_EQ(wrapped.substringWithRange(NSMakeRange(64, 2)), "\r\n");
    NSString lines = data->base64EncodedStringWithOptions(NSDataBase64Encoding76CharacterLineLength | NSDataBase64EncodingEndLineWithLineFeed);
    EXPECT_EQ(lines.substringWithRange(NSMakeRange(76, 1)), "\n");
    EXPECT_TRUE(NSData::initWithBase64EncodedString(wrapped)->isEqualToData(data));
    EXPECT_TRUE(NSData::initWithBase64EncodedString(lines)->isEqualToData(data));
    EXPECT_EQ(data->base64EncodedStringWithOptions(NSDataBase64EncodingEndLineWithCarriageReturn).length(), 136u);

    EXPECT_EQ(bytes("a")->base64EncodedStringWithOptions(), "YQ==");
    EXPECT_EQ(bytes("ab")->base64EncodedStringWithOptions(), "YWI=");
    EXPECT_EQ(NSData::data()->base64EncodedStringWithOptions(), "");
    EXPECT_EQ(NSData::initWithBase64EncodedString("YQ==")->stringView(), "a");
    EXPECT_EQ(NSData::initWithBase64EncodedString("")->length(), 0u);
}

TEST(NSData, refusesMalformedBase64)
{
    for (const char* bad : { "YQ=", "Y===", "YQ==YQ==", "YQ=a", "Y", "YW I=", "====" })
        EXPECT_EQ(NSData::initWithBase64EncodedString(bad), nullptr) << bad;
    EXPECT_EQ(NSData::initWithBase64EncodedString(NSString()), nullptr);
    EXPECT_EQ(NSData::initWithBase64EncodedString("Y*W I=", NSDataBase64DecodingIgnoreUnknownCharacters)->stringView(), "ab");
}

TEST(NSData, reportsWhyAFileCannotBeReadOrWritten)
{
    std::shared_ptr<NSError> error;
    NSString folder(std::getenv("CORVANE_HOME"));
    EXPECT_EQ(NSData::dataWithContentsOfFile(folder, 0, &error), nullptr);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSFileReadUnknownError);
    EXPECT_EQ(underlyingPOSIXCode(error), EISDIR);

    auto data = bytes("payload");
    error = nullptr;
    EXPECT_FALSE(data->writeToFile("", false, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSFileWriteInvalidFileNameError);
    for (bool atomically : { false, true }) {
        error = nullptr;
        NSString missing = sandboxPath("no-such-folder/file.bin");
        EXPECT_FALSE(data->writeToFile(missing, atomically, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), NSFileWriteUnknownError);
        EXPECT_EQ(underlyingPOSIXCode(error), ENOENT);
        EXPECT_EQ(ns::stringValue(error->userInfo()->objectForKey(NSFilePathErrorKey)), missing);
    }
    // Writing over a folder fails and leaves neither the temporary file nor a changed folder behind.
    NSString target = sandboxPath("target");
    ASSERT_TRUE(NSFileManager::defaultManager()->createDirectoryAtPath(target, true, nullptr, nullptr));
    const size_t before = entriesIn(folder);
    EXPECT_FALSE(data->writeToFile(target, true, &error));
    EXPECT_FALSE(data->writeToFile(target, false, &error));
    EXPECT_EQ(entriesIn(folder), before);

    // The text reader tells a missing file from one in the wrong encoding.
    NSString file = sandboxPath("latin.txt");
    ASSERT_TRUE(bytes("caf\xE9")->writeToFile(file, false, &error));
    error = nullptr;
    EXPECT_TRUE(NSString::stringWithContentsOfFile(file, NSUTF8StringEncoding, &error).isNil());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSFileReadInapplicableStringEncodingError);
    EXPECT_EQ(NSString::stringWithContentsOfFile(file, NSISOLatin1StringEncoding, &error), "café");
    EXPECT_TRUE(NSString::stringWithContentsOfFile(file + ".gone", NSUTF8StringEncoding, &error).isNil());
    EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);
}

TEST(NSData, replacesAFileWholeAndReadsAnEmptyOne)
{
    NSString file = sandboxPath("blob.bin");
    ASSERT_TRUE(bytes("a longer first version")->writeToFile(file, false, nullptr));
    ASSERT_TRUE(bytes("short")->writeToFile(file, false, nullptr));
    EXPECT_EQ(NSData::dataWithContentsOfFile(file)->stringView(), "short");
    ASSERT_TRUE(bytes("tiny")->writeToFile(file, NSDataWritingAtomic, nullptr));
    EXPECT_EQ(NSData::dataWithContentsOfFile(file)->stringView(), "tiny");
    ASSERT_TRUE(NSData::data()->writeToFile(file, true, nullptr));
    auto empty = NSData::dataWithContentsOfFile(file);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->length(), 0u);
}
