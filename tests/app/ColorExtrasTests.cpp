#include "app/screens/base/UIColor_Extras.h"
#include "app/screens/base/UIColor_Extras_Support.h"
#include "platform/foundation/NSArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

using namespace UIColor_Extras;

TEST(ColorExtras, componentsAndTheirTextFormsOfRGBAndGreyColours)
{
    auto teal = UIColor::colorWithRed(0, 167 / 255.0, 209 / 255.0, 0.5);
    EXPECT_EQ(colorSpaceString(*teal), NSString("kCGColorSpaceModelRGB"));
    EXPECT_EQ(rgbHex(*teal), 0x00A7D1u);
    EXPECT_EQ(hexStringFromColor(*UIColor::colorWithRed(1.2, 0, 0, 1)), NSString("FF0000"));
    EXPECT_EQ(stringFromColor(*teal), NSString("{0.000, 0.655, 0.820, 0.500}"));
    auto grey = UIColor::colorWithWhite(0.25, 1);
    EXPECT_TRUE(canProvideRGBComponents(*grey));
    EXPECT_DOUBLE_EQ(blue(*grey), 0.25);
    EXPECT_EQ(stringFromColor(*grey), NSString("{0.250, 1.000}"));
    CGFloat r = -1, a = -1;
    EXPECT_TRUE(UIColor_Extras::red(*grey, &r, nullptr, nullptr, &a));
    EXPECT_DOUBLE_EQ(r, 0.25);
    EXPECT_DOUBLE_EQ(a, 1);

    // The text forms read back; anything else is nil.
    auto back = colorWithString(stringFromColor(*teal));
    ASSERT_TRUE(back);
    EXPECT_EQ(rgbHex(*back), 0x00A7D1u);
    auto halfGrey = colorWithString("{0.5, 1}");
    ASSERT_TRUE(halfGrey);
    EXPECT_DOUBLE_EQ(white(*halfGrey), 0.5);
    for (const char* bad : { "{0.5, 1, 0}", "{1, 1, 1, 1} and more", "{1, 1, 1, 1, 1}", "{1 1}", "{a}", "", "0.5, 1" })
        EXPECT_FALSE(colorWithString(bad)) << bad;
}

TEST(ColorExtras, arithmeticClampsWhereItSaysAndHexTextIsOneNumber)
{
    auto color = UIColor::colorWithRed(0.5, 0.25, 1, 1);
    EXPECT_EQ(rgbHex(*colorByMultiplyingBy(*color, 4)), 0xFFFFFFu);
    EXPECT_EQ(rgbHex(*colorByAdding(*color, -0.5)), 0x000080u);
    EXPECT_DOUBLE_EQ(UIColor_Extras::red(*colorByLighteningToRed(*color, 0.75, 0, 0, 0)), 0.75);
    EXPECT_DOUBLE_EQ(green(*colorByDarkeningTo(*color, 0.1)), 0.1);
    auto luma = colorByLuminanceMapping(*UIColor::colorWithRed(1, 1, 1, 0.5));
    EXPECT_NEAR(white(*luma), 1, 1e-6);
    EXPECT_DOUBLE_EQ(alpha(*luma), 0.5);
    EXPECT_EQ(rgbHex(*colorByMultiplyingByColor(*color, UIColor::blackColor())), rgbHex(*colorByMultiplyingByRed(*color, 0.5, 0.25, 1, 1)));

    EXPECT_EQ(rgbHex(*UIColor_Extras::colorWithHexString(" 0x00a7d1")), 0x00A7D1u);
    EXPECT_FALSE(UIColor_Extras::colorWithHexString("#00a7d1"));
    EXPECT_FALSE(UIColor_Extras::colorWithHexString(nullptr));
}

TEST(ColorExtras, cssKeywordsAreFoundExactlyFromAnyThread)
{
    const char* table = UIColor_Extras_Support::colorNameTable();
    EXPECT_EQ(std::count(table, table + std::strlen(table), '#'), 147);
    EXPECT_EQ(rgbHex(*colorWithName("aliceblue")), 0xF0F8FFu);
    EXPECT_EQ(rgbHex(*colorWithName("yellowgreen")), 0x9ACD32u);
    EXPECT_EQ(rgbHex(*colorWithName("grey")), rgbHex(*colorWithName("gray")));
    EXPECT_EQ(rgbHex(*colorWithName("blue")), 0x0000FFu);
    for (const char* missing : { "Red", "bluish", "", "aliceblue#f0f8ff" }) {
        EXPECT_FALSE(colorWithName(missing)) << missing;
        EXPECT_FALSE(colorWithName(missing)) << missing;
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i)
                EXPECT_EQ(rgbHex(*colorWithName(i % 2 ? "tomato" : "teal")), i % 2 ? 0xFF6347u : 0x008080u);
        });
    for (auto& thread : threads)
        thread.join();
}
