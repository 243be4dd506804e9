#include "platform/text/CTFont.h"
#include "platform/text/CTFramesetter.h"
#include "platform/text/CTParagraphStyle.h"
#include "platform/text/CTRunDelegate.h"
#include "platform/text/CTStringAttributes.h"

#include "platform/foundation/TypedValues.h"

#include "platform/graphics/CGBitmapContext.h"

#include <gtest/gtest.h>


#include <cmath>
#include <limits>

namespace {

constexpr const char* mixedText = "科目一：道路交通安全法律、法规和规章。Subject one covers traffic law 以及 signs, 共100题。";

std::shared_ptr<NSAttributedString> styled(const NSString& text, const std::shared_ptr<UIFont>& font,
    const std::shared_ptr<NSParagraphStyle>& style = nullptr)
{
    auto attributes = ns::mutableDictionary({ { NSFontAttributeName, font } });
    if (style)
        attributes->setObject(style, NSParagraphStyleAttributeName);
    return NSAttributedString::withString(text, attributes);
}

CGSize suggestedSize(const std::shared_ptr<NSAttributedString>& text, CGFloat width)
{
    auto framesetter = CTFramesetterCreateWithAttributedString(text);
    return CTFramesetterSuggestFrameSizeWithConstraints(framesetter, CFRangeMake(0, 0), nullptr, CGSizeMake(width, CGFLOAT_MAX), nullptr);
}

CTFrameRef frameOf(const std::shared_ptr<NSAttributedString>& text, CGSize size)
{
    auto framesetter = CTFramesetterCreateWithAttributedString(text);
    return CTFramesetterCreateFrame(framesetter, CFRangeMake(0, 0), CGPathCreateWithRect(CGRectMake(0, 0, size.width, size.height), nullptr), nullptr);
}

CGFloat visibleWidth(const CTLineRef& line)
{
    return CTLineGetTypographicBounds(line, nullptr, nullptr, nullptr) - CTLineGetTrailingWhitespaceWidth(line);
}

struct Box {
    CGFloat ascent;
    CGFloat descent;
    CGFloat width;
};

CTRunDelegateRef boxDelegate(Box* box)
{
    CTRunDelegateCallbacks callbacks;
    callbacks.version = kCTRunDelegateVersion1;
    callbacks.getAscent = [](void* refCon) { return static_cast<Box*>(refCon)->ascent; };
    callbacks.getDescent = [](void* refCon) { return static_cast<Box*>(refCon)->descent; };
    callbacks.getWidth = [](void* refCon) { return static_cast<Box*>(refCon)->width; };
    return CTRunDelegateCreate(&callbacks, box);
}

} // namespace

TEST(TextMeasuring, chineseAndMixedTextMeasureTheSameEveryTime)
{
    auto font = UIFont::systemFontOfSize(15);
    // Measured once with the project's font file; any machine with it must agree exactly.
    const CGSize chinese = suggestedSize(styled("科目一：道路交通安全法律、法规和规章", font), CGFLOAT_MAX);
    const CGSize mixed = suggestedSize(styled(mixedText, font), 200);
    EXPECT_NEAR(chinese.width, 270, 1e-9);
    EXPECT_NEAR(chinese.height, 15 * (1160 + 288) / 1000.0, 1e-9);
    EXPECT_DOUBLE_EQ(mixed.width, 195);
    EXPECT_DOUBLE_EQ(mixed.height, 87.861445312499995);
    EXPECT_EQ(suggestedSize(styled(mixedText, font), 200), mixed);
    EXPECT_EQ(suggestedSize(styled(mixedText, UIFont::systemFontOfSize(15)), 200), mixed);
}

TEST(TextMeasuring, textWrapsAtTheGivenWidth)
{
    auto text = styled(mixedText, UIFont::systemFontOfSize(15));
    auto frame = frameOf(text, CGSizeMake(200, 1000));
    auto lines = CTFrameGetLines(frame);
    ASSERT_GE(lines.size(), 3u);
    CFIndex covered = 0;
    for (const auto& line : lines) {
        EXPECT_LE(visibleWidth(line), 200);
        EXPECT_EQ(CTLineGetStringRange(line).location, covered);
        covered += CTLineGetStringRange(line).length;
    }
    EXPECT_EQ(covered, static_cast<CFIndex>(text->length()));
    // Chinese fills a line to within one character: no word boundary is needed.
    EXPECT_GT(visibleWidth(lines[0]), 200 - 15);
}

