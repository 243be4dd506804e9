// The attributed link label's links: found under a point or beside it, the later of two
// overlapping ones winning, pressed and released through the host's touches, a linked token
// cutting a long text added once, shrinking that leaves the stored text alone, archives read
// back, link values that are no address skipped, and the elements a screen reader walks.
#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSURL.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"
#include "tests/widgets/WidgetPictures.h"
#include "tests/widgets/WidgetScreen.h"

namespace {

// 请访问 (0-2) space (3) www.cdjg.gov.cn (4-18) space 或致电 (20-22) space 028-12345678 (24-35)
const char* const kText = "请访问 www.cdjg.gov.cn 或致电 028-12345678";
constexpr NSRange kSite { 4, 15 };
constexpr NSRange kPhone { 24, 12 };

class Reporter : public LKAttributedLabelDelegate {
public:
    bool attributedLabelDidSelectLinkWithURL(LKAttributedLabel&, const id& URL) override
    {
        urls.push_back(ns::cast<NSURL>(URL) ? ns::cast<NSURL>(URL)->absoluteString() : NSString());
        return true;
    }
    bool attributedLabelDidSelectLinkWithTextCheckingResult(LKAttributedLabel&, const std::shared_ptr<NSTextCheckingResult>& result) override
    {
        others.push_back(result);
        return true;
    }
    std::vector<NSString> urls;
    std::vector<std::shared_ptr<NSTextCheckingResult>> others;
};

class LinkLabel : public WidgetScreenTest {
protected:
    std::shared_ptr<LKAttributedLabel> label(CGRect frame, const char* text = kText)
    {
        auto made = LKAttributedLabel::create(frame);
        made->setFont(UIFont::systemFontOfSize(14));
        made->setNumberOfLines(1);
        made->setText(NSString(text));
        screen()->addSubview(made);
        return made;
    }
    static CGPoint middle(CGRect rect) { return CGPointMake(CGRectGetMidX(rect), CGRectGetMidY(rect)); }
    void draw()
    {
        host->runUntilIdle();
        host->advance(0.1);
    }
};

TEST_F(LinkLabel, linksAreFoundUnderAPointBesideItAndTheLaterOfTwoWins)
{
    auto view = label(CGRectMake(10, 100, 300, 40));
    auto site = view->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), kSite);
    auto phone = view->addLinkToPhoneNumber("028-12345678", kPhone);
    ASSERT_TRUE(site && phone);
    ASSERT_EQ(view->links().size(), 2u);
    // A range past the text is no link.
    EXPECT_FALSE(view->addLinkToURL(NSURL::URLWithString("http://x.cn"), NSRange { 30, 20 }));
    EXPECT_EQ(view->linkModels().size(), 2u);

    const CGRect siteBox = view->boundingRectForCharacterRange(kSite);
    ASSERT_FALSE(CGRectIsNull(siteBox));
    EXPECT_GT(siteBox.size.width, 60);
    const NSInteger index = view->characterIndexAtPoint(middle(siteBox));
    EXPECT_GE(index, 4);
    EXPECT_LT(index, 19);
    EXPECT_EQ(view->linkAtPoint(middle(siteBox)), site);
    EXPECT_EQ(view->linkAtCharacterIndex(25), phone);
    EXPECT_FALSE(view->linkAtCharacterIndex(1));
    EXPECT_FALSE(view->linkAtCharacterIndex(36));

    // Beside the text: found by the widened search, and only with it.
    const CGPoint below = CGPointMake(CGRectGetMidX(siteBox), CGRectGetMaxY(siteBox) + 4);
    EXPECT_EQ(view->characterIndexAtPoint(below), NSNotFound);
    EXPECT_EQ(view->linkAtPoint(below), site);
    view->setExtendsLinkTouchArea(false);
    EXPECT_FALSE(view->linkAtPoint(below));
    view->setExtendsLinkTouchArea(true);
    EXPECT_FALSE(view->linkAtPoint(CGPointMake(CGRectGetMidX(siteBox), -20)));

    auto overlap = view->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn/news"), NSRange { 10, 14 });
    EXPECT_EQ(view->linkAtCharacterIndex(12), overlap);
    EXPECT_EQ(view->linkAtCharacterIndex(5), site);
}

