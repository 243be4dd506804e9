// What an archive of the engine's objects holds reads back as it was written: the axis's custom
// labels and formatter, the plot's label settings and data source, and the formatters themselves.
#include "PlotRendering.h"

#include "framework/Source/PEAxisLabel.h"
#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PECalendarFormatter.h"
#include "framework/Source/PECodingRegistry.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PETimeFormatter.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSTimeZone.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

// A data source the archive can hold, so that a plot's conditional link to it is written.
class ArchivedDataSource : public NSObject, public NSCoding, public PEBarPlotDataSource {
    NS_OBJECT(ArchivedDataSource, NSObject)
public:
    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return 3; }
    std::optional<std::vector<double>> doublesForPlot(PEPlot&, NSUInteger field, NSRange range) override
    {
        std::vector<double> values;
        for (NSUInteger i = range.location; i < NSMaxRange(range); ++i)
            values.push_back(field == PEBarPlotFieldBarTip ? 1.5 + static_cast<double>(i) : static_cast<double>(i + 1));
        return values;
    }
    void encodeWithCoder(NSCoder&) const override { }

protected:
    void init(NSCoder&) { }
};

struct RoundTripSetUp {
    RoundTripSetUp()
    {
        PECodingRegistry::registerEngineClasses();
        NSCoder::registerClass<ArchivedDataSource>();
    }
};

const RoundTripSetUp setUp;

template <class T>
std::shared_ptr<T> roundTrip(const id& object)
{
    return ns::cast<T>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(object)));
}

std::shared_ptr<NSDateFormatter> dayFormatter()
{
    auto formatter = NSDateFormatter::create();
    formatter->setDateFormat("yyyy年M月d日");
    formatter->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    return formatter;
}

} // namespace

TEST(PEArchiveRoundTrip, anAxisKeepsItsCustomLabelsAndItsFormatter)
{
    auto graph = referenceGraph(4, 4, 1);
    auto x = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet())->xAxis();
    x->setLabelingPolicy(PEAxisLabelingPolicyNone);
    std::vector<std::shared_ptr<PEAxisLabel>> labels;
    for (int i : { 1, 3 }) {
        auto label = PEAxisLabel::labelWithText(NSString::stringWithFormat("第%d周", i), PETextStyle::textStyle());
        label->setTickLocation(PEDecimalWithInt(i));
        labels.push_back(label);
    }
    x->setAxisLabels(labels);
    auto formatter = NSNumberFormatter::create();
    formatter->setMinimumFractionDigits(2);
    x->setLabelFormatter(formatter);

    auto decoded = roundTrip<PEGraph>(graph);
    ASSERT_TRUE(decoded);
    auto decodedX = std::static_pointer_cast<PEXYAxisSet>(decoded->axisSet())->xAxis();
    ASSERT_EQ(decodedX->axisLabels().size(), 2u);
    auto text = std::dynamic_pointer_cast<PETextLayer>(decodedX->axisLabels()[1]->contentLayer());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text(), NSString("第3周"));
    EXPECT_EQ(PEDecimalAsLong(decodedX->axisLabels()[1]->tickLocation()), 3);
    ASSERT_TRUE(decodedX->labelFormatter());
    EXPECT_EQ(decodedX->labelFormatter()->stringForObjectValue(NSNumber::numberWithDouble(1.5)), NSString("1.50"));
    Picture picture = renderGraph(decoded, 1);
    saveSnapshot(picture, "decoded-custom-axis-labels.png");
}

