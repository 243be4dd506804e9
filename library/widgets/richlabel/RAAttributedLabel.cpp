#include "library/widgets/richlabel/RAAttributedLabel.h"

#include "library/widgets/richlabel/NSMutableAttributedString_RA.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSThread.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/CTFont.h"
#include "platform/text/CTFramesetter.h"
#include "platform/text/CTParagraphStyle.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UITouch.h"

#include <cmath>

namespace {

constexpr CGFloat kHitSlop = 5;
constexpr NSUInteger kShortestScannedText = 6;
constexpr NSUInteger kLongestInlineScan = 50;
// Layout rectangles are kept finite: callers ask for "as high as it takes" with the largest double.
constexpr CGFloat kLargestLayoutExtent = 1.0e7;

const unichar kAttachmentCharacter = 0xFFFC;

CGFloat ceilSingle(CGFloat value) { return CGFloat(std::ceil(float(value))); }
CGFloat roundSingle(CGFloat value) { return CGFloat(std::round(float(value))); }

bool rangesOverlap(NSRange a, NSRange b)
{
    return NSIntersectionRange(a, b).length > 0;
}

const dispatch_queue_t& parseQueue()
{
    static const dispatch_queue_t queue = dispatch_queue_create("com.ra.parse_queue", nullptr);
    return queue;
}

} // namespace

void RAAttributedLabel::init(CGRect frame)
{
    UIView::init(frame);
    m_attributedString = NSMutableAttributedString::withString(NSString::string());
    m_font = UIFont::systemFontOfSize(15);
    m_textColor = UIColor::blackColor();
    m_highlightColor = UIColor::colorWithRed(215.0 / 255, 242.0 / 255, 1.0, 1.0);
    m_linkColor = UIColor::blueColor();
    if (!backgroundColor())
        setBackgroundColor(UIColor::whiteColor());
    setUserInteractionEnabled(true);
    resetFont();
}

// MARK: Settings

void RAAttributedLabel::setFont(const UIFontRef& font)
{
    if (!font || font == m_font)
        return;
    m_font = font;
    NSMutableAttributedString_RA::setFont(*m_attributedString, font);
    resetFont();
    for (const auto& attachment : m_attachments) {
        attachment->setFontAscent(m_fontAscent);
        attachment->setFontDescent(m_fontDescent);
    }
    resetTextFrame();
}

void RAAttributedLabel::setTextColor(const UIColorRef& color)
{
    if (!color || color == m_textColor)
        return;
    m_textColor = color;
    NSMutableAttributedString_RA::setTextColor(*m_attributedString, color);
    resetTextFrame();
}

void RAAttributedLabel::setHighlightColor(const UIColorRef& color)
{
    if (!color || color == m_highlightColor)
        return;
    m_highlightColor = color;
    resetTextFrame();
}

void RAAttributedLabel::setLinkColor(const UIColorRef& color)
{
    if (color == m_linkColor)
        return;
    m_linkColor = color;
    resetTextFrame();
}

void RAAttributedLabel::setFrame(CGRect frame)
{
    const CGRect old = bounds();
    UIView::setFrame(frame);
    if (!CGRectEqualToRect(old, bounds()))
        resetTextFrame();
}

void RAAttributedLabel::setBounds(CGRect newBounds)
{
    const CGRect old = bounds();
    UIView::setBounds(newBounds);
    if (!CGRectEqualToRect(old, bounds()))
        resetTextFrame();
}

void RAAttributedLabel::resetFont()
{
    auto engineFont = m_font ? CTFontCreateWithName(m_font->fontName(), m_font->pointSize(), nullptr) : nullptr;
    if (!engineFont)
        return;
    m_fontAscent = CTFontGetAscent(engineFont);
    m_fontDescent = CTFontGetDescent(engineFont);
    m_fontHeight = CTFontGetSize(engineFont);
}

void RAAttributedLabel::resetTextFrame()
{
    m_textFrame.reset();
    if (NSThread::isMainThread() && !m_ignoreRedraw)
        setNeedsDisplay();
}

