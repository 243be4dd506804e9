#include "framework/Source/PEGraph.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEAxis.h"
#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PELayerAnnotation.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PEPlot.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotGroup.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PETheme.h"

#include "platform/foundation/NSArray.h"

#include <algorithm>

void PEGraph::init(CGRect frame)
{
    PEBorderedLayer::init(frame);
    m_titleTextStyle = PETextStyle::textStyle();
    m_plotAreaFrame = PEPlotAreaFrame::create(frame);
    addSublayer(m_plotAreaFrame);
    m_plotAreaFrame->setGraph(self());
    addPlotSpace(newPlotSpace());
    setAxisSet(newAxisSet());
    setNeedsDisplayOnBoundsChange(true);
}

std::shared_ptr<PEPlotSpace> PEGraph::newPlotSpace() { return PEPlotSpace::create(); }
std::shared_ptr<PEAxisSet> PEGraph::newAxisSet() { return nullptr; }

std::shared_ptr<PEAxisSet> PEGraph::axisSet() const { return m_plotAreaFrame->axisSet(); }

void PEGraph::setAxisSet(const std::shared_ptr<PEAxisSet>& axisSet)
{
    if (axisSet) {
        for (const auto& axis : axisSet->axes()) {
            if (!axis->plotSpace())
                axis->setPlotSpace(defaultPlotSpace());
        }
    }
    m_plotAreaFrame->setAxisSet(axisSet);
    if (axisSet)
        axisSet->setGraph(self());
}

void PEGraph::addPlotSpace(const std::shared_ptr<PEPlotSpace>& space)
{
    if (!space)
        return;
    m_plotSpaces.push_back(space);
    space->setGraph(self());
}

void PEGraph::removePlotSpace(const std::shared_ptr<PEPlotSpace>& space)
{
    auto found = std::find(m_plotSpaces.begin(), m_plotSpaces.end(), space);
    if (found == m_plotSpaces.end())
        return;
    space->setGraph(nullptr);
    m_plotSpaces.erase(found);
}

void PEGraph::addPlot(const std::shared_ptr<PEPlot>& plot) { addPlot(plot, defaultPlotSpace()); }

void PEGraph::addPlot(const std::shared_ptr<PEPlot>& plot, const std::shared_ptr<PEPlotSpace>& space)
{
    if (!plot)
        return;
    m_plots.push_back(plot);
    plot->setPlotSpace(space);
    plot->setGraph(self());
    if (auto group = m_plotAreaFrame->plotGroup())
        group->addPlot(plot);
}

void PEGraph::insertPlot(const std::shared_ptr<PEPlot>& plot, NSUInteger index) { insertPlot(plot, index, defaultPlotSpace()); }

void PEGraph::insertPlot(const std::shared_ptr<PEPlot>& plot, NSUInteger index, const std::shared_ptr<PEPlotSpace>& space)
{
    if (!plot)
        return;
    index = std::min<NSUInteger>(index, m_plots.size());
    m_plots.insert(m_plots.begin() + static_cast<std::ptrdiff_t>(index), plot);
    plot->setPlotSpace(space);
    plot->setGraph(self());
    if (auto group = m_plotAreaFrame->plotGroup())
        group->insertPlot(plot, std::min<NSUInteger>(index, group->sublayers().size()));
}

void PEGraph::removePlot(const std::shared_ptr<PEPlot>& plot)
{
    auto found = std::find(m_plots.begin(), m_plots.end(), plot);
    if (found == m_plots.end())
        return;
    m_plots.erase(found);
    plot->setPlotSpace(nullptr);
    plot->setGraph(nullptr);
    if (auto group = m_plotAreaFrame->plotGroup())
        group->removePlot(plot);
}

void PEGraph::reloadData()
{
    for (const auto& plot : m_plots)
        plot->reloadData();
}

void PEGraph::reloadDataIfNeeded()
{
    for (const auto& plot : m_plots)
        plot->reloadDataIfNeeded();
}

namespace {

void layoutTree(CALayer& layer, CGFloat scale)
{
    if (layer.contentsScale() != scale)
        layer.setContentsScale(scale);
    layer.layoutSublayers();
    for (const auto& sublayer : layer.sublayers())
        layoutTree(*sublayer, scale);
}

} // namespace

