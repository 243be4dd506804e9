#pragma once
// The Cartesian plot space: an x and a y range, each linear or logarithmic, mapped onto the plot
// area's bounds (the range's location at the bounds' minimum, its end at the maximum).
//
// A range of zero length maps every value to the minimum edge; a logarithmic coordinate maps
// values and range ends that are not above 0 to NaN, which the drawing code replaces by 0.

#include "framework/Source/PEPlotSpace.h"

class PEPlotArea;

class PEXYPlotSpace : public PEPlotSpace {
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

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init();
    bool init(NSCoder& coder);

private:
    CGSize plotAreaSize() const;
    std::shared_ptr<PEPlotRange> constrainedRange(const std::shared_ptr<PEPlotRange>& range, const std::shared_ptr<PEPlotRange>& global) const;
    void postMappingChange();

    std::shared_ptr<PEPlotRange> m_xRange;
    std::shared_ptr<PEPlotRange> m_yRange;
    std::shared_ptr<PEPlotRange> m_globalXRange;
    std::shared_ptr<PEPlotRange> m_globalYRange;
    PEScaleType m_xScaleType { PEScaleTypeLinear };
    PEScaleType m_yScaleType { PEScaleTypeLinear };
};

using PEXYPlotSpaceRef = std::shared_ptr<PEXYPlotSpace>;