TEST(TextMeasuring, aSuggestedSizeHoldsEveryLineOfTheFrame)
{
    auto style = NSMutableParagraphStyle::create();
    style->setLineSpacing(3);
    style->setParagraphSpacing(7);
    auto text = styled(NSString(mixedText) + "\n第二段 second paragraph", UIFont::systemFontOfSize(15), style);
    CFRange fit;
    const CGSize size = CTFramesetterSuggestFrameSizeWithConstraints(CTFramesetterCreateWithAttributedString(text), CFRangeMake(0, 0), nullptr,
        CGSizeMake(200, CGFLOAT_MAX), &fit);
    EXPECT_EQ(fit.length, static_cast<CFIndex>(text->length()));
    auto exact = frameOf(text, CGSizeMake(200, size.height));
    auto all = CTFrameGetLines(exact);
    EXPECT_EQ(CTFrameGetVisibleStringRange(exact).length, static_cast<CFIndex>(text->length()));
    auto shorter = frameOf(text, CGSizeMake(200, size.height - 1));
    EXPECT_EQ(CTFrameGetLines(shorter).size(), all.size() - 1) << "a line that does not fit is dropped";

    // Origins are baselines from the bottom-left corner, y up.
    std::vector<CGPoint> origins(all.size());
    CTFrameGetLineOrigins(exact, CFRangeMake(0, 0), origins.data());
    CGFloat ascent = 0, descent = 0, leading = 0;
    CTLineGetTypographicBounds(all[0], &ascent, &descent, &leading);
    EXPECT_NEAR(origins[0].y, size.height - ascent, 1e-9);
    CGFloat lastDescent = 0;
    CTLineGetTypographicBounds(all.back(), nullptr, &lastDescent, nullptr);
    EXPECT_NEAR(origins.back().y, lastDescent, 1e-9);
    // Within a paragraph lines are spaced by the face's leading plus the style's spacing.
    CGFloat secondAscent = 0;
    CTLineGetTypographicBounds(all[1], &secondAscent, nullptr, nullptr);
    EXPECT_NEAR(origins[0].y - origins[1].y, descent + leading + 3 + secondAscent, 1e-9);
}

TEST(TextMeasuring, paragraphStylesAlignAndTruncateLines)
{
    const CTTextAlignment centre = kCTTextAlignmentCenter;
    const CTLineBreakMode tail = kCTLineBreakByTruncatingTail;
    const CTParagraphStyleSetting settings[] = {
        { kCTParagraphStyleSpecifierAlignment, sizeof(centre), &centre },
        { kCTParagraphStyleSpecifierLineBreakMode, sizeof(tail), &tail },
    };
    auto style = CTParagraphStyleCreate(settings, 2);
    EXPECT_EQ(style->alignment(), NSTextAlignmentCenter);
    auto shortFrame = frameOf(styled("abc", UIFont::systemFontOfSize(15), style), CGSizeMake(200, 100));
    auto line = CTFrameGetLines(shortFrame).at(0);
    CGPoint origin;
    CTFrameGetLineOrigins(shortFrame, CFRangeMake(0, 1), &origin);
    EXPECT_NEAR(origin.x, (200 - visibleWidth(line)) / 2, 1e-9);

    auto longFrame = frameOf(styled(mixedText, UIFont::systemFontOfSize(15), style), CGSizeMake(200, 100));
    auto lines = CTFrameGetLines(longFrame);
    ASSERT_EQ(lines.size(), 1u) << "a truncating paragraph keeps to one line";
    EXPECT_LE(visibleWidth(lines[0]), 200);
    EXPECT_TRUE(lines[0]->attributedText()->string().hasSuffix(u"\u2026"));
}

