#include "PlotRendering.h"

#include "framework/Source/PEAnnotation.h"
#include "framework/Source/PELegendEntry.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEXYGraph.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

std::shared_ptr<TestLinePlot> plotWithTitles(std::vector<NSString> titles, const char* identifier = nullptr)
{
    auto plot = TestLinePlot::create(CGRectZero);
    plot->titles = std::move(titles);
    if (identifier)
        plot->setIdentifier(NSString(identifier));
    return plot;
}

std::vector<std::pair<std::size_t, NSUInteger>> entriesOf(PELegend& legend, const std::vector<std::shared_ptr<TestLinePlot>>& plots)
{
    std::vector<std::pair<std::size_t, NSUInteger>> result;
    for (const auto& entry : legend.legendEntries()) {
        auto plot = entry->plot();
        std::size_t which = std::find(plots.begin(), plots.end(), plot) - plots.begin();
        result.emplace_back(which, entry->index());
    }
    return result;
}

class RecordingDelegate : public PELegendDelegate {
public:
    bool wantsEntrySelection() const override { return true; }
    void legendEntryForPlotWasSelectedAtIndex(PELegend&, PEPlot& plot, NSUInteger index, const UIEventRef&) override
    {
        selectedPlot = &plot;
        selectedIndex = index;
        ++selections;
    }
    PEPlot* selectedPlot { nullptr };
    NSUInteger selectedIndex { 0 };
    int selections { 0 };
};

// Records where taps reach it, in the graph's coordinates as the engine hands them on.
class TappableLayer : public PELayer {
    NS_OBJECT(TappableLayer, PELayer)
public:
    bool pointingDeviceDownEvent(const UIEventRef&, CGPoint point) override
    {
        taps.push_back(point);
        return true;
    }
    std::vector<CGPoint> taps;
};

} // namespace

TEST(PELegend, entriesFollowPlotOrderSkipUntitledIndexesAndSurviveReloads)
{
    auto a = plotWithTitles({ "甲", NSString(), "丙" }, "a");
    auto b = plotWithTitles({ "乙" }, "b");
    auto c = plotWithTitles({ "丁" }, "c");
    std::vector<std::shared_ptr<TestLinePlot>> plots { a, b, c };
    auto legend = PELegend::legendWithPlots({ a, c });
    EXPECT_EQ(entriesOf(*legend, plots), (std::vector<std::pair<std::size_t, NSUInteger>> { { 0, 0 }, { 0, 2 }, { 2, 0 } }));

    legend->insertPlot(b, 1);
    EXPECT_EQ(entriesOf(*legend, plots), (std::vector<std::pair<std::size_t, NSUInteger>> { { 0, 0 }, { 0, 2 }, { 1, 0 }, { 2, 0 } }));

    // A plot that loses its entries and gets them back keeps its place between the others.
    b->titles = { NSString() };
    NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsReloadEntriesForPlotNotification, b);
    EXPECT_EQ(legend->legendEntries().size(), 3u);
    b->titles = { "乙", "戊" };
    NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsReloadEntriesForPlotNotification, b);
    EXPECT_EQ(entriesOf(*legend, plots), (std::vector<std::pair<std::size_t, NSUInteger>> { { 0, 0 }, { 0, 2 }, { 1, 0 }, { 1, 1 }, { 2, 0 } }));

    legend->removePlotWithIdentifier(NSString("nobody"));
    EXPECT_EQ(legend->allPlots().size(), 3u);
    legend->removePlot(c);
    EXPECT_THROW(legend->removePlot(c), NSException);
    EXPECT_THROW(legend->insertPlot(c, 5), NSException);
    EXPECT_THROW(legend->plotAtIndex(7), NSException);
}

TEST(PELegend, automaticSwatchIsOneAndAHalfTimesTheFontSize)
{
    auto legend = PELegend::create(CGRectZero);
    auto style = PEMutableTextStyle::textStyle();
    style->setFontSize(12);
    legend->setTextStyle(style);
    EXPECT_EQ(legend->swatchSize().width, 18);
    style->setFontSize(13);
    legend->setTextStyle(style);
    EXPECT_EQ(legend->swatchSize().height, 20);
    legend->setTextStyle(nullptr);
    EXPECT_EQ(legend->swatchSize().width, 15);
    legend->setSwatchSize(CGSize { 7, 9 });
    EXPECT_EQ(legend->swatchSize().height, 9);
    legend->setSwatchSize(CGSizeZero);
    EXPECT_EQ(legend->swatchSize().width, 15);
}

