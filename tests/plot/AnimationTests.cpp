#include "framework/Source/PEAnimation.h"
#include "framework/Source/PEAnimation_PEAnimationPeriodAdditions.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/NSValueGeometry.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace PEAnimation_PEAnimationPeriodAdditions;

namespace {

// An object with one animatable property of every kind, recording what is written.
class Gauge : public NSObject {
    NS_OBJECT(Gauge, NSObject)
public:
    CGFloat level() const { return m_level; }
    void setLevel(CGFloat level)
    {
        m_level = level;
        levels.push_back(level);
    }
    CGPoint origin() const { return m_origin; }
    void setOrigin(CGPoint origin) { m_origin = origin; }
    CGSize extent() const { return m_extent; }
    void setExtent(CGSize extent) { m_extent = extent; }
    CGRect frame() const { return m_frame; }
    void setFrame(CGRect frame) { m_frame = frame; }
    NSDecimal amount() const { return m_amount; }
    void setAmount(const NSDecimal& amount) { m_amount = amount; }
    std::shared_ptr<PEPlotRange> range() const { return m_range; }
    void setRange(const std::shared_ptr<PEPlotRange>& range) { m_range = range ? range->copyRange() : nullptr; }

    std::vector<CGFloat> levels;

private:
    CGFloat m_level { 0 };
    CGPoint m_origin {};
    CGSize m_extent {};
    CGRect m_frame {};
    NSDecimal m_amount { PEDecimalWithInt(0) };
    std::shared_ptr<PEPlotRange> m_range;
};

const bool gaugeRegistered = [] {
    PEAnimationBinding::registerProperty<Gauge>("level", &Gauge::level, &Gauge::setLevel);
    PEAnimationBinding::registerProperty<Gauge>("origin", &Gauge::origin, &Gauge::setOrigin);
    PEAnimationBinding::registerProperty<Gauge>("extent", &Gauge::extent, &Gauge::setExtent);
    PEAnimationBinding::registerProperty<Gauge>("frame", &Gauge::frame, &Gauge::setFrame);
    PEAnimationBinding::registerProperty<Gauge>("amount", &Gauge::amount, &Gauge::setAmount);
    PEAnimationBinding::registerProperty<Gauge>("range", &Gauge::range, &Gauge::setRange);
    return true;
}();

class Listener : public PEAnimationDelegate {
public:
    explicit Listener(std::shared_ptr<Gauge> gauge = nullptr) : m_gauge(std::move(gauge)) { }
    void animationDidStart(PEAnimationOperation&) override { events.push_back("start"); }
    void animationDidFinish(PEAnimationOperation&) override { events.push_back("finish"); }
    void animationCancelled(PEAnimationOperation&) override { events.push_back("cancel"); }
    void animationWillUpdate(PEAnimationOperation&) override
    {
        events.push_back("will");
        if (m_gauge)
            levelsSeenAtWill.push_back(m_gauge->level());
    }
    void animationDidUpdate(PEAnimationOperation&) override { events.push_back("did"); }

    std::vector<std::string> events;
    std::vector<CGFloat> levelsSeenAtWill;

private:
    std::shared_ptr<Gauge> m_gauge;
};

constexpr double tick = 1.0 / 60.0;

class AnimationTest : public testing_support::ManualClockTest<5000> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gaugeRegistered);
        ManualClockTest::SetUp();
        settle();
    }
    void TearDown() override
    {
        settle();
        ManualClockTest::TearDown();
    }
    // Leaves nothing listed from an earlier test and lets the timer stop.
    void settle()
    {
        scheduler->removeAllAnimationOperations();
        for (int i = 0; i < 3; ++i)
            loop->advanceClock(tick);
        ASSERT_EQ(scheduler->timer(), nullptr);
    }
    // Runs the zero-delay performs queued so far, without a tick.
    void drain() { loop->advanceClock(0); }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            loop->advanceClock(tick);
    }

    std::shared_ptr<PEAnimation> scheduler = PEAnimation::sharedInstance();
    std::shared_ptr<Gauge> gauge = Gauge::create();
};

