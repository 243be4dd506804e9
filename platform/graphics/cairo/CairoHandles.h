#pragma once
// Owning handles for Cairo objects, so that every path out of a function releases them.

#include <cairo.h>
#include <memory>

struct CairoSurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
struct CairoPatternDeleter {
    void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
struct CairoPathDeleter {
    void operator()(cairo_path_t* path) const { cairo_path_destroy(path); }
};

using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoContext = std::unique_ptr<cairo_t, CairoContextDeleter>;
using CairoPattern = std::unique_ptr<cairo_pattern_t, CairoPatternDeleter>;
using CairoPath = std::unique_ptr<cairo_path_t, CairoPathDeleter>;

// A new reference to a surface, for a second owner.
inline CairoSurface retainSurface(cairo_surface_t* surface) { return CairoSurface(cairo_surface_reference(surface)); }
