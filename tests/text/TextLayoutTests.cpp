#include "platform/graphics/CGBitmapContext.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/TextLayout.h"
#include "platform/text/UIFont.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

std::shared_ptr<NSAttributedString> styled(const NSString& text, CGFloat lineSpacing, CGFloat paragraphSpacing)
{
    auto style = NSMutableParagraphStyle::create();
    style->setLineSpacing(lineSpacing);
    style->setParagraphSpacing(paragraphSpacing);
    style->setLineBreakMode(NSLineBreakByTruncatingTail);
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(UIFont::systemFontOfSize(17), NSFontAttributeName);
    attributes->setObject(style, NSParagraphStyleAttributeName);
    return NSAttributedString::withString(text, attributes);
}

TextLayout::Options labelOptions(CGFloat width, CGFloat height)
{
    TextLayout::Options options;
    options.size = CGSizeMake(width, height);
    options.wrapInEveryMode = true;
    options.keepsFirstLine = true;
    return options;
}

// The lines a limit of lines gives when the text is laid out once more, down to the bottom of
// the last line allowed.
TextLayout laidOutTwice(const std::shared_ptr<NSAttributedString>& text, TextLayout::Options options, std::size_t lines)
{
    TextLayout all(text, NSMakeRange(0, text->length()), options);
    if (all.lines().size() <= lines)
        return all;
    const auto& last = all.lines()[lines - 1];
    options.size.height = last.origin.y + last.line->descent();
    return TextLayout(text, NSMakeRange(0, text->length()), options);
}