TEST_F(LinkLabel, aPressShowsTheActiveLookAndAReleaseReportsOnce)
{
    auto view = label(CGRectMake(10, 100, 300, 40));
    auto reporter = std::make_shared<Reporter>();
    view->setDelegate(reporter);
    view->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), kSite);
    view->addLinkToPhoneNumber("028-12345678", kPhone);
    draw();
    const CGPoint site = view->convertPointToView(middle(view->boundingRectForCharacterRange(kSite)), nullptr);

    host->touchDown(site);
    ASSERT_TRUE(view->activeLink());
    auto pressed = view->attributedText()->attributesAtIndex(6)->objectForKey(NSString(kCTForegroundColorAttributeName));
    EXPECT_TRUE(ns::cast<UIColor>(pressed) && ns::cast<UIColor>(pressed)->isEqual(UIColor::redColor()));
    draw();
    writeWidgetPicture(*host, "link-label-pressed");
    host->touchUp(site);
    EXPECT_FALSE(view->activeLink());
    ASSERT_EQ(reporter->urls.size(), 1u);
    EXPECT_TRUE(reporter->urls[0].isEqualToString("http://www.cdjg.gov.cn"));
    auto normal = view->attributedText()->attributesAtIndex(6)->objectForKey(NSString(kCTForegroundColorAttributeName));
    EXPECT_TRUE(ns::cast<UIColor>(normal) && ns::cast<UIColor>(normal)->isEqual(UIColor::blueColor()));

    // Dragged off before release: nothing reported, the look restored.
    host->touchDown(site);
    host->touchMove(CGPointMake(site.x, site.y + 200));
    host->touchUp(CGPointMake(site.x, site.y + 200));
    EXPECT_EQ(reporter->urls.size(), 1u);
    EXPECT_FALSE(view->activeLink());

    // A phone link whose own operation the delegate lacks reaches the general one.
    const CGPoint phone = view->convertPointToView(middle(view->boundingRectForCharacterRange(kPhone)), nullptr);
    host->tap(phone);
    ASSERT_EQ(reporter->others.size(), 1u);
    EXPECT_TRUE(reporter->others[0]->phoneNumber().isEqualToString("028-12345678"));

    // A tap block wins over the delegate.
    int blockCalls = 0;
    view->linkModels()[0]->setLinkTapBlock([&](LKAttributedLabel&, LKAttributedLabelLink&) { ++blockCalls; });
    host->tap(site);
    EXPECT_EQ(blockCalls, 1);
    EXPECT_EQ(reporter->urls.size(), 1u);
}

TEST_F(LinkLabel, aLongTextIsCutOnceWithItsTokenAndAFittingOneIsNot)
{
    auto hours = label(CGRectMake(10, 60, 300, 20), "应完成学时 16.0 学时");
    auto cut = label(CGRectMake(10, 100, 200, 20), "科目二实操训练记录已同步到运管平台，请在七日内核对并确认签字");
    draw();
    ASSERT_EQ(hours->drawnLines().size(), 1u);
    EXPECT_TRUE(hours->drawnLines()[0].isEqualToString("应完成学时 16.0 学时"));
    ASSERT_EQ(cut->drawnLines().size(), 1u);
    EXPECT_TRUE(cut->drawnLines()[0].hasSuffix("…"));
    EXPECT_TRUE(cut->drawnLines()[0].hasPrefix("科目二"));

    cut->setLineBreakMode(NSLineBreakByTruncatingHead);
    cut->setNeedsDisplay();
    draw();
    EXPECT_TRUE(cut->drawnLines()[0].hasPrefix("…"));

    // A linked token makes one link however often it is drawn.
    cut->setLineBreakMode(NSLineBreakByTruncatingTail);
    cut->setAttributedTruncationToken(NSAttributedString::create("…更多",
        ns::dictionary({ { NSLinkAttributeName, NSString("http://www.cdjg.gov.cn/more") }, { kCTFontAttributeName, UIFont::systemFontOfSize(14) } })));
    for (int i = 0; i < 3; ++i) {
        cut->setNeedsDisplay();
        draw();
    }
    ASSERT_EQ(cut->linkModels().size(), 1u);
    EXPECT_TRUE(cut->drawnLines()[0].hasSuffix("…更多"));
    const NSRange range = cut->linkModels()[0]->result()->range();
    EXPECT_EQ(range.length, 3u);
    const CGRect box = cut->bounds();
    EXPECT_EQ(cut->linkAtPoint(CGPointMake(CGRectGetMaxX(box) - 12, CGRectGetMidY(box))), cut->linkModels()[0]);
    writeWidgetPicture(*host, "link-label-truncated");

    // Shrinking to fit draws a smaller copy and keeps the stored sizes.
    auto shrink = label(CGRectMake(10, 140, 200, 20), "科目二实操训练记录已同步到运管平台");
    shrink->setAdjustsFontSizeToFitWidth(true);
    shrink->setMinimumScaleFactor(0.5);
    draw();
    ASSERT_EQ(shrink->drawnLines().size(), 1u);
    EXPECT_FALSE(shrink->drawnLines()[0].hasSuffix("…"));
    shrink->setNeedsDisplay();
    draw();
    EXPECT_FALSE(shrink->drawnLines()[0].hasSuffix("…"));
    EXPECT_FALSE(shrink->attributedText()->attributesAtIndex(0)->objectForKey(NSString(kCTFontAttributeName)));
}

