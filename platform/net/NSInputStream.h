#pragma once
// A stream of bytes read from memory or from a file; request bodies are sent from one.
// A subclass that makes its bytes on demand (a streamed upload body) overrides read() and
// hasBytesAvailable(); the URL loading system asks nothing else of a body stream.

#include "platform/foundation/NSData.h"
#include "platform/net/NSStream.h"

class NSInputStream : public NSStream {
    NS_OBJECT(NSInputStream, NSStream)
public:
    static std::shared_ptr<NSInputStream> inputStreamWithData(const std::shared_ptr<NSData>& data);
    // Nil for a nil path; a file that cannot be opened, or is no regular file on disk (a FIFO, a
    // device, a folder, the kernel's own files), puts the stream in the error state on open,
    // which never waits.
    static std::shared_ptr<NSInputStream> inputStreamWithFileAtPath(const NSString& path);
    ~NSInputStream() override;

    // Bytes read, 0 at the end, -1 on an error.
    virtual NSInteger read(std::uint8_t* buffer, NSUInteger maxLength);
    virtual bool hasBytesAvailable() const;
    // These streams hold no buffer of their own to lend.
    virtual bool getBuffer(std::uint8_t** buffer, NSUInteger* length);

    id propertyForKey(const NSString& key) const override;

protected:
    void init(const std::shared_ptr<NSData>& data) { m_data = data ? data : NSData::data(); }
    void init(const NSString& path) { m_path = path; }
    bool openLocked() override REQUIRES(m_mutex);
    void closeLocked() override REQUIRES(m_mutex);

private:
    // Set by init, before the stream is shared.
    std::shared_ptr<NSData> m_data;
    NSString m_path;
    int m_fd GUARDED_BY(m_mutex) { -1 };
    NSUInteger m_offset GUARDED_BY(m_mutex) { 0 };
};
