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

    NSString text;
    UIFontRef font;
    UIColorRef textColor;
    NSUInteger linesNumber { 0 };
    NSUInteger offset { 0 };
};

using TPTutorialLabelStyleRef = std::shared_ptr<TPTutorialLabelStyle>;
