#pragma once
// The look of the themable alert view: colours, fonts, sizes and margins, for the alert as a
// whole and for each text field and button. The alert always works on copies, so a theme changed
// after it was handed over changes nothing.

#include "library/widgets/alert/TAAlertViewButtonTheme.h"
#include "library/widgets/alert/TAAlertViewTextFieldTheme.h"

class TAAlertViewTheme : public NSObject {
    NS_OBJECT(TAAlertViewTheme, NSObject)
public:
    static std::shared_ptr<TAAlertViewTheme> theme() { return create(); }
    // The starting theme of every new alert: a copy in, a copy out, under a lock.
    static std::shared_ptr<TAAlertViewTheme> defaultTheme();
    static void setDefaultTheme(const std::shared_ptr<TAAlertViewTheme>& theme);

    std::shared_ptr<TAAlertViewTheme> copyTheme() const;
    id copy() const override { return copyTheme(); }
    // One theme for every button alike (not copied).
    void setButtonTheme(const std::shared_ptr<TAAlertViewButtonTheme>& theme);
    // Dark: black at 65 %, white lines at 50 %, white text.
    void adjustPropertiesForStyleHUD();

    UIColorRef backgroundColor { UIColor::colorWithWhite(0.9, 1) };
    CGFloat cornerRadius { 8 };
    CGFloat lineWidth { 0.5 };
    UIColorRef lineColor { UIColor::clearColor() };
    UIColorRef borderColor { UIColor::clearColor() };
    CGFloat borderWidth { 0 };
    TAAlertViewMargins contentViewMargins { 0, 10, 10, 10 };
    TAAlertViewMargins titleMargins { 18, 15, 10, 10 };
    UIColorRef titleColor { UIColor::darkTextColor() };
    UIFontRef titleFont { UIFont::boldSystemFontOfSize(17) };
    UIColorRef titleBackgroundColor;
    TAAlertViewMargins messageMargins { -5, 18, 10, 10 };
    UIColorRef messageColor { UIColor::darkTextColor() };
    UIFontRef messageFont { UIFont::systemFontOfSize(15) };
    NSTextAlignment messageAlignment { NSTextAlignmentCenter };
    NSLineBreakMode messageLineBreakMode { NSLineBreakByWordWrapping };
    UIColorRef shadowColor { UIColor::blackColor() };
    CGFloat shadowOpacity { 0.5 };
    CGFloat shadowRadius { 20 };
    CGSize shadowOffset { 0, 0 };
    std::shared_ptr<TAAlertViewTextFieldTheme> textFieldTheme;
    std::shared_ptr<TAAlertViewButtonTheme> buttonTheme;
    std::shared_ptr<TAAlertViewButtonTheme> primaryButtonTheme;
    std::shared_ptr<TAAlertViewButtonTheme> otherButtonTheme;

protected:
    void init();
};
