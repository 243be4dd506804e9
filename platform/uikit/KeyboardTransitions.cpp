#include "platform/uikit/KeyboardTransitions.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"
#include "platform/layers/NSValueGeometry.h"

KeyboardTransitions::~KeyboardTransitions()
{
    if (m_timer)
        m_timer->invalidate();
}

void KeyboardTransitions::init(CGRect screenBounds)
{
    m_screenBounds = screenBounds;
    m_frame = offscreenFrame(keyboardHeight);
}

CGRect KeyboardTransitions::offscreenFrame(CGFloat height) const
{
    return CGRectMake(CGRectGetMinX(m_screenBounds), CGRectGetMaxY(m_screenBounds), m_screenBounds.size.width, height);
}

void KeyboardTransitions::show(CGFloat height)
{
    finish();
    CGRect end = CGRectMake(CGRectGetMinX(m_screenBounds), CGRectGetMaxY(m_screenBounds) - height,
        m_screenBounds.size.width, height);
    if (m_phase == Phase::Hidden)
        m_frame = offscreenFrame(height);
    begin(Phase::Showing, end, UIKeyboardWillShowNotification);
}

void KeyboardTransitions::hide()
{
    finish();
    if (m_phase == Phase::Hidden)
        return;
    begin(Phase::Hiding, offscreenFrame(m_frame.size.height), UIKeyboardWillHideNotification);
}

void KeyboardTransitions::begin(Phase phase, CGRect end, const char* willName)
{
    m_transitionBegin = m_frame;
    m_frame = end;
    m_phase = phase;
    if (m_transitionHandler)
        m_transitionHandler(phase, m_transitionBegin, end);
    // The keyboard's animation runs whatever the loop's mode, so a scroll being tracked does not
    // hold back the did-notifications.
    std::weak_ptr<KeyboardTransitions> weakSelf = self();
    m_timer = NSTimer::timerWithTimeInterval(animationDuration, [weakSelf](const std::shared_ptr<NSTimer>&) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->finish();
    }, false);
    NSRunLoop::mainRunLoop()->addTimer(m_timer, NSRunLoopCommonModes);
    post(UIKeyboardWillChangeFrameNotification, m_transitionBegin, end);
    post(willName, m_transitionBegin, end);
}

void KeyboardTransitions::finish()
{
    if (m_phase != Phase::Showing && m_phase != Phase::Hiding)
        return;
    bool showing = m_phase == Phase::Showing;
    m_phase = showing ? Phase::Shown : Phase::Hidden;
    if (auto timer = std::move(m_timer))
        timer->invalidate();
    if (m_finishHandler)
        m_finishHandler(m_phase);
    post(UIKeyboardDidChangeFrameNotification, m_transitionBegin, m_frame);
    post(showing ? UIKeyboardDidShowNotification : UIKeyboardDidHideNotification, m_transitionBegin, m_frame);
}

void KeyboardTransitions::post(const char* name, CGRect begin, CGRect end) const
{
    auto userInfo = NSDictionary::dictionaryWithObjectsAndKeys({
        { NSValueGeometry::valueWithCGRect(begin), NSString(UIKeyboardFrameBeginUserInfoKey) },
        { NSValueGeometry::valueWithCGRect(end), NSString(UIKeyboardFrameEndUserInfoKey) },
        { NSNumber::numberWithDouble(animationDuration), NSString(UIKeyboardAnimationDurationUserInfoKey) },
        { NSNumber::numberWithInteger(animationCurve), NSString(UIKeyboardAnimationCurveUserInfoKey) },
    });
    NSNotificationCenter::defaultCenter()->postNotificationName(name, nullptr, userInfo);
}
