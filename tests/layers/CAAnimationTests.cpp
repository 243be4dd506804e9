#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/CAAnimationGroup.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CADisplayLink.h"
#include "platform/layers/CAKeyframeAnimation.h"
#include "platform/layers/CALayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/NSValueGeometry.h"
#include "tests/layers/ManualClockLayerTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingDelegate : public CAAnimationDelegate {
public:
    void animationDidStart(CAAnimation&) override { events.push_back("start"); }
    void animationDidStop(CAAnimation& animation, bool finished) override
    {
        events.push_back(finished ? "stop finished" : "stop cancelled");
        // Not the animation itself: it retains its delegate.
        stoppedType = NSString::fromId(animation.valueForKey("animationType"));
    }
    std::vector<std::string> events;
    NSString stoppedType;
};

class DeclinesActions : public CALayerDelegate {
public:
    id actionForLayer(CALayer&, const NSString&) override { return NSNull::null(); }
};

class CAAnimationTest : public ManualClockLayerTest {
protected:
    static double number(const id& value) { return ns::cast<NSNumber>(value)->doubleValue(); }
    static double opacityOf(const CALayerRef& layer) { return layer->presentationLayer()->opacity(); }
};

} // namespace

TEST_F(CAAnimationTest, basicAnimationShowsInThePresentationOnlyAndIsRemovedWhenFinished)
{
    auto layer = CALayer::layer();
    auto delegate = std::make_shared<RecordingDelegate>();
    auto animation = CABasicAnimation::animationWithKeyPath("opacity");
    animation->setFromValue(NSNumber::numberWithDouble(0));
    animation->setToValue(NSNumber::numberWithDouble(1));
    animation->setDuration(1);
    animation->setDelegate(delegate);
    animation->setValue(NSString("close"), "animationType");
    layer->setOpacity(0.25);
    layer->addAnimation(animation, "fade");

    loop->advanceClock(0.5);
    EXPECT_NEAR(opacityOf(layer), 0.5, 1e-6);
    EXPECT_FLOAT_EQ(layer->opacity(), 0.25) << "the model value stays";
    EXPECT_EQ(delegate->events, (std::vector<std::string> { "start" }));
    ASSERT_TRUE(layer->animationForKey("fade"));
    EXPECT_NE(layer->animationForKey("fade"), animation) << "the layer runs a copy";

    loop->advanceClock(0.6);
    EXPECT_EQ(delegate->events, (std::vector<std::string> { "start", "stop finished" }));
    EXPECT_EQ(layer->animationForKey("fade"), nullptr);
    EXPECT_FLOAT_EQ(opacityOf(layer), 0.25);
    EXPECT_EQ(delegate->stoppedType, "close") << "the delegate is told about the layer's copy, values included";
}

TEST_F(CAAnimationTest, fillModeForwardsKeepsTheEndValueWhenNotRemoved)
{
    auto layer = CALayer::layer();
    auto animation = CABasicAnimation::animationWithKeyPath("transform.scale.y");
    animation->setFromValue(NSNumber::numberWithDouble(0));
    animation->setToValue(NSNumber::numberWithDouble(1.5));
    animation->setDuration(0.5);
    animation->setRemovedOnCompletion(false);
    animation->setFillMode(kCAFillModeForwards);
    layer->addAnimation(animation, "grow");
    loop->advanceClock(0.25);
    EXPECT_NEAR(layer->presentationLayer()->transform().m22, 0.75, 1e-9);
    loop->advanceClock(2);
    EXPECT_NE(layer->animationForKey("grow"), nullptr);
    EXPECT_NEAR(layer->presentationLayer()->transform().m22, 1.5, 1e-9);
    EXPECT_TRUE(CATransform3DIsIdentity(layer->transform()));
}

TEST_F(CAAnimationTest, replacingOrRemovingTellsTheDelegateItDidNotFinish)
{
    auto layer = CALayer::layer();
    auto delegate = std::make_shared<RecordingDelegate>();
    auto animation = CABasicAnimation::animationWithKeyPath("opacity");
    animation->setDelegate(delegate);
    animation->setFromValue(NSNumber::numberWithDouble(0));
    layer->addAnimation(animation, "a");
    layer->addAnimation(animation, "a");
    layer->removeAnimationForKey("a");
    EXPECT_EQ(delegate->events, (std::vector<std::string> { "stop cancelled", "stop cancelled" }));
    EXPECT_TRUE(layer->animationKeys().empty());
}

TEST_F(CAAnimationTest, implicitAnimationsFollowTheTransactionAndCanBeDisabled)
{
    auto layer = CALayer::layer();
    layer->setOpacity(0.5);
    EXPECT_EQ(layer->animationForKey("opacity"), nullptr) << "a layer made in this transaction does not animate";
    CATransaction::flush();

    CATransaction::begin();
    CATransaction::setDisableActions(true);
    layer->setOpacity(0.2);
    CATransaction::commit();
    EXPECT_EQ(layer->animationForKey("opacity"), nullptr);
    EXPECT_FLOAT_EQ(opacityOf(layer), 0.2);

    CATransaction::begin();
    CATransaction::setAnimationDuration(1);
    layer->setOpacity(1);
    CATransaction::commit();
    auto implicit = std::dynamic_pointer_cast<CABasicAnimation>(layer->animationForKey("opacity"));
    ASSERT_TRUE(implicit);
    EXPECT_DOUBLE_EQ(implicit->duration(), 1);
    loop->advanceClock(0.5);
    EXPECT_NEAR(opacityOf(layer), 0.6, 1e-6);

    auto owned = CALayer::layer();
    auto view = std::make_shared<DeclinesActions>();
    owned->setDelegate(view);
    CATransaction::flush();
    owned->setPosition({ 5, 5 });
    EXPECT_EQ(owned->animationForKey("position"), nullptr) << "a view's layer gets no implicit animation";
}