// MARK: Text

std::shared_ptr<NSMutableAttributedString> RAAttributedLabel::attributedStringFromText(const NSString& text) const
{
    if (text.length() == 0)
        return NSMutableAttributedString::withString(NSString::string());
    auto string = NSMutableAttributedString::withString(text);
    NSMutableAttributedString_RA::setFont(*string, m_font);
    NSMutableAttributedString_RA::setTextColor(*string, m_textColor);
    return string;
}

void RAAttributedLabel::setText(const NSString& text)
{
    setAttributedText(attributedStringFromText(text));
}

void RAAttributedLabel::setAttributedText(const std::shared_ptr<NSAttributedString>& text)
{
    NSAssertMainThread();
    m_attributedString = text ? text->mutableCopyAttributedString() : NSMutableAttributedString::withString(NSString::string());
    m_ignoreRedraw = false;
    m_linkDetected = false;
    m_attachments.clear();
    m_linkLocations.clear();
    m_touchedLink.reset();
    const auto children = subviews();
    for (const auto& child : children)
        child->removeFromSuperview();
    resetTextFrame();
}

void RAAttributedLabel::appendText(const NSString& text)
{
    appendAttributedText(attributedStringFromText(text));
}

void RAAttributedLabel::appendAttributedText(const std::shared_ptr<NSAttributedString>& text)
{
    if (text)
        m_attributedString->appendAttributedString(text);
    resetTextFrame();
}

void RAAttributedLabel::appendAttachment(const RAAttributedLabelAttachmentRef& attachment)
{
    if (!attachment)
        return;
    attachment->setFontAscent(m_fontAscent);
    attachment->setFontDescent(m_fontDescent);
    auto runDelegate = CTRunDelegateCreate(&RAAttributedLabelAttachment::runDelegateCallbacks(), attachment.get());
    auto placeholder = NSMutableAttributedString::withString(NSString::stringWithCharacters(&kAttachmentCharacter, 1));
    placeholder->setAttributes(ns::dictionary({ { kCTRunDelegateAttributeName, runDelegate } }), NSMakeRange(0, 1));
    m_attachments.push_back(attachment);
    appendAttributedText(placeholder);
}

void RAAttributedLabel::appendImage(const UIImageRef& image)
{
    appendImage(image, image ? image->size() : CGSizeZero, UIEdgeInsetsZero, 2);
}

void RAAttributedLabel::appendImage(const UIImageRef& image, CGSize maxSize)
{
    appendImage(image, maxSize, UIEdgeInsetsZero, 2);
}

void RAAttributedLabel::appendImage(const UIImageRef& image, CGSize maxSize, UIEdgeInsets margin)
{
    appendImage(image, maxSize, margin, 2);
}

void RAAttributedLabel::appendImage(const UIImageRef& image, CGSize maxSize, UIEdgeInsets margin, std::int32_t alignment)
{
    appendAttachment(RAAttributedLabelAttachment::attachmentWith(image, margin, alignment, maxSize));
}

void RAAttributedLabel::appendView(const UIViewRef& view)
{
    appendView(view, UIEdgeInsetsZero, 2);
}

void RAAttributedLabel::appendView(const UIViewRef& view, UIEdgeInsets margin)
{
    appendView(view, margin, 2);
}

void RAAttributedLabel::appendView(const UIViewRef& view, UIEdgeInsets margin, std::int32_t alignment)
{
    appendAttachment(RAAttributedLabelAttachment::attachmentWith(view, margin, alignment, CGSizeZero));
}

void RAAttributedLabel::addCustomLink(const id& linkData, NSRange range)
{
    addCustomLink(linkData, range, m_linkColor);
}

void RAAttributedLabel::addCustomLink(const id& linkData, NSRange range, const UIColorRef& linkColor)
{
    m_linkLocations.push_back(RAAttributedLabelURL::urlWithLinkData(linkData, range, linkColor));
    resetTextFrame();
}

