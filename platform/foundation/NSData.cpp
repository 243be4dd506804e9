#include "platform/foundation/NSData.h"

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSException.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void raiseRange(const char* operation, NSRange range, NSUInteger length)
{
    NSException::raise(NSRangeException, "-[NSData %s]: range {%lu, %lu} exceeds data length %lu", operation,
        range.location, range.length, length);
}

bool rangeFits(NSRange range, NSUInteger length)
{
    return range.location <= length && range.length <= length - range.location;
}

std::shared_ptr<NSError> fileError(NSInteger code, const NSString& path, int posixError)
{
    auto underlying = NSError::errorWithDomain(NSPOSIXErrorDomain, posixError, NSString(std::strerror(posixError)));
    return NSError::errorWithDomain(NSCocoaErrorDomain, code,
        ns::dictionary({ { NSFilePathErrorKey, path }, { NSUnderlyingErrorKey, underlying } }));
}

int8_t base64Value(char16_t c)
{
    if (c >= 'A' && c <= 'Z') return int8_t(c - 'A');
    if (c >= 'a' && c <= 'z') return int8_t(c - 'a' + 26);
    if (c >= '0' && c <= '9') return int8_t(c - '0' + 52);
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool writeAll(int fd, const std::uint8_t* bytes, size_t length)
{
    while (length) {
        ssize_t written = ::write(fd, bytes, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += written;
        length -= size_t(written);
    }
    return true;
}

} // namespace

std::shared_ptr<NSData> NSData::dataWithBytes(const void* bytes, NSUInteger length)
{
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    return create(length ? std::vector<std::uint8_t>(begin, begin + length) : std::vector<std::uint8_t> {});
}

std::shared_ptr<NSData> NSData::dataWithData(const std::shared_ptr<NSData>& other)
{
    return create(other ? other->m_bytes : std::vector<std::uint8_t> {});
}

std::shared_ptr<NSData> NSData::dataWithContentsOfFile(const NSString& path, NSDataReadingOptions, NSErrorPointer error)
{
    const std::string file = path.UTF8String();
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        NSSetError(error, fileError(code == ENOENT ? NSFileReadNoSuchFileError
                                  : (code == EACCES ? NSFileReadNoPermissionError : NSFileReadUnknownError), path, code));
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        NSSetError(error, fileError(NSFileReadUnknownError, path, EISDIR));
        return nullptr;
    }
    std::vector<std::uint8_t> bytes;
    if (info.st_size > 0)
        bytes.reserve(size_t(info.st_size));
    std::uint8_t buffer[65536];
    while (true) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            NSSetError(error, fileError(NSFileReadUnknownError, path, code));
            return nullptr;
        }
        if (got == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    ::close(fd);
    return create(std::move(bytes));
}

std::shared_ptr<NSData> NSData::initWithBase64EncodedString(const NSString& text, NSDataBase64DecodingOptions options)
{
    if (text.isNil())
        return nullptr;
    const bool ignoreUnknown = options & NSDataBase64DecodingIgnoreUnknownCharacters;
    std::vector<std::uint8_t> bytes;
    std::uint32_t accumulator = 0;
    int bits = 0;
    int padding = 0;
    NSUInteger significant = 0;
    for (char16_t c : text.view()) {
        if (c == '=') {
            ++padding;
            ++significant;
            continue;
        }
        int8_t value = base64Value(c);
        if (value < 0) {
            if (ignoreUnknown || c == '\r' || c == '\n')
                continue;
            return nullptr;
        }
        if (padding)
            return nullptr;
        ++significant;
        accumulator = (accumulator << 6) | std::uint32_t(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(std::uint8_t(accumulator >> bits));
        }
    }
    if (significant % 4 != 0 || padding > 2)
        return nullptr;
    return create(std::move(bytes));
}

void NSData::getBytes(void* buffer, NSRange range) const
{
    if (!rangeFits(range, length()))
        raiseRange("getBytes:range:", range, length());
    if (range.length)
        std::memcpy(buffer, m_bytes.data() + range.location, range.length);
}

std::shared_ptr<NSData> NSData::subdataWithRange(NSRange range) const
{
    if (!rangeFits(range, length()))
        raiseRange("subdataWithRange:", range, length());
    return dataWithBytes(m_bytes.data() + range.location, range.length);
}

