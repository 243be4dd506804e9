#include "library/widgets/linklabel/LKAttributedLabel.h"

#include "library/widgets/linklabel/LKAttributeCoding.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/net/NSURL.h"
#include "platform/text/CTFrame.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UITouch.h"

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
}

void LKAttributedLabel::setText(const NSString& text)
{
    if (text.isNil())
        return setText(std::shared_ptr<NSAttributedString>());
    setText(NSAttributedString::create(text));
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
}

void LKAttributedLabel::storeAttributedText(const std::shared_ptr<NSAttributedString>& text)
{
    m_attributedText = text ? std::static_pointer_cast<NSAttributedString>(text->copy()) : nullptr;
    UILabel::setText(text ? text->string() : NSString());
    setNeedsDisplay();
}

std::shared_ptr<NSAttributedString> LKAttributedLabel::renderedAttributedText() const
{
    if (!m_attributedText)
        return nullptr;
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
    return rendered;
}

CGSize LKAttributedLabel::sizeThatFits(CGSize size) const
{
    auto rendered = renderedAttributedText();
    if (!rendered || rendered->length() == 0)
        return UILabel::sizeThatFits(size);
    auto framesetter = CTFramesetterCreateWithAttributedString(rendered);
    const CGFloat width = numberOfLines() == 1 ? kTall : size.width;
    const CGSize suggested = CTFramesetterSuggestFrameSizeWithConstraints(framesetter, CFRange { 0, 0 }, nullptr, CGSizeMake(width, kTall), nullptr);
    return CGSizeMake(std::ceil(suggested.width) + m_textInsets.left + m_textInsets.right, std::ceil(suggested.height) + m_textInsets.top + m_textInsets.bottom);
}

