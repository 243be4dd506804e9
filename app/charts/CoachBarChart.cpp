#include "app/charts/CoachBarChart.h"

#include "framework/Source/PEAxisLabel.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELineCap.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSNumberFormatter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/layers/CABasicAnimation.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr CGFloat kPlotPaddingTop = 10;
constexpr CGFloat kPlotPaddingBottom = 50;
constexpr CGFloat kLabelOffset = 0.5;

std::shared_ptr<PELineCap> arrowCap(const std::shared_ptr<PELineStyle>& axisLine)
{
    auto cap = PELineCap::lineCap();
    cap->setLineStyle(axisLine);
    cap->setLineCapType(PELineCapTypeSweptArrow);
    cap->setSize(CGSizeMake(6.0, 10.0));
    cap->setFill(PEFill::fillWithColor(axisLine->lineColor()));
    return cap;
}

} // namespace

void CoachBarChart::init()
{
    NSObject::init();
    m_dates = NSMutableArray::array();
    m_labelTextStyle = PEMutableTextStyle::textStyle();
    m_labelTextStyle->setColor(PEColor::blackColor());
    m_labelTextStyle->setFontSize(11.0);
    // One face for the digits and the Chinese of the bucket titles: a title in both scripts
    // would otherwise take the taller line of the face that stands in for the Chinese and sit
    // lower than one in digits only.
    m_labelTextStyle->setFontName("Heiti SC");
    m_dataLabelStyle = PEMutableTextStyle::textStyle();
    m_dataLabelStyle->setColor(PEColor::blackColor());
    m_dataLabelStyle->setFontSize(10.0);
}

int CoachBarChart::numberAt(NSUInteger index) const
{
    return ns::intForKey(ns::dictionaryValue(m_dates->objectAtIndex(index)), "number");
}

void CoachBarChart::showPlot(const UIViewRef& host, const std::shared_ptr<NSArray>& data)
{
    m_yMaxValue = 0;
    m_yIntervalValue = 10;
    m_yNum = 10;
    if (m_hostingView) {
        m_hostingView->removeFromSuperview();
        m_hostingView->setHostedGraph(nullptr);
        m_hostingView = nullptr;
    }
    m_barPlot = nullptr;
    if (!data) {
        m_yMaxValue = 50;
    } else {
        m_dates->removeAllObjects();
        for (NSUInteger i = 0; i < data->count(); ++i)
            m_dates->addObject(data->objectAtIndex(i));
        int largest = 0;
        for (NSUInteger i = 0; i < m_dates->count(); ++i)
            largest = std::max(largest, numberAt(i));
        // Counts come from the service: the head room is worked out wide and the range clamped,
        // so that one near the limit cannot overflow it.
        const std::int64_t interval = largest / m_yNum;
        std::int64_t yMax = std::max(largest, 10) + interval;
        // Room above the tallest bar for its count: the label's height in data units.
        const CGFloat plotHeight = (host ? host->bounds().size.height : 0) - kPlotPaddingTop - kPlotPaddingBottom;
        auto probe = PETextLayer::create(NSString::stringWithFormat("%d", largest), m_dataLabelStyle);
        probe->sizeToFit();
        const CGFloat need = probe->bounds().size.height + kLabelOffset + 1;
        if (largest > 0 && plotHeight > need)
            yMax = std::int64_t(std::max<double>(double(yMax), std::min<double>(std::ceil(largest / (1 - need / plotHeight)), INT_MAX)));
        m_yIntervalValue = int(interval);
        m_yMaxValue = int(std::min<std::int64_t>(yMax, INT_MAX));
    }
    m_yNum = std::int64_t(std::ceil(m_yNum * 0.125)) * 8;
    if (!host)
        return;
    configureHost(host);
    configureGraph();
    configurePlots();
    configureAxes();
}

void CoachBarChart::configureHost(const UIViewRef& host)
{
    m_hostingView = PEGraphHostingView::create(host->bounds());
    m_hostingView->setAllowPinchScaling(true);
    host->addSubview(m_hostingView);
}

