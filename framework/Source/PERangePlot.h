#pragma once
// Records as centre points with error-bar ranges: a vertical bar from the low to the high value, a
// horizontal one from the left to the right value, caps across the ends and a gap around the
// centre, and optionally an area along the highs and back along the lows. Per-record bar styles
// are pulled however the numbers arrive. A touch selects the nearest centre when it lies inside
// that record's bars, whichever way the axes run.

#include "framework/Source/PEPlot.h"

#include <vector>

class PEFill;
class PELineStyle;
class PERangePlot;
class PEXYPlotSpace;

enum PERangePlotField : NSUInteger {
    PERangePlotFieldX = 0,
    PERangePlotFieldY,
    PERangePlotFieldHigh,
    PERangePlotFieldLow,
    PERangePlotFieldLeft,
    PERangePlotFieldRight,
};

// A record in plot-area view coordinates: high and low are view y values, left and right view x.
struct CGPointError {
    double x { NAN };
    double y { NAN };
    double high { NAN };
    double low { NAN };
    double left { NAN };
    double right { NAN };
};

class PERangePlotDataSource : public PEPlotDataSource {
public:
    virtual std::optional<std::shared_ptr<NSArray>> barLineStylesForRangePlot(PERangePlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PELineStyle>> barLineStyleForRangePlot(PERangePlot&, NSUInteger) { return std::nullopt; }
};

class PERangePlotDelegate : public PEPlotDelegate {
public:
    virtual bool rangeWasSelectedAtRecordIndex(PERangePlot&, NSUInteger) { return false; }
    virtual bool rangeWasSelectedAtRecordIndexWithEvent(PERangePlot&, NSUInteger, const UIEventRef&) { return false; }
};

class PERangePlot : public PEPlot {
    NS_OBJECT(PERangePlot, PEPlot)
public:
    const std::shared_ptr<PELineStyle>& barLineStyle() const { return m_barLineStyle; }
    void setBarLineStyle(const std::shared_ptr<PELineStyle>& style);
    CGFloat barWidth() const { return m_barWidth; }
    void setBarWidth(CGFloat width);
    CGFloat gapHeight() const { return m_gapHeight; }
    void setGapHeight(CGFloat height);
    CGFloat gapWidth() const { return m_gapWidth; }
    void setGapWidth(CGFloat width);
    const std::shared_ptr<PEFill>& areaFill() const { return m_areaFill; }
    void setAreaFill(const std::shared_ptr<PEFill>& fill);
    const std::shared_ptr<PELineStyle>& areaBorderLineStyle() const { return m_areaBorderLineStyle; }
    void setAreaBorderLineStyle(const std::shared_ptr<PELineStyle>& style);
    std::shared_ptr<NSArray> barLineStyles() const { return cachedArrayForKey("barLineStyles"); }
    void setBarLineStyles(const std::shared_ptr<NSArray>& styles) { setStyleArray(styles, "barLineStyles"); }

    // The cached records: x and y as arrays of numbers, the four extents as the cached data.
    std::shared_ptr<NSArray> xValues() const { return cachedValuesForField(PERangePlotFieldX); }
    void setXValues(const std::shared_ptr<NSArray>& values) { cacheNumbers(values, PERangePlotFieldX); }
    std::shared_ptr<NSArray> yValues() const { return cachedValuesForField(PERangePlotFieldY); }
    void setYValues(const std::shared_ptr<NSArray>& values) { cacheNumbers(values, PERangePlotFieldY); }
    std::shared_ptr<PEMutableNumericData> highValues() const { return cachedNumbersForField(PERangePlotFieldHigh); }
    void setHighValues(const id& values) { cacheNumbers(values, PERangePlotFieldHigh); }
    std::shared_ptr<PEMutableNumericData> lowValues() const { return cachedNumbersForField(PERangePlotFieldLow); }
    void setLowValues(const id& values) { cacheNumbers(values, PERangePlotFieldLow); }
    std::shared_ptr<PEMutableNumericData> leftValues() const { return cachedNumbersForField(PERangePlotFieldLeft); }
    void setLeftValues(const id& values) { cacheNumbers(values, PERangePlotFieldLeft); }
    std::shared_ptr<PEMutableNumericData> rightValues() const { return cachedNumbersForField(PERangePlotFieldRight); }
    void setRightValues(const id& values) { cacheNumbers(values, PERangePlotFieldRight); }

    void calculatePointsToDraw(std::vector<bool>& flags, NSUInteger count, const PEXYPlotSpace& space) const;
    void calculateViewPoints(std::vector<CGPointError>& viewPoints, const std::vector<bool>& flags, NSUInteger count) const;
    void alignViewPointsToUserSpace(std::vector<CGPointError>& viewPoints, const CGContextRef& context, const std::vector<bool>& flags, NSUInteger count) const;
    static NSUInteger extremeDrawnPointIndexForFlags(const std::vector<bool>& flags, NSUInteger count, bool lowerBound);
    void drawRangeInContext(const CGContextRef& context, const std::shared_ptr<PELineStyle>& lineStyle, const CGPointError& viewPoint,
        CGSize halfGapSize, CGFloat halfBarWidth, bool alignPoints) const;
    std::shared_ptr<PELineStyle> barLineStyleForIndex(NSUInteger index) const;

    void reloadDataInIndexRange(NSRange indexRange) override;
    void renderAsVectorInContext(const CGContextRef& context) override;
    void drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context) override;
    void positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index) override;
    NSUInteger dataIndexFromInteractionPoint(CGPoint point) override;
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    NSUInteger numberOfFields() const override { return 6; }
    std::vector<NSUInteger> fieldIdentifiers() const override { return { 0, 1, 2, 3, 4, 5 }; }
    // Raises "PEException" for a coordinate other than x and y.
    std::vector<NSUInteger> fieldIdentifiersForCoordinate(PECoordinate coordinate) const override;

    void encodeWithCoder(NSCoder& coder) const override;

    bool needsDisplayForKey(const NSString& key) const override;
    // The animatable keys are read and written by name, as animations do.
    id valueForKey(const NSString& key) const override;
    void setValue(const id& value, const NSString& key) override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    void init() { init(CGRectZero); }
    bool init(NSCoder& coder);

private:
    static std::span<const FloatKey<PERangePlot>> animatableFloatKeys();
    void postLegendRedraw();

    std::shared_ptr<PELineStyle> m_barLineStyle;
    CGFloat m_barWidth { 0 };
    CGFloat m_gapHeight { 0 };
    CGFloat m_gapWidth { 0 };
    std::shared_ptr<PEFill> m_areaFill;
    std::shared_ptr<PELineStyle> m_areaBorderLineStyle;
};

using PERangePlotRef = std::shared_ptr<PERangePlot>;
