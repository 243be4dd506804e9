#include "platform/layers/LayerCompositor.h"
#include "platform/layers/CATextLayer.h"
#include "platform/text/UIFont.h"
#include "tests/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Rows and columns of the compositor's picture where the text put colour.
CGRect inkBounds(const std::shared_ptr<LayerCompositor>& compositor)
{
    const CGImageRef image = compositor->image();
    const int width = static_cast<int>(CGImageGetWidth(image)), height = static_cast<int>(CGImageGetHeight(image));
    int minX = width, minY = height, maxX = -1, maxY = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            if (((imageWordAt(image, x, y) >> 16) & 0xFF) > 128)
                minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    return maxX < 0 ? CGRectNull : CGRectMake(minX, minY, maxX - minX + 1, maxY - minY + 1);
}

} // namespace

TEST(CATextLayer, drawsChineseTextCentredAtTheContentsScale)
{
    auto compositor = LayerCompositor::create(CGSizeMake(200, 60), 2.0);
    auto text = CATextLayer::layer();
    text->setFrame(CGRectMake(0, 0, 200, 60));
    text->setString(NSString("科目一"));
    text->setFontSize(14);
    text->setAlignmentMode(kCAAlignmentCenter);
    text->setContentsScale(2);
    compositor->setRootLayer(text);
    compositor->renderFrame();
    const CGRect ink = inkBounds(compositor);
    ASSERT_FALSE(CGRectIsNull(ink));
    EXPECT_NEAR(CGRectGetMidX(ink), 200, 6) << "centred in 400 device pixels";
    EXPECT_LT(ink.origin.y, 40) << "drawn from the top";
    EXPECT_GT(ink.size.width, 60) << "three 14-point glyphs at scale 2";

    // Wrapping moves the second half to another line.
    text->setString(NSString("科目一科目一科目一科目一科目一科目一科目一科目一科目一"));
    text->setWrapped(true);
    compositor->renderFrame();
    EXPECT_GT(inkBounds(compositor).size.height, 40);
}