LKAttributedLabel::Layout LKAttributedLabel::layoutIn(CGRect rect, const std::shared_ptr<NSAttributedString>& text) const
{
    Layout layout;
    layout.inset = UIEdgeInsetsInsetRect(rect, m_textInsets);
    if (!text || text->length() == 0)
        return layout;
    auto rendered = text;
    if (adjustsFontSizeToFitWidth() && numberOfLines() > 0) {
        // Shrinking lays out a scaled copy; the stored text keeps its sizes.
        auto single = CTFramesetterCreateWithAttributedString(rendered);
        const CGFloat needed = CTFramesetterSuggestFrameSizeWithConstraints(single, CFRange { 0, 0 }, nullptr, CGSizeMake(kTall, kTall), nullptr).width;
        const CGFloat available = layout.inset.size.width * static_cast<CGFloat>(numberOfLines());
        if (needed > available && needed > 0)
            rendered = scaledCopy(rendered, std::max(available / needed, minimumScaleFactor()));
    }
    auto framesetter = CTFramesetterCreateWithAttributedString(rendered);
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
    const CGFloat shift = std::floor(std::max<CGFloat>(0, layout.inset.size.height - (used - top)) / 2) - top;
    const CFIndex end = static_cast<CFIndex>(rendered->length());
    for (std::size_t i = 0; i < fitting; ++i) {
        CTLineRef line = lines[i];
        layout.lines.push_back(line);
        layout.origins.push_back(CGPointMake(layout.inset.origin.x + origins[i].x, layout.inset.origin.y + kTall - origins[i].y + shift));
        const CFRange range = line->stringRange();
        if (i + 1 == fitting && range.location + range.length < end) {
            // The cut line ends in the token; with one line the break mode says where it goes.
            CTLineTruncationType type = kCTLineTruncationEnd;
            if (fitting == 1 && lineBreakMode() == NSLineBreakByTruncatingHead)
                type = kCTLineTruncationStart;
            else if (fitting == 1 && lineBreakMode() == NSLineBreakByTruncatingMiddle)
                type = kCTLineTruncationMiddle;
            const NSRange rest { static_cast<NSUInteger>(range.location), static_cast<NSUInteger>(end - range.location) };
            auto cutText = rendered->attributedSubstringFromRange(rest);
            auto token = m_attributedTruncationToken;
            if (!token) {
                const NSString tokenText = m_truncationTokenString.isNil() ? NSString("…") : m_truncationTokenString;
                const auto at = static_cast<NSUInteger>(std::max<CFIndex>(0, range.location + range.length - 1));
                token = NSAttributedString::create(tokenText, m_truncationTokenStringAttributes ? m_truncationTokenStringAttributes : rendered->attributesAtIndex(at));
            }
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
    const Layout layout = layoutIn(rect, rendered);
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
    if (layout.truncated && layout.token && layout.token->length() > 0)
        linkToken(layout.token, layout.tokenRange);
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
        setNeedsDisplay();
        return;
    }
    if (m_inactiveAttributedText) {
        m_attributedText = m_inactiveAttributedText;
        m_inactiveAttributedText = nullptr;
        setNeedsDisplay();
    }
}

NSInteger LKAttributedLabel::characterIndexAtPoint(CGPoint point)
{
    if (!CGRectContainsPoint(bounds(), point))
        return NSNotFound;
    const Layout layout = layoutIn(bounds(), renderedAttributedText());
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
    const Layout layout = layoutIn(bounds(), renderedAttributedText());
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
    whole.frame = inWindow(bounds());
    elements.push_back(whole);
    m_accessibilityElements = std::move(elements);
    return *m_accessibilityElements;
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

void LKAttributedLabel::report(LKAttributedLabelLink& link, bool longPress, CGPoint point)
{
    if (const auto& block = longPress ? link.linkLongPressBlock() : link.linkTapBlock())
        return block(*this, link);
    auto result = link.result();
    auto delegate = m_delegate.lock();
    if (!result || !delegate)
        return;
    if (longPress) {
        if (result->resultType() == NSTextCheckingTypeLink && delegate->attributedLabelDidLongPressLinkWithURL(*this, result->URL() ? result->URL() : id(NSURL::URLWithString(result->URLString())), point))
            return;
        delegate->attributedLabelDidLongPressLinkWithTextCheckingResult(*this, result, point);
        return;
    }
    bool answered = false;
    switch (result->resultType()) {
    case NSTextCheckingTypeLink:
        answered = delegate->attributedLabelDidSelectLinkWithURL(*this, result->URL() ? result->URL() : id(NSURL::URLWithString(result->URLString())));
        break;
    case NSTextCheckingTypePhoneNumber:
        answered = delegate->attributedLabelDidSelectLinkWithPhoneNumber(*this, result->phoneNumber());
        break;
    case NSTextCheckingTypeDate:
        answered = delegate->attributedLabelDidSelectLinkWithDate(*this, result->date());
        break;
    case NSTextCheckingTypeAddress:
        answered = delegate->attributedLabelDidSelectLinkWithAddress(*this, result->addressComponents());
        break;
    default:
        break;
    }
    if (!answered)
        delegate->attributedLabelDidSelectLinkWithTextCheckingResult(*this, result);
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
    coder.encodeObject(numbers({ m_textInsets.top, m_textInsets.left, m_textInsets.bottom, m_textInsets.right }), "textInsets");
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
    if (const id token = coder.decodeObjectForKey("truncationTokenString"); ns::cast<NSStringObject>(token))
        m_truncationTokenString = ns::textOf(token);
    // The text first: links are checked against it and setting it would drop them.
    if (auto text = LKAttributeCoding::decodedText(coder.decodeObjectForKey("attributedText")))
        storeAttributedText(text);
    else if (const id plain = coder.decodeObjectForKey("text"); ns::cast<NSStringObject>(plain))
        setText(NSAttributedString::create(ns::textOf(plain), ns::dictionary({ { kCTFontAttributeName, font() }, { NSForegroundColorAttributeName, textColor() } })));
    std::vector<std::shared_ptr<LKAttributedLabelLink>> links;
    const NSUInteger length = m_attributedText ? m_attributedText->length() : 0;
    if (auto array = ns::arrayValue(coder.decodeObjectForKey("linkModels")))
        for (NSUInteger i = 0; i < array->count(); ++i)
            if (auto link = ns::cast<LKAttributedLabelLink>(array->objectAtIndex(i)); link && link->result() && rangeWithin(link->result()->range(), length))
                links.push_back(link);
    setLinkModels(std::move(links));
    return true;
}