TEST(PELegend, gridShapesAndSizeFollowTheEntries)
{
    for (auto [count, rows, columns] : { std::tuple { 2u, 1u, 2u }, { 3u, 2u, 2u }, { 5u, 2u, 3u }, { 10u, 3u, 4u } }) {
        std::vector<NSString> titles(count, NSString("科"));
        auto legend = PELegend::legendWithPlots({ plotWithTitles(titles) });
        legend->recalculateLayout();
        EXPECT_EQ(legend->rowHeightsThatFit().size(), rows) << count;
        EXPECT_EQ(legend->columnWidthsThatFit().size(), columns) << count;
        EXPECT_EQ(legend->legendEntries().back()->row(), rows - 1) << count;
    }

    auto style = PEMutableTextStyle::textStyle();
    style->setFontSize(12);
    auto legend = PELegend::legendWithPlots({ plotWithTitles({ "科目一" }) });
    legend->setTextStyle(style);
    legend->recalculateLayout();
    CGSize title = legend->legendEntries().front()->titleSize();
    EXPECT_EQ(title.width, std::ceil(title.width));
    // Paddings 5, swatch 18, title offset 5, no border; the row is as tall as the taller of
    // swatch and title.
    EXPECT_EQ(legend->bounds().size.width, 5 + title.width + 18 + 5 + 5);
    EXPECT_EQ(legend->bounds().size.height, 5 + std::max(18.0, title.height) + 5);

    auto empty = PELegend::create(CGRectZero);
    empty->recalculateLayout();
    EXPECT_EQ(empty->bounds().size.width, 10);
    EXPECT_EQ(empty->bounds().size.height, 10);
}

TEST(PELegend, entriesWithoutACellAreNeitherDrawnNorHit)
{
    auto legend = PELegend::legendWithPlots({ plotWithTitles({ "一", "二", "三" }) });
    legend->setNumberOfRows(1);
    legend->setNumberOfColumns(2);
    legend->recalculateLayout();
    const auto& entries = legend->legendEntries();
    EXPECT_FALSE(CGRectIsNull(legend->entryRect(*entries[0])));
    EXPECT_FALSE(CGRectIsNull(legend->entryRect(*entries[1])));
    EXPECT_TRUE(CGRectIsNull(legend->entryRect(*entries[2])));
}

TEST(PELegend, tapsSelectTheEntryDrawnUnderThemPaddingsIncluded)
{
    auto plot = plotWithTitles({ "甲", "乙", "丙", "丁" });
    auto legend = PELegend::legendWithPlots({ plot });
    legend->setNumberOfRows(2);
    legend->setEntryPaddingLeft(8);
    legend->setEntryPaddingRight(8);
    legend->setEntryPaddingTop(6);
    legend->setEntryPaddingBottom(6);
    auto delegate = std::make_shared<RecordingDelegate>();
    legend->setLegendDelegate(delegate);
    legend->recalculateLayout();
    for (const auto& entry : legend->legendEntries()) {
        CGRect rect = legend->entryRect(*entry);
        // The swatch sits right of the entry's left padding; a tap there selects this entry.
        CGPoint swatch { rect.origin.x + legend->entryPaddingLeft() + 2, CGRectGetMidY(rect) };
        EXPECT_TRUE(legend->pointingDeviceDownEvent(nullptr, swatch));
        EXPECT_EQ(delegate->selectedPlot, plot.get());
        EXPECT_EQ(delegate->selectedIndex, entry->index());
        // Entry 0 is the top left one: rows tile downwards from the top.
        if (entry->index() == 0) {
            EXPECT_GT(rect.origin.y, legend->bounds().size.height / 2);
        }
    }
    EXPECT_EQ(delegate->selections, 4);
    EXPECT_FALSE(legend->pointingDeviceDownEvent(nullptr, CGPoint { 1, 1 }));
    EXPECT_EQ(delegate->selections, 4);
}

