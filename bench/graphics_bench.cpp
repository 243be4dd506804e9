// Drawing through the context against plain Cairo on the same 640 x 1136 surface, so the
// context's own overhead (state, colours, shadows, image conversion) shows as a ratio.

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGPath.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

namespace {

constexpr CGFloat kWidth = 320;
constexpr CGFloat kHeight = 568;

void PlainCairoFullFrameFill(benchmark::State& state)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 1136);
    cairo_t* cr = cairo_create(surface);
    for (auto _ : state) {
        cairo_set_source_rgba(cr, 0.2, 0.4, 0.6, 1);
        cairo_rectangle(cr, 0, 0, 640, 1136);
        cairo_fill(cr);
    }
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(PlainCairoFullFrameFill);

void ContextFullFrameFill(benchmark::State& state)
{
    CGContextRef c = CGBitmapContext::createImageContext({ kWidth, kHeight }, false, 2);
    for (auto _ : state) {
        CGContextSetRGBFillColor(c, 0.2, 0.4, 0.6, 1);
        CGContextFillRect(c, CGRectMake(0, 0, kWidth, kHeight));
    }
    benchmark::DoNotOptimize(CGBitmapContextGetData(c));
}
BENCHMARK(ContextFullFrameFill);

// Fifty rounded cells with borders: the shape of a table screen.
void ContextFiftyRoundedCells(benchmark::State& state)
{
    CGContextRef c = CGBitmapContext::createImageContext({ kWidth, kHeight }, false, 2);
    auto cell = CGPathCreateWithRoundedRect(CGRectMake(0, 0, 300, 10), 4, 4, nullptr);
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) {
            CGContextSaveGState(c);
            CGContextTranslateCTM(c, 10, 11 * i);
            CGContextAddPath(c, cell);
            CGContextSetRGBFillColor(c, 1, 1, 1, 1);
            CGContextSetRGBStrokeColor(c, 0.8, 0.8, 0.8, 1);
            CGContextDrawPath(c, kCGPathFillStroke);
            CGContextRestoreGState(c);
        }
    }
}
BENCHMARK(ContextFiftyRoundedCells);

void ContextShadowedPanel(benchmark::State& state)
{
    CGContextRef c = CGBitmapContext::createImageContext({ kWidth, kHeight }, false, 2);
    for (auto _ : state) {
        CGContextSaveGState(c);
        CGContextSetShadowWithColor(c, CGSizeMake(0, 2), 8, CGColorCreateGenericGray(0, 0.5));
        CGContextFillRect(c, CGRectMake(60, 200, 200, 120));
        CGContextRestoreGState(c);
    }
}
BENCHMARK(ContextShadowedPanel);

void ContextDrawFullFrameImage(benchmark::State& state)
{
    CGContextRef source = CGBitmapContext::createImageContext({ kWidth, kHeight }, false, 2);
    CGContextFillRect(source, CGRectMake(0, 0, 100, 100));
    CGImageRef image = CGBitmapContextCreateImage(source);
    CGContextRef c = CGBitmapContext::createImageContext({ kWidth, kHeight }, false, 2);
    for (auto _ : state)
        CGContextDrawImage(c, CGRectMake(0, 0, kWidth, kHeight), image);
}
BENCHMARK(ContextDrawFullFrameImage);

void PathContainsPoint(benchmark::State& state)
{
    auto path = CGPathCreateMutable();
    for (int i = 0; i < 20; ++i)
        CGPathAddEllipseInRect(path, nullptr, CGRectMake(i * 10, 0, 50, 50));
    CGFloat x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CGPathContainsPoint(path, nullptr, { x, 25 }, false));
        x = x > 240 ? 0 : x + 1.7;
    }
}
BENCHMARK(PathContainsPoint);

} // namespace

BENCHMARK_MAIN();
