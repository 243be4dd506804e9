// Layers turned in depth under a perspective: what hangs outside a turned layer's bounds, and
// siblings seen through their superlayer's sublayer transform.
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/layers/ManualClockLayerTest.h"
#include "platform/layers/LayerCompositor.h"

#include <gtest/gtest.h>

namespace {

CALayerRef block(CGRect frame, CGFloat r, CGFloat g, CGFloat b)
{
    auto layer = CALayer::layer();
    layer->setFrame(frame);
    layer->setBackgroundColor(CGColorCreateGenericRGB(r, g, b, 1));
    return layer;
}

class LayerPerspectiveTest : public ManualClockLayerTest {
protected:
    void SetUp() override
    {
        ManualClockLayerTest::SetUp();
        compositor = LayerCompositor::create(CGSizeMake(200, 200), 1.0);
        root = block(CGRectMake(0, 0, 200, 200), 0, 0, 0);
        CATransform3D perspective = CATransform3DIdentity;
        perspective.m34 = -1.0 / 300;
        root->setSublayerTransform(perspective);
        compositor->setRootLayer(root);
    }
    Pixel at(int x, int y) { return imagePixelAt(compositor->image(), x, y); }
    // Rows of the column that show the colour channel.
    int rows(int x, int channel)
    {
        int count = 0;
        for (int y = 0; y < 200; ++y) {
            const Pixel p = at(x, y);
            count += (channel == 0 ? p.r : channel == 1 ? p.g : p.b) > 128;
        }
        return count;
    }

    std::shared_ptr<LayerCompositor> compositor;
    CALayerRef root;
};

TEST_F(LayerPerspectiveTest, aTurnedLayerKeepsTheSublayersThatHangOutsideIt)
{
    auto card = block(CGRectMake(60, 30, 80, 60), 1, 0, 0);
    card->addSublayer(block(CGRectMake(0, 70, 80, 60), 0, 1, 0));
    card->setTransform(CATransform3DMakeRotation(M_PI / 4, 0, 1, 0));
    root->addSublayer(card);
    compositor->renderFrame();
    EXPECT_GT(rows(100, 0), 40) << "the card";
    EXPECT_GT(rows(100, 1), 40) << "what hangs below it is drawn too";
    // Both are foreshortened alike: the taller edge of the card is the taller edge below it.
    const int leftCard = rows(75, 0), rightCard = rows(125, 0);
    const int leftBelow = rows(75, 1), rightBelow = rows(125, 1);
    EXPECT_GT(std::abs(leftCard - rightCard), 4);
    EXPECT_EQ(leftCard > rightCard, leftBelow > rightBelow);
}

TEST_F(LayerPerspectiveTest, siblingsTurnAboutTheSuperlayersCentreAndStackByDepth)
{
    auto left = block(CGRectMake(20, 60, 60, 80), 1, 0, 0);
    left->setTransform(CATransform3DMakeRotation(M_PI / 3, 0, 1, 0));
    left->setZPosition(-10);
    auto right = block(CGRectMake(120, 60, 60, 80), 0, 0, 1);
    right->setTransform(CATransform3DMakeRotation(-M_PI / 3, 0, 1, 0));
    right->setZPosition(-10);
    auto middle = block(CGRectMake(60, 50, 80, 100), 0, 1, 0);
    root->addSublayer(middle);
    root->addSublayer(left);
    root->addSublayer(right);
    compositor->renderFrame();
    EXPECT_EQ(at(100, 100).g, 255) << "the middle stays in front, though added first";
    EXPECT_EQ(rows(100, 1), 100) << "and faces the viewer at its own size";
    // The two sides mirror each other about the centre.
    for (int dx : { 50, 55, 60 })
        EXPECT_NEAR(rows(100 - dx, 0), rows(100 + dx, 2), 2) << dx;
    EXPECT_NE(rows(45, 0), rows(55, 0)) << "turned away, one edge stands taller";
}

} // namespace
