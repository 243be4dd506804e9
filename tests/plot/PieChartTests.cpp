#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPieChart.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEXYGraph.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGColor.h"
#include "tests/plot/PlotRendering.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace plottest;

namespace {

constexpr double pi = std::numbers::pi;

class SliceSource : public PEPieChartDataSource, public PEPieChartDelegate {
public:
    std::vector<double> values { 1, 1, 2 };
    std::vector<NSString> titles { "科目一", "科目二", "科目三" };
    std::vector<double> offsets;
    std::vector<NSUInteger> selected;

    std::optional<CGFloat> radialOffsetForPieChart(PEPieChart&, NSUInteger index) override
    {
        if (offsets.empty())
            return std::nullopt;
        return index < offsets.size() ? offsets[index] : 0;
    }

    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return values.size(); }
    std::optional<double> doubleForPlot(PEPlot&, NSUInteger, NSUInteger index) override { return values[index]; }
    std::optional<NSString> legendTitleForPieChart(PEPieChart&, NSUInteger index) override
    {
        return index < titles.size() ? titles[index] : NSString("其他");
    }
    bool sliceWasSelectedAtRecordIndex(PEPieChart&, NSUInteger index) override
    {
        selected.push_back(index);
        return true;
    }
};

struct Pie {
    std::shared_ptr<PEXYGraph> graph;
    std::shared_ptr<PEPieChart> pie;
    std::shared_ptr<SliceSource> source;
};

// A pie of radius 40 centred in a 200 × 200 plot area that the plot fills.
Pie pieOf(std::vector<double> values)
{
    Pie made;
    made.graph = PEXYGraph::create(CGRect { { 0, 0 }, { 200, 200 } });
    made.pie = PEPieChart::create(CGRect { { 0, 0 }, { 100, 100 } });
    made.source = std::make_shared<SliceSource>();
    made.source->values = std::move(values);
    made.pie->setDataSource(made.source);
    made.pie->setDelegate(made.source);
    made.graph->addPlot(made.pie);
    auto area = made.graph->plotAreaFrame()->plotArea();
    area->setBounds(CGRect { { 0, 0 }, { 200, 200 } });
    made.pie->setFrame(area->bounds());
    made.pie->reloadData();
    return made;
}

CGPoint atAngle(CGFloat angle, CGFloat distance) { return CGPoint { 100 + distance * std::cos(angle), 100 + distance * std::sin(angle) }; }

} // namespace

TEST(PieChart, normalisesValuesSkippingMissingOnesAndUsesThePalette)
{
    auto made = pieOf({ 1, NAN, 1 });
    auto& pie = *made.pie;
    EXPECT_EQ(pie.pieRadius(), 40);
    EXPECT_EQ(pie.cachedDoubleForField(PEPieChartFieldSliceWidthNormalized, 0), 0.5);
    EXPECT_TRUE(std::isnan(pie.cachedDoubleForField(PEPieChartFieldSliceWidthNormalized, 1)));
    EXPECT_EQ(pie.cachedDoubleForField(PEPieChartFieldSliceWidthSum, 1), 0.5);
    EXPECT_EQ(pie.cachedDoubleForField(PEPieChartFieldSliceWidthSum, 2), 1.0);
    EXPECT_TRUE(std::isnan(pie.medianAngleForPieSliceIndex(1)));
    EXPECT_NEAR(pie.medianAngleForPieSliceIndex(2), -pi, 1e-12);
    EXPECT_THROW(pie.medianAngleForPieSliceIndex(3), NSException);

    auto color = PEPieChart::defaultPieSliceColorForIndex(13);
    const CGFloat* components = CGColorGetComponents(color->cgColor());
    EXPECT_NEAR(components[0], 1.1, 1e-12);
    EXPECT_NEAR(components[1], 1.1, 1e-12);
    EXPECT_NEAR(components[2], 0.1, 1e-12);
    pie.setPieRadius(-50);
    EXPECT_EQ(pie.pieRadius(), 50);
    EXPECT_EQ(pie.numberOfLegendEntries(), 3u);
    EXPECT_EQ(pie.titleForLegendEntryAtIndex(1), NSString("科目二"));
}

