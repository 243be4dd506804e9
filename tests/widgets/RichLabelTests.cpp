// The rich label as the question screens use it: inline pictures and views, found addresses,
// sizing to its content, and touches on links.
#include "WidgetScreen.h"

#include "library/widgets/richlabel/RAAttributedLabel.h"
#include "platform/net/NSURL.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/CTFramesetter.h"
#include "platform/text/CTStringAttributes.h"

#include <filesystem>

#ifndef CORVANE_SNAPSHOT_DIR
#define CORVANE_SNAPSHOT_DIR "widget-snapshots"
#endif

namespace {

// A picture whose top half and bottom half have different colours, to see it drawn upright.
UIImageRef twoToneImage(CGSize size, const UIColorRef& top, const UIColorRef& bottom)
{
    UIGraphicsBeginImageContextWithOptions(size, true, 1);
    auto context = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(context, top->CGColor());
    CGContextFillRect(context, CGRectMake(0, 0, size.width, size.height / 2));
    CGContextSetFillColorWithColor(context, bottom->CGColor());
    CGContextFillRect(context, CGRectMake(0, size.height / 2, size.width, size.height / 2));
    CGFloat scale = 1;
    auto image = UIImage::imageWithCGImage(UIGraphicsGetCGImageFromCurrentImageContext(&scale), scale);
    UIGraphicsEndImageContext();
    return image;
}

RAAttributedLabelAttachmentRef attachment(CGSize content, CGSize limit, UIEdgeInsets margin = UIEdgeInsetsZero, int alignment = 2)
{
    return RAAttributedLabelAttachment::attachmentWith(twoToneImage(content, UIColor::redColor(), UIColor::blueColor()), margin, alignment,
        limit);
}

bool isRed(const std::array<uint8_t, 4>& pixel) { return pixel[0] > 200 && pixel[1] < 60 && pixel[2] < 60; }
bool isBlue(const std::array<uint8_t, 4>& pixel) { return pixel[2] > 200 && pixel[0] < 60 && pixel[1] < 60; }

std::vector<NSString> linkTexts(const std::optional<RAAttributedLabelURL::Links>& links)
{
    std::vector<NSString> texts;
    for (const auto& link : links.value_or(RAAttributedLabelURL::Links {}))
        texts.push_back(NSString::fromId(link->linkData()));
    return texts;
}

} // namespace

TEST(RichLabelAttachment, picturesShrinkToTheirLimitKeepingTheirShapeAndReserveTheirMargins)
{
    EXPECT_EQ(attachment({ 440, 140 }, { 220, 140 })->calculateContentSize(), CGSizeMake(220, 70));
    EXPECT_EQ(attachment({ 100, 280 }, { 220, 140 })->calculateContentSize(), CGSizeMake(50, 140));
    EXPECT_EQ(attachment({ 100, 100 }, { 220, 140 })->calculateContentSize(), CGSizeMake(100, 100));
    EXPECT_EQ(attachment({ 440, 280 }, { 220, 140 })->calculateContentSize(), CGSizeMake(220, 140));
    EXPECT_EQ(attachment({ 440, 140 }, { 220, 140 }, UIEdgeInsetsMake(10, 40, 5, 40))->boxSize(), CGSizeMake(300, 85));

    auto view = RAAttributedLabelAttachment::attachmentWith(UIView::create(CGRectMake(0, 0, 200, 120)), UIEdgeInsetsZero, 2, CGSizeZero);
    EXPECT_EQ(view->boxSize(), CGSizeMake(200, 120));
    auto other = RAAttributedLabelAttachment::attachmentWith(NSString("文字"), UIEdgeInsetsMake(1, 2, 3, 4), 2, CGSizeZero);
    EXPECT_EQ(other->boxSize(), CGSizeMake(6, 4));
}

TEST(RichLabelAttachment, theRunIsExactlyAsTallAsTheBoxForEachAlignment)
{
    auto box = RAAttributedLabelAttachment::attachmentWith(UIView::create(CGRectMake(0, 0, 10, 40)), UIEdgeInsetsZero, 0, CGSizeZero);
    box->setFontAscent(14);
    box->setFontDescent(4);
    const std::pair<CGFloat, CGFloat> expected[] = { { 14, 26 }, { 25, 15 }, { 36, 4 } };
    for (int alignment = 0; alignment < 3; ++alignment) {
        box->setAlignment(alignment);
        EXPECT_DOUBLE_EQ(RARunDelegateAscentCallback(box.get()), expected[alignment].first) << alignment;
        EXPECT_DOUBLE_EQ(RARunDelegateDescentCallback(box.get()), expected[alignment].second) << alignment;
    }
    box->setAlignment(7);
    EXPECT_EQ(RARunDelegateAscentCallback(box.get()), 0);
    EXPECT_EQ(RARunDelegateWidthCallback(box.get()), 10);
}

