#pragma once
// A row of segments, each a title or an image, at most one selected. Lifting the finger on an
// enabled segment selects it and sends value changed when the selection changed. A momentary
// control shows the segment only while touched: the action sees the touched segment as
// selected, and afterwards none is.

#include "platform/text/UIFont.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIImage.h"

#include <variant>
#include <vector>

enum UISegmentedControlStyle : NSInteger {
    UISegmentedControlStylePlain = 0,
    UISegmentedControlStyleBordered = 1,
    UISegmentedControlStyleBar = 2,
    UISegmentedControlStyleBezeled = 3,
};

inline constexpr NSInteger UISegmentedControlNoSegment = -1;

class UISegmentedControl : public UIControl {
    NS_OBJECT(UISegmentedControl, UIControl)
public:
    static constexpr CGFloat kHeight = 29;
    using Item = std::variant<NSString, UIImageRef>;

    NSUInteger numberOfSegments() const { return m_segments.size(); }
    NSInteger selectedSegmentIndex() const { return m_selected; }
    // Out of range selects none. Set in code, it sends no event.
    void setSelectedSegmentIndex(NSInteger index);
    bool isMomentary() const { return m_momentary; }
    void setMomentary(bool momentary);
    UISegmentedControlStyle segmentedControlStyle() const { return m_style; }
    void setSegmentedControlStyle(UISegmentedControlStyle style) { m_style = style; }

    // Segment contents; an index past the end is ignored (or, inserting, appends).
    void insertSegmentWithTitle(const NSString& title, NSUInteger index, bool animated = false);
    void insertSegmentWithImage(const UIImageRef& image, NSUInteger index, bool animated = false);
    void removeSegmentAtIndex(NSUInteger index, bool animated = false);
    void removeAllSegments();
    void setTitle(const NSString& title, NSUInteger segment);
    NSString titleForSegmentAtIndex(NSUInteger segment) const;
    void setImage(const UIImageRef& image, NSUInteger segment);
    UIImageRef imageForSegmentAtIndex(NSUInteger segment) const;
    void setEnabled(bool enabled, NSUInteger segment);
    bool isEnabledForSegmentAtIndex(NSUInteger segment) const;
    using UIControl::setEnabled;
    // 0 shares the width left over equally.
    void setWidth(CGFloat width, NSUInteger segment);
    CGFloat widthForSegmentAtIndex(NSUInteger segment) const;

    const UIFontRef& font() const { return m_font; }
    void setFont(const UIFontRef& font);

    // The segment under a point in the control's coordinates, or UISegmentedControlNoSegment.
    NSInteger segmentAtPoint(CGPoint point) const;
    CGRect rectForSegmentAtIndex(NSUInteger segment) const;

    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override { return sizeThatFits(CGSizeZero); }
    void drawRect(CGRect rect) override;
    void tintColorDidChange() override { setNeedsDisplay(); }
    NSString visibleText() const override;

    bool beginTrackingWithTouch(UITouch& touch, const UIEventRef& event) override;
    bool continueTrackingWithTouch(UITouch& touch, const UIEventRef& event) override;
    void endTrackingWithTouch(UITouch* touch, const UIEventRef& event) override;
    void cancelTrackingWithEvent(const UIEventRef& event) override;

protected:
    void init(CGRect frame) override;
    // Titles (NSString) and images, in order; the frame fits them.
    void init(const std::vector<Item>& items);
    void stateDidChange() override { setNeedsDisplay(); }

private:
    struct Segment {
        NSString title;
        UIImageRef image;
        bool enabled { true };
        CGFloat width { 0 };
    };
    CGSize contentSize(const Segment& segment) const;
    void insert(Segment segment, NSUInteger index);

    std::vector<Segment> m_segments;
    NSInteger m_selected { UISegmentedControlNoSegment };
    NSInteger m_touched { UISegmentedControlNoSegment };
    bool m_momentary { false };
    UISegmentedControlStyle m_style { UISegmentedControlStylePlain };
    UIFontRef m_font;
};

using UISegmentedControlRef = std::shared_ptr<UISegmentedControl>;