void RAAttributedLabel::setCustomDetectMethod(RAAttributedLabelURL::DetectMethod method)
{
    RAAttributedLabelURL::setCustomDetectMethod(std::move(method));
}

// MARK: Layout

std::shared_ptr<NSMutableAttributedString> RAAttributedLabel::attributedStringForDraw() const
{
    if (!m_attributedString)
        return nullptr;
    auto string = m_attributedString->mutableCopyAttributedString();
    CTLineBreakMode lineBreak = CTLineBreakMode(m_lineBreakMode);
    // Tail truncation is done while drawing; the layout wraps.
    if (lineBreak == kCTLineBreakByTruncatingTail)
        lineBreak = m_numberOfLines == 1 ? kCTLineBreakByCharWrapping : kCTLineBreakByWordWrapping;
    const CTTextAlignment alignment = CTTextAlignment(m_textAlignment);
    const CGFloat lineSpacing = m_lineSpacing;
    const CGFloat paragraphSpacing = m_paragraphSpacing;
    const CGFloat minimumLineHeight = m_font ? m_font->lineHeight() : 0;
    const CTParagraphStyleSetting settings[] = {
        { kCTParagraphStyleSpecifierAlignment, sizeof alignment, &alignment },
        { kCTParagraphStyleSpecifierLineBreakMode, sizeof lineBreak, &lineBreak },
        { kCTParagraphStyleSpecifierMaximumLineSpacing, sizeof lineSpacing, &lineSpacing },
        { kCTParagraphStyleSpecifierMinimumLineSpacing, sizeof lineSpacing, &lineSpacing },
        { kCTParagraphStyleSpecifierParagraphSpacing, sizeof paragraphSpacing, &paragraphSpacing },
        { kCTParagraphStyleSpecifierMinimumLineHeight, sizeof minimumLineHeight, &minimumLineHeight },
    };
    const NSRange whole = NSMakeRange(0, string->length());
    if (whole.length)
        string->addAttribute(kCTParagraphStyleAttributeName, CTParagraphStyleCreate(settings, std::size(settings)), whole);
    for (const auto& link : m_linkLocations) {
        const NSRange range = link->range();
        if (range.location + range.length > string->length())
            continue;
        NSMutableAttributedString_RA::setTextColor(*string, link->color() ? link->color() : m_linkColor, range);
        NSMutableAttributedString_RA::setUnderlineStyle(*string, m_underLineForLink ? kCTUnderlineStyleSingle : kCTUnderlineStyleNone,
            kCTUnderlinePatternSolid, range);
    }
    return string;
}

CGSize RAAttributedLabel::sizeThatFits(CGSize size) const
{
    auto string = attributedStringForDraw();
    if (!string)
        return CGSizeZero;
    const CGSize constraints = CGSizeMake(std::min(size.width, kLargestLayoutExtent), std::min(size.height, kLargestLayoutExtent));
    auto framesetter = CTFramesetterCreateWithAttributedString(string);
    CFIndex length = 0;
    if (m_numberOfLines >= 1 && framesetter) {
        auto path = CGPathCreateWithRect(CGRectMake(0, 0, constraints.width, constraints.height), nullptr);
        auto frame = CTFramesetterCreateFrame(framesetter, CFRangeMake(0, 0), path, nullptr);
        const auto lines = CTFrameGetLines(frame);
        if (!lines.empty()) {
            const auto& last = lines[std::min<std::size_t>(std::size_t(m_numberOfLines), lines.size()) - 1];
            const CFRange range = CTLineGetStringRange(last);
            length = range.location + range.length;
        }
    }
    const CGSize suggested = CTFramesetterSuggestFrameSizeWithConstraints(framesetter, CFRangeMake(0, length), nullptr, constraints, nullptr);
    const CGFloat height = ceilSingle(suggested.height) + 4;
    const CGFloat width = suggested.height < m_fontHeight * 2 ? ceilSingle(suggested.width) + 2 : size.width;
    return CGSizeMake(width, height);
}

