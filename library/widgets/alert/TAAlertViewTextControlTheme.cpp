#include "library/widgets/alert/TAAlertViewTextControlTheme.h"

namespace {

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
