#include "platform/host/ScreenDriver.h"

#include "platform/graphics/CGBitmapContext.h"
#include "platform/uikit/UIScreen.h"

#include <cairo.h>

bool ScreenDriver::writePNG(const std::shared_ptr<UIView>& view, const NSString& path)
{
    if (!view)
        return false;
    const CGRect bounds = view->bounds();
    auto context = CGBitmapContext::createImageContext(bounds.size, false, UIScreen::mainScreen()->scale());
    if (!context)
        return false;
    CGContextTranslateCTM(context, -bounds.origin.x, -bounds.origin.y);
    view->layoutIfNeeded();
    view->layer()->renderInContext(context);
    // The context's bytes are premultiplied ARGB in 32-bit little-endian words: Cairo's own layout.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(CGBitmapContextGetData(context)),
        CAIRO_FORMAT_ARGB32, int(CGBitmapContextGetWidth(context)), int(CGBitmapContextGetHeight(context)),
        int(CGBitmapContextGetBytesPerRow(context)));
    const bool written = cairo_surface_write_to_png(surface, path.UTF8String().c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}