void CoachBarChart::configureGraph()
{
    PETheme::registerBuiltInThemes();
    auto graph = PEXYGraph::create(CGRectZero);
    graph->plotAreaFrame()->setMasksToBorder(false);
    m_hostingView->setHostedGraph(graph);
    graph->applyTheme(PETheme::themeNamed("Plain White"));
    graph->setPaddingLeft(0);
    graph->setPaddingTop(0);
    graph->setPaddingRight(0);
    graph->setPaddingBottom(0);
    graph->setBorderLineStyle(nullptr);
    auto frame = graph->plotAreaFrame();
    frame->setPaddingLeft(50);
    frame->setPaddingTop(kPlotPaddingTop);
    frame->setPaddingRight(20);
    frame->setPaddingBottom(kPlotPaddingBottom);
    frame->setBorderLineStyle(nullptr);
    if (m_graphBgColor)
        frame->setFill(PEFill::fillWithColor(PEColor::colorWithCGColor(m_graphBgColor->CGColor())));
    auto titleStyle = PEMutableTextStyle::textStyle();
    titleStyle->setColor(PEColor::whiteColor());
    titleStyle->setFontSize(16.0);
    graph->setTitleTextStyle(titleStyle);
    graph->setTitle("");
    graph->setTitleDisplacement(CGPoint { 0, 0 });
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(PEDecimalWithFloat(0), PEDecimalWithFloat(float(recordCount() + 1))));
    space->setYRange(PEPlotRange::plotRangeWithLocation(PEDecimalWithFloat(0), PEDecimalWithFloat(float(m_yMaxValue))));
}

void CoachBarChart::configurePlots()
{
    auto graph = m_hostingView->hostedGraph();
    m_barPlot = PEBarPlot::tubularBarPlotWithColor(PEColor::redColor(), false);
    m_barPlot->setDataSource(std::static_pointer_cast<PEBarPlotDataSource>(self()));
    m_barPlot->setDelegate(std::static_pointer_cast<PEBarPlotDelegate>(self()));
    m_barPlot->setBarWidth(PEDecimalWithDouble(0.35));
    m_barPlot->setBarOffset(PEDecimalWithDouble(0));
    m_barPlot->setLineStyle(nullptr);
    m_barPlot->setLabelOffset(kLabelOffset);
    auto grow = CABasicAnimation::animationWithKeyPath("transform.scale.y");
    grow->setDuration(0.5);
    grow->setFromValue(NSNumber::numberWithFloat(0.0f));
    grow->setToValue(NSNumber::numberWithFloat(1.0f));
    grow->setRemovedOnCompletion(false);
    grow->setFillMode(kCAFillModeForwards);
    m_barPlot->setAnchorPoint(CGPointMake(0, 0));
    m_barPlot->addAnimation(grow, "grow");
    graph->addPlot(m_barPlot, graph->defaultPlotSpace());
}

void CoachBarChart::configureAxes()
{
    auto axes = std::static_pointer_cast<PEXYAxisSet>(m_hostingView->hostedGraph()->axisSet());
    auto titleStyle = PEMutableTextStyle::textStyle();
    titleStyle->setColor(PEColor::grayColor());
    titleStyle->setFontSize(13.0);
    auto axisLine = PEMutableLineStyle::lineStyle();
    axisLine->setLineWidth(1.0);
    axisLine->setLineColor(PEColor::blackColor()->colorWithAlphaComponent(1.0));

    auto x = axes->xAxis();
    x->setTitle("分数");
    x->setTitleTextStyle(titleStyle);
    x->setTitleOffset(30.0);
    x->setAxisLineStyle(axisLine);
    configureXAxesLabels();
    auto y = axes->yAxis();
    y->setTitle("人数");
    y->setTitleTextStyle(titleStyle);
    y->setTitleOffset(30.0);
    y->setAxisLineStyle(axisLine);
    configureYAxesLabels();
}

