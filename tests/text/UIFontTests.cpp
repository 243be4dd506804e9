#include "platform/text/CTLine.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"

#include "platform/graphics/CGBitmapContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>
#include <vector>

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

namespace {

// Resident kilobytes of this process's mappings of font files.
long residentFontKilobytes()
{
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool font = false;
    long resident = 0;
    while (std::getline(smaps, line)) {
        if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') != std::string::npos && line.find(' ') > line.find('-'))
            font = line.find("/fonts/") != std::string::npos;
        else if (font && line.rfind("Rss:", 0) == 0)
            resident += std::strtol(line.c_str() + 4, nullptr, 10);
    }
    return resident;
}

std::vector<unsigned char> drawnPixels(const char* text, CGFloat size)
{
    auto context = CGBitmapContextCreate(nullptr, 400, 60, 8, 0, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    auto line = CTLineCreateWithAttributedString(
        NSAttributedString::withString(NSString(text), ns::dictionary({ { NSFontAttributeName, UIFont::systemFontOfSize(size) } })));
    CGContextSetTextPosition(context, 4, 20);
    CTLineDraw(line, context);
    const auto* data = static_cast<const unsigned char*>(CGBitmapContextGetData(context));
    return { data, data + CGBitmapContextGetBytesPerRow(context) * 60 };
}

} // namespace

// The font files' pages a drawing read are let go, and text drawn afterwards, from glyphs read
// again or kept by the renderer, comes out the same.
TEST(UIFont, releasedFontPagesAreReadAgainOnDemand)
{
    const auto before = drawnPixels("驾驶培训 科目一 Hamburg", 23);
    ASSERT_GT(residentFontKilobytes(), 0);
    UIFont::releaseResidentFontPages();
    EXPECT_EQ(residentFontKilobytes(), 0);

    const auto other = drawnPixels("预约考试 成绩查询 Wien", 23);
    EXPECT_NE(std::count_if(other.begin(), other.end(), [](unsigned char byte) { return byte != 0; }), 0);
    EXPECT_GT(residentFontKilobytes(), 0) << "new glyphs were read from the files again";
    EXPECT_EQ(drawnPixels("驾驶培训 科目一 Hamburg", 23), before);
    UIFont::releaseResidentFontPages();
    EXPECT_EQ(drawnPixels("驾驶培训 科目一 Hamburg", 23), before);
}
