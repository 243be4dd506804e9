#pragma once
// When the on-screen keyboard comes and goes, and what it tells the application. A show posts
// will-change-frame and will-show at once, with the frame the keyboard starts from (below the
// screen) and the one it ends at, the duration and the curve; after the duration the matching
// did-change-frame and did-show follow. A hide does the same with will-hide and did-hide. A
// show while the keyboard is up (the first responder moved to another text control) announces
// the move from the present frame to the new one. A transition started before the last one
// ended first posts the last one's did-notifications, so every will has its did.
//
// The notifications carry no object; frames are in screen coordinates.

#include "platform/foundation/NSObject.h"
#include "platform/graphics/CGGeometry.h"

#include <functional>

class NSTimer;

inline constexpr const char* UIKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline constexpr const char* UIKeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline constexpr const char* UIKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline constexpr const char* UIKeyboardDidHideNotification = "UIKeyboardDidHideNotification";
inline constexpr const char* UIKeyboardWillChangeFrameNotification = "UIKeyboardWillChangeFrameNotification";
inline constexpr const char* UIKeyboardDidChangeFrameNotification = "UIKeyboardDidChangeFrameNotification";

inline constexpr const char* UIKeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
inline constexpr const char* UIKeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline constexpr const char* UIKeyboardAnimationDurationUserInfoKey = "UIKeyboardAnimationDurationUserInfoKey";
inline constexpr const char* UIKeyboardAnimationCurveUserInfoKey = "UIKeyboardAnimationCurveUserInfoKey";

class KeyboardTransitions : public NSObject {
    NS_OBJECT(KeyboardTransitions, NSObject)
public:
    static constexpr CGFloat keyboardHeight = 216;
    static constexpr NSTimeInterval animationDuration = 0.25;
    // The keyboard's own curve; observers shift it left by 16 to make animation options.
    static constexpr NSInteger animationCurve = 7;

    enum class Phase { Hidden, Showing, Shown, Hiding };

    ~KeyboardTransitions() override;

    Phase phase() const { return m_phase; }
    bool isVisible() const { return m_phase == Phase::Showing || m_phase == Phase::Shown; }
    // Where the keyboard is, or is going: on screen while visible, just below it otherwise.
    CGRect frame() const { return m_frame; }

    // height: the keys (or the field's input view) and the accessory view above them.
    void show(CGFloat height);
    void hide();
    // Posts the did-notifications of a running transition now.
    void finish();

    // Told of each transition as it starts, before its notifications, so that the panel on
    // screen moves with what observers are told.
    using TransitionHandler = std::function<void(Phase phase, CGRect begin, CGRect end)>;
    void setTransitionHandler(TransitionHandler handler) { m_transitionHandler = std::move(handler); }
    // Told when a transition ends, before its did-notifications, with the phase it ended in.
    using FinishHandler = std::function<void(Phase phase)>;
    void setFinishHandler(FinishHandler handler) { m_finishHandler = std::move(handler); }

protected:
    void init(CGRect screenBounds);

private:
    void begin(Phase phase, CGRect end, const char* willName);
    void post(const char* name, CGRect begin, CGRect end) const;
    CGRect offscreenFrame(CGFloat height) const;

    CGRect m_screenBounds { CGRectZero };
    CGRect m_frame { CGRectZero };
    CGRect m_transitionBegin { CGRectZero };
    Phase m_phase { Phase::Hidden };
    std::shared_ptr<NSTimer> m_timer;
    TransitionHandler m_transitionHandler;
    FinishHandler m_finishHandler;
};
