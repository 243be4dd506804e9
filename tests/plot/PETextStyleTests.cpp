#include "PlotRendering.h"

#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlatformSpecificMutableTextStyleExtensions.h"
#include "framework/Source/PEPlatformSpecificTextStyleExtensions.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETextStyleExtensions.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIColor.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace plottest;

TEST(PETextStyle, mapsToAttributesAndBack)
{
    auto style = PEMutableTextStyle::textStyle();
    style->setFontSize(17);
    style->setColor(PEColor::redColor());
    style->setTextAlignment(NSTextAlignmentCenter);
    style->setLineBreakMode(NSLineBreakByTruncatingTail);
    auto attributes = PEPlatformSpecificTextStyleExtensions::attributes(*style);
    ASSERT_TRUE(attributes->objectForKey(NSFontAttributeName));
    auto back = PEPlatformSpecificTextStyleExtensions::textStyleWithAttributes(attributes);
    EXPECT_EQ(std::string(back->className()), "PETextStyle");
    EXPECT_TRUE(back->isEqual(style->copyStyle()));
    EXPECT_EQ(std::string(PEPlatformSpecificMutableTextStyleExtensions::textStyleWithAttributes(attributes)->className()), "PEMutableTextStyle");

    auto defaults = PEPlatformSpecificTextStyleExtensions::textStyleWithAttributes(NSDictionary::dictionary());
    EXPECT_TRUE(defaults->isEqual(PETextStyle::textStyle()));
}

TEST(PETextStyle, missingFontsAndColoursLeaveTheirEntriesOut)
{
    auto style = PEMutableTextStyle::textStyle();
    style->setFontName("No Such Font Family");
    style->setColor(nullptr);
    auto attributes = PEPlatformSpecificTextStyleExtensions::attributes(*style);
    EXPECT_EQ(attributes->objectForKey(NSFontAttributeName) == nullptr, UIFont::fontWithName("No Such Font Family", 12) == nullptr);
    EXPECT_FALSE(attributes->objectForKey(NSForegroundColorAttributeName));
    EXPECT_TRUE(attributes->objectForKey(NSParagraphStyleAttributeName));
}

TEST(PETextStyle, measuresWholePointsAndDrawsNothingWithoutAColour)
{
    auto style = PEMutableTextStyle::textStyle();
    style->setFontSize(13);
    CGSize size = PETextStyleExtensions::sizeWithTextStyle("驾校培训 Driving", style);
    EXPECT_GT(size.width, 0);
    EXPECT_EQ(size.width, std::ceil(size.width));
    EXPECT_EQ(size.height, std::ceil(size.height));

    style->setColor(nullptr);
    Picture picture = render(CGSize { 120, 30 }, 1, [&](const CGContextRef& context) {
        PETextStyleExtensions::drawInRect("驾校培训", CGRect { { 0, 0 }, { 120, 30 } }, style, context);
    });
    for (std::size_t x = 0; x < picture.width; ++x)
        EXPECT_LT(picture.darkness(x, 15), 5);
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
}

TEST(PETextLayer, sizesToItsTextPlusPaddingsWithinItsMaximum)
{
    auto style = PEMutableTextStyle::textStyle();
    style->setFontSize(14);
    auto layer = PETextLayer::create(NSString("科目一"), std::static_pointer_cast<PETextStyle>(style));
    CGSize text = PETextStyleExtensions::sizeWithTextStyle("科目一", style);
    EXPECT_EQ(layer->bounds().size.width, text.width);
    layer->setPaddingLeft(3);
    layer->setPaddingRight(4);
    layer->sizeToFit();
    EXPECT_EQ(layer->bounds().size.width, text.width + 7);
    layer->setMaximumSize(CGSize { 20, 0 });
    EXPECT_EQ(layer->bounds().size.width, 20);
    EXPECT_EQ(layer->bounds().size.height, text.height);

    Picture picture = render(layer->bounds().size, 2, [&](const CGContextRef& context) { layer->recursivelyRenderInContext(context); });
    saveSnapshot(picture, "text-layer@2x.png");
    int inked = 0;
    for (std::size_t y = 0; y < picture.height; ++y)
        for (std::size_t x = 0; x < picture.width; ++x)
            inked += picture.darkness(x, y) > 128;
    EXPECT_GT(inked, 10);
}
