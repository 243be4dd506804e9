#pragma once
// UIKit's measuring and drawing of strings with attributes (NSString(NSStringDrawing) and
// NSAttributedString(NSStringDrawing)). Sizes are fractional, as these calls answer them. A
// paragraph whose style truncates or clips stays on one line. Drawing goes to the current
// UIKit context; text without a colour is black.

#include "platform/text/NSAttributedString.h"
#include "platform/graphics/CGGeometry.h"

using NSStringDrawingOptions = NSInteger;
enum : NSStringDrawingOptions {
    NSStringDrawingUsesLineFragmentOrigin = 1 << 0,
    NSStringDrawingUsesFontLeading = 1 << 1,
    NSStringDrawingUsesDeviceMetrics = 1 << 3,
    NSStringDrawingTruncatesLastVisibleLine = 1 << 5,
};

namespace NSStringDrawing {

CGSize sizeWithAttributes(const NSString& text, const NSAttributes& attributes);
// Without UsesLineFragmentOrigin the text is one line and the rectangle's origin its baseline,
// so the answer starts above it.
CGRect boundingRectWithSize(const NSString& text, CGSize size, NSStringDrawingOptions options, const NSAttributes& attributes, const id& context);
void drawAtPoint(const NSString& text, CGPoint point, const NSAttributes& attributes);
void drawInRect(const NSString& text, CGRect rect, const NSAttributes& attributes);
void drawWithRect(const NSString& text, CGRect rect, NSStringDrawingOptions options, const NSAttributes& attributes, const id& context);

CGSize size(const std::shared_ptr<NSAttributedString>& text);
CGRect boundingRectWithSize(const std::shared_ptr<NSAttributedString>& text, CGSize size, NSStringDrawingOptions options, const id& context);
void drawAtPoint(const std::shared_ptr<NSAttributedString>& text, CGPoint point);
void drawInRect(const std::shared_ptr<NSAttributedString>& text, CGRect rect);
void drawWithRect(const std::shared_ptr<NSAttributedString>& text, CGRect rect, NSStringDrawingOptions options, const id& context);

} // namespace NSStringDrawing
