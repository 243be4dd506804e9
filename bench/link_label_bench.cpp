// The link label's hit tests: a touch beside a link, which looks around the touch at up to 41
// points, on a label of two lines with one link, against one laying out of the same label.

#include "bench/BenchScreen.h"
#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/net/NSURL.h"
#include "platform/text/UIFont.h"

#include <benchmark/benchmark.h>

namespace {

std::shared_ptr<LKAttributedLabel> linkedLabel(BenchScreen& screen)
{
    auto label = LKAttributedLabel::create(CGRectMake(10, 100, 300, 44));
    label->setFont(UIFont::systemFontOfSize(14));
    label->setNumberOfLines(2);
    label->setText(NSString("请访问 www.cdjg.gov.cn 了解科目二、科目三考试的预约办法和考场安排"));
    label->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), NSRange { 4, 15 });
    screen.root->view()->addSubview(label);
    screen.host->runUntilIdle();
    return label;
}

// A touch far enough from the link that every point around it is looked at.
void BM_HitTestBesideALink(benchmark::State& state)
{
    BenchScreen screen;
    auto label = linkedLabel(screen);
    for (auto _ : state)
        benchmark::DoNotOptimize(label->linkAtPoint(CGPointMake(280, 36)));
}
BENCHMARK(BM_HitTestBesideALink)->Unit(benchmark::kMicrosecond);

// One laying out of the label's text in its bounds, what a hit test costs at most once.
void BM_OneLayout(benchmark::State& state)
{
    BenchScreen screen;
    auto label = linkedLabel(screen);
    for (auto _ : state) {
        label->setNeedsDisplay();
        label->setFrame(CGRectMake(10, 100, 300, 44));
        benchmark::DoNotOptimize(label->sizeThatFits(CGSizeMake(300, 44)));
    }
}
BENCHMARK(BM_OneLayout)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
