#pragma once
// A plot range that changes in place: set its ends, unite, intersect, grow about its middle and
// shift it to fit inside another range. Union and intersection keep the receiver's direction.

#include "framework/Source/PEPlotRange.h"

class PEMutablePlotRange : public PEPlotRange {
    NS_OBJECT(PEMutablePlotRange, PEPlotRange)
public:
    static std::shared_ptr<PEMutablePlotRange> plotRangeWithLocation(const NSDecimal& location, const NSDecimal& length);
    static std::shared_ptr<PEMutablePlotRange> plotRangeWithLocation(double location, double length);

    using PEPlotRange::setLength;
    using PEPlotRange::setLocation;

    // Nil is ignored by both.
    void unionPlotRange(const std::shared_ptr<const PEPlotRange>& otherRange);
    // Ranges that do not meet leave the location, length 0 and an empty range.
    void intersectionPlotRange(const std::shared_ptr<const PEPlotRange>& otherRange);
    void expandRangeByFactor(const NSDecimal& factor);
    // Raise the parameter assertion for a nil range.
    void shiftLocationToFitInRange(const std::shared_ptr<const PEPlotRange>& otherRange);
    void shiftEndToFitInRange(const std::shared_ptr<const PEPlotRange>& otherRange);

private:
    void setLimits(const NSDecimal& newMinimum, const NSDecimal& newMaximum);
};

using PEMutablePlotRangeRef = std::shared_ptr<PEMutablePlotRange>;
