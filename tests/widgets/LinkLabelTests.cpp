// The attributed link label's links: found under a point or beside it, the later of two
// overlapping ones winning, pressed and released through the host's touches, a linked token
// cutting a long text added once, shrinking that leaves the stored text alone, archives read
// back, link values that are no address skipped, and the elements a screen reader walks.
#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "library/widgets/linklabel/LKRunDecorations.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSURL.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"
#include "platform/foundation/NSValue.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIPasteboard.h"
#include "tests/support/Waiting.h"
#include "tests/widgets/WidgetPictures.h"
#include "tests/widgets/LinkLabelScreen.h"
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
    bool attributedLabelDidSelectLinkWithDate(LKAttributedLabel&, const std::shared_ptr<NSDate>& date) override
    {
        plainDates.push_back(date);
        return true;
    }
    bool attributedLabelDidLongPressLinkWithURL(LKAttributedLabel&, const id& URL, CGPoint point) override
    {
        pressed.push_back(ns::cast<NSURL>(URL) ? ns::cast<NSURL>(URL)->absoluteString() : NSString());
        pressedAt = point;
        return true;
    }
    std::vector<NSString> urls;
    std::vector<std::shared_ptr<NSTextCheckingResult>> others;
    std::vector<std::shared_ptr<NSDate>> plainDates;
    std::vector<NSString> pressed;
    CGPoint pressedAt { -1, -1 };
};

// Answers the date with its time zone as well.
class ZonedReporter : public Reporter {
public:
    using Reporter::attributedLabelDidSelectLinkWithDate;
    bool attributedLabelDidSelectLinkWithDate(LKAttributedLabel&, const std::shared_ptr<NSDate>&, const std::shared_ptr<NSTimeZone>& zone,
        NSTimeInterval duration) override
    {
        zones.push_back(zone);
        durations.push_back(duration);
        return true;
    }
    std::vector<std::shared_ptr<NSTimeZone>> zones;
    std::vector<NSTimeInterval> durations;
};

bool sameColour(const id& value, const UIColorRef& colour)
{
    auto own = ns::cast<UIColor>(value);
    return own && own->isEqual(colour);
}

bool near(std::array<uint8_t, 4> pixel, int r, int g, int b)
{
    return std::abs(pixel[0] - r) < 40 && std::abs(pixel[1] - g) < 40 && std::abs(pixel[2] - b) < 40;
}

class LinkLabel : public LinkLabelScreen {
protected:
    std::shared_ptr<LKAttributedLabel> label(CGRect frame, const char* text = kText) { return LinkLabelScreen::label(frame, text); }
    static CGPoint middle(CGRect rect) { return CGPointMake(CGRectGetMidX(rect), CGRectGetMidY(rect)); }
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
    // Drawn while still held: a longer hold would be a long press.
    host->advance(0.1);
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
    auto stored = ns::cast<UIFont>(shrink->attributedText()->attributesAtIndex(0)->objectForKey(NSString(kCTFontAttributeName)));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->pointSize(), 14);
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
    auto plain = ns::cast<UIColor>(back->attributedText()->attributesAtIndex(1)->objectForKey(NSString(kCTForegroundColorAttributeName)));
    // The colour the label had when the text was set.
    CGFloat r = 1, g = 1, b = 1, a = 0;
    EXPECT_TRUE(plain && plain->getRed(&r, &g, &b, &a) && r + g + b == 0 && a == 1);
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
    view->setAccessibilityValue("两种方式");
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
    EXPECT_TRUE(elements[2].value.isEqualToString("两种方式"));
    // Frames are in the window: the link lies inside the label's.
    EXPECT_TRUE(CGRectContainsRect(CGRectInset(elements[2].frame, -1, -1), elements[0].frame));
    EXPECT_GE(elements[0].frame.origin.x, 10);
    EXPECT_LT(elements[0].frame.origin.x, elements[1].frame.origin.x);
}