TEST(RichLabelLinks, addressesAreFoundWithoutTheChineseTextAroundThem)
{
    auto found = RAAttributedLabelURL::detectLinks("see abc:host1/p?q=1 now");
    ASSERT_TRUE(found && found->size() == 1);
    EXPECT_EQ(found->front()->range(), NSMakeRange(4, 15));
    EXPECT_EQ(linkTexts(RAAttributedLabelURL::detectLinks("mail user@host2 please")), std::vector<NSString> { "user@host2" });
    EXPECT_FALSE(RAAttributedLabelURL::detectLinks(""));
    EXPECT_TRUE(RAAttributedLabelURL::detectLinks("plain text")->empty());

    EXPECT_EQ(linkTexts(RAAttributedLabelURL::detectLinks("访问www.122.gov.cn了解详情")), std::vector<NSString> { "www.122.gov.cn" });
    EXPECT_EQ(linkTexts(RAAttributedLabelURL::detectLinks("详见http://www.122.gov.cn/jg/index.html，或拨打12122")),
        std::vector<NSString> { "http://www.122.gov.cn/jg/index.html" });
}

TEST(RichLabelLinks, onlyWebAndMailAddressesOpenAndWwwGainsItsScheme)
{
    auto open = [](const char* text) {
        auto url = RAAttributedLabelURL::openableURLForLinkData(NSString(text));
        return url ? url->absoluteString() : NSString("-");
    };
    EXPECT_EQ(open("www.122.gov.cn"), NSString("http://www.122.gov.cn"));
    EXPECT_EQ(open("https://gab.122.gov.cn/m"), NSString("https://gab.122.gov.cn/m"));
    EXPECT_EQ(open("user@host2"), NSString("mailto:user@host2"));
    EXPECT_EQ(open("tel:12122"), NSString("-"));
    EXPECT_EQ(open("abc:host1/p?q=1"), NSString("-"));
    EXPECT_EQ(RAAttributedLabelURL::openableURLForLinkData(UIView::create()), nullptr);
}

class RichLabelTest : public WidgetScreenTest {
protected:
    void SetUp() override
    {
        WidgetScreenTest::SetUp();
        UIApplication::sharedApplication()->setSystemURLHandler([this](const std::shared_ptr<NSURL>& url) {
            opened.push_back(url->absoluteString());
            return true;
        });
    }
    void TearDown() override { UIApplication::sharedApplication()->setSystemURLHandler(nullptr); }

    std::shared_ptr<RAAttributedLabel> questionLabel(const NSString& text, CGFloat width = 280)
    {
        auto label = RAAttributedLabel::create(CGRectMake(20, 80, width, 100));
        label->setLineSpacing(5);
        label->setParagraphSpacing(10);
        label->setNumberOfLines(0);
        label->setFont(UIFont::systemFontOfSize(15));
        label->setLineBreakMode(0);
        label->setText(text);
        return label;
    }
    void fit(const std::shared_ptr<RAAttributedLabel>& label)
    {
        const CGSize size = label->sizeThatFits(CGSizeMake(label->frame().size.width, CGFLOAT_MAX));
        label->setFrame(CGRectMake(label->frame().origin.x, label->frame().origin.y, size.width, size.height));
        screen()->addSubview(label);
        host->runUntilIdle();
    }
    CGPoint centreOfCharacter(const std::shared_ptr<RAAttributedLabel>& label, NSUInteger index)
    {
        // The characters of the first line are spread evenly enough for a probe in the middle.
        auto line = CTLineCreateWithAttributedString(label->attributedString()->attributedSubstringFromRange(NSMakeRange(0, index + 1)));
        const CGFloat right = CTLineGetTypographicBounds(line, nullptr, nullptr, nullptr);
        return CGPointMake(label->frame().origin.x + right - 4, label->frame().origin.y + 12);
    }

    std::vector<NSString> opened;
};

