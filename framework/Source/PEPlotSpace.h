#pragma once
// Maps data coordinates to points of the plot area and back. The XY plot space is the concrete
// one; the base answers the identity mapping and no ranges.

#include "framework/Source/PEDefinitions.h"
#include "framework/Source/PEResponder.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/foundation/NSCoder.h"

#include <vector>

class PEGraph;
class PEPlot;
class PEPlotRange;
class PEPlotSpace;

// Optional hooks; the defaults change nothing.
class PEPlotSpaceDelegate {
public:
    virtual ~PEPlotSpaceDelegate() = default;
    // The range the plot space should take instead of the one it was given.
    virtual std::shared_ptr<PEPlotRange> willChangePlotRangeTo(PEPlotSpace& space, const std::shared_ptr<PEPlotRange>& newRange, PECoordinate coordinate)
    {
        (void)space;
        (void)coordinate;
        return newRange;
    }
    virtual void didChangePlotRangeForCoordinate(PEPlotSpace& space, PECoordinate coordinate)
    {
        (void)space;
        (void)coordinate;
    }
};

class PEPlotSpace : public NSObject, public PEResponder, public NSCoding {
    NS_OBJECT(PEPlotSpace, NSObject)
public:
    std::shared_ptr<PEGraph> graph() const { return m_graph.lock(); }
    void setGraph(const std::shared_ptr<PEGraph>& graph) { m_graph = graph; }
    const id& identifier() const { return m_identifier; }
    void setIdentifier(const id& identifier) { m_identifier = identifier ? identifier->copy() : nullptr; }
    std::shared_ptr<PEPlotSpaceDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<PEPlotSpaceDelegate>& delegate) { m_delegate = delegate; }

    virtual CGPoint plotAreaViewPointForPlotPoint(const NSDecimal* plotPoint, NSUInteger count) const;
    virtual CGPoint plotAreaViewPointForDoublePrecisionPlotPoint(const double* plotPoint, NSUInteger count) const;
    virtual void plotPoint(NSDecimal* plotPoint, NSUInteger count, CGPoint viewPoint) const;
    virtual void doublePrecisionPlotPoint(double* plotPoint, NSUInteger count, CGPoint viewPoint) const;
    CGPoint plotAreaViewPointForPlotPoint(const std::vector<NSDecimal>& plotPoint) const
    {
        return plotAreaViewPointForPlotPoint(plotPoint.data(), plotPoint.size());
    }

    virtual std::shared_ptr<PEPlotRange> plotRangeForCoordinate(PECoordinate coordinate) const;
    virtual void setPlotRange(const std::shared_ptr<PEPlotRange>& range, PECoordinate coordinate);
    virtual PEScaleType scaleTypeForCoordinate(PECoordinate coordinate) const;
    virtual void scaleToFitPlots(const std::vector<std::shared_ptr<PEPlot>>& plots);
    // Grows or shrinks the ranges about a plot-area point (a pinch).
    virtual void scaleBy(CGFloat interactionScale, CGPoint plotAreaPoint);

    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceUpEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceCancelledEvent(const UIEventRef& event) override;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init() { }
    bool init(NSCoder& coder);

private:
    std::weak_ptr<PEGraph> m_graph;
    id m_identifier;
    std::weak_ptr<PEPlotSpaceDelegate> m_delegate;
};

using PEPlotSpaceRef = std::shared_ptr<PEPlotSpace>;
