#pragma once
// Makes frames of an attributed string, and tells the size a frame needs; both stack lines the
// same way, so a frame of the suggested size holds every line.

#include "platform/text/CTFrame.h"

class CTFramesetter : public NSObject {
    NS_OBJECT(CTFramesetter, NSObject)
public:
    const std::shared_ptr<NSAttributedString>& attributedString() const { return m_string; }

protected:
    void init(const std::shared_ptr<NSAttributedString>& string);

private:
    std::shared_ptr<NSAttributedString> m_string;
};

using CTFramesetterRef = std::shared_ptr<CTFramesetter>;

CTFramesetterRef CTFramesetterCreateWithAttributedString(const std::shared_ptr<NSAttributedString>& string);
// The frame of a range (length 0: to the end) in the bounding box of the path.
CTFrameRef CTFramesetterCreateFrame(const CTFramesetterRef& framesetter, CFRange stringRange, const CGPathRef& path,
    const NSAttributes& frameAttributes);
CGSize CTFramesetterSuggestFrameSizeWithConstraints(const CTFramesetterRef& framesetter, CFRange stringRange,
    const NSAttributes& frameAttributes, CGSize constraints, CFRange* fitRange);
