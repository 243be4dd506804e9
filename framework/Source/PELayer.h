#pragma once
// The engine's base layer: paddings, the graph it belongs to, an identifier, a shadow, pixel
// alignment and the engine's drawing entry, renderAsVectorInContext, which every engine layer
// overrides and which calls the inherited form first.
//
// The engine draws its layers itself (layoutAndRenderInContext of the graph, through
// recursivelyRenderInContext), in the engine's geometry where y grows upwards. A layer that
// throws while drawing is logged and left out of the frame with its sublayers; the rest draws.
//
// setNeedsDisplay and setNeedsLayout of a layer that belongs to a graph post
// "PEGraphNeedsRedrawNotification" with the graph, which the hosting view coalesces into one
// redraw. Requests made while the tree is being drawn do not post again.

#include "framework/Source/PEDefinitions.h"
#include "framework/Source/PEResponder.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSValue.h"
#include "platform/layers/CALayer.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <unordered_set>

class PEGraph;
class PEShadow;

class PELayer : public CALayer, public PEResponder, public NSCoding {
    NS_OBJECT(PELayer, CALayer)
public:
    using LayerSet = std::unordered_set<std::shared_ptr<CALayer>>;

    static std::shared_ptr<PELayer> layerWithFrame(CGRect frame) { return create(frame); }

    // Drawing.
    virtual void renderAsVectorInContext(const CGContextRef& context);
    // Draws this layer and its sublayers, each in its own coordinates.
    void recursivelyRenderInContext(const CGContextRef& context);
    void drawInContext(const CGContextRef& context) override;
    // True while the layer draws itself for the screen, false for vector output.
    bool useFastRendering() const { return m_useFastRendering; }
    void setUseFastRendering(bool fast) { m_useFastRendering = fast; }
    bool isRenderingRecursively() const { return m_renderingRecursively; }

    // Requests, which also tell the hosting view.
    void setNeedsDisplay();
    void setNeedsLayout();
    void layoutSublayers() override;
    // The sublayers that automatic layout leaves alone; nullopt for none.
    virtual std::optional<LayerSet> sublayersExcludedFromAutomaticLayout() const { return std::nullopt; }
    // The insets of the automatic sublayer frame.
    virtual void sublayerMargin(CGFloat& left, CGFloat& top, CGFloat& right, CGFloat& bottom) const;

    // Geometry: the bounds inside the shadow margin.
    CGRect bounds() const;
    void setBounds(CGRect bounds);
    void setFrame(CGRect frame);
    CGRect frame() const { return CALayer::frame(); }
    void setAnchorPoint(CGPoint anchorPoint);
    CGSize shadowMargin() const;
    // Moves the position so the frame's edges fall on whole device pixels.
    void pixelAlign();
    void setCornerRadius(CGFloat radius);

    CGFloat paddingLeft() const { return m_paddingLeft; }
    CGFloat paddingTop() const { return m_paddingTop; }
    CGFloat paddingRight() const { return m_paddingRight; }
    CGFloat paddingBottom() const { return m_paddingBottom; }
    virtual void setPaddingLeft(CGFloat padding);
    virtual void setPaddingTop(CGFloat padding);
    virtual void setPaddingRight(CGFloat padding);
    virtual void setPaddingBottom(CGFloat padding);

    std::shared_ptr<PEGraph> graph() const { return m_graph.lock(); }
    virtual void setGraph(const std::shared_ptr<PEGraph>& graph);
    const id& identifier() const { return m_identifier; }
    void setIdentifier(const id& identifier);
    const std::shared_ptr<PEShadow>& shadow() const { return m_shadow; }
    void setShadow(const std::shared_ptr<PEShadow>& shadow);
    bool masksToBorder() const { return m_masksToBorder; }
    virtual void setMasksToBorder(bool masks);

    // Clipping paths in the layer's coordinates; null for none.
    virtual CGPathRef maskingPath();
    virtual CGPathRef sublayerMaskingPath();
    // Whether the layer's mask clips its own drawing too, or only its sublayers.
    virtual bool maskClipsOwnDrawing() const { return true; }

    // Touches: the base layer is the end of every chain.
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceUpEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    bool pointingDeviceCancelledEvent(const UIEventRef& event) override;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init();
    void init(CGRect frame);
    bool init(NSCoder& coder);
    // initWithLayer: a presentation copy carries the engine's own fields of the layer.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }

    // A CGFloat property animations read and write by name. A presentation copy takes a written
    // value into the field alone, so that it does not move what it shares with its model (label
    // annotations, notifications); the model goes through the setter.
    template <class Layer>
    struct FloatKey {
        const char* key;
        CGFloat Layer::*field;
        void (Layer::*setter)(CGFloat);
    };
    template <class Layer>
    static bool isFloatKey(std::span<const FloatKey<Layer>> keys, const NSString& key)
    {
        return std::any_of(keys.begin(), keys.end(), [&](const FloatKey<Layer>& entry) { return key == NSString(entry.key); });
    }
    // The value of a listed key as a number; nil for a key not listed.
    template <class Layer>
    static id valueForFloatKey(const Layer& layer, std::span<const FloatKey<Layer>> keys, const NSString& key)
    {
        for (const auto& entry : keys) {
            if (key == NSString(entry.key))
                return NSNumber::numberWithDouble(layer.*entry.field);
        }
        return nullptr;
    }
    // Whether the key is listed; a listed key takes a number and ignores anything else.
    template <class Layer>
    static bool setValueForFloatKey(Layer& layer, std::span<const FloatKey<Layer>> keys, const id& value, const NSString& key)
    {
        for (const auto& entry : keys) {
            if (key != NSString(entry.key))
                continue;
            if (auto number = ns::cast<NSNumber>(value)) {
                if (layer.isPresentationLayer())
                    layer.*entry.field = number->doubleValue();
                else
                    (layer.*entry.setter)(number->doubleValue());
            }
            return true;
        }
        return false;
    }
    // A point or size property written by name the same way; anything but a box of that
    // encoding is ignored.
    template <class Layer, class Geometry>
    static void setGeometryValue(Layer& layer, Geometry Layer::*field, void (Layer::*setter)(Geometry), const char* encoding, const id& value)
    {
        auto box = ns::cast<NSValue>(value);
        if (!box || std::strcmp(box->typeName(), encoding) != 0)
            return;
        if (layer.isPresentationLayer())
            layer.*field = box->get<Geometry>();
        else
            (layer.*setter)(box->get<Geometry>());
    }

    // Cached border paths; subclasses fill them, bounds changes drop them.
    CGPathRef m_outerBorderPath;
    CGPathRef m_innerBorderPath;

private:
    void postRedrawForGraph();
    void applyMaskInContext(const CGContextRef& context);

    CGFloat m_paddingLeft { 0 };
    CGFloat m_paddingTop { 0 };
    CGFloat m_paddingRight { 0 };
    CGFloat m_paddingBottom { 0 };
    std::weak_ptr<PEGraph> m_graph;
    id m_identifier;
    std::shared_ptr<PEShadow> m_shadow;
    bool m_masksToBorder { false };
    bool m_useFastRendering { false };
    bool m_renderingRecursively { false };
};

using PELayerRef = std::shared_ptr<PELayer>;

// While one exists, engine layers on this thread do not post redraw requests: the tree is being
// laid out or drawn, and the drawing in progress will show the change.
class PERenderingScope {
public:
    PERenderingScope();
    ~PERenderingScope();
    PERenderingScope(const PERenderingScope&) = delete;
    PERenderingScope& operator=(const PERenderingScope&) = delete;
    static bool isRendering();
};
