#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSException.h"

#include <clocale>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<PEMutablePlotRange> range(double location, double length)
{
    return PEMutablePlotRange::plotRangeWithLocation(location, length);
}

void expectRange(const PEPlotRange& actual, double location, double length)
{
    EXPECT_DOUBLE_EQ(actual.locationDouble(), location);
    EXPECT_DOUBLE_EQ(actual.lengthDouble(), length);
}

} // namespace

TEST(PEPlotRange, unionKeepsTheReceiversDirection)
{
    auto a = range(0, 10);
    a->unionPlotRange(range(5, 10));
    expectRange(*a, 0, 15);
    auto b = range(10, -10);
    b->unionPlotRange(range(5, 10));
    expectRange(*b, 15, -15);
}

TEST(PEPlotRange, intersectionOfRangesThatDoNotMeetIsEmpty)
{
    auto overlapping = range(0, 10);
    overlapping->intersectionPlotRange(range(5, 10));
    expectRange(*overlapping, 5, 5);
    auto touching = range(0, 10);
    touching->intersectionPlotRange(range(10, 5));
    expectRange(*touching, 10, 0);
    EXPECT_TRUE(touching->containsDouble(10));

    auto disjoint = range(0, 10);
    disjoint->intersectionPlotRange(range(20, 5));
    expectRange(*disjoint, 0, 0);
    EXPECT_TRUE(disjoint->isEmpty());
    EXPECT_FALSE(disjoint->contains(PEDecimalWithInt(0)));
    EXPECT_FALSE(disjoint->intersectsRange(range(-1, 2)));
}

TEST(PEPlotRange, expansionKeepsTheMiddleAndShiftsKeepTheLength)
{
    auto a = range(0, 10);
    a->expandRangeByFactor(PEDecimalFromString("1.5"));
    expectRange(*a, -2.5, 15);
    auto b = range(0, 10);
    b->expandRangeByFactor(PEDecimalWithInt(0));
    expectRange(*b, 5, 0);

    auto within = range(0, 10);
    for (auto [location, expected] : { std::pair { 12.0, 10.0 }, { -3.0, 0.0 }, { 4.0, 4.0 } }) {
        auto shifted = range(location, 1);
        shifted->shiftLocationToFitInRange(within);
        expectRange(*shifted, expected, 1);
    }
    auto high = range(8, 5);
    high->shiftEndToFitInRange(within);
    expectRange(*high, 5, 5);
    auto low = range(-9, 5);
    low->shiftEndToFitInRange(within);
    expectRange(*low, -5, 5);
    EXPECT_THROW(high->shiftEndToFitInRange(nullptr), NSException);
}

TEST(PEPlotRange, comparesInclusiveEndsAndCopiesToTheRightClass)
{
    auto reversed = range(10, -10);
    EXPECT_EQ(reversed->compareToDouble(-1), PEPlotRangeComparisonResultNumberBelowRange);
    EXPECT_EQ(reversed->compareToDouble(0), PEPlotRangeComparisonResultNumberInRange);
    EXPECT_EQ(reversed->compareToDouble(11), PEPlotRangeComparisonResultNumberAboveRange);
    EXPECT_TRUE(reversed->containsRange(range(2, 3)));
    EXPECT_FALSE(reversed->containsRange(nullptr));
    auto copy = reversed->copyRange();
    EXPECT_EQ(std::string(copy->className()), "PEPlotRange");
    EXPECT_TRUE(copy->isEqual(reversed));
    EXPECT_EQ(std::string(copy->mutableCopyRange()->className()), "PEMutablePlotRange");
}

TEST(PEDecimalHelpers, doublesKeepSixPlacesWhateverTheLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_TRUE(PEDecimalIsEqual(PEDecimalWithDouble(0.5), PEDecimalFromString("0.5")));
    EXPECT_TRUE(PEDecimalIsEqual(PEDecimalWithDouble(1e-7), PEDecimalWithInt(0)));
    EXPECT_TRUE(PEDecimalIsEqual(PEDecimalWithDouble(-12.3456789), PEDecimalFromString("-12.345679")));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_TRUE(NSDecimalIsNotANumber(&*std::make_unique<NSDecimal>(PEDecimalQuotient(PEDecimalWithInt(1), PEDecimalWithInt(0)))));
    EXPECT_EQ(PEDecimalAsLongLong(PEDecimalFromString("-7.9")), -7);
    EXPECT_EQ(PEOtherCoordinate(PECoordinateX), PECoordinateY);
    EXPECT_EQ(PEPointDescription(CGPoint { 1.5, -2 }), NSString("{1.5, -2}"));
}