TEST_F(CAAnimationTest, completionBlockWaitsForTheTransactionsAnimations)
{
    auto layer = CALayer::layer();
    int completions = 0;
    CATransaction::begin();
    CATransaction::setCompletionBlock([&] { ++completions; });
    auto animation = CABasicAnimation::animationWithKeyPath("position.x");
    animation->setFromValue(NSNumber::numberWithDouble(0));
    animation->setToValue(NSNumber::numberWithDouble(100));
    animation->setDuration(0.4);
    layer->addAnimation(animation, "t1");
    CATransaction::commit();
    EXPECT_EQ(completions, 0);
    loop->advanceClock(0.2);
    EXPECT_NEAR(layer->presentationLayer()->position().x, 50, 1e-6);
    loop->advanceClock(0.3);
    EXPECT_EQ(completions, 1);

    CATransaction::begin();
    CATransaction::setCompletionBlock([&] { ++completions; });
    CATransaction::commit();
    EXPECT_EQ(completions, 2) << "without animations it runs at commit";
}

TEST_F(CAAnimationTest, keyframesGroupsAndTimingFunctions)
{
    auto layer = CALayer::layer();
    auto keyframes = CAKeyframeAnimation::animationWithKeyPath("position.x");
    keyframes->setValues(ns::array({ NSNumber::numberWithDouble(0), NSNumber::numberWithDouble(100), NSNumber::numberWithDouble(50) }));
    keyframes->setKeyTimes(ns::array({ NSNumber::numberWithDouble(0), NSNumber::numberWithDouble(0.8), NSNumber::numberWithDouble(1) }));
    auto fade = CABasicAnimation::animationWithKeyPath("opacity");
    fade->setFromValue(NSNumber::numberWithDouble(1));
    fade->setToValue(NSNumber::numberWithDouble(0));
    fade->setTimingFunction(CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn));
    auto group = CAAnimationGroup::animation();
    group->setAnimations({ keyframes, fade });
    group->setDuration(1);
    layer->addAnimation(group, "pop");
    loop->advanceClock(0.4);
    auto presentation = layer->presentationLayer();
    EXPECT_NEAR(presentation->position().x, 50, 1e-6) << "children take the group's duration";
    EXPECT_GT(presentation->opacity(), 0.6f) << "ease-in changes slowly at first";
    loop->advanceClock(0.5);
    EXPECT_NEAR(layer->presentationLayer()->position().x, 75, 1e-6);

    auto easeInOut = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    EXPECT_NEAR(easeInOut->solve(0.5), 0.5, 1e-6);
    EXPECT_LT(easeInOut->solve(0.1), 0.1);
}

TEST_F(CAAnimationTest, repeatsAndAutoreversesUnderTheManualClock)
{
    auto layer = CALayer::layer();
    auto delegate = std::make_shared<RecordingDelegate>();
    auto swing = CABasicAnimation::animationWithKeyPath("position.y");
    swing->setFromValue(NSNumber::numberWithDouble(0));
    swing->setToValue(NSNumber::numberWithDouble(10));
    swing->setDuration(1);
    swing->setAutoreverses(true);
    swing->setRepeatCount(2);
    swing->setDelegate(delegate);
    layer->addAnimation(swing, "swing");
    loop->advanceClock(1.5);
    EXPECT_NEAR(layer->presentationLayer()->position().y, 5, 1e-6);
    loop->advanceClock(1.0);
    EXPECT_NEAR(layer->presentationLayer()->position().y, 5, 1e-6);
    loop->advanceClock(1.4);
    EXPECT_EQ(delegate->events.size(), 1u) << "four seconds in all";
    loop->advanceClock(0.2);
    EXPECT_EQ(delegate->events.back(), "stop finished");
}

TEST_F(CAAnimationTest, displayLinkTicksAtSixtyHertzUntilInvalidated)
{
    std::vector<CFTimeInterval> stamps;
    auto link = CADisplayLink::displayLinkWithTarget(nullptr, [&](const auto& l) { stamps.push_back(l->timestamp()); });
    link->addToRunLoop(loop, NSRunLoopCommonModes);
    loop->advanceClock(0.1);
    EXPECT_EQ(stamps.size(), 6u);
    link->setPaused(true);
    loop->advanceClock(0.1);
    EXPECT_EQ(stamps.size(), 6u);
    link->setPaused(false);
    link->setFrameInterval(2);
    loop->advanceClock(0.1);
    EXPECT_EQ(stamps.size(), 9u);
    EXPECT_NEAR(stamps[8] - stamps[7], 2.0 / 60, 1e-9);
    link->invalidate();
    loop->advanceClock(0.1);
    EXPECT_EQ(stamps.size(), 9u);
}
