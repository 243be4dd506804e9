#include "platform/uikit/UIGestureEnvironment.h"

#include "platform/uikit/UIView.h"

#include <algorithm>
#include <map>

namespace {

bool isActive(UIGestureRecognizerState state)
{
    return state == UIGestureRecognizerState::Possible || state == UIGestureRecognizerState::Began
        || state == UIGestureRecognizerState::Changed;
}

bool isTerminal(UIGestureRecognizerState state)
{
    return state == UIGestureRecognizerState::Ended || state == UIGestureRecognizerState::Cancelled
        || state == UIGestureRecognizerState::Failed;
}

bool hasRecognized(UIGestureRecognizerState state)
{
    return state == UIGestureRecognizerState::Began || state == UIGestureRecognizerState::Changed
        || state == UIGestureRecognizerState::Ended;
}

} // namespace

std::shared_ptr<UIGestureRecognizer> UIGestureEnvironment::strong(UIGestureRecognizer& recognizer) const
{
    for (const auto& candidate : m_recognizers) {
        if (candidate.get() == &recognizer)
            return candidate;
    }
    return std::static_pointer_cast<UIGestureRecognizer>(recognizer.self());
}

bool UIGestureEnvironment::isTracking(const UIGestureRecognizer& recognizer) const
{
    return std::any_of(m_recognizers.begin(), m_recognizers.end(), [&](const auto& r) { return r.get() == &recognizer; });
}

void UIGestureEnvironment::collectRecognizers(const UITouchRef& touch)
{
    std::vector<UIGestureRecognizerRef> found;
    for (auto view = touch->view(); view; view = view->superview()) {
        for (const auto& recognizer : view->gestureRecognizers()) {
            if (!recognizer->isEnabled() || !isActive(recognizer->state()))
                continue;
            if (auto delegate = recognizer->delegate()) {
                if (delegate->shouldReceiveTouch(*recognizer, *touch) == false)
                    continue;
            }
            found.push_back(recognizer);
        }
    }
    for (const auto& recognizer : found) {
        recognizer->setEnvironment(self());
        recognizer->addTouch(touch);
        if (!isTracking(*recognizer))
            m_recognizers.push_back(recognizer);
    }
    touch->setGestureRecognizers(std::move(found));
}

void UIGestureEnvironment::dispatch(const UIEventRef& event)
{
    auto protectedSelf = self();
    m_event = event;
    m_time = event->timestamp();
    std::vector<UITouchRef> byPhase[5];
    for (const auto& touch : event->allTouches())
        byPhase[static_cast<int>(touch->phase())].push_back(touch);
    for (const auto& touch : byPhase[static_cast<int>(UITouchPhase::Began)])
        collectRecognizers(touch);

    // Recognisers first, phase by phase, each with its own touches.
    static constexpr UITouchPhase phases[] = { UITouchPhase::Began, UITouchPhase::Moved, UITouchPhase::Ended,
        UITouchPhase::Cancelled };
    const auto recognizers = m_recognizers;
    for (const auto& recognizer : recognizers) {
        for (UITouchPhase phase : phases) {
            if (!recognizer->isEnabled() || !isActive(recognizer->state()))
                break;
            UITouchSet mine;
            for (const auto& touch : byPhase[static_cast<int>(phase)]) {
                if (recognizer->touches().containsObject(touch))
                    mine.addObject(touch);
            }
            if (mine.empty())
                continue;
            switch (phase) {
            case UITouchPhase::Began: recognizer->touchesBegan(mine, event); break;
            case UITouchPhase::Moved: recognizer->touchesMoved(mine, event); break;
            case UITouchPhase::Ended: recognizer->touchesEnded(mine, event); break;
            default: recognizer->touchesCancelled(mine, event); break;
            }
        }
    }

    for (UITouchPhase phase : phases)
        deliverToViews(byPhase[static_cast<int>(phase)], phase);

    for (UITouchPhase phase : { UITouchPhase::Ended, UITouchPhase::Cancelled }) {
        for (const auto& touch : byPhase[static_cast<int>(phase)]) {
            for (const auto& recognizer : touch->gestureRecognizers())
                recognizer->removeTouch(touch);
        }
    }
    cleanUp();
    releaseHeldEnds();
}