void PEGraph::layoutEntireTree()
{
    PERenderingScope scope;
    layoutTree(*this, contentsScale());
}

void PEGraph::layoutAndRenderInContext(const CGContextRef& context)
{
    if (!context)
        return;
    PERenderingScope scope;
    reloadDataIfNeeded();
    layoutEntireTree();
    if (auto axes = axisSet()) {
        for (const auto& axis : axes->axes())
            axis->relabel();
    }
    // Labels are placed against the laid-out plot area.
    layoutEntireTree();
    recursivelyRenderInContext(context);
}

void PEGraph::applyTheme(const std::shared_ptr<PETheme>& theme)
{
    if (theme)
        theme->applyThemeToGraph(std::static_pointer_cast<PEGraph>(self()));
}

void PEGraph::markAxesForDisplay()
{
    if (auto axes = axisSet()) {
        for (const auto& axis : axes->axes())
            axis->setNeedsDisplay();
    }
}

void PEGraph::setPaddingLeft(CGFloat padding)
{
    if (padding == paddingLeft())
        return;
    PEBorderedLayer::setPaddingLeft(padding);
    markAxesForDisplay();
}

void PEGraph::setPaddingTop(CGFloat padding)
{
    if (padding == paddingTop())
        return;
    PEBorderedLayer::setPaddingTop(padding);
    markAxesForDisplay();
}

void PEGraph::setPaddingRight(CGFloat padding)
{
    if (padding == paddingRight())
        return;
    PEBorderedLayer::setPaddingRight(padding);
    markAxesForDisplay();
}

void PEGraph::setPaddingBottom(CGFloat padding)
{
    if (padding == paddingBottom())
        return;
    PEBorderedLayer::setPaddingBottom(padding);
    markAxesForDisplay();
}

void PEGraph::setTitle(const NSString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    if (!m_titleAnnotation) {
        m_titleAnnotation = PELayerAnnotation::create(std::static_pointer_cast<PELayer>(m_plotAreaFrame));
        m_titleAnnotation->setContentLayer(PETextLayer::create(title, m_titleTextStyle));
        m_titleAnnotation->setDisplacement(m_titleDisplacement);
        m_titleAnnotation->setRectAnchor(m_titlePlotAreaFrameAnchor);
        m_titleAnnotation->setContentAnchorPoint(outwardAnchorPointForRectAnchor(m_titlePlotAreaFrameAnchor));
        addAnnotation(m_titleAnnotation);
    } else if (auto textLayer = std::dynamic_pointer_cast<PETextLayer>(m_titleAnnotation->contentLayer())) {
        textLayer->setText(title);
        m_titleAnnotation->positionContentLayer();
    }
    setNeedsLayout();
}

void PEGraph::setTitleTextStyle(const std::shared_ptr<PETextStyle>& style)
{
    if (style == m_titleTextStyle)
        return;
    m_titleTextStyle = style ? style->copyStyle() : nullptr;
    if (m_titleAnnotation) {
        if (auto textLayer = std::dynamic_pointer_cast<PETextLayer>(m_titleAnnotation->contentLayer()))
            textLayer->setTextStyle(m_titleTextStyle);
        m_titleAnnotation->positionContentLayer();
    }
}

void PEGraph::setTitleDisplacement(CGPoint displacement)
{
    m_titleDisplacement = displacement;
    if (m_titleAnnotation)
        m_titleAnnotation->setDisplacement(displacement);
}

void PEGraph::setTitlePlotAreaFrameAnchor(PERectAnchor anchor)
{
    m_titlePlotAreaFrameAnchor = anchor;
    if (m_titleAnnotation) {
        m_titleAnnotation->setContentAnchorPoint(outwardAnchorPointForRectAnchor(anchor));
        m_titleAnnotation->setRectAnchor(anchor);
    }
}

