#pragma once
// Builds a "multipart/form-data" body that is streamed, not gathered: parts collect here, and
// finalising gives the request the body stream with its boundary and exact Content-Length.

#include "library/network/request/RQMultipartBodyStream.h"
#include "library/network/request/RQMultipartFormData.h"
#include "platform/net/NSURLRequest.h"

class RQStreamingMultipartFormData final : public NSObject, public RQMultipartFormData {
    NS_OBJECT(RQStreamingMultipartFormData, NSObject)
public:
    const std::shared_ptr<NSMutableURLRequest>& request() const { return m_request; }
    NSStringEncoding stringEncoding() const { return m_stringEncoding; }
    const NSString& boundary() const { return m_boundary; }
    const std::shared_ptr<RQMultipartBodyStream>& bodyStream() const { return m_bodyStream; }

    bool appendPartWithFileURL(const std::shared_ptr<NSURL>& fileURL, const NSString& name, NSErrorPointer error) override;
    bool appendPartWithFileURL(const std::shared_ptr<NSURL>& fileURL, const NSString& name, const NSString& fileName,
        const NSString& mimeType, NSErrorPointer error) override;
    void appendPartWithInputStream(const std::shared_ptr<NSInputStream>& inputStream, const NSString& name, const NSString& fileName,
        unsigned long long length, const NSString& mimeType) override;
    void appendPartWithFileData(const std::shared_ptr<NSData>& data, const NSString& name, const NSString& fileName,
        const NSString& mimeType) override;
    void appendPartWithFormData(const std::shared_ptr<NSData>& data, const NSString& name) override;
    void appendPartWithHeaders(const std::shared_ptr<NSDictionary>& headers, const std::shared_ptr<NSData>& body) override;
    void throttleBandwidthWithPacketSize(unsigned long long numberOfBytes, NSTimeInterval delay) override;

    // The request unchanged when no part was added; otherwise with the body stream and its
    // Content-Type and Content-Length.
    std::shared_ptr<NSMutableURLRequest> requestByFinalizingMultipartFormData();

protected:
    void init(const std::shared_ptr<NSURLRequest>& request, NSStringEncoding encoding);

private:
    void appendPart(const std::shared_ptr<NSDictionary>& headers, const id& body, unsigned long long length);

    std::shared_ptr<NSMutableURLRequest> m_request;
    NSStringEncoding m_stringEncoding { NSUTF8StringEncoding };
    NSString m_boundary;
    std::shared_ptr<RQMultipartBodyStream> m_bodyStream;
};

// "Boundary+" and 16 upper-case hexadecimal digits from the system's random source.
NSString RQCreateMultipartFormBoundary();
// A name or file name as it may stand between the quotes of a Content-Disposition field.
NSString RQMultipartQuotedParameterValue(const NSString& value);