void UIGestureEnvironment::deliverToViews(const std::vector<UITouchRef>& touches, UITouchPhase phase)
{
    // Grouped by view, in the order the views first appear.
    std::vector<std::pair<UIViewRef, UITouchSet>> groups;
    for (const auto& touch : touches) {
        auto view = touch->view();
        if (!view || !touch->isDeliveredToView())
            continue;
        if (phase == UITouchPhase::Began && isUndecidedBeganDelayer(touch)) {
            touch->setBeganHeld(true);
            m_heldBegans.push_back(touch);
            continue;
        }
        if (phase == UITouchPhase::Cancelled && touch->isBeganHeld()) {
            std::erase(m_heldBegans, touch);
            touch->setBeganHeld(false);
            continue;
        }
        if (phase == UITouchPhase::Ended && touch->isBeganHeld()) {
            touch->setEndHeld(true);
            m_heldEnds.push_back(touch);
            continue;
        }
        if (phase != UITouchPhase::Began && !touch->viewReceivedBegan())
            continue;
        if (phase == UITouchPhase::Ended && isUndecidedDelayer(touch)) {
            touch->setEndHeld(true);
            m_heldEnds.push_back(touch);
            continue;
        }
        auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == view; });
        if (group == groups.end())
            groups.push_back({ view, UITouchSet(touch) });
        else
            group->second.addObject(touch);
    }
    for (auto& [view, set] : groups) {
        switch (phase) {
        case UITouchPhase::Began:
            for (const auto& touch : set)
                touch->setViewReceivedBegan(true);
            view->touchesBegan(set, m_event);
            break;
        case UITouchPhase::Moved: view->touchesMoved(set, m_event); break;
        case UITouchPhase::Ended: view->touchesEnded(set, m_event); break;
        default: view->touchesCancelled(set, m_event); break;
        }
    }
}

bool UIGestureEnvironment::isUndecidedDelayer(const UITouchRef& touch) const
{
    for (const auto& recognizer : touch->gestureRecognizers()) {
        if (recognizer->delaysTouchesEnded() && recognizer->isEnabled()
            && recognizer->state() == UIGestureRecognizerState::Possible && isTracking(*recognizer))
            return true;
    }
    return false;
}

bool UIGestureEnvironment::isUndecidedBeganDelayer(const UITouchRef& touch) const
{
    for (const auto& recognizer : touch->gestureRecognizers()) {
        if (recognizer->delaysTouchesBegan() && recognizer->isEnabled()
            && recognizer->state() == UIGestureRecognizerState::Possible && isTracking(*recognizer))
            return true;
    }
    return false;
}

void UIGestureEnvironment::releaseHeldEnds()
{
    // A held touch-down goes first: the view hears began before any end.
    const auto begans = m_heldBegans;
    for (const auto& touch : begans) {
        if (isUndecidedBeganDelayer(touch))
            continue;
        std::erase(m_heldBegans, touch);
        touch->setBeganHeld(false);
        auto view = touch->view();
        // A touch cancelled before its view heard of it stays unheard.
        if (!view || !touch->isDeliveredToView() || touch->phase() == UITouchPhase::Cancelled)
            continue;
        touch->setViewReceivedBegan(true);
        view->touchesBegan(UITouchSet(touch), m_event);
    }
    auto held = m_heldEnds;
    for (const auto& touch : held) {
        if (isUndecidedDelayer(touch) || touch->isBeganHeld())
            continue;
        std::erase(m_heldEnds, touch);
        touch->setEndHeld(false);
        auto view = touch->view();
        if (!view || !touch->isDeliveredToView())
            continue;
        touch->setDeliveredToView(false);
        view->touchesEnded(UITouchSet(touch), m_event);
    }
}

void UIGestureEnvironment::takeTouchFromView(const UITouchRef& touch)
{
    if (!touch->isDeliveredToView())
        return;
    touch->setDeliveredToView(false);
    if (touch->isBeganHeld()) {
        // The view never heard of it.
        std::erase(m_heldBegans, touch);
        touch->setBeganHeld(false);
    }
    const bool wasHeld = touch->isEndHeld();
    if (wasHeld) {
        std::erase(m_heldEnds, touch);
        touch->setEndHeld(false);
    }
    auto view = touch->view();
    if (!view || !touch->viewReceivedBegan())
        return;
    const UITouchPhase phase = touch->phase();
    touch->setPhase(UITouchPhase::Cancelled);
    view->touchesCancelled(UITouchSet(touch), m_event);
    if (!wasHeld && phase != UITouchPhase::Ended)
        touch->setPhase(phase);
}

bool UIGestureEnvironment::mustWaitFor(UIGestureRecognizer& waiting, UIGestureRecognizer& other) const
{
    for (const auto& weak : waiting.failureRequirements()) {
        if (weak.lock().get() == &other)
            return true;
    }
    if (auto delegate = waiting.delegate(); delegate && delegate->shouldRequireFailureOfGestureRecognizer(waiting, other) == true)
        return true;
    if (auto delegate = other.delegate(); delegate && delegate->shouldBeRequiredToFailByGestureRecognizer(other, waiting) == true)
        return true;
    return false;
}

bool UIGestureEnvironment::simultaneous(UIGestureRecognizer& a, UIGestureRecognizer& b) const
{
    if (auto delegate = a.delegate(); delegate && delegate->shouldRecognizeSimultaneouslyWithGestureRecognizer(a, b) == true)
        return true;
    if (auto delegate = b.delegate(); delegate && delegate->shouldRecognizeSimultaneouslyWithGestureRecognizer(b, a) == true)
        return true;
    return false;
}

