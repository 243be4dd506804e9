#pragma once
// Buttons: a title, an image and a background image for each control state. A state without a
// value of its own shows the normal state's. The image sits before the title, the two centred
// together (or aligned as the content alignments say) in the bounds less the content insets;
// the title and image insets then move and shrink each one's own area, as on the platform.
// The background image fills the bounds.
//
// Custom buttons show white titles and darken their image while highlighted; system buttons
// take the tint colour for their title and dim it while highlighted.

#include "platform/uikit/ControlStateValues.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

enum UIButtonType : NSInteger {
    UIButtonTypeCustom = 0,
    UIButtonTypeSystem = 1,
    UIButtonTypeDetailDisclosure = 2,
    UIButtonTypeInfoLight = 3,
    UIButtonTypeInfoDark = 4,
    UIButtonTypeContactAdd = 5,
    UIButtonTypeRoundedRect = UIButtonTypeSystem,
};

class UIButton : public UIControl {
    NS_OBJECT(UIButton, UIControl)
public:
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);

    UIButtonType buttonType() const { return m_buttonType; }

    void setTitle(const NSString& title, UIControlState state);
    void setTitleColor(const UIColorRef& color, UIControlState state);
    void setTitleShadowColor(const UIColorRef& color, UIControlState state);
    void setImage(const UIImageRef& image, UIControlState state);
    void setBackgroundImage(const UIImageRef& image, UIControlState state);
    // The value set for exactly this state; nil when none.
    NSString titleForState(UIControlState state) const;
    UIColorRef titleColorForState(UIControlState state) const;
    UIColorRef titleShadowColorForState(UIControlState state) const;
    UIImageRef imageForState(UIControlState state) const;
    UIImageRef backgroundImageForState(UIControlState state) const;

    // What the current state shows.
    NSString currentTitle() const;
    UIColorRef currentTitleColor() const;
    UIColorRef currentTitleShadowColor() const;
    UIImageRef currentImage() const;
    UIImageRef currentBackgroundImage() const;

    // Made on first use; their frames are laid out by the button.
    const UILabelRef& titleLabel();
    const UIImageViewRef& imageView();

    UIEdgeInsets contentEdgeInsets() const { return m_contentEdgeInsets; }
    void setContentEdgeInsets(UIEdgeInsets insets);
    UIEdgeInsets titleEdgeInsets() const { return m_titleEdgeInsets; }
    void setTitleEdgeInsets(UIEdgeInsets insets);
    UIEdgeInsets imageEdgeInsets() const { return m_imageEdgeInsets; }
    void setImageEdgeInsets(UIEdgeInsets insets);

    bool adjustsImageWhenHighlighted() const { return m_adjustsImageWhenHighlighted; }
    void setAdjustsImageWhenHighlighted(bool adjusts);
    // A soft white glow at the centre while highlighted.
    bool showsTouchWhenHighlighted() const { return m_showsTouchWhenHighlighted; }
    void setShowsTouchWhenHighlighted(bool shows);

    // Layout, overridable as on the platform.
    virtual CGRect backgroundRectForBounds(CGRect bounds) const { return bounds; }
    virtual CGRect contentRectForBounds(CGRect bounds) const;
    virtual CGRect titleRectForContentRect(CGRect contentRect) const;
    virtual CGRect imageRectForContentRect(CGRect contentRect) const;

    void layoutSubviews() override;
    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override { return sizeThatFits(CGSizeZero); }
    NSString visibleText() const override { return currentTitle(); }
    void tintColorDidChange() override;
    // A single tap on an enabled button is the button's own: an ancestor's recogniser of single
    // taps does not take it.
    bool gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer) override;

protected:
    void init(CGRect frame) override;
    void stateDidChange() override;

private:
    // Every per-state setter: stores the value and shows what the state shows now.
    template <class T>
    void storeForState(ControlStateValues<T>& values, const T& value, UIControlState state);

    // The title's own size on one line, and the image's, before any clipping.
    CGSize titleSize() const;
    CGSize imageSize() const;
    void updateContents();

    UIButtonType m_buttonType { UIButtonTypeCustom };
    ControlStateValues<NSString> m_titles;
    ControlStateValues<UIColorRef> m_titleColors;
    ControlStateValues<UIColorRef> m_titleShadowColors;
    ControlStateValues<UIImageRef> m_images;
    ControlStateValues<UIImageRef> m_backgroundImages;
    UILabelRef m_titleLabel;
    UIImageViewRef m_imageView;
    UIImageViewRef m_backgroundView;
    UIImageViewRef m_glowView;
    UIEdgeInsets m_contentEdgeInsets;
    UIEdgeInsets m_titleEdgeInsets;
    UIEdgeInsets m_imageEdgeInsets;
    bool m_adjustsImageWhenHighlighted { true };
    bool m_showsTouchWhenHighlighted { false };
};

using UIButtonRef = std::shared_ptr<UIButton>;
