#include "library/widgets/player/VPAirplayView.h"

void VPAirplayView::init(CGRect frame)
{
    super::init(frame);
    setShowsRouteButton(true);
    setShowsVolumeSlider(false);
    m_pressGesture = UILongPressGestureRecognizer::create(self(), &VPAirplayView::pressed);
    m_pressGesture->setMinimumPressDuration(0.01);
    m_pressGesture->setCancelsTouchesInView(false);
    addGestureRecognizer(m_pressGesture);
}

void VPAirplayView::pressed(UILongPressGestureRecognizer& recognizer)
{
    auto delegate = m_delegate.lock();
    if (!delegate)
        return;
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began:
        delegate->airplayButtonTouchedDown();
        break;
    case UIGestureRecognizerState::Ended: {
        const CGPoint location = recognizer.locationInView(self());
        const CGRect area = CGRectMake(0, 0, bounds().size.width, bounds().size.height);
        if (CGRectContainsPoint(area, location))
            delegate->airplayButtonTouchedUpInside();
        else
            delegate->airplayButtonTouchedUpOutside();
        break;
    }
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed:
        delegate->airplayButtonTouchFailed();
        break;
    default:
        break;
    }
}
