#include "platform/layers/CATextLayer.h"

#include "platform/foundation/NSAssertMainThread.h"
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
    if (auto text = dynamic_cast<const CATextLayer*>(&layer))
        m_textProperties = text->m_textProperties;
}

void CATextLayer::setString(const id& string)
{
    NSAssertMainThread();
    if (ns::isEqual(m_textProperties.string, string))
        return;
    m_textProperties.string = string ? string->copy() : nullptr;
    setNeedsDisplay();
}

void CATextLayer::setFont(const id& font)
{
    NSAssertMainThread();
    if (ns::isEqual(m_textProperties.font, font))
        return;
    m_textProperties.font = font;
    setNeedsDisplay();
}

void CATextLayer::setFontSize(CGFloat size)
{
    NSAssertMainThread();
    if (changeAnimatable(m_textProperties.fontSize, size, "fontSize"))
        setNeedsDisplay();
}

void CATextLayer::setForegroundColor(const CGColorRef& color)
{
    NSAssertMainThread();
    if (changeAnimatable(m_textProperties.foregroundColor, color, "foregroundColor"))
        setNeedsDisplay();
}

void CATextLayer::setWrapped(bool wrapped)
{
    NSAssertMainThread();
    if (m_textProperties.wrapped == wrapped)
        return;
    m_textProperties.wrapped = wrapped;
    setNeedsDisplay();
}

void CATextLayer::setTruncationMode(const NSString& mode)
{
    NSAssertMainThread();
    if (m_textProperties.truncationMode == mode)
        return;
    m_textProperties.truncationMode = mode;
    setNeedsDisplay();
}

void CATextLayer::setAlignmentMode(const NSString& mode)
{
    NSAssertMainThread();
    if (m_textProperties.alignmentMode == mode)
        return;
    m_textProperties.alignmentMode = mode;
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
        return NSNumber::numberWithDouble(m_textProperties.fontSize);
    if (key == "foregroundColor")
        return m_textProperties.foregroundColor;
    return super::valueForKey(key);
}

void CATextLayer::setValue(const id& value, const NSString& key)
{
    NSAssertMainThread();
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
    if (auto attributed = ns::cast<NSAttributedString>(m_textProperties.string))
        return attributed;
    const NSString text = NSString::fromId(m_textProperties.string);
    if (!text || text.length() == 0)
        return nullptr;
    std::shared_ptr<UIFont> font;
    if (auto given = ns::cast<UIFont>(m_textProperties.font))
        font = given->fontWithSize(m_textProperties.fontSize);
    else if (const NSString name = NSString::fromId(m_textProperties.font))
        font = UIFont::fontWithName(name, m_textProperties.fontSize);
    if (!font)
        font = UIFont::fontWithName("Helvetica", m_textProperties.fontSize);
    auto style = NSMutableParagraphStyle::create();
    const std::string alignment = m_textProperties.alignmentMode.UTF8String();
    style->setAlignment(alignment == kCAAlignmentCenter ? NSTextAlignmentCenter
            : alignment == kCAAlignmentRight            ? NSTextAlignmentRight
            : alignment == kCAAlignmentJustified        ? NSTextAlignmentJustified
            : alignment == kCAAlignmentLeft             ? NSTextAlignmentLeft
                                                        : NSTextAlignmentNatural);
    const std::string truncation = m_textProperties.truncationMode.UTF8String();
    NSLineBreakMode mode = NSLineBreakByWordWrapping;
    if (!m_textProperties.wrapped)
        mode = truncation == kCATruncationEnd ? NSLineBreakByTruncatingTail
            : truncation == kCATruncationStart ? NSLineBreakByTruncatingHead
            : truncation == kCATruncationMiddle ? NSLineBreakByTruncatingMiddle
                                                : NSLineBreakByClipping;
    style->setLineBreakMode(mode);
    auto attributes = NSMutableDictionary::dictionary();
    if (font)
        attributes->setObject(font, NSString(NSFontAttributeName));
    attributes->setObject(style, NSString(NSParagraphStyleAttributeName));
    if (m_textProperties.foregroundColor)
        attributes->setObject(m_textProperties.foregroundColor, NSString(NSForegroundColorAttributeName));
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
    if (m_textProperties.wrapped && m_textProperties.truncationMode != kCATruncationNone)
        options |= NSStringDrawingTruncatesLastVisibleLine;
    NSStringDrawing::drawWithRect(text, bounds(), options, nullptr);
    UIGraphicsPopContext();
}
