#include "PlotRendering.h"

#include "framework/Source/PEExceptions.h"
#include "framework/Source/PELayerAnnotation.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSNumber.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

class TouchLayer : public PELayer {
    NS_OBJECT(TouchLayer, PELayer)
public:
    bool takes { true };
    int downs { 0 };
    CGPoint lastPoint {};
    bool pointingDeviceDownEvent(const UIEventRef&, CGPoint point) override
    {
        ++downs;
        lastPoint = point;
        return takes;
    }
};

std::shared_ptr<PELayer> contentOfSize(CGFloat width, CGFloat height)
{
    return PELayer::create(CGRect { { 0, 0 }, { width, height } });
}

CGPoint centreOf(const PELayer& layer)
{
    CGRect frame = layer.frame();
    return CGPoint { CGRectGetMidX(frame), CGRectGetMidY(frame) };
}

} // namespace

TEST(PEAnnotationHostLayer, addingTwiceKeepsOneEntryAndRemovingTwiceRaises)
{
    auto host = PEAnnotationHostLayer::create(CGRect { { 0, 0 }, { 200, 100 } });
    auto annotation = PELayerAnnotation::create(std::static_pointer_cast<PELayer>(host));
    annotation->setContentLayer(contentOfSize(50, 20));
    host->addAnnotation(annotation);
    host->addAnnotation(annotation);
    EXPECT_EQ(host->annotations().size(), 1u);
    EXPECT_EQ(annotation->contentLayer()->superlayer(), host);
    host->removeAnnotation(annotation);
    EXPECT_EQ(annotation->contentLayer()->superlayer(), nullptr);
    try {
        host->removeAnnotation(annotation);
        FAIL() << "a second removal must raise";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSString(PEException));
        EXPECT_NE(exception.reason().UTF8String().find("Host layer was (null)."), std::string::npos);
    }
    EXPECT_TRUE(host->annotations().empty());
    EXPECT_THROW(PELayerAnnotation::create(nullptr), NSException);
}

TEST(PELayerAnnotation, placesContentAtEachRectAnchor)
{
    auto host = PEAnnotationHostLayer::create(CGRect { { 0, 0 }, { 200, 100 } });
    auto anchor = PELayer::create(CGRect { { 0, 0 }, { 200, 100 } });
    host->addSublayer(anchor);
    auto annotation = PELayerAnnotation::create(anchor);
    annotation->setContentLayer(contentOfSize(50, 20));
    host->addAnnotation(annotation);
    EXPECT_EQ(centreOf(*annotation->contentLayer()).x, 100);
    EXPECT_EQ(centreOf(*annotation->contentLayer()).y, 100);

    struct Case {
        PERectAnchor anchor;
        CGPoint expected;
    };
    for (Case c : { Case { PERectAnchorBottomLeft, { 0, 0 } }, { PERectAnchorBottom, { 100, 0 } }, { PERectAnchorBottomRight, { 200, 0 } },
             { PERectAnchorLeft, { 0, 50 } }, { PERectAnchorRight, { 200, 50 } }, { PERectAnchorTopLeft, { 0, 100 } },
             { PERectAnchorTopRight, { 200, 100 } }, { PERectAnchorCenter, { 100, 50 } }, { static_cast<PERectAnchor>(42), { 0, 0 } } }) {
        annotation->setRectAnchor(c.anchor);
        CGPoint centre = centreOf(*annotation->contentLayer());
        EXPECT_EQ(centre.x, c.expected.x) << c.anchor;
        EXPECT_EQ(centre.y, c.expected.y) << c.anchor;
    }

    annotation->setRectAnchor(PERectAnchorTopRight);
    annotation->setDisplacement(CGPoint { -5, 3 });
    host->layoutSublayers();
    EXPECT_EQ(centreOf(*annotation->contentLayer()).x, 195);
    EXPECT_EQ(centreOf(*annotation->contentLayer()).y, 103);
}

TEST(PELayerAnnotation, followsTheAnchorsBoundsAtOnceButNotItsPosition)
{
    auto host = PEAnnotationHostLayer::create(CGRect { { 0, 0 }, { 300, 300 } });
    auto anchor = PELayer::create(CGRect { { 0, 0 }, { 200, 100 } });
    host->addSublayer(anchor);
    auto annotation = PELayerAnnotation::create(anchor);
    annotation->setContentLayer(contentOfSize(50, 20));
    annotation->setRectAnchor(PERectAnchorTopRight);
    host->addAnnotation(annotation);
    anchor->setBounds(CGRect { { 0, 0 }, { 220, 100 } });
    EXPECT_EQ(centreOf(*annotation->contentLayer()).x, 210);
    anchor->setPosition(CGPoint { 150, 150 });
    EXPECT_EQ(centreOf(*annotation->contentLayer()).x, 210);
}

