#include "framework/Source/PEColor.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEPlotSymbol.h"
#include "tests/plot/PlotRendering.h"

#include <gtest/gtest.h>

using namespace plottest;

TEST(PlotSymbol, everyShapeIsCentredOnTheOriginWithinItsSize)
{
    const PEPlotSymbolType types[] = { PEPlotSymbolTypeRectangle, PEPlotSymbolTypeEllipse, PEPlotSymbolTypeDiamond, PEPlotSymbolTypeTriangle,
        PEPlotSymbolTypeStar, PEPlotSymbolTypePentagon, PEPlotSymbolTypeHexagon, PEPlotSymbolTypeCross, PEPlotSymbolTypePlus,
        PEPlotSymbolTypeDash, PEPlotSymbolTypeSnow };
    for (auto type : types) {
        auto symbol = PEPlotSymbol::plotSymbol();
        symbol->setSymbolType(type);
        symbol->setSize(CGSize { 10, 8 });
        CGRect box = CGPathGetPathBoundingBox(symbol->cachedSymbolPath());
        EXPECT_LE(CGRectGetMaxX(box), 5 + 1e-9) << type;
        EXPECT_GE(CGRectGetMinY(box), -4 - 1e-9) << type;
        EXPECT_GT(box.size.width, 4) << type;
        EXPECT_NEAR(CGRectGetMaxY(box), type == PEPlotSymbolTypeDash ? 0 : 4, 1e-9) << type;
    }
    EXPECT_TRUE(CGPathIsEmpty(PEPlotSymbol::plotSymbol()->cachedSymbolPath()));
}

TEST(PlotSymbol, customPathsAreCentredAndFlatOnesAreNotStretched)
{
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRect { { 10, 10 }, { 20, 20 } });
    auto symbol = PEPlotSymbol::customPlotSymbolWithPath(path);
    symbol->setSize(CGSize { 10, 10 });
    CGRect box = CGPathGetPathBoundingBox(symbol->cachedSymbolPath());
    EXPECT_NEAR(box.origin.x, -5, 1e-9);
    EXPECT_NEAR(box.origin.y, -5, 1e-9);
    EXPECT_NEAR(box.size.width, 10, 1e-9);

    auto dash = CGPathCreateMutable();
    CGPathMoveToPoint(dash, nullptr, 2, 7);
    CGPathAddLineToPoint(dash, nullptr, 6, 7);
    symbol->setCustomSymbolPath(dash);
    box = CGPathGetPathBoundingBox(symbol->cachedSymbolPath());
    EXPECT_TRUE(std::isfinite(box.origin.y));
    EXPECT_NEAR(box.origin.y, 0, 1e-9);
    EXPECT_NEAR(box.size.width, 10, 1e-9);
}

TEST(PlotSymbol, cachesFollowTheSettersAndTheScale)
{
    auto symbol = PEPlotSymbol::ellipsePlotSymbol();
    auto path = symbol->cachedSymbolPath();
    symbol->setSize(CGSize { 5, 5 });
    EXPECT_EQ(symbol->cachedSymbolPath(), path);
    render(CGSize { 20, 20 }, 1, [&](const CGContextRef& context) { symbol->renderInContext(context, CGPoint { 10, 10 }, 1, true); });
    auto layer = symbol->cachedLayer();
    ASSERT_TRUE(layer);
    symbol->setFill(PEFill::fillWithColor(PEColor::redColor()));
    EXPECT_EQ(symbol->cachedSymbolPath(), path);
    EXPECT_FALSE(symbol->cachedLayer());
    render(CGSize { 20, 20 }, 2, [&](const CGContextRef& context) { symbol->renderInContext(context, CGPoint { 10, 10 }, 2, true); });
    layer = symbol->cachedLayer();
    EXPECT_EQ(symbol->cachedScale(), 2);
    render(CGSize { 20, 20 }, 2, [&](const CGContextRef& context) { symbol->renderInContext(context, CGPoint { 10, 10 }, 2, true); });
    EXPECT_EQ(symbol->cachedLayer(), layer);

    auto copy = std::static_pointer_cast<PEPlotSymbol>(symbol->copy());
    EXPECT_NE(copy->lineStyle(), symbol->lineStyle());
    EXPECT_EQ(copy->symbolType(), PEPlotSymbolTypeEllipse);
}

TEST(PlotSymbol, anAnchorPutsTheSamePointOfTheSymbolOnTheDataPointInBothModes)
{
    auto symbol = PEPlotSymbol::rectanglePlotSymbol();
    symbol->setSize(CGSize { 10, 10 });
    symbol->setFill(PEFill::fillWithColor(PEColor::blackColor()));
    symbol->setLineStyle(nullptr);
    symbol->setAnchorPoint(CGPoint { 0, 0 });
    auto vector = render(CGSize { 40, 40 }, 1, [&](const CGContextRef& context) { symbol->renderAsVectorInContext(context, CGPoint { 20, 20 }, 1); });
    auto layered = render(CGSize { 40, 40 }, 1, [&](const CGContextRef& context) { symbol->renderInContext(context, CGPoint { 20, 20 }, 1, true); });
    // The symbol's lower-left corner sits on the point: the square covers x 20...30, y 20...30 (rows 10...20 from the top).
    for (const auto* picture : { &vector, &layered }) {
        EXPECT_GT(picture->darkness(25, 15), 200);
        EXPECT_LT(picture->darkness(15, 25), 50);
    }
    auto none = PEPlotSymbol::plotSymbol();
    auto blank = render(CGSize { 20, 20 }, 1, [&](const CGContextRef& context) { none->renderAsVectorInContext(context, CGPoint { 10, 10 }, 1); });
    EXPECT_EQ(blank.darkness(10, 10), 0);
}