CGSize RAAttributedLabel::intrinsicContentSize() const
{
    return sizeThatFits(CGSizeMake(bounds().size.width, CGFLOAT_MAX));
}

NSInteger RAAttributedLabel::numberOfDisplayedLines() const
{
    if (!m_textFrame)
        return 0;
    const NSInteger count = NSInteger(m_textFrame->lines().size());
    return m_numberOfLines >= 1 ? std::min(count, m_numberOfLines) : count;
}

CGAffineTransform RAAttributedLabel::transformForCoreText() const
{
    return CGAffineTransformScale(CGAffineTransformMakeTranslation(0, bounds().size.height), 1, -1);
}

CGRect RAAttributedLabel::getLineBounds(const CTLineRef& line, CGPoint point) const
{
    CGFloat ascent = 0, descent = 0, leading = 0;
    const CGFloat width = CGFloat(CTLineGetTypographicBounds(line, &ascent, &descent, &leading));
    return CGRectMake(point.x, point.y - descent, width, ascent + descent);
}

CGRect RAAttributedLabel::rectForRange(NSRange range, const CTLineRef& line, CGPoint lineOrigin) const
{
    CGRect result = CGRectNull;
    for (const auto& run : CTLineGetGlyphRuns(line)) {
        const CFRange runRange = CTRunGetStringRange(run);
        if (!rangesOverlap(NSMakeRange(NSUInteger(runRange.location), NSUInteger(runRange.length)), range))
            continue;
        CGFloat ascent = 0, descent = 0, leading = 0;
        const CGFloat width = CGFloat(CTRunGetTypographicBounds(run, CFRangeMake(0, 0), &ascent, &descent, &leading));
        const CGFloat x = lineOrigin.x + CTLineGetOffsetForStringIndex(line, runRange.location, nullptr);
        const CGRect runRect = CGRectMake(roundSingle(x), roundSingle(lineOrigin.y - descent), roundSingle(width), roundSingle(ascent + descent));
        result = CGRectIsNull(result) || CGRectIsEmpty(result) ? runRect : CGRectUnion(result, runRect);
    }
    return CGRectIsNull(result) ? CGRectZero : result;
}

// MARK: Drawing

void RAAttributedLabel::prepareTextFrame(const std::shared_ptr<NSAttributedString>& string, CGRect rect)
{
    if (m_textFrame)
        return;
    auto framesetter = CTFramesetterCreateWithAttributedString(string);
    auto path = CGPathCreateWithRect(rect, nullptr);
    m_textFrame = CTFramesetterCreateFrame(framesetter, CFRangeMake(0, 0), path, nullptr);
}

void RAAttributedLabel::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    // The whole bounds are laid out: the label only ever asks for full redraws.
    const CGRect rect = bounds();
    CGContextSaveGState(context);
    CGContextConcatCTM(context, transformForCoreText());
    recomputeLinksIfNeeded();
    if (auto string = attributedStringForDraw()) {
        prepareTextFrame(string, CGRectMake(0, 0, rect.size.width, rect.size.height));
        drawHighlightWithRect(rect, context);
        drawAttachments(context);
        drawText(string, rect, context);
    }
    CGContextRestoreGState(context);
}

