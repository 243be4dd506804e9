#include "framework/Source/PEPlotAreaFrame.h"

#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PEPlotArea.h"

void PEPlotAreaFrame::init(CGRect frame)
{
    PEBorderedLayer::init(frame);
    m_plotArea = PEPlotArea::create(frame);
    addSublayer(m_plotArea);
}

std::shared_ptr<PEAxisSet> PEPlotAreaFrame::axisSet() const { return m_plotArea->axisSet(); }
void PEPlotAreaFrame::setAxisSet(const std::shared_ptr<PEAxisSet>& axisSet) { m_plotArea->setAxisSet(axisSet); }
std::shared_ptr<PEPlotGroup> PEPlotAreaFrame::plotGroup() const { return m_plotArea->plotGroup(); }

void PEPlotAreaFrame::setGraph(const std::shared_ptr<PEGraph>& graph)
{
    PEBorderedLayer::setGraph(graph);
    m_plotArea->setGraph(graph);
}

void PEPlotAreaFrame::encodeWithCoder(NSCoder& coder) const
{
    PEBorderedLayer::encodeWithCoder(coder);
    coder.encodeObject(m_plotArea, "PEPlotAreaFrame.plotArea");
}

bool PEPlotAreaFrame::init(NSCoder& coder)
{
    if (!PEBorderedLayer::init(coder))
        return false;
    m_plotArea = coder.decodeObjectOfClass<PEPlotArea>("PEPlotAreaFrame.plotArea");
    if (!m_plotArea)
        m_plotArea = PEPlotArea::create(bounds());
    addSublayer(m_plotArea);
    return true;
}
