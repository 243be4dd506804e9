#include "PlotRendering.h"

#include "framework/Source/PEFill.h"
#include "framework/Source/PELineCap.h"
#include "framework/Source/PEMutableLineStyle.h"

#include <gtest/gtest.h>

using namespace plottest;

namespace {

std::vector<std::pair<CGPathElementType, CGPoint>> elementsOf(const CGPathRef& path)
{
    std::vector<std::pair<CGPathElementType, CGPoint>> elements;
    CGPathApply(path, [&](const CGPathElement& element) {
        CGPoint last = element.type == kCGPathElementCloseSubpath ? CGPoint {} : element.points[element.type == kCGPathElementAddCurveToPoint ? 2 : element.type == kCGPathElementAddQuadCurveToPoint ? 1 : 0];
        elements.emplace_back(element.type, last);
    });
    return elements;
}

std::size_t inkedPixels(const Picture& picture)
{
    std::size_t inked = 0;
    for (std::size_t y = 0; y < picture.height; ++y)
        for (std::size_t x = 0; x < picture.width; ++x)
            inked += picture.darkness(x, y) > 100;
    return inked;
}

} // namespace

TEST(PELineCap, shapesAreBuiltInTheCapsFrameWithTheTipAtTheOrigin)
{
    auto cap = PELineCap::solidArrowPlotLineCap();
    cap->setSize(CGSize { 10, 8 });
    auto elements = elementsOf(cap->cachedLineCapPath());
    ASSERT_EQ(elements.size(), 4u);
    EXPECT_EQ(elements[0].first, kCGPathElementMoveToPoint);
    EXPECT_EQ(elements[0].second.x, -5);
    EXPECT_EQ(elements[0].second.y, -4);
    EXPECT_EQ(elements[1].second.x, 0);
    EXPECT_EQ(elements[1].second.y, 0);
    EXPECT_EQ(elements[2].second.x, 5);
    EXPECT_EQ(elements[3].first, kCGPathElementCloseSubpath);

    EXPECT_EQ(elementsOf(PELineCap::openArrowPlotLineCap()->cachedLineCapPath()).size(), 3u);
    EXPECT_EQ(elementsOf(PELineCap::crossPlotLineCap()->cachedLineCapPath()).size(), 4u);
    EXPECT_EQ(elementsOf(PELineCap::snowPlotLineCap()->cachedLineCapPath()).size(), 6u);
    EXPECT_EQ(elementsOf(PELineCap::hexagonPlotLineCap()->cachedLineCapPath()).size(), 7u);
    EXPECT_TRUE(CGPathIsEmpty(PELineCap::lineCap()->cachedLineCapPath()));
}

TEST(PELineCap, theCachedPathSurvivesStyleChangesButNotSizeChanges)
{
    auto cap = PELineCap::diamondPlotLineCap();
    CGPathRef first = cap->cachedLineCapPath();
    cap->setFill(PEFill::fillWithColor(PEColor::redColor()));
    cap->setLineStyle(nullptr);
    EXPECT_EQ(cap->cachedLineCapPath(), first);
    cap->setSize(CGSize { 5, 5 });
    EXPECT_EQ(cap->cachedLineCapPath(), first);
    cap->setSize(CGSize { 6, 5 });
    EXPECT_NE(cap->cachedLineCapPath(), first);
    auto copy = std::static_pointer_cast<PELineCap>(cap->copy());
    EXPECT_EQ(copy->lineCapType(), PELineCapTypeDiamond);
    EXPECT_NE(copy->fill(), nullptr);
}

TEST(PELineCap, aSolidArrowTowardsXFillsTheBoxBehindItsTip)
{
    auto cap = PELineCap::solidArrowPlotLineCap();
    cap->setSize(CGSize { 10, 10 });
    cap->setFill(PEFill::fillWithColor(PEColor::blackColor()));
    Picture picture = render(CGSize { 20, 20 }, 1, [&](const CGContextRef& context) {
        cap->renderAsVectorInContext(context, CGPoint { 10, 10 }, CGPoint { 1, 0 });
    });
    // Tip at (10, 10) pointing to +x: the body spreads over x 5...10 and y 5...15.
    EXPECT_GT(picture.darkness(7, 10), 200);
    EXPECT_LT(picture.darkness(12, 10), 30);
    EXPECT_LT(picture.darkness(7, 4), 30);
}

TEST(PELineCap, openShapesIgnoreTheFillAndEmptyShapesDrawNothing)
{
    auto open = PELineCap::openArrowPlotLineCap();
    open->setSize(CGSize { 10, 10 });
    open->setFill(PEFill::fillWithColor(PEColor::blackColor()));
    open->setLineStyle(nullptr);
    Picture nothing = render(CGSize { 20, 20 }, 1, [&](const CGContextRef& context) {
        open->renderAsVectorInContext(context, CGPoint { 10, 10 }, CGPoint { 0, 1 });
    });
    EXPECT_EQ(inkedPixels(nothing), 0u);

    // A custom cap whose path is missing or empty paints no square.
    for (const CGPathRef& path : { CGPathRef {}, CGPathRef(CGPathCreateMutable()) }) {
        auto custom = PELineCap::customLineCapWithPath(path);
        custom->setSize(CGSize { 10, 10 });
        custom->setFill(PEFill::fillWithColor(PEColor::blackColor()));
        Picture picture = render(CGSize { 20, 20 }, 1, [&](const CGContextRef& context) {
            custom->renderAsVectorInContext(context, CGPoint { 10, 10 }, CGPoint { 0, 1 });
        });
        EXPECT_EQ(inkedPixels(picture), 0u);
    }
}

TEST(PELineCap, aCustomPathWithoutHeightIsNotScaledToInfinity)
{
    CGMutablePathRef line = CGPathCreateMutable();
    CGPathMoveToPoint(line, nullptr, 0, 0);
    CGPathAddLineToPoint(line, nullptr, 4, 0);
    auto cap = PELineCap::customLineCapWithPath(line);
    cap->setSize(CGSize { 8, 6 });
    for (const auto& [type, point] : elementsOf(cap->cachedLineCapPath())) {
        EXPECT_TRUE(std::isfinite(point.x));
        EXPECT_TRUE(std::isfinite(point.y));
    }
    auto elements = elementsOf(cap->cachedLineCapPath());
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[0].second.x, -4);
    EXPECT_EQ(elements[1].second.x, 4);
    EXPECT_EQ(elements[1].second.y, -3);
}
