#include "library/widgets/alert/TAAlertViewTheme.h"

#include "platform/uikit/UIScreen.h"

#include <mutex>

namespace {

template <class T>
std::shared_ptr<T> copyOf(const std::shared_ptr<T>& theme)
{
    return theme ? std::static_pointer_cast<T>(theme->copy()) : nullptr;
}

std::shared_ptr<TAAlertViewTextControlTheme> withFont(const TAAlertViewTextControlTheme& theme, const UIFontRef& font)
{
    auto copy = std::static_pointer_cast<TAAlertViewTextControlTheme>(theme.copy());
    copy->font = font;
    return copy;
}

} // namespace

id TAAlertViewTextControlTheme::copy() const
{
    auto copy = blank();
    copyInto(*copy);
    return copy;
}

void TAAlertViewTextControlTheme::copyInto(TAAlertViewTextControlTheme& copy) const
{
    copy.font = font;
    copy.verticalContentAlignment = verticalContentAlignment;
    copy.horizontalContentAlignment = horizontalContentAlignment;
    copy.textColor = textColor;
    copy.highlightTextColor = highlightTextColor;
    copy.disabledTextColor = disabledTextColor;
    copy.backgroundColor = backgroundColor;
    copy.highlightBackgroundColor = highlightBackgroundColor;
    copy.borderColor = borderColor;
    copy.borderWidth = borderWidth;
    copy.cornerRadius = cornerRadius;
    copy.height = height;
    copy.margins = margins;
}

std::shared_ptr<TAAlertViewTextControlTheme> TAAlertViewTextControlTheme::themeWithRegularSystemFont() const
{
    return withFont(*this, UIFont::systemFontOfSize(font ? font->pointSize() : 17));
}

std::shared_ptr<TAAlertViewTextControlTheme> TAAlertViewTextControlTheme::themeWithBoldSystemFont() const
{
    return withFont(*this, UIFont::boldSystemFontOfSize(font ? font->pointSize() : 17));
}

void TAAlertViewTextFieldTheme::init()
{
    height = 33;
    backgroundColor = UIColor::whiteColor();
    highlightBackgroundColor = UIColor::colorWithHue(0.61, 0.92, 0.97, 0.1);
    borderColor = UIColor::clearColor();
}

void TAAlertViewTextFieldTheme::copyInto(TAAlertViewTextControlTheme& copy) const
{
    TAAlertViewTextControlTheme::copyInto(copy);
    auto& field = static_cast<TAAlertViewTextFieldTheme&>(copy);
    field.textAlignment = textAlignment;
    field.borderStyle = borderStyle;
}

void TAAlertViewButtonTheme::init()
{
    textColor = UIColor::colorWithHue(0.61, 0.92, 0.97, 1.0);
    highlightBackgroundColor = UIColor::colorWithWhite(0, 0.1);
}

void TAAlertViewButtonTheme::copyInto(TAAlertViewTextControlTheme& copy) const
{
    TAAlertViewTextControlTheme::copyInto(copy);
    auto& button = static_cast<TAAlertViewButtonTheme&>(copy);
    button.textShadowColor = textShadowColor;
    button.textShadowOpacity = textShadowOpacity;
    button.textShadowRadius = textShadowRadius;
    button.textShadowOffset = textShadowOffset;
}

void TAAlertViewTheme::init()
{
    lineWidth = 1 / UIScreen::mainScreen()->scale();
    textFieldTheme = TAAlertViewTextFieldTheme::create();
    buttonTheme = TAAlertViewButtonTheme::create();
    primaryButtonTheme = std::static_pointer_cast<TAAlertViewButtonTheme>(TAAlertViewButtonTheme::create()->themeWithBoldSystemFont());
    otherButtonTheme = std::static_pointer_cast<TAAlertViewButtonTheme>(TAAlertViewButtonTheme::create()->themeWithRegularSystemFont());
}

namespace {

std::mutex& defaultThemeMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<TAAlertViewTheme>& storedDefaultTheme()
{
    static std::shared_ptr<TAAlertViewTheme> theme;
    return theme;
}

} // namespace

std::shared_ptr<TAAlertViewTheme> TAAlertViewTheme::defaultTheme()
{
    std::lock_guard lock(defaultThemeMutex());
    auto& stored = storedDefaultTheme();
    if (!stored)
        stored = create();
    return stored->copyTheme();
}

void TAAlertViewTheme::setDefaultTheme(const std::shared_ptr<TAAlertViewTheme>& theme)
{
    std::lock_guard lock(defaultThemeMutex());
    storedDefaultTheme() = theme ? theme->copyTheme() : create();
}

std::shared_ptr<TAAlertViewTheme> TAAlertViewTheme::copyTheme() const
{
    auto copy = create();
    copy->backgroundColor = backgroundColor;
    copy->cornerRadius = cornerRadius;
    copy->lineWidth = lineWidth;
    copy->lineColor = lineColor;
    copy->borderColor = borderColor;
    copy->borderWidth = borderWidth;
    copy->contentViewMargins = contentViewMargins;
    copy->titleMargins = titleMargins;
    copy->titleColor = titleColor;
    copy->titleFont = titleFont;
    copy->titleBackgroundColor = titleBackgroundColor;
    copy->messageMargins = messageMargins;
    copy->messageColor = messageColor;
    copy->messageFont = messageFont;
    copy->messageAlignment = messageAlignment;
    copy->messageLineBreakMode = messageLineBreakMode;
    copy->shadowColor = shadowColor;
    copy->shadowOpacity = shadowOpacity;
    copy->shadowRadius = shadowRadius;
    copy->shadowOffset = shadowOffset;
    copy->textFieldTheme = copyOf(textFieldTheme);
    copy->buttonTheme = copyOf(buttonTheme);
    copy->primaryButtonTheme = copyOf(primaryButtonTheme);
    copy->otherButtonTheme = copyOf(otherButtonTheme);
    return copy;
}

void TAAlertViewTheme::setButtonTheme(const std::shared_ptr<TAAlertViewButtonTheme>& theme)
{
    buttonTheme = theme;
    primaryButtonTheme = theme;
    otherButtonTheme = theme;
}

void TAAlertViewTheme::adjustPropertiesForStyleHUD()
{
    backgroundColor = UIColor::colorWithWhite(0, 0.65);
    lineColor = UIColor::colorWithWhite(1, 0.5);
    titleColor = UIColor::whiteColor();
    messageColor = UIColor::whiteColor();
}
