#include "library/widgets/alert/TAAlertViewButtonTheme.h"

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