TEST(CTRunDelegate, anInlineObjectTakesItsWidthAndHeightInTheLine)
{
    auto font = UIFont::systemFontOfSize(15);
    Box box { 40, 6, 30 };
    auto text = NSMutableAttributedString::withString(u"前\uFFFC后", ns::dictionary({ { NSFontAttributeName, font } }));
    text->addAttribute(kCTRunDelegateAttributeName, boxDelegate(&box), NSMakeRange(1, 1));
    auto line = CTLineCreateWithAttributedString(text);
    auto plain = CTLineCreateWithAttributedString(styled("前后", font));
    CGFloat ascent = 0, descent = 0;
    const double width = CTLineGetTypographicBounds(line, &ascent, &descent, nullptr);
    EXPECT_NEAR(width, CTLineGetTypographicBounds(plain, nullptr, nullptr, nullptr) + 30, 1.0 / 1024);
    EXPECT_NEAR(ascent, 40, 1.0 / 1024);
    EXPECT_GE(descent, 6 - 1.0 / 1024);

    auto runs = CTLineGetGlyphRuns(line);
    auto object = std::find_if(runs.begin(), runs.end(), [](const CTRunRef& run) { return CTRunGetStringRange(run).location == 1; });
    ASSERT_NE(object, runs.end());
    EXPECT_EQ(CTRunGetStringRange(*object).length, 1);
    EXPECT_EQ(CTRunDelegateGetRefCon(ns::cast<CTRunDelegate>(CTRunGetAttributes(*object)->objectForKey(kCTRunDelegateAttributeName))), &box);
    EXPECT_NEAR(CTRunGetTypographicBounds(*object, CFRangeMake(0, 0), nullptr, nullptr, nullptr), 30, 1.0 / 1024);
    // The object sits where its character is: after the first character.
    EXPECT_NEAR(CTLineGetOffsetForStringIndex(line, 2, nullptr) - CTLineGetOffsetForStringIndex(line, 1, nullptr), 30, 1.0 / 1024);

    CTRunDelegateCallbacks future;
    future.version = 2;
    EXPECT_EQ(CTRunDelegateCreate(&future, nullptr), nullptr);
}

TEST(CTLine, aTruncatedLineEndsWithItsToken)
{
    auto font = UIFont::systemFontOfSize(15);
    auto line = CTLineCreateWithAttributedString(styled(mixedText, font));
    auto token = CTLineCreateWithAttributedString(styled("…更多", font));

    auto tail = CTLineCreateTruncatedLine(line, 150, kCTLineTruncationEnd, token);
    ASSERT_NE(tail, nullptr);
    EXPECT_LE(CTLineGetTypographicBounds(tail, nullptr, nullptr, nullptr), 150);
    EXPECT_GT(CTLineGetTypographicBounds(tail, nullptr, nullptr, nullptr), 150 - 2 * 15);
    EXPECT_TRUE(tail->attributedText()->string().hasSuffix("…更多"));
    EXPECT_TRUE(tail->attributedText()->string().hasPrefix("科目一"));

    auto head = CTLineCreateTruncatedLine(line, 150, kCTLineTruncationStart, token);
    EXPECT_TRUE(head->attributedText()->string().hasPrefix("…更多"));
    EXPECT_TRUE(head->attributedText()->string().hasSuffix("共100题。"));
    auto middle = CTLineCreateTruncatedLine(line, 150, kCTLineTruncationMiddle, token);
    EXPECT_TRUE(middle->attributedText()->string().hasPrefix("科目"));
    EXPECT_TRUE(middle->attributedText()->string().hasSuffix("题。"));
    EXPECT_LE(CTLineGetTypographicBounds(middle, nullptr, nullptr, nullptr), 150);

    EXPECT_EQ(CTLineCreateTruncatedLine(line, 10, kCTLineTruncationEnd, token), nullptr) << "the token itself does not fit";
    EXPECT_EQ(CTLineCreateTruncatedLine(line, 1e6, kCTLineTruncationEnd, token), line);
}

