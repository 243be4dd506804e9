#include "framework/iPhoneOnly/PEGraphHostingView.h"

#include "framework/Source/PEGraph.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PETheme.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIPinchGestureRecognizer.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITouch.h"

void PEGraphHostingView::init(CGRect frame)
{
    UIView::init(frame);
    PETheme::registerBuiltInThemes();
}

PEGraphHostingView::~PEGraphHostingView()
{
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
}

void PEGraphHostingView::setHostedGraph(const std::shared_ptr<PEGraph>& graph)
{
    if (graph == m_hostedGraph)
        return;
    auto center = NSNotificationCenter::defaultCenter();
    if (m_hostedGraph)
        center->removeObserver(self(), PEGraphNeedsRedrawNotification, m_hostedGraph);
    m_hostedGraph = graph;
    if (graph) {
        graph->setContentsScale(UIScreen::mainScreen()->scale());
        sizeGraphToView();
        center->addObserver(self(), &PEGraphHostingView::graphNeedsRedraw, PEGraphNeedsRedrawNotification, graph);
    }
    setNeedsDisplay();
}

void PEGraphHostingView::graphNeedsRedraw()
{
    // The view draws at most once per frame however many layers asked.
    setNeedsDisplay();
}

void PEGraphHostingView::sizeGraphToView()
{
    if (!m_hostedGraph)
        return;
    CGRect viewBounds = bounds();
    m_hostedGraph->setFrame(CGRect { CGPointZero, viewBounds.size });
    m_hostedGraph->setNeedsLayout();
}

void PEGraphHostingView::setFrame(CGRect frame)
{
    UIView::setFrame(frame);
    sizeGraphToView();
}

void PEGraphHostingView::setBounds(CGRect newBounds)
{
    UIView::setBounds(newBounds);
    sizeGraphToView();
}

void PEGraphHostingView::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!m_hostedGraph || !context)
        return;
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 0, bounds().size.height);
    CGContextScaleCTM(context, 1, -1);
    try {
        m_hostedGraph->layoutAndRenderInContext(context);
    } catch (const NSException& exception) {
        NSLog("The graph was not drawn: %@: %@", exception.name(), exception.reason());
    } catch (const std::exception& exception) {
        NSLog("The graph was not drawn: %s", exception.what());
    }
    CGContextRestoreGState(context);
}

CGPoint PEGraphHostingView::graphPointForViewPoint(CGPoint point) const
{
    return CGPoint { point.x, bounds().size.height - point.y };
}

void PEGraphHostingView::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    auto touch = touches.anyObject();
    if (!m_hostedGraph || !touch || !m_hostedGraph->pointingDeviceDownEvent(event, graphPointForViewPoint(touch->locationInView(self()))))
        UIView::touchesBegan(touches, event);
}

void PEGraphHostingView::touchesMoved(const UITouchSet& touches, const UIEventRef& event)
{
    auto touch = touches.anyObject();
    if (!m_hostedGraph || !touch || !m_hostedGraph->pointingDeviceDraggedEvent(event, graphPointForViewPoint(touch->locationInView(self()))))
        UIView::touchesMoved(touches, event);
}

void PEGraphHostingView::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    auto touch = touches.anyObject();
    if (!m_hostedGraph || !touch || !m_hostedGraph->pointingDeviceUpEvent(event, graphPointForViewPoint(touch->locationInView(self()))))
        UIView::touchesEnded(touches, event);
}

void PEGraphHostingView::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    if (!m_hostedGraph || !m_hostedGraph->pointingDeviceCancelledEvent(event))
        UIView::touchesCancelled(touches, event);
}

void PEGraphHostingView::setAllowPinchScaling(bool allow)
{
    if (allow == allowPinchScaling())
        return;
    if (allow) {
        m_pinch = UIPinchGestureRecognizer::create(self(), &PEGraphHostingView::handlePinch);
        // A pinch needs both fingers delivered to the view.
        setMultipleTouchEnabled(true);
        addGestureRecognizer(m_pinch);
    } else {
        removeGestureRecognizer(m_pinch);
        m_pinch = nullptr;
    }
}

void PEGraphHostingView::handlePinch(UIPinchGestureRecognizer& recognizer)
{
    if (!m_hostedGraph || recognizer.scale() <= 0)
        return;
    CGPoint viewPoint = recognizer.locationInView(self());
    CGPoint graphPoint = graphPointForViewPoint(viewPoint);
    auto area = m_hostedGraph->plotAreaFrame()->plotArea();
    CGPoint areaPoint = area->convertPointFromLayer(graphPoint, m_hostedGraph);
    for (const auto& space : m_hostedGraph->allPlotSpaces())
        space->scaleBy(recognizer.scale(), areaPoint);
    recognizer.setScale(1.0);
}
