// Records pulled from data sources that keep them in a vector and read it with bounds checks: a
// question about a record the source does not have is a fault of the plot.
#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PEXYPlotSpace.h"

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
}
