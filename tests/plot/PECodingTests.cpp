#include "PlotRendering.h"

#include "framework/Source/PECodingRegistry.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEAxisLabel.h"
#include "framework/Source/PELayerAnnotation.h"
#include "framework/Source/PELineCap.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PELegendEntry.h"
#include "framework/Source/PELimitBand.h"
#include "framework/Source/PEMutableShadow.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSArchiver.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUnarchiver.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace plottest;

namespace {

struct CodingSetUp {
    CodingSetUp()
    {
        PECodingRegistry::registerEngineClasses();
        PETheme::registerBuiltInThemes();
        NSCoder::registerClass<TestLinePlot>();
    }
};

const CodingSetUp setUp;

// The object's own keys written at the top level of an archive, read back by a keyed reader.
std::shared_ptr<NSKeyedUnarchiver> keysOf(const NSCoding& object)
{
    auto archiver = NSKeyedArchiver::create();
    object.encodeWithCoder(*archiver);
    return NSKeyedUnarchiver::create(archiver->encodedData());
}

std::shared_ptr<NSKeyedUnarchiver> archiveOf(const std::function<void(NSCoder&)>& write)
{
    auto archiver = NSKeyedArchiver::create();
    write(*archiver);
    return NSKeyedUnarchiver::create(archiver->encodedData());
}

template <class T>
std::shared_ptr<T> roundTrip(const std::shared_ptr<T>& object)
{
    return ns::cast<T>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(object)));
}

} // namespace

TEST(PECoding, shadowsWriteTheirKeysAndReadBackWhatTheyWrote)
{
    auto shadow = PEMutableShadow::shadow();
    shadow->setShadowOffset(CGSize { 2, -3 });
    shadow->setShadowBlurRadius(4.5);
    shadow->setShadowColor(PEColor::redColor());
    auto keys = keysOf(*shadow);
    for (const char* key : { "PEShadow.shadowOffset.width", "PEShadow.shadowOffset.height", "PEShadow.shadowBlurRadius", "PEShadow.shadowColor" })
        EXPECT_TRUE(keys->containsValueForKey(key)) << key;

    auto decoded = roundTrip(std::static_pointer_cast<PEShadow>(shadow));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(std::string(decoded->className()), "PEMutableShadow");
    EXPECT_EQ(decoded->shadowOffset().height, -3);
    EXPECT_EQ(decoded->shadowBlurRadius(), 4.5);
    EXPECT_TRUE(decoded->shadowColor()->isEqual(PEColor::redColor()));
}

TEST(PECoding, aNegativeOrNotANumberBlurInAnArchiveIsRefused)
{
    for (double blur : { -0.5, std::nan("") }) {
        auto archive = archiveOf([&](NSCoder& coder) { coder.encodeDouble(blur, "PEShadow.shadowBlurRadius"); });
        EXPECT_FALSE(PEShadow::create(*archive)) << blur;
    }
    auto absent = archiveOf([](NSCoder&) { });
    auto shadow = PEShadow::create(*absent);
    ASSERT_TRUE(shadow);
    EXPECT_EQ(shadow->shadowBlurRadius(), 0);
    EXPECT_EQ(shadow->shadowColor(), nullptr);
}

TEST(PECoding, themesAreFoundAgainByNameAndIgnoreABadGraphClass)
{
    auto theme = PETheme::themeNamed("Plain White");
    auto keys = keysOf(*theme);
    EXPECT_EQ(NSString::fromId(keys->decodeObjectForKey("PETheme.name")), NSString("Plain White"));
    EXPECT_EQ(NSString::fromId(keys->decodeObjectForKey("PETheme.graphClass")), NSString("PEXYGraph"));
    auto decoded = roundTrip(theme);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->themeName(), NSString("Plain White"));

    auto bad = archiveOf([](NSCoder& coder) {
        coder.encodeObject(NSString("Slate"), "PETheme.name");
        coder.encodeObject(NSString("PEGraph"), "PETheme.graphClass");
    });
    std::shared_ptr<PETheme> slate;
    EXPECT_NO_THROW(slate = PETheme::themeWithCoder(*bad));
    ASSERT_TRUE(slate);
    EXPECT_EQ(slate->graphClass()->name, "PEXYGraph");
    auto unknown = archiveOf([](NSCoder& coder) { coder.encodeObject(NSString("Nobody's"), "PETheme.name"); });
    EXPECT_FALSE(PETheme::themeWithCoder(*unknown));
}