void RAAttributedLabel::drawHighlightWithRect(CGRect rect, const CGContextRef& context)
{
    if (!m_touchedLink || !m_highlightColor || !m_textFrame)
        return;
    CGContextSetFillColorWithColor(context, m_highlightColor->CGColor());
    const auto& lines = m_textFrame->lines();
    const auto& origins = m_textFrame->lineOrigins();
    const NSRange linkRange = m_touchedLink->range();
    for (NSInteger i = 0; i < numberOfDisplayedLines(); ++i) {
        const auto& line = lines[std::size_t(i)];
        const CFRange lineRange = CTLineGetStringRange(line);
        if (!rangesOverlap(NSMakeRange(NSUInteger(lineRange.location), NSUInteger(lineRange.length)), linkRange))
            continue;
        CGRect box = rectForRange(linkRange, line, origins[std::size_t(i)]);
        box.origin.y -= rect.origin.y;
        if (CGRectIsEmpty(box))
            continue;
        const CGFloat x = box.origin.x, y = box.origin.y, w = box.size.width, h = box.size.height;
        CGContextBeginPath(context);
        CGContextMoveToPoint(context, x, y + 1);
        CGContextAddLineToPoint(context, x, y + h - 1);
        CGContextAddArc(context, x + 1, y + h - 1, 1, M_PI, M_PI / 2, 1);
        CGContextAddLineToPoint(context, x + w - 1, y + h);
        CGContextAddArc(context, x + w - 1, y + h - 1, 1, M_PI / 2, 0, 1);
        CGContextAddLineToPoint(context, x + w, y + 1);
        CGContextAddArc(context, x + w - 1, y + 1, 1, 0, -M_PI / 2, 1);
        CGContextAddLineToPoint(context, x + 1, y);
        CGContextAddArc(context, x + 1, y + 1, 1, -M_PI / 2, M_PI, 1);
        CGContextFillPath(context);
    }
}

void RAAttributedLabel::drawAttachments(const CGContextRef& context)
{
    if (m_attachments.empty() || !context || !m_textFrame)
        return;
    const auto& lines = m_textFrame->lines();
    const auto& origins = m_textFrame->lineOrigins();
    const NSInteger displayed = numberOfDisplayedLines();
    const CGFloat boundsHeight = bounds().size.height;
    for (NSInteger i = 0; i < displayed; ++i) {
        const auto& line = lines[std::size_t(i)];
        const CGPoint origin = origins[std::size_t(i)];
        CGFloat lineAscent = 0, lineDescent = 0, lineLeading = 0;
        CTLineGetTypographicBounds(line, &lineAscent, &lineDescent, &lineLeading);
        const CGFloat lineHeight = lineAscent + lineDescent;
        const CGFloat lineBottom = origin.y - lineDescent;
        const auto runs = CTLineGetGlyphRuns(line);
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const auto& run = runs[r];
            auto runDelegate = ns::cast<CTRunDelegate>(CTRunGetAttributes(run)->objectForKey(kCTRunDelegateAttributeName));
            if (!runDelegate)
                continue;
            auto* attachment = static_cast<RAAttributedLabelAttachment*>(CTRunDelegateGetRefCon(runDelegate));
            if (!attachment)
                continue;
            const CGFloat boxHeight = attachment->boxSize().height;
            const CGFloat runWidth = CGFloat(CTRunGetTypographicBounds(run, CFRangeMake(0, 0), nullptr, nullptr, nullptr));
            const CGFloat runX = CTLineGetOffsetForStringIndex(line, CTRunGetStringRange(run).location, nullptr);
            CGFloat y = lineBottom;
            switch (attachment->alignment()) {
            case 0:
                y = lineBottom + (lineHeight - boxHeight);
                break;
            case 1:
                y = lineBottom + (lineHeight - boxHeight) / 2;
                break;
            default:
                break;
            }
            const UIEdgeInsets margin = attachment->margin();
            const CGRect content = CGRectMake(origin.x + runX + margin.left, y + margin.bottom, runWidth - (margin.left + margin.right),
                boxHeight - (margin.top + margin.bottom));
            // On a tail-truncated last line, an object with no room for the "…" after it is left out.
            if (i == displayed - 1 && r + 2 >= runs.size() && m_lineBreakMode == kCTLineBreakByTruncatingTail) {
                const CGFloat room = bounds().size.width - CGRectGetMinX(content) - content.size.width;
                if (room < content.size.width)
                    continue;
            }
            const id& object = attachment->content();
            if (auto image = ns::cast<UIImage>(object)) {
                CGContextDrawImage(context, content, image->CGImage());
            } else if (auto view = ns::cast<UIView>(object)) {
                if (!view->superview())
                    addSubview(view);
                view->setFrame(CGRectMake(content.origin.x, boundsHeight - content.origin.y - content.size.height, content.size.width,
                    content.size.height));
            } else {
                NSLog("Attachment Content Not Supported %@", object);
            }
        }
    }
}

