#include "framework/Source/PECodingRegistry.h"

#include "framework/Source/PEAnnotation.h"
#include "framework/Source/PEAnnotationHostLayer.h"
#include "framework/Source/PEAxis.h"
#include "framework/Source/PEAxisLabel.h"
#include "framework/Source/PEAxisLabelGroup.h"
#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PEAxisTitle.h"
#include "framework/Source/PEBorderLayer.h"
#include "framework/Source/PEBorderedLayer.h"
#include "framework/Source/PECalendarFormatter.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGradient.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEGridLineGroup.h"
#include "framework/Source/PEGridLines.h"
#include "framework/Source/PELayer.h"
#include "framework/Source/PELayerAnnotation.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PELegendEntry.h"
#include "framework/Source/PELimitBand.h"
#include "framework/Source/PELineCap.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEMaskLayer.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEMutableShadow.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlot.h"
#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PEPieChart.h"
#include "framework/Source/PEPlotSymbol.h"
#include "framework/Source/PERangePlot.h"
#include "framework/Source/PEScatterPlot.h"
#include "framework/Source/PETradingRangePlot.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotGroup.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PEShadow.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PETimeFormatter.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"

#include <mutex>

namespace PECodingRegistry {

void registerEngineClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        NSCoder::registerClass<PEColor>();
        NSCoder::registerClass<PEGradient>();
        NSCoder::registerClass<PEFill>();
        NSCoder::registerClass<PELineStyle>();
        NSCoder::registerClass<PEMutableLineStyle>();
        NSCoder::registerClass<PETextStyle>();
        NSCoder::registerClass<PEMutableTextStyle>();
        NSCoder::registerClass<PEShadow>();
        NSCoder::registerClass<PEMutableShadow>();
        NSCoder::registerClass<PEPlotRange>();
        NSCoder::registerClass<PEMutablePlotRange>();
        NSCoder::registerClass<PELimitBand>();
        NSCoder::registerClass<PELineCap>();
        NSCoder::registerClass<PEAxisLabel>();
        NSCoder::registerClass<PEAxisTitle>();
        NSCoder::registerClass<PELayerAnnotation>();
        NSCoder::registerClass<PEPlotSpaceAnnotation>();
        NSCoder::registerClass<PELegendEntry>();
        NSCoder::registerClass<PELayer>();
        NSCoder::registerClass<PEAnnotationHostLayer>();
        NSCoder::registerClass<PEBorderedLayer>();
        NSCoder::registerClass<PEMaskLayer>();
        NSCoder::registerClass<PEBorderLayer>();
        NSCoder::registerClass<PETextLayer>();
        NSCoder::registerClass<PEAxisLabelGroup>();
        NSCoder::registerClass<PEGridLineGroup>();
        NSCoder::registerClass<PEGridLines>();
        NSCoder::registerClass<PEPlotGroup>();
        NSCoder::registerClass<PEPlot>();
        NSCoder::registerClass<PEBarPlot>();
        NSCoder::registerClass<PEPieChart>();
        NSCoder::registerClass<PEScatterPlot>();
        NSCoder::registerClass<PERangePlot>();
        NSCoder::registerClass<PETradingRangePlot>();
        NSCoder::registerClass<PEPlotSymbol>();
        NSCoder::registerClass<PEAxis>();
        NSCoder::registerClass<PEXYAxis>();
        NSCoder::registerClass<PEAxisSet>();
        NSCoder::registerClass<PEXYAxisSet>();
        NSCoder::registerClass<PEPlotArea>();
        NSCoder::registerClass<PEPlotAreaFrame>();
        NSCoder::registerClass<PELegend>();
        NSCoder::registerClass<PEPlotSpace>();
        NSCoder::registerClass<PEXYPlotSpace>();
        NSCoder::registerClass<PEGraph>();
        NSCoder::registerClass<PEXYGraph>();
        // Axes and plots keep these as label formatters.
        NSCoder::registerClass<PECalendarFormatter>();
        NSCoder::registerClass<PETimeFormatter>();
        NSCoder::registerClass("PETheme", { "PETheme", "NSObject" }, [](NSCoder& coder) -> id { return PETheme::themeWithCoder(coder); });
    });
}

} // namespace PECodingRegistry
