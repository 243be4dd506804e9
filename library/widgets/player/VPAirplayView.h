#pragma once
// The route button of the movie controls: a volume view showing only its route button, with a
// press recogniser that tells the delegate of the press, of its release inside or outside the
// view, and of a press that failed.

#include "platform/media/MPMoviePlayerController.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"

class VPAirplayViewDelegate {
public:
    virtual ~VPAirplayViewDelegate() = default;
    virtual void airplayButtonTouchedDown() { }
    virtual void airplayButtonTouchedUpInside() { }
    virtual void airplayButtonTouchedUpOutside() { }
    virtual void airplayButtonTouchFailed() { }
};

class VPAirplayView : public MPVolumeView {
    NS_OBJECT(VPAirplayView, MPVolumeView)
public:
    std::shared_ptr<VPAirplayViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<VPAirplayViewDelegate>& delegate) { m_delegate = delegate; }
    const std::shared_ptr<UILongPressGestureRecognizer>& pressGesture() const { return m_pressGesture; }
    void setPressGesture(const std::shared_ptr<UILongPressGestureRecognizer>& gesture) { m_pressGesture = gesture; }

    void pressed(UILongPressGestureRecognizer& recognizer);

protected:
    void init(CGRect frame) override;

private:
    std::weak_ptr<VPAirplayViewDelegate> m_delegate;
    std::shared_ptr<UILongPressGestureRecognizer> m_pressGesture;
};
