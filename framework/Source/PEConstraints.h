#pragma once
// Places one value between a lower and an upper bound: a fixed distance up from the lower
// bound, a fixed distance down from the upper bound, or a fraction of the way between them. An
// XY axis pins its line to an edge or a fraction of the plot area with one.
//
// A small class cluster: the factories below answer the private _PEConstraintsFixed and
// _PEConstraintsRelative, and archives name only PEConstraints, which decodes to the kind the
// archive's keys describe.

#include "platform/foundation/NSCoder.h"

class PEConstraints : public NSObject, public NSCoding {
    NS_OBJECT(PEConstraints, NSObject)
public:
    static std::shared_ptr<PEConstraints> constraintWithLowerOffset(double newOffset);
    static std::shared_ptr<PEConstraints> constraintWithUpperOffset(double newOffset);
    // 0 is the lower bound, 1 the upper, 0.5 the middle; values outside 0...1 are not clamped.
    static std::shared_ptr<PEConstraints> constraintWithRelativeOffset(double newOffset);

    // Same kind, same offset (and for fixed ones, the same side). The base answers identity.
    virtual bool isEqualToConstraint(const std::shared_ptr<const PEConstraints>& otherConstraint) const;
    // Raises an internal inconsistency unless lowerBound <= upperBound (a NaN bound included).
    // The base answers NaN.
    virtual double positionForLowerBound(double lowerBound, double upperBound) const;

    // The base has nothing to copy and answers nil; the private kinds answer an equal object.
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;
    const char* classNameForCoder() const override { return "PEConstraints"; }

    // Archives name PEConstraints; this makes the kind the keys describe, or a bare base.
    static id decodeWithCoder(NSCoder& coder);

protected:
    static void assertBounds(double lowerBound, double upperBound);
};
