#include "library/network/request/RQHTTPBodyPart.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSURL.h"

#include <algorithm>

namespace {

constexpr const char* CRLF = "\r\n";

} // namespace

NSString RQMultipartFormInitialBoundary(const NSString& boundary)
{
    return NSString("--") + boundary + CRLF;
}

NSString RQMultipartFormEncapsulationBoundary(const NSString& boundary)
{
    return NSString(CRLF) + "--" + boundary + CRLF;
}

NSString RQMultipartFormFinalBoundary(const NSString& boundary)
{
    return NSString(CRLF) + "--" + boundary + "--" + CRLF;
}

void RQHTTPBodyPart::init()
{
    transitionToNextPhase();
}

RQHTTPBodyPart::~RQHTTPBodyPart()
{
    if (m_inputStream)
        m_inputStream->close();
}

std::shared_ptr<NSInputStream> RQHTTPBodyPart::inputStream()
{
    if (m_inputStream)
        return m_inputStream;
    if (auto data = ns::cast<NSData>(m_body))
        m_inputStream = NSInputStream::inputStreamWithData(data);
    else if (auto URL = ns::cast<NSURL>(m_body); URL && URL->isFileURL())
        m_inputStream = NSInputStream::inputStreamWithFileAtPath(URL->path());
    else if (auto stream = ns::cast<NSInputStream>(m_body))
        m_inputStream = stream;
    // A part without a readable body reads as empty rather than stalling the whole body.
    if (!m_inputStream)
        m_inputStream = NSInputStream::inputStreamWithData(NSData::data());
    return m_inputStream;
}

NSString RQHTTPBodyPart::stringForHeaders() const
{
    NSString text = NSString::string();
    if (m_headers) {
        for (const auto& entry : *m_headers)
            text = text + ns::textOf(entry.key) + ": " + ns::textOf(entry.object) + CRLF;
    }
    return text + NSString(CRLF);
}

std::shared_ptr<NSData> RQHTTPBodyPart::encoded(const NSString& text) const
{
    auto data = text.dataUsingEncoding(m_stringEncoding, true);
    return data ? data : NSData::data();
}

std::shared_ptr<NSData> RQHTTPBodyPart::openingBoundaryData() const
{
    return encoded(m_hasInitialBoundary ? RQMultipartFormInitialBoundary(m_boundary) : RQMultipartFormEncapsulationBoundary(m_boundary));
}

std::shared_ptr<NSData> RQHTTPBodyPart::closingBoundaryData() const
{
    return m_hasFinalBoundary ? encoded(RQMultipartFormFinalBoundary(m_boundary)) : NSData::data();
}

unsigned long long RQHTTPBodyPart::contentLength() const
{
    return openingBoundaryData()->length() + encoded(stringForHeaders())->length() + m_bodyContentLength + closingBoundaryData()->length();
}

bool RQHTTPBodyPart::hasBytesAvailable() const
{
    if (m_phase == FinalBoundaryPhase)
        return true;
    // A part that has not made its stream yet has everything still to give.
    if (!m_inputStream)
        return true;
    return m_inputStream->streamStatus() < NSStreamStatusAtEnd;
}

NSInteger RQHTTPBodyPart::read(std::uint8_t* buffer, NSUInteger length)
{
    NSUInteger total = 0;
    if (m_phase == EncapsulationBoundaryPhase)
        total += static_cast<NSUInteger>(readData(openingBoundaryData(), buffer + total, length - total));
    if (m_phase == HeaderPhase)
        total += static_cast<NSUInteger>(readData(encoded(stringForHeaders()), buffer + total, length - total));
    if (m_phase == BodyPhase) {
        NSInteger read = readBody(buffer + total, length - total);
        if (read < 0)
            return -1;
        total += static_cast<NSUInteger>(read);
    }
    if (m_phase == FinalBoundaryPhase)
        total += static_cast<NSUInteger>(readData(closingBoundaryData(), buffer + total, length - total));
    return static_cast<NSInteger>(total);
}

NSInteger RQHTTPBodyPart::readData(const std::shared_ptr<NSData>& data, std::uint8_t* buffer, NSUInteger length)
{
    const unsigned long long remaining = data->length() > m_phaseReadOffset ? data->length() - m_phaseReadOffset : 0;
    const NSUInteger count = static_cast<NSUInteger>(std::min<unsigned long long>(remaining, length));
    std::copy_n(data->bytes() + m_phaseReadOffset, count, buffer);
    m_phaseReadOffset += count;
    if (m_phaseReadOffset >= data->length())
        transitionToNextPhase();
    return static_cast<NSInteger>(count);
}

// The body gives exactly its declared length: bytes past it would corrupt the parts after it,
// and a body that ends short would leave the declared Content-Length unmet, so either is an
// error rather than a malformed upload.
NSInteger RQHTTPBodyPart::readBody(std::uint8_t* buffer, NSUInteger length)
{
    auto stream = inputStream();
    const unsigned long long remaining = m_bodyContentLength - m_phaseReadOffset;
    if (remaining == 0) {
        transitionToNextPhase();
        return 0;
    }
    if (length == 0)
        return 0;
    NSInteger read = stream->read(buffer, static_cast<NSUInteger>(std::min<unsigned long long>(remaining, length)));
    if (read < 0) {
        m_streamError = stream->streamError();
        if (!m_streamError)
            m_streamError = NSError::errorWithDomain(NSPOSIXErrorDomain, EIO, "The part's body could not be read.");
        return -1;
    }
    m_phaseReadOffset += static_cast<unsigned long long>(read);
    if (m_phaseReadOffset == m_bodyContentLength) {
        transitionToNextPhase();
    } else if (read == 0 || stream->streamStatus() >= NSStreamStatusAtEnd) {
        m_streamError = NSError::errorWithDomain(NSPOSIXErrorDomain, EIO, "The part's body ended before its declared length.");
        return -1;
    }
    return read;
}

bool RQHTTPBodyPart::transitionToNextPhase()
{
    switch (m_phase) {
    case EncapsulationBoundaryPhase:
        m_phase = HeaderPhase;
        break;
    case HeaderPhase: {
        // Streams here read synchronously on the reading thread; scheduling records the owner
        // the platform expects, so no hop to the main thread (which may be waiting) is needed.
        auto stream = inputStream();
        stream->scheduleInRunLoop(NSRunLoop::mainRunLoop(), NSRunLoopCommonModes);
        stream->open();
        m_phase = BodyPhase;
        break;
    }
    case BodyPhase:
        inputStream()->close();
        m_phase = FinalBoundaryPhase;
        break;
    default:
        m_phase = EncapsulationBoundaryPhase;
        break;
    }
    m_phaseReadOffset = 0;
    return true;
}

id RQHTTPBodyPart::copy() const
{
    auto part = RQHTTPBodyPart::create();
    part->m_stringEncoding = m_stringEncoding;
    part->m_headers = m_headers;
    part->m_bodyContentLength = m_bodyContentLength;
    part->m_body = m_body;
    part->m_boundary = m_boundary;
    return part;
}
