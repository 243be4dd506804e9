#include "library/widgets/tutorial/TPTutorialLabelStyle.h"

std::shared_ptr<TPTutorialLabelStyle> TPTutorialLabelStyle::initWithText(const NSString& text)
{
    auto style = create();
    style->setText(text);
    return style;
}

std::shared_ptr<TPTutorialLabelStyle> TPTutorialLabelStyle::initWithFont(const UIFontRef& font, const UIColorRef& textColor,
    NSUInteger linesNumber, NSUInteger offset)
{
    auto style = create();
    style->setFont(font);
    style->setTextColor(textColor);
    style->setLinesNumber(linesNumber);
    style->setOffset(offset);
    return style;
}
