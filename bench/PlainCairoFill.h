#pragma once
// The yardstick the frame benchmarks stand beside: one plain fill of a 640 x 1136 surface, the
// least a frame of the screen can cost.

#include <benchmark/benchmark.h>
#include <cairo.h>

inline void PlainCairoFill(benchmark::State& state)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 1136);
    cairo_t* cr = cairo_create(surface);
    double shade = 0;
    for (auto _ : state) {
        shade = shade > 0.9 ? 0 : shade + 0.01;
        cairo_set_source_rgba(cr, shade, 0.5, 0.5, 1);
        cairo_paint(cr);
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
