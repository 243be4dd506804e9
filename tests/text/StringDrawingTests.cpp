#include "platform/text/NSStringDrawing.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIStringDrawing.h"

#include "platform/graphics/UIGraphics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr const char* question = "驾驶机动车在道路上违反道路交通安全法的行为，属于什么行为？Drivers must yield.";


} // namespace

TEST(UIStringDrawing, sizesAreWholePointsAndWrapAtTheWidth)
{
    auto font = UIFont::systemFontOfSize(14);
    const CGSize line = UIStringDrawing::sizeWithFont("考试科目", font);
    EXPECT_EQ(line.width, 4 * 14);
    EXPECT_EQ(line.height, std::ceil(14 * 1.448));
    const CGSize wrapped = UIStringDrawing::sizeWithFont(question, font, CGSizeMake(150, 1000), NSLineBreakByWordWrapping);
    EXPECT_LE(wrapped.width, 150);
    EXPECT_GE(wrapped.height, 3 * 14);
    EXPECT_EQ(wrapped, UIStringDrawing::sizeWithFont(question, font, CGSizeMake(150, 1000), NSLineBreakByWordWrapping));
    // A tail-truncating mode still wraps, but stops at the height.
    const CGSize cut = UIStringDrawing::sizeWithFont(question, font, CGSizeMake(150, 2 * font->lineHeight() + 1), NSLineBreakByTruncatingTail);
    EXPECT_LT(cut.height, wrapped.height);
    EXPECT_GT(cut.height, font->lineHeight());
    EXPECT_EQ(UIStringDrawing::sizeWithFont(NSString(), font), CGSizeZero);
    EXPECT_EQ(UIStringDrawing::sizeWithFont("x", nullptr), CGSizeZero);
}

TEST(NSStringDrawing, boundingRectsFollowTheOptions)
{
    auto font = UIFont::systemFontOfSize(16);
    auto attributes = ns::dictionary({ { NSFontAttributeName, font } });
    const CGRect fragments = NSStringDrawing::boundingRectWithSize(question, CGSizeMake(200, CGFLOAT_MAX),
        NSStringDrawingUsesLineFragmentOrigin | NSStringDrawingUsesFontLeading, attributes, nullptr);
    EXPECT_EQ(fragments.origin, CGPointZero);
    EXPECT_LE(fragments.size.width, 200);
    EXPECT_GT(fragments.size.height, 2 * font->lineHeight());
    // Options 35: the last line that fits is cut instead of running past the height.
    const CGRect cut = NSStringDrawing::boundingRectWithSize(question, CGSizeMake(200, 30), 35, attributes, nullptr);
    EXPECT_LT(cut.size.height, 30);
    // Without line fragments the text is one line above its baseline.
    const CGRect single = NSStringDrawing::boundingRectWithSize(question, CGSizeMake(200, CGFLOAT_MAX), 0, attributes, nullptr);
    EXPECT_LT(single.origin.y, 0);
    EXPECT_GT(single.size.width, 200);
    EXPECT_EQ(NSStringDrawing::sizeWithAttributes("abc", nullptr).height > 0, true) << "the default font is 12 points";

    auto style = NSMutableParagraphStyle::create();
    style->setLineBreakMode(NSLineBreakByTruncatingTail);
    auto truncating = ns::dictionary({ { NSFontAttributeName, font }, { NSParagraphStyleAttributeName, style } });
    const CGRect oneLine = NSStringDrawing::boundingRectWithSize(question, CGSizeMake(200, CGFLOAT_MAX),
        NSStringDrawingUsesLineFragmentOrigin, truncating, nullptr);
    EXPECT_LT(oneLine.size.height, 2 * font->pointSize()) << "a truncating paragraph keeps to one line";
}

TEST(UIStringDrawing, drawsInTheContextFillColourInsideTheRect)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(100, 60), false, 1);
    auto context = UIGraphicsGetCurrentContext();
    ASSERT_NE(context, nullptr);
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    UIStringDrawing::drawInRect("科目一 科目二 科目三", CGRectMake(10, 10, 80, 40), UIFont::systemFontOfSize(20),
        NSLineBreakByTruncatingTail, NSTextAlignmentCenter);
    const auto* data = static_cast<const unsigned char*>(CGBitmapContextGetData(context));
    const auto stride = CGBitmapContextGetBytesPerRow(context);
    int red = 0, outside = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 100; ++x) {
            const unsigned char* pixel = data + y * stride + x * 4;
            if (pixel[3] < 128)
                continue;
            const bool inRect = x >= 9 && x <= 91 && y >= 9 && y <= 51;
            outside += !inRect;
            red += inRect && pixel[2] > 128 && pixel[1] < 64;
        }
    }
    EXPECT_GT(red, 50);
    EXPECT_EQ(outside, 0);
    UIGraphicsEndImageContext();
}
