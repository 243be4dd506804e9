#pragma once
// A layer that carries annotations: it makes itself their host, keeps their content layers out
// of the automatic layout, re-positions them whenever it lays out, and offers touches to their
// content layers (first added first) before handling them itself.

#include "framework/Source/PELayer.h"

#include <vector>

class PEAnnotation;

class PEAnnotationHostLayer : public PELayer {
    NS_OBJECT(PEAnnotationHostLayer, PELayer)
public:
    ~PEAnnotationHostLayer() override;

    // A snapshot of the list.
    std::vector<std::shared_ptr<PEAnnotation>> annotations() const { return m_mutableAnnotations; }
    void addAnnotation(const std::shared_ptr<PEAnnotation>& annotation);
    // Raises "PEException" for an annotation this layer does not host.
    void removeAnnotation(const std::shared_ptr<PEAnnotation>& annotation);
    void removeAllAnnotations();

    std::optional<LayerSet> sublayersExcludedFromAutomaticLayout() const override;
    void layoutSublayers() override;

    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceUpEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceCancelledEvent(const UIEventRef& event) override;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    bool init(NSCoder& coder);

private:
    enum class EventKind { Down, Up, Dragged };
    bool offerToAnnotations(EventKind kind, const UIEventRef& event, CGPoint interactionPoint);

    std::vector<std::shared_ptr<PEAnnotation>> m_mutableAnnotations;
};

using PEAnnotationHostLayerRef = std::shared_ptr<PEAnnotationHostLayer>;
