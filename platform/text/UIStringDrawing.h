#pragma once
// UIKit's older string measuring and drawing with a font (NSString(UIStringDrawing)). Lines
// wrap in every line break mode; a truncating mode cuts the last line that fits. Sizes are
// rounded up to whole points, as these calls answer them. Drawing goes to the current UIKit
// context, in the context's fill colour.

#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"

namespace UIStringDrawing {

// One line per paragraph, however long.
CGSize sizeWithFont(const NSString& text, const UIFontRef& font);
CGSize sizeWithFont(const NSString& text, const UIFontRef& font, CGSize constrainedToSize);
CGSize sizeWithFont(const NSString& text, const UIFontRef& font, CGSize constrainedToSize, NSLineBreakMode lineBreakMode);
CGSize sizeWithFont(const NSString& text, const UIFontRef& font, CGFloat forWidth, NSLineBreakMode lineBreakMode);

CGSize drawAtPoint(const NSString& text, CGPoint point, const UIFontRef& font);
CGSize drawAtPoint(const NSString& text, CGPoint point, CGFloat forWidth, const UIFontRef& font, NSLineBreakMode lineBreakMode);
CGSize drawInRect(const NSString& text, CGRect rect, const UIFontRef& font);
CGSize drawInRect(const NSString& text, CGRect rect, const UIFontRef& font, NSLineBreakMode lineBreakMode);
CGSize drawInRect(const NSString& text, CGRect rect, const UIFontRef& font, NSLineBreakMode lineBreakMode, NSTextAlignment alignment);

} // namespace UIStringDrawing
