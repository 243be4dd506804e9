#pragma once
// Turns a view by an angle added to its current transform, animated.
//
// An interrupted turn is not started again: the view's transform already holds the end of the turn,
// so a restart would turn it too far. The completion then learns finished = NO instead.

#include "platform/uikit/UIView.h"

#include <cstdint>
#include <functional>
#include <memory>

class RFRotate {
public:
    using Block = std::function<void()>;
    using Completion = std::function<void(bool finished)>;

    static void rotate90(const std::shared_ptr<UIView>& view, NSTimeInterval duration);
    static void rotate180(const std::shared_ptr<UIView>& view, NSTimeInterval duration);
    static void rotate(const std::shared_ptr<UIView>& view, NSTimeInterval duration, std::int64_t degrees);
    // Swings back 5 degrees over 0.3 s first, then turns degrees + 5 over the duration.
    static void rotateWithFlex(const std::shared_ptr<UIView>& view, NSTimeInterval duration, std::int64_t degrees);

    // The block runs inside the animation, before the turn (in the second step of a flex turn).
    static void rotate90(const std::shared_ptr<UIView>& view, NSTimeInterval duration, Block block, Completion completion);
    static void rotate180(const std::shared_ptr<UIView>& view, NSTimeInterval duration, Block block, Completion completion);
    static void rotate(const std::shared_ptr<UIView>& view, NSTimeInterval duration, std::int64_t degrees, Block block,
        Completion completion);
    static void rotateWithFlex(const std::shared_ptr<UIView>& view, NSTimeInterval duration, std::int64_t degrees,
        Block block, Completion completion);

private:
    static void turn(const std::shared_ptr<UIView>& view, NSTimeInterval duration, CGFloat radians, Block block,
        Completion completion);
};
