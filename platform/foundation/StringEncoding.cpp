#include "platform/foundation/StringEncoding.h"

#include <unicode/ucnv.h>

#include <memory>

namespace {

struct EncodingName {
    NSStringEncoding encoding;
    const char* converter;
    const char* iana;
};

constexpr EncodingName kEncodings[] = {
    { NSUTF8StringEncoding, "UTF-8", "utf-8" },
    { NSASCIIStringEncoding, "US-ASCII", "us-ascii" },
    { NSISOLatin1StringEncoding, "ISO-8859-1", "iso-8859-1" },
    { NSISOLatin2StringEncoding, "ISO-8859-2", "iso-8859-2" },
    { NSUnicodeStringEncoding, "UTF-16", "utf-16" },
    { NSUTF16BigEndianStringEncoding, "UTF-16BE", "utf-16be" },
    { NSUTF16LittleEndianStringEncoding, "UTF-16LE", "utf-16le" },
    { NSUTF32StringEncoding, "UTF-32", "utf-32" },
    { NSUTF32BigEndianStringEncoding, "UTF-32BE", "utf-32be" },
    { NSUTF32LittleEndianStringEncoding, "UTF-32LE", "utf-32le" },
    { NSWindowsCP1250StringEncoding, "windows-1250", "windows-1250" },
    { NSWindowsCP1251StringEncoding, "windows-1251", "windows-1251" },
    { NSWindowsCP1252StringEncoding, "windows-1252", "windows-1252" },
    { NSWindowsCP1253StringEncoding, "windows-1253", "windows-1253" },
    { NSWindowsCP1254StringEncoding, "windows-1254", "windows-1254" },
    { NSJapaneseEUCStringEncoding, "EUC-JP", "euc-jp" },
    { NSShiftJISStringEncoding, "Shift_JIS", "shift_jis" },
    { NSISO2022JPStringEncoding, "ISO-2022-JP", "iso-2022-jp" },
    { NSGB18030StringEncoding, "GB18030", "gb18030" },
    { NSGBKStringEncoding, "GBK", "gbk" },
    { NSGB2312StringEncoding, "GB2312", "gb2312" },
    { NSBig5StringEncoding, "Big5", "big5" },
};

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

const EncodingName* entryForEncoding(NSStringEncoding encoding)
{
    for (const auto& entry : kEncodings) {
        if (entry.encoding == encoding)
            return &entry;
    }
    return nullptr;
}

// Null for an encoding the layer does not know or ICU cannot open.
Converter openConverter(NSStringEncoding encoding)
{
    const char* name = ns::converterNameForEncoding(encoding);
    if (!name)
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &status));
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

} // namespace

const char* ns::converterNameForEncoding(NSStringEncoding encoding)
{
    const EncodingName* entry = entryForEncoding(encoding);
    return entry ? entry->converter : nullptr;
}

NSStringEncoding ns::encodingForIANACharsetName(const NSString& name)
{
    auto wanted = name.lowercaseString().UTF8String();
    for (const auto& entry : kEncodings) {
        if (wanted == entry.iana)
            return entry.encoding;
    }
    if (wanted == "utf8")
        return NSUTF8StringEncoding;
    if (wanted == "latin1")
        return NSISOLatin1StringEncoding;
    // Any other name ICU knows: answer the table's encoding of the same converter.
    UErrorCode status = U_ZERO_ERROR;
    const char* canonical = ucnv_getCanonicalName(wanted.c_str(), "IANA", &status);
    if (U_FAILURE(status) || !canonical)
        return 0;
    for (const auto& entry : kEncodings) {
        UErrorCode inner = U_ZERO_ERROR;
        const char* other = ucnv_getCanonicalName(entry.converter, "IANA", &inner);
        if (U_SUCCESS(inner) && other && std::string_view(other) == canonical)
            return entry.encoding;
    }
    return 0;
}

NSString ns::IANACharsetNameForEncoding(NSStringEncoding encoding)
{
    const EncodingName* entry = entryForEncoding(encoding);
    return entry ? NSString(entry->iana) : NSString();
}

bool ns::decodeText(std::string_view bytes, NSStringEncoding encoding, std::u16string& out)
{
    if (encoding == NSUTF8StringEncoding) {
        // A byte-order mark is not part of the text.
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        return utf16FromUTF8Strict(bytes, out);
    }
    if (encoding == NSASCIIStringEncoding) {
        out.clear();
        out.reserve(bytes.size());
        for (unsigned char byte : bytes) {
            if (byte > 127)
                return false;
            out.push_back(byte);
        }
        return true;
    }
    if (encoding == NSISOLatin1StringEncoding) {
        out.assign(bytes.begin(), bytes.end());
        for (auto& unit : out)
            unit = char16_t(static_cast<unsigned char>(unit));
        return true;
    }
    Converter converter = openConverter(encoding);
    if (!converter)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    out.assign(bytes.size() * 2 + 2, u'\0');
    status = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
        bytes.data(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return false;
    out.resize(size_t(length));
    return true;
}

bool ns::encodeText(std::u16string_view text, NSStringEncoding encoding, bool allowLossy, std::string& out)
{
    if (encoding == NSUTF8StringEncoding) {
        out = utf8FromUTF16(text);
        return true;
    }
    if (encoding == NSASCIIStringEncoding || encoding == NSISOLatin1StringEncoding) {
        const char16_t limit = encoding == NSASCIIStringEncoding ? 127 : 255;
        out.clear();
        out.reserve(text.size());
        for (char16_t unit : text) {
            if (unit > limit) {
                if (!allowLossy)
                    return false;
                out.push_back('?');
                continue;
            }
            out.push_back(char(unit));
        }
        return true;
    }
    Converter converter = openConverter(encoding);
    if (!converter)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    if (!allowLossy)
        ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    status = U_ZERO_ERROR;
    int32_t needed = ucnv_fromUChars(converter.get(), nullptr, 0, reinterpret_cast<const UChar*>(text.data()), int32_t(text.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return false;
    out.assign(size_t(needed), '\0');
    status = U_ZERO_ERROR;
    ucnv_fromUChars(converter.get(), out.data(), needed, reinterpret_cast<const UChar*>(text.data()), int32_t(text.size()), &status);
    return U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING;
}
