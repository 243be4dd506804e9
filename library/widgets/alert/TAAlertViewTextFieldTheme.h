#pragma once

#include "library/widgets/alert/TAAlertViewTextControlTheme.h"
#include "platform/text/NSParagraphStyle.h"

class TAAlertViewTextFieldTheme : public TAAlertViewTextControlTheme {
    NS_OBJECT(TAAlertViewTextFieldTheme, TAAlertViewTextControlTheme)
public:
    static std::shared_ptr<TAAlertViewTextFieldTheme> theme() { return create(); }
    NSTextAlignment textAlignment { NSTextAlignmentCenter };
    NSInteger borderStyle { 3 }; // rounded rectangle

protected:
    void init();
    std::shared_ptr<TAAlertViewTextControlTheme> blank() const override { return create(); }
    void copyInto(TAAlertViewTextControlTheme& copy) const override;
};
