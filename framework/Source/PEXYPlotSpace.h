#pragma once
// The Cartesian plot space: an x and a y range, each linear or logarithmic, mapped onto the plot
// area's bounds (the range's location at the bounds' minimum, its end at the maximum).
//
// A range of zero length maps every value to the minimum edge; a logarithmic coordinate maps
// values and range ends that are not above 0 to NaN, which the drawing code replaces by 0.
//
// With user interaction allowed, a finger dragged over the plot area moves both ranges with it.
// A coordinate that allows momentum glides on after the finger lifts and may leave its global
// range while moving; it springs back into it once the glide ends. Both run on the engine's
// animation scheduler; a new touch stops them where they are.

#include "framework/Source/PEAnimationDelegate.h"
#include "framework/Source/PEAnimationTimingFunctions.h"
#include "framework/Source/PEPlotSpace.h"

#include <deque>

class PEAnimationOperation;
class PEPlotArea;

class PEXYPlotSpace : public PEPlotSpace, public PEAnimationDelegate {
    NS_OBJECT(PEXYPlotSpace, PEPlotSpace)
public:
    const std::shared_ptr<PEPlotRange>& xRange() const { return m_xRange; }
    const std::shared_ptr<PEPlotRange>& yRange() const { return m_yRange; }
    // A nil range is refused; an equal one changes nothing.
    void setXRange(const std::shared_ptr<PEPlotRange>& range);
    void setYRange(const std::shared_ptr<PEPlotRange>& range);
    const std::shared_ptr<PEPlotRange>& globalXRange() const { return m_globalXRange; }
    const std::shared_ptr<PEPlotRange>& globalYRange() const { return m_globalYRange; }
    void setGlobalXRange(const std::shared_ptr<PEPlotRange>& range);
    void setGlobalYRange(const std::shared_ptr<PEPlotRange>& range);
    PEScaleType xScaleType() const { return m_xScaleType; }
    PEScaleType yScaleType() const { return m_yScaleType; }
    void setXScaleType(PEScaleType type);
    void setYScaleType(PEScaleType type);

    CGPoint plotAreaViewPointForPlotPoint(const NSDecimal* plotPoint, NSUInteger count) const override;
    CGPoint plotAreaViewPointForDoublePrecisionPlotPoint(const double* plotPoint, NSUInteger count) const override;
    void plotPoint(NSDecimal* plotPoint, NSUInteger count, CGPoint viewPoint) const override;
    void doublePrecisionPlotPoint(double* plotPoint, NSUInteger count, CGPoint viewPoint) const override;
    using PEPlotSpace::plotAreaViewPointForPlotPoint;

    std::shared_ptr<PEPlotRange> plotRangeForCoordinate(PECoordinate coordinate) const override;
    void setPlotRange(const std::shared_ptr<PEPlotRange>& range, PECoordinate coordinate) override;
    PEScaleType scaleTypeForCoordinate(PECoordinate coordinate) const override;
    void scaleToFitPlots(const std::vector<std::shared_ptr<PEPlot>>& plots) override;
    void scaleBy(CGFloat interactionScale, CGPoint plotAreaPoint) override;

    // Off by default: the space then takes no touches.
    bool allowsUserInteraction() const { return m_allowsUserInteraction; }
    void setAllowsUserInteraction(bool allows) { m_allowsUserInteraction = allows; }
    bool allowsMomentumX() const { return m_allowsMomentumX; }
    void setAllowsMomentumX(bool allows) { m_allowsMomentumX = allows; }
    bool allowsMomentumY() const { return m_allowsMomentumY; }
    void setAllowsMomentumY(bool allows) { m_allowsMomentumY = allows; }
    // Either coordinate; the setter sets both.
    bool allowsMomentum() const { return m_allowsMomentumX || m_allowsMomentumY; }
    void setAllowsMomentum(bool allows);
    PEAnimationCurve momentumAnimationCurve() const { return m_momentumAnimationCurve; }
    void setMomentumAnimationCurve(PEAnimationCurve curve) { m_momentumAnimationCurve = curve; }
    PEAnimationCurve bounceAnimationCurve() const { return m_bounceAnimationCurve; }
    void setBounceAnimationCurve(PEAnimationCurve curve) { m_bounceAnimationCurve = curve; }
    // The glides and bounces started and not yet ended.
    const std::vector<std::shared_ptr<PEAnimationOperation>>& animations() const { return m_animations; }
    bool isDragging() const { return m_isDragging; }

    // Points in graph coordinates. A touch is taken when it goes down inside the plot area.
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceUpEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceCancelledEvent(const UIEventRef& event) override;

    void animationDidFinish(PEAnimationOperation& operation) override;
    void animationCancelled(PEAnimationOperation& operation) override;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init();
    bool init(NSCoder& coder);

private:
    struct DragSample {
        NSTimeInterval time;
        CGPoint point;
    };

    CGSize plotAreaSize() const;
    std::shared_ptr<PEPlotArea> plotArea() const;
    std::shared_ptr<PEPlotRange> constrainedRange(const std::shared_ptr<PEPlotRange>& range, const std::shared_ptr<PEPlotRange>& global) const;
    void postMappingChange();
    bool allowsMomentumFor(PECoordinate coordinate) const { return coordinate == PECoordinateY ? m_allowsMomentumY : m_allowsMomentumX; }
    const std::shared_ptr<PEPlotRange>& globalRangeFor(PECoordinate coordinate) const { return coordinate == PECoordinateY ? m_globalYRange : m_globalXRange; }
    double extentFor(PECoordinate coordinate) const;
    // The coordinate's range moved by a distance in plot-area points.
    std::shared_ptr<PEPlotRange> rangeShiftedBy(PECoordinate coordinate, double points) const;
    // How many plot-area points, at the coordinate's present scale, lie from one range's location to the other's.
    double pointsBetween(PECoordinate coordinate, const PEPlotRange& from, const PEPlotRange& to) const;
    void dragTo(CGPoint plotAreaPoint, NSTimeInterval time);
    CGPoint releaseVelocity() const;
    void endDrag(CGPoint velocity);
    void glide(PECoordinate coordinate, double velocity);
    void stopAnimations();

    std::shared_ptr<PEPlotRange> m_xRange;
    std::shared_ptr<PEPlotRange> m_yRange;
    std::shared_ptr<PEPlotRange> m_globalXRange;
    std::shared_ptr<PEPlotRange> m_globalYRange;
    PEScaleType m_xScaleType { PEScaleTypeLinear };
    PEScaleType m_yScaleType { PEScaleTypeLinear };
    bool m_allowsUserInteraction { false };
    bool m_allowsMomentumX { false };
    bool m_allowsMomentumY { false };
    PEAnimationCurve m_momentumAnimationCurve { PEAnimationCurveQuadraticOut };
    PEAnimationCurve m_bounceAnimationCurve { PEAnimationCurveQuadraticOut };
    std::vector<std::shared_ptr<PEAnimationOperation>> m_animations;
    bool m_isDragging { false };
    CGPoint m_lastDragPoint {};
    std::deque<DragSample> m_dragSamples;
};

using PEXYPlotSpaceRef = std::shared_ptr<PEXYPlotSpace>;
