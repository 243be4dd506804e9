#include "WidgetTestSupport.h"

#include "platform/uikit/UILabel.h"

#include <gtest/gtest.h>

namespace {

const NSString kWords = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda";

UILabelRef makeLabel(const NSString& text, CGRect frame, NSInteger lines = 1)
{
    auto label = UILabel::create(frame);
    label->setText(text);
    label->setNumberOfLines(lines);
    return label;
}

// The label's text drawn in its bounds on white, at scale 1.
CGImageRef picture(const UILabelRef& label)
{
    return drawnPicture(label->bounds().size, [&] {
        CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 1, 1, 1, 1);
        CGContextFillRect(UIGraphicsGetCurrentContext(), label->bounds());
        label->drawRect(label->bounds());
    });
}

bool samePixels(const CGImageRef& a, const CGImageRef& b)
{
    if (a->width() != b->width() || a->height() != b->height())
        return false;
    for (std::size_t y = 0; y < a->height(); ++y)
        for (std::size_t x = 0; x < a->width(); ++x)
            if (pixelOf(a, int(x), int(y)) != pixelOf(b, int(x), int(y)))
                return false;
    return true;
}

// Whether a pixel drawn on white holds ink: some channel well below full.
bool isInk(RGBA pixel) { return std::min({ pixel >> 24, (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF }) < 0x80; }

// The columns holding ink, first and last; {-1, -1} when blank.
std::pair<int, int> inkColumns(const CGImageRef& image)
{
    int first = -1, last = -1;
    for (int x = 0; x < int(image->width()); ++x) {
        for (int y = 0; y < int(image->height()); ++y) {
            if (isInk(pixelOf(image, x, y))) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return { first, last };
}

// Draws its text at the top, as the platform's subclasses do.
class TopLabel : public UILabel {
    NS_OBJECT(TopLabel, UILabel)
public:
    void drawTextInRect(CGRect rect) override { UILabel::drawTextInRect(textRectForBounds(rect, numberOfLines())); }
};

CGFloat oneLineHeight() { return makeLabel("Xg", CGRectZero)->sizeThatFits(CGSizeZero).height; }

} // namespace

TEST(UILabel, startsAsThePlatformsLabelDoes)
{
    auto label = UILabel::create(CGRectMake(0, 0, 100, 20));
    EXPECT_TRUE(label->text().isNil());
    EXPECT_EQ(label->font()->pointSize(), 17);
    EXPECT_TRUE(ns::isEqual(label->textColor(), UIColor::blackColor()));
    EXPECT_EQ(label->numberOfLines(), 1);
    EXPECT_EQ(label->lineBreakMode(), NSLineBreakByTruncatingTail);
    EXPECT_EQ(label->textAlignment(), NSTextAlignmentLeft);
    EXPECT_FALSE(label->isUserInteractionEnabled());
    EXPECT_EQ(label->sizeThatFits(CGSizeMake(100, 100)), CGSizeZero);
    EXPECT_FALSE(label->attributedText());
    // Nil font and colour fall back to the defaults instead of leaving the label unable to draw.
    label->setFont(nullptr);
    label->setTextColor(nullptr);
    EXPECT_EQ(label->font()->pointSize(), 17);
    EXPECT_TRUE(label->textColor());
}

TEST(UILabel, wrapsWithinItsWidthUpToItsNumberOfLines)
{
    const CGFloat line = oneLineHeight();
    auto label = makeLabel(kWords, CGRectMake(0, 0, 120, 400), 0);
    const CGRect all = label->textRectForBounds(label->bounds(), 0);
    EXPECT_LE(all.size.width, 120);
    EXPECT_GT(all.size.height, 3.5 * line);

    const CGRect two = label->textRectForBounds(label->bounds(), 2);
    EXPECT_NEAR(two.size.height, 2 * line, 0.5 * line);
    EXPECT_EQ(label->textRectForBounds(label->bounds(), 1).size.height, std::ceil(line));

    // Bounds too short for every line hold only those that fit.
    const CGRect shortBounds = label->textRectForBounds(CGRectMake(5, 7, 120, 2.5 * line), 0);
    EXPECT_EQ(shortBounds.origin, CGPointMake(5, 7));
    EXPECT_NEAR(shortBounds.size.height, 2 * line, 0.5 * line);
}

TEST(UILabel, sizeThatFitsWrapsOnlyLabelsOfSeveralLines)
{
    const CGFloat line = oneLineHeight();
    auto single = makeLabel(kWords, CGRectMake(0, 0, 50, 20));
    const CGSize natural = single->sizeThatFits(CGSizeMake(120, 0));
    EXPECT_GT(natural.width, 300);
    EXPECT_EQ(natural.height, std::ceil(line));

    auto multi = makeLabel(kWords, CGRectMake(0, 0, 50, 20), 0);
    const CGSize wrapped = multi->sizeThatFits(CGSizeMake(120, 0));
    EXPECT_LE(wrapped.width, 120);
    EXPECT_GT(wrapped.height, 3 * line);
    // No width means no wrapping.
    EXPECT_EQ(multi->sizeThatFits(CGSizeZero).width, natural.width);

    multi->setFrame(CGRectMake(0, 0, 120, 0));
    multi->sizeToFit();
    EXPECT_EQ(multi->bounds().size, wrapped);
}

TEST(UILabel, aTruncatedLineShowsWhatFitsWithAnEllipsis)
{
    // Some part of the text with the ellipsis, drawn untruncated, gives the very same pixels.
    const auto showsCut = [](NSLineBreakMode mode, const std::function<NSString(NSUInteger kept)>& expected) {
        auto label = makeLabel(kWords, CGRectMake(0, 0, 110, 24));
        label->setLineBreakMode(mode);
        const CGImageRef truncated = picture(label);
        EXPECT_LT(inkColumns(truncated).second, 110);
        for (NSUInteger kept = kWords.length(); kept > 0; --kept) {
            auto reference = makeLabel(expected(kept), CGRectMake(0, 0, 110, 24));
            reference->setLineBreakMode(NSLineBreakByClipping);
            if (samePixels(truncated, picture(reference)))
                return true;
        }
        return false;
    };
    const NSString ellipsis(u"\u2026");
    EXPECT_TRUE(showsCut(NSLineBreakByTruncatingTail, [&](NSUInteger kept) { return kWords.substringToIndex(kept) + ellipsis; }));
    EXPECT_TRUE(showsCut(NSLineBreakByTruncatingHead,
        [&](NSUInteger kept) { return ellipsis + kWords.substringFromIndex(kWords.length() - kept); }));
}

TEST(UILabel, middleTruncationKeepsBothEnds)
{
    auto tail = makeLabel(kWords, CGRectMake(0, 0, 110, 24));
    auto middle = makeLabel(kWords, CGRectMake(0, 0, 110, 24));
    middle->setLineBreakMode(NSLineBreakByTruncatingMiddle);
    const auto tailPicture = picture(tail), middlePicture = picture(middle);
    EXPECT_FALSE(samePixels(middlePicture, tailPicture));
    // The start is the same as the tail-truncated line's.
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(pixelOf(middlePicture, x, y), pixelOf(tailPicture, x, y));
}

TEST(UILabel, twoLinesWithTailTruncationCutOnlyTheSecond)
{
    auto label = makeLabel(kWords, CGRectMake(0, 0, 120, 100), 2);
    auto firstLineOnly = makeLabel(kWords, CGRectMake(0, 0, 120, 100), 1);
    firstLineOnly->setLineBreakMode(NSLineBreakByWordWrapping);
    const CGFloat line = oneLineHeight();
    EXPECT_NEAR(label->textRectForBounds(label->bounds(), 2).size.height, 2 * line, 0.5 * line);
    // The first of the two lines is the same as a word-wrapped single line would show.
    const auto two = picture(label), one = picture(firstLineOnly);
    const int top = int(std::ceil((100 - 2 * line) / 2));
    const int topOfOne = int(std::ceil((100 - line) / 2));
    int differing = 0;
    for (int y = 0; y < int(line) - 2; ++y)
        for (int x = 0; x < 120; ++x)
            differing += pixelOf(two, x, top + y) != pixelOf(one, x, topOfOne + y);
    EXPECT_LT(differing, 120);
}

TEST(UILabel, alignmentMovesTheTextWithinTheBounds)
{
    auto left = makeLabel("word", CGRectMake(0, 0, 200, 24));
    auto centre = makeLabel("word", CGRectMake(0, 0, 200, 24));
    centre->setTextAlignment(NSTextAlignmentCenter);
    auto right = makeLabel("word", CGRectMake(0, 0, 200, 24));
    right->setTextAlignment(NSTextAlignmentRight);
    const auto [leftFirst, leftLast] = inkColumns(picture(left));
    const auto [centreFirst, centreLast] = inkColumns(picture(centre));
    const auto [rightFirst, rightLast] = inkColumns(picture(right));
    EXPECT_LT(leftFirst, 3);
    EXPECT_NEAR((centreFirst + centreLast) / 2.0, 100, 2);
    EXPECT_GT(rightLast, 195);
    EXPECT_NEAR(rightLast - rightFirst, leftLast - leftFirst, 1);
}

TEST(UILabel, colourHighlightAndShadowReachThePixels)
{
    auto label = makeLabel(u"\u2588\u2588", CGRectMake(0, 0, 60, 30));
    label->setTextColor(UIColor::redColor());
    label->setTextAlignment(NSTextAlignmentCenter);
    const auto [first, last] = inkColumns(picture(label));
    ASSERT_GE(first, 0);
    const int x = (first + last) / 2;
    EXPECT_EQ(pixelOf(picture(label), x, 15) & 0xFFFFFF00, 0xFF000000u);

    label->setHighlightedTextColor(UIColor::blueColor());
    EXPECT_EQ(pixelOf(picture(label), x, 15) & 0xFFFFFF00, 0xFF000000u);
    label->setHighlighted(true);
    EXPECT_EQ(pixelOf(picture(label), x, 15) & 0xFFFFFF00, 0x0000FF00u);
    label->setHighlighted(false);

    // A shadow far to the right shows beside the text in its own colour.
    label->setShadowColor(UIColor::greenColor());
    label->setShadowOffset(CGSizeMake(20, 0));
    const auto shadowed = picture(label);
    EXPECT_EQ(pixelOf(shadowed, last + 10, 15) & 0xFFFFFF00, 0x00FF0000u);
}

TEST(UILabel, attributedRunsKeepTheirOwnColourAndTakeTheLabelsElsewhere)
{
    auto text = NSMutableAttributedString::withString(u"\u2588\u2588\u2588\u2588");
    text->addAttribute(NSForegroundColorAttributeName, UIColor::blueColor(), NSMakeRange(0, 2));
    auto label = UILabel::create(CGRectMake(0, 0, 100, 30));
    label->setTextColor(UIColor::redColor());
    label->setAttributedText(text);
    EXPECT_EQ(label->text(), NSString(u"\u2588\u2588\u2588\u2588"));
    const auto image = picture(label);
    const auto [first, last] = inkColumns(image);
    EXPECT_EQ(pixelOf(image, first + 3, 15) & 0xFFFFFF00, 0x0000FF00u);
    EXPECT_EQ(pixelOf(image, last - 3, 15) & 0xFFFFFF00, 0xFF000000u);

    auto drawn = label->attributedText();
    ASSERT_TRUE(drawn);
    EXPECT_TRUE(ns::isEqual(drawn->attributeAtIndex(NSForegroundColorAttributeName, 3), UIColor::redColor()));
    EXPECT_TRUE(drawn->attributeAtIndex(NSFontAttributeName, 0));

    // A new font applies to the whole attributed text; plain text drops the attributes.
    label->setFont(UIFont::systemFontOfSize(30));
    EXPECT_EQ(std::dynamic_pointer_cast<UIFont>(label->attributedText()->attributeAtIndex(NSFontAttributeName, 0))->pointSize(), 30);
    label->setText("plain");
    EXPECT_TRUE(ns::isEqual(label->attributedText()->attributeAtIndex(NSForegroundColorAttributeName, 0), UIColor::redColor()));
    label->setAttributedText(nullptr);
    EXPECT_TRUE(label->text().isNil());
}

TEST(UILabel, adjustsTheFontDownToItsMinimumToFitOneLine)
{
    auto label = makeLabel("a rather long caption", CGRectMake(0, 0, 80, 30));
    EXPECT_EQ(label->fontSizeFittingWidth(80), 17);
    label->setAdjustsFontSizeToFitWidth(true);
    const CGFloat fitted = label->fontSizeFittingWidth(80);
    EXPECT_LT(fitted, 17);
    EXPECT_GT(fitted, 5);
    auto check = makeLabel("a rather long caption", CGRectZero);
    check->setFont(UIFont::systemFontOfSize(fitted));
    EXPECT_LE(check->sizeThatFits(CGSizeZero).width, 81);
    // A wide enough label keeps its font.
    EXPECT_EQ(label->fontSizeFittingWidth(1000), 17);

    label->setMinimumScaleFactor(0.9);
    EXPECT_NEAR(label->fontSizeFittingWidth(80), 17 * 0.9, 0.01);
    label->setMinimumScaleFactor(0);
    label->setMinimumFontSize(12);
    EXPECT_EQ(label->fontSizeFittingWidth(80), 12);
    // Labels of several lines wrap instead.
    label->setNumberOfLines(0);
    EXPECT_EQ(label->fontSizeFittingWidth(80), 17);
}

TEST(UILabel, shrunkTextStaysOnTheOriginalBaseline)
{
    const auto bottomOfInk = [](const CGImageRef& image) {
        int bottom = -1;
        for (int y = 0; y < int(image->height()); ++y)
            for (int x = 0; x < int(image->width()); ++x)
                if (isInk(pixelOf(image, x, y)))
                    bottom = y;
        return bottom;
    };
    auto natural = makeLabel("XXXX", CGRectMake(0, 0, 200, 40));
    auto shrunk = makeLabel("XXXXXXXXXXXXXXXXXXXXXXXX", CGRectMake(0, 0, 200, 40));
    shrunk->setAdjustsFontSizeToFitWidth(true);
    EXPECT_NEAR(bottomOfInk(picture(shrunk)), bottomOfInk(picture(natural)), 1);
    shrunk->setBaselineAdjustment(UIBaselineAdjustmentAlignCenters);
    EXPECT_LT(bottomOfInk(picture(shrunk)), bottomOfInk(picture(natural)) - 1);
}

TEST(UILabel, subclassesPlaceTheTextThroughTheTwoHooks)
{
    auto top = TopLabel::create(CGRectMake(0, 0, 100, 60));
    top->setText(u"\u2588");
    const auto image = picture(top);
    EXPECT_TRUE(isInk(pixelOf(image, 5, 8)));
    EXPECT_EQ(pixelOf(image, 5, 50), 0xFFFFFFFFu);
}

namespace {

// What a label shows and measures, for comparing two labels.
struct Appearance {
    CGImageRef picture;
    CGSize fitting;
    CGSize fittingWidth;
    CGRect inBounds;
    CGRect inTwoLines;
};

Appearance appearanceOf(const UILabelRef& label)
{
    return { picture(label), label->sizeThatFits(CGSizeZero), label->sizeThatFits(CGSizeMake(label->bounds().size.width, 0)),
        label->textRectForBounds(label->bounds(), label->numberOfLines()), label->textRectForBounds(label->bounds(), 2) };
}

::testing::AssertionResult sameAppearance(const Appearance& a, const Appearance& b)
{
    if (!samePixels(a.picture, b.picture))
        return ::testing::AssertionFailure() << "the pictures differ";
    if (a.fitting != b.fitting || a.fittingWidth != b.fittingWidth)
        return ::testing::AssertionFailure() << "the fitting sizes differ";
    if (a.inBounds != b.inBounds || a.inTwoLines != b.inTwoLines)
        return ::testing::AssertionFailure() << "the text rectangles differ";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(UILabel, aChangeAfterMeasuringAndDrawingShowsAsOnALabelMadeWithIt)
{
    const auto makeBase = [] {
        auto label = makeLabel(kWords, CGRectMake(0, 0, 120, 100), 0);
        label->setBackgroundColor(UIColor::clearColor());
        return label;
    };
    const auto bigger = UIFont::systemFontOfSize(22);
    const std::pair<const char*, std::function<void(const UILabelRef&)>> changes[] = {
        { "text", [](const UILabelRef& label) { label->setText("omega psi chi phi upsilon tau sigma rho"); } },
        { "same text", [](const UILabelRef& label) { label->setText(kWords); } },
        { "attributed text",
            [&](const UILabelRef& label) {
                auto text = NSMutableAttributedString::withString(kWords);
                text->addAttribute(NSFontAttributeName, bigger, NSMakeRange(6, 10));
                label->setAttributedText(text);
            } },
        { "font", [&](const UILabelRef& label) { label->setFont(bigger); } },
        { "narrower", [](const UILabelRef& label) { label->setFrame(CGRectMake(0, 0, 90, 100)); } },
        { "shorter", [](const UILabelRef& label) { label->setFrame(CGRectMake(0, 0, 120, 40)); } },
        { "line break", [](const UILabelRef& label) { label->setLineBreakMode(NSLineBreakByCharWrapping); } },
        { "truncation", [](const UILabelRef& label) {
             label->setNumberOfLines(2);
             label->setLineBreakMode(NSLineBreakByTruncatingMiddle);
         } },
        { "number of lines", [](const UILabelRef& label) { label->setNumberOfLines(3); } },
        { "alignment", [](const UILabelRef& label) { label->setTextAlignment(NSTextAlignmentRight); } },
        { "colour", [](const UILabelRef& label) { label->setTextColor(UIColor::redColor()); } },
        { "highlight", [](const UILabelRef& label) {
             label->setHighlightedTextColor(UIColor::blueColor());
             label->setHighlighted(true);
         } },
        { "shrinking", [](const UILabelRef& label) {
             label->setNumberOfLines(1);
             label->setAdjustsFontSizeToFitWidth(true);
             label->setMinimumScaleFactor(0.5);
         } },
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        auto changed = makeBase();
        const Appearance before = appearanceOf(changed);
        change(changed);
        auto fresh = makeBase();
        change(fresh);
        const Appearance after = appearanceOf(fresh);
        EXPECT_TRUE(sameAppearance(appearanceOf(changed), after));
        if (std::string_view(what) != "same text") {
            EXPECT_FALSE(sameAppearance(before, after)) << "the change must show";
        }
    }
}

TEST(UILabel, measuringBeforeDrawingLeavesTheSamePixels)
{
    const auto drawnOnly = [](const NSString& text, CGRect frame, NSInteger lines, NSLineBreakMode mode) {
        auto label = makeLabel(text, frame, lines);
        label->setLineBreakMode(mode);
        return picture(label);
    };
    const NSString question = "驾驶机动车在道路上违反道路交通安全法的行为，属于什么行为？";
    for (NSInteger lines : { 0, 1, 2, 3 }) {
        for (NSLineBreakMode mode : { NSLineBreakByWordWrapping, NSLineBreakByTruncatingTail }) {
            SCOPED_TRACE(testing::Message() << lines << " lines, mode " << mode);
            auto label = makeLabel(question, CGRectZero, lines);
            label->setLineBreakMode(mode);
            // Sized to fit, cut below what it needs, and given room to spare.
            const CGSize fitted = label->sizeThatFits(CGSizeMake(130, 0));
            for (CGFloat height : { fitted.height, fitted.height - 8, fitted.height + 30 }) {
                const CGRect frame = CGRectMake(0, 0, 130, std::max<CGFloat>(1, height));
                label->setFrame(frame);
                EXPECT_TRUE(samePixels(picture(label), drawnOnly(question, frame, lines, mode))) << "at height " << height;
                label->sizeThatFits(CGSizeMake(130, 0));
            }
        }
    }
}
