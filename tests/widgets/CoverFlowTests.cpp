// The carousel on the headless screen: pans by touches, moves on the manual clock, and its
// perspective read back from the pixels.
#include "WidgetScreen.h"

#include "library/widgets/coverflow/CoverFlowView.h"

#include <filesystem>

namespace {

const char* const kPictures[] = { "cover_stop", "cover_speed", "cover_light", "cover_car", "cover_crossing", "cover_round",
    "cover_parking", "cover_noentry" };
const char* const kTitles[] = { "禁止通行", "限速六十", "信号灯", "小型汽车", "人行横道", "环岛行驶", "停车场", "禁止驶入" };

class Listener : public NSObject, public CoverFlowViewDelegate {
    NS_OBJECT(Listener, NSObject)
public:
    std::vector<int32_t> told;
    void selectedAtIndex(int32_t index) override { told.push_back(index); }
};

class CoverFlowTest : public WidgetScreenTest {
protected:
    void make(size_t count, std::vector<NSString> titles = {})
    {
        std::vector<UIImageRef> images;
        for (size_t i = 0; i < count; ++i) {
            images.push_back(UIImage::imageNamed(NSString("coverflow/") + kPictures[i % 8] + ".png"));
            if (titles.size() < count)
                titles.push_back(kTitles[i % 8]);
        }
        ASSERT_TRUE(images.front()) << "the drawn pictures are in the bundle";
        flow = CoverFlowView::coverFlowViewWithFrame(CGRectMake(0, 100, 320, 300), images, titles, 2, 0.5, 0.8);
        flow->setBackgroundColor(UIColor::blackColor());
        listener = Listener::create();
        flow->setDelegate(listener);
        screen()->addSubview(flow);
        host->advance(0.1);
    }
    void snapshot(const char* name)
    {
        std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
        EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/" + name + ".png")));
    }
    // Lit pixels in the screen column from the top of the view down to the pictures' centre line:
    // the upper half of whatever picture stands there.
    int upperHalfHeight(CGFloat x)
    {
        int lit = 0;
        for (CGFloat y = 100; y <= 100 + 160; y += 0.5) {
            const auto p = host->pixelAt(CGPointMake(x, y));
            lit += (p[0] + p[1] + p[2]) > 60;
        }
        return lit;
    }
    CGPoint slotPosition(size_t slot) { return flow->templateLayers()[slot]->position(); }

