#pragma once
// A stream of bytes written to memory or to a file. A memory stream answers everything written
// so far under NSStreamDataWrittenToMemoryStreamKey; a file stream its offset under
// NSStreamFileCurrentOffsetKey.

#include "platform/foundation/NSData.h"
#include "platform/net/NSStream.h"

#include <sys/types.h>

class NSOutputStream final : public NSStream {
    NS_OBJECT(NSOutputStream, NSStream)
public:
    static std::shared_ptr<NSOutputStream> outputStreamToMemory();
    static std::shared_ptr<NSOutputStream> outputStreamToFileAtPath(const NSString& path, bool append);
    ~NSOutputStream() override;

    // Bytes written (possibly fewer than asked), or -1 on an error, which the stream then reports.
    NSInteger write(const std::uint8_t* buffer, NSUInteger length);
    bool hasSpaceAvailable() const;
    // Forgets what this stream wrote since it was opened (a file keeps what it held before), so a
    // reply that starts over does not follow the bytes of an abandoned one.
    void discardWrittenBytes();

    id propertyForKey(const NSString& key) const override;

protected:
    void init() { m_memory = NSMutableData::data(); }
    void init(const NSString& path, bool append)
    {
        m_path = path;
        m_append = append;
    }
    bool openLocked() override REQUIRES(m_mutex);
    void closeLocked() override REQUIRES(m_mutex);

private:
    // Set by init, before the stream is shared; the bytes it points to change only under the lock.
    std::shared_ptr<NSMutableData> m_memory;
    NSString m_path;
    bool m_append { false };
    // What a memory stream wrote, moved out when it closed: a long body is never held twice.
    std::shared_ptr<NSData> m_written GUARDED_BY(m_mutex);
    int m_fd GUARDED_BY(m_mutex) { -1 };
    off_t m_startOffset GUARDED_BY(m_mutex) { 0 };
};