TEST_F(LinkLabel, plainTextTakesTheLabelsParagraphSettingsAndAttributedTextIsLeftAlone)
{
    auto view = label(CGRectMake(10, 100, 300, 60));
    view->setNumberOfLines(0);
    view->setTextAlignment(NSTextAlignmentCenter);
    view->setKern(1.5);
    view->setLineSpacing(4);
    view->setFirstLineIndent(12);
    view->setLineHeightMultiple(1.25);
    view->setMaximumLineHeight(40);
    view->setText(NSString("学时已同步"));
    auto attributes = view->attributedText()->attributesAtIndex(0);
    EXPECT_TRUE(attributes->objectForKey(NSString(kCTFontAttributeName))->isEqual(UIFont::systemFontOfSize(14)));
    EXPECT_TRUE(sameColour(attributes->objectForKey(NSString(kCTForegroundColorAttributeName)), UIColor::blackColor()));
    EXPECT_EQ(ns::cast<NSNumber>(attributes->objectForKey(NSString(kCTKernAttributeName)))->doubleValue(), 1.5);
    auto style = ns::cast<NSParagraphStyle>(attributes->objectForKey(NSString(kCTParagraphStyleAttributeName)));
    ASSERT_TRUE(style);
    EXPECT_EQ(style->alignment(), NSTextAlignmentCenter);
    EXPECT_EQ(style->lineSpacing(), 4);
    EXPECT_EQ(style->firstLineHeadIndent(), 12);
    EXPECT_EQ(style->lineHeightMultiple(), 1.25);
    // No minimum of its own: the font's line height times the multiple.
    EXPECT_NEAR(style->minimumLineHeight(), UIFont::systemFontOfSize(14)->lineHeight() * 1.25, 1e-9);
    EXPECT_EQ(style->maximumLineHeight(), 40);
    EXPECT_EQ(style->lineBreakMode(), NSLineBreakByWordWrapping);
    EXPECT_EQ(view->leading(), 4);

    // Given as attributed text it stays as it is; the block's result wins.
    auto own = NSAttributedString::create("红色", ns::dictionary({ { NSForegroundColorAttributeName, UIColor::redColor() } }));
    view->setText(own);
    EXPECT_TRUE(view->attributedText()->isEqualToAttributedString(own));
    EXPECT_TRUE(view->text().isEqualToString("红色"));
    view->setText(own, [](const std::shared_ptr<NSMutableAttributedString>& text) {
        text->addAttribute(kLKStrikeOutAttributeName, NSNumber::numberWithBool(true), NSRange { 0, 1 });
        return text;
    });
    EXPECT_TRUE(view->attributedText()->attributesAtIndex(0)->objectForKey(NSString(kLKStrikeOutAttributeName)));
    EXPECT_TRUE(view->attributedText()->attributesAtIndex(0)->objectForKey(NSString(kCTParagraphStyleAttributeName)));
}

TEST_F(LinkLabel, sizingMeasuresOneLineUnboundedAndOnlyTheLinesAsked)
{
    const char* const longText = "科目二实操训练记录已同步到运管平台，请在七日内核对并确认签字，逾期将视为无异议";
    auto view = label(CGRectMake(10, 100, 120, 60), longText);
    const CGSize one = view->sizeThatFits(CGSizeMake(120, 1000));
    EXPECT_GT(one.width, 300);
    EXPECT_EQ(view->sizeThatFits(CGSizeMake(40, 10)).width, one.width);
    view->setNumberOfLines(2);
    const CGSize two = view->sizeThatFits(CGSizeMake(120, 1000));
    view->setNumberOfLines(0);
    const CGSize all = view->sizeThatFits(CGSizeMake(120, 1000));
    const CGSize wider = view->sizeThatFits(CGSizeMake(136, 1000));
    EXPECT_LE(two.width, 120);
    EXPECT_GT(two.height, one.height);
    EXPECT_GT(all.height, two.height * 1.5);
    view->setTextInsets(UIEdgeInsets { 3, 5, 7, 11 });
    // The insets are added to the size measured in the width asked.
    EXPECT_EQ(view->sizeThatFits(CGSizeMake(136, 1000)).height, wider.height + 10);
    EXPECT_EQ(view->sizeThatFits(CGSizeMake(136, 1000)).width, wider.width + 16);

    EXPECT_TRUE(CGSizeEqualToSize(LKAttributedLabel::sizeThatFitsAttributedString(nullptr, CGSizeMake(100, 100), 0), CGSizeZero));
    EXPECT_TRUE(CGSizeEqualToSize(LKAttributedLabel::sizeThatFitsAttributedString(NSAttributedString::create(""), CGSizeMake(100, 100), 0), CGSizeZero));
    const CGSize classTwo = LKAttributedLabel::sizeThatFitsAttributedString(view->attributedText(), CGSizeMake(120, 1000), 2);
    EXPECT_EQ(classTwo.height, two.height);
}

