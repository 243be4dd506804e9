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

} // namespace
