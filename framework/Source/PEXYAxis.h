#pragma once
// The axis of a Cartesian chart: maps its values to view points through an XY plot space and
// draws its ticks, axis line, caps, grid lines, alternating bands and limit bands. The line sits
// at `orthogonalCoordinateDecimal` of the other coordinate.

#include "framework/Source/PEAxis.h"

class PEConstraints;
class PEMutablePlotRange;

class PEXYAxis : public PEAxis {
    NS_OBJECT(PEXYAxis, PEAxis)
public:
    const NSDecimal& orthogonalCoordinateDecimal() const { return m_orthogonalCoordinateDecimal; }
    void setOrthogonalCoordinateDecimal(const NSDecimal& value);
    // When set, pins the axis line between the plot area's edges instead of at the orthogonal
    // coordinate.
    const std::shared_ptr<PEConstraints>& axisConstraints() const { return m_axisConstraints; }
    void setAxisConstraints(const std::shared_ptr<PEConstraints>& constraints);
    // Raises an invalid-argument exception for a coordinate other than x or y.
    void setCoordinate(PECoordinate coordinate) override;

    CGPoint viewPointForOrthogonalCoordinateDecimal(const NSDecimal& orthogonal, const NSDecimal& axisValue);
    CGPoint viewPointForCoordinateDecimalNumber(const NSDecimal& coordinateValue) override;
    // The view extent across the plot area, from the other range's location to its end.
    void orthogonalCoordinateViewLowerBound(CGFloat& lower, CGFloat& upper);

    void renderAsVectorInContext(const CGContextRef& context) override;
    void drawTicksInContext(const CGContextRef& context, const std::vector<NSDecimal>& locations, CGFloat length,
        const std::shared_ptr<PEPlotRange>& range, bool major);
    void drawGridLinesInContext(const CGContextRef& context, bool major) override;
    void drawBackgroundBandsInContext(const CGContextRef& context) override;
    void drawBackgroundLimitsInContext(const CGContextRef& context) override;
    NSDecimal defaultTitleLocation() override;

    NSString description() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    void init();
    bool init(NSCoder& coder);

private:
    CGPoint alignedPoint(const CGContextRef& context, CGPoint point, const std::shared_ptr<PELineStyle>& style) const;
    std::shared_ptr<PEMutablePlotRange> orthogonalRangeForBands() const;

    NSDecimal m_orthogonalCoordinateDecimal;
    std::shared_ptr<PEConstraints> m_axisConstraints;
};

using PEXYAxisRef = std::shared_ptr<PEXYAxis>;
