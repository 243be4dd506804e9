#pragma once
// The plain layer of the plot area that holds the plots as its sublayers.

#include "framework/Source/PELayer.h"

class PEPlot;

class PEPlotGroup : public PELayer {
    NS_OBJECT(PEPlotGroup, PELayer)
public:
    // Raise the parameter assertion for a nil plot or an index past the end.
    void addPlot(const std::shared_ptr<PEPlot>& plot);
    void insertPlot(const std::shared_ptr<PEPlot>& plot, NSUInteger index);
    // Only a plot of this group is removed.
    void removePlot(const std::shared_ptr<PEPlot>& plot);

    void renderAsVectorInContext(const CGContextRef&) override { }

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    bool init(NSCoder& coder);
};
