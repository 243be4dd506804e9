#include "library/widgets/alert/TAAlertViewTheme.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/uikit/UIScreen.h"

namespace {

template <class T>
std::shared_ptr<T> copyOf(const std::shared_ptr<T>& theme)
{
    return theme ? std::static_pointer_cast<T>(theme->copy()) : nullptr;
}

} // namespace

void TAAlertViewTheme::init()
{
    lineWidth = 1 / UIScreen::mainScreen()->scale();
    textFieldTheme = TAAlertViewTextFieldTheme::create();
    buttonTheme = TAAlertViewButtonTheme::create();
    primaryButtonTheme = std::static_pointer_cast<TAAlertViewButtonTheme>(TAAlertViewButtonTheme::create()->themeWithBoldSystemFont());
    otherButtonTheme = std::static_pointer_cast<TAAlertViewButtonTheme>(TAAlertViewButtonTheme::create()->themeWithRegularSystemFont());
}

namespace {

Guarded<std::shared_ptr<TAAlertViewTheme>>& storedDefaultTheme()
{
    static NeverDestroyed<Guarded<std::shared_ptr<TAAlertViewTheme>>> theme;
    return theme.get();
}

} // namespace

std::shared_ptr<TAAlertViewTheme> TAAlertViewTheme::defaultTheme()
{
    auto stored = storedDefaultTheme().lock();
    if (!*stored)
        *stored = create();
    return (*stored)->copyTheme();
}

void TAAlertViewTheme::setDefaultTheme(const std::shared_ptr<TAAlertViewTheme>& theme)
{
    *storedDefaultTheme().lock() = theme ? theme->copyTheme() : create();
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
