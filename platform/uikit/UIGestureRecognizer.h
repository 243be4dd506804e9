#pragma once
// Gesture recognisers watch the touches of their view and its subviews ahead of the views
// themselves, and move through the platform's states: a discrete gesture (tap) goes from
// possible to recognised or failed; a continuous one (pan) from possible to began, changed,
// then ended or cancelled. Each change but to failed sends the actions.
//
// When one recogniser begins or recognises, the others watching the same touches fail, unless
// a delegate lets them recognise together. One that must wait for another's failure
// (requireGestureRecognizerToFail) holds its success until the other fails, and fails if the
// other succeeds. A recogniser that succeeds with cancelsTouchesInView takes its touches from
// the views, which receive touchesCancelled; with delaysTouchesEnded (the default) a view's
// touchesEnded waits while a recogniser of that touch is still undecided.

#include "platform/uikit/UIEvent.h"

#include <functional>
#include <optional>
#include <vector>

class UIGestureEnvironment;
class UIGestureRecognizer;
class UIView;

enum class UIGestureRecognizerState : NSInteger {
    Possible = 0,
    Began = 1,
    Changed = 2,
    Ended = 3,
    Cancelled = 4,
    Failed = 5,
    Recognized = Ended,
};

class UIGestureRecognizerDelegate {
public:
    virtual ~UIGestureRecognizerDelegate() = default;
    virtual std::optional<bool> gestureRecognizerShouldBegin(UIGestureRecognizer&) { return std::nullopt; }
    virtual std::optional<bool> shouldReceiveTouch(UIGestureRecognizer&, UITouch&) { return std::nullopt; }
    virtual std::optional<bool> shouldRecognizeSimultaneouslyWithGestureRecognizer(UIGestureRecognizer&, UIGestureRecognizer&)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> shouldRequireFailureOfGestureRecognizer(UIGestureRecognizer&, UIGestureRecognizer&)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> shouldBeRequiredToFailByGestureRecognizer(UIGestureRecognizer&, UIGestureRecognizer&)
    {
        return std::nullopt;
    }
};

class UIGestureRecognizer : public NSObject {
    NS_OBJECT(UIGestureRecognizer, NSObject)
public:
    using Action = std::function<void(UIGestureRecognizer&)>;

    ~UIGestureRecognizer() override;

    // Target-action: the target is held weakly and the action runs only while it lives.
    template <class T, class G>
    void addTarget(const std::shared_ptr<T>& target, void (T::*action)(G&))
    {
        std::weak_ptr<T> weakTarget = target;
        addTarget(target, [weakTarget, action](UIGestureRecognizer& recognizer) {
            auto strongTarget = weakTarget.lock();
            auto* typed = dynamic_cast<G*>(&recognizer);
            if (strongTarget && typed)
                ((*strongTarget).*action)(*typed);
        });
    }
    template <class T>
    void addTarget(const std::shared_ptr<T>& target, void (T::*action)())
    {
        std::weak_ptr<T> weakTarget = target;
        addTarget(target, [weakTarget, action](UIGestureRecognizer&) {
            if (auto strongTarget = weakTarget.lock())
                ((*strongTarget).*action)();
        });
    }
    // A nil target keeps the action for the recogniser's lifetime.
    void addTarget(const std::shared_ptr<NSObject>& target, Action action);
    // Removes every action of the target; a nil target removes all.
    void removeTarget(const std::shared_ptr<NSObject>& target);

    UIGestureRecognizerState state() const { return m_state; }
    std::shared_ptr<UIView> view() const { return m_view.lock(); }
    bool isEnabled() const { return m_enabled; }
    // Disabling a recogniser in the middle of its gesture cancels it.
    void setEnabled(bool enabled);
    bool cancelsTouchesInView() const { return m_cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { m_cancelsTouchesInView = cancels; }
    bool delaysTouchesBegan() const { return m_delaysTouchesBegan; }
    void setDelaysTouchesBegan(bool delays) { m_delaysTouchesBegan = delays; }
    bool delaysTouchesEnded() const { return m_delaysTouchesEnded; }
    void setDelaysTouchesEnded(bool delays) { m_delaysTouchesEnded = delays; }
    std::shared_ptr<UIGestureRecognizerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UIGestureRecognizerDelegate>& delegate) { m_delegate = delegate; }

