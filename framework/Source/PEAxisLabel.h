#pragma once
// One label at one tick of an axis: a content layer and the rules that place it beside its tick.
// Labels are equal and hash alike by tick location, so an axis keeps them in a set.

#include "framework/Source/PEDefinitions.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/graphics/CGGeometry.h"

class PELayer;
class PETextStyle;

class PEAxisLabel : public NSObject, public NSCoding {
    NS_OBJECT(PEAxisLabel, NSObject)
public:
    // initWithText:textStyle: makes a text layer as content.
    static std::shared_ptr<PEAxisLabel> labelWithText(const NSString& text, const std::shared_ptr<PETextStyle>& style);

    const std::shared_ptr<PELayer>& contentLayer() const { return m_contentLayer; }
    void setContentLayer(const std::shared_ptr<PELayer>& layer) { m_contentLayer = layer; }
    CGFloat offset() const { return m_offset; }
    void setOffset(CGFloat offset) { m_offset = offset; }
    CGFloat rotation() const { return m_rotation; }
    void setRotation(CGFloat rotation) { m_rotation = rotation; }
    PEAlignment alignment() const { return m_alignment; }
    void setAlignment(PEAlignment alignment) { m_alignment = alignment; }
    const NSDecimal& tickLocation() const { return m_tickLocation; }
    void setTickLocation(const NSDecimal& location) { m_tickLocation = location; }

    // Places the content layer beside the point (in the content's superlayer coordinates), the
    // offset applied along `coordinate` to the side `direction` gives (−1 and 0: towards smaller
    // values). Raise invalid-argument exceptions for other directions and coordinates.
    void positionRelativeToViewPoint(CGPoint point, PECoordinate coordinate, PESign direction);
    void positionBetweenViewPoint(CGPoint first, CGPoint second, PECoordinate coordinate, PESign direction);

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    NSString description() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithContentLayer: refuses nil.
    bool init(const std::shared_ptr<PELayer>& layer);
    bool init(NSCoder& coder);
    static NSUInteger hashOfDouble(double value);

private:
    std::shared_ptr<PELayer> m_contentLayer;
    CGFloat m_offset { 20.0 };
    CGFloat m_rotation { 0.0 };
    PEAlignment m_alignment { PEAlignmentCenter };
    NSDecimal m_tickLocation;
};

using PEAxisLabelRef = std::shared_ptr<PEAxisLabel>;
