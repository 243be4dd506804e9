#pragma once
// The current-context stack of each thread, and image contexts. UIKit-level drawing (strings,
// images, views) draws into the context on top of the stack.

#include "platform/graphics/CGBitmapContext.h"

CGContextRef UIGraphicsGetCurrentContext();
void UIGraphicsPushContext(const CGContextRef& context);
void UIGraphicsPopContext();

// Scale 0 means the main screen's scale.
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
void UIGraphicsBeginImageContext(CGSize size);
// Pops the current context only when it is an image context begun above.
void UIGraphicsEndImageContext();
// The pixels of the current image context and their scale; nil when there is none.
CGImageRef UIGraphicsGetCGImageFromCurrentImageContext(CGFloat* scale);

// The scale that scale 0 stands for. The screen sets it; 2 until then.
CGFloat UIGraphicsGetMainScreenScale();
void UIGraphicsSetMainScreenScale(CGFloat scale);