TEST_F(RichLabelTest, aNewLabelIsEmptyAndMeasuresItsPadding)
{
    auto label = RAAttributedLabel::create(CGRectMake(0, 0, 100, 100));
    EXPECT_EQ(label->attributedString()->length(), 0u);
    EXPECT_EQ(label->font()->pointSize(), 15);
    EXPECT_TRUE(label->isUserInteractionEnabled());
    EXPECT_EQ(label->sizeThatFits(CGSizeMake(280, CGFLOAT_MAX)), CGSizeMake(2, 4));
}

TEST_F(RichLabelTest, oneLineReportsItsOwnWidthAndSeveralLinesTheWidthOffered)
{
    auto shortLabel = questionLabel("红灯停，绿灯行");
    const CGSize one = shortLabel->sizeThatFits(CGSizeMake(280, CGFLOAT_MAX));
    EXPECT_LT(one.width, 200);
    EXPECT_LT(one.height, 30);

    auto longLabel = questionLabel("驾驶机动车在高速公路上行驶，遇有雾、雨、雪、沙尘、冰雹等低能见度气象条件时，应当降低速度，开启雾灯、近光灯、示廓灯和前后位灯。");
    const CGSize many = longLabel->sizeThatFits(CGSizeMake(280, CGFLOAT_MAX));
    EXPECT_EQ(many.width, 280);
    EXPECT_GT(many.height, 3 * 15);
    fit(longLabel);
    // Every line of a label sized by its own answer is drawn.
    EXPECT_EQ(longLabel->numberOfDisplayedLines(), NSInteger(CTFrameGetLines(CTFramesetterCreateFrame(
        CTFramesetterCreateWithAttributedString(longLabel->attributedString()), CFRangeMake(0, 0),
        CGPathCreateWithRect(CGRectMake(0, 0, 280, 10000), nullptr), nullptr)).size()));
}

TEST_F(RichLabelTest, aQuestionPictureIsDrawnUprightAtItsFittedSizeUnderTheText)
{
    const CGFloat width = 280;
    auto label = questionLabel("1.如图所示，在这种情况下应该怎样行驶？详见www.122.gov.cn                ", width);
    const CGFloat m = (width - 220) / 2;
    label->appendImage(twoToneImage({ 440, 140 }, UIColor::redColor(), UIColor::blueColor()), CGSizeMake(220, 140),
        UIEdgeInsetsMake(10, m, 5, m), 2);
    fit(label);
    ASSERT_EQ(label->attachments().size(), 1u);
    const CGRect frame = label->frame();
    // The picture's box (300 wide with its margins) does not fit beside the text: it takes the
    // last line, its bottom 5 points above the line's descent.
    const CGFloat pictureBottom = frame.origin.y + frame.size.height - 4 - 5;
    const CGFloat x = frame.origin.x + m + 110;
    EXPECT_TRUE(isBlue(host->pixelAt(CGPointMake(x, pictureBottom - 10))));
    EXPECT_TRUE(isRed(host->pixelAt(CGPointMake(x, pictureBottom - 60))));
    EXPECT_FALSE(isRed(host->pixelAt(CGPointMake(x, pictureBottom - 80))));
    EXPECT_FALSE(isBlue(host->pixelAt(CGPointMake(frame.origin.x + m - 4, pictureBottom - 10))));

    // The address in the same text becomes a blue link on a later pass.
    host->advance(0.1);
    ASSERT_EQ(label->links().size(), 1u);
    EXPECT_EQ(NSString::fromId(label->links().front()->linkData()), NSString("www.122.gov.cn"));
    int bluePixels = 0;
    for (CGFloat x = frame.origin.x; x < CGRectGetMaxX(frame); x += 1)
        for (CGFloat y = frame.origin.y; y < pictureBottom - 80; y += 1) {
            const auto pixel = host->pixelAt(CGPointMake(x, y));
            bluePixels += pixel[2] > 180 && pixel[0] < 90 && pixel[1] < 90;
        }
    EXPECT_GT(bluePixels, 20);

    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/rich-label-picture.png")));
}

