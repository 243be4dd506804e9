#include "library/widgets/minutescalendar/UIView_convenience.h"

#include <algorithm>

namespace UIView_convenience {

CGPoint frameOrigin(const UIView& view) { return view.frame().origin; }
CGSize frameSize(const UIView& view) { return view.frame().size; }
CGFloat frameX(const UIView& view) { return view.frame().origin.x; }
CGFloat frameY(const UIView& view) { return view.frame().origin.y; }
CGFloat frameWidth(const UIView& view) { return view.frame().size.width; }
CGFloat frameHeight(const UIView& view) { return view.frame().size.height; }
CGFloat frameRight(const UIView& view) { return frameX(view) + frameWidth(view); }
CGFloat frameBottom(const UIView& view) { return frameY(view) + frameHeight(view); }

void setFrameOrigin(UIView& view, CGPoint origin)
{
    CGRect frame = view.frame();
    frame.origin = origin;
    view.setFrame(frame);
}

void setFrameSize(UIView& view, CGSize size)
{
    CGRect frame = view.frame();
    frame.size = size;
    view.setFrame(frame);
}

void setFrameX(UIView& view, CGFloat x) { setFrameOrigin(view, CGPointMake(x, frameY(view))); }
void setFrameY(UIView& view, CGFloat y) { setFrameOrigin(view, CGPointMake(frameX(view), y)); }
void setFrameWidth(UIView& view, CGFloat width) { setFrameSize(view, CGSizeMake(width, frameHeight(view))); }
void setFrameHeight(UIView& view, CGFloat height) { setFrameSize(view, CGSizeMake(frameWidth(view), height)); }
void setFrameRight(UIView& view, CGFloat right) { setFrameX(view, right - frameWidth(view)); }
void setFrameBottom(UIView& view, CGFloat bottom) { setFrameY(view, bottom - frameHeight(view)); }

bool containsSubView(const UIView& view, const UIView& subview)
{
    const auto& subviews = view.subviews();
    return std::any_of(subviews.begin(), subviews.end(), [&](const UIViewRef& each) { return each.get() == &subview; });
}

bool containsSubViewOfClassType(const UIView& view, const std::type_info& type)
{
    const auto& subviews = view.subviews();
    return std::any_of(subviews.begin(), subviews.end(), [&](const UIViewRef& each) {
        const UIView* subview = each.get();
        return subview && typeid(*subview) == type;
    });
}

} // namespace UIView_convenience
