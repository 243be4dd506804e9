#include "app/charts/StudentPieChart.h"

#include "app/screens/base/UIColor_Addition.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEXYGraph.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNumber.h"

#include <cmath>

namespace {

double numberIn(const std::shared_ptr<NSDictionary>& slice, const char* key)
{
    auto number = slice ? ns::cast<NSNumber>(slice->objectForKey(key)) : nullptr;
    return number ? number->doubleValue() : 0;
}

NSString textIn(const std::shared_ptr<NSDictionary>& slice, const char* key)
{
    auto text = slice ? ns::cast<NSStringObject>(slice->objectForKey(key)) : nullptr;
    return text ? NSString(text) : NSString();
}

std::shared_ptr<PEColor> colorFromHex(const NSString& hex)
{
    auto color = UIColor_Addition::colorWithHexString(hex);
    return color ? PEColor::colorWithCGColor(color->CGColor()) : PEColor::blackColor();
}

} // namespace

void StudentPieChart::init() { m_data = NSMutableArray::array(); }

std::shared_ptr<NSDictionary> StudentPieChart::sliceAt(const std::shared_ptr<NSMutableArray>& slices, NSUInteger index) const
{
    return slices ? ns::cast<NSDictionary>(slices->objectAtIndexOrNil(index)) : nullptr;
}

void StudentPieChart::evenOut(std::vector<double>& values)
{
    double added = 0;
    double donorTotal = 0;
    for (double& value : values) {
        if (value < 1.0) {
            added += 1.0 - value;
            value = 1.0;
        }
    }
    if (added == 0)
        return;
    // Donors are the slices that stay well above one after giving; without any, every slice above
    // one gives, and what cannot be given stays added.
    auto donates = [&](double value, bool strict) { return strict ? value - added - 3.0 >= 1.0 : value > 1.0; };
    for (bool strict : { true, false }) {
        donorTotal = 0;
        for (double value : values)
            donorTotal += donates(value, strict) ? value : 0;
        if (donorTotal <= 0)
            continue;
        const double taken = std::min(added, donorTotal - 1.0);
        for (double& value : values) {
            if (donates(value, strict))
                value -= taken * value / donorTotal;
        }
        return;
    }
}

void StudentPieChart::showPlot(const std::shared_ptr<UIView>& view)
{
    removeChart();
    if (m_data) {
        m_handledArr = NSMutableArray::arrayWithCapacity(m_data->count());
        std::vector<double> values;
        for (NSUInteger i = 0; i < m_data->count(); ++i) {
            auto slice = sliceAt(m_data, i);
            m_handledArr->addObject(slice ? slice->mutableCopyDictionary() : NSMutableDictionary::dictionary());
            values.push_back(numberIn(slice, "data"));
        }
        evenOut(values);
        for (NSUInteger i = 0; i < values.size(); ++i)
            ns::cast<NSMutableDictionary>(m_handledArr->objectAtIndex(i))->setObject(NSNumber::numberWithDouble(values[i]), "data");
    }
    configureHost(view);
    configureGraph();
    configureChart();
}

void StudentPieChart::removeChart()
{
    if (!m_hostingView)
        return;
    m_hostingView->removeFromSuperview();
    m_hostingView->setHostedGraph(nullptr);
    m_hostingView = nullptr;
    m_graph = nullptr;
}

void StudentPieChart::configureHost(const std::shared_ptr<UIView>& view)
{
    m_hostingView = PEGraphHostingView::create(view->bounds());
    m_hostingView->setAllowPinchScaling(true);
    view->addSubview(m_hostingView);
}

void StudentPieChart::configureGraph()
{
    PETheme::registerBuiltInThemes();
    m_graph = PEXYGraph::create(m_hostingView->bounds());
    m_graph->applyTheme(PETheme::themeNamed("Plain White"));
    m_hostingView->setHostedGraph(m_graph);
    m_graph->setTitle(m_title);
    auto titleStyle = PEMutableTextStyle::textStyle();
    titleStyle->setColor(colorFromHex("c7000b"));
    titleStyle->setFontSize(17.0);
    m_graph->setTitleTextStyle(titleStyle);
    m_graph->setTitlePlotAreaFrameAnchor(PERectAnchorBottom);
    m_graph->setTitleDisplacement(CGPoint { 0, 25 });
    m_graph->setPaddingLeft(0);
    m_graph->setPaddingTop(0);
    m_graph->setPaddingRight(0);
    m_graph->setPaddingBottom(0);
    auto frame = m_graph->plotAreaFrame();
    frame->setPaddingLeft(0);
    frame->setPaddingTop(0);
    frame->setPaddingRight(0);
    frame->setPaddingBottom(30);
    frame->setBorderLineStyle(nullptr);
    m_graph->setMasksToBorder(true);
    m_graph->setBorderLineStyle(nullptr);
    if (m_graphBgColor)
        frame->setFill(PEFill::fillWithColor(PEColor::colorWithCGColor(m_graphBgColor->CGColor())));
    m_graph->setAxisSet(nullptr);
}

