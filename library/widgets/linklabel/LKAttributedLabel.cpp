#include "library/widgets/linklabel/LKAttributedLabel.h"

#include "library/widgets/linklabel/LKAttributeCoding.h"
#include "library/widgets/linklabel/LKRunDecorations.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/net/NSURL.h"
#include "platform/text/CTFrame.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>
#include <cmath>

namespace {

const bool registeredForCoding = NSCoder::registerClass<LKAttributedLabel>();

constexpr CGFloat kTall = 100000;

bool rangeWithin(NSRange range, NSUInteger length)
{
    return range.location != NSNotFound && range.length > 0 && range.location <= length && range.length <= length - range.location;
}

id numbers(std::initializer_list<double> values)
{
    auto array = NSMutableArray::array();
    for (double value : values)
        array->addObject(NSNumber::numberWithDouble(value));
    return array;
}

std::vector<double> numbersFrom(const id& value, std::size_t count)
{
    auto array = ns::arrayValue(value);
    std::vector<double> out;
    for (NSUInteger i = 0; array && array->count() == count && i < count; ++i) {
        auto number = ns::cast<NSNumber>(array->objectAtIndex(i));
        if (!number || !std::isfinite(number->doubleValue()))
            return {};
        out.push_back(number->doubleValue());
    }
    return out;
}

// The text with every font scaled, for a label that shrinks its text to fit.
std::shared_ptr<NSAttributedString> scaledCopy(const std::shared_ptr<NSAttributedString>& text, CGFloat scale)
{
    auto copy = text->mutableCopyAttributedString();
    text->enumerateAttribute(kCTFontAttributeName, NSRange { 0, text->length() }, 0, [&](const id& value, NSRange range, bool&) {
        if (auto font = ns::cast<UIFont>(value))
            copy->addAttribute(kCTFontAttributeName, UIFont::fontWithName(font->fontName(), std::max<CGFloat>(1, std::floor(font->pointSize() * scale))), range);
    });
    return copy;
}

// The text with paragraphs that the engine would keep on one line (truncating or clipping) made
// to wrap, so that the label cuts the last line that fits with its own token.
std::shared_ptr<NSAttributedString> wrapping(const std::shared_ptr<NSAttributedString>& text)
{
    std::shared_ptr<NSMutableAttributedString> copy;
    text->enumerateAttribute(kCTParagraphStyleAttributeName, NSRange { 0, text->length() }, 0, [&](const id& value, NSRange range, bool&) {
        auto style = ns::cast<NSParagraphStyle>(value);
        if (!style || style->lineBreakMode() == NSLineBreakByWordWrapping || style->lineBreakMode() == NSLineBreakByCharWrapping)
            return;
        auto wrapped = std::static_pointer_cast<NSMutableParagraphStyle>(style->mutableCopy());
        wrapped->setLineBreakMode(NSLineBreakByWordWrapping);
        if (!copy)
            copy = text->mutableCopyAttributedString();
        copy->addAttribute(kCTParagraphStyleAttributeName, wrapped, range);
    });
    return copy ? std::static_pointer_cast<NSAttributedString>(copy) : text;
}

bool truncates(NSLineBreakMode mode)
{
    return mode == NSLineBreakByTruncatingHead || mode == NSLineBreakByTruncatingTail || mode == NSLineBreakByTruncatingMiddle;
}

CGFloat flushFactor(NSTextAlignment alignment)
{
    return alignment == NSTextAlignmentCenter ? 0.5 : alignment == NSTextAlignmentRight ? 1.0 : 0.0;
}

} // namespace

// The lines as drawn in a rectangle, in the label's own space (y down), with the cut last line.
struct LKAttributedLabel::Layout {
    CGRect inset { };
    std::vector<CTLineRef> lines;     // as laid out
    std::vector<CTLineRef> drawn;     // as drawn: the last one may be cut
    std::vector<CGPoint> origins;     // x of the line start, y of its baseline
    bool truncated { false };
    CGFloat keptWidth { 0 };          // of the cut line's own text, before the token
    std::shared_ptr<NSAttributedString> token;
    NSRange tokenRange { NSNotFound, 0 };

    std::vector<LKRunDecorations::PlacedLine> placed() const
    {
        std::vector<LKRunDecorations::PlacedLine> out;
        for (std::size_t i = 0; i < drawn.size(); ++i)
            out.push_back({ drawn[i], origins[i] });
        return out;
    }
};

void LKAttributedLabel::init(CGRect frame)
{
    UILabel::init(frame);
    commonInit();
}

void LKAttributedLabel::commonInit()
{
    (void)registeredForCoding;
    setUserInteractionEnabled(true);
    setMultipleTouchEnabled(false);
    m_linkAttributes = ns::dictionary({ { kCTUnderlineStyleAttributeName, NSNumber::numberWithBool(true) }, { kCTForegroundColorAttributeName, UIColor::blueColor() } });
    m_activeLinkAttributes = ns::dictionary({ { kCTUnderlineStyleAttributeName, NSNumber::numberWithBool(false) }, { kCTForegroundColorAttributeName, UIColor::redColor() } });
    m_inactiveLinkAttributes = ns::dictionary({ { kCTUnderlineStyleAttributeName, NSNumber::numberWithBool(false) }, { kCTForegroundColorAttributeName, UIColor::grayColor() } });
    m_longPressGestureRecognizer = UILongPressGestureRecognizer::create(self(), &LKAttributedLabel::longPressGestureDidFire);
    m_longPressGestureRecognizer->setDelegate(std::static_pointer_cast<UIGestureRecognizerDelegate>(self()));
    addGestureRecognizer(m_longPressGestureRecognizer);
}

std::shared_ptr<NSDictionary> LKAttributedLabel::labelAttributes() const
{
    auto style = NSMutableParagraphStyle::create();
    style->setAlignment(textAlignment());
    style->setLineSpacing(m_lineSpacing);
    const CGFloat fontLine = font() ? font()->lineHeight() * m_lineHeightMultiple : 0;
    style->setMinimumLineHeight(m_minimumLineHeight > 0 ? m_minimumLineHeight : fontLine);
    style->setMaximumLineHeight(m_maximumLineHeight > 0 ? m_maximumLineHeight : fontLine);
    style->setLineHeightMultiple(m_lineHeightMultiple);
    style->setFirstLineHeadIndent(m_firstLineIndent);
    style->setLineBreakMode(numberOfLines() == 1 ? lineBreakMode() : NSLineBreakByWordWrapping);
    auto attributes = NSMutableDictionary::dictionary();
    if (font())
        attributes->setObject(font(), NSString(kCTFontAttributeName));
    attributes->setObject(textColor() ? textColor() : UIColor::blackColor(), NSString(kCTForegroundColorAttributeName));
    attributes->setObject(NSNumber::numberWithDouble(m_kern), NSString(kCTKernAttributeName));
    attributes->setObject(style->copy(), NSString(kCTParagraphStyleAttributeName));
    return std::static_pointer_cast<NSDictionary>(attributes->copy());
}