NSString text(const NSDecimal& value) { return NSDecimalString(&value); }

} // namespace

TEST(AnimationTimingFunctions, followTheirFormulasAndEndExactly)
{
    EXPECT_DOUBLE_EQ(PEAnimationTimingFunctionBounceOut(0.5, 1), 0.765625);
    EXPECT_DOUBLE_EQ(PEAnimationTimingFunctionCubicInOut(0.25, 1), 0.0625);
    EXPECT_DOUBLE_EQ(PEAnimationTimingFunctionLinear(0.25, 1), 0.25);
    EXPECT_NEAR(PEAnimationTimingFunctionExponentialIn(1e-9, 1), std::exp2(-10), 1e-10);
    EXPECT_NEAR(PEAnimationTimingFunctionExponentialOut(1 - 1e-9, 1), 1 - std::exp2(-10), 1e-10);
    EXPECT_DOUBLE_EQ(PEAnimationTimingFunctionQuadraticInOut(0.75, 1), 0.875);
    EXPECT_DOUBLE_EQ(PEAnimationTimingFunctionSinusoidalInOut(0.5, 1), 0.5);
    EXPECT_NEAR(PEAnimationTimingFunctionBackIn(0.42, 1), -0.1, 0.001);
    EXPECT_GT(PEAnimationTimingFunctionBackOut(0.6, 1), 1);
    EXPECT_GT(PEAnimationTimingFunctionElasticOut(0.15, 1), 1);
    EXPECT_LT(PEAnimationTimingFunctionElasticIn(0.85, 1), 0);

    for (int curve = 1; curve <= 31; ++curve) {
        auto function = PEAnimationTimingFunctionForCurve(static_cast<PEAnimationCurve>(curve));
        ASSERT_NE(function, nullptr) << curve;
        EXPECT_EQ(function(0, 2), 0) << curve;
        EXPECT_EQ(function(-1, 2), 0) << curve;
        EXPECT_EQ(function(2, 2), 1) << curve;
        EXPECT_EQ(function(3, 2), 1) << curve;
        EXPECT_EQ(function(0.1, 0), 1) << "duration 0, curve " << curve;
    }
    EXPECT_EQ(PEAnimationTimingFunctionForCurve(PEAnimationCurveBounceOut), &PEAnimationTimingFunctionBounceOut);
    EXPECT_EQ(PEAnimationTimingFunctionForCurve(PEAnimationCurveCubicIn), &PEAnimationTimingFunctionCubicIn);
    EXPECT_EQ(PEAnimationTimingFunctionForCurve(PEAnimationCurveDefault), nullptr);
    EXPECT_EQ(PEAnimationTimingFunctionForCurve(static_cast<PEAnimationCurve>(32)), nullptr);
}

TEST_F(AnimationTest, listsOnALaterPassAndWritesOnePerTickUntilTheEndValue)
{
    auto listener = std::make_shared<Listener>(gauge);
    auto operation = animate(gauge, "level", 0.0, 60.0, 0.1, PEAnimationCurveLinear, listener);
    EXPECT_TRUE(scheduler->animationOperations().empty());
    drain();
    ASSERT_EQ(scheduler->animationOperations().size(), 1u);
    EXPECT_TRUE(scheduler->timer());
    EXPECT_EQ(operation->boundGetter(), NSString("level"));
    EXPECT_EQ(operation->boundSetter(), NSString("setLevel:"));

    ticks(1);
    // The period began between ticks, so the first value is for 1/60 s of animation.
    ASSERT_EQ(gauge->levels.size(), 1u);
    EXPECT_NEAR(gauge->levels[0], 10, 1e-9);
    ticks(10);
    EXPECT_EQ(gauge->level(), 60);
    EXPECT_EQ(std::count(listener->events.begin(), listener->events.end(), "finish"), 1);
    EXPECT_EQ(listener->events.front(), "start");
    EXPECT_EQ(listener->events.back(), "finish");
    // Messages come after the tick that caused them: the value is already written.
    EXPECT_EQ(listener->levelsSeenAtWill.front(), gauge->levels.front());
    EXPECT_TRUE(scheduler->animationOperations().empty());
    EXPECT_EQ(scheduler->timer(), nullptr);

    // Removing a finished operation does nothing; the clock goes on from where it stopped.
    const double clock = scheduler->timeOffset();
    scheduler->removeAnimationOperation(operation);
    drain();
    EXPECT_EQ(std::count(listener->events.begin(), listener->events.end(), "cancel"), 0);
    animate(gauge, "level", 0.0, 1.0, 1.0);
    drain();
    ticks(1);
    EXPECT_NEAR(scheduler->timeOffset(), clock + tick, 1e-12);
}

