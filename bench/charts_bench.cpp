// The officer's statistics: the coach chart from the service's reply text to the drawn bars, and
// a redraw of the learner pie, each against a plain filled view of the same size drawn the same
// way in the headless host.

#include "app/charts/CoachChartViewController.h"
#include "app/charts/StudentPieLineChart.h"
#include "app/services/ServiceReply.h"
#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIRectFill.h"

#include <benchmark/benchmark.h>

namespace {

constexpr NSTimeInterval kFrame = 1.0 / 60;
const char* kReply = R"({"output":{"head":{"retCode":0,"retDesc":"成功"},"body":{"array0":{"rowSet":{"row":[)"
                     R"({"AAA":"3","BBB":"5","CCC":"12","DDD":"7"}]}}}}})";

struct Screen {
    std::shared_ptr<HeadlessHost> host { HeadlessHost::create() };
    std::shared_ptr<UIViewController> root { UIViewController::create() };
    Screen()
    {
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
        host->runUntilIdle();
    }
};

class PlainFillView : public UIView {
    NS_OBJECT(PlainFillView, UIView)
public:
    void drawRect(CGRect) override
    {
        CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 0.9, 0.4, 0.27, 1);
        UIRectFill(bounds());
    }
};

void BM_CoachReplyToDrawnChart(benchmark::State& state)
{
    Screen screen;
    auto chartView = UIView::create(CGRectMake(0, 138, 320, 220));
    screen.root->view()->addSubview(chartView);
    auto chart = CoachBarChart::create();
    const auto red = UIColor::colorWithRed(0.9, 0.39, 0.27, 1);
    chart->setBarColorArray({ red, red, red, red });
    const NSString text(kReply);
    for (auto _ : state) {
        const id reply = JSONCodecDeserializing::objectFromJSONString(text);
        auto rows = ServiceReply::rows(reply, "array0");
        chart->showPlot(chartView, CoachChartViewController::bucketsOfRow(ns::dictionaryValue(rows->objectAtIndex(0))));
        screen.host->advance(kFrame);
    }
}
BENCHMARK(BM_CoachReplyToDrawnChart)->Unit(benchmark::kMillisecond);

void BM_CoachPlainFill(benchmark::State& state)
{
    Screen screen;
    auto fill = PlainFillView::create(CGRectMake(0, 138, 320, 220));
    screen.root->view()->addSubview(fill);
    for (auto _ : state) {
        fill->setNeedsDisplay();
        screen.host->advance(kFrame);
    }
}
BENCHMARK(BM_CoachPlainFill)->Unit(benchmark::kMillisecond);

std::shared_ptr<NSMutableDictionary> slice(const char* text, int count, double share, const char* colour)
{
    auto record = NSMutableDictionary::dictionary();
    record->setObject(NSString(text), "text");
    record->setObject(NSNumber::numberWithInt(count), "prfbal");
    record->setObject(NSNumber::numberWithDouble(share), "data");
    record->setObject(NSString(colour), "color");
    return record;
}

void BM_LearnerPieDraw(benchmark::State& state)
{
    Screen screen;
    auto chartView = UIView::create(CGRectMake(0, 238, 320, 330));
    screen.root->view()->addSubview(chartView);
    auto chart = StudentPieLineChart::create();
    auto data = NSMutableArray::array();
    data->addObject(slice("在学", 36, 78.26, "e66444"));
    data->addObject(slice("结业", 10, 21.74, "a2c159"));
    chart->setData(data);
    chart->showPlot(chartView);
    screen.host->advance(kFrame);
    for (auto _ : state) {
        chart->pieChart()->setNeedsDisplay();
        screen.host->advance(kFrame);
    }
}
BENCHMARK(BM_LearnerPieDraw)->Unit(benchmark::kMillisecond);

void BM_LearnerPiePlainFill(benchmark::State& state)
{
    Screen screen;
    auto fill = PlainFillView::create(CGRectMake(0, 238 + 45, 320, 220));
    screen.root->view()->addSubview(fill);
    screen.host->advance(kFrame);
    for (auto _ : state) {
        fill->setNeedsDisplay();
        screen.host->advance(kFrame);
    }
}
BENCHMARK(BM_LearnerPiePlainFill)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
