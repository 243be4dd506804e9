// Renders a sample layer tree (Chinese text, shapes, a gradient, a shadow, an image and a card
// turned in perspective) into a PNG at the screen's size and scale, for people to look at.
//
//     render_sample out.png

#include "platform/layers/CAGradientLayer.h"
#include "platform/layers/CAShapeLayer.h"
#include "platform/layers/LayerCompositor.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/layers/CATextLayer.h"

#include <cmath>
#include <cstdio>

namespace {

CGColorRef rgb(int hex, CGFloat alpha = 1)
{
    return CGColorCreateGenericRGB(((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha);
}

std::shared_ptr<CATextLayer> textLayer(const NSString& text, CGRect frame, CGFloat size, CGColorRef color,
    const char* alignment = kCAAlignmentLeft)
{
    auto layer = CATextLayer::layer();
    layer->setFrame(frame);
    layer->setString(text);
    layer->setFont(NSString("Helvetica"));
    layer->setFontSize(size);
    layer->setForegroundColor(std::move(color));
    layer->setAlignmentMode(alignment);
    layer->setWrapped(true);
    layer->setContentsScale(2);
    return layer;
}

// A small picture drawn in code: a road sign.
CGImageRef signImage()
{
    auto context = CGBitmapContext::createImageContext(CGSizeMake(60, 60), false, 2);
    CGContextRef c = context;
    CGContextSetFillColorWithColor(c, rgb(0xD32F2F));
    CGContextFillEllipseInRect(c, CGRectMake(0, 0, 60, 60));
    CGContextSetFillColorWithColor(c, rgb(0xFFFFFF));
    CGContextFillEllipseInRect(c, CGRectMake(8, 8, 44, 44));
    CGContextSetStrokeColorWithColor(c, rgb(0x212121));
    CGContextSetLineWidth(c, 5);
    CGContextSetLineCap(c, kCGLineCapRound);
    CGContextMoveToPoint(c, 22, 40);
    CGContextAddLineToPoint(c, 30, 20);
    CGContextAddLineToPoint(c, 38, 40);
    CGContextStrokePath(c);
    return CGBitmapContextCreateImage(context);
}

CALayerRef buildTree()
{
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 320, 568));
    root->setBackgroundColor(rgb(0xF2F2F2));

    auto header = CAGradientLayer::layer();
    header->setFrame(CGRectMake(0, 0, 320, 64));
    header->setColors({ rgb(0x00A7D1), rgb(0x0077B6) });
    root->addSublayer(header);
    header->addSublayer(textLayer("科目一 · 模拟考试", CGRectMake(0, 28, 320, 30), 18, rgb(0xFFFFFF), kCAAlignmentCenter));

    auto card = CALayer::layer();
    card->setFrame(CGRectMake(16, 84, 288, 150));
    card->setBackgroundColor(rgb(0xFFFFFF));
    card->setCornerRadius(10);
    card->setShadowOpacity(0.35f);
    card->setShadowRadius(6);
    card->setShadowOffset(CGSizeMake(0, 3));
    card->setBorderWidth(1);
    card->setBorderColor(rgb(0xDDDDDD));
    root->addSublayer(card);
    card->addSublayer(textLayer("第 12 题：驾驶机动车在道路上违反道路交通安全法的行为，属于什么行为？", CGRectMake(14, 12, 260, 60), 15, rgb(0x333333)));
    const char* answers[] = { "A. 违章行为", "B. 违法行为", "C. 过失行为" };
    for (int i = 0; i < 3; ++i) {
        auto option = textLayer(answers[i], CGRectMake(44, 76 + i * 24, 220, 22), 14, rgb(i == 1 ? 0x00A7D1 : 0x555555));
        card->addSublayer(option);
        auto bullet = CAShapeLayer::layer();
        bullet->setFrame(CGRectMake(18, 78 + i * 24, 16, 16));
        bullet->setPath(CGPathCreateWithEllipseInRect(CGRectMake(1, 1, 14, 14), nullptr));
        bullet->setFillColor(i == 1 ? rgb(0x00A7D1) : rgb(0xFFFFFF));
        bullet->setStrokeColor(rgb(0x00A7D1));
        bullet->setLineWidth(1.5);
        card->addSublayer(bullet);
    }

    // A progress ring: a full track, and the part answered, stroked to 68%.
    for (int part = 0; part < 2; ++part) {
        auto ring = CAShapeLayer::layer();
        ring->setFrame(CGRectMake(24, 256, 96, 96));
        auto path = CGPathCreateMutable();
        CGPathAddArc(path, nullptr, 48, 48, 40, -M_PI / 2, 3 * M_PI / 2, false);
        ring->setPath(path);
        ring->setFillColor(nullptr);
        ring->setStrokeColor(part ? rgb(0x4CAF50) : rgb(0xDDDDDD));
        ring->setLineWidth(10);
        ring->setLineCap(kCALineCapRound);
        ring->setStrokeEnd(part ? 0.68 : 1);
        root->addSublayer(ring);
    }
    root->addSublayer(textLayer("68%", CGRectMake(24, 290, 96, 30), 20, rgb(0x4CAF50), kCAAlignmentCenter));
    root->addSublayer(textLayer("已完成 68 / 100 题", CGRectMake(24, 360, 96, 20), 11, rgb(0x777777), kCAAlignmentCenter));

    auto sign = CALayer::layer();
    sign->setFrame(CGRectMake(150, 262, 60, 60));
    sign->setContents(signImage());
    sign->setContentsGravity(kCAGravityResizeAspect);
    sign->setContentsScale(2);
    root->addSublayer(sign);
    root->addSublayer(textLayer("注意行人", CGRectMake(140, 326, 80, 20), 12, rgb(0x333333), kCAAlignmentCenter));

    // A card turned about y in perspective, as the carousel shows its neighbours.
    auto stage = CALayer::layer();
    stage->setFrame(CGRectMake(220, 250, 90, 130));
    CATransform3D perspective = CATransform3DIdentity;
    perspective.m34 = -1.0 / 300;
    stage->setSublayerTransform(perspective);
    root->addSublayer(stage);
    auto turned = CAGradientLayer::layer();
    turned->setFrame(CGRectMake(0, 0, 90, 130));
    turned->setColors({ rgb(0xFFB74D), rgb(0xF57C00) });
    turned->setCornerRadius(8);
    turned->setMasksToBounds(true);
    turned->setTransform(CATransform3DMakeRotation(-M_PI / 4, 0, 1, 0));
    turned->addSublayer(textLayer("科目四", CGRectMake(0, 50, 90, 30), 18, rgb(0xFFFFFF), kCAAlignmentCenter));
    stage->addSublayer(turned);

    // A masked banner: a round-ended mask over a striped bar.
    auto banner = CAGradientLayer::layer();
    banner->setFrame(CGRectMake(16, 410, 288, 44));
    banner->setColors({ rgb(0x7E57C2), rgb(0x26C6DA) });
    banner->setStartPoint(CGPointMake(0, 0.5));
    banner->setEndPoint(CGPointMake(1, 0.5));
    auto mask = CAShapeLayer::layer();
    mask->setFrame(CGRectMake(0, 0, 288, 44));
    mask->setPath(CGPathCreateWithRoundedRect(CGRectMake(0, 0, 288, 44), 22, 22, nullptr));
    banner->setMask(mask);
    banner->addSublayer(textLayer("开始考试 Start the exam", CGRectMake(0, 11, 288, 24), 16, rgb(0xFFFFFF), kCAAlignmentCenter));
    root->addSublayer(banner);

    auto footer = textLayer("驾校理论培训 · 第 3 / 5 次模拟，剩余时间 44:59", CGRectMake(16, 480, 288, 40), 12, rgb(0x888888), kCAAlignmentCenter);
    footer->setOpacity(0.8f);
    root->addSublayer(footer);
    return root;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    auto compositor = LayerCompositor::create(CGSizeMake(320, 568), 2.0);
    compositor->setRootLayer(buildTree());
    compositor->renderFrame();
    if (!compositor->writePNG(argv[1])) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
