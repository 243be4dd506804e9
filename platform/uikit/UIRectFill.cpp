#include "platform/uikit/UIRectFill.h"

#include "platform/graphics/UIGraphics.h"

void UIRectFill(CGRect rect) { UIRectFillUsingBlendMode(rect, kCGBlendModeCopy); }

void UIRectFillUsingBlendMode(CGRect rect, CGBlendMode blendMode)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextSetBlendMode(context, blendMode);
    CGContextFillRect(context, rect);
    CGContextRestoreGState(context);
}
