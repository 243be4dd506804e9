#pragma once
// The layer holding a graph's axes; it strokes the border of the plot-area frame.

#include "framework/Source/PELayer.h"

#include <vector>

class PEAxis;
class PELineStyle;

class PEAxisSet : public PELayer {
    NS_OBJECT(PEAxisSet, PELayer)
public:
    const std::vector<std::shared_ptr<PEAxis>>& axes() const { return m_axes; }
    void setAxes(std::vector<std::shared_ptr<PEAxis>> axes);
    // The index-th axis of the coordinate in array order, or nil.
    std::shared_ptr<PEAxis> axisForCoordinate(PECoordinate coordinate, NSUInteger index) const;
    const std::shared_ptr<PELineStyle>& borderLineStyle() const { return m_borderLineStyle; }
    void setBorderLineStyle(const std::shared_ptr<PELineStyle>& style);

    void setGraph(const std::shared_ptr<PEGraph>& graph) override;
    void relabelAxes();
    void layoutSublayers() override;

    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    bool init(NSCoder& coder);

private:
    std::vector<std::shared_ptr<PEAxis>> m_axes;
    std::shared_ptr<PELineStyle> m_borderLineStyle;
};

using PEAxisSetRef = std::shared_ptr<PEAxisSet>;
