#include "framework/Source/PEShadedXYTheme.h"

#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGradient.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEXYAxis.h"

namespace {

std::shared_ptr<PEGradient> backgroundGradient(bool dark)
{
    std::shared_ptr<PEGradient> gradient;
    if (dark) {
        gradient = PEGradient::gradientWithBeginningColor(PEColor::colorWithGenericGray(0.1), PEColor::colorWithGenericGray(0.1));
        gradient = gradient->addColorStop(PEColor::colorWithGenericGray(0.2), 0.3);
        gradient = gradient->addColorStop(PEColor::colorWithGenericGray(0.3), 0.5);
        gradient = gradient->addColorStop(PEColor::colorWithGenericGray(0.2), 0.6);
    } else {
        gradient = PEGradient::gradientWithBeginningColor(PEColor::colorWithComponentRed(0.43, 0.51, 0.63, 1.0), PEColor::colorWithComponentRed(0.7, 0.73, 0.8, 1.0));
    }
    gradient->setAngle(90.0);
    return gradient;
}

} // namespace

void PEShadedXYTheme::applyThemeToBackground(const std::shared_ptr<PEGraph>& graph)
{
    if (graph)
        graph->setFill(PEFill::fillWithGradient(backgroundGradient(isDark())));
}

void PEShadedXYTheme::applyThemeToPlotArea(const std::shared_ptr<PEPlotAreaFrame>& frame)
{
    if (!frame)
        return;
    const bool dark = isDark();
    std::shared_ptr<PEGradient> gradient;
    if (dark) {
        gradient = PEGradient::gradientWithBeginningColor(PEColor::colorWithGenericGray(0.1), PEColor::colorWithGenericGray(0.3));
        gradient->setAngle(90.0);
    } else {
        gradient = backgroundGradient(dark);
    }
    frame->setFill(PEFill::fillWithGradient(gradient));
    auto border = PEMutableLineStyle::lineStyle();
    border->setLineColor(PEColor::colorWithGenericGray(0.2));
    border->setLineWidth(dark ? 4.0 : 1.0);
    frame->setBorderLineStyle(border);
    frame->setCornerRadius(dark ? 10.0 : 5.0);
}

void PEShadedXYTheme::applyThemeToAxisSet(const std::shared_ptr<PEAxisSet>& axisSet)
{
    if (!axisSet)
        return;
    const bool dark = isDark();
    auto majorLineStyle = PEMutableLineStyle::lineStyle();
    majorLineStyle->setLineCap(kCGLineCapSquare);
    majorLineStyle->setLineColor(dark ? PEColor::colorWithGenericGray(0.5) : PEColor::colorWithComponentRed(0.0, 0.25, 0.5, 1.0));
    majorLineStyle->setLineWidth(2.0);
    auto minorLineStyle = PEMutableLineStyle::lineStyle();
    minorLineStyle->setLineCap(kCGLineCapSquare);
    minorLineStyle->setLineColor(dark ? PEColor::darkGrayColor() : PEColor::blackColor());
    minorLineStyle->setLineWidth(1.0);
    auto textStyle = PEMutableTextStyle::textStyle();
    textStyle->setColor(dark ? PEColor::whiteColor() : PEColor::blackColor());
    textStyle->setFontSize(14.0);
    auto minorTickTextStyle = PEMutableTextStyle::textStyle();
    minorTickTextStyle->setColor(dark ? PEColor::whiteColor() : PEColor::blackColor());
    minorTickTextStyle->setFontSize(12.0);
    for (const auto& axis : axisSet->axes()) {
        if (auto xyAxis = std::dynamic_pointer_cast<PEXYAxis>(axis))
            applyThemeToAxis(*xyAxis, majorLineStyle, minorLineStyle, textStyle, minorTickTextStyle);
    }
}
