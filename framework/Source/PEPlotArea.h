#pragma once
// The layer inside the plot-area frame that stacks six layers (minor and major grid lines, axis
// set, plot group, axis labels, axis titles) in the order topDownLayerOrder gives, paints the
// plot-area fill and the axes' bands beneath them, and reports taps to its delegate.

#include "framework/Source/PEAnnotationHostLayer.h"

#include <array>
#include <vector>

class PEAxis;
class PEAxisLabelGroup;
class PEAxisSet;
class PEFill;
class PEGridLineGroup;
class PELineStyle;
class PEPlotArea;
class PEPlotGroup;

class PEPlotAreaDelegate {
public:
    virtual ~PEPlotAreaDelegate() = default;
    virtual void plotAreaWasSelected(PEPlotArea&) { }
    virtual void plotAreaWasSelected(PEPlotArea&, const UIEventRef&) { }
};

class PEPlotArea : public PEAnnotationHostLayer {
    NS_OBJECT(PEPlotArea, PEAnnotationHostLayer)
public:
    const std::shared_ptr<PEGridLineGroup>& minorGridLineGroup() const { return m_minorGridLineGroup; }
    void setMinorGridLineGroup(const std::shared_ptr<PEGridLineGroup>& group);
    const std::shared_ptr<PEGridLineGroup>& majorGridLineGroup() const { return m_majorGridLineGroup; }
    void setMajorGridLineGroup(const std::shared_ptr<PEGridLineGroup>& group);
    const std::shared_ptr<PEAxisSet>& axisSet() const { return m_axisSet; }
    void setAxisSet(const std::shared_ptr<PEAxisSet>& axisSet);
    const std::shared_ptr<PEPlotGroup>& plotGroup() const { return m_plotGroup; }
    void setPlotGroup(const std::shared_ptr<PEPlotGroup>& group);
    const std::shared_ptr<PEAxisLabelGroup>& axisLabelGroup() const { return m_axisLabelGroup; }
    void setAxisLabelGroup(const std::shared_ptr<PEAxisLabelGroup>& group);
    const std::shared_ptr<PEAxisLabelGroup>& axisTitleGroup() const { return m_axisTitleGroup; }
    void setAxisTitleGroup(const std::shared_ptr<PEAxisLabelGroup>& group);
    const std::shared_ptr<PEFill>& fill() const { return m_fill; }
    void setFill(const std::shared_ptr<PEFill>& fill);
    std::shared_ptr<PELineStyle> borderLineStyle() const;
    void setBorderLineStyle(const std::shared_ptr<PELineStyle>& style);
    std::shared_ptr<PEPlotAreaDelegate> plotAreaDelegate() const { return m_delegate.lock(); }
    void setPlotAreaDelegate(const std::shared_ptr<PEPlotAreaDelegate>& delegate) { m_delegate = delegate; }

    // Layer types, top-most first. Only the first six distinct types of 0...5 count; other
    // entries are ignored.
    const std::vector<int>& topDownLayerOrder() const { return m_topDownLayerOrder; }
    void setTopDownLayerOrder(const std::vector<int>& order);
    const std::array<PEPlotAreaLayerType, PEPlotAreaLayerTypeCount>& bottomUpLayerOrder() const { return m_bottomUpLayerOrder; }
    bool isUpdatingLayers() const { return m_updatingLayers; }
    void updateLayerOrder();
    NSUInteger indexForLayerType(PEPlotAreaLayerType type) const;
    void updateAxisSetLayersForType(PEPlotAreaLayerType type);
    void setAxisSetLayersForType(PEPlotAreaLayerType type);
    NSUInteger sublayerIndexForAxis(const std::shared_ptr<PEAxis>& axis, PEPlotAreaLayerType type) const;

    void setGraph(const std::shared_ptr<PEGraph>& graph) override;
    void renderAsVectorInContext(const CGContextRef& context) override;
    void layoutSublayers() override;
    std::optional<LayerSet> sublayersExcludedFromAutomaticLayout() const override;
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    void init() { init(CGRectZero); }
    bool init(NSCoder& coder);

private:
    std::shared_ptr<CALayer> layerForType(PEPlotAreaLayerType type) const;
    void installLayer(std::shared_ptr<CALayer> current, const std::shared_ptr<CALayer>& layer, PEPlotAreaLayerType type);

    std::shared_ptr<PEGridLineGroup> m_minorGridLineGroup;
    std::shared_ptr<PEGridLineGroup> m_majorGridLineGroup;
    std::shared_ptr<PEAxisSet> m_axisSet;
    std::shared_ptr<PEPlotGroup> m_plotGroup;
    std::shared_ptr<PEAxisLabelGroup> m_axisLabelGroup;
    std::shared_ptr<PEAxisLabelGroup> m_axisTitleGroup;
    std::shared_ptr<PEFill> m_fill;
    std::vector<int> m_topDownLayerOrder;
    std::array<PEPlotAreaLayerType, PEPlotAreaLayerTypeCount> m_bottomUpLayerOrder {
        PEPlotAreaLayerTypeMinorGridLines, PEPlotAreaLayerTypeMajorGridLines, PEPlotAreaLayerTypeAxisLines,
        PEPlotAreaLayerTypePlots, PEPlotAreaLayerTypeAxisLabels, PEPlotAreaLayerTypeAxisTitles,
    };
    bool m_updatingLayers { false };
    std::weak_ptr<PEPlotAreaDelegate> m_delegate;
};

using PEPlotAreaRef = std::shared_ptr<PEPlotArea>;
