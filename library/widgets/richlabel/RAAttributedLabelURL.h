#pragma once
// One link of a rich label: what a tap hands on (for found web addresses the address text, for
// links the caller adds whatever it passed), the characters it covers (UTF-16 units) and its
// colour (nil: the label's link colour). The class also finds web addresses in plain text.

#include "platform/foundation/NSString.h"
#include "platform/net/NSURL.h"
#include "platform/uikit/UIColor.h"

#include <functional>
#include <optional>
#include <vector>

class RAAttributedLabelURL;
using RAAttributedLabelURLRef = std::shared_ptr<RAAttributedLabelURL>;

class RAAttributedLabelURL : public NSObject {
    NS_OBJECT(RAAttributedLabelURL, NSObject)
public:
    using Links = std::vector<RAAttributedLabelURLRef>;
    using DetectMethod = std::function<std::optional<Links>(const NSString& text)>;

    // urlWithLinkData:range:color:
    static RAAttributedLabelURLRef urlWithLinkData(const id& linkData, NSRange range, const UIColorRef& color)
    {
        return create(linkData, range, color);
    }

    // The addresses of the text in text order; nil for an empty text. An address ends at the
    // first character outside ASCII, so Chinese text around it stays out of the link.
    static std::optional<Links> detectLinks(const NSString& text);
    // One process-wide method used instead of the built-in search; nil goes back to it.
    static void setCustomDetectMethod(DetectMethod method);

    // The address to open for a found link text: "www." gains "http://", a bare "user@host"
    // becomes a mail address; nil when the result is not http, https or mailto.
    static std::shared_ptr<NSURL> openableURLForLinkData(const id& linkData);

    const id& linkData() const { return m_linkData; }
    void setLinkData(const id& linkData) { m_linkData = linkData; }
    NSRange range() const { return m_range; }
    void setRange(NSRange range) { m_range = range; }
    const UIColorRef& color() const { return m_color; }
    void setColor(const UIColorRef& color) { m_color = color; }

protected:
    void init(const id& linkData, NSRange range, const UIColorRef& color);

private:
    id m_linkData;
    NSRange m_range { 0, 0 };
    UIColorRef m_color;
};
