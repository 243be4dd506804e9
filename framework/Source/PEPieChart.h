#pragma once
// One slice per record: each value divided by the sum of the present values, laid one after
// another around a centre from startAngle, clockwise or counter-clockwise, over a full turn or up
// to endAngle. Slices may be pushed out by a radial offset, the pie may be a ring, outlined and
// overlaid. Labels sit beyond the slices; touches report the slice under them.
//
// A pie whose arc has no span (endAngle equal to startAngle counter-clockwise, or a whole turn
// away clockwise) draws nothing and is hit nowhere. Radial offsets that are not numbers count as 0.

#include "framework/Source/PEPlot.h"

class PEColor;
class PEFill;
class PELineStyle;
class PEPieChart;

enum PEPieChartField : NSUInteger {
    PEPieChartFieldSliceWidth = 0,
    PEPieChartFieldSliceWidthNormalized = 1,
    PEPieChartFieldSliceWidthSum = 2,
};

enum PEPieDirection : int {
    PEPieDirectionClockwise = 0,
    PEPieDirectionCounterClockwise = 1,
};

class PEPieChartDataSource : public PEPlotDataSource {
public:
    virtual std::optional<std::shared_ptr<NSArray>> sliceFillsForPieChart(PEPieChart&, NSRange) { return std::nullopt; }
    // nil for the palette colour.
    virtual std::optional<std::shared_ptr<PEFill>> sliceFillForPieChart(PEPieChart&, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<NSArray>> radialOffsetsForPieChart(PEPieChart&, NSRange) { return std::nullopt; }
    virtual std::optional<CGFloat> radialOffsetForPieChart(PEPieChart&, NSUInteger) { return std::nullopt; }
    virtual std::optional<NSString> legendTitleForPieChart(PEPieChart&, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<NSAttributedString>> attributedLegendTitleForPieChart(PEPieChart&, NSUInteger) { return std::nullopt; }
};

class PEPieChartDelegate : public PEPlotDelegate {
public:
    virtual bool sliceWasSelectedAtRecordIndex(PEPieChart&, NSUInteger) { return false; }
    virtual bool sliceWasSelectedAtRecordIndexWithEvent(PEPieChart&, NSUInteger, const UIEventRef&) { return false; }
};

class PEPieChart : public PEPlot {
    NS_OBJECT(PEPieChart, PEPlot)
public:
    static std::shared_ptr<PEColor> defaultPieSliceColorForIndex(NSUInteger index);

    CGFloat pieRadius() const { return m_pieRadius; }
    void setPieRadius(CGFloat radius);
    CGFloat pieInnerRadius() const { return m_pieInnerRadius; }
    void setPieInnerRadius(CGFloat radius);
    CGFloat startAngle() const { return m_startAngle; }
    void setStartAngle(CGFloat angle);
    CGFloat endAngle() const { return m_endAngle; }
    void setEndAngle(CGFloat angle);
    int sliceDirection() const { return m_sliceDirection; }
    void setSliceDirection(int direction);
    CGPoint centerAnchor() const { return m_centerAnchor; }
    void setCenterAnchor(CGPoint anchor);
    const std::shared_ptr<PELineStyle>& borderLineStyle() const { return m_borderLineStyle; }
    void setBorderLineStyle(const std::shared_ptr<PELineStyle>& style);
    const std::shared_ptr<PEFill>& overlayFill() const { return m_overlayFill; }
    void setOverlayFill(const std::shared_ptr<PEFill>& fill);
    bool labelRotationRelativeToRadius() const { return m_labelRotationRelativeToRadius; }
    void setLabelRotationRelativeToRadius(bool relative);
    void setLabelRotation(CGFloat rotation) override;

    std::shared_ptr<NSArray> sliceWidths() const;
    void setSliceWidths(const std::shared_ptr<NSArray>& widths);
    std::shared_ptr<NSArray> sliceFills() const { return cachedArrayForKey("sliceFills"); }
    void setSliceFills(const std::shared_ptr<NSArray>& fills) { setStyleArray(fills, "sliceFills"); }
    std::shared_ptr<NSArray> sliceRadialOffsets() const { return cachedArrayForKey("sliceRadialOffsets"); }
    void setSliceRadialOffsets(const std::shared_ptr<NSArray>& offsets);

    void updateNormalizedData();
    CGFloat radiansForPieSliceValue(CGFloat fraction) const;
    void addSliceToPath(const CGMutablePathRef& path, CGPoint center, CGFloat startingAngle, CGFloat finishingAngle) const;
    std::shared_ptr<PEFill> sliceFillForIndex(NSUInteger index) const;
    // The offset of a record in points; 0 for none or anything that is not a number.
    CGFloat radialOffsetForIndex(NSUInteger index) const;

    CGFloat normalizedPosition(CGFloat angle) const;
    bool angleBetween(CGFloat position, CGFloat startPosition, CGFloat endPosition) const;
    NSUInteger pieSliceIndexAtAngle(CGFloat angle);
    // Fails the parameter assertion for an index not below the record count.
    CGFloat medianAngleForPieSliceIndex(NSUInteger index);

    void reloadData() override;
    void reloadDataInIndexRange(NSRange indexRange) override;
    void insertDataAtIndex(NSUInteger index, NSUInteger numberOfRecords) override;
    void deleteDataInIndexRange(NSRange indexRange) override;
    void renderAsVectorInContext(const CGContextRef& context) override;
    void drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context) override;
    void positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index) override;
    NSUInteger dataIndexFromInteractionPoint(CGPoint point) override;
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    NSUInteger numberOfFields() const override { return 1; }
    std::vector<NSUInteger> fieldIdentifiers() const override { return { PEPieChartFieldSliceWidth }; }
    std::vector<NSUInteger> fieldIdentifiersForCoordinate(PECoordinate) const override { return {}; }
    NSUInteger numberOfLegendEntries() const override;
    NSString titleForLegendEntryAtIndex(NSUInteger index) const override;
    std::shared_ptr<NSAttributedString> attributedTitleForLegendEntryAtIndex(NSUInteger index) const override;

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
    static std::span<const FloatKey<PEPieChart>> animatableFloatKeys();
    std::shared_ptr<PEPieChartDataSource> pieDataSource() const;
    // The centre in plot-area coordinates.
    std::optional<CGPoint> centerInPlotArea() const;
    // The arc the slices share, in radians; 0 for a pie with no room.
    CGFloat pieSpan() const;
    void postLegend(const char* name);

    CGFloat m_pieRadius { 0 };
    CGFloat m_pieInnerRadius { 0 };
    CGFloat m_startAngle { M_PI_2 };
    CGFloat m_endAngle { NAN };
    int m_sliceDirection { PEPieDirectionClockwise };
    CGPoint m_centerAnchor { 0.5, 0.5 };
    std::shared_ptr<PELineStyle> m_borderLineStyle;
    std::shared_ptr<PEFill> m_overlayFill;
    bool m_labelRotationRelativeToRadius { false };
};

using PEPieChartRef = std::shared_ptr<PEPieChart>;
