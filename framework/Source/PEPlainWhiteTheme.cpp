#include "framework/Source/PEPlainWhiteTheme.h"

#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEXYAxis.h"

void PEPlainWhiteTheme::applyThemeToBackground(const std::shared_ptr<PEGraph>& graph)
{
    if (graph)
        graph->setFill(PEFill::fillWithColor(PEColor::whiteColor()));
}

void PEPlainWhiteTheme::applyThemeToPlotArea(const std::shared_ptr<PEPlotAreaFrame>& frame)
{
    if (!frame)
        return;
    frame->setFill(PEFill::fillWithColor(PEColor::whiteColor()));
    auto border = PEMutableLineStyle::lineStyle();
    border->setLineColor(PEColor::blackColor());
    border->setLineWidth(1.0);
    frame->setBorderLineStyle(border);
    frame->setCornerRadius(0.0);
}

void PEPlainWhiteTheme::applyThemeToAxisSet(const std::shared_ptr<PEAxisSet>& axisSet)
{
    if (!axisSet)
        return;
    auto majorLineStyle = PEMutableLineStyle::lineStyle();
    majorLineStyle->setLineCap(kCGLineCapButt);
    majorLineStyle->setLineColor(PEColor::colorWithGenericGray(0.5));
    majorLineStyle->setLineWidth(1.0);
    auto minorLineStyle = PEMutableLineStyle::lineStyle();
    minorLineStyle->setLineCap(kCGLineCapButt);
    minorLineStyle->setLineColor(PEColor::blackColor());
    minorLineStyle->setLineWidth(1.0);
    auto textStyle = PEMutableTextStyle::textStyle();
    textStyle->setColor(PEColor::blackColor());
    textStyle->setFontSize(14.0);
    auto xMinorTickTextStyle = PEMutableTextStyle::textStyle();
    xMinorTickTextStyle->setColor(PEColor::blackColor());
    xMinorTickTextStyle->setFontSize(14.0);
    auto yMinorTickTextStyle = PEMutableTextStyle::textStyle();
    yMinorTickTextStyle->setColor(PEColor::blackColor());
    yMinorTickTextStyle->setFontSize(12.0);
    for (const auto& axis : axisSet->axes()) {
        if (auto xyAxis = std::dynamic_pointer_cast<PEXYAxis>(axis))
            applyThemeToAxis(*xyAxis, majorLineStyle, minorLineStyle, textStyle, axis->coordinate() == PECoordinateX ? xMinorTickTextStyle : yMinorTickTextStyle);
    }
}
