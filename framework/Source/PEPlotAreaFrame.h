#pragma once
// The bordered layer of a graph that holds its plot area.

#include "framework/Source/PEBorderedLayer.h"

class PEAxisSet;
class PEPlotArea;
class PEPlotGroup;

class PEPlotAreaFrame : public PEBorderedLayer {
    NS_OBJECT(PEPlotAreaFrame, PEBorderedLayer)
public:
    const std::shared_ptr<PEPlotArea>& plotArea() const { return m_plotArea; }
    std::shared_ptr<PEAxisSet> axisSet() const;
    void setAxisSet(const std::shared_ptr<PEAxisSet>& axisSet);
    std::shared_ptr<PEPlotGroup> plotGroup() const;

    void setGraph(const std::shared_ptr<PEGraph>& graph) override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(CGRect frame);
    void init() { init(CGRectZero); }
    bool init(NSCoder& coder);

private:
    std::shared_ptr<PEPlotArea> m_plotArea;
};

using PEPlotAreaFrameRef = std::shared_ptr<PEPlotAreaFrame>;