void StudentPieChart::configureChart()
{
    auto pie = PEPieChart::create(CGRectZero);
    auto protectedSelf = std::static_pointer_cast<StudentPieChart>(self());
    pie->setDataSource(protectedSelf);
    pie->setDelegate(protectedSelf);
    pie->setPieRadius(70.0);
    pie->setIdentifier(m_title ? id(m_title) : nullptr);
    pie->setStartAngle(M_PI_2);
    pie->setSliceDirection(PEPieDirectionCounterClockwise);
    pie->setLabelOffset(3.0);
    pie->setLabelRotation(M_PI_4);
    auto border = PEMutableLineStyle::lineStyle();
    border->setLineColor(PEColor::whiteColor());
    border->setLineWidth(0.7);
    pie->setBorderLineStyle(border);
    m_graph->addPlot(pie);

    auto legend = PELegend::legendWithGraph(m_graph);
    legend->setFill(PEFill::fillWithColor(PEColor::clearColor()));
    auto legendStyle = PEMutableTextStyle::textStyle();
    legendStyle->setColor(PEColor::blackColor());
    legendStyle->setFontSize(10.0);
    legend->setTextStyle(legendStyle);
    legend->setBorderLineStyle(PELineStyle::lineStyle());
    legend->setCornerRadius(5.0);
    legend->setNumberOfRows(1);
    legend->setSwatchSize(CGSize { 10, 10 });
    m_graph->setLegend(legend);
    m_graph->setLegendAnchor(PERectAnchorBottom);
    m_graph->setLegendDisplacement(CGPoint { 0, 0 });
    if (!m_data || m_data->count() == 0)
        legend->setBorderLineStyle(nullptr);
}

NSUInteger StudentPieChart::numberOfRecordsForPlot(PEPlot&) { return m_data ? m_data->count() : 0; }

std::optional<id> StudentPieChart::numberForPlot(PEPlot&, NSUInteger field, NSUInteger index)
{
    if (field != PEPieChartFieldSliceWidth || !m_data || index >= m_data->count())
        return std::static_pointer_cast<NSObject>(NSDecimalNumber::zero());
    return std::static_pointer_cast<NSObject>(NSNumber::numberWithDouble(numberIn(sliceAt(m_handledArr, index), "data")));
}

std::optional<std::shared_ptr<PELayer>> StudentPieChart::dataLabelForPlot(PEPlot&, NSUInteger index)
{
    static const auto labelStyle = [] {
        auto style = PEMutableTextStyle::textStyle();
        style->setColor(PEColor::blackColor());
        return std::static_pointer_cast<PETextStyle>(style);
    }();
    NSString text = "";
    if (auto slice = sliceAt(m_data, index))
        text = NSString::stringWithFormat("%@占%0.2f%%\n%d人", textIn(slice, "text"), numberIn(slice, "data"), static_cast<int>(numberIn(slice, "prfbal")));
    auto label = PETextLayer::create(text, labelStyle);
    label->sizeToFit();
    return std::static_pointer_cast<PELayer>(label);
}

std::optional<std::shared_ptr<PEFill>> StudentPieChart::sliceFillForPieChart(PEPieChart&, NSUInteger index)
{
    auto slice = sliceAt(m_data, index);
    if (!slice)
        return std::shared_ptr<PEFill>();
    return PEFill::fillWithColor(colorFromHex(textIn(slice, "color")));
}

std::optional<NSString> StudentPieChart::legendTitleForPieChart(PEPieChart&, NSUInteger index)
{
    return stringAtIndexByCount(NSString::stringWithFormat("%@", textIn(sliceAt(m_data, index), "text")), 20);
}

NSUInteger StudentPieChart::charAtIndexByCount(const NSString& text, NSInteger count)
{
    NSUInteger end = 0;
    NSInteger width = 0;
    const NSUInteger length = text.length();
    while (end < length) {
        const NSRange character = text.rangeOfComposedCharacterSequenceAtIndex(end);
        NSInteger characterWidth = 0;
        for (NSUInteger i = character.location; i < NSMaxRange(character); ++i)
            characterWidth = std::max<NSInteger>(characterWidth, text.characterAtIndex(i) < 256 ? 1 : 2);
        if (width + characterWidth > count)
            break;
        width += characterWidth;
        end = NSMaxRange(character);
    }
    return end;
}

NSString StudentPieChart::stringAtIndexByCount(const NSString& text, NSInteger count)
{
    if (!text)
        return text;
    if (charAtIndexByCount(text, count) == text.length())
        return text;
    return NSString::stringWithFormat("%@...", text.substringToIndex(charAtIndexByCount(text, count - 3)));
}
