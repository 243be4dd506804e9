#include "PlotRendering.h"

#include "app/charts/StudentPieChart.h"
#include "framework/Source/PEPieChart.h"
#include "platform/foundation/NSNumber.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIViewController.h"

#include <gtest/gtest.h>
#include <numeric>

using namespace plottest;

namespace {

std::shared_ptr<NSMutableDictionary> slice(double share, const char* text, int count, const char* color)
{
    auto dictionary = NSMutableDictionary::dictionary();
    dictionary->setObject(NSNumber::numberWithDouble(share), "data");
    dictionary->setObject(NSString(text), "text");
    dictionary->setObject(NSNumber::numberWithInt(count), "prfbal");
    dictionary->setObject(NSString(color), "color");
    return dictionary;
}

} // namespace

TEST(StudentPieChart, evensOutSmallSlicesKeepingTheTotal)
{
    std::vector<double> values { 0.5, 30, 69.5 };
    StudentPieChart::evenOut(values);
    EXPECT_DOUBLE_EQ(values[0], 1.0);
    EXPECT_NEAR(std::accumulate(values.begin(), values.end(), 0.0), 100.0, 1e-9);
    EXPECT_NEAR(values[2] / values[1], 69.5 / 30, 1e-3);

    std::vector<double> whole { 10, 20, 70 };
    StudentPieChart::evenOut(whole);
    EXPECT_EQ(whole, (std::vector<double> { 10, 20, 70 }));
    std::vector<double> tiny { 0.2, 0.5 };
    StudentPieChart::evenOut(tiny);
    EXPECT_EQ(tiny, (std::vector<double> { 1, 1 }));
}

TEST(StudentPieChart, legendTitlesAreShortenedBetweenWholeCharacters)
{
    EXPECT_EQ(StudentPieChart::stringAtIndexByCount("科目一科目二科目三科目四", 20), NSString("科目一科目二科目..."));
    EXPECT_EQ(StudentPieChart::stringAtIndexByCount("科目一", 20), NSString("科目一"));
    // A character outside the basic plane is never cut in half.
    NSString wide("😀😀😀😀😀😀😀😀😀😀😀😀");
    NSString cut = StudentPieChart::stringAtIndexByCount(wide, 20);
    EXPECT_EQ(cut.length() % 2, 1u);
    EXPECT_EQ(StudentPieChart::charAtIndexByCount("", 5), 0u);
}

TEST(StudentPieChart, buildsAPieWithLabelsAndALegendInTheView)
{
    auto host = HeadlessHost::create();
    auto root = UIViewController::create();
    host->showRootViewController(root);
    root->view()->setBackgroundColor(UIColor::whiteColor());
    auto holder = UIView::create(CGRectMake(0, 40, 320, 320));
    root->view()->addSubview(holder);
    auto chart = StudentPieChart::create();
    chart->setTitle("学员分布");
    chart->data()->addObject(slice(62.5, "在学", 5, "e66444"));
    chart->data()->addObject(slice(37.0, "结业", 3, "9178af"));
    chart->data()->addObject(slice(0.5, "退学", 0, "5cb85c"));
    chart->showPlot(holder);
    chart->showPlot(holder);
    host->runUntilIdle();
    EXPECT_EQ(holder->subviews().size(), 1u);
    auto graph = chart->hostingView()->hostedGraph();
    ASSERT_TRUE(graph);
    auto pie = std::dynamic_pointer_cast<PEPieChart>(graph->allPlots().front());
    ASSERT_TRUE(pie);
    EXPECT_EQ(pie->cachedDataCount(), 3u);
    EXPECT_DOUBLE_EQ(pie->cachedDoubleForField(PEPieChartFieldSliceWidth, 2), 1.0);
    EXPECT_EQ(pie->titleForLegendEntryAtIndex(1), NSString("结业"));
    EXPECT_TRUE(host->writePNG(NSString(snapshotPath("student-pie-chart.png"))));
}
