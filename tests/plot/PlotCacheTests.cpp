#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNull.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Answers through whichever forms a test switches on, and records what it was asked.
class FormsDataSource : public PEPlotDataSource {
public:
    NSUInteger count { 3 };
    bool answersData { false };
    bool answersDoubles { false };
    bool answersNumbers { false };
    bool answersDouble { false };
    bool answersNumber { false };
    bool decimals { false };
    bool answersTable { false };
    PEDataOrder tableOrder { PEDataOrderRowsFirst };
    bool answersLabels { false };
    std::vector<std::string> asked;
    std::vector<NSRange> rangesAsked;

    static double value(NSUInteger field, NSUInteger index) { return static_cast<double>(field * 10 + index); }

    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return count; }
    std::optional<std::shared_ptr<NSArray>> numbersForPlot(PEPlot&, NSUInteger field, NSRange range) override
    {
        if (!answersNumbers)
            return std::nullopt;
        asked.push_back("numbers");
        rangesAsked.push_back(range);
        auto array = NSMutableArray::array();
        for (NSUInteger i = range.location; i < NSMaxRange(range); ++i) {
            if (decimals)
                array->addObject(NSDecimalNumber::decimalNumberWithDecimal(PEDecimalWithDouble(value(field, i))));
            else
                array->addObject(NSNumber::numberWithDouble(value(field, i)));
        }
        return array;
    }
    std::optional<id> numberForPlot(PEPlot&, NSUInteger field, NSUInteger index) override
    {
        if (!answersNumber)
            return std::nullopt;
        asked.push_back("number");
        if (index == 1)
            return id();
        return NSNumber::numberWithDouble(value(field, index));
    }
    std::optional<std::vector<double>> doublesForPlot(PEPlot&, NSUInteger field, NSRange range) override
    {
        if (!answersDoubles)
            return std::nullopt;
        asked.push_back("doubles");
        std::vector<double> values;
        for (NSUInteger i = range.location; i < NSMaxRange(range); ++i)
            values.push_back(value(field, i));
        return values;
    }
    std::optional<double> doubleForPlot(PEPlot&, NSUInteger field, NSUInteger index) override
    {
        if (!answersDouble)
            return std::nullopt;
        asked.push_back("double");
        return value(field, index);
    }
    std::optional<std::shared_ptr<PENumericData>> dataForPlot(PEPlot&, NSUInteger field, NSRange range) override
    {
        if (!answersData)
            return std::nullopt;
        asked.push_back("data");
        auto array = NSMutableArray::array();
        for (NSUInteger i = range.location; i < NSMaxRange(range); ++i)
            array->addObject(NSNumber::numberWithDouble(value(field, i)));
        return PENumericData::numericDataWithArray(array, NSString("<i4"), nullptr);
    }
    std::optional<std::shared_ptr<PENumericData>> dataForPlotRecordIndexRange(PEPlot&, NSRange range) override
    {
        if (!answersTable)
            return std::nullopt;
        auto array = NSMutableArray::array();
        const NSUInteger rows = range.length;
        for (NSUInteger a = 0; a < (tableOrder == PEDataOrderRowsFirst ? rows : 3); ++a) {
            for (NSUInteger b = 0; b < (tableOrder == PEDataOrderRowsFirst ? 3 : rows); ++b) {
                const NSUInteger row = tableOrder == PEDataOrderRowsFirst ? a : b;
                const NSUInteger column = tableOrder == PEDataOrderRowsFirst ? b : a;
                array->addObject(NSNumber::numberWithDouble(value(column, range.location + row)));
            }
        }
        auto shape = NSArray::arrayWithObjects({ NSNumber::numberWithUnsignedInteger(rows), NSNumber::numberWithUnsignedInteger(3) });
        return PENumericData::numericDataWithArray(array, NSString("<f8"), shape, tableOrder);
    }
    std::optional<std::shared_ptr<PELayer>> dataLabelForPlot(PEPlot&, NSUInteger index) override
    {
        if (!answersLabels)
            return std::nullopt;
        if (index % 2)
            return std::shared_ptr<PELayer>();
        return std::static_pointer_cast<PELayer>(PETextLayer::create(NSString("标签"), nullptr));
    }
};

std::shared_ptr<PEBarPlot> barPlotWith(const std::shared_ptr<PEPlotDataSource>& source)
{
    auto plot = PEBarPlot::create(CGRectZero);
    plot->setPlotSpace(PEXYPlotSpace::create());
    plot->setDataSource(source);
    return plot;
}

