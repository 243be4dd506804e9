// Measuring texts of any length: a paragraph laid out taller than Pango lays out at once (about
// 262,000 points) measures as tall as its lines, with no line lost or doubled where the pieces
// it is laid out in meet.
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"

#include <gtest/gtest.h>

namespace {

std::string repeated(const std::string& piece, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

CGFloat height(const UIFontRef& font, CGFloat width, const std::string& text)
{
    return UIStringDrawing::sizeWithFont(NSString(text), font, CGSizeMake(width, 1e9), NSLineBreakByWordWrapping).height;
}

// The height of so many lines of the text, each a paragraph of its own.
CGFloat heightOfLines(const UIFontRef& font, CGFloat width, const std::string& line, int lines)
{
    return height(font, width, repeated(line + "\n", lines - 1) + line);
}

} // namespace

TEST(TextMeasure, aParagraphTallerThanPangoLaysOutAtOnceMeasuresEveryLine)
{
    auto font = UIFont::systemFontOfSize(15);
    const std::string line = repeated("公告内容", 4);
    const CGFloat width = UIStringDrawing::sizeWithFont(NSString(line), font).width + 1;
    for (const int lines : { 1000, 12500 }) {
        // 200,000 characters at 16 a line.
        const CGSize size = UIStringDrawing::sizeWithFont(NSString(repeated(line, lines)), font, CGSizeMake(width, 1e9), NSLineBreakByWordWrapping);
        EXPECT_EQ(size.height, heightOfLines(font, width, line, lines)) << lines;
        EXPECT_NEAR(size.width, width - 1, 1.0) << lines;
    }
    EXPECT_GT(heightOfLines(font, width, line, 12500), 262144);
}

TEST(TextMeasure, wordsAcrossThePiecesOfALongParagraphWrapAsInAShortOne)
{
    auto font = UIFont::systemFontOfSize(15);
    // Lines of exactly five words, whatever piece they are laid out in.
    const std::string words = repeated("abcdefg ", 4) + "abcdefg";
    const CGFloat width = UIStringDrawing::sizeWithFont(NSString(words), font).width + 1;
    const int lines = 3001;
    EXPECT_EQ(height(font, width, repeated(words + " ", lines)), heightOfLines(font, width, words, lines));

    // One word longer than a piece, broken by characters, loses nothing either.
    const std::string word = repeated("x", 5000);
    EXPECT_EQ(height(font, 200, word + " " + word), heightOfLines(font, 200, word, 2));
}
