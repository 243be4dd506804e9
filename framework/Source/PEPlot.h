#pragma once
// The abstract plot layer: what the graph, the plot spaces and the legend need of a plot. Plot
// types derive from it and pull their figures from data sources; this base holds the plot space
// and answers no data.

#include "framework/Source/PEAnnotationHostLayer.h"
#include "platform/text/NSAttributedString.h"

class PELegend;
class PEPlotRange;
class PEPlotSpace;

class PEPlot : public PEAnnotationHostLayer {
    NS_OBJECT(PEPlot, PEAnnotationHostLayer)
public:
    const std::shared_ptr<PEPlotSpace>& plotSpace() const { return m_plotSpace; }
    virtual void setPlotSpace(const std::shared_ptr<PEPlotSpace>& space);

    // Pull model: marks the cached figures stale / reloads them when stale.
    virtual void reloadData() { m_needsReload = false; }
    virtual void reloadDataIfNeeded()
    {
        if (m_needsReload)
            reloadData();
    }
    void setDataNeedsReloading() { m_needsReload = true; }
    bool dataNeedsReloading() const { return m_needsReload; }

    // The data extent along a coordinate; nil when unknown.
    virtual std::shared_ptr<PEPlotRange> plotRangeForCoordinate(PECoordinate coordinate) const;

    // Legend hooks: entries, their titles and swatches. By default one entry titled by the
    // identifier when it is text.
    virtual NSUInteger numberOfLegendEntries() const { return 1; }
    virtual NSString titleForLegendEntryAtIndex(NSUInteger index) const;
    // A title with its own attributes; nil by default (the plain title is used).
    virtual std::shared_ptr<NSAttributedString> attributedTitleForLegendEntryAtIndex(NSUInteger index) const;
    virtual void drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context);

protected:
    void init(CGRect frame);

private:
    std::shared_ptr<PEPlotSpace> m_plotSpace;
    bool m_needsReload { true };
};

using PEPlotRef = std::shared_ptr<PEPlot>;