TEST(PEArchiveRoundTrip, aPlotKeepsItsLabelFormatterRangeAnnotationsAndDataSource)
{
    auto graph = referenceGraph(4, 6, 1);
    auto source = ArchivedDataSource::create();
    auto plot = PEBarPlot::create(CGRectZero);
    plot->setDataSource(source);
    plot->setLabelTextStyle(PETextStyle::textStyle());
    auto formatter = NSNumberFormatter::create();
    formatter->setMaximumFractionDigits(1);
    formatter->setPositiveSuffix(" 小时");
    plot->setLabelFormatter(formatter);
    graph->addPlot(plot);
    (void)renderGraph(graph, 1);
    ASSERT_TRUE(plot->labelAnnotations());
    ASSERT_EQ(plot->labelAnnotations()->count(), 3u);

    auto archived = roundTrip<NSArray>(ns::array({ source, graph }));
    ASSERT_TRUE(archived && archived->count() == 2);
    auto decodedSource = ns::cast<ArchivedDataSource>(archived->objectAtIndex(0));
    auto decoded = ns::cast<PEGraph>(archived->objectAtIndex(1));
    ASSERT_TRUE(decoded && decodedSource);
    auto decodedPlot = std::dynamic_pointer_cast<PEBarPlot>(decoded->allPlots().front());
    ASSERT_TRUE(decodedPlot);
    EXPECT_EQ(decodedPlot->dataSource(), std::static_pointer_cast<PEPlotDataSource>(decodedSource));
    ASSERT_TRUE(decodedPlot->labelFormatter());
    EXPECT_EQ(decodedPlot->labelFormatter()->stringForObjectValue(NSNumber::numberWithDouble(2.5)), NSString("2.5 小时"));
    EXPECT_EQ(decodedPlot->labelIndexRange().location, plot->labelIndexRange().location);
    EXPECT_EQ(decodedPlot->labelIndexRange().length, plot->labelIndexRange().length);
    ASSERT_TRUE(decodedPlot->labelAnnotations());
    ASSERT_EQ(decodedPlot->labelAnnotations()->count(), 3u);
    for (NSUInteger i = 0; i < 3; ++i) {
        auto annotation = ns::cast<PEPlotSpaceAnnotation>(decodedPlot->labelAnnotations()->objectAtIndex(i));
        ASSERT_TRUE(annotation) << i;
        EXPECT_EQ(annotation->annotationHostLayer(), decodedPlot) << i;
    }
    Picture picture = renderGraph(decoded, 1);
    saveSnapshot(picture, "decoded-bar-labels.png");
    EXPECT_EQ(decodedPlot->labelAnnotations()->count(), 3u);
}

TEST(PEArchiveRoundTrip, calendarAndTimeFormattersKeepTheirDateFormatterAndCalendar)
{
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    calendar->setFirstWeekday(2);
    auto formatter = PECalendarFormatter::create(dayFormatter());
    formatter->setReferenceDate(NSDate::dateWithTimeIntervalSinceReferenceDate(500'000'000));
    formatter->setReferenceCalendar(calendar);
    formatter->setReferenceCalendarUnit(NSCalendarUnitMonth);
    const NSString before = formatter->stringForObjectValue(NSNumber::numberWithInt(14));

    auto decoded = roundTrip<PECalendarFormatter>(formatter);
    ASSERT_TRUE(decoded);
    ASSERT_TRUE(decoded->dateFormatter());
    EXPECT_EQ(decoded->dateFormatter()->dateFormat(), NSString("yyyy年M月d日"));
    ASSERT_TRUE(decoded->referenceCalendar());
    EXPECT_EQ(decoded->referenceCalendar()->calendarIdentifier(), NSString(NSCalendarIdentifierGregorian));
    EXPECT_EQ(decoded->referenceCalendar()->firstWeekday(), 2u);
    EXPECT_EQ(decoded->referenceCalendar()->timeZone()->name(), NSString("Asia/Shanghai"));
    EXPECT_EQ(decoded->referenceCalendarUnit(), NSCalendarUnitMonth);
    EXPECT_EQ(decoded->stringForObjectValue(NSNumber::numberWithInt(14)), before);

    auto time = PETimeFormatter::create(dayFormatter());
    time->setReferenceDate(NSDate::dateWithTimeIntervalSinceReferenceDate(500'000'000));
    auto decodedTime = roundTrip<PETimeFormatter>(time);
    ASSERT_TRUE(decodedTime);
    EXPECT_EQ(decodedTime->stringForObjectValue(NSNumber::numberWithDouble(86400 * 3)),
        time->stringForObjectValue(NSNumber::numberWithDouble(86400 * 3)));
}
