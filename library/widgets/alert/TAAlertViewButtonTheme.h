#pragma once

#include "library/widgets/alert/TAAlertViewTextControlTheme.h"

class TAAlertViewButtonTheme : public TAAlertViewTextControlTheme {
    NS_OBJECT(TAAlertViewButtonTheme, TAAlertViewTextControlTheme)
public:
    static std::shared_ptr<TAAlertViewButtonTheme> theme() { return create(); }
    UIColorRef textShadowColor { UIColor::clearColor() };
    CGFloat textShadowOpacity { 0 };
    CGFloat textShadowRadius { 0 };
    CGSize textShadowOffset { 0, 0 };

protected:
    void init();
    std::shared_ptr<TAAlertViewTextControlTheme> blank() const override { return create(); }
    void copyInto(TAAlertViewTextControlTheme& copy) const override;
};
