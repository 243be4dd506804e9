#pragma once
// A graph: the bordered layer that holds the plot-area frame, the plots and their plot spaces,
// the title and the theme's styling. layoutAndRenderInContext draws the whole tree: it reloads
// stale plots, relabels the axes, lays every layer out and renders them.

#include "framework/Source/PEBorderedLayer.h"

#include <vector>

class PEAxisSet;
class PELayerAnnotation;
class PELegend;
class PEPlot;
class PEPlotAreaFrame;
class PEPlotSpace;
class PETextStyle;
class PETheme;

class PEGraph : public PEBorderedLayer {
    NS_OBJECT(PEGraph, PEBorderedLayer)
public:
    const std::shared_ptr<PEPlotAreaFrame>& plotAreaFrame() const { return m_plotAreaFrame; }
    std::shared_ptr<PEAxisSet> axisSet() const;
    void setAxisSet(const std::shared_ptr<PEAxisSet>& axisSet);

    // Plot spaces.
    std::shared_ptr<PEPlotSpace> defaultPlotSpace() const { return m_plotSpaces.empty() ? nullptr : m_plotSpaces.front(); }
    const std::vector<std::shared_ptr<PEPlotSpace>>& allPlotSpaces() const { return m_plotSpaces; }
    void addPlotSpace(const std::shared_ptr<PEPlotSpace>& space);
    void removePlotSpace(const std::shared_ptr<PEPlotSpace>& space);

    // Plots.
    const std::vector<std::shared_ptr<PEPlot>>& allPlots() const { return m_plots; }
    void addPlot(const std::shared_ptr<PEPlot>& plot);
    void addPlot(const std::shared_ptr<PEPlot>& plot, const std::shared_ptr<PEPlotSpace>& space);
    void insertPlot(const std::shared_ptr<PEPlot>& plot, NSUInteger index);
    void insertPlot(const std::shared_ptr<PEPlot>& plot, NSUInteger index, const std::shared_ptr<PEPlotSpace>& space);
    void removePlot(const std::shared_ptr<PEPlot>& plot);
    void reloadData();
    void reloadDataIfNeeded();

    // Drawing.
    void layoutAndRenderInContext(const CGContextRef& context);
    // Lays out every layer of the tree, top down, and hands each the graph's scale.
    void layoutEntireTree();
    void applyTheme(const std::shared_ptr<PETheme>& theme);

    // Paddings also mark the axes for display.
    void setPaddingLeft(CGFloat padding) override;
    void setPaddingTop(CGFloat padding) override;
    void setPaddingRight(CGFloat padding) override;
    void setPaddingBottom(CGFloat padding) override;

    // Title.
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title);
    const std::shared_ptr<PETextStyle>& titleTextStyle() const { return m_titleTextStyle; }
    void setTitleTextStyle(const std::shared_ptr<PETextStyle>& style);
    CGPoint titleDisplacement() const { return m_titleDisplacement; }
    void setTitleDisplacement(CGPoint displacement);
    PERectAnchor titlePlotAreaFrameAnchor() const { return m_titlePlotAreaFrameAnchor; }
    void setTitlePlotAreaFrameAnchor(PERectAnchor anchor);
    const std::shared_ptr<PELayerAnnotation>& titleAnnotation() const { return m_titleAnnotation; }

    // Legend, placed by a layer annotation on the graph.
    const std::shared_ptr<PELegend>& legend() const { return m_legend; }
    void setLegend(const std::shared_ptr<PELegend>& legend);
    PERectAnchor legendAnchor() const { return m_legendAnchor; }
    void setLegendAnchor(PERectAnchor anchor);
    CGPoint legendDisplacement() const { return m_legendDisplacement; }
    void setLegendDisplacement(CGPoint displacement);
    // The point of a content layer that faces inwards from a rectangle anchor.
    static CGPoint contentAnchorPointForRectAnchor(PERectAnchor anchor);
    // The point facing away: a title at the frame's top sits above it.
    static CGPoint outwardAnchorPointForRectAnchor(PERectAnchor anchor);

    const std::vector<int>& topDownLayerOrder() const;
    void setTopDownLayerOrder(const std::vector<int>& order);

    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceUpEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceCancelledEvent(const UIEventRef& event) override;

    // A plot space for a graph of this kind.
    virtual std::shared_ptr<PEPlotSpace> newPlotSpace();
    virtual std::shared_ptr<PEAxisSet> newAxisSet();

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(CGRect frame);
    void init() { init(CGRectZero); }
    bool init(NSCoder& coder);

private:
    enum class EventKind { Down, Up, Dragged, Cancelled };
    bool routeEvent(EventKind kind, const UIEventRef& event, CGPoint point);
    void markAxesForDisplay();

    std::shared_ptr<PEPlotAreaFrame> m_plotAreaFrame;
    std::vector<std::shared_ptr<PEPlotSpace>> m_plotSpaces;
    std::vector<std::shared_ptr<PEPlot>> m_plots;
    NSString m_title;
    std::shared_ptr<PETextStyle> m_titleTextStyle;
    CGPoint m_titleDisplacement {};
    PERectAnchor m_titlePlotAreaFrameAnchor { PERectAnchorTop };
    std::shared_ptr<PELayerAnnotation> m_titleAnnotation;
    std::shared_ptr<PELegend> m_legend;
    std::shared_ptr<PELayerAnnotation> m_legendAnnotation;
    PERectAnchor m_legendAnchor { PERectAnchorBottom };
    CGPoint m_legendDisplacement {};
};

using PEGraphRef = std::shared_ptr<PEGraph>;
