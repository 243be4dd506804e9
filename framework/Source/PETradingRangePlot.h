#pragma once
// Open-high-low-close records as OHLC bars (a high-low line with ticks at the open and the close)
// or candlesticks (a body between open and close, wicks to the high and the low, styled by
// rising or falling). A candle without an open or a close still shows its high-low line; labels
// sit at the largest present value (the smallest on a reversed axis).

#include "framework/Source/PEPlot.h"

class PEFill;
class PELineStyle;
class PETradingRangePlot;

enum PETradingRangePlotField : NSUInteger {
    PETradingRangePlotFieldX = 0,
    PETradingRangePlotFieldOpen = 1,
    PETradingRangePlotFieldHigh = 2,
    PETradingRangePlotFieldLow = 3,
    PETradingRangePlotFieldClose = 4,
};

enum PETradingRangePlotStyle : int {
    PETradingRangePlotStyleOHLC = 0,
    PETradingRangePlotStyleCandleStick = 1,
};

class PETradingRangePlotDataSource : public PEPlotDataSource {
public:
    virtual std::optional<std::shared_ptr<NSArray>> increaseFillsForTradingRangePlot(PETradingRangePlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PEFill>> increaseFillForTradingRangePlot(PETradingRangePlot&, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<NSArray>> decreaseFillsForTradingRangePlot(PETradingRangePlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PEFill>> decreaseFillForTradingRangePlot(PETradingRangePlot&, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<NSArray>> lineStylesForTradingRangePlot(PETradingRangePlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PELineStyle>> lineStyleForTradingRangePlot(PETradingRangePlot&, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<NSArray>> increaseLineStylesForTradingRangePlot(PETradingRangePlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PELineStyle>> increaseLineStyleForTradingRangePlot(PETradingRangePlot&, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<NSArray>> decreaseLineStylesForTradingRangePlot(PETradingRangePlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PELineStyle>> decreaseLineStyleForTradingRangePlot(PETradingRangePlot&, NSUInteger) { return std::nullopt; }
};

class PETradingRangePlotDelegate : public PEPlotDelegate {
public:
    virtual bool barWasSelectedAtRecordIndex(PETradingRangePlot&, NSUInteger) { return false; }
    virtual bool barWasSelectedAtRecordIndexWithEvent(PETradingRangePlot&, NSUInteger, const UIEventRef&) { return false; }
};

class PETradingRangePlot : public PEPlot {
    NS_OBJECT(PETradingRangePlot, PEPlot)
public:
    int plotStyle() const { return m_plotStyle; }
    void setPlotStyle(int style);
    const std::shared_ptr<PELineStyle>& lineStyle() const { return m_lineStyle; }
    void setLineStyle(const std::shared_ptr<PELineStyle>& style);
    const std::shared_ptr<PELineStyle>& increaseLineStyle() const { return m_increaseLineStyle; }
    void setIncreaseLineStyle(const std::shared_ptr<PELineStyle>& style);
    const std::shared_ptr<PELineStyle>& decreaseLineStyle() const { return m_decreaseLineStyle; }
    void setDecreaseLineStyle(const std::shared_ptr<PELineStyle>& style);
    const std::shared_ptr<PEFill>& increaseFill() const { return m_increaseFill; }
    void setIncreaseFill(const std::shared_ptr<PEFill>& fill);
    const std::shared_ptr<PEFill>& decreaseFill() const { return m_decreaseFill; }
    void setDecreaseFill(const std::shared_ptr<PEFill>& fill);
    CGFloat barWidth() const { return m_barWidth; }
    void setBarWidth(CGFloat width);
    CGFloat stickLength() const { return m_stickLength; }
    void setStickLength(CGFloat length);
    CGFloat barCornerRadius() const { return m_barCornerRadius; }
    void setBarCornerRadius(CGFloat radius);

    // The cached records, fields 0 to 4, as the cached data.
    std::shared_ptr<PEMutableNumericData> xValues() const { return cachedNumbersForField(PETradingRangePlotFieldX); }
    void setXValues(const id& values) { cacheNumbers(values, PETradingRangePlotFieldX); }
    std::shared_ptr<PEMutableNumericData> openValues() const { return cachedNumbersForField(PETradingRangePlotFieldOpen); }
    void setOpenValues(const id& values) { cacheNumbers(values, PETradingRangePlotFieldOpen); }
    std::shared_ptr<PEMutableNumericData> highValues() const { return cachedNumbersForField(PETradingRangePlotFieldHigh); }
    void setHighValues(const id& values) { cacheNumbers(values, PETradingRangePlotFieldHigh); }
    std::shared_ptr<PEMutableNumericData> lowValues() const { return cachedNumbersForField(PETradingRangePlotFieldLow); }
    void setLowValues(const id& values) { cacheNumbers(values, PETradingRangePlotFieldLow); }
    std::shared_ptr<PEMutableNumericData> closeValues() const { return cachedNumbersForField(PETradingRangePlotFieldClose); }
    void setCloseValues(const id& values) { cacheNumbers(values, PETradingRangePlotFieldClose); }
    // The per-record styles, which the resolvers below read.
    std::shared_ptr<NSArray> increaseFills() const { return cachedArrayForKey("increaseFills"); }
    void setIncreaseFills(const std::shared_ptr<NSArray>& fills) { setStyleArray(fills, "increaseFills"); }
    std::shared_ptr<NSArray> decreaseFills() const { return cachedArrayForKey("decreaseFills"); }
    void setDecreaseFills(const std::shared_ptr<NSArray>& fills) { setStyleArray(fills, "decreaseFills"); }
    std::shared_ptr<NSArray> lineStyles() const { return cachedArrayForKey("lineStyles"); }
    void setLineStyles(const std::shared_ptr<NSArray>& styles) { setStyleArray(styles, "lineStyles"); }
    std::shared_ptr<NSArray> increaseLineStyles() const { return cachedArrayForKey("increaseLineStyles"); }
    void setIncreaseLineStyles(const std::shared_ptr<NSArray>& styles) { setStyleArray(styles, "increaseLineStyles"); }
    std::shared_ptr<NSArray> decreaseLineStyles() const { return cachedArrayForKey("decreaseLineStyles"); }
    void setDecreaseLineStyles(const std::shared_ptr<NSArray>& styles) { setStyleArray(styles, "decreaseLineStyles"); }

    std::shared_ptr<PEFill> increaseFillForIndex(NSUInteger index) const;
    std::shared_ptr<PEFill> decreaseFillForIndex(NSUInteger index) const;
    std::shared_ptr<PELineStyle> lineStyleForIndex(NSUInteger index) const;
    std::shared_ptr<PELineStyle> increaseLineStyleForIndex(NSUInteger index) const;
    std::shared_ptr<PELineStyle> decreaseLineStyleForIndex(NSUInteger index) const;

    void drawCandleStickInContext(const CGContextRef& context, NSUInteger index, CGFloat x, CGFloat open, CGFloat close, CGFloat high, CGFloat low, bool alignPoints) const;
    void drawOHLCInContext(const CGContextRef& context, NSUInteger index, CGFloat x, CGFloat open, CGFloat close, CGFloat high, CGFloat low, bool alignPoints) const;

    void reloadDataInIndexRange(NSRange indexRange) override;
    void renderAsVectorInContext(const CGContextRef& context) override;
    void drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context) override;
    void positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index) override;
    NSUInteger dataIndexFromInteractionPoint(CGPoint point) override;
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    NSUInteger numberOfFields() const override { return 5; }
    std::vector<NSUInteger> fieldIdentifiers() const override { return { 0, 1, 4, 2, 3 }; }
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
    static std::span<const FloatKey<PETradingRangePlot>> animatableFloatKeys();
    void changed(bool legend);
    CGPoint viewPoint(NSUInteger index, NSUInteger field) const;

    int m_plotStyle { PETradingRangePlotStyleOHLC };
    std::shared_ptr<PELineStyle> m_lineStyle;
    std::shared_ptr<PELineStyle> m_increaseLineStyle;
    std::shared_ptr<PELineStyle> m_decreaseLineStyle;
    std::shared_ptr<PEFill> m_increaseFill;
    std::shared_ptr<PEFill> m_decreaseFill;
    CGFloat m_barWidth { 5.0 };
    CGFloat m_stickLength { 3.0 };
    CGFloat m_barCornerRadius { 0 };
};

using PETradingRangePlotRef = std::shared_ptr<PETradingRangePlot>;
