#pragma once
// The look every tutorial page shares unless a page sets its own font or colour: one instance
// for the process. Unset values read as the defaults: titles bold 17 points, white, one line,
// 180 points above the bottom; subtitles 15 points, white, two lines, 150 points above it.

#include "library/widgets/tutorial/TPTutorialLabelStyle.h"

#include <limits>

class TPTutorialStyle : public NSObject {
    NS_OBJECT(TPTutorialStyle, NSObject)
public:
    // Marks a number as unset, also when it is set to this value.
    static constexpr NSInteger kUnset = std::numeric_limits<NSInteger>::max();

    static const std::shared_ptr<TPTutorialStyle>& sharedInstance();

    UIFontRef titleFont() const;
    void setTitleFont(const UIFontRef& font) { m_titleFont = font; }
    UIColorRef titleColor() const;
    void setTitleColor(const UIColorRef& color) { m_titleColor = color; }
    NSInteger titleLinesNumber() const { return m_titleLinesNumber == kUnset ? 1 : m_titleLinesNumber; }
    void setTitleLinesNumber(NSInteger lines) { m_titleLinesNumber = lines; }
    NSInteger titleOffset() const { return m_titleOffset == kUnset ? 180 : m_titleOffset; }
    void setTitleOffset(NSInteger offset) { m_titleOffset = offset; }

    UIFontRef subTitleFont() const;
    void setSubTitleFont(const UIFontRef& font) { m_subTitleFont = font; }
    UIColorRef subTitleColor() const;
    void setSubTitleColor(const UIColorRef& color) { m_subTitleColor = color; }
    NSInteger subTitleLinesNumber() const { return m_subTitleLinesNumber == kUnset ? 2 : m_subTitleLinesNumber; }
    void setSubTitleLinesNumber(NSInteger lines) { m_subTitleLinesNumber = lines; }
    NSInteger subTitleOffset() const { return m_subTitleOffset == kUnset ? 150 : m_subTitleOffset; }
    void setSubTitleOffset(NSInteger offset) { m_subTitleOffset = offset; }

    // The stored style, or while none is stored a new one from the four values above.
    TPTutorialLabelStyleRef titleStyle() const;
    void setTitleStyle(const TPTutorialLabelStyleRef& style) { m_titleStyle = style; }
    TPTutorialLabelStyleRef subTitleStyle() const;
    void setSubTitleStyle(const TPTutorialLabelStyleRef& style) { m_subTitleStyle = style; }

private:
    UIFontRef m_titleFont;
    UIColorRef m_titleColor;
    NSInteger m_titleLinesNumber { kUnset };
    NSInteger m_titleOffset { kUnset };
    UIFontRef m_subTitleFont;
    UIColorRef m_subTitleColor;
    NSInteger m_subTitleLinesNumber { kUnset };
    NSInteger m_subTitleOffset { kUnset };
    TPTutorialLabelStyleRef m_titleStyle;
    TPTutorialLabelStyleRef m_subTitleStyle;
};
