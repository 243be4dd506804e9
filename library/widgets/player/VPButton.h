#pragma once
// A button of the movie controls: tells its delegate when a touch goes down, ends outside or is
// cancelled (the controls hold their auto-hide meanwhile), and takes touches up to 10 points
// beyond its frame on every side.

#include "platform/uikit/UIButton.h"

class VPButton;

class VPButtonDelegate {
public:
    virtual ~VPButtonDelegate() = default;
    virtual void buttonTouchedDown(VPButton&) { }
    virtual void buttonTouchedUpOutside(VPButton&) { }
    virtual void buttonTouchCancelled(VPButton&) { }
};

class VPButton : public UIButton {
    NS_OBJECT(VPButton, UIButton)
public:
    std::shared_ptr<VPButtonDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<VPButtonDelegate>& delegate) { m_delegate = delegate; }

    std::shared_ptr<UIView> hitTest(CGPoint point, const UIEventRef& event) override;
    bool pointInside(CGPoint point, const UIEventRef& event) const override;

    void touchedDown();
    void touchedUpOutside();
    void touchCancelled();

protected:
    void init(CGRect frame) override;

private:
    std::weak_ptr<VPButtonDelegate> m_delegate;
};
