#include "library/widgets/rotate/RFRotate.h"

#include <numbers>

namespace {

// The half turn is this constant rather than pi, so two of them do not add up to exactly a full turn.
constexpr CGFloat kHalfTurn = -3.141593;
constexpr CGFloat kFlexDegrees = 5;
constexpr NSTimeInterval kFlexDuration = 0.3;

constexpr CGFloat radiansOf(CGFloat degrees) { return degrees * std::numbers::pi / 180; }

} // namespace

void RFRotate::turn(const std::shared_ptr<UIView>& view, NSTimeInterval duration, CGFloat radians, Block block,
    Completion completion)
{
    if (!view) {
        if (completion)
            completion(false);
        return;
    }
    UIView::animateWithDuration(duration, 0, 0,
        [&] {
            if (block)
                block();
            view->setTransform(CGAffineTransformRotate(view->transform(), radians));
        },
        [completion = std::move(completion)](bool finished) {
            if (completion)
                completion(finished);
        });
}

void RFRotate::rotate90(const std::shared_ptr<UIView>& view, NSTimeInterval duration)
{
    turn(view, duration, std::numbers::pi / 2, nullptr, nullptr);
}

void RFRotate::rotate180(const std::shared_ptr<UIView>& view, NSTimeInterval duration)
{
    turn(view, duration, kHalfTurn, nullptr, nullptr);
}

void RFRotate::rotate(const std::shared_ptr<UIView>& view, NSTimeInterval duration, std::int64_t degrees)
{
    turn(view, duration, radiansOf(static_cast<CGFloat>(degrees)), nullptr, nullptr);
}

void RFRotate::rotateWithFlex(const std::shared_ptr<UIView>& view, NSTimeInterval duration, std::int64_t degrees)
{
    rotateWithFlex(view, duration, degrees, nullptr, nullptr);
}

void RFRotate::rotate90(const std::shared_ptr<UIView>& view, NSTimeInterval duration, Block block, Completion completion)
{
    turn(view, duration, std::numbers::pi / 2, std::move(block), std::move(completion));
}

void RFRotate::rotate180(const std::shared_ptr<UIView>& view, NSTimeInterval duration, Block block, Completion completion)
{
    turn(view, duration, kHalfTurn, std::move(block), std::move(completion));
}

void RFRotate::rotate(const std::shared_ptr<UIView>& view, NSTimeInterval duration, std::int64_t degrees, Block block,
    Completion completion)
{
    turn(view, duration, radiansOf(static_cast<CGFloat>(degrees)), std::move(block), std::move(completion));
}

void RFRotate::rotateWithFlex(const std::shared_ptr<UIView>& view, NSTimeInterval duration, std::int64_t degrees,
    Block block, Completion completion)
{
    std::weak_ptr<UIView> weakView = view;
    turn(view, kFlexDuration, radiansOf(-kFlexDegrees), nullptr,
        [weakView, duration, degrees, block = std::move(block), completion = std::move(completion)](bool finished) mutable {
            // An interrupted swing ends the turn where it stands; the main step would land off target.
            if (!finished) {
                if (completion)
                    completion(false);
                return;
            }
            turn(weakView.lock(), duration, radiansOf(static_cast<CGFloat>(degrees) + kFlexDegrees), std::move(block),
                std::move(completion));
        });
}
