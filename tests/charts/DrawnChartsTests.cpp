// The self-drawing line, half-pie and column charts: their scales, the guards against ranges,
// series and formats they cannot draw, totals and subtitles of each drawing, and labels made once.
#include "tests/charts/PictureMatch.h"

#include "app/charts/DCHalfPieChart.h"
#include "app/charts/DCLineChartView.h"
#include "app/charts/NTChartView.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIViewController.h"

#include <cmath>

namespace {

std::shared_ptr<NSArray> series(std::initializer_list<double> values)
{
    auto points = NSMutableArray::array();
    for (double value : values)
        points->addObject(std::isnan(value) ? id(NSNull::null()) : id(NSNumber::numberWithDouble(value)));
    return points;
}

void draw(const UIViewRef& view)
{
    UIGraphicsBeginImageContextWithOptions(view->bounds().size, false, 1);
    view->drawRect(view->bounds());
    UIGraphicsEndImageContext();
}

class DrawnChartsTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
    }
    // Three series over three subjects, the third without a colour of its own.
    std::shared_ptr<NTChartView> columnsOnScreen()
    {
        auto chart = NTChartView::create(CGRectMake(0, 40, 320, 320));
        chart->setBackgroundColor(UIColor::colorWithRed(0.18, 0.29, 0.2, 1));
        chart->setChartTitle({ "合格人数", "上半年" });
        chart->setGroupTitle({ "2014年", "2015年", "2016年" });
        chart->setGroupTitleColor({ UIColor::redColor(), UIColor::orangeColor() });
        chart->setXAxisLabel({ "科目一", "科目二", "科目三" });
        chart->setGroupData({ { 18, 12, 0.5 }, { 23.2, 15, 11 }, { 3, 4, 5 } });
        root->view()->addSubview(chart);
        return chart;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
};

TEST_F(DrawnChartsTest, theLineChartScalesItsGridAndRefusesWhatItCannotDraw)
{
    auto chart = DCLineChartView::create(CGRectMake(0, 0, 320, 260));
    draw(chart);
    EXPECT_EQ(chart->lastScale().lines, 6);
    EXPECT_EQ(chart->lastYLabels(), (std::vector<NSString> { "100", "80", "60", "40", "20", "0" }));

    chart->setAutoscaleYAxis(true);
    chart->setMaxValue(73);
    draw(chart);
    EXPECT_DOUBLE_EQ(chart->lastScale().high, 100);
    EXPECT_FLOAT_EQ(chart->interval(), 20);
    EXPECT_EQ(chart->lastScale().decimals, 0);
    chart->setMaxValue(0.42f);
    draw(chart);
    EXPECT_NEAR(chart->lastScale().high, 0.5, 1e-6);
    EXPECT_NEAR(chart->interval(), 0.1, 1e-6);
    EXPECT_EQ(chart->lastYLabels().front(), NSString("0.50"));

    // Ranges with fewer than two grid lines, or no interval, draw no grid and no series.
    chart->setAutoscaleYAxis(false);
    for (float interval : { 0.0f, -5.0f, 500.0f, NAN }) {
        chart->setInterval(interval);
        chart->setMinValue(0);
        chart->setMaxValue(100);
        draw(chart);
        EXPECT_LT(chart->lastScale().lines, 2) << interval;
    }
    chart->setInterval(20);
    chart->setMinValue(50);
    chart->setMaxValue(50);
    draw(chart);
    EXPECT_LT(chart->lastScale().lines, 2);

    auto component = DCLineChartViewComponent::create();
    EXPECT_FALSE(component->setLabelFormat("%@"));
    EXPECT_FALSE(component->setLabelFormat("%s%%"));
    EXPECT_FALSE(component->setLabelFormat("%f %f"));
    EXPECT_FALSE(component->setLabelFormat("%n"));
    EXPECT_FALSE(component->setLabelFormat("%d"));
    EXPECT_FALSE(component->setLabelFormat("no value"));
    EXPECT_EQ(component->labelFormat(), NSString("%.1f%%"));
    EXPECT_TRUE(component->setLabelFormat("%+08.2e 分"));
    EXPECT_TRUE(component->setLabelFormat("%g%%"));
}

