#pragma once
// Colours as UIKit hands them around: an immutable object over a CGColor in the device RGB or
// gray space. Equal colours compare equal, so views can skip redundant work.

#include "platform/foundation/NSString.h"
#include "platform/graphics/CGColor.h"
#include "platform/text/TextColor.h"

class UIColor : public NSObject, public CGColorProviding {
    NS_OBJECT(UIColor, NSObject)
public:
    static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat alpha);
    static std::shared_ptr<UIColor> colorWithHue(CGFloat hue, CGFloat saturation, CGFloat brightness, CGFloat alpha);
    // Nil for a nil colour.
    static std::shared_ptr<UIColor> colorWithCGColor(const CGColorRef& color);

    static std::shared_ptr<UIColor> clearColor();
    static std::shared_ptr<UIColor> blackColor();
    static std::shared_ptr<UIColor> whiteColor();
    static std::shared_ptr<UIColor> grayColor();
    static std::shared_ptr<UIColor> lightGrayColor();
    static std::shared_ptr<UIColor> darkGrayColor();
    static std::shared_ptr<UIColor> redColor();
    static std::shared_ptr<UIColor> greenColor();
    static std::shared_ptr<UIColor> blueColor();
    static std::shared_ptr<UIColor> cyanColor();
    static std::shared_ptr<UIColor> yellowColor();
    static std::shared_ptr<UIColor> magentaColor();
    static std::shared_ptr<UIColor> orangeColor();
    static std::shared_ptr<UIColor> purpleColor();
    static std::shared_ptr<UIColor> brownColor();
    static std::shared_ptr<UIColor> darkTextColor();
    static std::shared_ptr<UIColor> lightTextColor();
    static std::shared_ptr<UIColor> groupTableViewBackgroundColor();

    std::shared_ptr<UIColor> colorWithAlphaComponent(CGFloat alpha) const;

    CGColorRef CGColor() const override { return m_color; }
    CGFloat alpha() const { return m_color->alpha(); }
    // False when the colour is not in the space asked for, as the platform answers.
    bool getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
    bool getWhite(CGFloat* white, CGFloat* alpha) const;
    bool getHue(CGFloat* hue, CGFloat* saturation, CGFloat* brightness, CGFloat* alpha) const;

    // Makes the colour the fill or stroke colour (set: both) of the current context.
    void setFill() const;
    void setStroke() const;
    void set() const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    NSString description() const override;
    id copy() const override;

protected:
    void init(CGColorRef color) { m_color = std::move(color); }

private:
    CGColorRef m_color;
};

using UIColorRef = std::shared_ptr<UIColor>;
