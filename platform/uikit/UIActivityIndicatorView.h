#pragma once
// The spinning wheel: twelve spokes, the brightest one stepping round once a second on the main
// run loop's clock while animating. Stopped, it hides itself unless told not to.

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIView.h"

enum UIActivityIndicatorViewStyle : NSInteger {
    UIActivityIndicatorViewStyleWhiteLarge = 0,
    UIActivityIndicatorViewStyleWhite = 1,
    UIActivityIndicatorViewStyleGray = 2,
};

class UIActivityIndicatorView : public UIView {
    NS_OBJECT(UIActivityIndicatorView, UIView)
public:
    static constexpr int kSpokes = 12;

    ~UIActivityIndicatorView() override;

    UIActivityIndicatorViewStyle activityIndicatorViewStyle() const { return m_style; }
    // Takes the style's size and colour.
    void setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style);
    const UIColorRef& color() const { return m_color; }
    void setColor(const UIColorRef& color);
    bool hidesWhenStopped() const { return m_hidesWhenStopped; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_timer != nullptr; }
    // The spoke drawn brightest, 0 at twelve o'clock, clockwise.
    int leadingSpoke() const { return m_leadingSpoke; }

    void drawRect(CGRect rect) override;
    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override { return sizeThatFits(CGSizeZero); }

protected:
    void init(CGRect frame) override;
    // Framed to the style's size.
    void init(UIActivityIndicatorViewStyle style);

private:
    void step();

    UIActivityIndicatorViewStyle m_style { UIActivityIndicatorViewStyleWhite };
    UIColorRef m_color;
    bool m_hidesWhenStopped { true };
    std::shared_ptr<NSTimer> m_timer;
    int m_leadingSpoke { 0 };
};

using UIActivityIndicatorViewRef = std::shared_ptr<UIActivityIndicatorView>;
