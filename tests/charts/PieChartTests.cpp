// The self-drawing pie and the learner pie builder: slice angles, label columns, the kept
// diameter, nothing drawn for sums without angles, the pie and legend placed in the host, the
// legend wrapping, taps reaching only a live delegate, and the pictures.
#include "tests/charts/PictureMatch.h"

#include "app/charts/StudentPieLineChart.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIViewController.h"

#include <cmath>

namespace {

using charts_testing::expectMatchesReference;
using charts_testing::pixelsOf;

std::shared_ptr<DCPieChart> pieOf(std::initializer_list<float> values, CGRect frame = CGRectMake(0, 0, 320, 200))
{
    auto pie = DCPieChart::create(frame);
    DCPieChart::Components components;
    int i = 0;
    for (float value : values) {
        auto component = DCPieComponent::pieComponentWithTitle(NSString::stringWithFormat("第%d组", ++i), "说明", value);
        component->setColour(UIColor::colorWithHue(i / 7.0, 0.6, 0.9, 1));
        components.push_back(component);
    }
    pie->setComponents(components);
    return pie;
}

// Whether drawing the view into a transparent picture leaves every pixel untouched.
bool drawsNothing(const UIViewRef& view)
{
    UIGraphicsBeginImageContextWithOptions(view->bounds().size, false, 1);
    view->drawRect(view->bounds());
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    const auto pixels = pixelsOf(image->CGImage());
    for (std::uint8_t byte : pixels.bytes)
        if (byte)
            return false;
    return true;
}

std::shared_ptr<NSMutableDictionary> record(const char* text, int count, double share, const char* colour)
{
    auto slice = NSMutableDictionary::dictionary();
    slice->setObject(NSString(text), "text");
    slice->setObject(NSNumber::numberWithInt(count), "prfbal");
    slice->setObject(NSNumber::numberWithDouble(share), "data");
    slice->setObject(NSString(colour), "color");
    return slice;
}

class Listener : public NSObject, public PieChartDelegate {
    NS_OBJECT(Listener, NSObject)
public:
    void onClick() override { ++clicks; }
    int clicks { 0 };
};

class PieChartTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
    }
    UIViewRef hostView(CGFloat height)
    {
        auto view = UIView::create(CGRectMake(0, 40, 320, height));
        view->setBackgroundColor(UIColor::whiteColor());
        root->view()->addSubview(view);
        return view;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
};

TEST_F(PieChartTest, slicesRunClockwiseFromTwelveAndTheDiameterIsChosenOnce)
{
    auto pie = pieOf({ 10, 30, 60 });
    EXPECT_TRUE(!drawsNothing(pie));
    const auto& parts = pie->components();
    EXPECT_FLOAT_EQ(parts[0]->startDeg(), 0);
    EXPECT_FLOAT_EQ(parts[0]->endDeg(), 36);
    EXPECT_FLOAT_EQ(parts[1]->startDeg(), 36);
    EXPECT_FLOAT_EQ(parts[1]->endDeg(), 144);
    EXPECT_FLOAT_EQ(parts[2]->startDeg(), 144);
    EXPECT_FLOAT_EQ(parts[2]->endDeg(), 360);
    EXPECT_EQ(pie->diameter(), 170);
    pie->setFrame(CGRectMake(0, 0, 600, 500));
    pie->drawRect(pie->bounds());
    EXPECT_EQ(pie->diameter(), 170);

    auto halves = pieOf({ 50, 50 });
    EXPECT_FALSE(drawsNothing(halves));
    EXPECT_FLOAT_EQ(halves->components()[1]->startDeg(), 180);
    auto bare = pieOf({ 1 });
    bare->components()[0]->setColour(nullptr);
    EXPECT_FALSE(drawsNothing(bare));
    EXPECT_EQ(halves->components()[0]->description(), NSString("title: 第1组\nvalue: 50.000000\n"));
}