std::vector<double> field(PEPlot& plot, NSUInteger which)
{
    std::vector<double> values;
    for (NSUInteger i = 0; i < plot.cachedDataCount(); ++i)
        values.push_back(plot.cachedDoubleForField(which, i));
    return values;
}

} // namespace

TEST(PlotCache, pullsTheFirstFormTheDataSourceAnswersAndOnlyThatOne)
{
    struct Case {
        void (*enable)(FormsDataSource&);
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { [](FormsDataSource& s) { s.answersData = s.answersDoubles = s.answersNumbers = true; }, { "data", "data" } },
        { [](FormsDataSource& s) { s.answersDoubles = s.answersNumbers = s.answersDouble = true; }, { "doubles", "doubles" } },
        { [](FormsDataSource& s) { s.answersNumbers = s.answersDouble = true; }, { "numbers", "numbers" } },
        { [](FormsDataSource& s) { s.answersDouble = s.answersNumber = true; }, { "double", "double", "double", "double", "double", "double" } },
    };
    for (const auto& test : cases) {
        auto source = std::make_shared<FormsDataSource>();
        test.enable(*source);
        auto plot = barPlotWith(source);
        plot->reloadData();
        EXPECT_EQ(source->asked, test.expected);
        EXPECT_EQ(field(*plot, PEBarPlotFieldBarTip), (std::vector<double> { 10, 11, 12 }));
        EXPECT_TRUE(plot->doublePrecisionCache());
    }
}

TEST(PlotCache, missingNumbersAreNaNAndOnlyTheCountGivesDecimalZeros)
{
    auto source = std::make_shared<FormsDataSource>();
    source->answersNumber = true;
    auto plot = barPlotWith(source);
    plot->reloadData();
    auto tips = field(*plot, PEBarPlotFieldBarTip);
    EXPECT_EQ(tips[0], 10);
    EXPECT_TRUE(std::isnan(tips[1]));
    auto range = plot->plotRangeForField(PEBarPlotFieldBarTip);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->locationDouble(), 10);
    EXPECT_EQ(range->lengthDouble(), 2);

    auto countOnly = std::make_shared<FormsDataSource>();
    auto bare = barPlotWith(countOnly);
    bare->reloadData();
    EXPECT_FALSE(bare->doublePrecisionCache());
    EXPECT_EQ(field(*bare, PEBarPlotFieldBarTip), (std::vector<double> { 0, 0, 0 }));
    auto single = bare->plotRangeForField(PEBarPlotFieldBarTip);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->lengthDouble(), 0);
}

TEST(PlotCache, automaticPrecisionFollowsTheLatestPullAndFixedPrecisionsConvert)
{
    auto source = std::make_shared<FormsDataSource>();
    source->answersNumbers = true;
    auto plot = barPlotWith(source);
    plot->reloadData();
    EXPECT_TRUE(plot->doublePrecisionCache());
    source->decimals = true;
    plot->reloadDataInIndexRange(NSMakeRange(1, 1));
    EXPECT_FALSE(plot->doublePrecisionCache());
    EXPECT_EQ(field(*plot, PEBarPlotFieldBarTip), (std::vector<double> { 10, 11, 12 }));

    plot->setCachePrecision(PEPlotCachePrecisionDouble);
    EXPECT_TRUE(plot->doublePrecisionCache());
    plot->setCachePrecision(PEPlotCachePrecisionDecimal);
    EXPECT_TRUE(PEDecimalIsEqual(plot->cachedDecimalForField(PEBarPlotFieldBarTip, 2), PEDecimalWithInt(12)));
    EXPECT_EQ(plot->cachedDoubleForField(PEBarPlotFieldBarTip, 2), 12);
    try {
        plot->setCachePrecision(7);
        FAIL();
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.reason(), NSString("Invalid cache precision"));
    }
    EXPECT_EQ(plot->cachePrecision(), 7);
}

TEST(PlotCache, twoDimensionalDataFillsEveryFieldInEitherOrder)
{
    for (PEDataOrder order : { PEDataOrderRowsFirst, PEDataOrderColumnsFirst }) {
        auto source = std::make_shared<FormsDataSource>();
        source->count = 4;
        source->answersTable = true;
        source->tableOrder = order;
        auto plot = barPlotWith(source);
        plot->reloadData();
        EXPECT_EQ(field(*plot, 0), (std::vector<double> { 0, 1, 2, 3 }));
        EXPECT_EQ(field(*plot, 1), (std::vector<double> { 10, 11, 12, 13 }));
        EXPECT_EQ(field(*plot, 2), (std::vector<double> { 20, 21, 22, 23 }));
    }
}