TEST_F(AnimationTest, dropsOperationsWithNothingToDoOrThatCouldNeverStart)
{
    auto idle = animate(gauge, "level", 5.0, 5.0, 1.0);
    drain();
    EXPECT_TRUE(scheduler->animationOperations().empty());
    EXPECT_EQ(scheduler->timer(), nullptr);

    auto listener = std::make_shared<Listener>();
    auto unbound = animate(gauge, "missing", 0.0, 1.0, 1.0, PEAnimationCurveLinear, listener);
    EXPECT_EQ(unbound->binding(), nullptr);
    auto badCurve = animate(gauge, "level", 0.0, 1.0, 1.0, static_cast<PEAnimationCurve>(40), listener);
    drain();
    EXPECT_TRUE(scheduler->animationOperations().empty());
    EXPECT_EQ(scheduler->timer(), nullptr);
    drain();
    EXPECT_EQ(listener->events, (std::vector<std::string> { "cancel", "cancel" }));
    EXPECT_TRUE(gauge->levels.empty());
}

TEST_F(AnimationTest, aCancelledOperationNeverRunsEvenBeforeItIsListed)
{
    auto listener = std::make_shared<Listener>();
    auto operation = animate(gauge, "level", 0.0, 1.0, 1.0, PEAnimationCurveLinear, listener);
    scheduler->removeAnimationOperation(operation);
    drain();
    ticks(3);
    EXPECT_TRUE(gauge->levels.empty());
    EXPECT_EQ(listener->events, (std::vector<std::string> { "cancel" }));

    // Delayed operations that never started are cancelled by removeAll too.
    auto later = animate(gauge, "level", 0.0, 1.0, 1.0, 10.0, PEAnimationCurveLinear, listener);
    later->setIdentifier(NSString("later"));
    drain();
    EXPECT_EQ(scheduler->operationWithIdentifier(NSString("later")), later);
    scheduler->removeAllAnimationOperations();
    ticks(1);
    EXPECT_EQ(listener->events, (std::vector<std::string> { "cancel", "cancel" }));
    EXPECT_EQ(scheduler->timer(), nullptr);
}

TEST_F(AnimationTest, aNewerAnimationOfThePropertySupersedesTheOlder)
{
    auto first = std::make_shared<Listener>();
    auto second = std::make_shared<Listener>();
    animate(gauge, "level", 0.0, 100.0, 1.0, PEAnimationCurveLinear, first);
    drain();
    ticks(2);
    animate(gauge, "level", 500.0, 600.0, 1.0, PEAnimationCurveLinear, second);
    drain();
    ticks(1);
    const CGFloat handedOver = gauge->level();
    EXPECT_GT(handedOver, 500);
    ticks(1);
    EXPECT_GT(gauge->level(), handedOver);
    EXPECT_EQ(scheduler->runningAnimationOperations().size(), 1u);
    // The older one hears that it will not finish.
    EXPECT_EQ(first->events.back(), "cancel");
    EXPECT_EQ(std::count(first->events.begin(), first->events.end(), "finish"), 0);
}

