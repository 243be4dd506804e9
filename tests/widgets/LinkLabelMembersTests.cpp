// The link label's own text setter and its caches, the screen reader's walk by index, an archive
// of plain text, and how a cut last line is drawn: without its line break, with a token in the
// look of the text where it goes, and a shrink that allows for the room wrapped lines waste.
#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSURL.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"
#include "tests/widgets/WidgetPictures.h"
#include "tests/widgets/LinkLabelScreen.h"
#include "tests/widgets/WidgetScreen.h"

namespace {

// Counts the drawing steps and draws its own boxes instead of the label's.
class CountingLabel : public LKAttributedLabel {
    NS_OBJECT(CountingLabel, LKAttributedLabel)
public:
    void drawFramesetter(const CTFramesetterRef& framesetter, const std::shared_ptr<NSAttributedString>& text, CFRange range, CGRect rect,
        const CGContextRef& context) override
    {
        ++framesetters;
        wholeRange = range.location == 0 && range.length == static_cast<CFIndex>(text->length());
        LKAttributedLabel::drawFramesetter(framesetter, text, range, rect, context);
    }
    void drawBackground(const std::vector<LKRunDecorations::PlacedLine>& lines, CGRect, const CGContextRef& context) override
    {
        backgroundLines = lines.size();
        CGContextSetFillColorWithColor(context, UIColor::greenColor()->CGColor());
        CGContextFillRect(context, CGRectMake(0, 0, 6, 6));
    }
    void drawStrike(const std::vector<LKRunDecorations::PlacedLine>& lines, CGRect rect, const CGContextRef& context) override
    {
        strikeLines = lines.size();
        LKAttributedLabel::drawStrike(lines, rect, context);
    }
    int framesetters { 0 };
    bool wholeRange { false };
    std::size_t backgroundLines { 0 };
    std::size_t strikeLines { 0 };
};

using LinkLabelMembers = LinkLabelScreen;

TEST_F(LinkLabelMembers, itsOwnAttributedTextSetterDrawsWhatTextSaysAndCachesLastUntilAChange)
{
    auto view = label(CGRectMake(10, 60, 300, 24), "旧的文字");
    draw();
    auto fresh = NSAttributedString::create("新的文字", ns::dictionary({ { kCTFontAttributeName, UIFont::systemFontOfSize(14) } }));
    // Through the base class, as any label is given text.
    UILabel& base = *view;
    base.setAttributedText(fresh);
    draw();
    EXPECT_TRUE(view->text().isEqualToString("新的文字"));
    ASSERT_EQ(view->drawnLines().size(), 1u);
    EXPECT_TRUE(view->drawnLines()[0].isEqualToString("新的文字"));

    // The rendered text and the framesetter are made once, and again only after a change.
    const auto rendered = view->renderedAttributedText();
    const auto framesetter = view->framesetter();
    ASSERT_TRUE(framesetter);
    view->linkAtPoint(CGPointMake(20, 12));
    view->setAttributedText(NSAttributedString::create("新的文字", ns::dictionary({ { kCTFontAttributeName, UIFont::systemFontOfSize(14) } })));
    EXPECT_EQ(view->renderedAttributedText(), rendered);
    EXPECT_EQ(view->framesetter(), framesetter);
    base.setTextColor(UIColor::redColor());
    EXPECT_NE(view->framesetter(), framesetter);
    EXPECT_NE(view->renderedAttributedText(), rendered);
    // Highlighted, the highlighted copy's framesetter is made by drawing and kept until a change.
    view->setHighlightedTextColor(UIColor::blueColor());
    view->setHighlighted(true);
    view->setNeedsDisplay();
    draw();
    const auto highlighted = view->highlightFramesetter();
    EXPECT_TRUE(highlighted);
    view->setNeedsDisplay();
    draw();
    EXPECT_EQ(view->highlightFramesetter(), highlighted);
    view->setText(NSString("另一段文字"));
    view->framesetter();
    EXPECT_FALSE(view->highlightFramesetter());
}

TEST_F(LinkLabelMembers, anotherHighlightedColourIsDrawnNotTheOneCachedBefore)
{
    auto view = label(CGRectMake(10, 60, 300, 24), "高亮的文字");
    view->setHighlightedTextColor(UIColor::blueColor());
    view->setHighlighted(true);
    draw();
    const auto blue = view->highlightFramesetter();
    ASSERT_TRUE(blue);
    view->setHighlightedTextColor(UIColor::redColor());
    view->setNeedsDisplay();
    draw();
    EXPECT_TRUE(view->highlightFramesetter());
    EXPECT_NE(view->highlightFramesetter(), blue);
}

TEST_F(LinkLabelMembers, aScreenReaderReachesEachElementByIndexAndBack)
{
    auto view = label(CGRectMake(10, 60, 300, 24), "请访问 www.cdjg.gov.cn");
    view->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), NSRange { 4, 15 });
    ASSERT_EQ(view->accessibilityElementCount(), 2);
    const auto* link = view->accessibilityElementAtIndex(0);
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->isLink);
    EXPECT_EQ(view->indexOfAccessibilityElement(*link), 0);
    EXPECT_EQ(view->indexOfAccessibilityElement(*view->accessibilityElementAtIndex(1)), 1);
    EXPECT_FALSE(view->accessibilityElementAtIndex(2));
    EXPECT_FALSE(view->accessibilityElementAtIndex(-1));
    LKAttributedLabel::AccessibilityElement other;
    other.label = "别处";
    EXPECT_EQ(view->indexOfAccessibilityElement(other), NSNotFound);
    view->setAccessibilityElements({ other });
    EXPECT_EQ(view->accessibilityElementCount(), 1);
    EXPECT_EQ(view->indexOfAccessibilityElement(other), 0);
}

