#pragma once
// A position at a fixed distance in points from the lower or from the upper bound.

#include "framework/Source/PEConstraints.h"

class _PEConstraintsFixed : public PEConstraints {
    NS_OBJECT(_PEConstraintsFixed, PEConstraints)
public:
    double offset() const { return m_offset; }
    // True: measured up from the lower bound; false: down from the upper one.
    bool isFixedToLower() const { return m_isFixedToLower; }

    bool isEqualToConstraint(const std::shared_ptr<const PEConstraints>& otherConstraint) const override;
    double positionForLowerBound(double lowerBound, double upperBound) const override;
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(double offset, bool isFixedToLower);
    void init(NSCoder& coder);

private:
    double m_offset { 0 };
    bool m_isFixedToLower { true };
};
