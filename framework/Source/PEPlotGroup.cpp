#include "framework/Source/PEPlotGroup.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEPlot.h"

void PEPlotGroup::addPlot(const std::shared_ptr<PEPlot>& plot)
{
    PEParameterAssert(plot);
    addSublayer(plot);
}

void PEPlotGroup::insertPlot(const std::shared_ptr<PEPlot>& plot, NSUInteger idx)
{
    PEParameterAssert(plot);
    if (!(idx <= sublayers().size()))
        PEParameterAssertionFailed("idx <= [[self sublayers] count]");
    insertSublayer(plot, static_cast<unsigned>(idx));
}

void PEPlotGroup::removePlot(const std::shared_ptr<PEPlot>& plot)
{
    if (plot && plot->superlayer().get() == this)
        plot->removeFromSuperlayer();
}

void PEPlotGroup::encodeWithCoder(NSCoder& coder) const { PELayer::encodeWithCoder(coder); }

bool PEPlotGroup::init(NSCoder& coder)
{
    if (!PELayer::init(coder))
        return false;
    if (coder.containsValueForKey("PEPlotGroup.identifier"))
        setIdentifier(NSCoder_PEExtensions::decodeIdentifierForKey(coder, "PEPlotGroup.identifier"));
    return true;
}