TEST_F(PieChartTest, aSumWithoutAnglesDrawsNothing)
{
    EXPECT_TRUE(drawsNothing(pieOf({})));
    EXPECT_TRUE(drawsNothing(pieOf({ 0, 0 })));
    EXPECT_TRUE(drawsNothing(pieOf({ 5, -5 })));
    auto unbounded = pieOf({ 3, NAN });
    EXPECT_TRUE(drawsNothing(unbounded));
    EXPECT_FLOAT_EQ(unbounded->components()[0]->endDeg(), 0);
    EXPECT_TRUE(drawsNothing(pieOf({ 3, INFINITY })));
}

TEST_F(PieChartTest, theBuilderPlacesThePieAndCentresTheLegendUnderIt)
{
    auto view = hostView(300);
    auto chart = StudentPieLineChart::create();
    auto data = NSMutableArray::array();
    data->addObject(record("在学", 4, 50, "e66444"));
    data->addObject(record("结业", 4, 50, "a2c159"));
    chart->setData(data);
    chart->showPlot(view);
    auto pie = chart->pieChart();
    EXPECT_EQ(pie->frame(), CGRectMake(0, 30, 320, 200));
    EXPECT_EQ(pie->diameter(), 100);
    ASSERT_EQ(pie->components().size(), 2u);
    EXPECT_EQ(pie->components()[0]->subTitle(), NSString("4人"));
    ASSERT_EQ(view->subviews().size(), 2u);
    const CGRect legend = view->subviews()[1]->frame();
    EXPECT_EQ(legend.origin.y, 230);
    EXPECT_EQ(legend.size.height, 40);
    EXPECT_NEAR(legend.origin.x * 2 + legend.size.width, 320, 0.01);
    expectMatchesReference(*host, view, "pie-two-halves");

    // A second drawing replaces the pie; the caller clears the legend.
    chart->setData(NSMutableArray::array());
    for (const auto& subview : std::vector<UIViewRef>(view->subviews()))
        subview->removeFromSuperview();
    chart->showPlot(view);
    ASSERT_EQ(view->subviews().size(), 2u);
    EXPECT_EQ(view->subviews()[1]->frame().size.width, 3);
    EXPECT_EQ(view->subviews()[1]->frame().origin.x, (320 - 3) / 2.0);
}

TEST_F(PieChartTest, aLegendWiderThanTheHostWrapsIntoCentredRows)
{
    auto view = hostView(360);
    auto chart = StudentPieLineChart::create();
    auto data = NSMutableArray::array();
    const char* names[] = { "科目一", "科目二", "科目三", "科目四", "科目五", "科目六", "科目七", "科目八", "科目九", "科目十" };
    const char* colours[] = { "e66444", "a2c159", "9178af", "e96860", "97a79a", "2f4a34", "5395ba", "814b4b", "0f7723", "472eb2" };
    for (int i = 0; i < 10; ++i)
        data->addObject(record(names[i], i + 1, (i + 1) / 55.0 * 100, colours[i]));
    chart->setData(data);
    chart->showPlot(view);
    ASSERT_GT(view->subviews().size(), 2u);
    for (std::size_t i = 1; i < view->subviews().size(); ++i) {
        const CGRect row = view->subviews()[i]->frame();
        EXPECT_GE(row.origin.x, 0) << i;
        EXPECT_LE(row.origin.x + row.size.width, 320) << i;
        EXPECT_EQ(row.origin.y, view->subviews()[1]->frame().origin.y + (i - 1) * 40);
        EXPECT_LE(row.origin.y + row.size.height, 360) << i;
    }
    expectMatchesReference(*host, view, "pie-ten-subjects");
}

TEST_F(PieChartTest, aTapReachesOnlyALiveDelegate)
{
    auto chart = StudentPieLineChart::create();
    auto listener = Listener::create();
    chart->setDelegate(std::static_pointer_cast<PieChartDelegate>(listener));
    auto tap = UITapGestureRecognizer::create();
    chart->onClick(*tap);
    EXPECT_EQ(listener->clicks, 1);
    listener.reset();
    chart->onClick(*tap);
    EXPECT_EQ(chart->delegate(), nullptr);
}

} // namespace