void LKAttributedLabel::setText(const NSString& text)
{
    setText(text, nullptr);
}

void LKAttributedLabel::setText(const NSString& text, const ConfigureBlock& block)
{
    if (text.isNil())
        return setText(std::shared_ptr<NSAttributedString>());
    setText(NSAttributedString::create(text), block);
}

void LKAttributedLabel::setText(const std::shared_ptr<NSAttributedString>& text, const ConfigureBlock& block)
{
    if (!text)
        return setText(std::shared_ptr<NSAttributedString>());
    auto styled = text->mutableCopyAttributedString();
    if (styled->length() > 0)
        styled->addAttributes(labelAttributes(), NSRange { 0, styled->length() });
    if (block)
        styled = block(styled);
    setText(std::static_pointer_cast<NSAttributedString>(styled));
}

void LKAttributedLabel::setText(const std::shared_ptr<NSAttributedString>& text)
{
    if (text && m_attributedText && text->isEqualToAttributedString(m_attributedText) && m_linkModels.empty() && !m_activeLink)
        return;
    // The saved look of a pressed link belongs to the old text: the new one wins.
    m_activeLink = nullptr;
    m_inactiveAttributedText = nullptr;
    m_tokenLink = nullptr;
    storeAttributedText(text);
    setLinkModels({});
    if (!text)
        return;
    // Only text and URLs make links; other values under the key are not addresses.
    text->enumerateAttribute(NSLinkAttributeName, NSRange { 0, text->length() }, 0, [&](const id& value, NSRange range, bool&) {
        if (auto url = ns::cast<NSURL>(value))
            addLinkToURL(url, range);
        else if (ns::cast<NSStringObject>(value))
            if (auto parsed = NSURL::URLWithString(ns::textOf(value)))
                addLinkToURL(parsed, range);
    });
    if (m_enabledTextCheckingTypes && m_dataDetector)
        detectLinksInBackground(text);
}

void LKAttributedLabel::setEnabledTextCheckingTypes(NSTextCheckingTypes types)
{
    if (types == m_enabledTextCheckingTypes)
        return;
    m_enabledTextCheckingTypes = types;
    m_dataDetector = types ? NSDataDetector::dataDetectorWithTypes(types) : nullptr;
}

void LKAttributedLabel::detectLinksInBackground(const std::shared_ptr<NSAttributedString>& text)
{
    std::weak_ptr<LKAttributedLabel> weakSelf = self();
    const NSString searched = text->string();
    auto detector = m_dataDetector;
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [weakSelf, searched, detector] {
        if (weakSelf.expired())
            return;
        auto results = detector->matches(searched, 0, NSRange { 0, searched.length() });
        if (results.empty())
            return;
        // Handed over without waiting: the main thread never blocks on this queue, and a newer
        // text by then discards what was found in the old one.
        dispatch_async(dispatch_get_main_queue(), [weakSelf, searched, results = std::move(results)] {
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf || !protectedSelf->m_attributedText || !protectedSelf->m_attributedText->string().isEqualToString(searched))
                return;
            protectedSelf->addLinksWithTextCheckingResults(results, protectedSelf->m_linkAttributes);
        });
    });
}

void LKAttributedLabel::storeAttributedText(const std::shared_ptr<NSAttributedString>& text)
{
    m_attributedText = text ? std::static_pointer_cast<NSAttributedString>(text->copy()) : nullptr;
    setNeedsFramesetter();
    UILabel::setText(text ? text->string() : NSString());
    setNeedsDisplay();
    invalidateIntrinsicContentSize();
}

void LKAttributedLabel::setAttributedText(const std::shared_ptr<NSAttributedString>& text)
{
    if (text == m_attributedText || (text && m_attributedText && text->isEqualToAttributedString(m_attributedText)))
        return;
    storeAttributedText(text);
}

void LKAttributedLabel::setTextColor(const UIColorRef& color)
{
    const UIColorRef before = textColor();
    UILabel::setTextColor(color);
    if (textColor() != before) {
        setNeedsFramesetter();
        setNeedsDisplay();
    }
}

void LKAttributedLabel::setFont(const UIFontRef& newFont)
{
    const UIFontRef before = font();
    UILabel::setFont(newFont);
    if (font() != before) {
        setNeedsFramesetter();
        setNeedsDisplay();
    }
}

void LKAttributedLabel::setHighlightedTextColor(const UIColorRef& color)
{
    const UIColorRef before = highlightedTextColor();
    UILabel::setHighlightedTextColor(color);
    if (highlightedTextColor() != before)
        m_highlightFramesetter = nullptr;
}

void LKAttributedLabel::setTruncationTokenString(const NSString& token)
{
    m_truncationTokenString = token;
    truncationTokenDidChange();
}

void LKAttributedLabel::setTruncationTokenStringAttributes(const std::shared_ptr<NSDictionary>& attributes)
{
    m_truncationTokenStringAttributes = attributes;
    truncationTokenDidChange();
}

void LKAttributedLabel::setAttributedTruncationToken(const std::shared_ptr<NSAttributedString>& token)
{
    m_attributedTruncationToken = token;
    truncationTokenDidChange();
}

void LKAttributedLabel::truncationTokenDidChange()
{
    m_boundsLayout = nullptr;
    setNeedsDisplay();
}

void LKAttributedLabel::setNeedsFramesetter()
{
    m_renderedAttributedText = nullptr;
    m_boundsLayout = nullptr;
    m_needsFramesetter = true;
}

CTFramesetterRef LKAttributedLabel::framesetter() const
{
    if (m_needsFramesetter) {
        auto rendered = renderedAttributedText();
        m_framesetter = rendered ? CTFramesetterCreateWithAttributedString(rendered) : nullptr;
        m_highlightFramesetter = nullptr;
        m_needsFramesetter = false;
    }
    return m_framesetter;
}

const LKAttributedLabel::Layout& LKAttributedLabel::boundsLayout() const
{
    const CGRect area = bounds();
    const std::vector<double> key { area.origin.x, area.origin.y, area.size.width, area.size.height, double(numberOfLines()), double(lineBreakMode()),
        double(textAlignment()), m_textInsets.top, m_textInsets.left, m_textInsets.bottom, m_textInsets.right, double(m_verticalAlignment),
        double(adjustsFontSizeToFitWidth()), minimumScaleFactor() };
    if (!m_boundsLayout || m_boundsLayout->first != key) {
        auto rendered = renderedAttributedText();
        m_boundsLayout = std::make_shared<const std::pair<std::vector<double>, Layout>>(key, layoutIn(area, rendered, framesetter()));
    }
    return m_boundsLayout->second;
}