    void requireGestureRecognizerToFail(const std::shared_ptr<UIGestureRecognizer>& other);

    // The centroid of the touches, in the view's coordinates (nil: the window's).
    virtual CGPoint locationInView(const std::shared_ptr<const UIView>& view) const;
    NSUInteger numberOfTouches() const { return m_touches.count(); }
    CGPoint locationOfTouch(NSUInteger index, const std::shared_ptr<const UIView>& view) const;

    virtual bool canPreventGestureRecognizer(const UIGestureRecognizer&) const { return true; }
    virtual bool canBePreventedByGestureRecognizer(const UIGestureRecognizer&) const { return true; }

    // Subclasses read the touches here and change the state.
    virtual void touchesBegan(const UITouchSet& touches, const UIEventRef& event);
    virtual void touchesMoved(const UITouchSet& touches, const UIEventRef& event);
    virtual void touchesEnded(const UITouchSet& touches, const UIEventRef& event);
    virtual void touchesCancelled(const UITouchSet& touches, const UIEventRef& event);
    // Back to possible, after a gesture ends or fails.
    virtual void reset() { }
    // Whether the recogniser stays undecided after every finger is up (a tap waiting for the
    // next tap); others fail then.
    virtual bool waitsForNextTouch() const { return false; }

    // For views and the window.
    void setView(const std::shared_ptr<UIView>& view);
    const UITouchSet& touches() const { return m_touches; }
    void setEnvironment(const std::shared_ptr<UIGestureEnvironment>& environment) { m_environment = environment; }
    std::shared_ptr<UIGestureEnvironment> environment() const { return m_environment.lock(); }
    void addTouch(const UITouchRef& touch) { m_touches.addObject(touch); }
    void removeTouch(const UITouchRef& touch) { m_touches.removeObject(touch); }
    const std::vector<std::weak_ptr<UIGestureRecognizer>>& failureRequirements() const { return m_failureRequirements; }
    // The success held back by a requirement to fail; nothing when none waits.
    std::optional<UIGestureRecognizerState> pendingState() const { return m_pendingState; }
    void setPendingState(std::optional<UIGestureRecognizerState> state) { m_pendingState = state; }
    // Stores the state without any of the consequences; for the environment.
    void storeState(UIGestureRecognizerState state) { m_state = state; }
    void sendActions();
    void resetToPossible();

protected:
    void init() { }
    template <class T, class G>
    void init(const std::shared_ptr<T>& target, void (T::*action)(G&)) { addTarget(target, action); }
    template <class T>
    void init(const std::shared_ptr<T>& target, void (T::*action)()) { addTarget(target, action); }
    void init(Action action) { addTarget(nullptr, std::move(action)); }

    // The state change of a subclass, with everything it entails.
    void setState(UIGestureRecognizerState state);
    // The time of the event being handled, for subclasses that measure speed.
    NSTimeInterval currentTime() const;

private:
    struct Target {
        std::weak_ptr<NSObject> target;
        const NSObject* identity { nullptr };
        bool hasTarget { false };
        Action action;
    };

    UIGestureRecognizerState m_state { UIGestureRecognizerState::Possible };
    std::weak_ptr<UIView> m_view;
    std::vector<Target> m_targets;
    bool m_enabled { true };
    bool m_cancelsTouchesInView { true };
    bool m_delaysTouchesBegan { false };
    bool m_delaysTouchesEnded { true };
    std::weak_ptr<UIGestureRecognizerDelegate> m_delegate;
    std::vector<std::weak_ptr<UIGestureRecognizer>> m_failureRequirements;
    std::optional<UIGestureRecognizerState> m_pendingState;
    std::weak_ptr<UIGestureEnvironment> m_environment;
    UITouchSet m_touches;
};

using UIGestureRecognizerRef = std::shared_ptr<UIGestureRecognizer>;
