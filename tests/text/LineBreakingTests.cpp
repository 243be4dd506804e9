// Where wrapped lines break: only where the next piece no longer fits, trailing spaces never
// counting, and closing punctuation never starting a line. The question card's texts, at its
// width, in its font: each ends in sixteen spaces.
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/TextLayout.h"
#include "platform/text/UIFont.h"

#include <gtest/gtest.h>

namespace {

constexpr CGFloat kCardTextWidth = 280;
const NSString kTrailingSpaces = "                ";

std::shared_ptr<NSAttributedString> cardText(const NSString& text)
{
    auto style = NSMutableParagraphStyle::create();
    style->setLineSpacing(5);
    style->setParagraphSpacing(10);
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(UIFont::systemFontOfSize(15), NSFontAttributeName);
    attributes->setObject(style, NSParagraphStyleAttributeName);
    return NSAttributedString::withString(text, attributes);
}

std::vector<NSString> linesOf(const NSString& text, CGFloat width)
{
    auto string = cardText(text);
    TextLayout::Options options;
    options.size = CGSizeMake(width, CGFLOAT_MAX);
    TextLayout layout(string, NSMakeRange(0, string->length()), options);
    std::vector<NSString> lines;
    for (const auto& placed : layout.lines()) {
        const CFRange range = placed.line->stringRange();
        lines.push_back(text.substringWithRange(NSMakeRange(NSUInteger(range.location), NSUInteger(range.length))));
    }
    return lines;
}

CGFloat widthOf(const NSString& text, CGFloat width = CGFLOAT_MAX)
{
    auto string = cardText(text);
    TextLayout::Options options;
    options.size = CGSizeMake(width, CGFLOAT_MAX);
    TextLayout layout(string, NSMakeRange(0, string->length()), options);
    return layout.usedSize().width;
}

bool startsWithClosingPunctuation(const NSString& line)
{
    static const std::u16string_view closing = u"。，、；：？！）》」』】,.;:?!)";
    return line.length() > 0 && closing.find(line.view().front()) != std::u16string_view::npos;
}

} // namespace

TEST(LineBreaking, aQuestionThatFitsItsCardStaysOnOneLineWhateverSpacesFollow)
{
    for (const NSString question : { "5.仪表板上这个指示灯亮表示什么？", "12.下列说法中，正确的是（　　）。" }) {
        ASSERT_LE(widthOf(question), kCardTextWidth) << question;
        const auto lines = linesOf(NSString::stringWithFormat("%@%@", question, kTrailingSpaces), kCardTextWidth);
        ASSERT_EQ(lines.size(), 1u) << question << " breaks before " << lines.back();
    }
}

TEST(LineBreaking, spacesBeforeWhatGoesOnTheNextLineTakeNoRoomEither)
{
    // The card puts the question's picture right after its spaces.
    const NSString question = "5.仪表板上这个指示灯亮表示什么？";
    const NSString picture = "PICTUREPICTUREPICTUREPICTURE";
    const auto lines = linesOf(NSString::stringWithFormat("%@%@%@", question, kTrailingSpaces, picture), kCardTextWidth);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(lines[0].hasPrefix(NSString::stringWithFormat("%@ ", question))) << lines[0];
    // Spaces inside a line keep their width.
    EXPECT_GT(widthOf("12.下列说法中，正确的是（　　）。", kCardTextWidth), widthOf("12.下列说法中，正确的是（）。", kCardTextWidth) + 20);
}

TEST(LineBreaking, aLineBreaksOnlyWhereTheNextCharacterNoLongerFits)
{
    const NSString question = "7.视频中，车辆接近人行横道时有行人正在通过，驾驶人应当怎样做？";
    const auto lines = linesOf(NSString::stringWithFormat("%@%@", question, kTrailingSpaces), kCardTextWidth);
    ASSERT_EQ(lines.size(), 2u);
    // The first line holds all it can: one character more would not fit.
    const NSString first = lines[0];
    const NSString longer = question.substringToIndex(first.length() + 1);
    EXPECT_GT(widthOf(longer), kCardTextWidth) << first;
    EXPECT_FALSE(startsWithClosingPunctuation(lines[1])) << lines[1];
}

TEST(LineBreaking, closingPunctuationNeverStartsALine)
{
    const NSString question = "12.下列说法中，正确的是（　　）。";
    // Every width from the text's own down to a few characters.
    const CGFloat whole = widthOf(question);
    for (CGFloat width = whole - 0.5; width > 60; width -= 1.5) {
        const auto lines = linesOf(NSString::stringWithFormat("%@%@", question, kTrailingSpaces), width);
        for (std::size_t index = 1; index < lines.size(); ++index)
            EXPECT_FALSE(startsWithClosingPunctuation(lines[index])) << "at " << width << ": " << lines[index];
    }
}