NSRange NSData::rangeOfData(const std::shared_ptr<NSData>& search, NSRange range) const
{
    if (!rangeFits(range, length()))
        raiseRange("rangeOfData:options:range:", range, length());
    if (!search || search->length() == 0 || search->length() > range.length)
        return NSMakeRange(NSNotFound, 0);
    auto begin = m_bytes.begin() + std::ptrdiff_t(range.location);
    auto end = begin + std::ptrdiff_t(range.length);
    auto found = std::search(begin, end, search->m_bytes.begin(), search->m_bytes.end());
    if (found == end)
        return NSMakeRange(NSNotFound, 0);
    return NSMakeRange(NSUInteger(found - m_bytes.begin()), search->length());
}

bool NSData::isEqualToData(const std::shared_ptr<NSData>& other) const
{
    return other && other->m_bytes == m_bytes;
}

NSString NSData::base64EncodedStringWithOptions(NSDataBase64EncodingOptions options) const
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const size_t lineLength = (options & NSDataBase64Encoding64CharacterLineLength) ? 64
        : ((options & NSDataBase64Encoding76CharacterLineLength) ? 76 : 0);
    std::string lineEnd;
    if (options & NSDataBase64EncodingEndLineWithCarriageReturn)
        lineEnd += '\r';
    if (options & NSDataBase64EncodingEndLineWithLineFeed)
        lineEnd += '\n';
    if (lineLength && lineEnd.empty())
        lineEnd = "\r\n";
    std::string out;
    out.reserve((m_bytes.size() + 2) / 3 * 4);
    size_t column = 0;
    auto put = [&](char c) {
        if (lineLength && column == lineLength) {
            out += lineEnd;
            column = 0;
        }
        out.push_back(c);
        ++column;
    };
    size_t i = 0;
    for (; i + 2 < m_bytes.size(); i += 3) {
        std::uint32_t triple = (std::uint32_t(m_bytes[i]) << 16) | (std::uint32_t(m_bytes[i + 1]) << 8) | m_bytes[i + 2];
        put(alphabet[(triple >> 18) & 63]);
        put(alphabet[(triple >> 12) & 63]);
        put(alphabet[(triple >> 6) & 63]);
        put(alphabet[triple & 63]);
    }
    if (i < m_bytes.size()) {
        std::uint32_t triple = std::uint32_t(m_bytes[i]) << 16;
        if (i + 1 < m_bytes.size())
            triple |= std::uint32_t(m_bytes[i + 1]) << 8;
        put(alphabet[(triple >> 18) & 63]);
        put(alphabet[(triple >> 12) & 63]);
        put(i + 1 < m_bytes.size() ? alphabet[(triple >> 6) & 63] : '=');
        put('=');
    }
    return NSString(out);
}

namespace {

// A name beside the target that nobody else holds, opened with the mode given (less the umask),
// so the copy is never readable by more people than the finished file.
int openTemporaryBeside(const std::string& target, mode_t mode, std::string& name)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand generator(std::random_device {}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp-";
        for (int i = 0; i < 6; ++i)
            name.push_back(letters[generator() % (sizeof letters - 1)]);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

bool NSData::writeToFile(const NSString& path, NSDataWritingOptions options, NSErrorPointer error) const
{
    const std::string target = path.UTF8String();
    if (target.empty()) {
        NSSetError(error, fileError(NSFileWriteInvalidFileNameError, path, EINVAL));
        return false;
    }
    const bool ownerOnly = (options & NSDataWritingFileProtectionComplete) != 0;
    const mode_t mode = ownerOnly ? 0600 : 0666;
    if (options & NSDataWritingAtomic) {
        std::string written;
        int fd = openTemporaryBeside(target, mode, written);
        if (fd < 0) {
            const int code = errno;
            NSSetError(error, fileError(code == EACCES ? NSFileWriteNoPermissionError
                                      : (code == ENOSPC ? NSFileWriteOutOfSpaceError : NSFileWriteUnknownError), path, code));
            return false;
        }
        bool ok = writeAll(fd, m_bytes.data(), m_bytes.size()) && ::fsync(fd) == 0;
        const int code = errno;
        ok = (::close(fd) == 0) && ok;
        if (!ok || ::rename(written.c_str(), target.c_str()) != 0) {
            const int failure = ok ? errno : code;
            ::unlink(written.c_str());
            NSSetError(error, fileError(failure == ENOSPC ? NSFileWriteOutOfSpaceError : NSFileWriteUnknownError, path, failure));
            return false;
        }
        return true;
    }
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        const int code = errno;
        NSSetError(error, fileError(code == EACCES ? NSFileWriteNoPermissionError : NSFileWriteUnknownError, path, code));
        return false;
    }
    // An existing file keeps its mode on open; one kept for its owner is closed to others now.
    if (ownerOnly)
        ::fchmod(fd, 0600);
    bool ok = writeAll(fd, m_bytes.data(), m_bytes.size());
    const int code = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok)
        NSSetError(error, fileError(code == ENOSPC ? NSFileWriteOutOfSpaceError : NSFileWriteUnknownError, path, code));
    return ok;
}

