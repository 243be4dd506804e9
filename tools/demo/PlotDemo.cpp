#include "tools/demo/PlotDemo.h"

#include "framework/Source/PEColor.h"
#include "framework/Source/PEConstraints.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/uikit/UIScreen.h"
#include "tools/demo/DemoLinePlot.h"
#include "tools/demo/PlotTypesDemo.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"

namespace {

std::shared_ptr<DemoLinePlot> makeLine(const char* title, std::shared_ptr<PEColor> color, std::vector<CGPoint> points)
{
    auto plot = DemoLinePlot::create(CGRectZero);
    plot->setIdentifier(NSString(title));
    auto style = PEMutableLineStyle::lineStyle();
    style->setLineColor(std::move(color));
    style->setLineWidth(2);
    plot->setLineStyle(style);
    plot->setPoints(std::move(points));
    return plot;
}

} // namespace

std::shared_ptr<PEGraph> PlotDemoViewController::makeGraph(CGRect frame)
{
    PETheme::registerBuiltInThemes();
    auto graph = PEXYGraph::create(frame);
    graph->applyTheme(PETheme::themeNamed("Plain White"));
    graph->setPaddingLeft(10);
    graph->setPaddingTop(40);
    graph->setPaddingRight(10);
    graph->setPaddingBottom(50);
    auto frameLayer = graph->plotAreaFrame();
    frameLayer->setPaddingLeft(50);
    frameLayer->setPaddingTop(15);
    frameLayer->setPaddingRight(15);
    frameLayer->setPaddingBottom(50);

    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, 6.0));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, 30.0));

    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    auto grid = PEMutableLineStyle::lineStyle();
    grid->setLineColor(PEColor::colorWithGenericGray(0.85));
    auto x = axes->xAxis();
    x->setMajorIntervalLength(PEDecimalWithInt(1));
    x->setMinorTicksPerInterval(0);
    x->setTitle("月份");
    // Pinned to the plot area's bottom and left edges, so zooming keeps the axes in view.
    x->setAxisConstraints(PEConstraints::constraintWithLowerOffset(0.0));
    auto y = axes->yAxis();
    y->setMajorIntervalLength(PEDecimalWithInt(5));
    y->setMinorTicksPerInterval(0);
    y->setMajorGridLineStyle(grid);
    y->setTitle("学员人数");
    y->setAxisConstraints(PEConstraints::constraintWithLowerOffset(0.0));

    auto titleStyle = PEMutableTextStyle::textStyle();
    titleStyle->setFontSize(18);
    graph->setTitleTextStyle(titleStyle);
    graph->setTitle("上半年培训人数");
    graph->setTitleDisplacement(CGPoint { 0, 10 });

    graph->addPlot(makeLine("科目一", PEColor::colorWithComponentRed(0.16, 0.45, 0.85, 1), { { 0, 12 }, { 1, 18 }, { 2, 15 }, { 3, 22 }, { 4, 26 }, { 5, 21 }, { 6, 28 } }));
    graph->addPlot(makeLine("科目二", PEColor::colorWithComponentRed(0.9, 0.3, 0.2, 1), { { 0, 5 }, { 1, 8 }, { 2, 14 }, { 3, 11 }, { 4, 16 }, { 5, 19 }, { 6, 17 } }));

    auto legend = PELegend::legendWithGraph(graph);
    auto legendStyle = PEMutableTextStyle::textStyle();
    legendStyle->setFontSize(13);
    legend->setTextStyle(legendStyle);
    legend->setNumberOfRows(1);
    graph->setLegend(legend);
    graph->setLegendDisplacement(CGPoint { 0, 8 });
    return graph;
}

void PlotDemoViewController::loadView()
{
    setTitle("图表");
    setEdgesForExtendedLayout(UIRectEdgeNone);
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto view = UIView::create(screen);
    view->setBackgroundColor(UIColor::whiteColor());
    m_hostingView = PEGraphHostingView::create(CGRect { { 0, 0 }, { screen.size.width, 360 } });
    auto graph = makeGraph(m_hostingView->bounds());
    // A finger drags the graph; a throw glides on and springs back a little past the data.
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setGlobalXRange(PEPlotRange::plotRangeWithLocation(-1.0, 8.0));
    space->setGlobalYRange(PEPlotRange::plotRangeWithLocation(-5.0, 40.0));
    space->setAllowsUserInteraction(true);
    space->setAllowsMomentum(true);
    m_hostingView->setHostedGraph(graph);
    m_hostingView->setAllowPinchScaling(true);
    view->addSubview(m_hostingView);
    auto typesItem = UIBarButtonItem::create(NSString("类型"), UIBarButtonItemStylePlain);
    typesItem->setTarget(self(), &PlotDemoViewController::showPlotTypes);
    navigationItem()->setRightBarButtonItem(typesItem);
    setView(view);
}

void PlotDemoViewController::showPlotTypes()
{
    if (auto navigation = navigationController())
        navigation->pushViewController(PlotTypesViewController::create(), true);
}
