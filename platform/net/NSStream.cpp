#include "platform/net/NSStream.h"

#include <algorithm>
#include <cstring>

void NSStream::open()
{
    MutexLocker lock(m_mutex);
    if (m_status != NSStreamStatusNotOpen)
        return;
    m_status = NSStreamStatusOpening;
    if (openLocked())
        m_status = NSStreamStatusOpen;
}

void NSStream::close()
{
    MutexLocker lock(m_mutex);
    if (m_status == NSStreamStatusClosed || m_status == NSStreamStatusNotOpen)
        return;
    closeLocked();
    if (m_status != NSStreamStatusError)
        m_status = NSStreamStatusClosed;
}

NSStreamStatus NSStream::streamStatus() const
{
    MutexLocker lock(m_mutex);
    return m_status;
}

std::shared_ptr<NSError> NSStream::streamError() const
{
    MutexLocker lock(m_mutex);
    return m_error;
}

id NSStream::propertyForKey(const NSString&) const
{
    return nullptr;
}

bool NSStream::setProperty(const id&, const NSString&)
{
    return false;
}

void NSStream::failLocked(int posixError)
{
    m_status = NSStreamStatusError;
    m_error = NSError::errorWithDomain(NSPOSIXErrorDomain, posixError, NSString(std::strerror(posixError)));
}

void NSStream::scheduleInRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode)
{
    if (!runLoop || mode.isNil())
        return;
    MutexLocker lock(m_mutex);
    m_schedules.push_back({ runLoop, mode.UTF8String() });
}

void NSStream::removeFromRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode)
{
    if (mode.isNil())
        return;
    MutexLocker lock(m_mutex);
    const std::string name = mode.UTF8String();
    std::erase_if(m_schedules, [&](const Schedule& schedule) {
        return schedule.runLoop.lock() == runLoop && schedule.mode == name;
    });
}