TEST_F(AnimationTest, aStartConditionWaitsForThePropertyAndThenStartsAtElapsedZero)
{
    gauge->setLevel(-5);
    gauge->levels.clear();
    auto period = PEAnimationPeriod::periodWithStart(0, 10, 1, NAN);
    auto operation = PEAnimation::animate(gauge, "level", period, PEAnimationCurveLinear, {});
    drain();
    ticks(3);
    EXPECT_TRUE(gauge->levels.empty());
    EXPECT_TRUE(std::isnan(period->delay()));
    gauge->setLevel(2);
    gauge->levels.clear();
    ticks(1);
    ASSERT_EQ(gauge->levels.size(), 1u);
    EXPECT_EQ(gauge->levels[0], 0); // the start value, for elapsed 0
    EXPECT_NEAR(period->delay(), scheduler->timeOffset() - period->startOffset(), 1e-12);
}

TEST_F(AnimationTest, theFinishingTickWritesTheEndValueEvenWithNoTimeElapsed)
{
    gauge->setLevel(3);
    gauge->levels.clear();
    auto listener = std::make_shared<Listener>();
    PEAnimation::animate(gauge, "level", PEAnimationPeriod::periodWithStart(0, 10, 0, NAN), PEAnimationCurveLinear, listener);
    drain();
    ticks(1);
    EXPECT_EQ(gauge->levels, (std::vector<CGFloat> { 10 }));
    drain();
    EXPECT_EQ(listener->events.back(), "finish");

    // With a curve that overshoots, the last tick still lands on the end value.
    animate(gauge, "level", 0.0, 1.0, 0.05, PEAnimationCurveElasticOut, {});
    drain();
    ticks(4);
    EXPECT_EQ(gauge->level(), 1);
}

TEST_F(AnimationTest, tweensEveryValueKindAndStartsFromThePropertyWithoutAStart)
{
    gauge->setOrigin(CGPointMake(10, 20));
    gauge->setRange(PEPlotRange::plotRangeWithLocation(PEDecimalWithInt(1), PEDecimalWithInt(2)));
    animate(gauge, "origin", CGPointMake(NAN, 0), CGPointMake(20, 40), 2 * tick);
    animate(gauge, "extent", CGSizeMake(0, 0), CGSizeMake(6, 12), 2 * tick);
    animate(gauge, "frame", CGRectMake(0, 0, 0, 0), CGRectMake(2, 4, 6, 8), 2 * tick);
    animate(gauge, "amount", PEDecimalWithInt(0), PEDecimalFromString("0.3"), 3 * tick);
    animate(gauge, "range", nullptr, PEPlotRange::plotRangeWithLocation(PEDecimalWithInt(5), PEDecimalWithInt(-2)), 2 * tick);
    drain();
    ticks(1);
    // Half way after one of two ticks; the point started from the property, not from (NaN, 0).
    EXPECT_NEAR(gauge->origin().x, 15, 1e-9);
    EXPECT_NEAR(gauge->origin().y, 30, 1e-9);
    EXPECT_NEAR(gauge->extent().height, 6, 1e-9);
    EXPECT_NEAR(gauge->frame().size.height, 4, 1e-9);
    // A third of 0.3, with the progress cut to six decimals.
    EXPECT_EQ(text(gauge->amount()), NSString("0.0999999"));
    NSDecimal location = gauge->range()->location();
    NSDecimal length = gauge->range()->length();
    EXPECT_EQ(NSDecimalString(&location), NSString("3"));
    EXPECT_EQ(NSDecimalString(&length), NSString("0"));
    ticks(2);
    EXPECT_EQ(text(gauge->amount()), NSString("0.3"));
    EXPECT_EQ(gauge->range()->locationDouble(), 5);
    EXPECT_EQ(gauge->range()->lengthDouble(), -2);
}

