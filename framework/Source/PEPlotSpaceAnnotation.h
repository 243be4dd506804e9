#pragma once
// Places its content at a point in data coordinates of a plot space (a plot's data labels). It
// follows the plot space's mapping at the host's next layout.

#include "framework/Source/PEAnnotation.h"
#include "platform/foundation/NSDecimal.h"

#include <vector>

class NSNumber;
class PEPlotSpace;

class PEPlotSpaceAnnotation : public PEAnnotation {
    NS_OBJECT(PEPlotSpaceAnnotation, PEAnnotation)
public:
    ~PEPlotSpaceAnnotation() override;

    const std::shared_ptr<PEPlotSpace>& plotSpace() const { return m_plotSpace; }
    // One number per plot-space coordinate; nil entries count as 0.
    const std::vector<std::shared_ptr<NSNumber>>& anchorPlotPoint() const { return m_anchorPlotPoint; }
    void setAnchorPlotPoint(const std::vector<std::shared_ptr<NSNumber>>& point);
    void setContentNeedsLayout();
    void positionContentLayer() override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithPlotSpace:anchorPlotPoint: refuses a nil plot space with the parameter assertion.
    void init(const std::shared_ptr<PEPlotSpace>& plotSpace, const std::vector<std::shared_ptr<NSNumber>>& anchorPlotPoint);
    void init();
    // Decoded annotations follow their plot space as made ones do.
    bool init(NSCoder& coder);

private:
    std::shared_ptr<PEPlotSpace> m_plotSpace;
    std::vector<std::shared_ptr<NSNumber>> m_anchorPlotPoint;
};