TEST_F(RichLabelTest, aViewAttachmentBecomesASubviewOverItsRunAndNewTextDropsEverySubview)
{
    auto label = questionLabel("2.观看视频后回答问题：");
    auto video = UIView::create(CGRectMake(0, 0, 220, 140));
    video->setBackgroundColor(UIColor::redColor());
    label->appendView(video, UIEdgeInsetsMake(10, 30, 5, 30), 2);
    label->addSubview(UIView::create(CGRectMake(0, 0, 5, 5)));
    fit(label);
    ASSERT_EQ(video->superview(), label);
    EXPECT_EQ(video->frame().size, CGSizeMake(220, 140));
    EXPECT_EQ(video->frame().origin.x, 30);
    EXPECT_NEAR(CGRectGetMaxY(video->frame()), label->bounds().size.height - 4 - 5, 1.5);

    label->setText("");
    EXPECT_TRUE(label->subviews().empty());
    EXPECT_TRUE(label->attachments().empty());
}

TEST_F(RichLabelTest, shortTextsAreNeverScannedAndLongOnesGetTheirLinksOnALaterPass)
{
    auto tiny = questionLabel("a.bcd");
    fit(tiny);
    EXPECT_FALSE(tiny->linkDetected());

    NSString fifty = "请登录www.122.gov.cn查询违法记录";
    while (fifty.length() < 50)
        fifty = fifty + "。";
    auto inlineScan = questionLabel(fifty);
    fit(inlineScan);
    EXPECT_TRUE(inlineScan->linkDetected());
    ASSERT_EQ(inlineScan->links().size(), 1u);
    EXPECT_EQ(NSString::fromId(inlineScan->links().front()->linkData()), NSString("www.122.gov.cn"));

    auto queued = questionLabel(fifty + "。");
    screen()->addSubview(queued);
    queued->setFrame(CGRectMake(20, 300, 280, 200));
    host->runUntilIdle();
    EXPECT_FALSE(queued->linkDetected());
    host->advance(0.1);
    EXPECT_TRUE(queued->linkDetected());
    EXPECT_EQ(queued->links().size(), 1u);
}

TEST_F(RichLabelTest, aCustomLinkWinsOverAnOverlappingAddress)
{
    auto label = questionLabel("0123456789www.122.gov.cn end");
    label->addCustomLink(NSString("custom"), NSMakeRange(0, 12));
    fit(label);
    ASSERT_EQ(label->links().size(), 1u);
    EXPECT_EQ(NSString::fromId(label->links().front()->linkData()), NSString("custom"));
}

TEST_F(RichLabelTest, aLinkOpensOnlyWhenTheTouchBeganAndEndedOnIt)
{
    auto label = questionLabel("www.122.gov.cn 交通安全综合服务");
    fit(label);
    ASSERT_EQ(label->links().size(), 1u);
    const CGPoint onLink = centreOfCharacter(label, 5);
    const CGPoint offLink = centreOfCharacter(label, 18);

    host->tap(onLink);
    host->runUntilIdle();
    EXPECT_EQ(opened, std::vector<NSString> { "http://www.122.gov.cn" });

    host->touchDown(offLink);
    host->touchMove(onLink);
    host->touchUp(onLink);
    host->touchDown(onLink);
    host->touchMove(offLink);
    host->touchUp(offLink);
    host->runUntilIdle();
    EXPECT_EQ(opened.size(), 1u);

    // Within 5 points above the first line still counts; further above the label does not.
    EXPECT_TRUE(label->urlForPoint(CGPointMake(onLink.x - label->frame().origin.x, -4)));
    EXPECT_FALSE(label->urlForPoint(CGPointMake(onLink.x - label->frame().origin.x, -6)));
}

TEST_F(RichLabelTest, linesCutOffByTheLineLimitHaveNoLinksAndTheLastShownLineEndsInAnEllipsis)
{
    auto label = questionLabel("第一行文字第一行文字第一行文字第一行\n第二行文字第二行文字第二行文字第二行\nwww.122.gov.cn");
    label->setNumberOfLines(2);
    label->setLineBreakMode(4);
    label->setFrame(CGRectMake(20, 80, 280, 120));
    screen()->addSubview(label);
    host->runUntilIdle();
    host->advance(0.1);
    EXPECT_EQ(label->numberOfDisplayedLines(), 2);
    ASSERT_EQ(label->links().size(), 1u);
    for (CGFloat y = 40; y < 120; y += 4)
        EXPECT_FALSE(label->urlForPoint(CGPointMake(30, y))) << y;
    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    EXPECT_TRUE(host->writePNG(label, NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/rich-label-two-lines.png")));
}