CGPoint PEGraph::contentAnchorPointForRectAnchor(PERectAnchor anchor)
{
    switch (anchor) {
    case PERectAnchorBottomLeft:
        return CGPoint { 0.0, 0.0 };
    case PERectAnchorBottom:
        return CGPoint { 0.5, 0.0 };
    case PERectAnchorBottomRight:
        return CGPoint { 1.0, 0.0 };
    case PERectAnchorLeft:
        return CGPoint { 0.0, 0.5 };
    case PERectAnchorRight:
        return CGPoint { 1.0, 0.5 };
    case PERectAnchorTopLeft:
        return CGPoint { 0.0, 1.0 };
    case PERectAnchorTop:
        return CGPoint { 0.5, 1.0 };
    case PERectAnchorTopRight:
        return CGPoint { 1.0, 1.0 };
    default:
        return CGPoint { 0.5, 0.5 };
    }
}

CGPoint PEGraph::outwardAnchorPointForRectAnchor(PERectAnchor anchor)
{
    CGPoint inward = contentAnchorPointForRectAnchor(anchor);
    return CGPoint { 1.0 - inward.x, 1.0 - inward.y };
}

void PEGraph::setLegend(const std::shared_ptr<PELegend>& legend)
{
    if (legend == m_legend)
        return;
    m_legend = legend;
    if (legend) {
        legend->setGraph(std::static_pointer_cast<PEGraph>(self()));
        if (!m_legendAnnotation) {
            m_legendAnnotation = PELayerAnnotation::create(std::static_pointer_cast<PELayer>(self()));
            m_legendAnnotation->setRectAnchor(m_legendAnchor);
            m_legendAnnotation->setDisplacement(m_legendDisplacement);
            m_legendAnnotation->setContentAnchorPoint(contentAnchorPointForRectAnchor(m_legendAnchor));
            addAnnotation(m_legendAnnotation);
        }
        m_legendAnnotation->setContentLayer(legend);
        m_legendAnnotation->positionContentLayer();
    } else if (m_legendAnnotation) {
        removeAnnotation(m_legendAnnotation);
        m_legendAnnotation = nullptr;
    }
    setNeedsLayout();
}

void PEGraph::setLegendAnchor(PERectAnchor anchor)
{
    if (anchor == m_legendAnchor)
        return;
    m_legendAnchor = anchor;
    if (m_legendAnnotation) {
        m_legendAnnotation->setContentAnchorPoint(contentAnchorPointForRectAnchor(anchor));
        m_legendAnnotation->setRectAnchor(anchor);
    }
}

void PEGraph::setLegendDisplacement(CGPoint displacement)
{
    m_legendDisplacement = displacement;
    if (m_legendAnnotation)
        m_legendAnnotation->setDisplacement(displacement);
}

const std::vector<int>& PEGraph::topDownLayerOrder() const { return m_plotAreaFrame->plotArea()->topDownLayerOrder(); }
void PEGraph::setTopDownLayerOrder(const std::vector<int>& order) { m_plotAreaFrame->plotArea()->setTopDownLayerOrder(order); }

bool PEGraph::routeEvent(EventKind kind, const UIEventRef& event, CGPoint point)
{
    auto offer = [&](PEResponder& responder) {
        switch (kind) {
        case EventKind::Down:
            return responder.pointingDeviceDownEvent(event, point);
        case EventKind::Up:
            return responder.pointingDeviceUpEvent(event, point);
        case EventKind::Dragged:
            return responder.pointingDeviceDraggedEvent(event, point);
        case EventKind::Cancelled:
            return responder.pointingDeviceCancelledEvent(event);
        }
        return false;
    };
    auto plots = m_plots;
    for (auto it = plots.rbegin(); it != plots.rend(); ++it) {
        if (offer(**it))
            return true;
    }
    if (auto axes = axisSet(); axes && offer(*axes))
        return true;
    if (offer(*m_plotAreaFrame))
        return true;
    if (auto legend = m_legend; legend && offer(*legend))
        return true;
    auto spaces = m_plotSpaces;
    for (const auto& space : spaces) {
        if (offer(*space))
            return true;
    }
    return false;
}

bool PEGraph::pointingDeviceDownEvent(const UIEventRef& event, CGPoint point)
{
    return routeEvent(EventKind::Down, event, point);
}

bool PEGraph::pointingDeviceUpEvent(const UIEventRef& event, CGPoint point)
{
    return routeEvent(EventKind::Up, event, point);
}

