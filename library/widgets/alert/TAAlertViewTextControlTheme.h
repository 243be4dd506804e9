#pragma once
// The look of one text control of the alert (a field or a button).

#include "platform/text/UIFont.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGeometry.h"

// Top, bottom, left, right.
struct TAAlertViewMargins {
    CGFloat top { 0 }, bottom { 0 }, left { 0 }, right { 0 };
    bool operator==(const TAAlertViewMargins&) const = default;
};

class TAAlertViewTextControlTheme : public NSObject {
    NS_OBJECT(TAAlertViewTextControlTheme, NSObject)
public:
    static std::shared_ptr<TAAlertViewTextControlTheme> theme() { return create(); }
    id copy() const override;
    // A copy with the regular or bold system font of the same size.
    std::shared_ptr<TAAlertViewTextControlTheme> themeWithRegularSystemFont() const;
    std::shared_ptr<TAAlertViewTextControlTheme> themeWithBoldSystemFont() const;

    UIFontRef font { UIFont::systemFontOfSize(17) };
    NSInteger verticalContentAlignment { 0 };
    NSInteger horizontalContentAlignment { 0 };
    UIColorRef textColor { UIColor::darkTextColor() };
    UIColorRef highlightTextColor;
    UIColorRef disabledTextColor { UIColor::grayColor() };
    UIColorRef backgroundColor { UIColor::clearColor() };
    UIColorRef highlightBackgroundColor { UIColor::clearColor() };
    UIColorRef borderColor { UIColor::blackColor() };
    CGFloat borderWidth { 0 };
    CGFloat cornerRadius { 0 };
    CGFloat height { 44 };
    TAAlertViewMargins margins { 0, 5, 5, 5 };

protected:
    void init() { }
    virtual std::shared_ptr<TAAlertViewTextControlTheme> blank() const { return create(); }
    virtual void copyInto(TAAlertViewTextControlTheme& copy) const;
};
