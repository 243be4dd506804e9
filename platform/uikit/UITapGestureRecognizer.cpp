#include "platform/uikit/UITapGestureRecognizer.h"

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

#include <cmath>

namespace {

CGPoint centroid(const UITouchSet& touches)
{
    CGPoint sum;
    for (const auto& touch : touches) {
        sum.x += touch->locationInWindow().x;
        sum.y += touch->locationInWindow().y;
    }
    const auto count = static_cast<CGFloat>(std::max<NSUInteger>(touches.count(), 1));
    return { sum.x / count, sum.y / count };
}

CGFloat distance(CGPoint a, CGPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

} // namespace

UITapGestureRecognizer::~UITapGestureRecognizer()
{
    if (m_failTimer)
        m_failTimer->invalidate();
}

void UITapGestureRecognizer::touchesBegan(const UITouchSet& touches, const UIEventRef&)
{
    if (m_failTimer) {
        m_failTimer->invalidate();
        m_failTimer = nullptr;
    }
    m_fingersDown += touches.count();
    m_mostFingers = std::max(m_mostFingers, m_fingersDown);
    if (m_fingersDown > m_numberOfTouchesRequired) {
        setState(UIGestureRecognizerState::Failed);
        return;
    }
    m_window = touches.anyObject()->window();
    m_tapStart = centroid(this->touches());
    if (m_tapsMade == 0)
        m_firstTapStart = m_tapStart;
    else if (distance(m_tapStart, m_firstTapStart) > maximumDistanceBetweenTaps)
        setState(UIGestureRecognizerState::Failed);
}

void UITapGestureRecognizer::touchesMoved(const UITouchSet&, const UIEventRef&)
{
    if (distance(centroid(touches()), m_tapStart) > allowableMovement)
        setState(UIGestureRecognizerState::Failed);
}

void UITapGestureRecognizer::touchesEnded(const UITouchSet& touches, const UIEventRef&)
{
    // Where all the tap's fingers were, taken as the first of them lifts.
    if (m_fingersDown == m_mostFingers)
        m_lastLocation = centroid(this->touches());
    m_fingersDown -= std::min(m_fingersDown, touches.count());
    if (m_fingersDown > 0)
        return;
    if (m_mostFingers != m_numberOfTouchesRequired) {
        setState(UIGestureRecognizerState::Failed);
        return;
    }
    m_mostFingers = 0;
    if (++m_tapsMade >= m_numberOfTapsRequired) {
        setState(UIGestureRecognizerState::Recognized);
        return;
    }
    failLater();
}

void UITapGestureRecognizer::failLater()
{
    std::weak_ptr<UITapGestureRecognizer> weakSelf = self();
    m_failTimer = NSTimer::scheduledTimerWithTimeInterval(maximumIntervalBetweenTaps, [weakSelf](const auto&) {
        if (auto strongSelf = weakSelf.lock()) {
            strongSelf->m_failTimer = nullptr;
            if (strongSelf->state() == UIGestureRecognizerState::Possible)
                strongSelf->setState(UIGestureRecognizerState::Failed);
        }
    }, false);
}

void UITapGestureRecognizer::reset()
{
    if (m_failTimer) {
        m_failTimer->invalidate();
        m_failTimer = nullptr;
    }
    m_tapsMade = 0;
    m_fingersDown = 0;
    m_mostFingers = 0;
}

CGPoint UITapGestureRecognizer::locationInView(const std::shared_ptr<const UIView>& view) const
{
    if (!touches().empty())
        return UIGestureRecognizer::locationInView(view);
    if (!view)
        return m_lastLocation;
    return view->convertPointFromView(m_lastLocation, lastWindow());
}