bool PEGraph::pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint point)
{
    return routeEvent(EventKind::Dragged, event, point);
}

bool PEGraph::pointingDeviceCancelledEvent(const UIEventRef& event)
{
    return routeEvent(EventKind::Cancelled, event, CGPointZero);
}

void PEGraph::encodeWithCoder(NSCoder& coder) const
{
    PEBorderedLayer::encodeWithCoder(coder);
    coder.encodeObject(m_plotAreaFrame, "PEGraph.plotAreaFrame");
    coder.encodeObject(NSArray::create(std::vector<id>(m_plots.begin(), m_plots.end())), "PEGraph.plots");
    coder.encodeObject(NSArray::create(std::vector<id>(m_plotSpaces.begin(), m_plotSpaces.end())), "PEGraph.plotSpaces");
    coder.encodeObject(m_title, "PEGraph.title");
    coder.encodeObject(m_titleTextStyle, "PEGraph.titleTextStyle");
    NSCoder_PEExtensions::encodePEPoint(coder, m_titleDisplacement, "PEGraph.titleDisplacement");
    coder.encodeInt(m_titlePlotAreaFrameAnchor, "PEGraph.titlePlotAreaFrameAnchor");
    coder.encodeObject(m_titleAnnotation, "PEGraph.titleAnnotation");
    coder.encodeObject(m_legend, "PEGraph.legend");
    coder.encodeObject(m_legendAnnotation, "PEGraph.legendAnnotation");
    coder.encodeInt(m_legendAnchor, "PEGraph.legendAnchor");
    NSCoder_PEExtensions::encodePEPoint(coder, m_legendDisplacement, "PEGraph.legendDisplacement");
}

bool PEGraph::init(NSCoder& coder)
{
    if (!PEBorderedLayer::init(coder))
        return false;
    auto owner = std::static_pointer_cast<PEGraph>(self());
    m_plotAreaFrame = coder.decodeObjectOfClass<PEPlotAreaFrame>("PEGraph.plotAreaFrame");
    if (!m_plotAreaFrame)
        return false;
    addSublayer(m_plotAreaFrame);
    if (auto spaces = coder.decodeObjectOfClass<NSArray>("PEGraph.plotSpaces")) {
        for (NSUInteger i = 0; i < spaces->count(); ++i)
            addPlotSpace(ns::cast<PEPlotSpace>(spaces->objectAtIndex(i)));
    }
    m_plotAreaFrame->setGraph(owner);
    if (auto plots = coder.decodeObjectOfClass<NSArray>("PEGraph.plots")) {
        for (NSUInteger i = 0; i < plots->count(); ++i) {
            auto plot = ns::cast<PEPlot>(plots->objectAtIndex(i));
            if (!plot)
                continue;
            m_plots.push_back(plot);
            plot->setGraph(owner);
            if (auto group = m_plotAreaFrame->plotGroup())
                group->addPlot(plot);
        }
    }
    if (auto title = coder.decodeObjectOfClass<NSStringObject>("PEGraph.title"))
        m_title = NSString(title);
    m_titleTextStyle = coder.decodeObjectOfClass<PETextStyle>("PEGraph.titleTextStyle");
    m_titleDisplacement = NSCoder_PEExtensions::decodePEPointForKey(coder, "PEGraph.titleDisplacement");
    m_titlePlotAreaFrameAnchor = static_cast<PERectAnchor>(coder.decodeIntForKey("PEGraph.titlePlotAreaFrameAnchor"));
    m_titleAnnotation = coder.decodeObjectOfClass<PELayerAnnotation>("PEGraph.titleAnnotation");
    m_legend = coder.decodeObjectOfClass<PELegend>("PEGraph.legend");
    m_legendAnnotation = coder.decodeObjectOfClass<PELayerAnnotation>("PEGraph.legendAnnotation");
    m_legendAnchor = static_cast<PERectAnchor>(coder.decodeIntForKey("PEGraph.legendAnchor"));
    m_legendDisplacement = NSCoder_PEExtensions::decodePEPointForKey(coder, "PEGraph.legendDisplacement");
    if (m_legend)
        m_legend->setGraph(owner);
    setNeedsDisplayOnBoundsChange(true);
    return true;
}
