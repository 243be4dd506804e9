#pragma once
// A reply over HTTP: status code and header fields. Fields that came more than once are joined
// with ", " as the platform joins them; the Set-Cookie lines are also kept one by one for the
// cookie storage.

#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSURLResponse.h"

#include <mutex>
#include <vector>

class NSHTTPURLResponse final : public NSURLResponse {
    NS_OBJECT(NSHTTPURLResponse, NSURLResponse)
public:
    struct HeaderLine {
        NSString name;
        NSString value;
    };

    static std::shared_ptr<NSHTTPURLResponse> responseWithURL(const std::shared_ptr<NSURL>& URL, NSInteger statusCode,
        const NSString& HTTPVersion, const std::shared_ptr<NSDictionary>& headerFields);
    // From the header lines as they came on the wire.
    static std::shared_ptr<NSHTTPURLResponse> responseWithURL(const std::shared_ptr<NSURL>& URL, NSInteger statusCode,
        const NSString& HTTPVersion, const std::vector<HeaderLine>& lines);

    NSInteger statusCode() const { return m_statusCode; }
    // Made on first use: most replies are only asked for a field or two.
    const std::shared_ptr<NSDictionary>& allHeaderFields() const;
    // Case-insensitive lookup of one field.
    NSString valueForHTTPHeaderField(const NSString& field) const;
    const std::vector<HeaderLine>& headerLines() const { return m_lines; }
    NSString suggestedFilename() const override;
    void encodeWithCoder(NSCoder& coder) const override;

    static NSString localizedStringForStatusCode(NSInteger statusCode);

protected:
    void init(const std::shared_ptr<NSURL>& URL, NSInteger statusCode, const std::vector<HeaderLine>& lines);
    // The header lines are stored as received; the type, length and charset follow from them.
    bool init(NSCoder& coder);

private:
    NSInteger m_statusCode { 0 };
    std::vector<HeaderLine> m_lines;
    mutable std::once_flag m_allHeaderFieldsMade;
    mutable std::shared_ptr<NSDictionary> m_allHeaderFields;
};
