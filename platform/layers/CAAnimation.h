#pragma once
// The base of layer animations, with the platform's media timing: an animation starts at its
// beginTime (0: when it is added to a layer), runs for duration seconds (0: a quarter second,
// or its group's duration) each repetition, twice as long when it autoreverses, and shows its
// value before and after that span only where fillMode says so.
//
// A layer keeps a copy of an animation added to it; the delegate is retained, as the platform
// retains it, and told about the copy.

#include "platform/foundation/NSString.h"
#include "platform/foundation/PassKey.h"
#include "platform/layers/CABase.h"
#include "platform/layers/CAAction.h"
#include "platform/layers/CAAnimationDelegate.h"
#include "platform/layers/CAMediaTimingFunction.h"

#include <optional>
#include <vector>

class CALayer;
class CATransactionCompletion;
class NSMutableDictionary;

inline constexpr const char* kCAFillModeRemoved = "removed";
inline constexpr const char* kCAFillModeForwards = "forwards";
inline constexpr const char* kCAFillModeBackwards = "backwards";
inline constexpr const char* kCAFillModeBoth = "both";

class CAAnimation : public NSObject, public CAAction {
    NS_OBJECT(CAAnimation, NSObject)
public:
    static std::shared_ptr<CAAnimation> animation() { return create(); }

    const CAMediaTimingFunctionRef& timingFunction() const { return m_timingFunction; }
    void setTimingFunction(CAMediaTimingFunctionRef function) { m_timingFunction = std::move(function); }
    const std::shared_ptr<CAAnimationDelegate>& delegate() const { return m_delegate; }
    void setDelegate(std::shared_ptr<CAAnimationDelegate> delegate) { m_delegate = std::move(delegate); }
    bool isRemovedOnCompletion() const { return m_removedOnCompletion; }
    void setRemovedOnCompletion(bool removed) { m_removedOnCompletion = removed; }

    CFTimeInterval beginTime() const { return m_beginTime; }
    void setBeginTime(CFTimeInterval time) { m_beginTime = time; }
    CFTimeInterval duration() const { return m_duration; }
    void setDuration(CFTimeInterval duration) { m_duration = duration; }
    float speed() const { return m_speed; }
    void setSpeed(float speed) { m_speed = speed; }
    CFTimeInterval timeOffset() const { return m_timeOffset; }
    void setTimeOffset(CFTimeInterval offset) { m_timeOffset = offset; }
    float repeatCount() const { return m_repeatCount; }
    void setRepeatCount(float count) { m_repeatCount = count; }
    CFTimeInterval repeatDuration() const { return m_repeatDuration; }
    void setRepeatDuration(CFTimeInterval duration) { m_repeatDuration = duration; }
    bool autoreverses() const { return m_autoreverses; }
    void setAutoreverses(bool autoreverses) { m_autoreverses = autoreverses; }
    const NSString& fillMode() const { return m_fillMode; }
    void setFillMode(const NSString& mode) { m_fillMode = mode; }

    // Values under keys of the caller's own, carried along with the copies.
    id valueForKey(const NSString& key) const;
    void setValue(const id& value, const NSString& key);

    // Adds a copy of the animation to the layer under the key.
    void runActionForKey(const NSString& key, const id& object, const std::shared_ptr<NSDictionary>& arguments) override;

    id copy() const override;

    // Timing within the parent's timeline (the layer's, or the group's). The duration of one
    // repetition, after the defaults.
    CFTimeInterval effectiveDuration(CFTimeInterval inheritedDuration = 0) const;
    // The span during which the animation is active, in its own time; infinite for endless repeats.
    CFTimeInterval activeDuration(CFTimeInterval inheritedDuration = 0) const;
    // When the active span ends, in the parent's time.
    CFTimeInterval endTime(CFTimeInterval inheritedDuration = 0) const;
    // Seconds into the current repetition (0...effectiveDuration) at the parent's time; nothing
    // when the animation has no effect then.
    std::optional<CFTimeInterval> simpleTime(CFTimeInterval parentTime, CFTimeInterval inheritedDuration = 0) const;

    // Writes the animation's values at the parent's time into a presentation layer.
    virtual void applyAtTime(CFTimeInterval parentTime, CALayer& layer, CFTimeInterval inheritedDuration = 0) const;

    // State of a copy running on a layer, kept by that layer.
    struct RunningState {
        bool didStart { false };
        bool didStop { false };
        std::vector<std::shared_ptr<CATransactionCompletion>> transactions;
    };
    RunningState& runningState(PassKey<CALayer>) { return m_running; }

protected:
    void init(const CAAnimation& other);
    bool fillsForwards() const;
    bool fillsBackwards() const;

private:
    CAMediaTimingFunctionRef m_timingFunction;
    std::shared_ptr<CAAnimationDelegate> m_delegate;
    bool m_removedOnCompletion { true };
    CFTimeInterval m_beginTime { 0 };
    CFTimeInterval m_duration { 0 };
    float m_speed { 1 };
    CFTimeInterval m_timeOffset { 0 };
    float m_repeatCount { 0 };
    CFTimeInterval m_repeatDuration { 0 };
    bool m_autoreverses { false };
    NSString m_fillMode { kCAFillModeRemoved };
    std::shared_ptr<NSMutableDictionary> m_values;
    RunningState m_running;
};

using CAAnimationRef = std::shared_ptr<CAAnimation>;
