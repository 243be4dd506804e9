#include "library/network/request/RQStreamingMultipartFormData.h"

#include "library/network/request/RQHTTPRequestOperation.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSNumber.h"

#include <random>

namespace {

std::shared_ptr<NSError> fileURLError(const char* reason)
{
    auto userInfo = NSMutableDictionary::dictionary();
    userInfo->setObject(NSBundle::mainBundle()->localizedStringForKey(reason, NSString(), "RQNetworking"), NSLocalizedFailureReasonErrorKey);
    return NSError::errorWithDomain(RQNetworkingErrorDomain, NSURLErrorBadURL, userInfo);
}

bool fail(NSErrorPointer error, const char* reason)
{
    if (error)
        *error = fileURLError(reason);
    return false;
}

std::shared_ptr<NSDictionary> dispositionHeaders(const NSString& disposition, const NSString& mimeType)
{
    auto headers = NSMutableDictionary::dictionary();
    headers->setObject(disposition, "Content-Disposition");
    if (!mimeType.isNil())
        headers->setObject(mimeType, "Content-Type");
    return headers;
}

NSString fileDisposition(const NSString& name, const NSString& fileName)
{
    return NSString::stringWithFormat("form-data; name=\"%@\"; filename=\"%@\"", RQMultipartQuotedParameterValue(name),
        RQMultipartQuotedParameterValue(fileName));
}

} // namespace

NSString RQCreateMultipartFormBoundary()
{
    std::random_device random;
    return NSString::stringWithFormat("Boundary+%08X%08X", static_cast<std::uint32_t>(random()), static_cast<std::uint32_t>(random()));
}

// A quote or a line break would end the parameter or the header early and let a name inject
// fields of its own; they are percent-escaped, as browsers send them.
NSString RQMultipartQuotedParameterValue(const NSString& value)
{
    if (value.isNil())
        return NSString::string();
    return value.stringByReplacingOccurrencesOfString("\"", "%22")
        .stringByReplacingOccurrencesOfString("\r", "%0D")
        .stringByReplacingOccurrencesOfString("\n", "%0A");
}

void RQStreamingMultipartFormData::init(const std::shared_ptr<NSURLRequest>& request, NSStringEncoding encoding)
{
    m_request = request ? request->mutableCopyRequest() : nullptr;
    m_stringEncoding = encoding;
    m_boundary = RQCreateMultipartFormBoundary();
    m_bodyStream = RQMultipartBodyStream::create(encoding);
}

bool RQStreamingMultipartFormData::appendPartWithFileURL(const std::shared_ptr<NSURL>& fileURL, const NSString& name, NSErrorPointer error)
{
    if (!fileURL)
        return fail(error, "Expected URL to be a file URL");
    return appendPartWithFileURL(fileURL, name, fileURL->lastPathComponent(), "application/octet-stream", error);
}

bool RQStreamingMultipartFormData::appendPartWithFileURL(const std::shared_ptr<NSURL>& fileURL, const NSString& name,
    const NSString& fileName, const NSString& mimeType, NSErrorPointer error)
{
    if (!fileURL || !fileURL->isFileURL())
        return fail(error, "Expected URL to be a file URL");
    const NSString path = fileURL->path();
    auto manager = NSFileManager::defaultManager();
    if (!manager->fileExistsAtPath(path))
        return fail(error, "File URL not reachable.");
    // A length that cannot be known would make the declared Content-Length wrong.
    auto attributes = manager->attributesOfItemAtPath(path);
    auto size = attributes ? ns::cast<NSNumber>(attributes->objectForKey(NSFileSize)) : nullptr;
    if (!size || NSString::fromId(attributes->objectForKey(NSFileType)) != NSFileTypeRegular)
        return fail(error, "File size could not be read.");
    appendPart(dispositionHeaders(fileDisposition(name, fileName), mimeType), fileURL, size->unsignedLongLongValue());
    return true;
}

void RQStreamingMultipartFormData::appendPartWithInputStream(const std::shared_ptr<NSInputStream>& inputStream, const NSString& name,
    const NSString& fileName, unsigned long long length, const NSString& mimeType)
{
    appendPart(dispositionHeaders(fileDisposition(name, fileName), mimeType), inputStream, length);
}

void RQStreamingMultipartFormData::appendPartWithFileData(const std::shared_ptr<NSData>& data, const NSString& name,
    const NSString& fileName, const NSString& mimeType)
{
    appendPart(dispositionHeaders(fileDisposition(name, fileName), mimeType), data, data ? data->length() : 0);
}

void RQStreamingMultipartFormData::appendPartWithFormData(const std::shared_ptr<NSData>& data, const NSString& name)
{
    auto disposition = NSString::stringWithFormat("form-data; name=\"%@\"", RQMultipartQuotedParameterValue(name));
    appendPart(dispositionHeaders(disposition, NSString()), data, data ? data->length() : 0);
}

void RQStreamingMultipartFormData::appendPartWithHeaders(const std::shared_ptr<NSDictionary>& headers, const std::shared_ptr<NSData>& body)
{
    appendPart(headers, body, body ? body->length() : 0);
}

void RQStreamingMultipartFormData::appendPart(const std::shared_ptr<NSDictionary>& headers, const id& body, unsigned long long length)
{
    auto part = RQHTTPBodyPart::create();
    part->setStringEncoding(m_stringEncoding);
    part->setHeaders(headers);
    part->setBoundary(m_boundary);
    part->setBody(body);
    part->setBodyContentLength(length);
    m_bodyStream->appendHTTPBodyPart(part);
}

void RQStreamingMultipartFormData::throttleBandwidthWithPacketSize(unsigned long long numberOfBytes, NSTimeInterval delay)
{
    m_bodyStream->setNumberOfBytesInPacket(numberOfBytes);
    m_bodyStream->setDelay(delay);
}

std::shared_ptr<NSMutableURLRequest> RQStreamingMultipartFormData::requestByFinalizingMultipartFormData()
{
    if (m_bodyStream->isEmpty() || !m_request)
        return m_request;
    m_bodyStream->setInitialAndFinalBoundaries();
    m_request->setValue(NSString("multipart/form-data; boundary=") + m_boundary, "Content-Type");
    m_request->setValue(NSString::stringWithFormat("%llu", m_bodyStream->contentLength()), "Content-Length");
    m_request->setHTTPBodyStream(m_bodyStream);
    return m_request;
}
