#pragma once
// The look of the themable alert view: colours, fonts, sizes and margins, for the alert as a
// whole and for each text field and button. The alert always works on copies, so a theme changed
// after it was handed over changes nothing.

#include "platform/text/NSParagraphStyle.h"
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
