#pragma once
// Told when an animation added to a layer starts and when it stops: finished is false when it
// was removed (or replaced under its key) before its end. Both operations are optional; the
// animation stays alive through each call.

#include <memory>

class CAAnimation;

class CAAnimationDelegate {
public:
    virtual ~CAAnimationDelegate() = default;
    virtual void animationDidStart(CAAnimation&) { }
    virtual void animationDidStop(CAAnimation&, bool /*finished*/) { }
};
