#include "tools/demo/PlotTypesDemo.h"

#include "framework/Source/PEAnimation_PEAnimationPeriodAdditions.h"
#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEConstraints.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEFunctionDataSource.h"
#include "framework/Source/PEGradient.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPieChart.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSymbol.h"
#include "framework/Source/PERangePlot.h"
#include "framework/Source/PEScatterPlot.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PETradingRangePlot.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIScreen.h"

#include <cmath>

namespace {

constexpr CGFloat kGraphTop = 56;

// Records as rows of field values.
template <class Base>
class TableSource : public Base {
public:
    explicit TableSource(std::vector<std::vector<double>> rows)
        : rows(std::move(rows))
    {
    }
    std::vector<std::vector<double>> rows;

    NSUInteger numberOfRecordsForPlot(PEPlot&) override { return rows.size(); }
    std::optional<double> doubleForPlot(PEPlot&, NSUInteger field, NSUInteger index) override
    {
        return field < rows[index].size() ? rows[index][field] : NAN;
    }
};

class SubjectSource : public TableSource<PEPieChartDataSource> {
public:
    using TableSource::TableSource;
    std::vector<NSString> titles;
    std::optional<NSString> legendTitleForPieChart(PEPieChart&, NSUInteger index) override { return titles.at(index); }
    std::optional<CGFloat> radialOffsetForPieChart(PEPieChart&, NSUInteger index) override { return index == 0 ? 12.0 : 0.0; }
};

class CoachBarSource : public TableSource<PEBarPlotDataSource> {
public:
    using TableSource::TableSource;
};

class SymbolSource : public TableSource<PEScatterPlotDataSource> {
public:
    using TableSource::TableSource;
};

double passRate(double day) { return 60 + 25 * std::sin(day / 2.0); }

std::shared_ptr<PEXYGraph> themedGraph(CGRect frame, const char* title, double xLength, double yLength, double xInterval, double yInterval)
{
    PETheme::registerBuiltInThemes();
    auto graph = PEXYGraph::create(frame);
    graph->applyTheme(PETheme::themeNamed("Plain White"));
    graph->setPaddingTop(36);
    graph->setPaddingBottom(10);
    graph->setPaddingLeft(10);
    graph->setPaddingRight(10);
    auto frameLayer = graph->plotAreaFrame();
    frameLayer->setPaddingLeft(44);
    frameLayer->setPaddingBottom(36);
    frameLayer->setPaddingTop(16);
    frameLayer->setPaddingRight(16);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, xLength));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, yLength));
    if (auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet())) {
        axes->xAxis()->setMajorIntervalLength(PEDecimalWithDouble(xInterval));
        axes->xAxis()->setMinorTicksPerInterval(0);
        axes->yAxis()->setMajorIntervalLength(PEDecimalWithDouble(yInterval));
        axes->yAxis()->setMinorTicksPerInterval(0);
        auto grid = PEMutableLineStyle::lineStyle();
        grid->setLineColor(PEColor::colorWithGenericGray(0.88));
        axes->yAxis()->setMajorGridLineStyle(grid);
        // Pinned to the plot area's edges, so a moved range keeps its axes in view.
        axes->xAxis()->setAxisConstraints(PEConstraints::constraintWithLowerOffset(0.0));
        axes->yAxis()->setAxisConstraints(PEConstraints::constraintWithLowerOffset(0.0));
    }
    auto titleStyle = PEMutableTextStyle::textStyle();
    titleStyle->setFontSize(17);
    graph->setTitleTextStyle(titleStyle);
    graph->setTitle(title);
    graph->setTitleDisplacement(CGPoint { 0, 8 });
    return graph;
}

std::shared_ptr<PEColor> rgb(double r, double g, double b) { return PEColor::colorWithComponentRed(r, g, b, 1); }

} // namespace

