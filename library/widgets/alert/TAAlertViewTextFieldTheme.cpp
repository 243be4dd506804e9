#include "library/widgets/alert/TAAlertViewTextFieldTheme.h"

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
