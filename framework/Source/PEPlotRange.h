#pragma once
// A one-dimensional interval of data: an exact decimal location and a signed decimal length, so
// the end (location + length) may lie below the location. Double twins of both are kept for the
// fast paths. Immutable; PEMutablePlotRange adds the operations that change it.

#include "framework/Source/PEDefinitions.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/foundation/NSCoder.h"

class NSNumber;
class PEMutablePlotRange;

class PEPlotRange : public NSObject, public NSCoding {
    NS_OBJECT(PEPlotRange, NSObject)
public:
    static std::shared_ptr<PEPlotRange> plotRangeWithLocation(const NSDecimal& location, const NSDecimal& length);
    // Convenience for callers holding doubles (converted as PEDecimalWithDouble converts).
    static std::shared_ptr<PEPlotRange> plotRangeWithLocation(double location, double length);

    const NSDecimal& location() const { return m_location; }
    const NSDecimal& length() const { return m_length; }
    double locationDouble() const { return m_locationDouble; }
    double lengthDouble() const { return m_lengthDouble; }
    NSDecimal end() const;
    double endDouble() const { return m_locationDouble + m_lengthDouble; }
    NSDecimal minLimit() const;
    NSDecimal maxLimit() const;
    double minLimitDouble() const;
    double maxLimitDouble() const;
    NSDecimal midPoint() const;
    double midPointDouble() const { return m_locationDouble + m_lengthDouble / 2; }

    // A range left by the intersection of two ranges that do not meet: it holds nothing, so
    // nothing is contained in it or intersects it, although its location and length (length 0)
    // stay readable.
    bool isEmpty() const { return m_isEmpty; }

    // Both ends inclusive.
    bool contains(const NSDecimal& value) const;
    bool containsDouble(double value) const;
    bool containsRange(const std::shared_ptr<const PEPlotRange>& otherRange) const;
    bool intersectsRange(const std::shared_ptr<const PEPlotRange>& otherRange) const;
    PEPlotRangeComparisonResult compareToDecimal(const NSDecimal& value) const;
    PEPlotRangeComparisonResult compareToDouble(double value) const;
    PEPlotRangeComparisonResult compareToNumber(const std::shared_ptr<NSNumber>& number) const;

    bool isEqualToRange(const std::shared_ptr<const PEPlotRange>& otherRange) const;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    NSString description() const override;

    // An equal immutable range; mutableCopy gives a PEMutablePlotRange.
    id copy() const override;
    id mutableCopy() const override;
    std::shared_ptr<PEPlotRange> copyRange() const;
    std::shared_ptr<PEMutablePlotRange> mutableCopyRange() const;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init();
    void init(const NSDecimal& location, const NSDecimal& length);
    bool init(NSCoder& coder);

    // For the mutable subclass: store a value when it differs and refresh its double twin.
    void setLocation(const NSDecimal& location);
    void setLength(const NSDecimal& length);
    void setEmpty(bool empty) { m_isEmpty = empty; }

private:
    NSDecimal m_location;
    NSDecimal m_length;
    double m_locationDouble { 0 };
    double m_lengthDouble { 0 };
    bool m_isEmpty { false };
};

using PEPlotRangeRef = std::shared_ptr<PEPlotRange>;