TEST(CTLine, positionsAndIndicesMapBothWaysInUTF16Units)
{
    auto line = CTLineCreateWithAttributedString(styled(u"a😀b科", UIFont::systemFontOfSize(20)));
    EXPECT_EQ(CTLineGetStringRange(line).length, 5);
    const CGFloat a = CTLineGetOffsetForStringIndex(line, 1, nullptr);
    const CGFloat emoji = CTLineGetOffsetForStringIndex(line, 3, nullptr);
    const CGFloat b = CTLineGetOffsetForStringIndex(line, 4, nullptr);
    EXPECT_GT(a, 0);
    EXPECT_GT(emoji, a);
    EXPECT_GT(b, emoji);
    EXPECT_EQ(CTLineGetStringIndexForPosition(line, CGPointMake(a + 1, 0)), 1);
    EXPECT_EQ(CTLineGetStringIndexForPosition(line, CGPointMake(emoji - 1, 0)), 3) << "the nearer edge of the emoji";
    EXPECT_EQ(CTLineGetStringIndexForPosition(line, CGPointMake(-5, 0)), 0);
    EXPECT_EQ(CTLineGetStringIndexForPosition(line, CGPointMake(1000, 0)), 5);
    EXPECT_EQ(CTLineGetStringIndexForPosition(nullptr, CGPointMake(1, 0)), kCFNotFound);
    const CGFloat width = CTLineGetTypographicBounds(line, nullptr, nullptr, nullptr);
    EXPECT_NEAR(CTLineGetPenOffsetForFlush(line, 0.5, width + 10), 5, 1e-9);
}

TEST(CTFont, engineFontsAreTheUIKitFonts)
{
    auto font = CTFontCreateWithName("STHeitiSC-Light", 20, nullptr);
    EXPECT_EQ(CTFontCopyPostScriptName(font), "STHeitiSC-Light");
    EXPECT_DOUBLE_EQ(CTFontGetSize(font), 20);
    EXPECT_DOUBLE_EQ(CTFontGetDescent(font), -font->descender());
    EXPECT_NEAR(CTFontGetAscent(font) + CTFontGetDescent(font) + CTFontGetLeading(font), font->lineHeight(), 1e-9);
    EXPECT_EQ(CTFontCopyPostScriptName(CTFontCreateWithName("NoSuchFont", 9, nullptr)), "Helvetica");
}

TEST(CTFrame, drawsUprightInAYUpSpaceAndLeavesInlineObjectsBlank)
{
    // A bitmap context's space is the engine's: y up, origin at the bottom left.
    auto context = CGBitmapContextCreate(nullptr, 200, 60, 8, 0, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    Box box { 20, 0, 60 };
    auto text = NSMutableAttributedString::withString(u"\uFFFC科目一", ns::dictionary({ { NSFontAttributeName, UIFont::systemFontOfSize(20) } }));
    text->addAttribute(kCTRunDelegateAttributeName, boxDelegate(&box), NSMakeRange(0, 1));
    CTFrameDraw(frameOf(text, CGSizeMake(200, 60)), context);

    auto inked = [&](int x0, int y0, int x1, int y1) {
        const auto* data = static_cast<const unsigned char*>(CGBitmapContextGetData(context));
        const auto stride = CGBitmapContextGetBytesPerRow(context);
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                count += data[y * stride + x * 4 + 3] > 128;
        return count;
    };
    EXPECT_EQ(inked(0, 0, 58, 60), 0) << "the inline object's place stays blank";
    EXPECT_GT(inked(62, 0, 200, 30), 50) << "glyphs hang from the top line";
    EXPECT_EQ(inked(0, 40, 200, 60), 0);
}

TEST(CTRun, aRangeLongerThanTheRunStopsAtItsEnd)
{
    auto line = CTLineCreateWithAttributedString(styled("abc", UIFont::systemFontOfSize(15)));
    auto run = CTLineGetGlyphRuns(line).at(0);
    const CFIndex count = CTRunGetGlyphCount(run);
    ASSERT_GT(count, 1);
    std::vector<CGPoint> all(static_cast<std::size_t>(count));
    CTRunGetPositions(run, CFRangeMake(0, 0), all.data());
    std::vector<CGPoint> tail(static_cast<std::size_t>(count), CGPointMake(-1, -1));
    CTRunGetPositions(run, CFRangeMake(1, std::numeric_limits<CFIndex>::max()), tail.data());
    EXPECT_EQ(tail[0].x, all[1].x);
    EXPECT_EQ(tail[static_cast<std::size_t>(count) - 2].x, all.back().x);
    EXPECT_EQ(tail.back().x, -1) << "nothing is written past the run's last glyph";
    EXPECT_NEAR(CTRunGetTypographicBounds(run, CFRangeMake(0, std::numeric_limits<CFIndex>::max()), nullptr, nullptr, nullptr),
        CTRunGetTypographicBounds(run, CFRangeMake(0, 0), nullptr, nullptr, nullptr), 1e-9);
}