std::shared_ptr<NSAttributedString> LKAttributedLabel::renderedAttributedText() const
{
    if (!m_attributedText)
        return nullptr;
    if (m_renderedAttributedText)
        return m_renderedAttributedText;
    auto rendered = m_attributedText->mutableCopyAttributedString();
    const NSRange all { 0, rendered->length() };
    if (font())
        m_attributedText->enumerateAttribute(kCTFontAttributeName, all, 0, [&](const id& present, NSRange range, bool&) {
            if (!present)
                rendered->addAttribute(kCTFontAttributeName, font(), range);
        });
    // Either colour key counts as the range's own colour.
    auto colour = textColor() ? textColor() : UIColor::blackColor();
    m_attributedText->enumerateAttribute(NSForegroundColorAttributeName, all, 0, [&](const id& present, NSRange range, bool&) {
        if (present)
            return;
        m_attributedText->enumerateAttribute(kCTForegroundColorAttributeName, range, 0, [&](const id& own, NSRange inner, bool&) {
            if (!own)
                rendered->addAttribute(NSForegroundColorAttributeName, colour, inner);
        });
    });
    // A range asking for the context's colour takes the label's and nothing else of its own.
    m_attributedText->enumerateAttribute(kCTForegroundColorFromContextAttributeName, all, 0, [&](const id& present, NSRange range, bool&) {
        if (present)
            rendered->setAttributes(ns::dictionary({ { kCTFontAttributeName, font() }, { NSForegroundColorAttributeName, colour } }), range);
    });
    m_renderedAttributedText = rendered;
    return rendered;
}

CGSize LKAttributedLabel::sizeThatFitsAttributedString(const std::shared_ptr<NSAttributedString>& text, CGSize constraints, NSUInteger numberOfLines)
{
    if (!text || text->length() == 0)
        return CGSizeZero;
    // Measured as drawn: more than one line wraps whatever the paragraphs' break mode.
    auto framesetter = CTFramesetterCreateWithAttributedString(numberOfLines == 1 ? text : wrapping(text));
    // No width to wrap in measures one unbounded line per paragraph.
    CGFloat width = constraints.width > 0 ? std::min<CGFloat>(constraints.width, kTall) : kTall;
    CFIndex length = static_cast<CFIndex>(text->length());
    if (numberOfLines == 1) {
        width = kTall;
    } else if (numberOfLines > 1) {
        auto path = CGPathCreateWithRect(CGRectMake(0, 0, width, kTall), nullptr);
        if (auto frame = CTFramesetterCreateFrame(framesetter, CFRange { 0, 0 }, path, nullptr); frame && !frame->lines().empty()) {
            const auto& lines = frame->lines();
            const CFRange last = lines[std::min<std::size_t>(numberOfLines, lines.size()) - 1]->stringRange();
            length = last.location + last.length;
        }
    }
    const CGSize suggested = CTFramesetterSuggestFrameSizeWithConstraints(framesetter, CFRange { 0, length }, nullptr, CGSizeMake(width, kTall), nullptr);
    return CGSizeMake(std::ceil(suggested.width), std::ceil(suggested.height));
}

CGSize LKAttributedLabel::sizeThatFits(CGSize size) const
{
    auto rendered = renderedAttributedText();
    if (!rendered || rendered->length() == 0)
        return UILabel::sizeThatFits(size);
    const CGSize fitting = sizeThatFitsAttributedString(rendered, size, static_cast<NSUInteger>(std::max<NSInteger>(0, numberOfLines())));
    return CGSizeMake(fitting.width + m_textInsets.left + m_textInsets.right, fitting.height + m_textInsets.top + m_textInsets.bottom);
}

CGRect LKAttributedLabel::textRectForBounds(CGRect bounds, NSInteger lines) const
{
    CGRect rect = UIEdgeInsetsInsetRect(bounds, m_textInsets);
    auto rendered = renderedAttributedText();
    if (!rendered || rendered->length() == 0)
        return UILabel::textRectForBounds(rect, lines);
    const CGFloat lineHeight = font() ? font()->lineHeight() : 0;
    const CGFloat height = std::max(lineHeight * static_cast<CGFloat>(lines < 3 ? 2 : lines), rect.size.height);
    auto framesetter = CTFramesetterCreateWithAttributedString(lines == 1 ? rendered : wrapping(rendered));
    const CGFloat used = std::ceil(CTFramesetterSuggestFrameSizeWithConstraints(framesetter, CFRange { 0, 0 }, nullptr,
        CGSizeMake(std::max<CGFloat>(0, rect.size.width), height), nullptr).height);
    if (used < rect.size.height) {
        if (m_verticalAlignment == LKAttributedLabelVerticalAlignmentCenter)
            rect.origin.y += std::floor((rect.size.height - used) / 2);
        else if (m_verticalAlignment == LKAttributedLabelVerticalAlignmentBottom)
            rect.origin.y += rect.size.height - used;
    }
    rect.size.height = height;
    return rect;
}