TEST(PECoding, limitBandsTravelKeyedAndUnkeyed)
{
    auto band = PELimitBand::limitBandWithRange(PEPlotRange::plotRangeWithLocation(1.0, 2.5), PEFill::fillWithColor(PEColor::blueColor()));
    auto keys = keysOf(*band);
    EXPECT_TRUE(keys->containsValueForKey("PELimitBand.range"));
    EXPECT_TRUE(keys->containsValueForKey("PELimitBand.fill"));
    auto keyed = roundTrip(band);
    ASSERT_TRUE(keyed);
    EXPECT_TRUE(keyed->range()->isEqual(band->range()));
    auto unkeyed = ns::cast<PELimitBand>(NSUnarchiver::unarchiveObjectWithData(NSArchiver::archivedDataWithRootObject(band)));
    ASSERT_TRUE(unkeyed);
    EXPECT_TRUE(unkeyed->range()->isEqual(band->range()));
    EXPECT_TRUE(unkeyed->fill()->isEqual(band->fill()));

    auto copy = std::static_pointer_cast<PELimitBand>(band->copy());
    EXPECT_NE(copy->range(), band->range());
    EXPECT_TRUE(copy->range()->isEqual(band->range()));
}

TEST(PECoding, decodedAnnotationsAndLegendsKeepFollowingWhatTheyWatch)
{
    auto host = PEAnnotationHostLayer::create(CGRect { { 0, 0 }, { 200, 100 } });
    auto annotation = PELayerAnnotation::create(std::static_pointer_cast<PELayer>(host));
    annotation->setContentLayer(PELayer::create(CGRect { { 0, 0 }, { 20, 10 } }));
    annotation->setRectAnchor(PERectAnchorRight);
    host->addAnnotation(annotation);
    auto keys = keysOf(*annotation);
    for (const char* key : { "PEAnnotation.contentLayer", "PEAnnotation.contentAnchorPoint.x", "PEAnnotation.displacement.y", "PEAnnotation.rotation",
             "PELayerAnnotation.xConstraints", "PELayerAnnotation.rectAnchor" })
        EXPECT_TRUE(keys->containsValueForKey(key)) << key;

    auto decodedHost = roundTrip(host);
    ASSERT_TRUE(decodedHost);
    ASSERT_EQ(decodedHost->annotations().size(), 1u);
    auto decoded = std::dynamic_pointer_cast<PELayerAnnotation>(decodedHost->annotations().front());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->annotationHostLayer(), decodedHost);
    EXPECT_EQ(decoded->anchorLayer(), decodedHost);
    EXPECT_EQ(decoded->contentLayer()->superlayer(), decodedHost);
    decodedHost->setBounds(CGRect { { 0, 0 }, { 300, 100 } });
    EXPECT_EQ(CGRectGetMidX(decoded->contentLayer()->frame()), 300);

    auto plot = TestLinePlot::create(CGRectZero);
    plot->titles = { "甲" };
    auto legend = PELegend::legendWithPlots({ plot });
    auto decodedLegend = roundTrip(legend);
    ASSERT_TRUE(decodedLegend);
    ASSERT_EQ(decodedLegend->allPlots().size(), 1u);
    auto decodedPlot = std::static_pointer_cast<TestLinePlot>(decodedLegend->allPlots().front());
    decodedPlot->titles = { "甲", "乙" };
    NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsReloadEntriesForPlotNotification, decodedPlot);
    EXPECT_EQ(decodedLegend->legendEntries().size(), 2u);
}

TEST(PECoding, aThemedGraphDrawsTheSameAfterARoundTrip)
{
    auto graph = std::static_pointer_cast<PEXYGraph>(PETheme::themeNamed("Plain White")->newGraph());
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 2.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 2.0));
    graph->setTitle("往返");
    Picture before = renderGraph(graph, 1);
    auto decoded = roundTrip(std::static_pointer_cast<PEGraph>(graph));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->title(), NSString("往返"));
    auto decodedSpace = std::static_pointer_cast<PEXYPlotSpace>(decoded->defaultPlotSpace());
    EXPECT_TRUE(decodedSpace->xRange()->isEqual(space->xRange()));
    EXPECT_EQ(decodedSpace->graph(), decoded);
    auto axes = std::static_pointer_cast<PEXYAxisSet>(decoded->axisSet());
    ASSERT_TRUE(axes);
    EXPECT_EQ(axes->xAxis()->plotSpace(), decodedSpace);
    Picture after = renderGraph(decoded, 1);
    saveSnapshot(after, "decoded-graph.png");
    std::size_t differing = 0;
    for (std::size_t y = 0; y < before.height; ++y)
        for (std::size_t x = 0; x < before.width; ++x)
            differing += std::abs(before.darkness(x, y) - after.darkness(x, y)) > 40;
    EXPECT_LT(differing, before.width * before.height / 100);
}

