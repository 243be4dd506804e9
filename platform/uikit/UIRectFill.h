#pragma once
// Filling rectangles of the current context with its fill colour, as views' drawRect code does.

#include "platform/graphics/CGContext.h"

// Fills with the copy blend mode: the rectangle takes the fill colour, alpha included.
void UIRectFill(CGRect rect);
void UIRectFillUsingBlendMode(CGRect rect, CGBlendMode blendMode);
