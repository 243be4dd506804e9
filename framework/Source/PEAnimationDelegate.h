#pragma once
// What an animation tells the object that started it. Every message arrives after the tick that
// caused it, from the run loop, so a delegate may add or remove animations freely. An operation
// that was cancelled, superseded by a newer animation of the same property, or refused because
// it could never start hears animationCancelled; one that ran to its end hears animationDidFinish,
// exactly once.

class PEAnimationOperation;

class PEAnimationDelegate {
public:
    virtual ~PEAnimationDelegate() = default;

    virtual void animationDidStart(PEAnimationOperation&) { }
    virtual void animationDidFinish(PEAnimationOperation&) { }
    virtual void animationCancelled(PEAnimationOperation&) { }
    // Arrives after the value has been written.
    virtual void animationWillUpdate(PEAnimationOperation&) { }
    virtual void animationDidUpdate(PEAnimationOperation&) { }
};
