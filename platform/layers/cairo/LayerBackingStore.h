#pragma once
// What a layer keeps of its pixels between frames, for the renderer and the layer alone.

#include "platform/graphics/cairo/CairoBackend.h"
#include "platform/layers/CALayer.h"

#include <array>

struct CALayer::BackingStore {
    // What display() drew, at backingScale pixels per point.
    CairoSurface backing;
    CGFloat backingScale { 1 };

    // Keeps what the context drew, at scale pixels per point.
    void keep(const CGContext& drawn, CGFloat scale)
    {
        cairo_surface_t* pixels = drawn.backend().cairoSurface();
        cairo_surface_flush(pixels);
        backing = retainSurface(pixels);
        backingScale = scale;
    }

    // The renderer's copy of contents resampled for their last place on the device: moving by
    // whole pixels reuses it.
    struct PlacedContents {
        CairoSurface source;
        std::array<double, 6> placement {};
        CGRect from;
        CGRect to;
        CairoSurface picture;
    };
    PlacedContents placedContents;
};
