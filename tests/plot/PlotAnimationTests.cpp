// The plots' animatable properties: an animation of one reaches the plot's drawing in every frame
// the compositor takes, and the keys read and write by name.
#include "PlotRendering.h"

#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PEPieChart.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PETradingRangePlot.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/LayerCompositor.h"
#include "platform/layers/NSValueGeometry.h"
#include "tests/layers/ManualClockLayerTest.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plottest;

namespace {

class PlotAnimationTest : public ManualClockLayerTest {
protected:
    // One bar 60 points wide and 100 high in a 100-point graph that fills the compositor.
    void SetUp() override
    {
        ManualClockLayerTest::SetUp();
        graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
        plot = PEBarPlot::create(CGRectZero);
        graph->addPlot(plot);
        auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
        space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
        plot->setBarWidthsAreInViewCoordinates(true);
        plot->setBarWidth(PEDecimalWithInt(60));
        plot->setBarLocations(numberArray({ 5 }));
        plot->setBarTips(numberArray({ 10 }));
        plot->setLineStyle(nullptr);
        plot->setFill(PEFill::fillWithColor(PEColor::redColor()));
        (void)renderGraph(graph, 1);
        compositor = LayerCompositor::create(CGSizeMake(100, 100), 1.0);
        compositor->setRootLayer(graph);
    }

    // The red pixels of a frame: the bar's area, less what its rounded tip corners cut off.
    std::size_t barArea(const std::string& snapshot)
    {
        compositor->renderFrame();
        Picture picture = pictureOf(compositor->image());
        picture.png = UIImagePNGRepresentation(UIImage::imageWithCGImage(compositor->image()));
        saveSnapshot(picture, snapshot);
        std::size_t red = 0;
        for (std::size_t y = 0; y < picture.height; ++y) {
            for (std::size_t x = 0; x < picture.width; ++x) {
                const std::uint8_t* p = &picture.pixels[y * picture.bytesPerRow + x * 4];
                // Red, whichever end of the pixel the image keeps it at.
                red += std::max(p[0], p[2]) > 200 && std::min(p[0], p[2]) < 60 && p[1] < 60;
            }
        }
        return red;
    }

    std::shared_ptr<PEXYGraph> graph;
    std::shared_ptr<PEBarPlot> plot;
    std::shared_ptr<LayerCompositor> compositor;
};

} // namespace

TEST_F(PlotAnimationTest, aFrameHalfwayThroughAnAnimationShowsTheValueHalfway)
{
    const std::size_t square = barArea("bar-animation-square.png");
    plot->setBarCornerRadius(30);
    const std::size_t rounded = barArea("bar-animation-rounded.png");
    // Two corners of radius 30 take (4 - pi) * 450, about 386 points.
    ASSERT_NEAR(static_cast<double>(square - rounded), 386, 40);

    auto animation = CABasicAnimation::animationWithKeyPath("barCornerRadius");
    animation->setFromValue(NSNumber::numberWithDouble(0));
    animation->setToValue(NSNumber::numberWithDouble(30));
    animation->setDuration(1);
    plot->addAnimation(animation, "round");
    loop->advanceClock(0.5);
    auto presentation = std::static_pointer_cast<PEBarPlot>(plot->presentationLayer());
    EXPECT_NEAR(presentation->barCornerRadius(), 15, 1e-6);
    EXPECT_EQ(plot->barCornerRadius(), 30) << "the model keeps its value";
    // Radius 15 takes a quarter of that.
    const std::size_t halfway = barArea("bar-animation-halfway.png");
    EXPECT_NEAR(static_cast<double>(square - halfway), 97, 30);

    loop->advanceClock(1);
    EXPECT_EQ(barArea("bar-animation-ended.png"), rounded);
}

TEST_F(PlotAnimationTest, animatableKeysReadAndWriteByName)
{
    // An animation without a start value starts from the value the key reads.
    plot->setBarWidthScale(0.5);
    auto widen = CABasicAnimation::animationWithKeyPath("barWidthScale");
    widen->setToValue(NSNumber::numberWithDouble(1.5));
    widen->setDuration(1);
    plot->addAnimation(widen, "widen");
    loop->advanceClock(0.5);
    EXPECT_NEAR(std::static_pointer_cast<PEBarPlot>(plot->presentationLayer())->barWidthScale(), 1.0, 1e-6);

    plot->setValue(NSNumber::numberWithDouble(-4), "barBaseCornerRadius");
    EXPECT_EQ(plot->barBaseCornerRadius(), 4) << "through the setter";
    plot->setValue(NSString("wide"), "barOffsetScale");
    EXPECT_EQ(plot->barOffsetScale(), 1) << "a value of the wrong kind is ignored";
    auto pie = PEPieChart::create(CGRectZero);
    pie->setValue(NSValueGeometry::valueWithCGPoint(CGPoint { 0.25, 0.75 }), "centerAnchor");
    EXPECT_EQ(NSValueGeometry::CGPointValue(pie->valueForKey("centerAnchor")).y, 0.75);
    auto trading = PETradingRangePlot::create(CGRectZero);
    trading->setValue(NSNumber::numberWithDouble(9), "stickLength");
    EXPECT_EQ(trading->stickLength(), 9);
    auto legend = PELegend::legendWithPlots({ plot });
    legend->setValue(NSValueGeometry::valueWithCGSize(CGSize { 12, 8 }), "swatchSize");
    EXPECT_EQ(NSValueGeometry::CGSizeValue(legend->valueForKey("swatchSize")).width, 12);

    // Keys the plots do not own keep the layer's own behaviour.
    plot->setValue(NSNumber::numberWithDouble(0.5), "opacity");
    EXPECT_EQ(plot->opacity(), 0.5);
}