    CoverFlowViewRef flow;
    std::shared_ptr<Listener> listener;
};

TEST_F(CoverFlowTest, theFirstPicturesFillTheMiddleAndTheRightSide)
{
    make(10);
    ASSERT_EQ(flow->templateLayers().size(), 7u);
    ASSERT_EQ(flow->imageLayers().size(), 3u);
    for (size_t j = 0; j < 3; ++j)
        EXPECT_EQ(flow->imageLayers()[j]->position(), slotPosition(3 + j));
    EXPECT_DOUBLE_EQ(flow->imageLayers()[0]->bounds().size.width, 120 * 0.8);
    EXPECT_DOUBLE_EQ(flow->imageLayers()[1]->bounds().size.width, 120 * 0.5);
    EXPECT_EQ(slotPosition(3), CGPointMake(160, 160));
    EXPECT_EQ(slotPosition(0), CGPointMake(160 - 150 - 160, 160));
    EXPECT_DOUBLE_EQ(flow->templateLayers()[2]->zPosition(), -10);
    EXPECT_DOUBLE_EQ(flow->templateLayers()[6]->zPosition(), -30);
}

TEST_F(CoverFlowTest, aPanMovesOneStepPastSixtyPoints)
{
    make(10);
    auto pan = std::dynamic_pointer_cast<UIPanGestureRecognizer>(flow->gestureRecognizers().front());
    host->touchDown(CGPointMake(250, 250));
    host->touchMove(CGPointMake(240, 250));
    host->touchMove(CGPointMake(230, 250));
    pan->setTranslation(CGPointZero, flow);
    host->touchMove(CGPointMake(170, 250));
    EXPECT_EQ(flow->currentRenderingImageIndex(), 0) << "60 points";
    host->touchMove(CGPointMake(169, 250));
    EXPECT_EQ(flow->currentRenderingImageIndex(), 1) << "61 points";
    host->touchUp(CGPointMake(169, 250));
    EXPECT_EQ(listener->told, std::vector<int32_t> { 1 });
}

TEST_F(CoverFlowTest, aFlickSettlesOnAPictureAndTheLeavingOneFadesAway)
{
    make(10);
    for (int i = 0; i < 3; ++i)
        flow->moveOneStep(true);
    host->advance(1.2);
    EXPECT_EQ(flow->imageLayers().size(), 5u);
    const size_t before = flow->layer()->sublayers().size();
    host->swipe(CGPointMake(260, 250), UISwipeDirectionHint::Left);
    ASSERT_FALSE(listener->told.empty());
    const int32_t settled = flow->currentRenderingImageIndex();
    EXPECT_GT(settled, 3);
    EXPECT_EQ(listener->told.back(), settled);
    EXPECT_LE(flow->imageLayers().size(), 5u);
    host->advance(0.6);
    EXPECT_EQ(flow->layer()->sublayers().size(), before) << "the layers that left are gone after the fade";
    host->advance(1.0);
    EXPECT_EQ(flow->imageLayers()[2]->position(), slotPosition(3)) << "the current picture rests in the middle";
    snapshot("coverflow-settled");
}

TEST_F(CoverFlowTest, theEndsStayPutButTheDelegateIsStillTold)
{
    make(3);
    flow->moveOneStep(false);
    EXPECT_EQ(flow->currentRenderingImageIndex(), 0);
    flow->moveOneStep(true);
    flow->moveOneStep(true);
    host->advance(1.2);
    host->swipe(CGPointMake(260, 250), UISwipeDirectionHint::Left);
    EXPECT_EQ(flow->currentRenderingImageIndex(), 2);
    ASSERT_FALSE(listener->told.empty());
    EXPECT_EQ(listener->told.back(), 2);
    EXPECT_EQ(flow->imageLayers().size(), 3u);
}

TEST_F(CoverFlowTest, missingTitlesReadAsEmptyAndTheMirrorLiesUnderTheTitle)
{
    make(4, { "只有一个标题" });
    for (const auto& layer : flow->imageLayers()) {
        const auto sublayers = layer->sublayers();
        ASSERT_EQ(sublayers.size(), 2u);
        EXPECT_TRUE(sublayers[0]->mask()) << "the mirror, masked to fade";
        EXPECT_DOUBLE_EQ(sublayers[0]->position().y, layer->bounds().size.height * 1.5);
    }
}

TEST_F(CoverFlowTest, sidePicturesAreDrawnInPerspective)
{
    make(10);
    for (int i = 0; i < 2; ++i)
        flow->moveOneStep(true);
    host->advance(1.2);
    host->advance(0.6);
    snapshot("coverflow-perspective");
    // The middle picture faces the viewer: every column of its upper half is as tall.
    EXPECT_EQ(upperHalfHeight(130), upperHalfHeight(190));
    // The pictures beside it are turned away: one edge stands taller than the other, and the
    // two sides mirror each other.
    const int rightNear = upperHalfHeight(280), rightFar = upperHalfHeight(310);
    const int leftNear = upperHalfHeight(40), leftFar = upperHalfHeight(10);
    EXPECT_GT(std::abs(rightNear - rightFar), 6) << rightNear << " vs " << rightFar;
    EXPECT_NEAR(rightNear, leftNear, 2);
    EXPECT_NEAR(rightFar, leftFar, 2);
    EXPECT_GT(upperHalfHeight(160), 0);
}

} // namespace
