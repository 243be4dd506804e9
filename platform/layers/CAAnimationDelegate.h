#pragma once
// Told when an animation added to a layer starts and when it stops: finished is false when it
// was removed (or replaced under its key) before its end. Both operations are optional.

#include <memory>

class CAAnimation;

class CAAnimationDelegate {
public:
    virtual ~CAAnimationDelegate() = default;
    virtual void animationDidStart(const std::shared_ptr<CAAnimation>&) { }
    virtual void animationDidStop(const std::shared_ptr<CAAnimation>&, bool /*finished*/) { }
};
