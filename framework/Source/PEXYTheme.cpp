#include "framework/Source/PEXYTheme.h"

#include "framework/Source/PEGraph.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"

void PEXYTheme::init()
{
    PETheme::init();
    setGraphClass(PEGraphClass::of<PEXYGraph>());
}

std::shared_ptr<PEGraph> PEXYTheme::newGraph()
{
    auto graphClass = this->graphClass() ? *this->graphClass() : PEGraphClass::of<PEXYGraph>();
    auto graph = graphClass.make(CGRect { { 0, 0 }, { 200, 200 } });
    graph->setPaddingLeft(60.0);
    graph->setPaddingTop(60.0);
    graph->setPaddingRight(60.0);
    graph->setPaddingBottom(60.0);
    if (auto space = std::dynamic_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace())) {
        space->setXRange(PEPlotRange::plotRangeWithLocation(PEDecimalWithDouble(-1.0), PEDecimalWithDouble(1.0)));
        space->setYRange(PEPlotRange::plotRangeWithLocation(PEDecimalWithDouble(-1.0), PEDecimalWithDouble(1.0)));
    }
    applyThemeToGraph(graph);
    return graph;
}

void PEXYTheme::applyThemeToAxis(PEXYAxis& axis, const std::shared_ptr<PELineStyle>& majorLineStyle,
    const std::shared_ptr<PELineStyle>& minorLineStyle, const std::shared_ptr<PETextStyle>& textStyle,
    const std::shared_ptr<PETextStyle>& minorTickTextStyle)
{
    axis.setLabelingPolicy(PEAxisLabelingPolicyFixedInterval);
    axis.setMajorIntervalLength(PEDecimalFromString("0.5"));
    axis.setOrthogonalCoordinateDecimal(PEDecimalWithInt(0));
    axis.setTickDirection(PESignNone);
    axis.setMinorTicksPerInterval(4);
    axis.setMajorTickLineStyle(majorLineStyle);
    axis.setMinorTickLineStyle(minorLineStyle);
    axis.setAxisLineStyle(majorLineStyle);
    axis.setMajorTickLength(7.0);
    axis.setMinorTickLength(5.0);
    axis.setLabelTextStyle(textStyle);
    axis.setMinorTickLabelTextStyle(minorTickTextStyle);
    axis.setTitleTextStyle(textStyle);
}
