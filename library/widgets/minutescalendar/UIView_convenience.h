#pragma once
// A view's frame a part at a time, and what its direct subviews are.

#include "platform/uikit/UIView.h"

#include <typeinfo>

namespace UIView_convenience {

CGPoint frameOrigin(const UIView& view);
CGSize frameSize(const UIView& view);
CGFloat frameX(const UIView& view);
CGFloat frameY(const UIView& view);
CGFloat frameWidth(const UIView& view);
CGFloat frameHeight(const UIView& view);
// x + width, y + height.
CGFloat frameRight(const UIView& view);
CGFloat frameBottom(const UIView& view);

// Each replaces one part of the frame and keeps the rest.
void setFrameOrigin(UIView& view, CGPoint origin);
void setFrameSize(UIView& view, CGSize size);
void setFrameX(UIView& view, CGFloat x);
void setFrameY(UIView& view, CGFloat y);
void setFrameWidth(UIView& view, CGFloat width);
void setFrameHeight(UIView& view, CGFloat height);
// Moves the view so that its right edge, or its bottom, is there.
void setFrameRight(UIView& view, CGFloat right);
void setFrameBottom(UIView& view, CGFloat bottom);

// Whether a direct subview is that view.
bool containsSubView(const UIView& view, const UIView& subview);
// Whether a direct subview is of exactly that class (a subclass does not count).
bool containsSubViewOfClassType(const UIView& view, const std::type_info& type);

} // namespace UIView_convenience
