// The graph archive fuzzer starts from archives of real graphs, one per plot type. This test
// writes them (to plot-snapshots/graph-seeds, whence they are copied to the fuzzer's seeds) and
// checks that each committed seed decodes to a graph with the engine's classes alone, as the
// fuzzer registers no others.
#include "PlotRendering.h"

#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PECalendarFormatter.h"
#include "framework/Source/PECodingRegistry.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEPieChart.h"
#include "framework/Source/PEPlotSymbol.h"
#include "framework/Source/PERangePlot.h"
#include "framework/Source/PEScatterPlot.h"
#include "framework/Source/PETradingRangePlot.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"

#include <gtest/gtest.h>
#include <set>

using namespace plottest;

namespace {

const std::filesystem::path committedSeeds = std::filesystem::path(CORVANE_PLOT_REFERENCE_DIR) / ".." / "fuzz" / "seeds" / "graph";

std::vector<std::pair<std::string, std::shared_ptr<PEPlot>>> plotOfEachType()
{
    auto red = PEFill::fillWithColor(PEColor::redColor());
    auto line = PELineStyle::lineStyle();
    auto bar = PEBarPlot::tubularBarPlotWithColor(PEColor::blueColor(), false);
    auto pie = PEPieChart::create(CGRectZero);
    pie->setPieRadius(40);
    pie->setPieInnerRadius(10);
    pie->setOverlayFill(red);
    auto scatter = PEScatterPlot::create(CGRectZero);
    scatter->setDataLineStyle(line);
    scatter->setPlotSymbol(PEPlotSymbol::diamondPlotSymbol());
    scatter->setAreaFill(red);
    scatter->setInterpolation(PEScatterPlotInterpolationCurved);
    auto range = PERangePlot::create(CGRectZero);
    range->setBarLineStyle(line);
    range->setAreaFill(red);
    range->setBarWidth(6);
    auto trading = PETradingRangePlot::create(CGRectZero);
    trading->setPlotStyle(PETradingRangePlotStyleCandleStick);
    trading->setIncreaseFill(red);
    trading->setLineStyle(line);
    return {
        { "bar-plot", bar },
        { "pie-chart", pie },
        { "scatter-plot", scatter },
        { "range-plot", range },
        { "trading-range-plot", trading },
    };
}

} // namespace

TEST(PEFuzzSeeds, aGraphOfEachPlotTypeIsWrittenAndDecodes)
{
    PECodingRegistry::registerEngineClasses();
    std::filesystem::create_directories(snapshotPath("graph-seeds"));
    for (auto& [name, plot] : plotOfEachType()) {
        auto graph = referenceGraph(4, 4, 1);
        plot->setTitle(NSString(name));
        plot->setIdentifier(NSString(name));
        graph->addPlot(plot);
        graph->setLegend(PELegend::legendWithGraph(graph));
        graph->setTitle("种子");
        auto archive = NSKeyedArchiver::archivedDataWithRootObject(graph);
        std::ofstream(snapshotPath("graph-seeds/" + name), std::ios::binary)
            .write(reinterpret_cast<const char*>(archive->bytes()), static_cast<std::streamsize>(archive->length()));
        auto decoded = ns::cast<PEGraph>(NSKeyedUnarchiver::unarchiveObjectWithData(archive));
        ASSERT_TRUE(decoded) << name;
        ASSERT_EQ(decoded->allPlots().size(), 1u) << name;
        EXPECT_STREQ(decoded->allPlots().front()->className(), plot->className());
        EXPECT_NO_THROW(renderGraph(decoded, 1)) << name;
    }
}

TEST(PEFuzzSeeds, aGraphLabelledInQuartersFarAheadIsWrittenAndDraws)
{
    // Its x labels count quarters in the billions of billions from the reference date, past any
    // calendar: the seed leads the fuzzer to date arithmetic at its limits.
    PECodingRegistry::registerEngineClasses();
    auto graph = referenceGraph(4, 4, 1);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(4e18, 2e18));
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    axes->xAxis()->setMajorIntervalLength(PEDecimalWithDouble(1e18));
    axes->xAxis()->setMinorTicksPerInterval(0);
    auto quarters = PECalendarFormatter::create();
    quarters->setReferenceCalendarUnit(NSCalendarUnitQuarter);
    axes->xAxis()->setLabelFormatter(quarters);
    auto plot = PEBarPlot::tubularBarPlotWithColor(PEColor::blueColor(), false);
    plot->setTitle("季度");
    graph->addPlot(plot);
    auto archive = NSKeyedArchiver::archivedDataWithRootObject(graph);
    std::filesystem::create_directories(snapshotPath("graph-seeds"));
    std::ofstream(snapshotPath("graph-seeds/calendar-quarter-labels"), std::ios::binary)
        .write(reinterpret_cast<const char*>(archive->bytes()), static_cast<std::streamsize>(archive->length()));
    auto decoded = ns::cast<PEGraph>(NSKeyedUnarchiver::unarchiveObjectWithData(archive));
    ASSERT_TRUE(decoded);
    auto decodedAxes = std::static_pointer_cast<PEXYAxisSet>(decoded->axisSet());
    ASSERT_TRUE(std::dynamic_pointer_cast<PECalendarFormatter>(decodedAxes->xAxis()->labelFormatter()));
    EXPECT_NO_THROW(renderGraph(decoded, 1));
    EXPECT_FALSE(decodedAxes->xAxis()->axisLabels().empty()) << "the far labels were made";
}

TEST(PEFuzzSeeds, everyCommittedGraphSeedDecodesWithTheEngineClasses)
{
    PECodingRegistry::registerEngineClasses();
    std::set<std::string> types;
    for (const auto& file : std::filesystem::directory_iterator(committedSeeds)) {
        std::ifstream in(file.path(), std::ios::binary);
        std::vector<std::uint8_t> bytes { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
        auto decoded = ns::cast<PEGraph>(NSKeyedUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes(std::move(bytes))));
        ASSERT_TRUE(decoded) << file.path();
        for (const auto& plot : decoded->allPlots()) {
            ASSERT_TRUE(NSCoder::registeredClass(plot->className())) << file.path();
            EXPECT_STRNE(plot->className(), TestLinePlot::staticClassName()) << file.path();
            types.insert(plot->className());
        }
    }
    EXPECT_EQ(types, (std::set<std::string> { "PEBarPlot", "PEPieChart", "PEScatterPlot", "PERangePlot", "PETradingRangePlot" }));
}