TEST_F(LinkLabel, theTextSitsAtTheTopTheMiddleOrTheBottom)
{
    auto view = label(CGRectMake(10, 100, 300, 80), "应完成学时 16.0 学时");
    const CGFloat lineHeight = UIFont::systemFontOfSize(14)->lineHeight();
    const CGRect top = [&] {
        view->setVerticalAlignment(LKAttributedLabelVerticalAlignmentTop);
        return view->textRectForBounds(view->bounds(), 1);
    }();
    view->setVerticalAlignment(LKAttributedLabelVerticalAlignmentCenter);
    const CGRect middle = view->textRectForBounds(view->bounds(), 1);
    view->setVerticalAlignment(LKAttributedLabelVerticalAlignmentBottom);
    const CGRect bottom = view->textRectForBounds(view->bounds(), 1);
    EXPECT_EQ(top.origin.y, 0);
    EXPECT_EQ(middle.origin.y, std::floor(bottom.origin.y / 2));
    EXPECT_GT(bottom.origin.y, 80 - 2 * lineHeight);
    EXPECT_GE(top.size.height, 80);
    // The drawn text follows: its box starts at the top, the middle or the bottom.
    const NSRange all { 0, 4 };
    view->setVerticalAlignment(LKAttributedLabelVerticalAlignmentTop);
    EXPECT_LT(view->boundingRectForCharacterRange(all).origin.y, 2);
    view->setVerticalAlignment(LKAttributedLabelVerticalAlignmentBottom);
    EXPECT_GT(CGRectGetMaxY(view->boundingRectForCharacterRange(all)), 76);
    view->setVerticalAlignment(LKAttributedLabelVerticalAlignmentCenter);
    EXPECT_NEAR(CGRectGetMidY(view->boundingRectForCharacterRange(all)), 40, 3);
}

TEST_F(LinkLabel, boxesGrowByTheirPaddingAndStrikesFollowSuperscripts)
{
    auto font = UIFont::systemFontOfSize(20);
    auto text = NSMutableAttributedString::create("AB CD EF", ns::dictionary({ { kCTFontAttributeName, font } }));
    text->addAttribute(kLKBackgroundFillColorAttributeName, UIColor::yellowColor()->CGColor(), NSRange { 3, 2 });
    text->addAttribute(kLKBackgroundFillPaddingAttributeName, NSValue::valueWith(UIEdgeInsets { 2, 3, 4, 5 }, "UIEdgeInsets"), NSRange { 3, 2 });
    text->addAttribute(kLKStrikeOutAttributeName, NSNumber::numberWithBool(true), NSRange { 0, 8 });
    text->addAttribute(kCTSuperscriptAttributeName, NSNumber::numberWithInt(-1), NSRange { 3, 2 });
    text->addAttribute(kCTSuperscriptAttributeName, NSNumber::numberWithInt(1), NSRange { 6, 2 });
    auto line = CTLineCreateWithAttributedString(text);
    const std::vector<LKRunDecorations::PlacedLine> lines { { line, CGPointMake(10, 50) } };

    const auto boxes = LKRunDecorations::backgroundBoxes(lines, UIEdgeInsets { 0, -1, 0, -1 });
    ASSERT_EQ(boxes.size(), 1u);
    const CGFloat start = line->offsetForStringIndex(3), end = line->offsetForStringIndex(5);
    CGFloat ascent = 0, descent = 0;
    CTLineGetTypographicBounds(line, &ascent, &descent, nullptr);
    EXPECT_NEAR(boxes[0].rect.origin.x, 10 + start - 3 - 1, 0.5);
    EXPECT_NEAR(boxes[0].rect.size.width, end - start + 8 + 2, 0.5);
    EXPECT_NEAR(boxes[0].rect.origin.y, 50 - ascent - 2, 1);
    EXPECT_NEAR(CGRectGetMaxY(boxes[0].rect), 50 + descent + 4, 1);

    const auto struck = LKRunDecorations::strikes(lines, font);
    // "AB ", "CD" (subscript), " ", "EF" (superscript).
    ASSERT_EQ(struck.size(), 4u);
    // y down: a subscript's line is higher up the page, a superscript's lower.
    EXPECT_NEAR(struck[0].from.y - struck[1].from.y, 0.25 * ascent, 1);
    EXPECT_NEAR(struck[3].from.y - struck[0].from.y, 0.47 * ascent, 1);
    EXPECT_EQ(struck[2].from.y, struck[0].from.y);
    EXPECT_EQ(struck[0].width, font->underlineThickness() > 0 ? font->underlineThickness() : 1);
    EXPECT_TRUE(struck[0].colour->isEqual(CGColorCreateGenericGray(0, 1)));
}

