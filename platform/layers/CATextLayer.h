#pragma once
// A layer that draws a string in its bounds from the top: plain text in the layer's font, size,
// colour and alignment, or attributed text with its own attributes. Unwrapped text stays on one
// line, cut off or truncated as truncationMode says. It draws through the text engine into its
// backing store, at the contentsScale, so set that to the screen's scale for sharp text.

#include "platform/layers/CALayer.h"
#include "platform/text/NSAttributedString.h"

inline constexpr const char* kCATruncationNone = "none";
inline constexpr const char* kCATruncationStart = "start";
inline constexpr const char* kCATruncationEnd = "end";
inline constexpr const char* kCATruncationMiddle = "middle";
inline constexpr const char* kCAAlignmentNatural = "natural";
inline constexpr const char* kCAAlignmentLeft = "left";
inline constexpr const char* kCAAlignmentRight = "right";
inline constexpr const char* kCAAlignmentCenter = "center";
inline constexpr const char* kCAAlignmentJustified = "justified";

class CATextLayer : public CALayer {
    NS_OBJECT(CATextLayer, CALayer)
public:
    static std::shared_ptr<CATextLayer> layer() { return create(); }

    // An NSString or an NSAttributedString.
    const id& string() const { return m_textProperties.string; }
    void setString(const id& string);
    void setString(const NSString& string) { setString(static_cast<id>(string)); }
    // A UIFont or a font name; its size is not used, fontSize is.
    const id& font() const { return m_textProperties.font; }
    void setFont(const id& font);
    CGFloat fontSize() const { return m_textProperties.fontSize; }
    void setFontSize(CGFloat size);
    const CGColorRef& foregroundColor() const { return m_textProperties.foregroundColor; }
    void setForegroundColor(const CGColorRef& color);
    bool isWrapped() const { return m_textProperties.wrapped; }
    void setWrapped(bool wrapped);
    const NSString& truncationMode() const { return m_textProperties.truncationMode; }
    void setTruncationMode(const NSString& mode);
    const NSString& alignmentMode() const { return m_textProperties.alignmentMode; }
    void setAlignmentMode(const NSString& mode);

    void drawInContext(const CGContextRef& context) override;
    id valueForKey(const NSString& key) const override;
    void setValue(const id& value, const NSString& key) override;
    bool needsDisplayForKey(const NSString& key) const override;
    id defaultActionForKey(const NSString& key) const override;

protected:
    void init();
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }

private:
    std::shared_ptr<NSAttributedString> attributedText() const;

    // Everything a presentation copy copies, in one assignment.
    struct Properties {
        id string;
        id font { NSString("Helvetica") };
        CGFloat fontSize { 36 };
        CGColorRef foregroundColor { CGColorCreateGenericRGB(1, 1, 1, 1) };
        bool wrapped { false };
        NSString truncationMode { kCATruncationNone };
        NSString alignmentMode { kCAAlignmentNatural };
    };
    Properties m_textProperties;
};