TEST(PECoding, archivesOfWholeGraphsSeedTheArchiveFuzzer)
{
    auto graph = std::static_pointer_cast<PEXYGraph>(PETheme::themeNamed("Plain White")->newGraph());
    auto plot = TestLinePlot::create(CGRectZero);
    plot->titles = { "科目一" };
    graph->addPlot(plot);
    graph->setLegend(PELegend::legendWithGraph(graph));
    graph->setTitle("图");
    auto archive = NSKeyedArchiver::archivedDataWithRootObject(graph);
    // Kept beside the pictures for looking into; the fuzzer's seeds come from PEFuzzSeedTests.
    std::ofstream(snapshotPath("graph-archive.seed"), std::ios::binary).write(reinterpret_cast<const char*>(archive->bytes()), static_cast<std::streamsize>(archive->length()));
    auto decoded = ns::cast<PEGraph>(NSKeyedUnarchiver::unarchiveObjectWithData(archive));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->allPlots().size(), 1u);
    ASSERT_TRUE(decoded->legend());
    EXPECT_EQ(decoded->legend()->legendEntries().size(), 1u);
    EXPECT_NO_THROW(renderGraph(decoded, 1));

    // Cut short, the archive is refused rather than misread.
    auto truncated = NSData::dataWithBytes(archive->bytes(), archive->length() / 2);
    id partial;
    EXPECT_NO_THROW(partial = NSKeyedUnarchiver::unarchiveObjectWithData(truncated));
    EXPECT_FALSE(partial);
}

TEST(PECoding, eachClassWritesItsOwnNamedKeys)
{
    auto check = [](const NSCoding& object, std::initializer_list<const char*> keys) {
        auto archive = keysOf(object);
        for (const char* key : keys)
            EXPECT_TRUE(archive->containsValueForKey(key)) << key;
    };
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 100, 100 } });
    auto area = graph->plotAreaFrame()->plotArea();
    area->setTopDownLayerOrder({ 3 });
    check(*area, { "PEPlotArea.axisSet", "PEPlotArea.plotGroup", "PEPlotArea.topDownLayerOrder", "PEAnnotationHostLayer.mutableAnnotations",
                     "PELayer.paddingLeft" });
    auto axis = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet())->xAxis();
    check(*axis, { "PEXYAxis.orthogonalCoordinateDecimal", "PEAxis.labelingPolicy" });

    auto label = PEAxisLabel::labelWithText("一", PETextStyle::textStyle());
    check(*label, { "PEAxisLabel.contentLayer", "PEAxisLabel.offset", "PEAxisLabel.rotation", "PEAxisLabel.alignment", "PEAxisLabel.tickLocation" });

    CGMutablePathRef path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 0);
    CGPathAddLineToPoint(path, nullptr, 1, 1);
    auto cap = PELineCap::customLineCapWithPath(path);
    check(*cap, { "PELineCap.size.width", "PELineCap.size.height", "PELineCap.lineCapType", "PELineCap.lineStyle", "PELineCap.customLineCapPath.count",
                    "PELineCap.usesEvenOddClipRule" });
    auto decodedCap = roundTrip(cap);
    ASSERT_TRUE(decodedCap);
    EXPECT_EQ(decodedCap->lineCapType(), PELineCapTypeCustom);
    EXPECT_FALSE(CGPathIsEmpty(decodedCap->customLineCapPath()));

    auto legend = PELegend::create(CGRectZero);
    check(*legend, { "PELegend.plots", "PELegend.legendEntries", "PELegend.layoutChanged", "PELegend.textStyle", "PELegend.swatchSize.width",
                       "PELegend.swatchCornerRadius", "PELegend.entryPaddingBottom", "PELegend.numberOfRows", "PELegend.equalColumns",
                       "PELegend.rowHeights", "PELegend.columnWidthsThatFit", "PELegend.columnMargin", "PELegend.rowMargin", "PELegend.titleOffset" });
    auto entry = PELegendEntry::create();
    check(*entry, { "PELegendEntry.index", "PELegendEntry.row", "PELegendEntry.column" });
}