void UIGestureEnvironment::requestState(UIGestureRecognizer& recognizer, UIGestureRecognizerState state)
{
    auto protectedRecognizer = strong(recognizer);
    const auto old = recognizer.state();
    if (state == old && state != UIGestureRecognizerState::Changed)
        return;
    if (state == UIGestureRecognizerState::Failed) {
        fail(recognizer);
        return;
    }
    if (old == UIGestureRecognizerState::Possible
        && (state == UIGestureRecognizerState::Began || state == UIGestureRecognizerState::Ended)) {
        bool allowed = true;
        if (auto delegate = recognizer.delegate(); delegate && delegate->gestureRecognizerShouldBegin(recognizer) == false)
            allowed = false;
        if (auto view = recognizer.view(); allowed && view && !view->gestureRecognizerShouldBegin(recognizer))
            allowed = false;
        // The views the touches landed on are asked too: a button keeps its own taps from an
        // ancestor's tap recogniser this way.
        for (const auto& touch : recognizer.touches()) {
            auto touched = touch->view();
            if (allowed && touched && touched != recognizer.view() && !touched->gestureRecognizerShouldBegin(recognizer))
                allowed = false;
        }
        for (const auto& other : m_recognizers) {
            if (!allowed)
                break;
            if (other.get() != &recognizer && hasRecognized(other->state()) && !simultaneous(recognizer, *other)
                && other->canPreventGestureRecognizer(recognizer) && recognizer.canBePreventedByGestureRecognizer(*other))
                allowed = false;
        }
        if (!allowed) {
            fail(recognizer);
            return;
        }
        for (const auto& other : m_recognizers) {
            if (other.get() != &recognizer && other->isEnabled() && other->state() == UIGestureRecognizerState::Possible
                && mustWaitFor(recognizer, *other)) {
                recognizer.setPendingState(state);
                return;
            }
        }
        succeed(recognizer, state);
        return;
    }
    if (!isActive(old))
        return;
    if (old == UIGestureRecognizerState::Possible && state == UIGestureRecognizerState::Cancelled) {
        fail(recognizer);
        return;
    }
    recognizer.storeState(state);
    recognizer.sendActions();
    if (isTerminal(state))
        didFinish(recognizer);
}

void UIGestureEnvironment::succeed(UIGestureRecognizer& recognizer, UIGestureRecognizerState state)
{
    recognizer.setPendingState(std::nullopt);
    recognizer.storeState(state);
    const auto others = m_recognizers;
    for (const auto& other : others) {
        if (other.get() == &recognizer || other->state() != UIGestureRecognizerState::Possible)
            continue;
        if (mustWaitFor(*other, recognizer) || (!simultaneous(recognizer, *other) && recognizer.canPreventGestureRecognizer(*other)
                && other->canBePreventedByGestureRecognizer(recognizer)))
            fail(*other);
    }
    // The actions run first; the views hear of the cancelled touches after them.
    recognizer.sendActions();
    if (recognizer.cancelsTouchesInView()) {
        for (const auto& touch : recognizer.touches())
            takeTouchFromView(touch);
    }
    if (isTerminal(state))
        didFinish(recognizer);
}

void UIGestureEnvironment::fail(UIGestureRecognizer& recognizer)
{
    auto protectedRecognizer = strong(recognizer);
    const auto old = recognizer.state();
    if (isTerminal(old))
        return;
    recognizer.setPendingState(std::nullopt);
    if (old == UIGestureRecognizerState::Possible) {
        recognizer.storeState(UIGestureRecognizerState::Failed);
    } else {
        recognizer.storeState(UIGestureRecognizerState::Cancelled);
        recognizer.sendActions();
    }
    didFinish(recognizer);
    // Those that waited for this failure may now go ahead.
    const auto others = m_recognizers;
    for (const auto& other : others) {
        if (other.get() == &recognizer || !other->pendingState() || !mustWaitFor(*other, recognizer))
            continue;
        const auto pending = *other->pendingState();
        other->setPendingState(std::nullopt);
        requestState(*other, pending);
    }
    releaseHeldEnds();
}

void UIGestureEnvironment::didFinish(UIGestureRecognizer& recognizer)
{
    if (recognizer.touches().empty()) {
        auto protectedRecognizer = strong(recognizer);
        std::erase_if(m_recognizers, [&](const auto& r) { return r.get() == &recognizer; });
        recognizer.resetToPossible();
    }
}

void UIGestureEnvironment::cleanUp()
{
    const auto recognizers = m_recognizers;
    const bool anyTouchDown = std::any_of(recognizers.begin(), recognizers.end(),
        [](const auto& r) { return !r->touches().empty(); });
    for (const auto& recognizer : recognizers) {
        if (!recognizer->touches().empty())
            continue;
        if (isTerminal(recognizer->state())) {
            didFinish(*recognizer);
        } else if (!anyTouchDown && recognizer->state() == UIGestureRecognizerState::Possible
            && !recognizer->pendingState() && !recognizer->waitsForNextTouch()) {
            // Every finger is up and nothing will come: an undecided recogniser has failed.
            fail(*recognizer);
        }
    }
}

void UIGestureEnvironment::cancelAll()
{
    auto protectedSelf = self();
    const auto recognizers = m_recognizers;
    for (const auto& recognizer : recognizers)
        fail(*recognizer);
    m_heldEnds.clear();
    m_heldBegans.clear();
}
