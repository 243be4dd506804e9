#pragma once
// The common part of input and output streams: status, error, properties and the run loops a
// stream is scheduled in. These streams read and write memory and files synchronously, so being
// scheduled only records where their owner wants them.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSRunLoop.h"

#include <vector>

enum NSStreamStatus : NSUInteger {
    NSStreamStatusNotOpen = 0,
    NSStreamStatusOpening = 1,
    NSStreamStatusOpen = 2,
    NSStreamStatusReading = 3,
    NSStreamStatusWriting = 4,
    NSStreamStatusAtEnd = 5,
    NSStreamStatusClosed = 6,
    NSStreamStatusError = 7,
};

inline constexpr const char* NSStreamDataWrittenToMemoryStreamKey = "kCFStreamPropertyDataWritten";
inline constexpr const char* NSStreamFileCurrentOffsetKey = "kCFStreamPropertyFileCurrentOffset";

class NSStream : public NSObject {
    NS_OBJECT(NSStream, NSObject)
public:
    virtual void open();
    virtual void close();
    NSStreamStatus streamStatus() const;
    std::shared_ptr<NSError> streamError() const;

    virtual id propertyForKey(const NSString& key) const;
    virtual bool setProperty(const id& property, const NSString& key);

    void scheduleInRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode);
    void removeFromRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode);

protected:
    // Called under the stream's lock by open() and close().
    virtual bool openLocked() REQUIRES(m_mutex) { return true; }
    virtual void closeLocked() REQUIRES(m_mutex) { }
    void failLocked(int posixError) REQUIRES(m_mutex);

    mutable Mutex m_mutex;
    NSStreamStatus m_status GUARDED_BY(m_mutex) { NSStreamStatusNotOpen };
    std::shared_ptr<NSError> m_error GUARDED_BY(m_mutex);

private:
    struct Schedule {
        std::weak_ptr<NSRunLoop> runLoop;
        std::string mode;
    };
    std::vector<Schedule> m_schedules GUARDED_BY(m_mutex);
};
