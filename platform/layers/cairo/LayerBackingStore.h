#pragma once
// What a layer keeps of its pixels between frames, for the renderer and the layer alone.

#include "platform/graphics/cairo/CairoBackend.h"
#include "platform/layers/CALayer.h"

#include <array>

struct CALayer::BackingStore {
    // What display() drew, at backingScale pixels per point.
    CairoSurface backing;
    CGFloat backingScale { 1 };

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
