#include "platform/layers/CATextLayer.h"

#include "platform/foundation/NSNumber.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/text/UIFont.h"

void CATextLayer::init()
{
    super::init();
    setNeedsDisplayOnBoundsChange(true);
}

void CATextLayer::init(const CALayer& layer)
{
    super::init(layer);
    if (auto text = dynamic_cast<const CATextLayer*>(&layer)) {
        m_string = text->m_string;
        m_font = text->m_font;
        m_fontSize = text->m_fontSize;
        m_foregroundColor = text->m_foregroundColor;
        m_wrapped = text->m_wrapped;
        m_truncationMode = text->m_truncationMode;
        m_alignmentMode = text->m_alignmentMode;
    }
}

void CATextLayer::setString(const id& string)
{
    if (ns::isEqual(m_string, string))
        return;
    m_string = string ? string->copy() : nullptr;
    setNeedsDisplay();
}

void CATextLayer::setFont(const id& font)
{
    if (ns::isEqual(m_font, font))
        return;
    m_font = font;
    setNeedsDisplay();
}

void CATextLayer::setFontSize(CGFloat size)
{
    if (changeAnimatable(m_fontSize, size, "fontSize"))
        setNeedsDisplay();
}

void CATextLayer::setForegroundColor(const CGColorRef& color)
{
    if (changeAnimatable(m_foregroundColor, color, "foregroundColor"))
        setNeedsDisplay();
}

void CATextLayer::setWrapped(bool wrapped)
{
    if (m_wrapped == wrapped)
        return;
    m_wrapped = wrapped;
    setNeedsDisplay();
}

void CATextLayer::setTruncationMode(const NSString& mode)
{
    if (m_truncationMode == mode)
        return;
    m_truncationMode = mode;
    setNeedsDisplay();
}

void CATextLayer::setAlignmentMode(const NSString& mode)
{
    if (m_alignmentMode == mode)
        return;
    m_alignmentMode = mode;
    setNeedsDisplay();
}

bool CATextLayer::needsDisplayForKey(const NSString& key) const
{
    return key == "fontSize" || key == "foregroundColor" || super::needsDisplayForKey(key);
}

id CATextLayer::defaultActionForKey(const NSString& key) const
{
    if (key == "fontSize" || key == "foregroundColor")
        return implicitAnimationForKey(key);
    return super::defaultActionForKey(key);
}

id CATextLayer::valueForKey(const NSString& key) const
{
    if (key == "fontSize")
        return NSNumber::numberWithDouble(m_fontSize);
    if (key == "foregroundColor")
        return m_foregroundColor;
    return super::valueForKey(key);
}

void CATextLayer::setValue(const id& value, const NSString& key)
{
    if (key == "fontSize") {
        auto number = ns::cast<NSNumber>(value);
        return setFontSize(number ? number->doubleValue() : 0);
    }
    if (key == "foregroundColor")
        return setForegroundColor(ns::cast<CGColor>(value));
    super::setValue(value, key);
}

std::shared_ptr<NSAttributedString> CATextLayer::attributedText() const
{
    if (auto attributed = ns::cast<NSAttributedString>(m_string))
        return attributed;
    const NSString text = NSString::fromId(m_string);
    if (!text || text.length() == 0)
        return nullptr;
    std::shared_ptr<UIFont> font;
    if (auto given = ns::cast<UIFont>(m_font))
        font = given->fontWithSize(m_fontSize);
    else if (const NSString name = NSString::fromId(m_font))
        font = UIFont::fontWithName(name, m_fontSize);
    if (!font)
        font = UIFont::fontWithName("Helvetica", m_fontSize);
    auto style = NSMutableParagraphStyle::create();
    const std::string alignment = m_alignmentMode.UTF8String();
    style->setAlignment(alignment == kCAAlignmentCenter ? NSTextAlignmentCenter
            : alignment == kCAAlignmentRight            ? NSTextAlignmentRight
            : alignment == kCAAlignmentJustified        ? NSTextAlignmentJustified
            : alignment == kCAAlignmentLeft             ? NSTextAlignmentLeft
                                                        : NSTextAlignmentNatural);
    const std::string truncation = m_truncationMode.UTF8String();
    NSLineBreakMode mode = NSLineBreakByWordWrapping;
    if (!m_wrapped)
        mode = truncation == kCATruncationEnd ? NSLineBreakByTruncatingTail
            : truncation == kCATruncationStart ? NSLineBreakByTruncatingHead
            : truncation == kCATruncationMiddle ? NSLineBreakByTruncatingMiddle
                                                : NSLineBreakByClipping;
    style->setLineBreakMode(mode);
    auto attributes = NSMutableDictionary::dictionary();
    if (font)
        attributes->setObject(font, NSString(NSFontAttributeName));
    attributes->setObject(style, NSString(NSParagraphStyleAttributeName));
    if (m_foregroundColor)
        attributes->setObject(m_foregroundColor, NSString(NSForegroundColorAttributeName));
    return NSAttributedString::withString(text, attributes);
}

void CATextLayer::drawInContext(const CGContextRef& context)
{
    const auto text = attributedText();
    if (!text)
        return;
    UIGraphicsPushContext(context);
    // Wrapped truncating text cuts its last visible line; unwrapped text keeps to one line.
    NSStringDrawingOptions options = NSStringDrawingUsesLineFragmentOrigin;
    if (m_wrapped && m_truncationMode != kCATruncationNone)
        options |= NSStringDrawingTruncatesLastVisibleLine;
    NSStringDrawing::drawWithRect(text, bounds(), options, nullptr);
    UIGraphicsPopContext();
}
