#pragma once
// A position at a fraction of the way from the lower to the upper bound.

#include "framework/Source/PEConstraints.h"

class _PEConstraintsRelative : public PEConstraints {
    NS_OBJECT(_PEConstraintsRelative, PEConstraints)
public:
    double offset() const { return m_offset; }

    bool isEqualToConstraint(const std::shared_ptr<const PEConstraints>& otherConstraint) const override;
    // lower + (upper - lower) * offset, rounded once.
    double positionForLowerBound(double lowerBound, double upperBound) const override;
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(double offset);
    void init(NSCoder& coder);

private:
    double m_offset { 0 };
};
