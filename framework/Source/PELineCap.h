#pragma once
// A shape drawn at the end of a line (arrow heads and markers), turned to point along the line.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGContext.h"

class PEFill;
class PELineStyle;

enum PELineCapType : std::int32_t {
    PELineCapTypeNone = 0,
    PELineCapTypeOpenArrow = 1,
    PELineCapTypeSolidArrow = 2,
    PELineCapTypeSweptArrow = 3,
    PELineCapTypeRectangle = 4,
    PELineCapTypeEllipse = 5,
    PELineCapTypeDiamond = 6,
    PELineCapTypePentagon = 7,
    PELineCapTypeHexagon = 8,
    PELineCapTypeBar = 9,
    PELineCapTypeCross = 10,
    PELineCapTypeSnow = 11,
    PELineCapTypeCustom = 12,
};

class PELineCap : public NSObject, public NSCoding {
    NS_OBJECT(PELineCap, NSObject)
public:
    static std::shared_ptr<PELineCap> lineCap() { return create(); }
    static std::shared_ptr<PELineCap> openArrowPlotLineCap() { return withType(PELineCapTypeOpenArrow); }
    static std::shared_ptr<PELineCap> solidArrowPlotLineCap() { return withType(PELineCapTypeSolidArrow); }
    static std::shared_ptr<PELineCap> sweptArrowPlotLineCap() { return withType(PELineCapTypeSweptArrow); }
    static std::shared_ptr<PELineCap> rectanglePlotLineCap() { return withType(PELineCapTypeRectangle); }
    static std::shared_ptr<PELineCap> ellipsePlotLineCap() { return withType(PELineCapTypeEllipse); }
    static std::shared_ptr<PELineCap> diamondPlotLineCap() { return withType(PELineCapTypeDiamond); }
    static std::shared_ptr<PELineCap> pentagonPlotLineCap() { return withType(PELineCapTypePentagon); }
    static std::shared_ptr<PELineCap> hexagonPlotLineCap() { return withType(PELineCapTypeHexagon); }
    static std::shared_ptr<PELineCap> barPlotLineCap() { return withType(PELineCapTypeBar); }
    static std::shared_ptr<PELineCap> crossPlotLineCap() { return withType(PELineCapTypeCross); }
    static std::shared_ptr<PELineCap> snowPlotLineCap() { return withType(PELineCapTypeSnow); }
    static std::shared_ptr<PELineCap> customLineCapWithPath(const CGPathRef& path);

    CGSize size() const { return m_size; }
    void setSize(CGSize size);
    PELineCapType lineCapType() const { return m_lineCapType; }
    void setLineCapType(PELineCapType type);
    const std::shared_ptr<PELineStyle>& lineStyle() const { return m_lineStyle; }
    void setLineStyle(const std::shared_ptr<PELineStyle>& style) { m_lineStyle = style; }
    const std::shared_ptr<PEFill>& fill() const { return m_fill; }
    void setFill(const std::shared_ptr<PEFill>& fill) { m_fill = fill; }
    const CGPathRef& customLineCapPath() const { return m_customLineCapPath; }
    void setCustomLineCapPath(const CGPathRef& path);
    bool usesEvenOddClipRule() const { return m_usesEvenOddClipRule; }
    void setUsesEvenOddClipRule(bool evenOdd) { m_usesEvenOddClipRule = evenOdd; }

    // Built on demand and kept until the size, type or custom path changes.
    CGPathRef cachedLineCapPath();
    CGPathRef newLineCapPath() const;
    // Centred on the point, its +y axis along the direction.
    void renderAsVectorInContext(const CGContextRef& context, CGPoint point, CGPoint direction);

    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init();
    bool init(NSCoder& coder);

private:
    static std::shared_ptr<PELineCap> withType(PELineCapType type);

    CGSize m_size { 5, 5 };
    PELineCapType m_lineCapType { PELineCapTypeNone };
    std::shared_ptr<PELineStyle> m_lineStyle;
    std::shared_ptr<PEFill> m_fill;
    CGPathRef m_customLineCapPath;
    bool m_usesEvenOddClipRule { false };
    CGPathRef m_cachedLineCapPath;
};

using PELineCapRef = std::shared_ptr<PELineCap>;
