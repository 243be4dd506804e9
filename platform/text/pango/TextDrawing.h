#pragma once
// Text drawn on a graphics context: with the context's shadow, mask and alpha, its fill colour
// as the source for text that takes the context's colour.

#include "platform/graphics/cairo/CairoBackend.h"

#include <functional>

namespace TextDrawing {
void drawInContext(const CGContextRef& context, const std::function<void(cairo_t*)>& draw);
} // namespace TextDrawing