TEST_F(DrawnChartsTest, aScaleOfAThousandLinesOrMoreDrawsThinnedWithItsSeries)
{
    auto chart = DCLineChartView::create(CGRectMake(0, 40, 320, 260));
    chart->setXLabels({ "一", "二", "三" });
    auto component = DCLineChartViewComponent::create();
    component->setColour(UIColor::redColor());
    component->setPoints(series({ 0, 500, 1000 }));
    chart->setComponents({ component });
    chart->setMaxValue(1000);
    chart->setInterval(1);
    root->view()->addSubview(chart);
    draw(chart);
    EXPECT_EQ(chart->lastScale().lines, 1001);
    // Thinned so that the labels stand apart: the first is the top, each step the same.
    const auto& labels = chart->lastYLabels();
    ASSERT_GE(labels.size(), 3u);
    EXPECT_LE(labels.size(), 180u / 14u + 1);
    EXPECT_EQ(labels.front(), NSString("1000"));
    const int step = 1000 - labels[1].intValue();
    EXPECT_GT(step, 1);
    EXPECT_EQ(labels[1].intValue() - labels[2].intValue(), step);
    charts_testing::writtenPicture(*host, root->view(), "line-chart-thousand");
    // The series is drawn: the middle point's ring in red halfway down the plot.
    const CGPoint middle = CGPointMake(160, 40 + 35 + (260 - 80) / 2.0);
    const auto ring = host->pixelAt(CGPointMake(middle.x + 5, middle.y));
    EXPECT_GT(ring[0], 150);
    EXPECT_LT(ring[1], 100);

    // Spans of lines beyond any count still draw a few, and nothing runs away.
    chart->setInterval(1e-30f);
    draw(chart);
    EXPECT_GE(chart->lastYLabels().size(), 2u);
    EXPECT_LE(chart->lastYLabels().size(), 180u / 14u + 1);
}

TEST_F(DrawnChartsTest, shortSeriesGapsAndPointsOnAxesAreDrawn)
{
    auto chart = DCLineChartView::create(CGRectMake(0, 40, 320, 260));
    chart->setXLabels({ "一", "二", "三", "四", "五" });
    chart->setNumXIntervals(0);
    auto first = DCLineChartViewComponent::create();
    first->setTitle("合格");
    first->setPoints(series({ 0, 0, 20, NAN }));
    first->setShouldLabelValues(true);
    auto second = DCLineChartViewComponent::create();
    second->setTitle("约考");
    second->setPoints(series({ 40, 40, 40, 60, 100 }));
    second->setShouldLabelValues(true);
    auto single = DCLineChartViewComponent::create();
    single->setPoints(series({ 60 }));
    chart->setComponents({ first, second, single });
    root->view()->addSubview(chart);
    draw(chart);
    EXPECT_TRUE(first->colour());
    charts_testing::writtenPicture(*host, root->view(), "line-chart");
}

TEST_F(DrawnChartsTest, theHalfPieSharesAFloatTotalAndShowsTheTotalOfEachDrawing)
{
    auto chart = DCHalfPieChart::create(CGRectMake(10, 60, 300, 160));
    root->view()->addSubview(chart);
    EXPECT_TRUE(chart->shownSubtitle().isNil());
    auto two = DCHalfPieComponent::halfPieComponentWithTitle("甲", 2);
    two->setColour(UIColor::redColor());
    auto more = DCHalfPieComponent::halfPieComponentWithTitle("乙", 3.7f);
    more->setColour(UIColor::blueColor());
    chart->setComponents({ two, more });
    EXPECT_FLOAT_EQ(chart->total(), 5.7f);
    // The subtitle is a whole count: each value's fraction is dropped as it is added.
    EXPECT_EQ(chart->shownSubtitle(), NSString("5"));
    chart->setTitle("人数");
    draw(chart);
    EXPECT_TRUE(chart->subtitle().isNil());
    chart->setComponents({ DCHalfPieComponent::halfPieComponentWithTitle("丙", 100) });
    EXPECT_EQ(chart->shownSubtitle(), NSString("100"));
    chart->setComponents({ DCHalfPieComponent::halfPieComponentWithTitle("丙", 1500000) });
    EXPECT_EQ(chart->shownSubtitle(), NSString("1500000"));
    chart->setComponents({ DCHalfPieComponent::halfPieComponentWithTitle("丙", 3e9f), DCHalfPieComponent::halfPieComponentWithTitle("丁", 1e38f) });
    EXPECT_EQ(chart->shownSubtitle(), NSString("2147483647"));
    chart->setSubtitle("合计");
    EXPECT_EQ(chart->shownSubtitle(), NSString("合计"));
    // Values below one, nothing and nonsense share no angles but draw the rest.
    chart->setComponents({ DCHalfPieComponent::halfPieComponentWithTitle("丁", 0.4f), DCHalfPieComponent::halfPieComponentWithTitle("戊", NAN),
        DCHalfPieComponent::halfPieComponentWithTitle("己", -3) });
    EXPECT_FLOAT_EQ(chart->total(), 0.4f);
    draw(chart);
    chart->setSubtitle(NSString());
    chart->setComponents({ two, more });
    chart->setNeedsDisplay();
    charts_testing::writtenPicture(*host, root->view(), "half-pie");
}

