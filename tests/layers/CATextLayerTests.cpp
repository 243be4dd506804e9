#include "platform/layers/LayerCompositor.h"
#include "platform/layers/CATextLayer.h"
#include "platform/layers/CATransaction.h"
#include "platform/foundation/NSNumber.h"
#include "platform/text/NSAttributedString.h"
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

namespace {

// Text drawn by one layer filling a 200×40 picture at scale 1.
class TextPicture {
public:
    TextPicture(CGFloat width = 200, CGFloat height = 40)
        : compositor(LayerCompositor::create(CGSizeMake(width, height), 1.0))
    {
        // The picture is opaque black: text shows in its colour.
        text->setFrame(CGRectMake(0, 0, width, height));
        text->setFontSize(14);
        compositor->setRootLayer(text);
    }
    static bool inked(const Pixel& p) { return std::max({ p.r, p.g, p.b }) > 128; }
    CGImageRef render()
    {
        compositor->renderFrame();
        return compositor->image();
    }
    // The mean row of the inked pixels in columns [from, to).
    double meanInkRow(int from, int to)
    {
        const CGImageRef image = render();
        const int height = static_cast<int>(CGImageGetHeight(image));
        double rows = 0;
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = from; x < to; ++x)
                if (inked(imagePixelAt(image, x, y)))
                    rows += y, ++count;
        return count ? rows / count : -1;
    }
    CGRect ink()
    {
        const CGImageRef image = render();
        const int width = static_cast<int>(CGImageGetWidth(image)), height = static_cast<int>(CGImageGetHeight(image));
        int minX = width, minY = height, maxX = -1, maxY = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (inked(imagePixelAt(image, x, y)))
                    minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        return maxX < 0 ? CGRectNull : CGRectMake(minX, minY, maxX - minX + 1, maxY - minY + 1);
    }

    std::shared_ptr<LayerCompositor> compositor;
    std::shared_ptr<CATextLayer> text = CATextLayer::layer();
};

} // namespace

TEST(CATextLayer, alignmentModesPlaceAShortLine)
{
    TextPicture picture;
    picture.text->setString(NSString("Lane"));
    picture.text->setAlignmentMode(kCAAlignmentLeft);
    const CGRect left = picture.ink();
    ASSERT_FALSE(CGRectIsNull(left));
    EXPECT_LT(left.origin.x, 5);

    picture.text->setAlignmentMode(kCAAlignmentRight);
    const CGRect right = picture.ink();
    EXPECT_GT(CGRectGetMaxX(right), 195);
    EXPECT_NEAR(right.size.width, left.size.width, 2) << "the same line, moved";

    picture.text->setAlignmentMode(kCAAlignmentCenter);
    EXPECT_NEAR(CGRectGetMidX(picture.ink()), 100, 3);

    picture.text->setAlignmentMode(kCAAlignmentNatural);
    EXPECT_LT(picture.ink().origin.x, 5) << "left-to-right text starts on the left";
    picture.text->setAlignmentMode(kCAAlignmentJustified);
    EXPECT_LT(picture.ink().origin.x, 5) << "a last line is not stretched";
}

TEST(CATextLayer, truncationKeepsTheHeadTheTailOrBothEnds)
{
    // Low marks first and high marks last: which part of the line survives shows in how high the
    // ink sits in each half of the picture.
    TextPicture picture;
    picture.text->setString(NSString(std::string(150, '.') + std::string(150, '\'')));
    picture.text->setTruncationMode(kCATruncationEnd);
    const double endLeft = picture.meanInkRow(0, 100), endRight = picture.meanInkRow(100, 200);
    picture.text->setTruncationMode(kCATruncationStart);
    const double startLeft = picture.meanInkRow(0, 100), startRight = picture.meanInkRow(100, 200);
    picture.text->setTruncationMode(kCATruncationMiddle);
    const double middleLeft = picture.meanInkRow(0, 100), middleRight = picture.meanInkRow(100, 200);

    EXPECT_GT(endLeft, startLeft + 3) << "the end mode keeps the low head, the start mode the high tail";
    EXPECT_GT(endRight, startRight + 3);
    EXPECT_GT(middleLeft, middleRight + 3) << "the middle mode keeps the head on the left, the tail on the right";
    EXPECT_LT(picture.ink().size.height, 25) << "unwrapped text stays on one line";
}

