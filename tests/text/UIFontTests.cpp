#include "platform/text/CTLine.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"

#include <gtest/gtest.h>

namespace {

// What shows which face a font resolved to: its vertical metrics, which weights of one family
// share, and the advances of a line of Latin and Chinese text.
struct FaceSignature {
    std::array<double, 4> metrics;
    double advance { 0 };
};

FaceSignature faceSignature(const UIFontRef& font)
{
    auto line = CTLineCreateWithAttributedString(
        NSAttributedString::withString(NSString("Hamburgefonstiv 科目一"), ns::dictionary({ { NSFontAttributeName, font } })));
    return { { font->ascender(), font->descender(), font->capHeight(), font->xHeight() }, line->width() };
}

bool sameFace(const FaceSignature& a, const FaceSignature& b) { return a.metrics == b.metrics && a.advance == b.advance; }

} // namespace

TEST(UIFont, platformNamesResolveToTheConfiguredFaces)
{
    const auto sans = faceSignature(UIFont::fontWithName("Liberation Sans", 14));
    const auto serif = faceSignature(UIFont::fontWithName("Liberation Serif", 12));
    const auto chinese = faceSignature(UIFont::fontWithName("Noto Sans CJK SC", 14));
    EXPECT_FALSE(sameFace(sans, faceSignature(UIFont::fontWithName("Liberation Serif", 14))));
    EXPECT_NE(sans.metrics, chinese.metrics);
    EXPECT_NE(sans.metrics, serif.metrics);
    EXPECT_TRUE(sameFace(faceSignature(UIFont::fontWithName("Helvetica", 14)), sans));
    EXPECT_TRUE(sameFace(faceSignature(UIFont::fontWithName("Arial", 14)), sans));
    EXPECT_TRUE(sameFace(faceSignature(UIFont::fontWithName("STHeitiSC-Light", 14)), chinese));
    // Other weights of the same families.
    EXPECT_EQ(faceSignature(UIFont::fontWithName("STHeitiSC-Medium", 14)).metrics, chinese.metrics);
    EXPECT_EQ(faceSignature(UIFont::fontWithName("TimesNewRomanPS-BoldMT", 12)).metrics, serif.metrics);
    EXPECT_EQ(faceSignature(UIFont::fontWithName("HelveticaNeue-Bold", 14)).metrics, sans.metrics);
    EXPECT_EQ(faceSignature(UIFont::systemFontOfSize(14)).metrics, sans.metrics);
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