TEST_F(LinkLabel, decorationsShadowsAndAPressedLinkAreDrawn)
{
    auto boxed = label(CGRectMake(10, 40, 300, 40), "预约 科目三 考试");
    auto text = boxed->attributedText()->mutableCopyAttributedString();
    text->addAttribute(kLKBackgroundFillColorAttributeName, UIColor::yellowColor()->CGColor(), NSRange { 3, 3 });
    text->addAttribute(kLKBackgroundStrokeColorAttributeName, UIColor::orangeColor(), NSRange { 3, 3 });
    text->addAttribute(kLKBackgroundCornerRadiusAttributeName, NSNumber::numberWithDouble(4), NSRange { 3, 3 });
    text->addAttribute(kLKBackgroundFillPaddingAttributeName, NSValue::valueWith(UIEdgeInsets { 2, 4, 2, 4 }, "UIEdgeInsets"), NSRange { 3, 3 });
    text->addAttribute(kLKStrikeOutAttributeName, NSNumber::numberWithBool(true), NSRange { 7, 2 });
    text->addAttribute(kCTForegroundColorAttributeName, UIColor::redColor(), NSRange { 7, 2 });
    boxed->setText(text);
    boxed->setTextAlignment(NSTextAlignmentCenter);

    auto shadowed = label(CGRectMake(10, 90, 300, 40), "阴影");
    shadowed->setFont(UIFont::boldSystemFontOfSize(28));
    shadowed->setText(NSString("阴影"));
    shadowed->setShadowColor(UIColor::blueColor());
    shadowed->setShadowOffset(CGSizeMake(4, 4));
    shadowed->setVerticalAlignment(LKAttributedLabelVerticalAlignmentTop);

    auto top = label(CGRectMake(10, 140, 140, 60), "上");
    top->setBackgroundColor(UIColor::colorWithWhite(0.93, 1));
    top->setVerticalAlignment(LKAttributedLabelVerticalAlignmentTop);
    auto bottom = label(CGRectMake(170, 140, 140, 60), "下");
    bottom->setBackgroundColor(UIColor::colorWithWhite(0.93, 1));
    bottom->setVerticalAlignment(LKAttributedLabelVerticalAlignmentBottom);

    auto linked = label(CGRectMake(10, 220, 300, 40));
    linked->setActiveLinkAttributes(ns::dictionary({ { kCTForegroundColorAttributeName, UIColor::whiteColor() },
        { kLKBackgroundFillColorAttributeName, UIColor::colorWithRed(0, 0.65, 0.82, 1)->CGColor() },
        { kLKBackgroundCornerRadiusAttributeName, NSNumber::numberWithDouble(3) } }));
    linked->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), kSite);
    draw();
    const CGRect site = linked->convertRectToView(linked->boundingRectForCharacterRange(kSite), nullptr);
    host->touchDown(CGPointMake(CGRectGetMidX(site), CGRectGetMidY(site)));
    host->advance(0.1);
    writeWidgetPicture(*host, "link-label-decorations");

    // The box: filled behind the run, beyond its glyphs by the padding.
    const CGRect run = boxed->convertRectToView(boxed->boundingRectForCharacterRange(NSRange { 3, 3 }), nullptr);
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(run.origin.x - 2, CGRectGetMidY(run))), 255, 255, 0));
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(run.origin.x - 12, CGRectGetMidY(run))), 255, 255, 255));
    // The shadow: blue down and right of the glyphs.
    const CGRect glyphs = shadowed->convertRectToView(shadowed->boundingRectForCharacterRange(NSRange { 0, 2 }), nullptr);
    bool blue = false;
    for (CGFloat x = glyphs.origin.x; x < CGRectGetMaxX(glyphs) + 4 && !blue; x += 1)
        for (CGFloat y = glyphs.origin.y; y < CGRectGetMaxY(glyphs) + 4 && !blue; y += 1)
            blue = near(host->pixelAt(CGPointMake(x, y)), 0, 0, 255);
    EXPECT_TRUE(blue);
    // The pressed link: white text on its own box.
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(site.origin.x + 6, site.origin.y + 6)), 0, 166, 209));
    host->touchUp(CGPointMake(CGRectGetMidX(site), CGRectGetMidY(site)));
    draw();
    EXPECT_TRUE(near(host->pixelAt(CGPointMake(site.origin.x + 6, site.origin.y + 6)), 255, 255, 255));

    // Highlighted: the highlighted colour and, without a normal shadow, the highlighted one.
    shadowed->setShadowColor(nullptr);
    shadowed->setHighlightedShadowColor(UIColor::greenColor());
    shadowed->setHighlightedShadowOffset(CGSizeMake(3, 3));
    shadowed->setHighlightedTextColor(UIColor::redColor());
    shadowed->setHighlighted(true);
    draw();
    bool red = false, green = false;
    for (CGFloat x = glyphs.origin.x; x < CGRectGetMaxX(glyphs) + 4; x += 1)
        for (CGFloat y = glyphs.origin.y; y < CGRectGetMaxY(glyphs) + 4; y += 1) {
            red = red || near(host->pixelAt(CGPointMake(x, y)), 255, 0, 0);
            green = green || near(host->pixelAt(CGPointMake(x, y)), 0, 255, 0);
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(green);
    writeWidgetPicture(*host, "link-label-highlighted");
}