TEST(PELegendEntry, titlesAreCentredOnWholeDevicePixelsAndNeverSqueezed)
{
    auto style = PEMutableTextStyle::textStyle();
    style->setFontSize(12);
    auto plot = plotWithTitles({ "科目三" });
    auto legend = PELegend::legendWithPlots({ plot });
    legend->setTextStyle(style);
    auto entry = legend->legendEntries().front();
    CGSize size = entry->titleSize();
    EXPECT_EQ(size.height, std::ceil(size.height));
    for (CGFloat scale : { 1.0, 2.0 }) {
        Picture picture = render(CGSize { 100, size.height + 5 }, scale, [&](const CGContextRef& context) {
            entry->drawTitleInRect(CGRect { { 0, 0 }, { 100, size.height + 5 } }, context, scale);
        });
        int inked = 0;
        for (std::size_t y = 0; y < picture.height; ++y)
            for (std::size_t x = 0; x < picture.width; ++x)
                inked += picture.darkness(x, y) > 128;
        EXPECT_GT(inked, 20) << scale;
        saveSnapshot(picture, scale == 1 ? "legend-entry-title.png" : "legend-entry-title@2x.png");
    }
}

TEST(PELegend, aGraphsLegendSitsAtItsAnchorAndDrawsEveryEntry)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 200, 120 } });
    auto a = plotWithTitles({ "科目一" });
    auto b = plotWithTitles({ "科目二" });
    auto red = PELineStyle::lineStyle()->mutableCopyStyle();
    red->setLineColor(PEColor::redColor());
    red->setLineWidth(3);
    b->lineStyle = red;
    graph->addPlot(a);
    graph->addPlot(b);
    auto legend = PELegend::legendWithGraph(graph);
    legend->setBorderLineStyle(PELineStyle::lineStyle());
    graph->setLegend(legend);
    Picture picture = renderGraph(graph, 2);
    saveSnapshot(picture, "legend-on-graph@2x.png");
    CGRect frame = legend->frame();
    // Anchored at the graph's bottom middle, its bottom edge on the graph's.
    EXPECT_NEAR(CGRectGetMidX(frame), 100, 1);
    EXPECT_NEAR(frame.origin.y, 0, 1);
    EXPECT_EQ(legend->legendEntries().size(), 2u);
}

TEST(PELegend, annotationsOnALegendAreHitAtTheTappedPoint)
{
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 200, 160 } });
    graph->addPlot(plotWithTitles({ "甲" }));
    auto legend = PELegend::legendWithGraph(graph);
    graph->setLegend(legend);
    graph->setLegendAnchor(PERectAnchorTopRight);
    auto delegate = std::make_shared<RecordingDelegate>();
    legend->setLegendDelegate(delegate);
    graph->layoutEntireTree();

    auto annotation = PEAnnotation::create();
    auto button = TappableLayer::create(CGRect { { 0, 0 }, { 6, 6 } });
    annotation->setContentLayer(button);
    legend->addAnnotation(annotation);
    button->setFrame(CGRect { { 1, 1 }, { 6, 6 } });
    const CGPoint tap = legend->convertPointToLayer(CGPoint { 4, 4 }, graph);
    ASSERT_GT(tap.x, 50) << "the legend lies away from the graph's origin";

    EXPECT_TRUE(legend->pointingDeviceDownEvent(nullptr, tap));
    ASSERT_EQ(button->taps.size(), 1u);
    EXPECT_EQ(button->taps.front().x, tap.x);
    EXPECT_EQ(button->taps.front().y, tap.y);
    EXPECT_EQ(delegate->selections, 0);
}

TEST(PELegend, describesItselfWithItsPlots)
{
    auto first = plotWithTitles({ "甲" }, "first-plot");
    auto second = plotWithTitles({ "乙" }, "second-plot");
    auto legend = PELegend::legendWithPlots({ first, second });
    const std::string text = legend->description().UTF8String();
    EXPECT_NE(text.find(first->description().UTF8String()), std::string::npos) << text;
    EXPECT_NE(text.find(second->description().UTF8String()), std::string::npos) << text;
    EXPECT_EQ(text.find("for plots 2"), std::string::npos) << text;
}
