#pragma once
// The body stream of a multipart request: reads its parts one after the other, each from its
// own source, so a large file is never held in memory. Throttling caps the bytes of one read
// and waits after each chunk taken from a part. It never notifies a delegate.

#include "library/network/request/RQHTTPBodyPart.h"

#include <vector>

class RQMultipartBodyStream : public NSInputStream {
    NS_OBJECT(RQMultipartBodyStream, NSInputStream)
public:
    NSStringEncoding stringEncoding() const { return m_stringEncoding; }
    unsigned long long numberOfBytesInPacket() const;
    void setNumberOfBytesInPacket(unsigned long long numberOfBytes);
    NSTimeInterval delay() const;
    void setDelay(NSTimeInterval delay);
    std::vector<std::shared_ptr<RQHTTPBodyPart>> HTTPBodyParts() const;

    void setInitialAndFinalBoundaries();
    void appendHTTPBodyPart(const std::shared_ptr<RQHTTPBodyPart>& part);
    bool isEmpty() const;
    // Measured from the parts' declared lengths; set the boundaries first.
    unsigned long long contentLength() const;

    // At most numberOfBytesInPacket bytes; 0 once closed or past the last part; -1 after a
    // part's body failed, whose error streamError() then answers.
    NSInteger read(std::uint8_t* buffer, NSUInteger maxLength) override;
    bool hasBytesAvailable() const override;
    id propertyForKey(const NSString&) const override { return nullptr; }
    bool setProperty(const id&, const NSString&) override { return false; }
    id copy() const override;

protected:
    void init(NSStringEncoding encoding) { m_stringEncoding = encoding; }
    bool openLocked() override REQUIRES(m_mutex);
    void closeLocked() override REQUIRES(m_mutex) { }
    // The throttle's wait after a chunk; it blocks the reading thread, which is never the main one
    // while a connection reads the body.
    virtual void waitAfterChunk(NSTimeInterval delay);

private:
    void setInitialAndFinalBoundariesLocked() REQUIRES(m_mutex);

    // Set by init, before the stream is shared.
    NSStringEncoding m_stringEncoding { NSUTF8StringEncoding };
    std::vector<std::shared_ptr<RQHTTPBodyPart>> m_HTTPBodyParts GUARDED_BY(m_mutex);
    std::size_t m_nextPartIndex GUARDED_BY(m_mutex) { 0 };
    std::shared_ptr<RQHTTPBodyPart> m_currentHTTPBodyPart GUARDED_BY(m_mutex);
    unsigned long long m_numberOfBytesInPacket GUARDED_BY(m_mutex) { static_cast<unsigned long long>(INT64_MAX) };
    NSTimeInterval m_delay GUARDED_BY(m_mutex) { 0 };
};
