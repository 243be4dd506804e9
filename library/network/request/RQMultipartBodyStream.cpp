#include "library/network/request/RQMultipartBodyStream.h"

#include "platform/foundation/NSThread.h"

#include <algorithm>

unsigned long long RQMultipartBodyStream::numberOfBytesInPacket() const
{
    MutexLocker lock(m_mutex);
    return m_numberOfBytesInPacket;
}

void RQMultipartBodyStream::setNumberOfBytesInPacket(unsigned long long numberOfBytes)
{
    MutexLocker lock(m_mutex);
    m_numberOfBytesInPacket = numberOfBytes;
}

NSTimeInterval RQMultipartBodyStream::delay() const
{
    MutexLocker lock(m_mutex);
    return m_delay;
}

void RQMultipartBodyStream::setDelay(NSTimeInterval delay)
{
    MutexLocker lock(m_mutex);
    m_delay = delay;
}

std::vector<std::shared_ptr<RQHTTPBodyPart>> RQMultipartBodyStream::HTTPBodyParts() const
{
    MutexLocker lock(m_mutex);
    return m_HTTPBodyParts;
}

void RQMultipartBodyStream::setInitialAndFinalBoundaries()
{
    MutexLocker lock(m_mutex);
    setInitialAndFinalBoundariesLocked();
}

void RQMultipartBodyStream::setInitialAndFinalBoundariesLocked()
{
    if (m_HTTPBodyParts.empty())
        return;
    for (const auto& part : m_HTTPBodyParts) {
        part->setHasInitialBoundary(false);
        part->setHasFinalBoundary(false);
    }
    m_HTTPBodyParts.front()->setHasInitialBoundary(true);
    m_HTTPBodyParts.back()->setHasFinalBoundary(true);
}

void RQMultipartBodyStream::appendHTTPBodyPart(const std::shared_ptr<RQHTTPBodyPart>& part)
{
    if (!part)
        return;
    MutexLocker lock(m_mutex);
    m_HTTPBodyParts.push_back(part);
}

bool RQMultipartBodyStream::isEmpty() const
{
    MutexLocker lock(m_mutex);
    return m_HTTPBodyParts.empty();
}

unsigned long long RQMultipartBodyStream::contentLength() const
{
    MutexLocker lock(m_mutex);
    unsigned long long length = 0;
    for (const auto& part : m_HTTPBodyParts)
        length += part->contentLength();
    return length;
}

bool RQMultipartBodyStream::openLocked()
{
    setInitialAndFinalBoundariesLocked();
    m_nextPartIndex = 0;
    m_currentHTTPBodyPart = nullptr;
    return true;
}

NSInteger RQMultipartBodyStream::read(std::uint8_t* buffer, NSUInteger maxLength)
{
    MutexLocker lock(m_mutex);
    // Not yet open there is nothing to walk yet, as after closing.
    if (m_status == NSStreamStatusClosed || m_status == NSStreamStatusNotOpen)
        return 0;
    if (m_status != NSStreamStatusOpen)
        return -1;
    // Each part read gets only the packet's room, so one read never hands out more than a packet.
    const NSUInteger limit = static_cast<NSUInteger>(std::min<unsigned long long>(m_numberOfBytesInPacket, maxLength));
    NSUInteger total = 0;
    while (total < limit) {
        if (!m_currentHTTPBodyPart || !m_currentHTTPBodyPart->hasBytesAvailable()) {
            if (m_nextPartIndex >= m_HTTPBodyParts.size())
                break;
            m_currentHTTPBodyPart = m_HTTPBodyParts[m_nextPartIndex++];
            continue;
        }
        NSInteger read = m_currentHTTPBodyPart->read(buffer + total, limit - total);
        if (read < 0) {
            // A body that cannot be sent whole fails the upload instead of ending it short.
            m_error = m_currentHTTPBodyPart->streamError();
            m_status = NSStreamStatusError;
            return total > 0 ? static_cast<NSInteger>(total) : -1;
        }
        total += static_cast<NSUInteger>(read);
        if (m_delay > 0 && read > 0)
            waitAfterChunk(m_delay);
    }
    return static_cast<NSInteger>(total);
}

bool RQMultipartBodyStream::hasBytesAvailable() const
{
    MutexLocker lock(m_mutex);
    return m_status == NSStreamStatusOpen;
}

void RQMultipartBodyStream::waitAfterChunk(NSTimeInterval delay)
{
    NSThread::sleepForTimeInterval(delay);
}

id RQMultipartBodyStream::copy() const
{
    MutexLocker lock(m_mutex);
    auto stream = RQMultipartBodyStream::create(m_stringEncoding);
    for (const auto& part : m_HTTPBodyParts)
        stream->appendHTTPBodyPart(std::static_pointer_cast<RQHTTPBodyPart>(part->copy()));
    stream->setInitialAndFinalBoundaries();
    return stream;
}