TEST_F(DrawnChartsTest, theColumnChartScalesEachDrawingAndMakesItsLabelsOnce)
{
    auto chart = columnsOnScreen();
    chart->calcScales(chart->bounds());
    EXPECT_FLOAT_EQ(chart->maxScaleValue(), 25);
    EXPECT_FLOAT_EQ(chart->columnWidth(), 24);
    chart->setGroupData({ { 7, 2 }, { 6, 1 } });
    chart->calcScales(chart->bounds());
    EXPECT_FLOAT_EQ(chart->maxScaleValue(), 10);
    chart->setGroupData({ { 25 } });
    chart->calcScales(chart->bounds());
    EXPECT_FLOAT_EQ(chart->maxScaleValue(), 30);
    chart->setGroupData({ { 18, 12, 0.5 }, { 23.2, 15, 11 }, { 3, 4, 5 } });

    EXPECT_EQ(chart->valueText(12), NSString("12"));
    chart->setNumberFormatterStyle(3);
    EXPECT_EQ(chart->valueText(12), NSString("12%"));
    chart->setNumberFormatterStyle(1);

    for (int pass = 0; pass < 3; ++pass) {
        chart->setNeedsLayout();
        chart->layoutIfNeeded();
        draw(chart);
    }
    EXPECT_EQ(chart->subviews().size(), 2u + 3u + 4u);
    EXPECT_EQ(chart->xLabels()[1]->text(), NSString("科目二"));
    charts_testing::writtenPicture(*host, root->view(), "columns");
    EXPECT_TRUE(CGColorEqualToColor(NTChartView::defaultColorForIndex(12), NTChartView::defaultColorForIndex(2)));
}

} // namespace

namespace {

TEST_F(DrawnChartsTest, columnValuesStayInFrontAndSeriesTitlesEndInsideTheView)
{
    auto columns = columnsOnScreen();
    host->runUntilIdle();
    charts_testing::expectMatchesReference(*host, root->view(), "columns-values-in-front");
    // "18" over the first red column: its right half reaches over the orange column beside it.
    auto font = UIFont::fontWithName("DBLCDTempBlack", 14);
    const CGSize size = UIStringDrawing::sizeWithFont(columns->valueText(18), font ? font : UIFont::boldSystemFontOfSize(14));
    const CGFloat top = 260 - 18 / columns->maxScaleValue() * columns->maxScaleHeight();
    const CGRect label = CGRectMake(70, 40 + top - size.height - 24, size.width, size.height);
    int red = 0;
    for (CGFloat x = CGRectGetMidX(label); x < CGRectGetMaxX(label); x += 0.5)
        for (CGFloat y = CGRectGetMinY(label); y < CGRectGetMaxY(label); y += 0.5) {
            const auto pixel = host->pixelAt(CGPointMake(x, y));
            red += pixel[0] > 200 && pixel[1] < 60 ? 1 : 0;
        }
    EXPECT_GT(red, 4);
    columns->removeFromSuperview();

    auto lines = DCLineChartView::create(CGRectMake(0, 40, 320, 260));
    lines->setXLabels({ "一", "二", "三", "四", "五" });
    auto passed = DCLineChartViewComponent::create();
    passed->setTitle("合格率");
    passed->setPoints(series({ 20, 40, 50, 70, 90 }));
    auto booked = DCLineChartViewComponent::create();
    booked->setTitle("约考率");
    booked->setColour(UIColor::orangeColor());
    booked->setPoints(series({ 10, 20, 30, 40, 50 }));
    lines->setComponents({ passed, booked });
    root->view()->addSubview(lines);
    host->runUntilIdle();
    charts_testing::expectMatchesReference(*host, root->view(), "line-chart-titles");
    // Nothing of either title at the view's right edge: each ends inside it.
    int atTheEdge = 0;
    for (CGFloat y = 40; y < 300; y += 0.5) {
        const auto pixel = host->pixelAt(CGPointMake(319.75, y));
        atTheEdge += pixel[0] < 200 || pixel[1] < 200 || pixel[2] < 200 ? 1 : 0;
    }
    EXPECT_EQ(atTheEdge, 0);
}

} // namespace

namespace {

TEST_F(DrawnChartsTest, theColumnChartsNumberBarIsLightGreyWithAShadowToTheRight)
{
    auto chart = NTChartView::create(CGRectMake(0, 0, 320, 320));
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(320, 320), true, 1);
    auto context = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    CGContextFillRect(context, CGRectMake(0, 0, 320, 320));
    chart->drawNum(context, chart->bounds());
    const auto pixels = charts_testing::pixelsOf(UIGraphicsGetImageFromCurrentImageContext()->CGImage());
    UIGraphicsEndImageContext();
    auto red = [&](int x, int y) { return int(pixels.bytes[(std::size_t(y) * pixels.width + std::size_t(x)) * 4 + 2]); };
    // The bar is (50, 280, 220, 24): light grey inside, white well above it, shadowed just right of it.
    EXPECT_NEAR(red(160, 292), 230, 3);
    EXPECT_EQ(red(160, 250), 255);
    EXPECT_LT(red(271, 292), 250);
    chart->drawNum(nullptr, chart->bounds());
}

} // namespace