TEST_F(LinkLabel, linksAreFoundInTheBackgroundForTheTextStillShown)
{
    auto view = label(CGRectMake(10, 100, 300, 60));
    view->setNumberOfLines(0);
    view->setText(NSString("电话 13812345678"));
    host->runUntilIdle();
    EXPECT_TRUE(view->linkModels().empty());

    view->setEnabledTextCheckingTypes(NSTextCheckingTypeLink | NSTextCheckingTypePhoneNumber | NSTextCheckingTypeDate);
    EXPECT_EQ(view->dataDetectorTypes(), view->enabledTextCheckingTypes());
    ASSERT_TRUE(view->dataDetector());
    view->setText(NSString("请于2015-04-15前访问www.cdjg.gov.cn或致电028-12345678"));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return view->linkModels().size() == 3; }, testing_support::kWaitSeconds));
    const auto links = view->links();
    EXPECT_EQ(links[0]->resultType(), NSTextCheckingTypeDate);
    EXPECT_EQ(links[1]->resultType(), NSTextCheckingTypeLink);
    EXPECT_EQ(links[2]->resultType(), NSTextCheckingTypePhoneNumber);
    EXPECT_TRUE(links[2]->phoneNumber().isEqualToString("028-12345678"));
    EXPECT_TRUE(sameColour(view->attributedText()->attributesAtIndex(links[2]->range().location)->objectForKey(NSString(kCTForegroundColorAttributeName)),
        UIColor::blueColor()));

    // A text replaced before its search ends keeps none of its links.
    view->setText(NSString("旧号码 13900001111 旧网址 www.old.cn"));
    view->setText(NSString("新号码 18611112222"));
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return !view->linkModels().empty(); }, testing_support::kWaitSeconds));
    for (int i = 0; i < 20; ++i)
        host->runUntilIdle();
    for (const auto& result : view->links())
        EXPECT_TRUE(result->phoneNumber().isEqualToString("18611112222"));

    view->setEnabledTextCheckingTypes(0);
    EXPECT_FALSE(view->dataDetector());
}

