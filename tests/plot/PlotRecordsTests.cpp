// Records pulled from data sources that keep them in a vector and read it with bounds checks: a
// question about a record the source does not have is a fault of the plot.
#include "framework/Source/PEAnnotation.h"
#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/text/NSAttributedString.h"
#include "platform/text/UIFont.h"
#include "tests/plot/PlotRendering.h"

#include <gtest/gtest.h>

namespace {

class VectorDataSource : public PEBarPlotDataSource {
public:
    std::vector<double> tips;
    bool namesBars { false };

    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return tips.size(); }
    std::optional<std::vector<double>> doublesForPlot(PEPlot&, NSUInteger field, NSRange range) override
    {
        std::vector<double> values;
        for (NSUInteger i = range.location; i < NSMaxRange(range); ++i)
            values.push_back(field == PEBarPlotFieldBarTip ? tips.at(i) : static_cast<double>(i));
        return values;
    }
    std::optional<NSString> legendTitleForBarPlot(PEBarPlot&, NSUInteger index) override
    {
        if (!namesBars)
            return std::nullopt;
        return NSString::stringWithFormat("%g", tips.at(index));
    }
    bool respondsToLegendTitleForBarPlot() const override { return namesBars; }
};

std::shared_ptr<PEBarPlot> barPlotWith(const std::shared_ptr<VectorDataSource>& source)
{
    auto plot = PEBarPlot::create(CGRectZero);
    plot->setPlotSpace(PEXYPlotSpace::create());
    plot->setDataSource(source);
    return plot;
}

std::vector<double> tips(PEBarPlot& plot)
{
    std::vector<double> values;
    for (NSUInteger i = 0; i < plot.cachedDataCount(); ++i)
        values.push_back(plot.cachedDoubleForField(PEBarPlotFieldBarTip, i));
    return values;
}

// Makes attributed labels from whatever attributes it is given, as a formatter of styled text does.
class AttributedFormatter : public NSFormatter {
    NS_OBJECT(AttributedFormatter, NSFormatter)
public:
    NSString stringForObjectValue(const id& value) const override { return ns::cast<NSNumber>(value) ? NSString("值") : NSString(); }
    id attributedStringForObjectValue(const id& value, const std::shared_ptr<NSDictionary>& defaultAttributes) const override
    {
        return NSAttributedString::withString(stringForObjectValue(value), defaultAttributes);
    }
};

} // namespace

TEST(PlotRecords, insertingIntoAPlotThatNeedsReloadingKeepsEachRecordOnce)
{
    auto source = std::make_shared<VectorDataSource>();
    source->tips = { 100, 101, 102, 103, 104 };
    auto plot = barPlotWith(source);
    plot->reloadData();
    source->tips = { 100, 101, 102, 103, 104, 105, 106 };
    plot->setDataNeedsReloading();
    plot->insertDataAtIndex(2, 2);
    EXPECT_EQ(tips(*plot), (std::vector<double> { 100, 101, 102, 103, 104, 105, 106 }));

    // A plot that is up to date opens room and pulls the new records only.
    source->tips.insert(source->tips.begin() + 1, 99);
    plot->insertDataAtIndex(1, 1);
    EXPECT_EQ(tips(*plot), (std::vector<double> { 100, 99, 101, 102, 103, 104, 105, 106 }));
}

TEST(PlotRecords, aBarPlotAsksAboutLegendTitlesOnlyForRecordsItHas)
{
    auto source = std::make_shared<VectorDataSource>();
    source->namesBars = true;
    auto plot = barPlotWith(source);
    EXPECT_NO_THROW(plot->reloadData());
    std::shared_ptr<PELegend> legend;
    EXPECT_NO_THROW(legend = PELegend::legendWithPlots({ plot }));
    EXPECT_NO_THROW((void)plot->titleForLegendEntryAtIndex(0));

    source->tips = { 3, 5 };
    plot->reloadData();
    EXPECT_EQ(plot->numberOfLegendEntries(), 2u);
    EXPECT_EQ(plot->titleForLegendEntryAtIndex(1), NSString("5"));
    EXPECT_NO_THROW((void)plot->titleForLegendEntryAtIndex(2));

    // Emptied, the plot has no bars to name and the legend no entries, even under a plot title.
    plot->setTitle("成绩");
    legend = PELegend::legendWithPlots({ plot });
    EXPECT_EQ(legend->legendEntries().size(), 2u);
    source->tips.clear();
    plot->reloadData();
    EXPECT_EQ(plot->numberOfLegendEntries(), 0u);
    EXPECT_TRUE(PELegend::legendWithPlots({ plot })->legendEntries().empty());

    // A plot that never had records names none either.
    auto fresh = barPlotWith(source);
    fresh->setTitle("成绩");
    fresh->reloadData();
    EXPECT_EQ(fresh->numberOfLegendEntries(), 0u);

    // A source that names no bars leaves the plot its one entry, with or without records.
    source->namesBars = false;
    auto named = barPlotWith(source);
    named->setTitle("成绩");
    named->reloadData();
    EXPECT_EQ(named->numberOfLegendEntries(), 1u);
}

TEST(PlotRecords, anAttributedLabelFormatterStartsFromTheLabelTextStyle)
{
    auto source = std::make_shared<VectorDataSource>();
    source->tips = { 2 };
    auto graph = plottest::referenceGraph(2, 4, 1);
    auto plot = PEBarPlot::create(CGRectZero);
    plot->setDataSource(source);
    auto style = PEMutableTextStyle::textStyle();
    style->setFontSize(17);
    plot->setLabelTextStyle(style);
    plot->setLabelFormatter(AttributedFormatter::create());
    graph->addPlot(plot);
    (void)plottest::renderGraph(graph, 1);
    ASSERT_TRUE(plot->labelAnnotations());
    ASSERT_EQ(plot->labelAnnotations()->count(), 1u);
    auto annotation = ns::cast<PEAnnotation>(plot->labelAnnotations()->objectAtIndex(0));
    ASSERT_TRUE(annotation);
    auto text = std::dynamic_pointer_cast<PETextLayer>(annotation->contentLayer());
    ASSERT_TRUE(text && text->attributedText());
    auto font = ns::cast<UIFont>(text->attributedText()->attributeAtIndex(NSFontAttributeName, 0));
    ASSERT_TRUE(font);
    EXPECT_EQ(font->pointSize(), 17);
}
