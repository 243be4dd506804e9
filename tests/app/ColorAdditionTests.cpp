#include "app/screens/base/UIColor_Addition.h"

#include <gtest/gtest.h>

using UIColor_Addition::colorWithHexString;

namespace {

void expectRGB(const std::shared_ptr<UIColor>& color, int red, int green, int blue)
{
    CGFloat r = -1, g = -1, b = -1, a = -1;
    ASSERT_TRUE(color->getRed(&r, &g, &b, &a));
    EXPECT_DOUBLE_EQ(r, double(float(red) / 255.0f));
    EXPECT_DOUBLE_EQ(g, double(float(green) / 255.0f));
    EXPECT_DOUBLE_EQ(b, double(float(blue) / 255.0f));
    EXPECT_EQ(a, 1.0);
}

TEST(ColorFromHexText, sixDigitsInEveryWrittenFormGiveTheirColour)
{
    for (const char* text : { "f6f6f6", "F6F6F6", "0xf6f6f6", "0Xf6F6f6", "  f6f6f6\n", "\t0xF6F6F6 " })
        expectRGB(colorWithHexString(text), 0xF6, 0xF6, 0xF6);
    expectRGB(colorWithHexString("00A7D1"), 0x00, 0xA7, 0xD1);
    expectRGB(colorWithHexString("0x383838"), 0x38, 0x38, 0x38);
}

TEST(ColorFromHexText, anythingElseIsGreyNeverNil)
{
    const auto grey = UIColor::grayColor();
    for (const char* text : { "", "#f6f6f6", "fff", "f6f6f6ff", "0x", "0xf6f6", "12345" })
        EXPECT_TRUE(colorWithHexString(text)->isEqual(grey)) << text;
    EXPECT_TRUE(colorWithHexString(NSString())->isEqual(grey));
    // A pair without any digit reads as zero; a pair with one digit reads that digit.
    expectRGB(colorWithHexString("ZZ1G80"), 0x00, 0x01, 0x80);
}

} // namespace
