// Archives of the engine's objects that were damaged or made to harm: each decodes as nil or as
// something that draws, and frees all it made.
#include "PlotRendering.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEAnnotation.h"
#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PECodingRegistry.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotGroup.h"
#include "framework/Source/PEShadow.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETextStyle.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSNumberFormatter.h"
#include "platform/foundation/NSPropertyListSerialization.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

struct HostileArchiveSetUp {
    HostileArchiveSetUp()
    {
        PECodingRegistry::registerEngineClasses();
        NSCoder::registerClass<TestLinePlot>();
    }
};

const HostileArchiveSetUp setUp;

std::shared_ptr<PEXYGraph> graphWithPlot()
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 120, 80 } });
    auto plot = TestLinePlot::create(CGRectZero);
    plot->points = { { 0, 0 }, { 1, 1 } };
    graph->addPlot(plot);
    return graph;
}

std::shared_ptr<PEGraph> decodeGraph(const std::shared_ptr<NSData>& archive)
{
    return ns::cast<PEGraph>(NSKeyedUnarchiver::unarchiveObjectWithData(archive));
}

std::shared_ptr<NSKeyedUnarchiver> archiveOf(const std::function<void(NSCoder&)>& write)
{
    auto archiver = NSKeyedArchiver::create();
    write(*archiver);
    return NSKeyedUnarchiver::create(archiver->encodedData());
}

} // namespace

TEST(PEHostileArchive, aPlotAreaWithoutAPlotGroupTakesPlotsWithoutCrashing)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 120, 80 } });
    graph->plotAreaFrame()->plotArea()->setPlotGroup(nullptr);
    auto plot = TestLinePlot::create(CGRectZero);
    EXPECT_NO_THROW(graph->addPlot(plot));
    EXPECT_NO_THROW(graph->insertPlot(TestLinePlot::create(CGRectZero), 0));
    EXPECT_EQ(graph->allPlots().size(), 2u);
    EXPECT_NO_THROW(graph->removePlot(plot));

    // Written without a group, the graph reads back with a new one holding its plots.
    auto decoded = decodeGraph(NSKeyedArchiver::archivedDataWithRootObject(graph));
    ASSERT_TRUE(decoded);
    auto group = decoded->plotAreaFrame()->plotGroup();
    ASSERT_TRUE(group);
    ASSERT_EQ(decoded->allPlots().size(), 1u);
    EXPECT_EQ(decoded->allPlots().front()->superlayer(), group);
    EXPECT_NO_THROW(renderGraph(decoded, 1));
}

TEST(PEHostileArchive, identifiersThatNameTheGraphAreDroppedAndTheGraphIsFreed)
{
    auto graph = graphWithPlot();
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    // Each of these would close graph -> ... -> identifier -> graph if kept as written.
    std::vector<std::function<void(const id&)>> holders {
        [&](const id& value) { axes->xAxis()->setIdentifier(value); },
        [&](const id& value) { axes->setIdentifier(value); },
        [&](const id& value) { graph->plotAreaFrame()->setIdentifier(value); },
        [&](const id& value) { graph->plotAreaFrame()->plotGroup()->setIdentifier(value); },
        [&](const id& value) { graph->defaultPlotSpace()->setIdentifier(value); },
    };
    for (std::size_t i = 0; i < holders.size(); ++i) {
        holders[i](graph);
        auto archive = NSKeyedArchiver::archivedDataWithRootObject(graph);
        holders[i](nullptr);
        auto decoded = decodeGraph(archive);
        ASSERT_TRUE(decoded) << i;
        EXPECT_EQ(std::static_pointer_cast<PEXYAxisSet>(decoded->axisSet())->xAxis()->identifier(), nullptr) << i;
        EXPECT_EQ(decoded->defaultPlotSpace()->identifier(), nullptr) << i;
        std::weak_ptr<PEGraph> watched = decoded;
        decoded = nullptr;
        EXPECT_TRUE(watched.expired()) << i;
    }

    // Values still travel, as copies.
    auto name = NSMutableString::stringWithString("横轴");
    axes->xAxis()->setIdentifier(name);
    graph->defaultPlotSpace()->setIdentifier(NSNumber::numberWithInt(7));
    auto decoded = decodeGraph(NSKeyedArchiver::archivedDataWithRootObject(graph));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(NSString::fromId(std::static_pointer_cast<PEXYAxisSet>(decoded->axisSet())->xAxis()->identifier()), NSString("横轴"));
    EXPECT_TRUE(ns::isEqual(decoded->defaultPlotSpace()->identifier(), NSNumber::numberWithInt(7)));
}

