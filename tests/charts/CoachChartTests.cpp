// The coach bar chart: head room above the tallest bar, one record per bucket with the place
// before the first left empty, a default colour for bars without one, a second chart replacing
// the first, and the picture of the four buckets.
#include "tests/charts/PictureMatch.h"

#include "app/charts/CoachChartViewController.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PETextLayer.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIViewController.h"

namespace {

std::shared_ptr<NSArray> buckets(int a, int b, int c, int d)
{
    auto row = NSMutableDictionary::dictionary();
    row->setObject(NSString(std::to_string(a)), "AAA");
    row->setObject(NSNumber::numberWithInt(b), "BBB");
    row->setObject(NSNumber::numberWithInt(c), "CCC");
    row->setObject(NSNumber::numberWithInt(d), "DDD");
    return CoachChartViewController::bucketsOfRow(row);
}

class CoachChartTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::colorWithWhite(0.965, 1));
        chartView = UIView::create(CGRectMake(0, 40, 320, 220));
        root->view()->addSubview(chartView);
        chart = CoachBarChart::create();
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    UIViewRef chartView;
    std::shared_ptr<CoachBarChart> chart;
};

TEST_F(CoachChartTest, theCountAxisLeavesRoomForTheTallestCount)
{
    chart->showPlot(chartView, buckets(0, 0, 0, 0));
    EXPECT_EQ(chart->yMaxValue(), 10);
    chart->showPlot(chartView, buckets(100, 3, 5, 7));
    EXPECT_GE(chart->yMaxValue(), 110);
    // 12 would get only 13 by a tenth: too little for a label 10 points high in 160.
    chart->showPlot(chartView, buckets(3, 5, 12, 7));
    EXPECT_GE(chart->yMaxValue(), 13);
    const double room = (chart->yMaxValue() - 12) / double(chart->yMaxValue()) * 160;
    EXPECT_GE(room, 12.0);
    chart->showPlot(chartView, nullptr);
    EXPECT_EQ(chart->yMaxValue(), 50);
}

TEST_F(CoachChartTest, recordsAreTheBucketsAfterAnEmptyPlaceAndShortColoursFallBack)
{
    chart->setBarColorArray({ UIColor::blueColor() });
    chart->showPlot(chartView, buckets(3, 5, 12, 7));
    auto& plot = *chart->barPlot();
    EXPECT_EQ(chart->numberOfRecordsForPlot(plot), 5u);
    EXPECT_EQ(chart->numberForPlot(plot, 1, 0).value(), nullptr);
    EXPECT_EQ(ns::intValue(chart->numberForPlot(plot, 1, 3).value()), 12);
    EXPECT_EQ(ns::intValue(chart->numberForPlot(plot, 0, 4).value()), 4);
    EXPECT_EQ(chart->numberForPlot(plot, 1, 5).value(), nullptr);
    EXPECT_TRUE(chart->barFillForBarPlot(plot, 1).value());
    EXPECT_TRUE(chart->barFillForBarPlot(plot, 4).value());
    EXPECT_TRUE(chart->barFillForBarPlot(plot, 9).value());
    auto label = std::dynamic_pointer_cast<PETextLayer>(chart->dataLabelForPlot(plot, 2).value());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), NSString("5"));
    EXPECT_EQ(std::dynamic_pointer_cast<PETextLayer>(chart->dataLabelForPlot(plot, 0).value())->text(), NSString(""));

    auto first = chart->hostingView();
    chart->showPlot(chartView, buckets(1, 2, 3, 4));
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(chartView->subviews().size(), 1u);
}

TEST_F(CoachChartTest, theFourBucketsAsBars)
{
    const auto red = UIColor::colorWithRed(0xe6 / 255.0, 0x64 / 255.0, 0x44 / 255.0, 1);
    chart->setBarColorArray({ red, red, red, red });
    chart->setGraphBgColor(root->view()->backgroundColor());
    chart->showPlot(chartView, buckets(3, 5, 12, 7));
    host->advance(1.0);
    host->runUntilIdle();
    charts_testing::expectMatchesReference(*host, chartView, "coach-bars");
}

} // namespace

namespace {

TEST_F(CoachChartTest, countsNearTheLimitKeepAPositiveRangeAboveTheTallestBar)
{
    for (int largest : { INT_MAX, INT_MAX - 1, INT_MAX / 10 * 10 }) {
        chart->showPlot(chartView, buckets(largest, 5, 12, 7));
        EXPECT_GE(chart->yMaxValue(), largest) << largest;
        host->advance(1.0);
    }
    chart->showPlot(chartView, buckets(INT_MAX, INT_MAX, INT_MAX, INT_MAX));
    EXPECT_EQ(chart->yMaxValue(), INT_MAX);
}

} // namespace

namespace {

// The lowest inked row under the first character of the x label around a tick, in pixels of the
// picture: digits sit on the line, so labels that start with one share it.
int firstCharacterBottom(const charts_testing::Pixels& pixels, int scale, CGFloat tickX)
{
    const int top = 172 * scale;
    const int bottom = 200 * scale;
    auto inked = [&](int x, int y) { return pixels.bytes[(std::size_t(y) * pixels.width + std::size_t(x)) * 4 + 2] < 120; };
    int first = -1;
    for (int x = int((tickX - 25) * scale); x < int((tickX + 25) * scale) && first < 0; ++x)
        for (int y = top; y < bottom && first < 0; ++y)
            if (inked(x, y))
                first = x;
    int lowest = -1;
    for (int x = first; first >= 0 && x < first + 2 * scale; ++x)
        for (int y = top; y < bottom; ++y)
            if (inked(x, y))
                lowest = std::max(lowest, y);
    return lowest;
}

TEST_F(CoachChartTest, bucketTitlesInChineseAndInDigitsStandOnOneLine)
{
    chart->showPlot(chartView, buckets(3, 5, 12, 7));
    host->advance(1.0);
    host->runUntilIdle();
    const auto pixels = charts_testing::pixelsOfFile(charts_testing::writtenPicture(*host, chartView, "coach-bar-titles"));
    ASSERT_EQ(pixels.width % 320, 0u);
    const int scale = int(pixels.width / 320);
    // The plot runs from 50 to 300 over six places: the bars stand at 100, 150, 200 and 250.
    std::vector<int> bottoms;
    for (CGFloat tick : { 100.0, 150.0, 200.0, 250.0 })
        bottoms.push_back(firstCharacterBottom(pixels, scale, tick));
    ASSERT_GT(bottoms[0], 0);
    for (std::size_t i = 1; i < bottoms.size(); ++i)
        EXPECT_NEAR(bottoms[i], bottoms[0], scale / 2.0) << "label " << i;
}

} // namespace
