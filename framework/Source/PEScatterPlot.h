#pragma once
// A series of (x, y) records drawn as a data line (straight, stepped, histogram or a smooth
// curve), up to two area fills down to a base value, and a symbol at each point. Only visible
// points and the ends of segments that cross the visible ranges are mapped and drawn, unless
// fills, dashes or curves need every point. Touches report the nearest visible symbol.

#include "framework/Source/PEPlot.h"

#include <vector>

class PEFill;
class PELineStyle;
class PEPlotSymbol;
class PEScatterPlot;
class PEXYPlotSpace;

enum PEScatterPlotField : NSUInteger {
    PEScatterPlotFieldX = 0,
    PEScatterPlotFieldY = 1,
};

enum PEScatterPlotInterpolation : std::int32_t {
    PEScatterPlotInterpolationLinear = 0,
    PEScatterPlotInterpolationStepped = 1,
    PEScatterPlotInterpolationHistogram = 2,
    PEScatterPlotInterpolationCurved = 3,
};

class PEScatterPlotDataSource : public PEPlotDataSource {
public:
    virtual std::optional<std::shared_ptr<NSArray>> symbolsForScatterPlot(PEScatterPlot&, NSRange) { return std::nullopt; }
    // nil for the plot's own symbol.
    virtual std::optional<std::shared_ptr<PEPlotSymbol>> symbolForScatterPlot(PEScatterPlot&, NSUInteger) { return std::nullopt; }
};

class PEScatterPlotDelegate : public PEPlotDelegate {
public:
    virtual bool plotSymbolWasSelectedAtRecordIndex(PEScatterPlot&, NSUInteger) { return false; }
    virtual bool plotSymbolWasSelectedAtRecordIndexWithEvent(PEScatterPlot&, NSUInteger, const UIEventRef&) { return false; }
};

class PEScatterPlot : public PEPlot {
    NS_OBJECT(PEScatterPlot, PEPlot)
public:
    PEScatterPlotInterpolation interpolation() const { return m_interpolation; }
    void setInterpolation(PEScatterPlotInterpolation interpolation);
    const std::shared_ptr<PELineStyle>& dataLineStyle() const { return m_dataLineStyle; }
    void setDataLineStyle(const std::shared_ptr<PELineStyle>& style);
    const std::shared_ptr<PEPlotSymbol>& plotSymbol() const { return m_plotSymbol; }
    void setPlotSymbol(const std::shared_ptr<PEPlotSymbol>& symbol);
    const std::shared_ptr<PEFill>& areaFill() const { return m_areaFill; }
    void setAreaFill(const std::shared_ptr<PEFill>& fill);
    const std::shared_ptr<PEFill>& areaFill2() const { return m_areaFill2; }
    void setAreaFill2(const std::shared_ptr<PEFill>& fill);
    const NSDecimal& areaBaseValue() const { return m_areaBaseValue; }
    void setAreaBaseValue(const NSDecimal& value);
    const NSDecimal& areaBaseValue2() const { return m_areaBaseValue2; }
    void setAreaBaseValue2(const NSDecimal& value);
    CGFloat plotSymbolMarginForHitDetection() const { return m_plotSymbolMarginForHitDetection; }
    void setPlotSymbolMarginForHitDetection(CGFloat margin) { m_plotSymbolMarginForHitDetection = margin; }

    std::shared_ptr<NSArray> xValues() const { return cachedValuesForField(PEScatterPlotFieldX); }
    void setXValues(const std::shared_ptr<NSArray>& values) { cacheNumbers(values, PEScatterPlotFieldX); }
    std::shared_ptr<NSArray> yValues() const { return cachedValuesForField(PEScatterPlotFieldY); }
    void setYValues(const std::shared_ptr<NSArray>& values) { cacheNumbers(values, PEScatterPlotFieldY); }
    std::shared_ptr<NSArray> plotSymbols() const { return cachedArrayForKey("plotSymbols"); }
    void setPlotSymbols(const std::shared_ptr<NSArray>& symbols) { setStyleArray(symbols, "plotSymbols"); }

    std::shared_ptr<PEPlotSymbol> plotSymbolForRecordIndex(NSUInteger index) const;
    void calculatePointsToDraw(std::vector<bool>& pointDrawFlags, const PEXYPlotSpace& space, bool visibleOnly, NSUInteger count) const;
    void calculateViewPoints(std::vector<CGPoint>& viewPoints, const std::vector<bool>& drawPointFlags, NSUInteger count) const;
    void alignViewPointsToUserSpace(std::vector<CGPoint>& viewPoints, const CGContextRef& context, const std::vector<bool>& drawPointFlags, NSUInteger count) const;
    static NSUInteger extremeDrawnPointIndexForFlags(const std::vector<bool>& flags, NSUInteger count, bool lowerBound);
    NSUInteger indexOfVisiblePointClosestToPlotAreaPoint(CGPoint point);
    // Fails the parameter assertion for an index not below the record count.
    CGPoint plotAreaPointOfVisiblePointAtIndex(NSUInteger index);
    CGPathRef newDataLinePathForViewPoints(const std::vector<CGPoint>& viewPoints, NSRange indexRange, CGFloat baselineYValue) const;
    CGPathRef newCurvedDataLinePathForViewPoints(const std::vector<CGPoint>& viewPoints, NSRange indexRange, CGFloat baselineYValue) const;
    static void computeControlPoints(std::vector<CGPoint>& points1, std::vector<CGPoint>& points2, const std::vector<CGPoint>& viewPoints, NSRange indexRange);

    void reloadDataInIndexRange(NSRange indexRange) override;
    void renderAsVectorInContext(const CGContextRef& context) override;
    void drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context) override;
    void positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index) override;
    NSUInteger dataIndexFromInteractionPoint(CGPoint point) override { return indexOfVisiblePointClosestToPlotAreaPoint(point); }
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    NSUInteger numberOfFields() const override { return 2; }
    std::vector<NSUInteger> fieldIdentifiers() const override { return { PEScatterPlotFieldX, PEScatterPlotFieldY }; }
    // Raises "PEException" for a coordinate other than x and y.
    std::vector<NSUInteger> fieldIdentifiersForCoordinate(PECoordinate coordinate) const override;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    void init() { init(CGRectZero); }
    bool init(NSCoder& coder);

private:
    bool needsEveryPoint() const;
    void postLegendRedraw();

    PEScatterPlotInterpolation m_interpolation { PEScatterPlotInterpolationLinear };
    std::shared_ptr<PELineStyle> m_dataLineStyle;
    std::shared_ptr<PEPlotSymbol> m_plotSymbol;
    std::shared_ptr<PEFill> m_areaFill;
    std::shared_ptr<PEFill> m_areaFill2;
    NSDecimal m_areaBaseValue;
    NSDecimal m_areaBaseValue2;
    CGFloat m_plotSymbolMarginForHitDetection { 0 };
};

using PEScatterPlotRef = std::shared_ptr<PEScatterPlot>;