TEST(PEHostileArchive, shadowsBeyondAScreenAreRefused)
{
    auto shadowFrom = [](double blur, double offset) {
        auto archive = archiveOf([&](NSCoder& coder) {
            NSCoder_PEExtensions::encodeCGFloat(coder, blur, "PEShadow.shadowBlurRadius");
            NSCoder_PEExtensions::encodePESize(coder, CGSize { offset, -offset }, "PEShadow.shadowOffset");
        });
        return PEShadow::create(*archive);
    };
    EXPECT_TRUE(shadowFrom(12, 3));
    EXPECT_TRUE(shadowFrom(1024, 1024));
    EXPECT_FALSE(shadowFrom(3000, 0));
    EXPECT_FALSE(shadowFrom(8000, 0));
    EXPECT_FALSE(shadowFrom(0, 1e6));
}

TEST(PEHostileArchive, anImageWhoseRowsWrapTheSizeCheckIsRefused)
{
    auto archive = archiveOf([](NSCoder& coder) {
        coder.encodeInt64(2, "image.width");
        coder.encodeInt64(5, "image.height");
        coder.encodeInt64(8, "image.bitsPerComponent");
        coder.encodeInt64(32, "image.bitsPerPixel");
        coder.encodeInt64(std::int64_t(1) << 62, "image.bytesPerRow");
        coder.encodeInt32(static_cast<std::int32_t>(kCGImageAlphaPremultipliedLast), "image.bitmapInfo");
        coder.encodeObject(NSData::dataWithBytes(std::vector<std::uint8_t>(40, 0x80)), "image.provider");
    });
    EXPECT_FALSE(NSCoder_PEExtensions::newCGImageDecodeForKey(*archive, "image"));
}

TEST(PEHostileArchive, labelSlotsNamingAnnotationsTheirPlotDoesNotHoldAreEmptied)
{
    auto graph = referenceGraph(4, 6, 1);
    auto plot = PEBarPlot::create(CGRectZero);
    plot->cacheNumbers(numberArray({ 1, 2, 3 }), PEBarPlotFieldBarLocation);
    plot->cacheNumbers(numberArray({ 2, 4, 5 }), PEBarPlotFieldBarTip);
    plot->setLabelTextStyle(PETextStyle::textStyle());
    plot->setLabelFormatter(NSNumberFormatter::create());
    graph->addPlot(plot);
    (void)renderGraph(graph, 1);
    auto labels = plot->labelAnnotations();
    ASSERT_TRUE(labels);
    ASSERT_EQ(labels->count(), 3u);
    // Written as a damaged file would hold them: one label the plot does not host, one slot
    // naming the same label as another.
    plot->removeAnnotation(ns::cast<PEAnnotation>(labels->objectAtIndex(1)));
    labels->replaceObjectAtIndex(2, labels->objectAtIndex(0));
    auto decoded = decodeGraph(NSKeyedArchiver::archivedDataWithRootObject(graph));
    ASSERT_TRUE(decoded);
    auto decodedPlot = decoded->allPlots().front();
    ASSERT_TRUE(decodedPlot->labelAnnotations());
    EXPECT_TRUE(ns::cast<PEAnnotation>(decodedPlot->labelAnnotations()->objectAtIndex(0)));
    EXPECT_TRUE(ns::cast<NSNull>(decodedPlot->labelAnnotations()->objectAtIndex(1)));
    EXPECT_TRUE(ns::cast<NSNull>(decodedPlot->labelAnnotations()->objectAtIndex(2)));
    // The decoded plot has no records, so drawing it takes every label away.
    EXPECT_NO_THROW(renderGraph(decoded, 1));
    EXPECT_EQ(decodedPlot->labelAnnotations()->count(), 0u);
}

