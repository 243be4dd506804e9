// Compositing a full 640 × 1136 frame of about fifty layers (text, images, rounded and
// shadowed panels, shapes, a gradient) beside a plain Cairo fill of the same surface.
// The goal is a steady-state frame within four fills' time.

#include "bench/PlainCairoFill.h"
#include "platform/layers/CAGradientLayer.h"
#include "platform/layers/CAShapeLayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/layers/LayerCompositor.h"
#include "platform/layers/CATextLayer.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Scene {
    std::shared_ptr<LayerCompositor> compositor;
    std::vector<CALayerRef> drawnLayers;
    std::shared_ptr<CATextLayer> counter;
};

CGImageRef makeImage()
{
    auto context = CGBitmapContext::createImageContext(CGSizeMake(40, 40), false, 2);
    CGContextSetRGBFillColor(context, 0.9, 0.3, 0.2, 1);
    CGContextFillEllipseInRect(context, CGRectMake(0, 0, 40, 40));
    return CGBitmapContextCreateImage(context);
}

Scene makeScene()
{
    Scene scene;
    scene.compositor = LayerCompositor::create(CGSizeMake(320, 568), 2.0);
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 320, 568));
    root->setBackgroundColor(CGColorCreateGenericRGB(0.95, 0.95, 0.95, 1));
    auto header = CAGradientLayer::layer();
    header->setFrame(CGRectMake(0, 0, 320, 64));
    header->setColors({ CGColorCreateGenericRGB(0, 0.65, 0.82, 1), CGColorCreateGenericRGB(0, 0.47, 0.71, 1) });
    root->addSublayer(header);
    const CGImageRef image = makeImage();
    for (int row = 0; row < 12; ++row) {
        auto cell = CALayer::layer();
        cell->setFrame(CGRectMake(8, 70 + row * 41, 304, 38));
        cell->setBackgroundColor(CGColorCreateGenericRGB(1, 1, 1, 1));
        cell->setCornerRadius(6);
        root->addSublayer(cell);
        auto icon = CALayer::layer();
        icon->setFrame(CGRectMake(6, 4, 30, 30));
        icon->setContents(image);
        icon->setContentsScale(2);
        cell->addSublayer(icon);
        auto text = CATextLayer::layer();
        text->setFrame(CGRectMake(44, 8, 220, 22));
        text->setString(NSString::stringWithFormat("第 %d 题：机动车驾驶人违法驾驶", row + 1));
        text->setFontSize(14);
        text->setForegroundColor(CGColorCreateGenericRGB(0.2, 0.2, 0.2, 1));
        text->setContentsScale(2);
        cell->addSublayer(text);
        scene.drawnLayers.push_back(text);
        auto check = CAShapeLayer::layer();
        check->setFrame(CGRectMake(276, 11, 16, 16));
        check->setPath(CGPathCreateWithEllipseInRect(CGRectMake(0, 0, 16, 16), nullptr));
        check->setFillColor(CGColorCreateGenericRGB(0.3, 0.7, 0.3, 1));
        cell->addSublayer(check);
    }
    auto panel = CALayer::layer();
    panel->setFrame(CGRectMake(20, 500, 280, 50));
    panel->setBackgroundColor(CGColorCreateGenericRGB(1, 1, 1, 1));
    panel->setCornerRadius(10);
    panel->setShadowOpacity(0.3f);
    panel->setShadowRadius(4);
    root->addSublayer(panel);
    scene.counter = CATextLayer::layer();
    scene.counter->setFrame(CGRectMake(10, 12, 260, 26));
    scene.counter->setString(NSString("剩余时间 44:59"));
    scene.counter->setFontSize(16);
    scene.counter->setForegroundColor(CGColorCreateGenericRGB(0, 0, 0, 1));
    scene.counter->setContentsScale(2);
    panel->addSublayer(scene.counter);
    scene.drawnLayers.push_back(scene.counter);
    scene.compositor->setRootLayer(root);
    scene.compositor->renderFrame();
    return scene;
}

BENCHMARK(PlainCairoFill);

void CompositeOneMarkedLayer(benchmark::State& state)
{
    Scene scene = makeScene();
    int second = 0;
    for (auto _ : state) {
        scene.counter->setString(NSString::stringWithFormat("剩余时间 44:%02d", second++ % 60));
        scene.compositor->renderFrame();
    }
}
BENCHMARK(CompositeOneMarkedLayer);

void CompositeFullRedraw(benchmark::State& state)
{
    Scene scene = makeScene();
    for (auto _ : state) {
        for (const auto& layer : scene.drawnLayers)
            layer->setNeedsDisplay();
        scene.compositor->renderFrame();
    }
}
BENCHMARK(CompositeFullRedraw);

// Every pixel composited anew, nothing drawn again: what any change but a scroll by whole
// pixels or the drawing of a few layers costs.
void CompositeFullFrame(benchmark::State& state)
{
    Scene scene = makeScene();
    for (auto _ : state) {
        scene.compositor->layerTreeDidChange();
        scene.compositor->renderFrame();
    }
}
BENCHMARK(CompositeFullFrame);

// A scroll: the whole tree moves by whole pixels, nothing is drawn again; the last frame is
// shifted and only the exposed strip is composited.
void CompositeFullFrameCached(benchmark::State& state)
{
    Scene scene = makeScene();
    const CALayerRef root = scene.compositor->rootLayer();
    int step = 0;
    for (auto _ : state) {
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        root->setSublayerTransform(CATransform3DMakeTranslation(0, -(step++ % 20), 0));
        CATransaction::commit();
        scene.compositor->renderFrame();
    }
}
BENCHMARK(CompositeFullFrameCached);

} // namespace

BENCHMARK_MAIN();