TEST(CATextLayer, wrappedTextBreaksIntoLinesAndCutsTheLastVisibleOne)
{
    TextPicture picture(120, 200);
    const NSString words("the learner checks the mirrors before every turn and signals early enough");
    picture.text->setString(words);
    const CGRect oneLine = picture.ink();
    picture.text->setWrapped(true);
    const CGRect wrapped = picture.ink();
    EXPECT_GT(wrapped.size.height, 2 * oneLine.size.height);
    EXPECT_LE(CGRectGetMaxX(wrapped), 120);

    TextPicture shortBox(120, 36);
    shortBox.text->setString(words);
    shortBox.text->setWrapped(true);
    shortBox.text->setTruncationMode(kCATruncationEnd);
    const CGRect cut = shortBox.ink();
    EXPECT_LT(CGRectGetMaxY(cut), 36) << "lines past the bounds are not drawn";
    EXPECT_GT(cut.size.height, oneLine.size.height * 1.5) << "two lines fit";
}

TEST(CATextLayer, colourSizeAndFontComeFromTheLayerUnlessTheStringCarriesThem)
{
    TextPicture picture;
    picture.text->setString(NSString("Stop"));
    picture.text->setForegroundColor(CGColorCreateGenericRGB(0, 0, 1, 1));
    const CGImageRef image = picture.render();
    int blue = 0, red = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            const Pixel p = imagePixelAt(image, x, y);
            blue += p.b > 200, red += p.r > 100;
        }
    EXPECT_GT(blue, 20);
    EXPECT_EQ(red, 0);

    const CGFloat small = picture.ink().size.height;
    CATransaction::begin();
    CATransaction::setDisableActions(true); // the size at once, not animated towards
    picture.text->setValue(NSNumber::numberWithDouble(28), "fontSize");
    CATransaction::commit();
    EXPECT_DOUBLE_EQ(ns::cast<NSNumber>(picture.text->valueForKey("fontSize"))->doubleValue(), 28);
    EXPECT_GT(picture.ink().size.height, small * 1.6);

    picture.text->setFont(UIFont::systemFontOfSize(8));
    EXPECT_GT(picture.ink().size.height, small * 1.6) << "a font object takes the layer's size";
    picture.text->setFont(NSString("No Such Face"));
    EXPECT_FALSE(CGRectIsNull(picture.ink())) << "an unknown face falls back";

    auto white = NSMutableDictionary::dictionary();
    white->setObject(CGColorCreateGenericRGB(1, 1, 1, 1), NSString(NSForegroundColorAttributeName));
    auto attributed = NSAttributedString::withString(NSString("Go"), white);
    picture.text->setString(attributed);
    EXPECT_FALSE(CGRectIsNull(picture.ink()));
    picture.text->setString(NSString(""));
    EXPECT_TRUE(CGRectIsNull(picture.ink())) << "nothing to draw";

    auto copy = std::dynamic_pointer_cast<CATextLayer>(picture.text->presentationLayer());
    ASSERT_TRUE(copy);
    EXPECT_DOUBLE_EQ(copy->fontSize(), 28) << "the presentation copy carries the text properties";
}

TEST(CATextLayer, sizeAndColourAnimateImplicitlyAndOnlyRealChangesRedraw)
{
    auto layer = CATextLayer::layer();
    layer->setString(NSString("Lane"));
    layer->displayIfNeeded();
    CATransaction::flush();

    layer->setString(NSString("Lane"));
    layer->setWrapped(false);
    layer->setTruncationMode(layer->truncationMode());
    layer->setAlignmentMode(layer->alignmentMode());
    layer->setFont(layer->font());
    EXPECT_FALSE(layer->needsDisplay()) << "setting what is already there draws nothing anew";

    const auto red = CGColorCreateGenericRGB(1, 0, 0, 1);
    layer->setValue(red, "foregroundColor");
    layer->setValue(NSNumber::numberWithDouble(20), "fontSize");
    layer->setValue(NSNumber::numberWithDouble(0.5), "opacity");
    EXPECT_TRUE(layer->needsDisplay());
    EXPECT_TRUE(CGColorEqualToColor(ns::cast<CGColor>(layer->valueForKey("foregroundColor")), red));
    EXPECT_FLOAT_EQ(layer->opacity(), 0.5);
    EXPECT_TRUE(layer->animationForKey("fontSize")) << "size and colour animate";
    EXPECT_TRUE(layer->animationForKey("foregroundColor"));

    layer->setWrapped(true);
    EXPECT_FALSE(layer->animationForKey("wrapped"));
    layer->setValue(NSString("not a number"), "fontSize");
    EXPECT_DOUBLE_EQ(layer->fontSize(), 0);
    CATransaction::flush();
    layer->removeAllAnimations();
}
