#pragma once
// One bar per record, standing at a location on the location axis (x, or y for horizontal bars)
// and reaching from a base to a tip on the value axis. Widths and offsets are in data units of the
// location axis unless barWidthsAreInViewCoordinates; tip and base corners round separately.
// Fills and line styles may come per record from the data source; touches report the bar under
// them (the lowest record where bars overlap).
//
// Generated locations (a plotRange, or no data source) count from record 0 of the whole record
// set, so a partial reload or an insert puts new bars beside the old ones, not on top of them.

#include "framework/Source/PEPlot.h"

class PEBarPlot;
class PEColor;
class PEFill;
class PELineStyle;
class PEMutablePlotRange;

enum PEBarPlotField : NSUInteger {
    PEBarPlotFieldBarLocation = 0,
    PEBarPlotFieldBarTip = 1,
    PEBarPlotFieldBarBase = 2,
};

class PEBarPlotDataSource : public PEPlotDataSource {
public:
    virtual std::optional<std::shared_ptr<NSArray>> barFillsForBarPlot(PEBarPlot&, NSRange) { return std::nullopt; }
    // nil for the plot's own fill.
    virtual std::optional<std::shared_ptr<PEFill>> barFillForBarPlot(PEBarPlot&, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<NSArray>> barLineStylesForBarPlot(PEBarPlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PELineStyle>> barLineStyleForBarPlot(PEBarPlot&, NSUInteger) { return std::nullopt; }
    virtual std::optional<NSString> legendTitleForBarPlot(PEBarPlot&, NSUInteger) { return std::nullopt; }
    // Whether the two single-record answers above are given: a plot without records has no
    // record to ask about, and its legend still needs to know whether it names bars.
    virtual bool respondsToLegendTitleForBarPlot() const { return false; }
    virtual bool respondsToBarFillForBarPlot() const { return false; }
    virtual std::optional<std::shared_ptr<NSAttributedString>> attributedLegendTitleForBarPlot(PEBarPlot&, NSUInteger) { return std::nullopt; }
};

class PEBarPlotDelegate : public PEPlotDelegate {
public:
    virtual bool barWasSelectedAtRecordIndex(PEBarPlot&, NSUInteger) { return false; }
    virtual bool barWasSelectedAtRecordIndexWithEvent(PEBarPlot&, NSUInteger, const UIEventRef&) { return false; }
};

class PEBarPlot : public PEPlot {
    NS_OBJECT(PEBarPlot, PEPlot)
public:
    static std::shared_ptr<PEBarPlot> tubularBarPlotWithColor(const std::shared_ptr<PEColor>& color, bool horizontalBars);

    bool barWidthsAreInViewCoordinates() const { return m_barWidthsAreInViewCoordinates; }
    void setBarWidthsAreInViewCoordinates(bool inView) { m_barWidthsAreInViewCoordinates = inView; }
    const NSDecimal& barWidth() const { return m_barWidth; }
    void setBarWidth(const NSDecimal& width);
    CGFloat barWidthScale() const { return m_barWidthScale; }
    void setBarWidthScale(CGFloat scale);
    const NSDecimal& barOffset() const { return m_barOffset; }
    void setBarOffset(const NSDecimal& offset);
    CGFloat barOffsetScale() const { return m_barOffsetScale; }
    void setBarOffsetScale(CGFloat scale);
    CGFloat barCornerRadius() const { return m_barCornerRadius; }
    void setBarCornerRadius(CGFloat radius);
    CGFloat barBaseCornerRadius() const { return m_barBaseCornerRadius; }
    void setBarBaseCornerRadius(CGFloat radius);
    bool barsAreHorizontal() const { return m_barsAreHorizontal; }
    void setBarsAreHorizontal(bool horizontal);
    const NSDecimal& baseValue() const { return m_baseValue; }
    void setBaseValue(const NSDecimal& value);
    bool barBasesVary() const { return m_barBasesVary; }
    void setBarBasesVary(bool vary);
    const std::shared_ptr<PEPlotRange>& plotRange() const { return m_plotRange; }
    void setPlotRange(const std::shared_ptr<PEPlotRange>& range);
    const std::shared_ptr<PELineStyle>& lineStyle() const { return m_lineStyle; }
    void setLineStyle(const std::shared_ptr<PELineStyle>& style);
    const std::shared_ptr<PEFill>& fill() const { return m_fill; }
    void setFill(const std::shared_ptr<PEFill>& fill);

    // Views of the cache.
    std::shared_ptr<NSArray> barLocations() const;
    void setBarLocations(const std::shared_ptr<NSArray>& locations);
    std::shared_ptr<NSArray> barTips() const;
    void setBarTips(const std::shared_ptr<NSArray>& tips);
    std::shared_ptr<NSArray> barBases() const;
    void setBarBases(const std::shared_ptr<NSArray>& bases);
    std::shared_ptr<NSArray> barFills() const { return cachedArrayForKey("barFills"); }
    void setBarFills(const std::shared_ptr<NSArray>& fills) { setStyleArray(fills, "barFills"); }
    std::shared_ptr<NSArray> barLineStyles() const { return cachedArrayForKey("barLineStyles"); }
    void setBarLineStyles(const std::shared_ptr<NSArray>& styles) { setStyleArray(styles, "barLineStyles"); }

    // Geometry.
    CGFloat lengthInView(const NSDecimal& length) const;
    double doubleLengthInPlotCoordinates(const NSDecimal& length) const;
    NSDecimal lengthInPlotCoordinates(const NSDecimal& length) const;
    std::shared_ptr<PEMutablePlotRange> plotRangeEnclosingBars() const;
    bool barAtRecordIndex(NSUInteger index, CGPoint* basePoint, CGPoint* tipPoint) const;
    // Null context: no pixel alignment (hit testing). Null result when the bar cannot be built.
    CGPathRef newBarPathWithContext(const CGContextRef& context, NSUInteger recordIndex) const;
    CGPathRef newBarPathWithContext(const CGContextRef& context, CGPoint basePoint, CGPoint tipPoint) const;
    bool barIsVisibleWithBasePoint(CGPoint basePoint) const;
    std::shared_ptr<PEFill> barFillForIndex(NSUInteger index) const;
    std::shared_ptr<PELineStyle> barLineStyleForIndex(NSUInteger index) const;
    void drawBarInContext(const CGContextRef& context, NSUInteger recordIndex) const;

    void reloadDataInIndexRange(NSRange indexRange) override;
    std::shared_ptr<PEPlotRange> plotRangeForCoordinate(PECoordinate coordinate) const override;
    void renderAsVectorInContext(const CGContextRef& context) override;
    void drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context) override;
    void positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index) override;
    NSUInteger numberOfLegendEntries() const override;
    NSString titleForLegendEntryAtIndex(NSUInteger index) const override;
    std::shared_ptr<NSAttributedString> attributedTitleForLegendEntryAtIndex(NSUInteger index) const override;
    NSUInteger dataIndexFromInteractionPoint(CGPoint point) override;
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    NSUInteger numberOfFields() const override { return 3; }
    std::vector<NSUInteger> fieldIdentifiers() const override { return { 0, 1, 2 }; }
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
    static std::span<const FloatKey<PEBarPlot>> animatableFloatKeys();
    std::shared_ptr<PEBarPlotDataSource> barDataSource() const;
    bool dataSourceNamesEachBar() const;
    PECoordinate locationCoordinate() const { return m_barsAreHorizontal ? PECoordinateY : PECoordinateX; }
    PECoordinate valueCoordinate() const { return m_barsAreHorizontal ? PECoordinateX : PECoordinateY; }

    bool m_barWidthsAreInViewCoordinates { false };
    NSDecimal m_barWidth;
    CGFloat m_barWidthScale { 1.0 };
    NSDecimal m_barOffset;
    CGFloat m_barOffsetScale { 1.0 };
    CGFloat m_barCornerRadius { 0 };
    CGFloat m_barBaseCornerRadius { 0 };
    bool m_barsAreHorizontal { false };
    NSDecimal m_baseValue;
    bool m_barBasesVary { false };
    std::shared_ptr<PEPlotRange> m_plotRange;
    std::shared_ptr<PELineStyle> m_lineStyle;
    std::shared_ptr<PEFill> m_fill;
    // What the data source last answered about a bar it had: whether it names each bar. Kept
    // for the times it has none, when it cannot be asked.
};

using PEBarPlotRef = std::shared_ptr<PEBarPlot>;
