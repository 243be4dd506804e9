#include "library/widgets/player/VPButton.h"

namespace {

constexpr CGFloat kTouchMargin = 10;

} // namespace

void VPButton::init(CGRect frame)
{
    super::init(frame);
    setShowsTouchWhenHighlighted(true);
    addTarget(self(), &VPButton::touchedDown, UIControlEventTouchDown);
    addTarget(self(), &VPButton::touchedUpOutside, UIControlEventTouchUpOutside);
    addTarget(self(), &VPButton::touchCancelled, UIControlEventTouchCancel);
}

bool VPButton::pointInside(CGPoint point, const UIEventRef&) const
{
    const CGRect area = CGRectInset(bounds(), -kTouchMargin, -kTouchMargin);
    return CGRectContainsPoint(area, point);
}

std::shared_ptr<UIView> VPButton::hitTest(CGPoint point, const UIEventRef& event)
{
    if (isHidden() || !isUserInteractionEnabled() || alpha() < 0.01)
        return nullptr;
    return pointInside(point, event) ? self() : nullptr;
}

void VPButton::touchedDown()
{
    if (auto delegate = m_delegate.lock())
        delegate->buttonTouchedDown(*this);
}

void VPButton::touchedUpOutside()
{
    if (auto delegate = m_delegate.lock())
        delegate->buttonTouchedUpOutside(*this);
}

void VPButton::touchCancelled()
{
    if (auto delegate = m_delegate.lock())
        delegate->buttonTouchCancelled(*this);
}