TEST_F(LinkLabel, aLongPressReportsItsLinkOnceWhereItBegan)
{
    auto view = label(CGRectMake(10, 100, 300, 40));
    auto reporter = std::make_shared<Reporter>();
    view->setDelegate(reporter);
    auto site = view->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), kSite);
    draw();
    const CGPoint inLabel = middle(view->boundingRectForCharacterRange(kSite));
    const CGPoint point = view->convertPointToView(inLabel, nullptr);
    ASSERT_TRUE(view->longPressGestureRecognizer());
    host->touchDown(point);
    host->advance(0.7);
    host->touchUp(point);
    ASSERT_EQ(reporter->pressed.size(), 1u);
    EXPECT_TRUE(reporter->pressed[0].isEqualToString("http://www.cdjg.gov.cn"));
    EXPECT_NEAR(reporter->pressedAt.x, inLabel.x, 1);
    EXPECT_NEAR(reporter->pressedAt.y, inLabel.y, 1);
    // Held, it is no tap.
    EXPECT_TRUE(reporter->urls.empty());
    EXPECT_FALSE(view->activeLink());

    // The link's block wins; a press beside every link is not taken.
    int blockCalls = 0;
    site->setLinkLongPressBlock([&](LKAttributedLabel&, LKAttributedLabelLink&) { ++blockCalls; });
    host->touchDown(point);
    host->advance(0.7);
    host->touchUp(point);
    EXPECT_EQ(blockCalls, 1);
    EXPECT_EQ(reporter->pressed.size(), 1u);
    host->touchDown(view->convertPointToView(CGPointMake(5, 20), nullptr));
    host->advance(0.7);
    host->touchUp(view->convertPointToView(CGPointMake(5, 20), nullptr));
    EXPECT_EQ(blockCalls, 1);
}

TEST_F(LinkLabel, aDimmedTintGreysTheLinksUntilItIsNormalAgain)
{
    auto view = label(CGRectMake(10, 100, 300, 40));
    view->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), kSite);
    auto at = [&](NSAttributedStringKey key) { return view->attributedText()->attributesAtIndex(6)->objectForKey(NSString(key)); };
    screen()->setTintAdjustmentMode(UIViewTintAdjustmentMode::Dimmed);
    EXPECT_TRUE(sameColour(at(kCTForegroundColorAttributeName), UIColor::grayColor()));
    EXPECT_FALSE(ns::cast<NSNumber>(at(kCTUnderlineStyleAttributeName))->boolValue());
    draw();
    writeWidgetPicture(*host, "link-label-dimmed");
    screen()->setTintAdjustmentMode(UIViewTintAdjustmentMode::Normal);
    EXPECT_TRUE(sameColour(at(kCTForegroundColorAttributeName), UIColor::blueColor()));
    EXPECT_TRUE(ns::cast<NSNumber>(at(kCTUnderlineStyleAttributeName))->boolValue());
    // Text around the link keeps its own look throughout.
    EXPECT_TRUE(sameColour(view->attributedText()->attributesAtIndex(1)->objectForKey(NSString(kCTForegroundColorAttributeName)), UIColor::blackColor()));
}

