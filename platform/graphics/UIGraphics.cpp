#include "platform/graphics/UIGraphics.h"

#include <atomic>
#include <vector>

namespace {

struct StackEntry {
    CGContextRef context;
    bool isImageContext { false };
};

std::vector<StackEntry>& stack()
{
    thread_local std::vector<StackEntry> contexts;
    return contexts;
}

std::atomic<CGFloat> mainScreenScale { 2.0 };

} // namespace

CGContextRef UIGraphicsGetCurrentContext()
{
    return stack().empty() ? nullptr : stack().back().context;
}

void UIGraphicsPushContext(const CGContextRef& context)
{
    if (context)
        stack().push_back({ context, false });
}

void UIGraphicsPopContext()
{
    if (!stack().empty())
        stack().pop_back();
}

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale)
{
    if (scale == 0)
        scale = UIGraphicsGetMainScreenScale();
    // A context that cannot be made still takes a place, so that the matching end stays balanced.
    stack().push_back({ CGBitmapContext::createImageContext(size, opaque, scale), true });
}

void UIGraphicsBeginImageContext(CGSize size) { UIGraphicsBeginImageContextWithOptions(size, false, 1); }

void UIGraphicsEndImageContext()
{
    if (!stack().empty() && stack().back().isImageContext)
        stack().pop_back();
}

CGImageRef UIGraphicsGetCGImageFromCurrentImageContext(CGFloat* scale)
{
    if (stack().empty() || !stack().back().isImageContext || !stack().back().context)
        return nullptr;
    if (scale)
        *scale = stack().back().context->deviceScale();
    return CGBitmapContextCreateImage(stack().back().context);
}

CGFloat UIGraphicsGetMainScreenScale() { return mainScreenScale.load(); }

void UIGraphicsSetMainScreenScale(CGFloat scale)
{
    if (scale > 0)
        mainScreenScale.store(scale);
}
