#include "platform/net/NSOutputStream.h"

#include "platform/foundation/NSNumber.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

std::shared_ptr<NSOutputStream> NSOutputStream::outputStreamToMemory()
{
    return create();
}

std::shared_ptr<NSOutputStream> NSOutputStream::outputStreamToFileAtPath(const NSString& path, bool append)
{
    return path.isNil() ? nullptr : create(path, append);
}

NSOutputStream::~NSOutputStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool NSOutputStream::openLocked()
{
    if (m_memory)
        return true;
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (m_append ? O_APPEND : O_TRUNC);
    m_fd = ::open(m_path.UTF8String().c_str(), flags, 0666);
    if (m_fd < 0) {
        failLocked(errno);
        return false;
    }
    m_startOffset = m_append ? ::lseek(m_fd, 0, SEEK_END) : 0;
    if (m_startOffset < 0)
        m_startOffset = 0;
    return true;
}

void NSOutputStream::discardWrittenBytes()
{
    MutexLocker lock(m_mutex);
    if (m_memory) {
        m_memory->setLength(0);
        m_written = nullptr;
        return;
    }
    if (m_fd < 0)
        return;
    if (::ftruncate(m_fd, m_startOffset) != 0 || ::lseek(m_fd, m_startOffset, SEEK_SET) < 0)
        failLocked(errno);
}

void NSOutputStream::closeLocked()
{
    if (m_memory && !m_written)
        m_written = m_memory->takeData();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

NSInteger NSOutputStream::write(const std::uint8_t* buffer, NSUInteger length)
{
    MutexLocker lock(m_mutex);
    if (m_status != NSStreamStatusOpen && m_status != NSStreamStatusWriting)
        return -1;
    if (m_memory) {
        m_memory->appendBytes(buffer, length);
        return static_cast<NSInteger>(length);
    }
    ssize_t written;
    do {
        written = ::write(m_fd, buffer, length);
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        failLocked(errno);
        return -1;
    }
    return written;
}

bool NSOutputStream::hasSpaceAvailable() const
{
    MutexLocker lock(m_mutex);
    return m_status == NSStreamStatusOpen || m_status == NSStreamStatusWriting;
}

id NSOutputStream::propertyForKey(const NSString& key) const
{
    MutexLocker lock(m_mutex);
    if (m_written && key == NSStreamDataWrittenToMemoryStreamKey)
        return m_written;
    if (m_memory && key == NSStreamDataWrittenToMemoryStreamKey)
        return NSData::dataWithData(m_memory);
    if (!m_memory && key == NSStreamFileCurrentOffsetKey && m_fd >= 0) {
        off_t offset = ::lseek(m_fd, 0, SEEK_CUR);
        if (offset >= 0)
            return NSNumber::numberWithUnsignedLongLong(static_cast<unsigned long long>(offset));
    }
    return nullptr;
}