TEST_F(LinkLabel, datesAddressesAndFlightsReachTheirOwnOperationsAndCopyTakesTheText)
{
    auto view = label(CGRectMake(10, 100, 300, 40), "考试 04-15 地址 航班 复制");
    auto zoned = std::make_shared<ZonedReporter>();
    view->setDelegate(zoned);
    auto zone = NSTimeZone::timeZoneWithName("Asia/Shanghai");
    auto date = NSDate::dateWithTimeIntervalSince1970(1429056000);
    view->addLinkToDate(date, zone, 3600, NSRange { 3, 5 });
    view->addLinkToAddress(ns::dictionary({ { NSTextCheckingCityKey, NSString("成都市") } }), NSRange { 9, 2 });
    view->addLinkToTransitInformation(ns::dictionary({ { NSTextCheckingAirlineKey, NSString("CA") } }), NSRange { 12, 2 });
    draw();
    auto tapRange = [&](NSRange range) { host->tap(view->convertPointToView(middle(view->boundingRectForCharacterRange(range)), nullptr)); };
    tapRange(NSRange { 3, 5 });
    ASSERT_EQ(zoned->zones.size(), 1u);
    EXPECT_TRUE(zoned->zones[0]->name().isEqualToString("Asia/Shanghai"));
    EXPECT_EQ(zoned->durations[0], 3600);
    EXPECT_TRUE(zoned->plainDates.empty());
    // The address and the flight have no operation here: the general one hears them.
    tapRange(NSRange { 9, 2 });
    tapRange(NSRange { 12, 2 });
    ASSERT_EQ(zoned->others.size(), 2u);
    EXPECT_EQ(zoned->others[0]->resultType(), NSTextCheckingTypeAddress);
    EXPECT_EQ(zoned->others[1]->resultType(), NSTextCheckingTypeTransitInformation);

    // Without the zoned operation the plain one hears the date.
    auto plain = std::make_shared<Reporter>();
    view->setDelegate(plain);
    tapRange(NSRange { 3, 5 });
    ASSERT_EQ(plain->plainDates.size(), 1u);
    EXPECT_TRUE(plain->plainDates[0]->isEqual(date));

    EXPECT_TRUE(view->canBecomeFirstResponder());
    EXPECT_TRUE(view->canPerformAction("copy:"));
    EXPECT_FALSE(view->canPerformAction("paste:"));
    view->copy(nullptr);
    EXPECT_TRUE(UIPasteboard::generalPasteboard()->string().isEqualToString("考试 04-15 地址 航班 复制"));
}

TEST_F(LinkLabel, anArchiveKeepsTheDrawingAndParagraphSettings)
{
    auto view = label(CGRectMake(10, 100, 300, 40));
    view->setEnabledTextCheckingTypes(NSTextCheckingTypePhoneNumber);
    view->setShadowRadius(2.5);
    view->setHighlightedShadowRadius(1.5);
    view->setHighlightedShadowOffset(CGSizeMake(1, 2));
    view->setHighlightedShadowColor(UIColor::greenColor());
    view->setKern(0.5);
    view->setFirstLineIndent(8);
    view->setLineSpacing(3);
    view->setLineHeightMultiple(1.2);
    view->setMinimumLineHeight(20);
    view->setVerticalAlignment(LKAttributedLabelVerticalAlignmentBottom);
    view->setLinkBackgroundEdgeInset(UIEdgeInsets { 1, 2, 3, 4 });
    view->setText(NSString(kText));
    auto back = ns::cast<LKAttributedLabel>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(view)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->enabledTextCheckingTypes(), NSTextCheckingTypePhoneNumber);
    EXPECT_TRUE(back->dataDetector());
    EXPECT_EQ(back->shadowRadius(), 2.5);
    EXPECT_EQ(back->highlightedShadowRadius(), 1.5);
    EXPECT_TRUE(CGSizeEqualToSize(back->highlightedShadowOffset(), CGSizeMake(1, 2)));
    EXPECT_TRUE(back->highlightedShadowColor() && back->highlightedShadowColor()->isEqual(UIColor::greenColor()));
    EXPECT_EQ(back->kern(), 0.5);
    EXPECT_EQ(back->firstLineIndent(), 8);
    EXPECT_EQ(back->lineSpacing(), 3);
    EXPECT_NEAR(back->lineHeightMultiple(), 1.2, 1e-6);
    // Line heights are not written.
    EXPECT_EQ(back->minimumLineHeight(), 0);
    EXPECT_EQ(back->verticalAlignment(), LKAttributedLabelVerticalAlignmentBottom);
    EXPECT_EQ(back->linkBackgroundEdgeInset(), (UIEdgeInsets { 1, 2, 3, 4 }));
    // The paragraph style of the text came back with it.
    auto style = ns::cast<NSParagraphStyle>(back->attributedText()->attributesAtIndex(0)->objectForKey(NSString(kCTParagraphStyleAttributeName)));
    ASSERT_TRUE(style);
    EXPECT_EQ(style->firstLineHeadIndent(), view->firstLineIndent());
}

} // namespace
