#include "platform/text/pango/TextDrawing.h"

void TextDrawing::drawInContext(const CGContextRef& context, const std::function<void(cairo_t*)>& draw)
{
    if (!context)
        return;
    const auto fill = context->backend().state().fillColor;
    const CGFloat alpha = context->backend().state().alpha;
    context->backend().drawWithEffects([&](cairo_t* cairo) {
        cairo_save(cairo);
        // Pango paints every colour itself, so the context's alpha applies to the whole group.
        if (alpha < 1)
            cairo_push_group(cairo);
        cairo_set_source_rgba(cairo, fill[0], fill[1], fill[2], fill[3]);
        draw(cairo);
        if (alpha < 1) {
            cairo_pop_group_to_source(cairo);
            cairo_paint_with_alpha(cairo, alpha);
        }
        cairo_restore(cairo);
    });
}
