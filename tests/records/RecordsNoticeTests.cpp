// The notice card and the ruled pad: a notice of any length scrolls to its end and shows it, and
// the pad's rules sit at the pitch of the text they rule.
#include "app/records/NoteView.h"
#include "app/records/NoticeView.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UILabel.h"
#include "tests/widgets/WidgetPictures.h"
#include "tests/widgets/WidgetScreen.h"

#include <cmath>

namespace {

using RecordsNotice = WidgetScreenTest;

// Dark pixels of text in the card's content area.
int textPixels(HeadlessHost& host, const NoticeView& card)
{
    const CGRect area = card.contentScroller()->convertRectToView(card.contentScroller()->bounds(), nullptr);
    int dark = 0;
    for (CGFloat y = area.origin.y; y < CGRectGetMaxY(area); y += 2)
        for (CGFloat x = area.origin.x; x < CGRectGetMaxX(area); x += 2)
            dark += host.pixelAt(CGPointMake(x, y))[0] < 100;
    return dark;
}

// The caret's top on each line of the pad, the one a closing line break opens included.
std::vector<CGFloat> lineTops(const NoteView& pad)
{
    std::vector<CGFloat> tops;
    for (NSUInteger index = 0; index <= pad.text().length(); ++index) {
        const CGFloat top = pad.caretRectForIndex(index).origin.y;
        if (tops.empty() || top > tops.back() + 0.5)
            tops.push_back(top);
    }
    return tops;
}

TEST_F(RecordsNotice, aNoticeOfTwoHundredThousandCharactersScrollsToItsEndAndShowsIt)
{
    std::string content;
    for (int i = 0; i < 50000; ++i)
        content += i % 1000 == 999 ? "公告内容\n" : "公告内容";
    content += "全文完";
    auto card = NoticeView::create(screen()->bounds(), ns::dictionary({ { "TITLE", NSString("长公告") }, { "PREDATE", NSString("2015-04-15") },
                                                          { "CONTENT", NSString(content) } }));
    screen()->addSubview(card);
    auto scroller = card->contentScroller();
    const CGFloat height = scroller->contentSize().height;
    const CGFloat whole = UIStringDrawing::sizeWithFont(NSString(content), UIFont::systemFontOfSize(15), CGSizeMake(scroller->bounds().size.width, 1e9),
        NSLineBreakByWordWrapping).height;
    EXPECT_GT(whole, 262144);
    EXPECT_NEAR(height, whole + 10, 50);

    host->advance(0.1);
    EXPECT_GT(textPixels(*host, *card), 100) << "the start shows";
    scroller->setContentOffset(CGPointMake(0, height / 2));
    host->advance(0.1);
    EXPECT_GT(textPixels(*host, *card), 100) << "the middle shows";
    scroller->setContentOffset(CGPointMake(0, height - scroller->bounds().size.height));
    host->advance(0.1);
    EXPECT_GT(textPixels(*host, *card), 20) << "the end shows";
    auto last = std::dynamic_pointer_cast<UILabel>(scroller->subviews().back());
    ASSERT_TRUE(last);
    EXPECT_TRUE(last->text().hasSuffix("全文完"));
    writeWidgetPicture(*host, "records-notice-long-end");
}

TEST_F(RecordsNotice, thePadsRulesStayUnderEveryLineOfAChineseLetter)
{
    auto pad = NoteView::create(CGRectMake(10, 100, 300, 400));
    screen()->addSubview(pad);
    std::string letter;
    for (int line = 0; line < 12; ++line)
        letter += line % 3 == 2 ? "希望增加考试场次，周末也能预约，方便上班的学员参加考试。\n" : "科目三考试预约总是排不上。\n";
    pad->setText(NSString(letter));
    host->runUntilIdle();
    const auto rules = pad->ruleOffsets();
    // The rule under each line lies between its top and the next line's.
    const std::vector<CGFloat> tops = lineTops(*pad);
    ASSERT_GE(tops.size(), 12u);
    ASSERT_GE(rules.size(), tops.size());
    for (std::size_t line = 0; line + 1 < tops.size(); ++line) {
        EXPECT_GT(rules[line], tops[line] + pad->font()->ascender()) << line;
        EXPECT_LT(rules[line], tops[line + 1]) << line;
    }
    writeWidgetPicture(*host, "records-note-pad-letter");
}

TEST_F(RecordsNotice, everyLineOfALongMixedLetterSitsOnItsRule)
{
    auto pad = NoteView::create(CGRectMake(10, 100, 300, 200));
    screen()->addSubview(pad);
    const char* paragraphs[] = { "教练您好：", "Please add more exam slots on Saturday.", "科目三 exam 预约总是排不上 (C1)。", "",
        "希望增加考试场次，周末也能预约，方便上班的学员参加考试，also for those who work far away from the school.",
        "Thanks!" };
    std::string letter;
    for (int round = 0; round < 5; ++round)
        for (const char* paragraph : paragraphs)
            letter += std::string(paragraph) + "\n";
    pad->setText(NSString(letter));
    host->runUntilIdle();
    const auto& font = pad->font();
    const std::vector<CGFloat> tops = lineTops(*pad);
    ASSERT_GT(tops.size(), 5 * std::size(paragraphs) + 1) << "a paragraph wraps";
    const auto rules = pad->ruleOffsets();
    ASSERT_GE(rules.size(), tops.size());
    // On its rule: the rule runs under the baseline, above the bottom of the font's descenders.
    for (std::size_t line = 0; line < tops.size(); ++line) {
        const CGFloat baseline = tops[line] + std::ceil(font->ascender());
        EXPECT_GE(rules[line], baseline) << "line " << line + 1;
        EXPECT_LE(rules[line], baseline - font->descender()) << "line " << line + 1;
    }
    pad->setContentOffset(CGPointMake(0, pad->contentSize().height - pad->bounds().size.height));
    host->advance(0.1);
    writeWidgetPicture(*host, "records-note-pad-long-letter");
}

} // namespace