TEST(PieChart, anglesRunEitherWayOverFullAndPartialPies)
{
    auto made = pieOf({ 1, 1, 2 });
    auto& pie = *made.pie;
    EXPECT_NEAR(pie.radiansForPieSliceValue(0.25), 0, 1e-12);
    EXPECT_EQ(pie.pieSliceIndexAtAngle(pi / 4), 0u);
    EXPECT_EQ(pie.pieSliceIndexAtAngle(pi), 2u);
    EXPECT_NEAR(pie.medianAngleForPieSliceIndex(0), pi / 4, 1e-12);
    EXPECT_NEAR(pie.medianAngleForPieSliceIndex(2), -pi, 1e-12);

    pie.setEndAngle(pi);
    EXPECT_NEAR(pie.radiansForPieSliceValue(1), pi / 2 - 1.5 * pi, 1e-12);
    pie.setSliceDirection(PEPieDirectionCounterClockwise);
    EXPECT_NEAR(pie.radiansForPieSliceValue(1), pi, 1e-12);
}

TEST(PieChart, touchesHitSlicesBetweenTheRadiiWhereTheyAreDrawn)
{
    auto made = pieOf({ 1, 1, 2 });
    auto& pie = *made.pie;
    EXPECT_EQ(pie.dataIndexFromInteractionPoint(atAngle(pi / 4, 20)), 0u);
    EXPECT_EQ(pie.dataIndexFromInteractionPoint(CGPoint { 100, 140 }), 0u);
    EXPECT_EQ(pie.dataIndexFromInteractionPoint(atAngle(pi / 4, 41)), NSNotFound);
    pie.setPieInnerRadius(20);
    EXPECT_EQ(pie.dataIndexFromInteractionPoint(atAngle(pi / 4, 10)), NSNotFound);

    auto partial = pieOf({ 1, 1 });
    partial.pie->setStartAngle(pi / 2);
    partial.pie->setEndAngle(pi);
    partial.pie->setSliceDirection(PEPieDirectionCounterClockwise);
    EXPECT_EQ(partial.pie->dataIndexFromInteractionPoint(atAngle(5 * pi / 8, 30)), 0u);
    EXPECT_EQ(partial.pie->dataIndexFromInteractionPoint(atAngle(7 * pi / 8, 30)), 1u);
    EXPECT_EQ(partial.pie->dataIndexFromInteractionPoint(atAngle(0, 30)), NSNotFound);
    // A pie without room is neither drawn nor hit.
    partial.pie->setEndAngle(pi / 2);
    EXPECT_EQ(partial.pie->dataIndexFromInteractionPoint(atAngle(5 * pi / 8, 30)), NSNotFound);

    const CGPoint touch = made.graph->convertPointFromLayer(atAngle(pi, 30), made.graph->plotAreaFrame()->plotArea());
    EXPECT_TRUE(pie.pointingDeviceDownEvent(nullptr, touch));
    EXPECT_EQ(made.source->selected, (std::vector<NSUInteger> { 2 }));
}

TEST(PieChart, offsetSlicesMoveTheirHitsAndLabelsAndNonNumbersCountAsZero)
{
    auto made = pieOf({ 1, 1, 2 });
    auto& pie = *made.pie;
    pie.setSliceRadialOffsets(NSArray::arrayWithObjects({ NSNumber::numberWithDouble(10), NSNumber::numberWithDouble(0), NSNumber::numberWithDouble(0) }));
    EXPECT_EQ(pie.dataIndexFromInteractionPoint(atAngle(pi / 4, 49)), 0u);
    EXPECT_EQ(pie.dataIndexFromInteractionPoint(atAngle(pi / 4, 5)), NSNotFound);

    // Padding opened by an insert reads as no offset.
    made.source->values = { 1, 1, 1, 2 };
    EXPECT_NO_THROW(pie.insertDataAtIndex(3, 1));
    EXPECT_EQ(pie.radialOffsetForIndex(3), 0);
    EXPECT_NO_THROW({
        auto picture = render(CGSize { 200, 200 }, 1, [&](const CGContextRef& context) { pie.renderAsVectorInContext(context); });
        (void)picture;
    });

    auto labelled = pieOf({ 1, 1, 2 });
    labelled.pie->setSliceRadialOffsets(NSArray::arrayWithObjects({ NSNumber::numberWithDouble(15), NSNumber::numberWithDouble(0), NSNumber::numberWithDouble(0) }));
    labelled.pie->setLabelTextStyle(PEMutableTextStyle::textStyle());
    labelled.pie->relabel();
    auto label = ns::cast<PEPlotSpaceAnnotation>(labelled.pie->labelAnnotations()->objectAtIndex(0));
    ASSERT_TRUE(label);
    EXPECT_NEAR(std::hypot(label->displacement().x, label->displacement().y), 65, 1e-9);
    EXPECT_NEAR(std::atan2(label->displacement().y, label->displacement().x), pi / 4, 1e-9);
}