TEST(PEAnnotation, outlivesItsHostAndAnchorSafely)
{
    auto annotation = [] {
        auto host = PEAnnotationHostLayer::create(CGRect { { 0, 0 }, { 100, 100 } });
        auto anchor = PELayer::create(CGRect { { 0, 0 }, { 100, 100 } });
        auto made = PELayerAnnotation::create(anchor);
        made->setContentLayer(contentOfSize(10, 10));
        host->addAnnotation(made);
        return made;
    }();
    EXPECT_EQ(annotation->annotationHostLayer(), nullptr);
    EXPECT_EQ(annotation->anchorLayer(), nullptr);
    annotation->positionContentLayer();
    annotation->setContentLayer(contentOfSize(5, 5));
    annotation->setDisplacement(CGPoint { 1, 1 });
    EXPECT_EQ(annotation->contentLayer()->superlayer(), nullptr);
}

TEST(PEAnnotationHostLayer, touchesGoToTheFirstAddedContentThatTakesThem)
{
    auto host = PEAnnotationHostLayer::create(CGRect { { 0, 0 }, { 200, 100 } });
    auto first = TouchLayer::create(CGRect { { 0, 0 }, { 50, 20 } });
    auto second = TouchLayer::create(CGRect { { 0, 0 }, { 50, 20 } });
    for (const auto& layer : { first, second }) {
        auto annotation = PELayerAnnotation::create(std::static_pointer_cast<PELayer>(host));
        annotation->setContentLayer(layer);
        host->addAnnotation(annotation);
    }
    EXPECT_TRUE(host->pointingDeviceDownEvent(nullptr, CGPoint { 100, 100 }));
    EXPECT_EQ(first->downs, 1);
    EXPECT_EQ(second->downs, 0);
    first->takes = false;
    EXPECT_TRUE(host->pointingDeviceDownEvent(nullptr, CGPoint { 100, 100 }));
    EXPECT_EQ(second->downs, 1);
    second->takes = false;
    EXPECT_FALSE(host->pointingDeviceDownEvent(nullptr, CGPoint { 100, 100 }));
    // The maximum edges are outside.
    EXPECT_FALSE(host->pointingDeviceDownEvent(nullptr, CGPoint { 125, 110 }));
    EXPECT_EQ(first->downs, 3);
}

TEST(PEAnnotationHostLayer, hostsInsideAGraphTestTapsInTheirOwnCoordinates)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 300, 200 } });
    graph->setPaddingLeft(40);
    graph->setPaddingBottom(30);
    graph->layoutEntireTree();
    auto area = graph->plotAreaFrame()->plotArea();
    auto content = TouchLayer::create(CGRect { { 0, 0 }, { 20, 20 } });
    auto annotation = PELayerAnnotation::create(std::static_pointer_cast<PELayer>(area));
    annotation->setRectAnchor(PERectAnchorBottomLeft);
    annotation->setContentAnchorPoint(CGPoint { 0, 0 });
    annotation->setContentLayer(content);
    area->addAnnotation(annotation);
    // The content covers the plot area's first 20 points: graph points 40...60, 30...50.
    EXPECT_TRUE(area->pointingDeviceDownEvent(nullptr, CGPoint { 45, 35 }));
    EXPECT_EQ(content->lastPoint.x, 45);
    EXPECT_FALSE(area->pointingDeviceDownEvent(nullptr, CGPoint { 5, 5 }));
    EXPECT_EQ(content->downs, 1);
}

TEST(PEPlotSpaceAnnotation, followsTheMappingAtTheNextLayout)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    graph->layoutEntireTree();
    auto area = graph->plotAreaFrame()->plotArea();
    auto annotation = PEPlotSpaceAnnotation::create(std::static_pointer_cast<PEPlotSpace>(space),
        std::vector<std::shared_ptr<NSNumber>> { NSNumber::numberWithDouble(5), NSNumber::numberWithDouble(2) });
    annotation->setContentLayer(contentOfSize(10, 10));
    area->addAnnotation(annotation);
    EXPECT_EQ(centreOf(*annotation->contentLayer()).x, 50);
    EXPECT_EQ(centreOf(*annotation->contentLayer()).y, 20);
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 5.0));
    EXPECT_EQ(centreOf(*annotation->contentLayer()).x, 50);
    EXPECT_TRUE(area->needsLayout());
    area->layoutSublayers();
    EXPECT_EQ(centreOf(*annotation->contentLayer()).x, 100);
    EXPECT_THROW(PEPlotSpaceAnnotation::create(nullptr, std::vector<std::shared_ptr<NSNumber>> {}), NSException);
}

TEST(PEPlotSpaceAnnotation, anchorsGivenAsDoublesKeepTheirPrecision)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 1e-6));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 10.0));
    graph->layoutEntireTree();
    auto area = graph->plotAreaFrame()->plotArea();
    auto annotation = PEPlotSpaceAnnotation::create(std::static_pointer_cast<PEPlotSpace>(space),
        std::vector<std::shared_ptr<NSNumber>> { NSNumber::numberWithDouble(2.5e-7), NSNumber::numberWithDouble(5) });
    annotation->setContentLayer(contentOfSize(10, 10));
    area->addAnnotation(annotation);
    EXPECT_EQ(centreOf(*annotation->contentLayer()).x, 25);
    EXPECT_EQ(centreOf(*annotation->contentLayer()).y, 50);
}
