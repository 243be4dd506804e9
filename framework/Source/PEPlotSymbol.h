#pragma once
// The marker a plot draws at a data point: one of the built-in shapes or a caller's path, sized in
// points, outlined, filled and shadowed. It keeps the shape's path and, for fast rendering, a
// bitmap of the drawn symbol at one scale; setters drop what they make stale.
//
// The anchor point is the point of the symbol that sits on the data point, in both drawing
// modes. A custom path is centred on its bounding box and scaled to the size; an extent of zero
// (a dash, a dot) is centred and left unscaled.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGLayer.h"
#include "platform/graphics/CGPath.h"

class PEFill;
class PELineStyle;
class PEShadow;

enum PEPlotSymbolType : std::int32_t {
    PEPlotSymbolTypeNone = 0,
    PEPlotSymbolTypeRectangle,
    PEPlotSymbolTypeEllipse,
    PEPlotSymbolTypeDiamond,
    PEPlotSymbolTypeTriangle,
    PEPlotSymbolTypeStar,
    PEPlotSymbolTypePentagon,
    PEPlotSymbolTypeHexagon,
    PEPlotSymbolTypeCross,
    PEPlotSymbolTypePlus,
    PEPlotSymbolTypeDash,
    PEPlotSymbolTypeSnow,
    PEPlotSymbolTypeCustom,
};

class PEPlotSymbol : public NSObject, public NSCoding {
    NS_OBJECT(PEPlotSymbol, NSObject)
public:
    static std::shared_ptr<PEPlotSymbol> plotSymbol() { return create(); }
    static std::shared_ptr<PEPlotSymbol> rectanglePlotSymbol() { return symbolOfType(PEPlotSymbolTypeRectangle); }
    static std::shared_ptr<PEPlotSymbol> ellipsePlotSymbol() { return symbolOfType(PEPlotSymbolTypeEllipse); }
    static std::shared_ptr<PEPlotSymbol> diamondPlotSymbol() { return symbolOfType(PEPlotSymbolTypeDiamond); }
    static std::shared_ptr<PEPlotSymbol> trianglePlotSymbol() { return symbolOfType(PEPlotSymbolTypeTriangle); }
    static std::shared_ptr<PEPlotSymbol> starPlotSymbol() { return symbolOfType(PEPlotSymbolTypeStar); }
    static std::shared_ptr<PEPlotSymbol> pentagonPlotSymbol() { return symbolOfType(PEPlotSymbolTypePentagon); }
    static std::shared_ptr<PEPlotSymbol> hexagonPlotSymbol() { return symbolOfType(PEPlotSymbolTypeHexagon); }
    static std::shared_ptr<PEPlotSymbol> crossPlotSymbol() { return symbolOfType(PEPlotSymbolTypeCross); }
    static std::shared_ptr<PEPlotSymbol> plusPlotSymbol() { return symbolOfType(PEPlotSymbolTypePlus); }
    static std::shared_ptr<PEPlotSymbol> dashPlotSymbol() { return symbolOfType(PEPlotSymbolTypeDash); }
    static std::shared_ptr<PEPlotSymbol> snowPlotSymbol() { return symbolOfType(PEPlotSymbolTypeSnow); }
    static std::shared_ptr<PEPlotSymbol> customPlotSymbolWithPath(const CGPathRef& path);

    CGPoint anchorPoint() const { return m_anchorPoint; }
    void setAnchorPoint(CGPoint point) { m_anchorPoint = point; }
    CGSize size() const { return m_size; }
    void setSize(CGSize size);
    PEPlotSymbolType symbolType() const { return m_symbolType; }
    void setSymbolType(PEPlotSymbolType type);
    const std::shared_ptr<PELineStyle>& lineStyle() const { return m_lineStyle; }
    void setLineStyle(const std::shared_ptr<PELineStyle>& style);
    const std::shared_ptr<PEFill>& fill() const { return m_fill; }
    void setFill(const std::shared_ptr<PEFill>& fill);
    const std::shared_ptr<PEShadow>& shadow() const { return m_shadow; }
    void setShadow(const std::shared_ptr<PEShadow>& shadow);
    const CGPathRef& customSymbolPath() const { return m_customSymbolPath; }
    void setCustomSymbolPath(const CGPathRef& path);
    bool usesEvenOddClipRule() const { return m_usesEvenOddClipRule; }
    void setUsesEvenOddClipRule(bool evenOdd);

    // Caches.
    CGPathRef cachedSymbolPath();
    void setCachedSymbolPath(const CGPathRef& path);
    const CGLayerRef& cachedLayer() const { return m_cachedLayer; }
    void setCachedLayer(const CGLayerRef& layer) { m_cachedLayer = layer; }
    CGFloat cachedScale() const { return m_cachedScale; }

    CGPathRef newSymbolPath() const;
    void renderInContext(const CGContextRef& context, CGPoint center, CGFloat scale, bool alignToPixels);
    void renderAsVectorInContext(const CGContextRef& context, CGPoint center, CGFloat scale);

    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init();
    bool init(NSCoder& coder);

private:
    static std::shared_ptr<PEPlotSymbol> symbolOfType(PEPlotSymbolType type);
    bool isClosedShape() const;
    bool isOpenStroke() const;

    CGPoint m_anchorPoint { 0.5, 0.5 };
    CGSize m_size { 5.0, 5.0 };
    PEPlotSymbolType m_symbolType { PEPlotSymbolTypeNone };
    std::shared_ptr<PELineStyle> m_lineStyle;
    std::shared_ptr<PEFill> m_fill;
    CGPathRef m_cachedSymbolPath;
    CGPathRef m_customSymbolPath;
    bool m_usesEvenOddClipRule { false };
    CGLayerRef m_cachedLayer;
    CGFloat m_cachedScale { 0 };
    std::shared_ptr<PEShadow> m_shadow;
};

using PEPlotSymbolRef = std::shared_ptr<PEPlotSymbol>;