TEST(AnimationPeriods, leaveTheStartUnknownForNotANumberAndExtrapolateOutsideTheRange)
{
    EXPECT_FALSE(PEAnimationPeriod::periodWithStart(NAN, 1, 1, 0)->startValue());
    EXPECT_FALSE(PEAnimationPeriod::periodWithStartSize(CGSizeMake(1, NAN), CGSizeMake(1, 1), 1, 0)->startValue());
    EXPECT_FALSE(PEAnimationPeriod::periodWithStartRect(CGRectNull, CGRectMake(0, 0, 1, 1), 1, 0)->startValue());
    EXPECT_FALSE(PEAnimationPeriod::periodWithStartDecimal(PEDecimalNotANumber(), PEDecimalWithInt(1), 1, 0)->startValue());
    EXPECT_FALSE(PEAnimationPeriod::periodWithStartPlotRange(PEPlotRange::plotRangeWithLocation(NAN, 1), nullptr, 1, 0)->startValue());
    EXPECT_TRUE(PEAnimationPeriod::periodWithStart(0, NAN, 1, 0)->endValue());

    auto decimal = PEAnimationPeriod::periodWithStartDecimal(PEDecimalWithInt(10), PEDecimalWithInt(20), 1, 0);
    NSDecimal overshoot = ns::cast<NSDecimalNumber>(decimal->tweenedValueForProgress(1.25))->decimalValue();
    EXPECT_EQ(NSDecimalString(&overshoot), NSString("22.5"));
    NSDecimal tiny = ns::cast<NSDecimalNumber>(decimal->tweenedValueForProgress(0.0000004))->decimalValue();
    EXPECT_EQ(NSDecimalString(&tiny), NSString("10"));
    auto level = PEAnimationPeriod::periodWithStart(10, 20, 1, 0);
    EXPECT_EQ(ns::cast<NSNumber>(level->tweenedValueForProgress(-0.1))->doubleValue(), 9);

    // The plot-range start condition looks at locations only.
    auto gauge = Gauge::create();
    gauge->setRange(PEPlotRange::plotRangeWithLocation(0.0, 99.0));
    auto binding = PEAnimationBinding::bindingForProperty(gauge, "range");
    ASSERT_TRUE(binding);
    auto ranges = PEAnimationPeriod::periodWithStartPlotRange(PEPlotRange::plotRangeWithLocation(0.0, 1.0),
        PEPlotRange::plotRangeWithLocation(4.0, 1.0), 1, NAN);
    EXPECT_TRUE(ranges->canStartWithValueFromObject(gauge, *binding));
    gauge->setRange(PEPlotRange::plotRangeWithLocation(-1.0, 1.0));
    EXPECT_FALSE(ranges->canStartWithValueFromObject(gauge, *binding));

    auto abstract = PEAnimationPeriod::periodWithStartValue(NSNumber::numberWithInt(1), NSNumber::numberWithInt(2), 1, 0);
    try {
        abstract->tweenedValueForProgress(0.5);
        FAIL() << "no exception";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSString(NSGenericException));
        EXPECT_EQ(exception.reason(), NSString("The -tweenedValueForProgress: method must be implemented by PEAnimationPeriod subclasses."));
    }
    EXPECT_TRUE(abstract->description().hasSuffix(" from: 1; to: 2; duration: 1, delay: 0>"));
}

TEST_F(AnimationTest, movesAPlotSpaceRangeThroughItsOwnSetterEveryTick)
{
    auto space = PEXYPlotSpace::create();
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    int mappingChanges = 0;
    auto observer = NSNotificationCenter::defaultCenter()->addObserverForName(PEPlotSpaceCoordinateMappingDidChangeNotification,
        space, nullptr, [&](const auto&) { ++mappingChanges; });
    animate(space, "xRange", space->xRange(), PEPlotRange::plotRangeWithLocation(6.0, 4.0), 3 * tick);
    drain();
    ticks(4);
    EXPECT_EQ(space->xRange()->locationDouble(), 6);
    EXPECT_EQ(space->xRange()->lengthDouble(), 4);
    EXPECT_EQ(mappingChanges, 3);
    NSNotificationCenter::defaultCenter()->removeObserver(observer);
}