::testing::AssertionResult sameLayout(const TextLayout& a, const TextLayout& b)
{
    if (a.lines().size() != b.lines().size())
        return ::testing::AssertionFailure() << a.lines().size() << " lines against " << b.lines().size();
    for (std::size_t i = 0; i < a.lines().size(); ++i) {
        const auto& one = a.lines()[i];
        const auto& other = b.lines()[i];
        if (one.origin != other.origin || one.line->stringRange().location != other.line->stringRange().location
            || one.line->stringRange().length != other.line->stringRange().length || one.line->width() != other.line->width()
            || one.line->runs().size() != other.line->runs().size())
            return ::testing::AssertionFailure() << "line " << i << " differs";
    }
    if (a.usedSize() != b.usedSize() || a.visibleRange().location != b.visibleRange().location
        || a.visibleRange().length != b.visibleRange().length)
        return ::testing::AssertionFailure() << "the used size or the visible range differs";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(TextLayout, aLimitOfLinesEndsTheLinesAsLayingOutAgainToTheLastAllowedDoes)
{
    const NSString words = "驾驶机动车在道路上违反道路交通安全法的行为，属于什么行为？Drivers must yield to pedestrians.";
    const NSString paragraphs = "第一段文字比较长，需要换行显示。\n第二段\n\n第四段也有不少文字，同样需要换行。";
    struct Case {
        NSString text;
        CGFloat width;
        CGFloat height;
        CGFloat lineSpacing;
        CGFloat paragraphSpacing;
    };
    const Case cases[] = {
        { words, 120, CGFLOAT_MAX, 0, 0 },
        { words, 120, 60, 0, 0 },
        { words, 300, CGFLOAT_MAX, 4, 0 },
        { paragraphs, 100, CGFLOAT_MAX, 0, 6 },
        { paragraphs, 100, 90, 2, 6 },
        // Lines that rise above the one before: what shows is only known by laying out again.
        { words, 80, CGFLOAT_MAX, -30, 0 },
        { paragraphs, 90, CGFLOAT_MAX, -25, -10 },
    };
    for (const Case& c : cases) {
        const auto text = styled(c.text, c.lineSpacing, c.paragraphSpacing);
        for (std::size_t lines = 1; lines <= 5; ++lines) {
            SCOPED_TRACE(testing::Message() << c.text.UTF8String() << " in " << c.width << "×" << c.height << ", spacing "
                                            << c.lineSpacing << ", at most " << lines << " lines");
            auto limited = labelOptions(c.width, c.height);
            limited.maximumLines = lines;
            const TextLayout once(text, NSMakeRange(0, text->length()), limited);
            EXPECT_LE(once.lines().size(), c.lineSpacing < 0 ? 99 : lines);
            EXPECT_TRUE(sameLayout(once, laidOutTwice(text, labelOptions(c.width, c.height), lines)));
        }
    }
    // The last line allowed is cut with the ellipsis when more text follows.
    auto limited = labelOptions(120, CGFLOAT_MAX);
    limited.maximumLines = 2;
    const auto text = styled(words, 0, 0);
    const TextLayout two(text, NSMakeRange(0, text->length()), limited);
    ASSERT_EQ(two.lines().size(), 2u);
    EXPECT_LT(two.visibleRange().length, text->length());
    EXPECT_LE(two.lines().back().line->width(), 120);
    const NSString shown = two.lines().back().line->attributedText()->string();
    EXPECT_EQ(shown.characterAtIndex(shown.length() - 1), u'\u2026');
}

TEST(TextLayout, aLineMadeAloneIsTruncatedAsItsTextLaidOutAgainIs)
{
    const auto text = styled("驾驶机动车在道路上违反道路交通安全法的行为 Drivers must yield.", 0, 0);
    const auto alone = CTLineCreateWithAttributedString(text);
    EXPECT_TRUE(alone->isWholeText());
    // The same line standing for a range further on is no longer its text's own line.
    const auto moved = CTLineCreateWithAttributedString(text);
    moved->rebase(CFRangeMake(5, CFIndex(text->length())));
    EXPECT_FALSE(moved->isWholeText());
    const TextLayout wrapped(text, NSMakeRange(0, text->length()), labelOptions(120, CGFLOAT_MAX));
    ASSERT_GT(wrapped.lines().size(), 1u);
    EXPECT_FALSE(wrapped.lines().front().line->isWholeText());

    const auto token = TextLayout::ellipsisToken(text->attributesAtIndex(0));
    for (CTLineTruncationType type : { kCTLineTruncationEnd, kCTLineTruncationStart, kCTLineTruncationMiddle }) {
        for (double width : { 40.0, 130.0, 260.0 }) {
            SCOPED_TRACE(testing::Message() << "type " << type << ", width " << width);
            const auto cut = CTLineCreateTruncatedLine(alone, width, type, token);
            const auto cutAgain = CTLineCreateTruncatedLine(moved, width, type, token);
            ASSERT_TRUE(cut && cutAgain);
            EXPECT_EQ(cut->width(), cutAgain->width());
            EXPECT_EQ(cut->attributedText()->string(), cutAgain->attributedText()->string());
            EXPECT_EQ(cut->stringRange().location + 5, cutAgain->stringRange().location);
            EXPECT_LE(cut->width() - cut->trailingWhitespaceWidth(), width);
        }
    }
}

namespace {

std::shared_ptr<NSAttributedString> inFont(const NSString& text, const UIFontRef& font, NSTextAlignment alignment, NSLineBreakMode mode)
{
    auto style = NSMutableParagraphStyle::create();
    style->setAlignment(alignment);
    style->setLineBreakMode(mode);
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(font, NSFontAttributeName);
    attributes->setObject(style, NSParagraphStyleAttributeName);
    attributes->setObject(CGColorCreateGenericRGB(0.8, 0.1, 0.1, 1), NSForegroundColorAttributeName);
    return NSAttributedString::withString(text, attributes);
}

std::vector<std::uint8_t> drawn(const TextLayout& layout)
{
    auto context = CGBitmapContext::createImageContext(CGSizeMake(320, 60), false, 2);
    layout.drawInContext(context, CGPointMake(4, 4));
    const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
    return { data, data + CGBitmapContextGetBytesPerRow(context) * 120 };
}

} // namespace

// A label wants only where its lines go and how they look: the one line it allows may be cut
// from the line of the whole text, or be that line when it fits, without wrapping the text.
TEST(TextLayout, aLayoutForPlacesOnlyPlacesAndDrawsTheLinesAsWrappingDoes)
{
    const NSString texts[] = {
        "第 128 题：机动车驾驶人违法驾驶",
        "机动车驾驶人违法驾驶造成重大交通事故",
        "128 题：机动车驾驶人违法驾驶造成重大交通事故",
        "Drivers must yield to pedestrians at crossings",
        "第 9 题：路口",
        "机动车驾驶人违法驾驶造成重大交通事故   ",
        "机动",
        "机动车驾驶人违法驾驶\n造成重大交通事故",
        "机动车驾驶人违法驾驶造成\u0301重大交通事故",
    };
    const UIFontRef fonts[] = { UIFont::systemFontOfSize(17), UIFont::boldSystemFontOfSize(11) };
    // Cuts made from the whole text's line: they stand for the whole paragraph.
    int cutWhole = 0;
    for (const NSString& words : texts)
        for (const UIFontRef& font : fonts)
            for (NSLineBreakMode mode : { NSLineBreakByTruncatingTail, NSLineBreakByTruncatingMiddle, NSLineBreakByTruncatingHead })
                for (NSTextAlignment alignment : { NSTextAlignmentLeft, NSTextAlignmentCenter })
                    for (CGFloat width : { 8.0, 60.0, 180.0, 257.0, 600.0 }) {
                        SCOPED_TRACE(testing::Message() << words.UTF8String() << ", " << font->pointSize() << " pt, mode " << int(mode)
                                                        << ", alignment " << int(alignment) << ", width " << width);
                        const auto text = inFont(words, font, alignment, mode);
                        auto options = labelOptions(width, CGFLOAT_MAX);
                        options.maximumLines = 1;
                        const TextLayout wrapped(text, NSMakeRange(0, text->length()), options);
                        options.placesOnly = true;
                        const TextLayout placed(text, NSMakeRange(0, text->length()), options);
                        ASSERT_EQ(placed.lines().size(), wrapped.lines().size());
                        for (std::size_t i = 0; i < placed.lines().size(); ++i) {
                            const auto& one = placed.lines()[i];
                            const auto& other = wrapped.lines()[i];
                            EXPECT_EQ(one.origin, other.origin);
                            EXPECT_EQ(one.line->width(), other.line->width());
                            EXPECT_EQ(one.line->ascent(), other.line->ascent());
                            EXPECT_EQ(one.line->descent(), other.line->descent());
                            EXPECT_EQ(one.line->attributedText()->string(), other.line->attributedText()->string());
                        }
                        EXPECT_EQ(placed.usedSize(), wrapped.usedSize());
                        EXPECT_TRUE(drawn(placed) == drawn(wrapped));
                        cutWhole += placed.visibleRange().length > wrapped.visibleRange().length;
                    }
    EXPECT_GT(cutWhole, 20);
}

TEST(TextLayout, theEllipsisFollowsTheAttributesOfTheTextItCuts)
{
    const NSString words = "机动车驾驶人违法驾驶造成重大交通事故";
    const auto cutIn = [&](const UIFontRef& font, const CGColorRef& colour) {
        auto attributes = NSMutableDictionary::dictionary();
        attributes->setObject(font, NSFontAttributeName);
        attributes->setObject(colour, NSForegroundColorAttributeName);
        const auto text = NSAttributedString::withString(words, attributes);
        auto options = labelOptions(100, CGFLOAT_MAX);
        options.maximumLines = 1;
        options.placesOnly = true;
        const TextLayout layout(text, NSMakeRange(0, text->length()), options);
        return drawn(layout);
    };
    const auto red = CGColorCreateGenericRGB(1, 0, 0, 1);
    const auto blue = CGColorCreateGenericRGB(0, 0, 1, 1);
    const auto small = UIFont::systemFontOfSize(12);
    const auto large = UIFont::systemFontOfSize(20);
    // Each cut, drawn after cuts in other fonts and colours, is the cut a thread that drew
    // nothing before draws.
    const auto fresh = [&](const UIFontRef& font, const CGColorRef& colour) {
        std::vector<std::uint8_t> pixels;
        std::thread([&] { pixels = cutIn(font, colour); }).join();
        return pixels;
    };
    for (const auto& [font, colour] : { std::pair { small, red }, std::pair { large, blue }, std::pair { small, blue }, std::pair { large, red },
             std::pair { small, red } }) {
        SCOPED_TRACE(testing::Message() << font->pointSize() << " pt");
        EXPECT_TRUE(cutIn(font, colour) == fresh(font, colour));
    }

    // Attributes changed in place after a cut make another mark.
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(small, NSFontAttributeName);
    const auto first = TextLayout::ellipsisToken(attributes);
    attributes->setObject(large, NSFontAttributeName);
    const auto second = TextLayout::ellipsisToken(attributes);
    EXPECT_GT(second->width(), first->width());
    EXPECT_EQ(TextLayout::ellipsisToken(attributes), second);
}
