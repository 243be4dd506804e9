#include "platform/net/NSURLResponse.h"

#include "platform/net/StrictDecoding.h"

namespace {

const bool registeredForCoding = NSCoder::registerClass<NSURLResponse>();

} // namespace

std::shared_ptr<NSURLResponse> NSURLResponse::responseWithURL(const std::shared_ptr<NSURL>& URL, const NSString& MIMEType,
    NSInteger expectedContentLength, const NSString& textEncodingName)
{
    return create(URL, MIMEType, expectedContentLength, textEncodingName);
}

void NSURLResponse::init(const std::shared_ptr<NSURL>& URL, const NSString& MIMEType, NSInteger expectedContentLength,
    const NSString& textEncodingName)
{
    m_URL = URL;
    m_MIMEType = MIMEType;
    m_expectedContentLength = expectedContentLength;
    m_textEncodingName = textEncodingName;
}

NSString NSURLResponse::suggestedFilename() const
{
    NSString name = m_URL ? m_URL->lastPathComponent() : NSString();
    if (name.isNil() || name.length() == 0 || name == "/")
        return "Unknown";
    return name;
}

NSString NSURLResponse::description() const
{
    return NSString::stringWithFormat("<%s: %p> { URL: %@ }", className(), static_cast<const void*>(this),
        m_URL ? m_URL->absoluteString() : NSString("(null)"));
}

id NSURLResponse::copy() const
{
    // Responses never change once made.
    return std::const_pointer_cast<NSObject>(shared_from_this());
}

bool NSURLResponse::init(NSCoder& coder)
{
    if (!ns::decodeOptional(coder, "URL", m_URL) || !ns::decodeOptional(coder, "MIMEType", m_MIMEType)
        || !ns::decodeOptional(coder, "textEncodingName", m_textEncodingName))
        return false;
    const std::int64_t length = coder.containsValueForKey("expectedContentLength")
        ? coder.decodeInt64ForKey("expectedContentLength") : NSURLResponseUnknownLength;
    m_expectedContentLength = length < 0 ? NSURLResponseUnknownLength : length;
    return true;
}

void NSURLResponse::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_URL, "URL");
    coder.encodeObject(m_MIMEType, "MIMEType");
    coder.encodeInt64(m_expectedContentLength, "expectedContentLength");
    coder.encodeObject(m_textEncodingName, "textEncodingName");
}
