#pragma once
// The reference for animated drawing: a view that fills its bounds with one colour, marked for
// redrawing each frame as an animated view is, over runs of 60 frames.

#include "bench/BenchScreen.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIRectFill.h"

#include <benchmark/benchmark.h>

class PlainFillView : public UIView {
    NS_OBJECT(PlainFillView, UIView)
public:
    void drawRect(CGRect) override
    {
        CGContextSetGrayFillColor(UIGraphicsGetCurrentContext(), 0, 0.8);
        UIRectFill(bounds());
    }

    static void measureFrames(benchmark::State& state, CGRect rect)
    {
        constexpr NSTimeInterval kFrame = 1.0 / 60;
        BenchScreen screen;
        auto box = create(rect);
        screen.root->view()->addSubview(box);
        screen.host->advance(kFrame);
        for (auto _ : state) {
            for (int i = 0; i < 60; ++i) {
                box->setNeedsDisplay();
                screen.host->advance(kFrame);
            }
        }
        state.SetItemsProcessed(state.iterations() * 60);
    }
};
