#include "platform/text/CTFramesetter.h"

#include "platform/text/TextLayout.h"

#include <algorithm>

namespace {

// The range asked for, clipped to the text; length 0 runs to the end.
NSRange rangeIn(const NSAttributedString& string, CFRange range)
{
    const NSUInteger length = string.length();
    const NSUInteger location = std::min<NSUInteger>(static_cast<NSUInteger>(std::max<CFIndex>(0, range.location)), length);
    const NSUInteger count = range.length <= 0 ? length - location : std::min<NSUInteger>(static_cast<NSUInteger>(range.length), length - location);
    return NSMakeRange(location, count);
}

CFRange cfRange(NSRange range)
{
    return CFRangeMake(static_cast<CFIndex>(range.location), static_cast<CFIndex>(range.length));
}

} // namespace

void CTFramesetter::init(const std::shared_ptr<NSAttributedString>& string)
{
    // A mutable string copies into an immutable one: later edits do not reach the frames.
    m_string = string ? std::static_pointer_cast<NSAttributedString>(string->copy()) : NSAttributedString::create();
}

CTFramesetterRef CTFramesetterCreateWithAttributedString(const std::shared_ptr<NSAttributedString>& string)
{
    return CTFramesetter::create(string);
}

CTFrameRef CTFramesetterCreateFrame(const CTFramesetterRef& framesetter, CFRange stringRange, const CGPathRef& path, const NSAttributes&)
{
    if (!framesetter || !path)
        return nullptr;
    const CGRect bounds = CGRectStandardize(CGPathGetBoundingBox(path));
    if (CGRectIsNull(bounds))
        return nullptr;
    const auto& string = framesetter->attributedString();
    const NSRange range = rangeIn(*string, stringRange);
    TextLayout::Options options;
    options.size = bounds.size;
    const TextLayout layout(string, range, options);

    std::vector<CTLineRef> lines;
    std::vector<CGPoint> origins;
    for (const auto& placed : layout.lines()) {
        lines.push_back(placed.line);
        origins.push_back(CGPointMake(placed.origin.x, bounds.size.height - placed.origin.y));
    }
    return CTFrame::create(std::move(lines), std::move(origins), path, bounds, cfRange(range), cfRange(layout.visibleRange()));
}

CGSize CTFramesetterSuggestFrameSizeWithConstraints(const CTFramesetterRef& framesetter, CFRange stringRange, const NSAttributes&,
    CGSize constraints, CFRange* fitRange)
{
    if (!framesetter) {
        if (fitRange)
            *fitRange = CFRangeMake(0, 0);
        return CGSizeZero;
    }
    const auto& string = framesetter->attributedString();
    const NSRange range = rangeIn(*string, stringRange);
    TextLayout::Options options;
    options.size = constraints;
    if (options.size.width <= 0)
        options.size.width = CGFLOAT_MAX;
    if (options.size.height <= 0)
        options.size.height = CGFLOAT_MAX;
    const TextLayout layout(string, range, options);
    if (fitRange)
        *fitRange = cfRange(layout.visibleRange());
    return layout.usedSize();
}