TEST(PieChart, labelsTurnAlongTheirRadiusKeepingTheLeftHalfUpright)
{
    auto made = pieOf({ 1, 1, 2 });
    auto& pie = *made.pie;
    pie.setLabelTextStyle(PEMutableTextStyle::textStyle());
    pie.setLabelRotationRelativeToRadius(true);
    pie.relabel();
    auto rotationOf = [&](NSUInteger index) { return ns::cast<PEPlotSpaceAnnotation>(pie.labelAnnotations()->objectAtIndex(index))->rotation(); };
    EXPECT_NEAR(rotationOf(0), pi / 4, 1e-9);
    EXPECT_NEAR(rotationOf(2), 0, 1e-9); // middle angle −π, position 0.5, turned back half a turn
}

TEST(PieChart, aPieWithAnOffsetSliceMatchesItsReferencePicture)
{
    PETheme::registerBuiltInThemes();
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 240, 240 } });
    graph->applyTheme(PETheme::themeNamed("Plain White"));
    graph->setAxisSet(nullptr);
    auto source = std::make_shared<SliceSource>();
    source->values = { 30, 20, 25, 15, 10 };
    source->titles = { "科目一", "科目二", "科目三", "科目四", "结业" };
    auto pie = PEPieChart::create(CGRect { { 0, 0 }, { 200, 200 } });
    pie->setPieRadius(80);
    auto border = PEMutableLineStyle::lineStyle();
    border->setLineColor(PEColor::whiteColor());
    border->setLineWidth(2);
    pie->setBorderLineStyle(border);
    source->offsets = { 12 };
    pie->setDataSource(source);
    graph->addPlot(pie);

    Picture picture;
    ASSERT_NO_THROW(picture = renderGraph(graph, 2));
    saveSnapshot(picture, "pie-chart@2x.png");
    // The first slice (red, offset) lies up and to the right of the centre.
    auto area = graph->plotAreaFrame()->plotArea();
    const CGRect bounds = area->bounds();
    const CGPoint inside = graph->convertPointFromLayer(CGPoint { CGRectGetMidX(bounds) + 40, CGRectGetMidY(bounds) + 50 }, area);
    const std::size_t x = static_cast<std::size_t>(inside.x * 2);
    const std::size_t y = static_cast<std::size_t>((240 - inside.y) * 2);
    // Pixels are stored blue, green, red, alpha.
    EXPECT_GT(picture.pixels[y * picture.bytesPerRow + x * 4 + 2], 200);
    EXPECT_LT(picture.pixels[y * picture.bytesPerRow + x * 4 + 1], 60);
    EXPECT_LT(differenceFromReference(picture, "pie-chart@2x.png", 24), 0.01);
}

namespace {

// Offers fills in both forms and no titles, so only the per-record fill form tells the legend.
class FillSource : public PEPieChartDataSource {
public:
    bool perRecordFills { true };
    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return 2; }
    std::optional<double> doubleForPlot(PEPlot&, NSUInteger, NSUInteger) override { return 1; }
    std::optional<std::shared_ptr<NSArray>> sliceFillsForPieChart(PEPieChart&, NSRange range) override
    {
        std::vector<id> fills(range.length, PEFill::fillWithColor(PEColor::blueColor()));
        return NSArray::create(fills);
    }
    std::optional<std::shared_ptr<PEFill>> sliceFillForPieChart(PEPieChart&, NSUInteger) override
    {
        if (!perRecordFills)
            return std::nullopt;
        return PEFill::fillWithColor(PEColor::redColor());
    }
};

} // namespace

TEST(PieChart, theLegendRedrawsWheneverTheDataSourceOffersPerRecordFillsOrTitles)
{
    auto source = std::make_shared<FillSource>();
    auto pie = PEPieChart::create(CGRectZero);
    pie->setDataSource(source);
    int redraws = 0;
    auto observer = NSObject::create();
    NSNotificationCenter::defaultCenter()->addObserver(observer, [&](const std::shared_ptr<NSNotification>&) { ++redraws; },
        PELegendNeedsRedrawForPlotNotification, pie);
    pie->reloadData();
    EXPECT_EQ(redraws, 1) << "the range form was cached, but the per-record form exists";
    source->perRecordFills = false;
    pie->reloadData();
    EXPECT_EQ(redraws, 1);
    NSNotificationCenter::defaultCenter()->removeObserver(observer);
}
