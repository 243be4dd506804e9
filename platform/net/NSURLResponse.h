#pragma once
// The metadata of a reply: URL, MIME type, expected length (-1 when unknown), text encoding name
// and the file name a download would suggest.

#include "platform/foundation/NSCoder.h"
#include "platform/net/NSURL.h"

inline constexpr long long NSURLResponseUnknownLength = -1;

class NSURLResponse : public NSObject, public NSCoding {
    NS_OBJECT(NSURLResponse, NSObject)
public:
    static std::shared_ptr<NSURLResponse> responseWithURL(const std::shared_ptr<NSURL>& URL, const NSString& MIMEType,
        NSInteger expectedContentLength, const NSString& textEncodingName);

    const std::shared_ptr<NSURL>& URL() const { return m_URL; }
    const NSString& MIMEType() const { return m_MIMEType; }
    long long expectedContentLength() const { return m_expectedContentLength; }
    const NSString& textEncodingName() const { return m_textEncodingName; }
    virtual NSString suggestedFilename() const;

    NSString description() const override;
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(const std::shared_ptr<NSURL>& URL, const NSString& MIMEType, NSInteger expectedContentLength,
        const NSString& textEncodingName);
    bool init(NSCoder& coder);

    std::shared_ptr<NSURL> m_URL;
    NSString m_MIMEType;
    long long m_expectedContentLength { NSURLResponseUnknownLength };
    NSString m_textEncodingName;
};
