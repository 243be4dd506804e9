#include "library/widgets/tutorial/TPTutorialLabelStyle.h"

std::shared_ptr<TPTutorialLabelStyle> TPTutorialLabelStyle::initWithText(const NSString& text)
{
    auto style = create();
    style->text = text;
    return style;
}

std::shared_ptr<TPTutorialLabelStyle> TPTutorialLabelStyle::initWithFont(const UIFontRef& font, const UIColorRef& textColor,
    NSUInteger linesNumber, NSUInteger offset)
{
    auto style = create();
    style->font = font;
    style->textColor = textColor;
    style->linesNumber = linesNumber;
    style->offset = offset;
    return style;
}
