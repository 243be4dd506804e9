#include "framework/Source/PETextLayer.h"

#include "framework/Source/PEPlatformSpecificTextStyleExtensions.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PETextStyleExtensions.h"
#include "framework/Source/PEUtilities.h"
#include "platform/text/NSStringDrawing.h"

#include <cmath>

void PETextLayer::init()
{
    init(NSString(""), PETextStyle::textStyle());
}

void PETextLayer::init(CGRect frame)
{
    PEBorderedLayer::init(frame);
    m_textStyle = PETextStyle::textStyle();
    m_text = NSString("");
    setNeedsDisplayOnBoundsChange(false);
}

void PETextLayer::init(const NSString& text, const std::shared_ptr<PETextStyle>& style)
{
    PEBorderedLayer::init(CGRectZero);
    m_textStyle = style;
    m_text = text;
    sizeToFit();
}

void PETextLayer::init(const std::shared_ptr<NSAttributedString>& text)
{
    PEBorderedLayer::init(CGRectZero);
    if (text && text->length() > 0)
        m_textStyle = PEPlatformSpecificTextStyleExtensions::textStyleWithAttributes(text->attributesAtIndex(0));
    else
        m_textStyle = PETextStyle::textStyle();
    m_attributedText = text ? std::static_pointer_cast<NSAttributedString>(text->copy()) : nullptr;
    m_text = text ? text->string() : NSString("");
    sizeToFit();
}

void PETextLayer::setText(const NSString& text)
{
    if (text == m_text && !m_attributedText)
        return;
    m_text = text;
    m_attributedText = nullptr;
    sizeToFit();
    setNeedsLayout();
    setNeedsDisplay();
}

void PETextLayer::setTextStyle(const std::shared_ptr<PETextStyle>& style)
{
    if (style == m_textStyle)
        return;
    m_textStyle = style;
    m_attributedText = nullptr;
    sizeToFit();
    setNeedsDisplay();
}

void PETextLayer::setAttributedText(const std::shared_ptr<NSAttributedString>& text)
{
    if (text == m_attributedText)
        return;
    if (!text) {
        m_attributedText = nullptr;
        setText(NSString(""));
        return;
    }
    m_attributedText = std::static_pointer_cast<NSAttributedString>(text->copy());
    m_text = text->string();
    if (text->length() > 0)
        m_textStyle = PEPlatformSpecificTextStyleExtensions::textStyleWithAttributes(text->attributesAtIndex(0));
    sizeToFit();
    setNeedsDisplay();
}

void PETextLayer::setMaximumSize(CGSize size)
{
    if (size.width == m_maximumSize.width && size.height == m_maximumSize.height)
        return;
    m_maximumSize = size;
    sizeToFit();
}

CGSize PETextLayer::sizeThatFits() const
{
    CGSize textSize;
    if (m_attributedText) {
        CGSize measured = NSStringDrawing::size(m_attributedText);
        textSize = CGSize { std::ceil(measured.width), std::ceil(measured.height) };
    } else {
        textSize = PETextStyleExtensions::sizeWithTextStyle(m_text, m_textStyle);
    }
    textSize.width += paddingLeft() + paddingRight();
    textSize.height += paddingTop() + paddingBottom();
    if (m_maximumSize.width > 0)
        textSize.width = std::min(textSize.width, m_maximumSize.width);
    if (m_maximumSize.height > 0)
        textSize.height = std::min(textSize.height, m_maximumSize.height);
    return CGSize { std::ceil(textSize.width), std::ceil(textSize.height) };
}

void PETextLayer::sizeToFit()
{
    CGRect newBounds = bounds();
    newBounds.size = sizeThatFits();
    setBounds(newBounds);
}

void PETextLayer::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    PEBorderedLayer::renderAsVectorInContext(context);
    if (m_text.isNil() || m_text.length() == 0)
        return;
    CGRect box = bounds();
    CGRect textRect {
        { box.origin.x + paddingLeft(), 0 },
        { box.size.width - paddingLeft() - paddingRight(), box.size.height - paddingTop() - paddingBottom() },
    };
    // The engine's geometry has y growing upwards; text is laid out downwards from its top.
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 0, box.origin.y + box.size.height);
    CGContextScaleCTM(context, 1, -1);
    textRect.origin.y = paddingTop();
    if (m_attributedText) {
        PEPushPlatformContext(context);
        NSStringDrawing::drawWithRect(m_attributedText, textRect, NSStringDrawingUsesLineFragmentOrigin | NSStringDrawingUsesFontLeading | NSStringDrawingTruncatesLastVisibleLine, nullptr);
        PEPopPlatformContext();
    } else {
        PETextStyleExtensions::drawInRect(m_text, textRect, m_textStyle, context);
    }
    CGContextRestoreGState(context);
}

void PETextLayer::encodeWithCoder(NSCoder& coder) const
{
    PEBorderedLayer::encodeWithCoder(coder);
    coder.encodeObject(m_textStyle, "PETextLayer.textStyle");
    coder.encodeObject(m_text, "PETextLayer.text");
    coder.encodeObject(m_attributedText, "PETextLayer.attributedText");
}

bool PETextLayer::init(NSCoder& coder)
{
    if (!PEBorderedLayer::init(coder))
        return false;
    m_textStyle = coder.decodeObjectOfClass<PETextStyle>("PETextLayer.textStyle");
    if (!m_textStyle)
        m_textStyle = PETextStyle::textStyle();
    if (auto text = coder.decodeObjectOfClass<NSStringObject>("PETextLayer.text"))
        m_text = NSString(text);
    m_attributedText = coder.decodeObjectOfClass<NSAttributedString>("PETextLayer.attributedText");
    return true;
}