void RAAttributedLabel::drawText(const std::shared_ptr<NSAttributedString>& string, CGRect rect, const CGContextRef& context)
{
    if (!m_textFrame)
        return;
    if (m_numberOfLines < 1) {
        CTFrameDraw(m_textFrame, context);
        return;
    }
    const auto& lines = m_textFrame->lines();
    const auto& origins = m_textFrame->lineOrigins();
    const NSInteger displayed = numberOfDisplayedLines();
    for (NSInteger i = 0; i < displayed; ++i) {
        const auto& line = lines[std::size_t(i)];
        const CGPoint origin = origins[std::size_t(i)];
        CGContextSetTextPosition(context, origin.x, origin.y);
        const CFRange lineRange = CTLineGetStringRange(line);
        const NSUInteger lineEnd = NSUInteger(lineRange.location + lineRange.length);
        if (i == displayed - 1 && m_lineBreakMode == kCTLineBreakByTruncatingTail && lineEnd < string->length()) {
            const NSUInteger lastIndex = lineEnd > 0 ? lineEnd - 1 : 0;
            auto tokenString = NSAttributedString::withString(NSString("…"), string->attributesAtIndex(lastIndex));
            auto token = CTLineCreateWithAttributedString(tokenString);
            auto shortened = string->attributedSubstringFromRange(NSMakeRange(NSUInteger(lineRange.location), NSUInteger(lineRange.length)))
                                 ->mutableCopyAttributedString();
            if (shortened->length() > 0)
                shortened->deleteCharactersInRange(NSMakeRange(shortened->length() - 1, 1));
            shortened->appendAttributedString(tokenString);
            auto truncated = CTLineCreateTruncatedLine(CTLineCreateWithAttributedString(shortened), rect.size.width, kCTLineTruncationEnd, token);
            CTLineDraw(truncated ? truncated : token, context);
            continue;
        }
        CTLineDraw(line, context);
    }
}

// MARK: Links

RAAttributedLabelURLRef RAAttributedLabel::linkAtIndex(CFIndex index) const
{
    if (index < 0)
        return nullptr;
    for (const auto& link : m_linkLocations) {
        if (NSLocationInRange(NSUInteger(index), link->range()))
            return link;
    }
    return nullptr;
}

RAAttributedLabelURLRef RAAttributedLabel::urlForPoint(CGPoint point) const
{
    const CGRect area = CGRectInset(bounds(), 0, -kHitSlop);
    if (!CGRectContainsPoint(area, point) || !m_textFrame || m_textFrame->lines().empty())
        return nullptr;
    const auto& lines = m_textFrame->lines();
    const auto& origins = m_textFrame->lineOrigins();
    const CGAffineTransform flip = transformForCoreText();
    // Only the lines shown: text cut off by the line limit has no links to touch.
    for (NSInteger i = 0; i < numberOfDisplayedLines(); ++i) {
        const auto& line = lines[std::size_t(i)];
        const CGRect lineRect = CGRectInset(CGRectApplyAffineTransform(getLineBounds(line, origins[std::size_t(i)]), flip), 0, -kHitSlop);
        if (!CGRectContainsPoint(lineRect, point))
            continue;
        const CFIndex index = CTLineGetStringIndexForPosition(line, CGPointMake(point.x - lineRect.origin.x, 0));
        if (auto link = linkAtIndex(index))
            return link;
    }
    return nullptr;
}

id RAAttributedLabel::linkDataForPoint(CGPoint point) const
{
    auto link = urlForPoint(point);
    return link ? link->linkData() : nullptr;
}

