#pragma once
// One part of a streamed multipart body: its opening boundary, header block, body bytes and,
// for the last part, the closing boundary, handed out phase by phase as the reader asks. The
// content length is computed from the declared body length without reading the body.

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSError.h"
#include "platform/net/NSInputStream.h"

class RQHTTPBodyPart final : public NSObject {
    NS_OBJECT(RQHTTPBodyPart, NSObject)
public:
    enum Phase : std::int32_t {
        EncapsulationBoundaryPhase = 1,
        HeaderPhase = 2,
        BodyPhase = 3,
        FinalBoundaryPhase = 4,
    };

    ~RQHTTPBodyPart() override;

    NSStringEncoding stringEncoding() const { return m_stringEncoding; }
    void setStringEncoding(NSStringEncoding encoding) { m_stringEncoding = encoding; }
    const std::shared_ptr<NSDictionary>& headers() const { return m_headers; }
    void setHeaders(const std::shared_ptr<NSDictionary>& headers) { m_headers = headers ? headers->copyDictionary() : nullptr; }
    // An NSData, a file NSURL or an NSInputStream.
    const id& body() const { return m_body; }
    void setBody(const id& body) { m_body = body; }
    unsigned long long bodyContentLength() const { return m_bodyContentLength; }
    void setBodyContentLength(unsigned long long length) { m_bodyContentLength = length; }
    const NSString& boundary() const { return m_boundary; }
    void setBoundary(const NSString& boundary) { m_boundary = boundary; }
    bool hasInitialBoundary() const { return m_hasInitialBoundary; }
    void setHasInitialBoundary(bool has) { m_hasInitialBoundary = has; }
    bool hasFinalBoundary() const { return m_hasFinalBoundary; }
    void setHasFinalBoundary(bool has) { m_hasFinalBoundary = has; }
    Phase phase() const { return m_phase; }

    // Made on first use: over the data, over the file, or the given stream itself.
    std::shared_ptr<NSInputStream> inputStream();
    NSString stringForHeaders() const;
    unsigned long long contentLength() const;
    bool hasBytesAvailable() const;
    // Bytes written, or -1 when the body stream failed or gave other than its declared length.
    NSInteger read(std::uint8_t* buffer, NSUInteger length);
    // Why the last read answered -1.
    std::shared_ptr<NSError> streamError() const { return m_streamError; }
    bool transitionToNextPhase();
    id copy() const override;

protected:
    void init();

private:
    std::shared_ptr<NSData> encoded(const NSString& text) const;
    std::shared_ptr<NSData> openingBoundaryData() const;
    std::shared_ptr<NSData> closingBoundaryData() const;
    NSInteger readData(const std::shared_ptr<NSData>& data, std::uint8_t* buffer, NSUInteger length);
    NSInteger readBody(std::uint8_t* buffer, NSUInteger length);

    NSStringEncoding m_stringEncoding { NSUTF8StringEncoding };
    std::shared_ptr<NSDictionary> m_headers;
    id m_body;
    unsigned long long m_bodyContentLength { 0 };
    NSString m_boundary;
    bool m_hasInitialBoundary { false };
    bool m_hasFinalBoundary { false };
    std::shared_ptr<NSInputStream> m_inputStream;
    Phase m_phase { static_cast<Phase>(0) };
    unsigned long long m_phaseReadOffset { 0 };
    std::shared_ptr<NSError> m_streamError;
};

// The boundary texts, as the content length counts them.
NSString RQMultipartFormInitialBoundary(const NSString& boundary);
NSString RQMultipartFormEncapsulationBoundary(const NSString& boundary);
NSString RQMultipartFormFinalBoundary(const NSString& boundary);