TEST_F(LinkLabelMembers, anArchiveOfPlainTextComesBackInTheLabelsOwnLook)
{
    auto view = LKAttributedLabel::create(CGRectMake(10, 60, 300, 24));
    view->setTextAlignment(NSTextAlignmentCenter);
    view->setKern(1.5);
    view->UILabel::setText("居中的标题");
    auto back = ns::cast<LKAttributedLabel>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(view)));
    ASSERT_TRUE(back && back->attributedText());
    EXPECT_TRUE(back->text().isEqualToString("居中的标题"));
    auto attributes = back->attributedText()->attributesAtIndex(0);
    auto style = ns::cast<NSParagraphStyle>(attributes->objectForKey(NSString(kCTParagraphStyleAttributeName)));
    ASSERT_TRUE(style);
    EXPECT_EQ(style->alignment(), NSTextAlignmentCenter);
    EXPECT_EQ(ns::doubleValue(attributes->objectForKey(NSString(kCTKernAttributeName))), 1.5);
}

TEST_F(LinkLabelMembers, aCutLineDropsItsBreakAndItsTokenLooksLikeTheTextWhereItGoes)
{
    auto shortFirst = label(CGRectMake(10, 60, 300, 24), "短行\n第二段");
    auto red = LKAttributedLabel::create(CGRectMake(10, 100, 160, 24));
    red->setNumberOfLines(1);
    red->setLineBreakMode(NSLineBreakByTruncatingHead);
    red->setTruncationTokenString("…");
    auto text = NSMutableAttributedString::create("开头红色的文字后面是很长很长的灰色文字一直到结尾",
        ns::dictionary({ { kCTFontAttributeName, UIFont::systemFontOfSize(14) }, { kCTForegroundColorAttributeName, UIColor::grayColor() } }));
    text->addAttribute(kCTForegroundColorAttributeName, UIColor::redColor(), NSRange { 0, 5 });
    red->setText(std::static_pointer_cast<NSAttributedString>(text));
    screen()->addSubview(red);
    draw();
    ASSERT_EQ(shortFirst->drawnLines().size(), 1u);
    EXPECT_TRUE(shortFirst->drawnLines()[0].isEqualToString("短行…"));
    writeWidgetPicture(*host, "link-label-cut-lines");
    // Cut at its head, the token takes the look of the line's first character, which is red.
    ASSERT_EQ(red->drawnLines().size(), 1u);
    EXPECT_TRUE(red->drawnLines()[0].hasPrefix("…"));
    bool redToken = false;
    for (CGFloat x = 10; x < 22 && !redToken; x += 1)
        for (CGFloat y = 104; y < 120 && !redToken; y += 1) {
            const auto pixel = host->pixelAt(CGPointMake(x, y));
            redToken = pixel[0] > 180 && pixel[1] < 120 && pixel[2] < 120;
        }
    EXPECT_TRUE(redToken);
}