std::shared_ptr<PEGraph> PlotTypesViewController::makeGraph(Kind kind, CGRect frame, std::vector<std::shared_ptr<void>>& keepAlive)
{
    switch (kind) {
    case Kind::Bars: {
        auto graph = themedGraph(frame, "教练评分分布", 5, 30, 1, 5);
        auto source = std::make_shared<CoachBarSource>(std::vector<std::vector<double>> { { 1, 6 }, { 2, 14 }, { 3, 24 }, { 4, 11 } });
        auto plot = PEBarPlot::tubularBarPlotWithColor(rgb(0.25, 0.6, 0.95), false);
        plot->setBarWidth(PEDecimalWithDouble(0.6));
        auto labels = PEMutableTextStyle::textStyle();
        labels->setFontSize(13);
        plot->setLabelTextStyle(labels);
        plot->setDataSource(source);
        graph->addPlot(plot);
        keepAlive.push_back(source);
        return graph;
    }
    case Kind::Pie: {
        auto graph = themedGraph(frame, "学员科目分布", 1, 1, 1, 1);
        graph->setAxisSet(nullptr);
        graph->plotAreaFrame()->setBorderLineStyle(nullptr);
        auto source = std::make_shared<SubjectSource>(std::vector<std::vector<double>> { { 32 }, { 21 }, { 18 }, { 12 }, { 17 } });
        source->titles = { "科目一", "科目二", "科目三", "科目四", "结业" };
        auto pie = PEPieChart::create(CGRectZero);
        pie->setPieRadius(std::min(frame.size.width, frame.size.height) * 0.28);
        auto border = PEMutableLineStyle::lineStyle();
        border->setLineColor(PEColor::whiteColor());
        border->setLineWidth(1.5);
        pie->setBorderLineStyle(border);
        pie->setDataSource(source);
        graph->addPlot(pie);
        auto legend = PELegend::legendWithGraph(graph);
        auto legendStyle = PEMutableTextStyle::textStyle();
        legendStyle->setFontSize(12);
        legend->setTextStyle(legendStyle);
        legend->setNumberOfRows(2);
        graph->setLegend(legend);
        graph->setLegendDisplacement(CGPoint { 0, 6 });
        keepAlive.push_back(source);
        return graph;
    }
    case Kind::Scatter: {
        auto graph = themedGraph(frame, "练习合格率", 14, 100, 2, 20);
        auto curve = PEScatterPlot::create(CGRect { CGPointZero, frame.size });
        auto curveLine = PEMutableLineStyle::lineStyle();
        curveLine->setLineColor(rgb(0.55, 0.55, 0.6));
        curveLine->setLineWidth(1.5);
        curve->setDataLineStyle(curveLine);
        graph->addPlot(curve);
        keepAlive.push_back(PEFunctionDataSource::dataSourceForPlot(curve, passRate));

        auto source = std::make_shared<SymbolSource>(std::vector<std::vector<double>> { { 1, 66 }, { 3, 78 }, { 5, 83 }, { 7, 70 }, { 9, 58 }, { 11, 42 }, { 13, 51 } });
        auto points = PEScatterPlot::create(CGRectZero);
        auto line = PEMutableLineStyle::lineStyle();
        line->setLineColor(rgb(0.1, 0.5, 0.25));
        line->setLineWidth(2);
        points->setDataLineStyle(line);
        auto symbol = PEPlotSymbol::diamondPlotSymbol();
        symbol->setSize(CGSize { 11, 11 });
        symbol->setFill(PEFill::fillWithColor(rgb(1, 0.75, 0.1)));
        points->setPlotSymbol(symbol);
        points->setDataSource(source);
        graph->addPlot(points);
        keepAlive.push_back(source);
        return graph;
    }
    case Kind::Ranges: {
        auto graph = themedGraph(frame, "各月模拟考试分数", 7, 100, 1, 20);
        auto source = std::make_shared<TableSource<PERangePlotDataSource>>(std::vector<std::vector<double>> {
            { 1, 62, 14, 18, 0.25, 0.25 }, { 2, 68, 12, 15, 0.25, 0.25 }, { 3, 71, 15, 12, 0.25, 0.25 }, { 4, 76, 10, 14, 0.25, 0.25 },
            { 5, 74, 13, 11, 0.25, 0.25 }, { 6, 82, 9, 13, 0.25, 0.25 } });
        auto plot = PERangePlot::create(CGRectZero);
        auto bars = PEMutableLineStyle::lineStyle();
        bars->setLineColor(rgb(0.15, 0.35, 0.7));
        bars->setLineWidth(1.5);
        plot->setBarLineStyle(bars);
        plot->setBarWidth(10);
        plot->setGapHeight(6);
        plot->setAreaFill(PEFill::fillWithColor(PEColor::colorWithComponentRed(0.3, 0.55, 0.95, 0.25)));
        plot->setDataSource(source);
        graph->addPlot(plot);
        keepAlive.push_back(source);
        return graph;
    }
    case Kind::Candles: {
        auto graph = themedGraph(frame, "每日预约人数", 9, 60, 1, 10);
        auto source = std::make_shared<TableSource<PETradingRangePlotDataSource>>(std::vector<std::vector<double>> {
            { 1, 22, 30, 18, 28 }, { 2, 28, 35, 25, 26 }, { 3, 26, 31, 20, 30 }, { 4, 30, 42, 29, 40 }, { 5, 40, 44, 33, 35 },
            { 6, 35, 38, 27, 29 }, { 7, 29, 47, 28, 45 }, { 8, 45, 52, 41, 50 } });
        auto plot = PETradingRangePlot::create(CGRectZero);
        plot->setPlotStyle(PETradingRangePlotStyleCandleStick);
        plot->setBarWidth(14);
        plot->setIncreaseFill(PEFill::fillWithColor(rgb(0.85, 0.22, 0.2)));
        plot->setDecreaseFill(PEFill::fillWithColor(rgb(0.2, 0.6, 0.32)));
        plot->setDataSource(source);
        graph->addPlot(plot);
        keepAlive.push_back(source);
        return graph;
    }
    }
    return nullptr;
}

