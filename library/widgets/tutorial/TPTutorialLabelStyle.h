#pragma once
// The look of one text of the tutorial: its text, font, colour, number of lines, and how far
// above the bottom of the screen its top edge sits.

#include "platform/text/UIFont.h"
#include "platform/uikit/UIColor.h"

class TPTutorialLabelStyle : public NSObject {
    NS_OBJECT(TPTutorialLabelStyle, NSObject)
public:
    static std::shared_ptr<TPTutorialLabelStyle> initWithText(const NSString& text);
    static std::shared_ptr<TPTutorialLabelStyle> initWithFont(const UIFontRef& font, const UIColorRef& textColor,
        NSUInteger linesNumber, NSUInteger offset);

    const NSString& text() const { return m_text; }
    void setText(const NSString& text) { m_text = text; }
    const UIFontRef& font() const { return m_font; }
    void setFont(const UIFontRef& font) { m_font = font; }
    const UIColorRef& textColor() const { return m_textColor; }
    void setTextColor(const UIColorRef& color) { m_textColor = color; }
    NSUInteger linesNumber() const { return m_linesNumber; }
    void setLinesNumber(NSUInteger lines) { m_linesNumber = lines; }
    NSUInteger offset() const { return m_offset; }
    void setOffset(NSUInteger offset) { m_offset = offset; }

private:
    NSString m_text;
    UIFontRef m_font;
    UIColorRef m_textColor;
    NSUInteger m_linesNumber { 0 };
    NSUInteger m_offset { 0 };
};

using TPTutorialLabelStyleRef = std::shared_ptr<TPTutorialLabelStyle>;