TEST_F(LinkLabelMembers, aLineCutAtItsHeadOrMiddleStillEndsInTheTokenWhenTextFollows)
{
    const char* text = "第一段很长很长的文字一直写到这里才结束\n第二段";
    auto head = label(CGRectMake(10, 60, 160, 24), text);
    head->setLineBreakMode(NSLineBreakByTruncatingHead);
    auto middle = label(CGRectMake(10, 100, 160, 24), text);
    middle->setLineBreakMode(NSLineBreakByTruncatingMiddle);
    auto last = label(CGRectMake(10, 140, 160, 24), "第一段很长很长的文字一直写到这里才结束");
    last->setLineBreakMode(NSLineBreakByTruncatingHead);
    draw();
    writeWidgetPicture(*host, "link-label-cut-head-middle");
    ASSERT_EQ(head->drawnLines().size(), 1u);
    EXPECT_TRUE(head->drawnLines()[0].hasPrefix("…"));
    EXPECT_TRUE(head->drawnLines()[0].hasSuffix("结束…")) << head->drawnLines()[0].UTF8String();
    ASSERT_EQ(middle->drawnLines().size(), 1u);
    EXPECT_TRUE(middle->drawnLines()[0].hasPrefix("第一段"));
    EXPECT_TRUE(middle->drawnLines()[0].hasSuffix("结束…")) << middle->drawnLines()[0].UTF8String();
    // Where the cut paragraph ends the text, nothing follows to mark.
    ASSERT_EQ(last->drawnLines().size(), 1u);
    EXPECT_TRUE(last->drawnLines()[0].hasPrefix("…"));
    EXPECT_TRUE(last->drawnLines()[0].hasSuffix("结束"));
}

TEST_F(LinkLabelMembers, anotherTokenIsDrawnAndTouchedWithoutBeingAskedTwice)
{
    auto view = label(CGRectMake(10, 60, 200, 24), "科目二实操训练记录已同步到运管平台，请在七日内核对并确认签字");
    draw();
    ASSERT_EQ(view->drawnLines().size(), 1u);
    ASSERT_TRUE(view->drawnLines()[0].hasSuffix("…"));
    const CGFloat midY = CGRectGetMidY(view->bounds());
    // Half way along the line lies the text, at first.
    const NSInteger before = view->characterIndexAtPoint(CGPointMake(120, midY));
    ASSERT_NE(before, NSNotFound);

    view->setTruncationTokenString("…查看全部内容");
    draw();
    ASSERT_EQ(view->drawnLines().size(), 1u);
    EXPECT_TRUE(view->drawnLines()[0].hasSuffix("…查看全部内容"));
    // Now the token covers that point, which touches the end of the cut line.
    const NSInteger after = view->characterIndexAtPoint(CGPointMake(120, midY));
    EXPECT_GT(after, before);

    view->setTruncationTokenStringAttributes(ns::dictionary({ { kCTFontAttributeName, UIFont::systemFontOfSize(14) },
        { kCTForegroundColorAttributeName, UIColor::redColor() } }));
    view->setAttributedTruncationToken(NSAttributedString::create("…", view->truncationTokenStringAttributes()));
    draw();
    EXPECT_TRUE(view->drawnLines()[0].hasSuffix("…"));
    EXPECT_FALSE(view->drawnLines()[0].hasSuffix("内容"));
    EXPECT_EQ(view->characterIndexAtPoint(CGPointMake(120, midY)), before);
}

TEST_F(LinkLabelMembers, shrinkingWrappedLinesAllowsForTheRoomTheyWaste)
{
    // Twenty-two characters of 14 points make 308 points, less than two lines of 160; wrapped
    // lines waste room, so the label shrinks them all the same, and more go on its first line.
    auto view = label(CGRectMake(10, 60, 160, 40), "");
    view->setNumberOfLines(2);
    view->setLineBreakMode(NSLineBreakByWordWrapping);
    view->setAdjustsFontSizeToFitWidth(true);
    view->setMinimumScaleFactor(0.5);
    std::string text;
    for (int i = 0; i < 22; ++i)
        text += "字";
    view->setText(NSString(text));
    draw();
    ASSERT_EQ(view->drawnLines().size(), 2u);
    EXPECT_GT(view->drawnLines()[0].length(), 11u);
    auto stored = ns::cast<UIFont>(view->attributedText()->attributesAtIndex(0)->objectForKey(NSString(kCTFontAttributeName)));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->pointSize(), 14) << "the stored text keeps its size";
}

TEST_F(LinkLabelMembers, aSubclassChangesTheStepsOfDrawing)
{
    auto view = CountingLabel::create(CGRectMake(10, 60, 300, 24));
    view->setFont(UIFont::systemFontOfSize(14));
    view->setText(NSString("应完成学时 16.0 学时"));
    screen()->addSubview(view);
    draw();
    EXPECT_EQ(view->framesetters, 1);
    EXPECT_TRUE(view->wholeRange);
    EXPECT_EQ(view->backgroundLines, 1u);
    EXPECT_EQ(view->strikeLines, 1u);
    ASSERT_EQ(view->drawnLines().size(), 1u);
    const auto pixel = host->pixelAt(CGPointMake(12, 62));
    EXPECT_TRUE(pixel[1] > 100 && pixel[0] < 100) << "its own box is drawn";
}

} // namespace
