#include "platform/text/NSParagraphStyle.h"
#include "platform/text/TextLayout.h"
#include "platform/text/UIFont.h"

#include <gtest/gtest.h>

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