bool RAAttributedLabel::onLabelClick(CGPoint point)
{
    const id linkData = linkDataForPoint(point);
    if (!linkData)
        return false;
    if (auto delegate = this->delegate(); delegate && delegate->clickedOnLink(*this, linkData))
        return true;
    if (auto url = RAAttributedLabelURL::openableURLForLinkData(linkData))
        UIApplication::sharedApplication()->openURL(url);
    return true;
}

void RAAttributedLabel::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    auto touch = touches.anyObject();
    m_touchBeganLink = touch ? urlForPoint(touch->locationInView(self())) : nullptr;
    m_touchedLink = m_touchBeganLink;
    m_touchForwarded = !m_touchBeganLink;
    if (m_touchForwarded)
        UIView::touchesBegan(touches, event);
    else
        setNeedsDisplay();
}

void RAAttributedLabel::touchesMoved(const UITouchSet& touches, const UIEventRef& event)
{
    if (m_touchForwarded) {
        UIView::touchesMoved(touches, event);
        return;
    }
    auto touch = touches.anyObject();
    auto link = touch ? urlForPoint(touch->locationInView(self())) : nullptr;
    // The highlight shows while the finger is on the link it came down on.
    auto shown = link == m_touchBeganLink ? link : nullptr;
    if (shown != m_touchedLink) {
        m_touchedLink = shown;
        setNeedsDisplay();
    }
}

void RAAttributedLabel::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    if (m_touchForwarded) {
        m_touchForwarded = false;
        UIView::touchesEnded(touches, event);
        return;
    }
    auto touch = touches.anyObject();
    const CGPoint point = touch ? touch->locationInView(self()) : CGPointZero;
    // A link opens only when the finger lifts on the link it came down on.
    if (m_touchBeganLink && urlForPoint(point) == m_touchBeganLink)
        onLabelClick(point);
    m_touchBeganLink.reset();
    if (m_touchedLink) {
        m_touchedLink.reset();
        setNeedsDisplay();
    }
}

void RAAttributedLabel::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    if (m_touchForwarded) {
        m_touchForwarded = false;
        UIView::touchesCancelled(touches, event);
    }
    m_touchBeganLink.reset();
    if (m_touchedLink) {
        m_touchedLink.reset();
        setNeedsDisplay();
    }
}

// MARK: Link detection

void RAAttributedLabel::recomputeLinksIfNeeded()
{
    if (!m_autoDetectLinks || m_linkDetected)
        return;
    const NSString text = m_attributedString->string().copy();
    if (text.length() < kShortestScannedText)
        return;
    computeLink(text, text.length() <= kLongestInlineScan);
}

void RAAttributedLabel::computeLink(const NSString& text, bool sync)
{
    if (sync) {
        m_ignoreRedraw = true;
        linksDetected(RAAttributedLabelURL::detectLinks(text));
        m_ignoreRedraw = false;
        return;
    }
    std::weak_ptr<RAAttributedLabel> weakSelf = self();
    dispatch_sync(parseQueue(), [weakSelf, text] {
        auto links = RAAttributedLabelURL::detectLinks(text);
        dispatch_async(dispatch_get_main_queue(), [weakSelf, text, links] {
            auto strongSelf = weakSelf.lock();
            // A result for a text that has since been replaced is dropped.
            if (strongSelf && strongSelf->m_attributedString->string().isEqualToString(text))
                strongSelf->linksDetected(links);
        });
    });
}

void RAAttributedLabel::linksDetected(const std::optional<RAAttributedLabelURL::Links>& links)
{
    m_linkDetected = true;
    if (!links || links->empty())
        return;
    for (const auto& link : *links)
        addAutoDetectedLink(link);
    resetTextFrame();
}

void RAAttributedLabel::addAutoDetectedLink(const RAAttributedLabelURLRef& link)
{
    if (!link)
        return;
    for (const auto& existing : m_linkLocations) {
        if (rangesOverlap(existing->range(), link->range()))
            return;
    }
    addCustomLink(link->linkData(), link->range());
}
