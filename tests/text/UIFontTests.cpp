#include "platform/text/FontLibrary.h"
#include "platform/text/UIFont.h"

#include <gtest/gtest.h>

#include <pango/pango.h>

namespace {

std::string resolvedFamily(const UIFont& font)
{
    FontLibrary& library = FontLibrary::shared();
    PangoFont* face = library.loadFont(font.fontDescription());
    std::string family = library.familyOfFont(face);
    g_object_unref(face);
    return family;
}

} // namespace

TEST(UIFont, platformNamesResolveToTheConfiguredFaces)
{
    EXPECT_EQ(resolvedFamily(*UIFont::fontWithName("Helvetica", 14)), "Liberation Sans");
    EXPECT_EQ(resolvedFamily(*UIFont::fontWithName("HelveticaNeue-Bold", 14)), "Liberation Sans");
    EXPECT_EQ(resolvedFamily(*UIFont::fontWithName("Arial", 14)), "Liberation Sans");
    EXPECT_EQ(resolvedFamily(*UIFont::systemFontOfSize(14)), "Liberation Sans");
    EXPECT_EQ(resolvedFamily(*UIFont::fontWithName("STHeitiSC-Light", 14)), "Noto Sans CJK SC");
    EXPECT_EQ(resolvedFamily(*UIFont::fontWithName("STHeitiSC-Medium", 14)), "Noto Sans CJK SC");
    EXPECT_EQ(resolvedFamily(*UIFont::fontWithName("TimesNewRomanPS-BoldMT", 12)), "Liberation Serif");
}

TEST(UIFont, unknownNamesGiveNoFont)
{
    EXPECT_EQ(UIFont::fontWithName("NoSuchFont-Bold", 12), nullptr);
    EXPECT_EQ(UIFont::fontWithName("", 12), nullptr);
    EXPECT_EQ(UIFont::fontWithName(NSString(), 12), nullptr);
    EXPECT_NE(UIFont::fontWithName("Liberation Sans", 12), nullptr);
}

TEST(UIFont, metricsAreSaneForLatinAndChineseFaces)
{
    for (const char* name : { "Helvetica", "STHeitiSC-Light" }) {
        SCOPED_TRACE(name);
        auto font = UIFont::fontWithName(name, 20);
        ASSERT_NE(font, nullptr);
        EXPECT_GT(font->ascender(), 0.7 * 20);
        EXPECT_LT(font->ascender(), 1.3 * 20);
        EXPECT_LT(font->descender(), 0);
        EXPECT_GT(font->descender(), -0.4 * 20);
        EXPECT_DOUBLE_EQ(font->lineHeight(), font->ascender() - font->descender() + font->lineGap());
        EXPECT_DOUBLE_EQ(font->leading(), font->lineHeight());
        EXPECT_GT(font->capHeight(), 0);
        EXPECT_LT(font->xHeight(), font->capHeight());
        EXPECT_LT(font->capHeight(), font->ascender());
    }
    auto latin = UIFont::fontWithName("Helvetica", 20);
    // Liberation Sans carries Helvetica's vertical metrics: 1854, 434 and 67 of 2048 units.
    EXPECT_NEAR(latin->ascender(), 20 * 1854.0 / 2048, 1e-9);
    EXPECT_NEAR(latin->descender(), -20 * 434.0 / 2048, 1e-9);
    EXPECT_NEAR(latin->lineGap(), 20 * 67.0 / 2048, 1e-9);
}

TEST(UIFont, namesSizesAndEquality)
{
    auto bold = UIFont::boldSystemFontOfSize(16);
    EXPECT_EQ(bold->pointSize(), 16);
    EXPECT_EQ(UIFont::fontWithName("HelveticaNeue-Light", 10)->familyName(), "Helvetica Neue");
    EXPECT_EQ(UIFont::fontWithName("Helvetica-Bold", 10)->familyName(), "Helvetica");
    auto larger = bold->fontWithSize(32);
    EXPECT_EQ(larger->fontName(), bold->fontName());
    EXPECT_NEAR(larger->ascender(), 2 * bold->ascender(), 1e-9);
    EXPECT_TRUE(ns::isEqual(UIFont::systemFontOfSize(12), UIFont::systemFontOfSize(12)));
    EXPECT_FALSE(ns::isEqual(UIFont::systemFontOfSize(12), UIFont::systemFontOfSize(13)));
}