void PlotTypesViewController::loadView()
{
    setTitle("图表类型");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    const CGRect screen = UIScreen::mainScreen()->bounds();
    auto view = UIView::create(screen);
    view->setBackgroundColor(UIColor::whiteColor());
    setView(view);
    const char* titles[] = { "柱状图", "饼图", "散点图", "区间图", "K线图", "动画" };
    void (PlotTypesViewController::*actions[])() = { &PlotTypesViewController::showBars, &PlotTypesViewController::showPie,
        &PlotTypesViewController::showScatter, &PlotTypesViewController::showRanges, &PlotTypesViewController::showCandles,
        &PlotTypesViewController::animateRange };
    const CGFloat width = (screen.size.width - 14) / 6;
    for (int i = 0; i < 6; ++i) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(7 + i * width, 10, width - 4, 34));
        button->setBackgroundColor(UIColor::colorWithRed(0.24, 0.61, 0.85, 1));
        button->setTitle(titles[i], UIControlStateNormal);
        button->titleLabel()->setFont(UIFont::systemFontOfSize(13));
        button->addTarget(self(), actions[i], UIControlEventTouchUpInside);
        view->addSubview(button);
        m_buttons.push_back(button);
    }
    m_hostingView = PEGraphHostingView::create(CGRect { { 0, kGraphTop }, { screen.size.width, 340 } });
    view->addSubview(m_hostingView);
    show(Kind::Bars);
}

void PlotTypesViewController::show(Kind kind)
{
    std::vector<std::shared_ptr<void>> keepAlive;
    auto graph = makeGraph(kind, m_hostingView->bounds(), keepAlive);
    m_hostingView->setHostedGraph(graph);
    m_keepAlive = std::move(keepAlive);
    m_shifted = false;
}

void PlotTypesViewController::animateRange()
{
    auto graph = m_hostingView->hostedGraph();
    auto space = graph ? std::dynamic_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace()) : nullptr;
    if (!space || !space->xRange())
        return;
    auto from = space->xRange();
    const double shift = (m_shifted ? -0.5 : 0.5) * from->lengthDouble();
    auto to = PEPlotRange::plotRangeWithLocation(from->locationDouble() + shift, from->lengthDouble());
    m_shifted = !m_shifted;
    using namespace PEAnimation_PEAnimationPeriodAdditions;
    animate(space, "xRange", from, to, 0.5, PEAnimationCurveCubicInOut, {});
}
