#pragma once
// Measuring and drawing strings in an engine text style. Sizes are whole points (rounded up);
// text longer than its rectangle is cut at the last line that fits.

#include "framework/Source/PETextStyle.h"
#include "platform/graphics/CGContext.h"

namespace PETextStyleExtensions {

CGSize sizeWithTextStyle(const NSString& text, const std::shared_ptr<PETextStyle>& style);
// Draws in a context whose y grows downwards (the caller flips the engine's geometry). A style
// without a colour draws nothing. The context is the current drawing context while it draws.
void drawInRect(const NSString& text, CGRect rect, const std::shared_ptr<PETextStyle>& style, const CGContextRef& context);

} // namespace PETextStyleExtensions