TEST(PEHostileArchive, aGraphAndItsPartsDecodeWhicheverOfThemIsReadFirst)
{
    auto graph = graphWithPlot();
    const auto plot = graph->allPlots().front();
    plot->setTitle("成绩");
    graph->setLegend(PELegend::legendWithGraph(graph));
    const std::vector<id> parts { graph, plot, graph->defaultPlotSpace(), graph->axisSet() };
    std::vector<std::size_t> order { 0, 1, 2, 3 };
    do {
        auto archiver = NSKeyedArchiver::create();
        for (std::size_t position : order)
            archiver->encodeObject(parts[position], NSString::stringWithFormat("part%zu", position));
        auto unarchiver = NSKeyedUnarchiver::create(archiver->encodedData());
        std::vector<id> decoded(parts.size());
        for (std::size_t position : order)
            decoded[position] = unarchiver->decodeObjectForKey(NSString::stringWithFormat("part%zu", position));
        const std::string named = std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]) + std::to_string(order[3]);
        ASSERT_EQ(unarchiver->failureReason(), NSString()) << named;
        auto decodedGraph = ns::cast<PEGraph>(decoded[0]);
        ASSERT_TRUE(decodedGraph) << named;
        ASSERT_EQ(decodedGraph->allPlots().size(), 1u) << named;
        EXPECT_EQ(decodedGraph->allPlots().front(), decoded[1]) << named;
        EXPECT_EQ(decodedGraph->defaultPlotSpace(), decoded[2]) << named;
        EXPECT_EQ(decodedGraph->axisSet(), decoded[3]) << named;
        EXPECT_EQ(decodedGraph->defaultPlotSpace()->graph(), decodedGraph) << named;
        EXPECT_EQ(decodedGraph->allPlots().front()->plotSpace(), decoded[2]) << named;
        ASSERT_TRUE(decodedGraph->legend()) << named;
        EXPECT_EQ(decodedGraph->legend()->allPlots(), decodedGraph->allPlots()) << named;
        EXPECT_NO_THROW(renderGraph(decodedGraph, 1)) << named;

        std::weak_ptr<PEGraph> watched = decodedGraph;
        decodedGraph = nullptr;
        decoded.clear();
        unarchiver = nullptr;
        EXPECT_TRUE(watched.expired()) << named;
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(PEHostileArchive, aTextLayerWiderThanTextCanBeLaidOutStillDraws)
{
    // As wide as a damaged archive may make it: far past what the text layout counts in.
    auto text = PETextLayer::create(NSString("标签"), PETextStyle::textStyle());
    text->setFrame(CGRect { { 0, 0 }, { 1.4e13, 20 } });
    Picture picture = render(CGSize { 40, 20 }, 1, [&](const CGContextRef& context) { text->recursivelyRenderInContext(context); });
    EXPECT_EQ(picture.width, 40u);
}

TEST(PEHostileArchive, referencesRepeatedToOneObjectKeepTheSearchForCyclesShort)
{
    // A plot space whose identifier names an array holding it makes the decoder keep its owning
    // links; beside it, 100,000 references to an array of 100,000 references to one string
    // (200 KB), each of which once searched all of the array's again.
    auto references = [](const id& object) { return NSArray::create(std::vector<id>(100'000, object)); };
    auto archiveBeside = [](const id& hub) {
        auto space = PEXYPlotSpace::create();
        space->setIdentifier(NSArray::arrayWithObjects({ space, hub }));
        auto archive = NSKeyedArchiver::archivedDataWithRootObject(space);
        space->setIdentifier(nullptr);
        return archive;
    };
    const id leaf = static_cast<id>(NSString("叶"));
    EXPECT_TRUE(ns::cast<PEPlotSpace>(NSKeyedUnarchiver::unarchiveObjectWithData(archiveBeside(references(references(leaf))))));

    // The same through a dictionary that names one key and one value 100,000 times each.
    const auto hub = references(NSDictionary::dictionaryWithObjectsAndKeys({ { leaf, leaf } }));
    auto list = ns::cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(archiveBeside(hub), NSPropertyListMutableContainers, nullptr));
    ASSERT_TRUE(list);
    for (const id& object : *ns::cast<NSArray>(list->objectForKey("$objects"))) {
        auto dictionary = ns::cast<NSMutableDictionary>(object);
        if (!dictionary || !dictionary->objectForKey("NS.keys"))
            continue;
        for (const char* key : { "NS.keys", "NS.objects" })
            dictionary->setObject(references(ns::cast<NSArray>(dictionary->objectForKey(key))->objectAtIndex(0)), static_cast<id>(NSString(key)));
    }
    auto archive = NSPropertyListSerialization::dataWithPropertyList(list, NSPropertyListXMLFormat_v1_0, 0, nullptr);
    EXPECT_TRUE(ns::cast<PEPlotSpace>(NSKeyedUnarchiver::unarchiveObjectWithData(archive)));
}
