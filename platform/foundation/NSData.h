#pragma once
// Byte buffers. Bytes are bytes: embedded NULs are kept, and nothing here assumes text.

#include "platform/foundation/NSString.h"

#include <cstddef>
#include <span>
#include <vector>

class NSError;

using NSDataReadingOptions = NSUInteger;
using NSDataWritingOptions = NSUInteger;
enum : NSUInteger {
    NSDataReadingMappedIfSafe = 1,
    NSDataReadingUncached = 2,
    NSDataWritingAtomic = 1,
    // Here: the file is made readable and writable by its owner alone, whatever the umask.
    NSDataWritingFileProtectionComplete = 0x20000000,
};

using NSDataBase64EncodingOptions = NSUInteger;
using NSDataBase64DecodingOptions = NSUInteger;
enum : NSUInteger {
    NSDataBase64Encoding64CharacterLineLength = 1,
    NSDataBase64Encoding76CharacterLineLength = 2,
    NSDataBase64EncodingEndLineWithCarriageReturn = 16,
    NSDataBase64EncodingEndLineWithLineFeed = 32,
    NSDataBase64DecodingIgnoreUnknownCharacters = 1,
};

class NSData : public NSObject {
    NS_OBJECT(NSData, NSObject)
public:
    static std::shared_ptr<NSData> data() { return create(); }
    static std::shared_ptr<NSData> dataWithBytes(const void* bytes, NSUInteger length);
    static std::shared_ptr<NSData> dataWithBytes(std::vector<std::uint8_t> bytes) { return create(std::move(bytes)); }
    static std::shared_ptr<NSData> dataWithData(const std::shared_ptr<NSData>& other);
    // Nil when the file cannot be read; the error says why.
    static std::shared_ptr<NSData> dataWithContentsOfFile(const NSString& path, NSDataReadingOptions options = 0,
        NSErrorPointer error = nullptr);
    // Nil when the text is not Base64 (unknown characters are skipped only when asked).
    static std::shared_ptr<NSData> initWithBase64EncodedString(const NSString& text, NSDataBase64DecodingOptions options = 0);

    NSUInteger length() const { return m_bytes.size(); }
    const std::uint8_t* bytes() const { return m_bytes.data(); }
    std::span<const std::uint8_t> span() const { return m_bytes; }
    const std::vector<std::uint8_t>& vector() const { return m_bytes; }
    std::string_view stringView() const { return { reinterpret_cast<const char*>(m_bytes.data()), m_bytes.size() }; }
    void getBytes(void* buffer, NSRange range) const;
    std::shared_ptr<NSData> subdataWithRange(NSRange range) const;
    NSRange rangeOfData(const std::shared_ptr<NSData>& search, NSRange range) const;
    bool isEqualToData(const std::shared_ptr<NSData>& other) const;

    NSString base64EncodedStringWithOptions(NSDataBase64EncodingOptions options = 0) const;
    // Writes the bytes; atomically means through a temporary file renamed over the target, so a
    // reader never sees half a file and a failed write leaves the old one.
    // A new file follows the process's umask; an atomic write leaves no other name behind.
    bool writeToFile(const NSString& path, bool atomically, NSErrorPointer error = nullptr) const
    {
        return writeToFile(path, atomically ? NSDataWritingOptions(NSDataWritingAtomic) : NSDataWritingOptions(0), error);
    }
    bool writeToFile(const NSString& path, NSDataWritingOptions options, NSErrorPointer error) const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;
    id mutableCopy() const override;

protected:
    void init(std::vector<std::uint8_t> bytes) { m_bytes = std::move(bytes); }

    std::vector<std::uint8_t> m_bytes;
};

class NSMutableData final : public NSData {
    NS_OBJECT(NSMutableData, NSData)
public:
    static std::shared_ptr<NSMutableData> data() { return create(); }
    static std::shared_ptr<NSMutableData> dataWithCapacity(NSUInteger capacity);
    static std::shared_ptr<NSMutableData> dataWithLength(NSUInteger length);
    static std::shared_ptr<NSMutableData> dataWithData(const std::shared_ptr<NSData>& other);

    std::uint8_t* mutableBytes() { return m_bytes.data(); }
    void appendBytes(const void* bytes, NSUInteger length);
    void appendData(const std::shared_ptr<NSData>& other);
    void setLength(NSUInteger length) { m_bytes.resize(length); }
    void increaseLengthBy(NSUInteger extra) { m_bytes.resize(m_bytes.size() + extra); }
    void replaceBytesInRange(NSRange range, const void* bytes, NSUInteger length);
    void resetBytesInRange(NSRange range);
    void setData(const std::shared_ptr<NSData>& other);
    // The bytes as an immutable object, moved rather than copied; the receiver is left empty.
    std::shared_ptr<NSData> takeData();

    id copy() const override;
};