void CoachBarChart::configureXAxesLabels()
{
    auto x = std::static_pointer_cast<PEXYAxisSet>(m_hostingView->hostedGraph()->axisSet())->xAxis();
    x->setLabelingPolicy(PEAxisLabelingPolicyNone);
    x->setAxisLineCapMax(arrowCap(x->axisLineStyle()));
    PEAxis::LabelList labels;
    for (NSInteger i = 0; i <= recordCount(); ++i) {
        const NSString text = i == 0 ? NSString("") : ns::stringForKey(ns::dictionaryValue(m_dates->objectAtIndex(NSUInteger(i - 1))), "title");
        auto label = PEAxisLabel::labelWithText(text, m_labelTextStyle);
        label->setTickLocation(PEDecimalWithUnsignedLong(static_cast<unsigned long>(i)));
        label->setOffset(5.0);
        labels.push_back(label);
    }
    x->setAxisLabels(labels);
}

void CoachBarChart::configureYAxesLabels()
{
    auto y = std::static_pointer_cast<PEXYAxisSet>(m_hostingView->hostedGraph()->axisSet())->yAxis();
    y->setLabelingPolicy(PEAxisLabelingPolicyNone);
    y->setMinorTickLineStyle(nullptr);
    y->setMajorIntervalLength(PEDecimalWithFloat(0));
    y->setOrthogonalCoordinateDecimal(PEDecimalWithFloat(0));
    auto grid = PEMutableLineStyle::lineStyle();
    grid->setLineWidth(0.7);
    grid->setLineColor(PEColor::lightGrayColor());
    y->setMajorGridLineStyle(grid);
    y->setLabelingPolicy(PEAxisLabelingPolicyAutomatic);
    auto formatter = NSNumberFormatter::create();
    formatter->setNumberStyle(NSNumberFormatterNoStyle);
    y->setLabelFormatter(formatter);
    y->setAxisLineCapMax(arrowCap(y->axisLineStyle()));
}

NSUInteger CoachBarChart::numberOfRecordsForPlot(PEPlot&)
{
    // One empty place before the first bucket, then one bar per bucket.
    m_yNum = recordCount() + 1;
    return NSUInteger(m_yNum);
}

std::optional<id> CoachBarChart::numberForPlot(PEPlot& plot, NSUInteger field, NSUInteger index)
{
    if (!dynamic_cast<PEBarPlot*>(&plot))
        return id();
    if (field == PEBarPlotFieldBarLocation)
        return id(NSNumber::numberWithUnsignedInteger(index));
    if (field == PEBarPlotFieldBarTip) {
        if (index == 0 || NSInteger(index) > recordCount())
            return id();
        return id(NSNumber::numberWithInt(numberAt(index - 1)));
    }
    return id();
}

std::optional<std::shared_ptr<PEFill>> CoachBarChart::barFillForBarPlot(PEBarPlot&, NSUInteger index)
{
    if (index == 0 || NSInteger(index) > recordCount())
        return PEFill::fillWithColor(PEColor::clearColor());
    // A bar without a colour of its own takes the chart's red.
    const auto& colour = index - 1 < m_barColorArray.size() ? m_barColorArray[index - 1] : nullptr;
    return PEFill::fillWithColor(colour ? PEColor::colorWithCGColor(colour->CGColor()) : PEColor::redColor());
}

std::optional<std::shared_ptr<PELayer>> CoachBarChart::dataLabelForPlot(PEPlot&, NSUInteger index)
{
    const NSString text = index >= 1 && NSInteger(index) <= recordCount() ? NSString::stringWithFormat("%d", numberAt(index - 1)) : NSString("");
    auto label = PETextLayer::create(text, m_dataLabelStyle);
    label->sizeToFit();
    return std::shared_ptr<PELayer>(label);
}

void CoachBarChart::hideAnnotation(PEGraph& graph)
{
    auto area = graph.plotAreaFrame() ? graph.plotAreaFrame()->plotArea() : nullptr;
    if (area && m_priceAnnotation) {
        area->removeAnnotation(m_priceAnnotation);
        m_priceAnnotation = nullptr;
    }
}