LKAttributedLabel::Layout LKAttributedLabel::layoutIn(CGRect rect, const std::shared_ptr<NSAttributedString>& text, const CTFramesetterRef& made) const
{
    Layout layout;
    layout.inset = UIEdgeInsetsInsetRect(rect, m_textInsets);
    if (!text || text->length() == 0)
        return layout;
    auto rendered = wrapping(text);
    if (adjustsFontSizeToFitWidth() && numberOfLines() > 0) {
        // Shrinking lays out a scaled copy; the stored text keeps its sizes. Wrapped lines waste
        // some of their width, which the factor allows for.
        const NSInteger count = numberOfLines();
        CGFloat needed = sizeThatFits(count > 1 ? CGSizeMake(kTall, kTall) : CGSizeZero).width;
        const CGFloat available = frame().size.width * static_cast<CGFloat>(count);
        if (count > 1 && lineBreakMode() == NSLineBreakByWordWrapping)
            needed *= 1.1557273497909217;
        if (needed > available && needed > 0)
            rendered = scaledCopy(rendered, std::max(available / needed, minimumScaleFactor()));
    }
    auto framesetter = made && rendered == text ? made : CTFramesetterCreateWithAttributedString(rendered);
    // Laid out unbounded in height, then cut to the lines that fit the rectangle.
    auto path = CGPathCreateWithRect(CGRectMake(0, 0, layout.inset.size.width, kTall), nullptr);
    auto frame = CTFramesetterCreateFrame(framesetter, CFRange { 0, 0 }, path, nullptr);
    if (!frame)
        return layout;
    const auto& lines = frame->lines();
    const auto& origins = frame->lineOrigins();
    std::size_t count = lines.size();
    if (numberOfLines() > 0)
        count = std::min<std::size_t>(count, static_cast<std::size_t>(numberOfLines()));
    CGFloat used = 0;
    std::size_t fitting = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const CGFloat bottom = kTall - origins[i].y + lines[i]->descent();
        if (bottom > layout.inset.size.height && fitting > 0)
            break;
        used = bottom;
        fitting = i + 1;
    }
    const CGFloat top = origins.empty() ? 0 : kTall - origins[0].y - lines[0]->ascent();
    const CGFloat free = std::max<CGFloat>(0, layout.inset.size.height - (used - top));
    CGFloat placed = 0;
    if (m_verticalAlignment == LKAttributedLabelVerticalAlignmentCenter)
        placed = std::floor(free / 2);
    else if (m_verticalAlignment == LKAttributedLabelVerticalAlignmentBottom)
        placed = free;
    const CGFloat shift = placed - top;
    const bool cutsLastLine = truncates(lineBreakMode());
    const CGFloat flush = flushFactor(textAlignment());
    const CFIndex end = static_cast<CFIndex>(rendered->length());
    for (std::size_t i = 0; i < fitting; ++i) {
        CTLineRef line = lines[i];
        layout.lines.push_back(line);
        layout.origins.push_back(CGPointMake(layout.inset.origin.x + origins[i].x, layout.inset.origin.y + kTall - origins[i].y + shift));
        const CFRange range = line->stringRange();
        if (i + 1 == fitting && cutsLastLine && range.location + range.length < end) {
            // The cut line ends in the token; with one line the break mode says where it goes.
            CTLineTruncationType type = kCTLineTruncationEnd;
            if (fitting == 1 && lineBreakMode() == NSLineBreakByTruncatingHead)
                type = kCTLineTruncationStart;
            else if (fitting == 1 && lineBreakMode() == NSLineBreakByTruncatingMiddle)
                type = kCTLineTruncationMiddle;
            // What is cut is the rest of the line's paragraph, without its line break; when more
            // text follows it, the token ends it, whichever end the break mode cuts.
            const std::u16string_view units = rendered->string().view();
            CFIndex paragraphEnd = range.location;
            while (paragraphEnd < end && units[static_cast<std::size_t>(paragraphEnd)] != u'\n' && units[static_cast<std::size_t>(paragraphEnd)] != u'\r'
                && units[static_cast<std::size_t>(paragraphEnd)] != 0x2028 && units[static_cast<std::size_t>(paragraphEnd)] != 0x2029)
                ++paragraphEnd;
            auto cutText = rendered->attributedSubstringFromRange(
                NSRange { static_cast<NSUInteger>(range.location), static_cast<NSUInteger>(paragraphEnd - range.location) })->mutableCopyAttributedString();
            auto token = m_attributedTruncationToken;
            if (!token) {
                const NSString tokenText = m_truncationTokenString.isNil() ? NSString("…") : m_truncationTokenString;
                // The token takes the look of the text where it goes.
                CFIndex at = range.location + range.length - 1;
                if (type == kCTLineTruncationStart)
                    at = range.location;
                else if (type == kCTLineTruncationMiddle)
                    at = range.location + range.length / 2;
                const auto index = static_cast<NSUInteger>(std::clamp<CFIndex>(at, 0, end - 1));
                token = NSAttributedString::create(tokenText, m_truncationTokenStringAttributes ? m_truncationTokenStringAttributes : rendered->attributesAtIndex(index));
            }
            if (paragraphEnd < end)
                cutText->appendAttributedString(token);
            auto tokenLine = CTLineCreateWithAttributedString(token);
            auto cut = CTLineCreateTruncatedLine(CTLineCreateWithAttributedString(cutText), layout.inset.size.width, type, tokenLine);
            layout.drawn.push_back(cut ? cut : tokenLine);
            layout.truncated = true;
            layout.keptWidth = std::max<CGFloat>(0, (cut ? cut->width() : 0) - tokenLine->width());
            layout.token = token;
            const auto g = std::min<NSUInteger>(token->length(), static_cast<NSUInteger>(range.length));
            layout.tokenRange = NSRange { static_cast<NSUInteger>(range.location + range.length) - g, g };
        } else {
            layout.drawn.push_back(line);
        }
        // The last line, cut or ending the text, sits where the label's alignment puts it.
        if (i + 1 == fitting && cutsLastLine && flush > 0)
            layout.origins.back().x = layout.inset.origin.x
                + static_cast<CGFloat>(CTLineGetPenOffsetForFlush(layout.drawn.back(), flush, layout.inset.size.width));
    }
    return layout;
}

void LKAttributedLabel::drawTextInRect(CGRect rect)
{
    m_drawnLines.clear();
    auto context = UIGraphicsGetCurrentContext();
    auto rendered = renderedAttributedText();
    if (!rendered || !context)
        return;
    // Highlighted, the whole text takes the highlighted colour.
    const bool tinted = isHighlighted() && highlightedTextColor() && rendered->length() > 0;
    if (tinted) {
        auto copy = rendered->mutableCopyAttributedString();
        copy->addAttribute(kCTForegroundColorAttributeName, highlightedTextColor(), NSRange { 0, copy->length() });
        rendered = copy;
        framesetter();
        if (!m_highlightFramesetter)
            m_highlightFramesetter = CTFramesetterCreateWithAttributedString(rendered);
    }
    CGContextSaveGState(context);
    if (shadowColor() && !isHighlighted())
        CGContextSetShadowWithColor(context, shadowOffset(), m_shadowRadius, shadowColor()->CGColor());
    else if (m_highlightedShadowColor)
        CGContextSetShadowWithColor(context, m_highlightedShadowOffset, m_highlightedShadowRadius, m_highlightedShadowColor->CGColor());
    drawFramesetter(tinted ? m_highlightFramesetter : framesetter(), rendered, CFRange { 0, static_cast<CFIndex>(rendered->length()) }, rect, context);
    CGContextRestoreGState(context);
}

void LKAttributedLabel::drawFramesetter(const CTFramesetterRef& framesetter, const std::shared_ptr<NSAttributedString>& text, CFRange range, CGRect rect,
    const CGContextRef& context)
{
    // A part of the text is laid out on its own; the label draws all of it.
    const bool whole = range.location == 0 && (range.length == 0 || range.length == static_cast<CFIndex>(text->length()));
    const auto drawnText = whole || range.location < 0 || range.length < 0 || range.location + range.length > static_cast<CFIndex>(text->length())
        ? text
        : text->attributedSubstringFromRange(NSRange { static_cast<NSUInteger>(range.location), static_cast<NSUInteger>(range.length) });
    const Layout layout = layoutIn(rect, drawnText, whole ? framesetter : nullptr);
    const auto placed = layout.placed();
    drawBackground(placed, rect, context);
    CGContextSaveGState(context);
    CGContextSetTextMatrix(context, CGAffineTransformIdentity);
    CGContextTranslateCTM(context, 0, rect.origin.y * 2 + rect.size.height);
    CGContextScaleCTM(context, 1, -1);
    for (std::size_t i = 0; i < layout.drawn.size(); ++i) {
        CGContextSetTextPosition(context, layout.origins[i].x, rect.origin.y * 2 + rect.size.height - layout.origins[i].y);
        CTLineDraw(layout.drawn[i], context);
        if (auto text = layout.drawn[i]->attributedText())
            m_drawnLines.push_back(text->string());
    }
    CGContextRestoreGState(context);
    drawStrike(placed, rect, context);
    if (whole && layout.truncated && layout.token && layout.token->length() > 0)
        linkToken(layout.token, layout.tokenRange);
}

