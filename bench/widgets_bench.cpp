// What a table cell costs to draw: a label's line of Chinese text beside the same text drawn by
// the string-drawing call alone (the reference), and a stretched button background beside a
// plain draw of its image at the same size.

#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIButton.h"

#include <benchmark/benchmark.h>

namespace {

const NSString kCellText = u"科目一 第128题：机动车在高速公路上发生故障时，应当如何处置？";

void BM_LabelDrawsACellLine(benchmark::State& state)
{
    auto label = UILabel::create(CGRectMake(0, 0, 300, 44));
    label->setText(kCellText);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(300, 44), false, 2);
    for (auto _ : state)
        label->drawRect(label->bounds());
    UIGraphicsEndImageContext();
}
BENCHMARK(BM_LabelDrawsACellLine);

void BM_ReferenceStringDrawingOfTheLine(benchmark::State& state)
{
    auto font = UIFont::systemFontOfSize(17);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(300, 44), false, 2);
    for (auto _ : state)
        UIStringDrawing::drawInRect(kCellText, CGRectMake(0, 11, 300, 22), font, NSLineBreakByTruncatingTail);
    UIGraphicsEndImageContext();
}
BENCHMARK(BM_ReferenceStringDrawingOfTheLine);

void BM_LabelSizesWrappedText(benchmark::State& state)
{
    auto label = UILabel::create(CGRectMake(0, 0, 300, 44));
    label->setNumberOfLines(0);
    label->setText(kCellText + kCellText + kCellText);
    for (auto _ : state)
        benchmark::DoNotOptimize(label->sizeThatFits(CGSizeMake(300, 0)));
}
BENCHMARK(BM_LabelSizesWrappedText);

UIImageRef backgroundImage()
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(40, 40), false, 2);
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 0.2, 0.5, 0.9, 1);
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 40, 40));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

void BM_StretchedButtonBackground(benchmark::State& state)
{
    auto image = backgroundImage()->resizableImageWithCapInsets(UIEdgeInsetsMake(10, 10, 10, 10), UIImageResizingModeStretch);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(280, 44), false, 2);
    for (auto _ : state)
        image->drawInRect(CGRectMake(0, 0, 280, 44));
    UIGraphicsEndImageContext();
}
BENCHMARK(BM_StretchedButtonBackground);

void BM_ReferencePlainImageDraw(benchmark::State& state)
{
    auto image = backgroundImage();
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(280, 44), false, 2);
    for (auto _ : state)
        image->drawInRect(CGRectMake(0, 0, 280, 44));
    UIGraphicsEndImageContext();
}
BENCHMARK(BM_ReferencePlainImageDraw);

void BM_ButtonLaysOutImageAndTitle(benchmark::State& state)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, 160, 44));
    button->setImage(backgroundImage(), UIControlStateNormal);
    button->setTitle(u"开始考试", UIControlStateNormal);
    for (auto _ : state) {
        button->setNeedsLayout();
        button->layoutIfNeeded();
    }
}
BENCHMARK(BM_ButtonLaysOutImageAndTitle);

} // namespace

BENCHMARK_MAIN();
