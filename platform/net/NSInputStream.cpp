#include "platform/net/NSInputStream.h"

#include "platform/foundation/NSNumber.h"
#include "platform/foundation/OrdinaryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::shared_ptr<NSInputStream> NSInputStream::inputStreamWithData(const std::shared_ptr<NSData>& data)
{
    return create(data);
}

std::shared_ptr<NSInputStream> NSInputStream::inputStreamWithFileAtPath(const NSString& path)
{
    return path.isNil() ? nullptr : create(path);
}

NSInputStream::~NSInputStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool NSInputStream::openLocked()
{
    if (m_data)
        return true;
    // Opened without waiting: a FIFO or a device put where a file was would otherwise hold the
    // thread that sends every request until a writer appears. Only regular files on disk are
    // read; the kernel's own files claim no size and some never end or block on read.
    int error = 0;
    m_fd = OrdinaryFile::openForReading(m_path.UTF8String(), error);
    if (m_fd < 0) {
        failLocked(error);
        return false;
    }
    return true;
}

void NSInputStream::closeLocked()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

NSInteger NSInputStream::read(std::uint8_t* buffer, NSUInteger maxLength)
{
    MutexLocker lock(m_mutex);
    if (m_status == NSStreamStatusError)
        return -1;
    if (m_status != NSStreamStatusOpen && m_status != NSStreamStatusReading)
        return m_status == NSStreamStatusAtEnd ? 0 : -1;
    if (m_data) {
        NSUInteger count = std::min<NSUInteger>(maxLength, m_data->length() - m_offset);
        std::copy_n(m_data->bytes() + m_offset, count, buffer);
        m_offset += count;
        if (m_offset == m_data->length())
            m_status = NSStreamStatusAtEnd;
        return static_cast<NSInteger>(count);
    }
    ssize_t count;
    do {
        count = ::read(m_fd, buffer, maxLength);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        failLocked(errno);
        return -1;
    }
    if (count == 0)
        m_status = NSStreamStatusAtEnd;
    m_offset += static_cast<NSUInteger>(count);
    return count;
}

bool NSInputStream::hasBytesAvailable() const
{
    MutexLocker lock(m_mutex);
    if (m_status != NSStreamStatusOpen && m_status != NSStreamStatusReading)
        return false;
    return !m_data || m_offset < m_data->length();
}

bool NSInputStream::getBuffer(std::uint8_t** buffer, NSUInteger* length)
{
    if (buffer)
        *buffer = nullptr;
    if (length)
        *length = 0;
    return false;
}

id NSInputStream::propertyForKey(const NSString& key) const
{
    MutexLocker lock(m_mutex);
    if (key == NSStreamFileCurrentOffsetKey && !m_data)
        return NSNumber::numberWithUnsignedLongLong(m_offset);
    return nullptr;
}