TEST_F(LinkLabel, linkValuesThatAreNoAddressAreSkipped)
{
    auto view = label(CGRectMake(10, 100, 300, 40));
    auto text = NSMutableAttributedString::create(NSString(kText));
    text->addAttribute(NSLinkAttributeName, NSString("http://www.cdjg.gov.cn"), kSite);
    text->addAttribute(NSLinkAttributeName, NSNumber::numberWithInt(7), kPhone);
    view->setText(text);
    ASSERT_EQ(view->linkModels().size(), 1u);
    EXPECT_TRUE(view->links()[0]->URLString().isEqualToString("http://www.cdjg.gov.cn"));
    // A new text drops the old links.
    view->setText(NSString("没有链接"));
    EXPECT_TRUE(view->linkModels().empty());
}

TEST_F(LinkLabel, anArchiveComesBackWithTextLinksAndSettings)
{
    auto view = label(CGRectMake(10, 100, 300, 40));
    view->setTextInsets(UIEdgeInsets { 2, 4, 2, 4 });
    view->setTruncationTokenString("...");
    view->setTextColor(UIColor::darkGrayColor());
    view->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), kSite);
    view->addLinkToPhoneNumber("028-12345678", kPhone);
    auto data = NSKeyedArchiver::archivedDataWithRootObject(view);
    ASSERT_TRUE(data);
    auto back = ns::cast<LKAttributedLabel>(NSKeyedUnarchiver::unarchiveObjectWithData(data));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->text().isEqualToString(kText));
    EXPECT_TRUE(CGRectEqualToRect(back->frame(), view->frame()));
    EXPECT_EQ(back->textInsets().left, 4);
    EXPECT_TRUE(back->truncationTokenString().isEqualToString("..."));
    EXPECT_EQ(back->numberOfLines(), 1);
    ASSERT_EQ(back->linkModels().size(), 2u);
    EXPECT_TRUE(NSEqualRanges(back->links()[0]->range(), kSite));
    EXPECT_TRUE(back->links()[0]->URLString().isEqualToString("http://www.cdjg.gov.cn"));
    EXPECT_TRUE(back->links()[1]->phoneNumber().isEqualToString("028-12345678"));
    EXPECT_TRUE(back->linkModels()[0]->accessibilityValue().isEqualToString("http://www.cdjg.gov.cn"));
    // The link look came back with the text.
    auto colour = back->attributedText()->attributesAtIndex(6)->objectForKey(NSString(kCTForegroundColorAttributeName));
    EXPECT_TRUE(ns::cast<UIColor>(colour));
    EXPECT_FALSE(back->attributedText()->attributesAtIndex(1)->objectForKey(NSString(kCTForegroundColorAttributeName)));
    screen()->addSubview(back);
    back->setFrame(CGRectMake(10, 160, 300, 40));
    draw();
    writeWidgetPicture(*host, "link-label-archived");
    EXPECT_EQ(back->linkAtPoint(middle(back->boundingRectForCharacterRange(kSite))), back->linkModels()[0]);

    // Damaged archives do not crash: links outside the text are dropped.
    auto shortLabel = label(CGRectMake(0, 0, 100, 20), "短");
    shortLabel->setLinkModels({ LKAttributedLabelLink::create(nullptr, nullptr, nullptr,
        NSTextCheckingResult::linkCheckingResultWithRange(NSRange { 0, 30 }, id(NSURL::URLWithString("http://x.cn")))) });
    auto damaged = ns::cast<LKAttributedLabel>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(shortLabel)));
    ASSERT_TRUE(damaged);
    EXPECT_TRUE(damaged->linkModels().empty());
    EXPECT_FALSE(NSKeyedUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes("garbage", 7)));
}

TEST_F(LinkLabel, aScreenReaderWalksTheLinksAndThenTheLabel)
{
    auto view = label(CGRectMake(10, 100, 300, 40));
    view->setAccessibilityHint("运管联系方式");
    ASSERT_EQ(view->accessibilityElementCount(), 1);
    EXPECT_TRUE(view->accessibilityElements()[0].label.isEqualToString(kText));
    EXPECT_FALSE(view->isAccessibilityElement());

    view->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), kSite);
    view->addLinkToPhoneNumber("028-12345678", kPhone);
    const auto& elements = view->accessibilityElements();
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_TRUE(elements[0].isLink);
    EXPECT_TRUE(elements[0].label.isEqualToString("www.cdjg.gov.cn"));
    EXPECT_TRUE(elements[0].value.isEqualToString("http://www.cdjg.gov.cn"));
    // A value equal to the linked text is not said twice.
    EXPECT_TRUE(elements[1].label.isEqualToString("028-12345678"));
    EXPECT_TRUE(elements[1].value.isNil());
    EXPECT_FALSE(elements[2].isLink);
    EXPECT_TRUE(elements[2].hint.isEqualToString("运管联系方式"));
    // Frames are in the window: the link lies inside the label's.
    EXPECT_TRUE(CGRectContainsRect(CGRectInset(elements[2].frame, -1, -1), elements[0].frame));
    EXPECT_GE(elements[0].frame.origin.x, 10);
    EXPECT_LT(elements[0].frame.origin.x, elements[1].frame.origin.x);
}

} // namespace