TEST(PlotCache, insertPullsExactlyTheNewRecordsAndDeleteShiftsTheRest)
{
    auto source = std::make_shared<FormsDataSource>();
    source->answersNumbers = true;
    source->answersLabels = true;
    auto plot = barPlotWith(source);
    plot->reloadData();
    source->count = 5;
    source->rangesAsked.clear();
    plot->insertDataAtIndex(3, 2);
    ASSERT_FALSE(source->rangesAsked.empty());
    EXPECT_EQ(source->rangesAsked.front().location, 3u);
    EXPECT_EQ(source->rangesAsked.front().length, 2u);
    EXPECT_EQ(field(*plot, PEBarPlotFieldBarTip), (std::vector<double> { 10, 11, 12, 13, 14 }));
    EXPECT_EQ(plot->dataLabels()->count(), 5u);
    EXPECT_EQ(plot->cachedValueForKey("dataLabels", 3), PEPlot::nilData());
    EXPECT_THROW(plot->insertDataAtIndex(9, 1), NSException);

    plot->deleteDataInIndexRange(NSMakeRange(1, 2));
    EXPECT_EQ(field(*plot, PEBarPlotFieldBarTip), (std::vector<double> { 10, 13, 14 }));
    EXPECT_EQ(plot->dataLabels()->count(), 3u);
    EXPECT_EQ(plot->labelIndexRange().location, 1u);
    EXPECT_EQ(plot->labelIndexRange().length, 2u);
    EXPECT_THROW(plot->deleteDataInIndexRange(NSMakeRange(2, 5)), NSException);
}

TEST(PlotCache, styleArraysGrowWithTheDataSourceAndNeverSetTheCount)
{
    auto source = std::make_shared<FormsDataSource>();
    source->answersNumbers = true;
    source->answersLabels = true;
    auto plot = barPlotWith(source);
    plot->reloadData();
    // New records reloaded without an insert: every entry grows, nothing is read out of range.
    source->count = 6;
    EXPECT_NO_THROW(plot->reloadDataInIndexRange(NSMakeRange(3, 3)));
    EXPECT_EQ(plot->cachedDataCount(), 6u);
    EXPECT_EQ(plot->dataLabels()->count(), 6u);
    EXPECT_EQ(field(*plot, PEBarPlotFieldBarTip).back(), 15);

    plot->setBarFills(NSArray::arrayWithObject(NSNull::null()));
    EXPECT_EQ(plot->cachedDataCount(), 6u);
    plot->setBarFills(nullptr);
    EXPECT_EQ(plot->cachedDataCount(), 6u);

    // A count that shrank under a range store copies nothing past the entry.
    source->count = 2;
    EXPECT_NO_THROW(plot->cacheNumbers(NSArray::arrayWithObjects({ NSNumber::numberWithDouble(1), NSNumber::numberWithDouble(2) }),
        PEBarPlotFieldBarTip, 4));
    EXPECT_EQ(plot->cachedNumbersForField(PEBarPlotFieldBarTip)->numberOfSamples(), 2u);
}

TEST(PlotCache, reloadOutsideTheDataSourceFailsTheAssertionAndAPlotWithoutOneStaysEmpty)
{
    auto source = std::make_shared<FormsDataSource>();
    auto plot = barPlotWith(source);
    EXPECT_THROW(plot->reloadDataInIndexRange(NSMakeRange(2, 5)), NSException);

    auto lonely = PEBarPlot::create(CGRectZero);
    lonely->reloadData();
    EXPECT_EQ(lonely->cachedDataCount(), 0u);
    EXPECT_FALSE(lonely->plotRangeForField(PEBarPlotFieldBarTip));
    EXPECT_FALSE(lonely->plotRangeForCoordinate(PECoordinateX));
}

TEST(PlotCache, perRecordLabelsKeepTheirSlotsAndUnsupportedObjectsAreRefused)
{
    auto source = std::make_shared<FormsDataSource>();
    source->answersNumbers = true;
    source->answersLabels = true;
    source->count = 4;
    auto plot = barPlotWith(source);
    plot->reloadData();
    plot->relabel();
    ASSERT_TRUE(plot->labelAnnotations());
    EXPECT_EQ(plot->labelAnnotations()->count(), 4u);
    EXPECT_TRUE(ns::cast<NSNull>(plot->labelAnnotations()->objectAtIndex(1)));
    EXPECT_EQ(plot->annotations().size(), 2u);

    source->count = 2;
    plot->reloadData();
    plot->relabel();
    EXPECT_EQ(plot->labelAnnotations()->count(), 2u);
    EXPECT_EQ(plot->annotations().size(), 1u);

    EXPECT_THROW(plot->numericDataForNumbers(NSNumber::numberWithInt(1)), NSException);
}