void LKAttributedLabel::drawBackground(const std::vector<LKRunDecorations::PlacedLine>& lines, CGRect, const CGContextRef& context)
{
    LKRunDecorations::drawBoxes(context, LKRunDecorations::backgroundBoxes(lines, m_linkBackgroundEdgeInset));
}

void LKAttributedLabel::drawStrike(const std::vector<LKRunDecorations::PlacedLine>& lines, CGRect, const CGContextRef& context)
{
    LKRunDecorations::drawStrikes(context, LKRunDecorations::strikes(lines, font()));
}

void LKAttributedLabel::linkToken(const std::shared_ptr<NSAttributedString>& token, NSRange range)
{
    const id value = token->attributesAtIndex(0) ? token->attributesAtIndex(0)->objectForKey(NSString(NSLinkAttributeName)) : nullptr;
    if (!value || !rangeWithin(range, m_attributedText ? m_attributedText->length() : 0))
        return;
    // Once per text and layout: a later drawing of the same cut adds nothing.
    if (m_tokenLink && m_tokenLink->result() && NSEqualRanges(m_tokenLink->result()->range(), range))
        return;
    if (m_tokenLink) {
        auto kept = m_linkModels;
        std::erase(kept, m_tokenLink);
        setLinkModels(std::move(kept));
    }
    std::shared_ptr<NSURL> url = ns::cast<NSURL>(value);
    if (!url)
        if (ns::cast<NSStringObject>(value))
            url = NSURL::URLWithString(ns::textOf(value));
    if (!url)
        return;
    m_tokenLink = addLinkToURL(url, range);
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::addLinkToURL(const id& URL, NSRange range)
{
    return addLinkWithTextCheckingResult(NSTextCheckingResult::linkCheckingResultWithRange(range, URL));
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::addLinkToAddress(const std::shared_ptr<NSDictionary>& addressComponents, NSRange range)
{
    return addLinkWithTextCheckingResult(NSTextCheckingResult::addressCheckingResultWithRange(range, addressComponents));
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::addLinkToDate(const std::shared_ptr<NSDate>& date, const std::shared_ptr<NSTimeZone>& timeZone,
    NSTimeInterval duration, NSRange range)
{
    return addLinkWithTextCheckingResult(NSTextCheckingResult::dateCheckingResultWithRange(range, date, timeZone, duration));
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::addLinkToTransitInformation(const std::shared_ptr<NSDictionary>& components, NSRange range)
{
    return addLinkWithTextCheckingResult(NSTextCheckingResult::transitInformationCheckingResultWithRange(range, components));
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::addLinkToPhoneNumber(const NSString& phoneNumber, NSRange range)
{
    return addLinkWithTextCheckingResult(NSTextCheckingResult::phoneNumberCheckingResultWithRange(range, phoneNumber));
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::addLinkToDate(const std::shared_ptr<NSDate>& date, NSRange range)
{
    return addLinkWithTextCheckingResult(NSTextCheckingResult::dateCheckingResultWithRange(range, date));
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::addLinkWithTextCheckingResult(const std::shared_ptr<NSTextCheckingResult>& result)
{
    return addLinkWithTextCheckingResult(result, m_linkAttributes);
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::addLinkWithTextCheckingResult(const std::shared_ptr<NSTextCheckingResult>& result,
    const std::shared_ptr<NSDictionary>& attributes)
{
    auto links = addLinksWithTextCheckingResults({ result }, attributes);
    return links.empty() ? nullptr : links.front();
}

std::vector<std::shared_ptr<LKAttributedLabelLink>> LKAttributedLabel::addLinksWithTextCheckingResults(
    const std::vector<std::shared_ptr<NSTextCheckingResult>>& results, const std::shared_ptr<NSDictionary>& attributes)
{
    std::vector<std::shared_ptr<LKAttributedLabelLink>> links;
    const NSUInteger length = m_attributedText ? m_attributedText->length() : 0;
    for (const auto& result : results)
        if (result && rangeWithin(result->range(), length))
            links.push_back(LKAttributedLabelLink::create(attributes, attributes ? m_activeLinkAttributes : nullptr,
                attributes ? m_inactiveLinkAttributes : nullptr, result));
    addLinks(links);
    return links;
}

void LKAttributedLabel::addLink(const std::shared_ptr<LKAttributedLabelLink>& link)
{
    addLinks({ link });
}

void LKAttributedLabel::addLinks(const std::vector<std::shared_ptr<LKAttributedLabelLink>>& links)
{
    if (!m_attributedText)
        return;
    auto text = m_attributedText->mutableCopyAttributedString();
    auto models = m_linkModels;
    for (const auto& link : links) {
        if (!link || !link->result() || !rangeWithin(link->result()->range(), text->length()))
            continue;
        if (link->attributes())
            text->addAttributes(link->attributes(), link->result()->range());
        models.push_back(link);
    }
    storeAttributedText(text);
    setLinkModels(std::move(models));
}

void LKAttributedLabel::setLinkModels(std::vector<std::shared_ptr<LKAttributedLabelLink>> links)
{
    m_linkModels = std::move(links);
    m_accessibilityElements.reset();
}

std::vector<std::shared_ptr<NSTextCheckingResult>> LKAttributedLabel::links() const
{
    std::vector<std::shared_ptr<NSTextCheckingResult>> results;
    for (const auto& link : m_linkModels)
        results.push_back(link->result());
    return results;
}

void LKAttributedLabel::setActiveLink(const std::shared_ptr<LKAttributedLabelLink>& link)
{
    m_activeLink = link;
    auto attributes = link && link->activeAttributes() ? link->activeAttributes() : m_activeLinkAttributes;
    if (link && attributes && attributes->count() > 0 && m_attributedText) {
        if (!m_inactiveAttributedText)
            m_inactiveAttributedText = m_attributedText;
        auto text = m_inactiveAttributedText->mutableCopyAttributedString();
        if (rangeWithin(link->result()->range(), text->length()))
            text->addAttributes(attributes, link->result()->range());
        m_attributedText = text;
        setNeedsFramesetter();
        setNeedsDisplay();
        return;
    }
    if (m_inactiveAttributedText) {
        m_attributedText = m_inactiveAttributedText;
        m_inactiveAttributedText = nullptr;
        setNeedsFramesetter();
        setNeedsDisplay();
    }
}

NSInteger LKAttributedLabel::characterIndexAtPoint(CGPoint point)
{
    if (!CGRectContainsPoint(bounds(), point))
        return NSNotFound;
    const Layout& layout = boundsLayout();
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const auto& line = layout.lines[i];
        const CGPoint origin = layout.origins[i];
        if (point.y < std::floor(origin.y - line->ascent()))
            return NSNotFound;
        if (point.y > std::ceil(origin.y + line->descent()))
            continue;
        const CGFloat x = point.x - origin.x;
        const CFRange range = line->stringRange();
        const bool cut = layout.truncated && i + 1 == layout.lines.size();
        const CGFloat drawnWidth = layout.drawn[i]->width();
        if (x < 0 || x > (cut ? drawnWidth : line->width()))
            return NSNotFound;
        if (cut && x >= layout.keptWidth)
            return range.location + range.length - 1;
        const CGFloat start = line->offsetForStringIndex(range.location);
        for (CFIndex k = range.location; k < range.location + range.length; ++k)
            if (x + start < line->offsetForStringIndex(k + 1))
                return k;
        return NSNotFound;
    }
    return NSNotFound;
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::linkAtCharacterIndex(NSInteger index) const
{
    if (index < 0 || index == NSNotFound || !m_attributedText || static_cast<NSUInteger>(index) >= m_attributedText->length())
        return nullptr;
    for (auto it = m_linkModels.rbegin(); it != m_linkModels.rend(); ++it) {
        const NSRange range = (*it)->result()->range();
        if (range.location <= static_cast<NSUInteger>(index) && static_cast<NSUInteger>(index) < range.location + range.length)
            return *it;
    }
    return nullptr;
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::linkAtPoint(CGPoint point)
{
    if (m_linkModels.empty() || !CGRectContainsPoint(CGRectInset(bounds(), -15, -15), point))
        return nullptr;
    if (auto link = linkAtCharacterIndex(characterIndexAtPoint(point)))
        return link;
    if (!m_extendsLinkTouchArea)
        return nullptr;
    for (double radius : { 2.5, 5.0, 7.5, 12.5, 15.0 })
        if (auto link = linkAtRadius(radius, point))
            return link;
    return nullptr;
}

std::shared_ptr<LKAttributedLabelLink> LKAttributedLabel::linkAtRadius(double radius, CGPoint point)
{
    const double q = std::sqrt(2 * radius * radius);
    const CGPoint offsets[8] = { { 0, -radius }, { 0, radius }, { -radius, 0 }, { radius, 0 }, { -q, -q }, { -q, q }, { q, q }, { q, -q } };
    for (const CGPoint offset : offsets)
        if (auto link = linkAtCharacterIndex(characterIndexAtPoint(CGPointMake(point.x + offset.x, point.y + offset.y))))
            return link;
    return nullptr;
}

CGRect LKAttributedLabel::boundingRectForCharacterRange(NSRange range)
{
    CGRect box = CGRectNull;
    const Layout& layout = boundsLayout();
    const auto first = static_cast<CFIndex>(range.location);
    const auto last = static_cast<CFIndex>(range.location + range.length);
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const auto& line = layout.lines[i];
        const CFRange lineRange = line->stringRange();
        const CFIndex from = std::max(first, lineRange.location);
        CFIndex to = std::min(last, lineRange.location + lineRange.length);
        if (from >= to)
            continue;
        const CGFloat start = line->offsetForStringIndex(lineRange.location);
        CGFloat left = line->offsetForStringIndex(from) - start;
        CGFloat right = line->offsetForStringIndex(to) - start;
        if (layout.truncated && i + 1 == layout.lines.size()) {
            left = std::min(left, layout.keptWidth);
            right = to == lineRange.location + lineRange.length ? layout.drawn[i]->width() : std::min(right, layout.keptWidth);
        }
        const CGPoint origin = layout.origins[i];
        box = CGRectUnion(box, CGRectMake(origin.x + left, origin.y - line->ascent(), std::max<CGFloat>(0, right - left), line->ascent() + line->descent()));
    }
    return box;
}

const std::vector<LKAttributedLabel::AccessibilityElement>& LKAttributedLabel::accessibilityElements()
{
    if (m_accessibilityElements)
        return *m_accessibilityElements;
    std::vector<AccessibilityElement> elements;
    const NSString plain = m_attributedText ? m_attributedText->string() : text();
    auto inWindow = [this](CGRect rect) { return window() ? convertRectToView(rect, nullptr) : rect; };
    for (const auto& link : m_linkModels) {
        const NSRange range = link->result()->range();
        if (plain.isNil() || !rangeWithin(range, plain.length()))
            continue;
        AccessibilityElement element;
        element.isLink = true;
        element.label = plain.substringWithRange(range);
        const NSString value = link->accessibilityValue();
        if (!value.isNil() && !value.isEqualToString(element.label))
            element.value = value;
        element.frame = inWindow(boundingRectForCharacterRange(range));
        elements.push_back(element);
    }
    AccessibilityElement whole;
    whole.label = m_accessibilityLabel.isNil() ? plain : m_accessibilityLabel;
    whole.hint = m_accessibilityHint;
    whole.value = m_accessibilityValue;
    whole.frame = inWindow(bounds());
    elements.push_back(whole);
    m_accessibilityElements = std::move(elements);
    return *m_accessibilityElements;
}

const LKAttributedLabel::AccessibilityElement* LKAttributedLabel::accessibilityElementAtIndex(NSInteger index)
{
    const auto& elements = accessibilityElements();
    return index >= 0 && static_cast<std::size_t>(index) < elements.size() ? &elements[static_cast<std::size_t>(index)] : nullptr;
}

NSInteger LKAttributedLabel::indexOfAccessibilityElement(const AccessibilityElement& element)
{
    const auto& elements = accessibilityElements();
    const auto found = std::find(elements.begin(), elements.end(), element);
    return found == elements.end() ? NSNotFound : static_cast<NSInteger>(found - elements.begin());
}

std::shared_ptr<UIView> LKAttributedLabel::hitTest(CGPoint point, const UIEventRef& event)
{
    if (isUserInteractionEnabled() && !isHidden() && alpha() >= 0.01 && linkAtPoint(point))
        return self();
    return UILabel::hitTest(point, event);
}

void LKAttributedLabel::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    auto touch = touches.anyObject();
    auto link = touch ? linkAtPoint(touch->locationInView(self())) : nullptr;
    if (!link)
        return UILabel::touchesBegan(touches, event);
    setActiveLink(link);
}

void LKAttributedLabel::touchesMoved(const UITouchSet& touches, const UIEventRef& event)
{
    if (!m_activeLink)
        return UILabel::touchesMoved(touches, event);
    auto touch = touches.anyObject();
    if (!touch || linkAtPoint(touch->locationInView(self())) != m_activeLink)
        setActiveLink(nullptr);
}

void LKAttributedLabel::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    if (!m_activeLink)
        return UILabel::touchesCancelled(touches, event);
    setActiveLink(nullptr);
}

void LKAttributedLabel::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    if (!m_activeLink)
        return UILabel::touchesEnded(touches, event);
    auto link = m_activeLink;
    setActiveLink(nullptr);
    auto touch = touches.anyObject();
    report(*link, false, touch ? touch->locationInView(self()) : CGPointZero);
}

void LKAttributedLabel::tintColorDidChange()
{
    if (!m_inactiveLinkAttributes || m_inactiveLinkAttributes->count() == 0 || !m_attributedText)
        return;
    const bool dimmed = tintAdjustmentMode() == UIViewTintAdjustmentMode::Dimmed;
    // A pressed link's look is laid over the saved text, which is the one to change.
    const auto& base = m_inactiveAttributedText ? m_inactiveAttributedText : m_attributedText;
    auto text = base->mutableCopyAttributedString();
    for (const auto& link : m_linkModels) {
        const NSRange range = link->result() ? link->result()->range() : NSRange { NSNotFound, 0 };
        if (!rangeWithin(range, text->length()))
            continue;
        const auto& off = dimmed ? link->attributes() : link->inactiveAttributes();
        const auto& on = dimmed ? link->inactiveAttributes() : link->attributes();
        if (off)
            off->enumerateKeysAndObjectsUsingBlock([&](const id& key, const id&, bool&) { text->removeAttribute(NSString::fromId(key), range); });
        if (on)
            text->addAttributes(on, range);
    }
    if (m_inactiveAttributedText) {
        m_inactiveAttributedText = text;
        setActiveLink(m_activeLink);
    } else {
        storeAttributedText(text);
    }
}

void LKAttributedLabel::longPressGestureDidFire(UILongPressGestureRecognizer& recognizer)
{
    if (recognizer.state() != UIGestureRecognizerState::Began)
        return;
    const CGPoint point = recognizer.locationInView(self());
    if (auto link = linkAtPoint(point))
        report(*link, true, point);
}

std::optional<bool> LKAttributedLabel::shouldReceiveTouch(UIGestureRecognizer&, UITouch& touch)
{
    return containslinkAtPoint(touch.locationInView(self()));
}

void LKAttributedLabel::copy(const id&)
{
    UIPasteboard::generalPasteboard()->setString(text().isNil() ? NSString("") : text());
}

void LKAttributedLabel::report(LKAttributedLabelLink& link, bool longPress, CGPoint point)
{
    if (const auto& block = longPress ? link.linkLongPressBlock() : link.linkTapBlock())
        return block(*this, link);
    auto result = link.result();
    auto delegate = m_delegate.lock();
    if (!result || !delegate)
        return;
    auto& d = *delegate;
    auto url = [&] { return result->URL() ? result->URL() : id(NSURL::URLWithString(result->URLString())); };
    bool answered = false;
    switch (result->resultType()) {
    case NSTextCheckingTypeLink:
        answered = longPress ? d.attributedLabelDidLongPressLinkWithURL(*this, url(), point) : d.attributedLabelDidSelectLinkWithURL(*this, url());
        break;
    case NSTextCheckingTypeAddress:
        answered = longPress ? d.attributedLabelDidLongPressLinkWithAddress(*this, result->addressComponents(), point)
                             : d.attributedLabelDidSelectLinkWithAddress(*this, result->addressComponents());
        break;
    case NSTextCheckingTypePhoneNumber:
        answered = longPress ? d.attributedLabelDidLongPressLinkWithPhoneNumber(*this, result->phoneNumber(), point)
                             : d.attributedLabelDidSelectLinkWithPhoneNumber(*this, result->phoneNumber());
        break;
    case NSTextCheckingTypeDate:
        // With a time zone the fuller operation goes first, the plain one when it is missing.
        if (result->timeZone())
            answered = longPress ? d.attributedLabelDidLongPressLinkWithDate(*this, result->date(), result->timeZone(), result->duration(), point)
                                 : d.attributedLabelDidSelectLinkWithDate(*this, result->date(), result->timeZone(), result->duration());
        if (!answered)
            answered = longPress ? d.attributedLabelDidLongPressLinkWithDate(*this, result->date(), point)
                                 : d.attributedLabelDidSelectLinkWithDate(*this, result->date());
        break;
    case NSTextCheckingTypeTransitInformation:
        answered = longPress ? d.attributedLabelDidLongPressLinkWithTransitInformation(*this, result->components(), point)
                             : d.attributedLabelDidSelectLinkWithTransitInformation(*this, result->components());
        break;
    default:
        break;
    }
    if (answered)
        return;
    if (longPress)
        d.attributedLabelDidLongPressLinkWithTextCheckingResult(*this, result, point);
    else
        d.attributedLabelDidSelectLinkWithTextCheckingResult(*this, result);
}

void LKAttributedLabel::encodeWithCoder(NSCoder& coder) const
{
    const CGRect box = frame();
    coder.encodeObject(numbers({ box.origin.x, box.origin.y, box.size.width, box.size.height }), "frame");
    coder.encodeObject(LKAttributeCoding::encodedAttributes(ns::dictionary({ { kCTFontAttributeName, font() }, { NSForegroundColorAttributeName, textColor() } })), "labelAttributes");
    coder.encodeInteger(numberOfLines(), "numberOfLines");
    coder.encodeInteger(static_cast<NSInteger>(lineBreakMode()), "lineBreakMode");
    coder.encodeInteger(static_cast<NSInteger>(textAlignment()), "textAlignment");
    auto links = NSMutableArray::array();
    for (const auto& link : m_linkModels)
        links->addObject(link);
    coder.encodeObject(links, "linkModels");
    coder.encodeObject(LKAttributeCoding::encodedAttributes(m_linkAttributes), "linkAttributes");
    coder.encodeObject(LKAttributeCoding::encodedAttributes(m_activeLinkAttributes), "activeLinkAttributes");
    coder.encodeObject(LKAttributeCoding::encodedAttributes(m_inactiveLinkAttributes), "inactiveLinkAttributes");
    coder.encodeObject(NSNumber::numberWithUnsignedLongLong(m_enabledTextCheckingTypes), "enabledTextCheckingTypes");
    coder.encodeObject(NSNumber::numberWithDouble(m_shadowRadius), "shadowRadius");
    coder.encodeObject(NSNumber::numberWithDouble(m_highlightedShadowRadius), "highlightedShadowRadius");
    coder.encodeObject(numbers({ m_highlightedShadowOffset.width, m_highlightedShadowOffset.height }), "highlightedShadowOffset");
    if (m_highlightedShadowColor)
        coder.encodeObject(LKAttributeCoding::encodedColour(m_highlightedShadowColor), "highlightedShadowColor");
    coder.encodeObject(NSNumber::numberWithDouble(m_kern), "kern");
    coder.encodeObject(NSNumber::numberWithDouble(m_firstLineIndent), "firstLineIndent");
    coder.encodeObject(NSNumber::numberWithDouble(m_lineSpacing), "lineSpacing");
    coder.encodeObject(NSNumber::numberWithDouble(m_lineHeightMultiple), "lineHeightMultiple");
    coder.encodeObject(numbers({ m_textInsets.top, m_textInsets.left, m_textInsets.bottom, m_textInsets.right }), "textInsets");
    coder.encodeInteger(m_verticalAlignment, "verticalAlignment");
    coder.encodeObject(numbers({ m_linkBackgroundEdgeInset.top, m_linkBackgroundEdgeInset.left, m_linkBackgroundEdgeInset.bottom, m_linkBackgroundEdgeInset.right }),
        "linkBackgroundEdgeInset");
    if (!m_truncationTokenString.isNil())
        coder.encodeObject(m_truncationTokenString, "truncationTokenString");
    // The text without a pressed link's look.
    coder.encodeObject(LKAttributeCoding::encodedText(m_inactiveAttributedText ? m_inactiveAttributedText : m_attributedText), "attributedText");
    coder.encodeObject(text(), "text");
}

bool LKAttributedLabel::init(NSCoder& coder)
{
    const auto box = numbersFrom(coder.decodeObjectForKey("frame"), 4);
    UILabel::init(box.empty() ? CGRectZero : CGRectMake(box[0], box[1], std::max(0.0, box[2]), std::max(0.0, box[3])));
    commonInit();
    if (auto attributes = LKAttributeCoding::decodedAttributes(coder.decodeObjectForKey("labelAttributes"))) {
        if (auto font = ns::cast<UIFont>(attributes->objectForKey(NSString(kCTFontAttributeName))))
            setFont(font);
        if (auto colour = ns::cast<UIColor>(attributes->objectForKey(NSString(NSForegroundColorAttributeName))))
            setTextColor(colour);
    }
    if (coder.containsValueForKey("numberOfLines"))
        setNumberOfLines(std::max<NSInteger>(0, coder.decodeIntegerForKey("numberOfLines")));
    if (const auto mode = coder.decodeIntegerForKey("lineBreakMode"); mode >= 0 && mode <= NSLineBreakByTruncatingMiddle && coder.containsValueForKey("lineBreakMode"))
        setLineBreakMode(static_cast<NSLineBreakMode>(mode));
    if (const auto alignment = coder.decodeIntegerForKey("textAlignment"); alignment >= 0 && alignment <= 4)
        setTextAlignment(static_cast<NSTextAlignment>(alignment));
    if (coder.containsValueForKey("linkAttributes"))
        m_linkAttributes = LKAttributeCoding::decodedAttributes(coder.decodeObjectForKey("linkAttributes"));
    if (coder.containsValueForKey("activeLinkAttributes"))
        m_activeLinkAttributes = LKAttributeCoding::decodedAttributes(coder.decodeObjectForKey("activeLinkAttributes"));
    if (coder.containsValueForKey("inactiveLinkAttributes"))
        m_inactiveLinkAttributes = LKAttributeCoding::decodedAttributes(coder.decodeObjectForKey("inactiveLinkAttributes"));
    if (const auto insets = numbersFrom(coder.decodeObjectForKey("textInsets"), 4); !insets.empty())
        m_textInsets = UIEdgeInsets { insets[0], insets[1], insets[2], insets[3] };
    if (auto types = ns::cast<NSNumber>(coder.decodeObjectForKey("enabledTextCheckingTypes")))
        setEnabledTextCheckingTypes(types->unsignedLongLongValue());
    // Numbers come back through single precision; non-finite ones are refused.
    auto decodeNumber = [&](const char* key, CGFloat& field) {
        if (auto number = ns::cast<NSNumber>(coder.decodeObjectForKey(key)); number && std::isfinite(number->doubleValue()))
            field = static_cast<float>(number->doubleValue());
    };
    decodeNumber("shadowRadius", m_shadowRadius);
    decodeNumber("highlightedShadowRadius", m_highlightedShadowRadius);
    decodeNumber("kern", m_kern);
    decodeNumber("firstLineIndent", m_firstLineIndent);
    decodeNumber("lineSpacing", m_lineSpacing);
    decodeNumber("minimumLineHeight", m_minimumLineHeight);
    decodeNumber("maximumLineHeight", m_maximumLineHeight);
    decodeNumber("lineHeightMultiple", m_lineHeightMultiple);
    if (const auto offset = numbersFrom(coder.decodeObjectForKey("highlightedShadowOffset"), 2); !offset.empty())
        m_highlightedShadowOffset = CGSizeMake(offset[0], offset[1]);
    if (auto colour = LKAttributeCoding::decodedColour(coder.decodeObjectForKey("highlightedShadowColor")))
        m_highlightedShadowColor = colour;
    if (const auto alignment = coder.decodeIntegerForKey("verticalAlignment"); alignment >= 0 && alignment <= LKAttributedLabelVerticalAlignmentBottom)
        m_verticalAlignment = static_cast<LKAttributedLabelVerticalAlignment>(alignment);
    if (const auto inset = numbersFrom(coder.decodeObjectForKey("linkBackgroundEdgeInset"), 4); !inset.empty())
        m_linkBackgroundEdgeInset = UIEdgeInsets { inset[0], inset[1], inset[2], inset[3] };
    if (const id token = coder.decodeObjectForKey("truncationTokenString"); ns::cast<NSStringObject>(token))
        m_truncationTokenString = ns::textOf(token);
    // The text first: links are checked against it and setting it would drop them.
    if (auto text = LKAttributeCoding::decodedText(coder.decodeObjectForKey("attributedText")))
        storeAttributedText(text);
    else if (const id plain = coder.decodeObjectForKey("text"); ns::cast<NSStringObject>(plain))
        // Plain text takes the label's own look: font, colour, kern and paragraph settings.
        setText(ns::textOf(plain));
    // Bare results become links without a look of their own, ahead of the archived links.
    std::vector<std::shared_ptr<NSTextCheckingResult>> results;
    if (auto array = ns::arrayValue(coder.decodeObjectForKey("links")))
        for (NSUInteger i = 0; i < array->count(); ++i)
            if (auto result = LKAttributeCoding::decodedResult(array->objectAtIndex(i)))
                results.push_back(result);
    addLinksWithTextCheckingResults(results, nullptr);
    std::vector<std::shared_ptr<LKAttributedLabelLink>> links = m_linkModels;
    const NSUInteger length = m_attributedText ? m_attributedText->length() : 0;
    if (auto array = ns::arrayValue(coder.decodeObjectForKey("linkModels")))
        for (NSUInteger i = 0; i < array->count(); ++i)
            if (auto link = ns::cast<LKAttributedLabelLink>(array->objectAtIndex(i)); link && link->result() && rangeWithin(link->result()->range(), length))
                links.push_back(link);
    setLinkModels(std::move(links));
    return true;
}
