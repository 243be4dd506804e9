#pragma once
// What a multipart request's construction block may add to the body: files, streams, data and
// form fields, each as one part, and the upload's throttle.

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSError.h"
#include "platform/net/NSInputStream.h"
#include "platform/net/NSURL.h"

class RQMultipartFormData {
public:
    virtual ~RQMultipartFormData() = default;

    // The file's name and "application/octet-stream" whatever the file holds.
    virtual bool appendPartWithFileURL(const std::shared_ptr<NSURL>& fileURL, const NSString& name, NSErrorPointer error) = 0;
    // False, with an error, for a URL that is not a file URL, a file that cannot be reached or
    // one whose size cannot be read; the form is then unchanged.
    virtual bool appendPartWithFileURL(const std::shared_ptr<NSURL>& fileURL, const NSString& name, const NSString& fileName,
        const NSString& mimeType, NSErrorPointer error) = 0;
    // `length` is the number of bytes the stream gives; the part sends exactly that many.
    virtual void appendPartWithInputStream(const std::shared_ptr<NSInputStream>& inputStream, const NSString& name,
        const NSString& fileName, unsigned long long length, const NSString& mimeType) = 0;
    virtual void appendPartWithFileData(const std::shared_ptr<NSData>& data, const NSString& name, const NSString& fileName,
        const NSString& mimeType) = 0;
    virtual void appendPartWithFormData(const std::shared_ptr<NSData>& data, const NSString& name) = 0;
    virtual void appendPartWithHeaders(const std::shared_ptr<NSDictionary>& headers, const std::shared_ptr<NSData>& body) = 0;
    // Each read of the body gives at most `numberOfBytes`, and the reader waits `delay` seconds
    // after each chunk of a part.
    virtual void throttleBandwidthWithPacketSize(unsigned long long numberOfBytes, NSTimeInterval delay) = 0;
};