NSString NSData::description() const
{
    static const char hex[] = "0123456789abcdef";
    std::string text = "<";
    for (size_t i = 0; i < m_bytes.size(); ++i) {
        if (i && i % 4 == 0)
            text.push_back(' ');
        text.push_back(hex[m_bytes[i] >> 4]);
        text.push_back(hex[m_bytes[i] & 15]);
    }
    text.push_back('>');
    return NSString(text);
}

bool NSData::isEqual(const id& other) const
{
    return isEqualToData(ns::cast<NSData>(other));
}

NSUInteger NSData::hash() const
{
    std::uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < std::min<size_t>(m_bytes.size(), 80); ++i) {
        hash ^= m_bytes[i];
        hash *= 1099511628211ull;
    }
    return hash ^ m_bytes.size();
}

id NSData::copy() const
{
    return std::const_pointer_cast<NSData>(self());
}

id NSData::mutableCopy() const
{
    return NSMutableData::create(m_bytes);
}

// MARK: - NSMutableData

std::shared_ptr<NSMutableData> NSMutableData::dataWithCapacity(NSUInteger capacity)
{
    auto data = create();
    data->m_bytes.reserve(capacity);
    return data;
}

std::shared_ptr<NSMutableData> NSMutableData::dataWithLength(NSUInteger length)
{
    return create(std::vector<std::uint8_t>(length, 0));
}

std::shared_ptr<NSMutableData> NSMutableData::dataWithData(const std::shared_ptr<NSData>& other)
{
    return create(other ? other->vector() : std::vector<std::uint8_t> {});
}

void NSMutableData::appendBytes(const void* bytes, NSUInteger length)
{
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    if (length)
        m_bytes.insert(m_bytes.end(), begin, begin + length);
}

void NSMutableData::appendData(const std::shared_ptr<NSData>& other)
{
    if (other)
        appendBytes(other->bytes(), other->length());
}

void NSMutableData::replaceBytesInRange(NSRange range, const void* bytes, NSUInteger length)
{
    if (range.location > m_bytes.size())
        raiseRange("replaceBytesInRange:withBytes:length:", range, m_bytes.size());
    const NSUInteger removed = std::min<NSUInteger>(range.length, m_bytes.size() - range.location);
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    std::vector<std::uint8_t> replacement(begin, begin + length);
    auto at = m_bytes.begin() + std::ptrdiff_t(range.location);
    at = m_bytes.erase(at, at + std::ptrdiff_t(removed));
    m_bytes.insert(at, replacement.begin(), replacement.end());
}

void NSMutableData::resetBytesInRange(NSRange range)
{
    if (!rangeFits(range, m_bytes.size()))
        raiseRange("resetBytesInRange:", range, m_bytes.size());
    std::fill_n(m_bytes.begin() + std::ptrdiff_t(range.location), range.length, 0);
}

void NSMutableData::setData(const std::shared_ptr<NSData>& other)
{
    m_bytes = other ? other->vector() : std::vector<std::uint8_t> {};
}

id NSMutableData::copy() const
{
    return NSData::create(m_bytes);
}

std::shared_ptr<NSData> NSMutableData::takeData()
{
    return NSData::dataWithBytes(std::exchange(m_bytes, {}));
}
