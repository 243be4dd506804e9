#pragma once
// Drawing attributed strings with their own attributes into a given context.

#include "platform/graphics/CGContext.h"
#include "platform/text/NSAttributedString.h"

namespace PEPlatformSpecificAttributedStringExtensions {

// Draws in a context whose y grows downwards; the context is the current one while it draws.
void drawInRect(const NSAttributedString& text, CGRect rect, const CGContextRef& context);

} // namespace PEPlatformSpecificAttributedStringExtensions
