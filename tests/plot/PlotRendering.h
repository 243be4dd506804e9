#pragma once
// Helpers of the engine's tests: drawing into image contexts at a scale with the engine's y-up
// geometry, reading pixels back, snapshots, comparisons with reference pictures, and a simple
// line plot standing in for the plot types.

#include "framework/Source/PEColor.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEPlot.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PETheme.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYAxis.h"
#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYGraph.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGDataProvider.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIImage.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace plottest {

struct Picture {
    std::vector<std::uint8_t> pixels;
    std::size_t bytesPerRow { 0 };
    std::size_t width { 0 };
    std::size_t height { 0 };
    std::shared_ptr<NSData> png;

    // 0 for white, 255 for black, from the colour channels of a pixel (y from the top).
    int darkness(std::size_t x, std::size_t y) const
    {
        const std::uint8_t* p = &pixels[y * bytesPerRow + x * 4];
        return 255 - (p[0] + p[1] + p[2]) / 3;
    }
    int alpha(std::size_t x, std::size_t y) const { return pixels[y * bytesPerRow + x * 4 + 3]; }
};

inline Picture pictureOf(const CGImageRef& image)
{
    Picture picture;
    picture.pixels = CGDataProviderCopyData(CGImageGetDataProvider(image));
    picture.bytesPerRow = CGImageGetBytesPerRow(image);
    picture.width = CGImageGetWidth(image);
    picture.height = CGImageGetHeight(image);
    return picture;
}

// Draws with the origin at the bottom left and y growing upwards, as the hosting view does.
inline Picture render(CGSize size, CGFloat scale, const std::function<void(const CGContextRef&)>& draw, bool opaque = true)
{
    UIGraphicsBeginImageContextWithOptions(size, opaque, scale);
    auto context = UIGraphicsGetCurrentContext();
    if (opaque) {
        CGContextSetRGBFillColor(context, 1, 1, 1, 1);
        CGContextFillRect(context, CGRect { CGPointZero, size });
    }
    CGContextTranslateCTM(context, 0, size.height);
    CGContextScaleCTM(context, 1, -1);
    draw(context);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    Picture picture = pictureOf(image->CGImage());
    picture.png = UIImagePNGRepresentation(image);
    return picture;
}

inline Picture renderGraph(const std::shared_ptr<PEGraph>& graph, CGFloat scale)
{
    graph->setContentsScale(scale);
    return render(graph->bounds().size, scale, [&](const CGContextRef& context) { graph->layoutAndRenderInContext(context); });
}

// The graph behind the plot types' reference pictures: 320 x 240 in the plain white theme with room
// for the axis labels, x over [0, xLength] ticked at every unit, y over [0, yLength] ticked every yInterval.
inline std::shared_ptr<PEXYGraph> referenceGraph(double xLength, double yLength, int yInterval)
{
    PETheme::registerBuiltInThemes();
    auto graph = PEXYGraph::create(CGRect { { 0, 0 }, { 320, 240 } });
    graph->applyTheme(PETheme::themeNamed("Plain White"));
    graph->plotAreaFrame()->setPaddingLeft(40);
    graph->plotAreaFrame()->setPaddingBottom(40);
    graph->plotAreaFrame()->setPaddingTop(20);
    graph->plotAreaFrame()->setPaddingRight(20);
    auto space = std::static_pointer_cast<PEXYPlotSpace>(graph->defaultPlotSpace());
    space->setXRange(PEPlotRange::plotRangeWithLocation(0.0, xLength));
    space->setYRange(PEPlotRange::plotRangeWithLocation(0.0, yLength));
    auto axes = std::static_pointer_cast<PEXYAxisSet>(graph->axisSet());
    axes->xAxis()->setMajorIntervalLength(PEDecimalWithInt(1));
    axes->yAxis()->setMajorIntervalLength(PEDecimalWithInt(yInterval));
    return graph;
}

// An array of NSNumbers holding the values, as data sources and cache setters take them.
inline std::shared_ptr<NSArray> numberArray(std::initializer_list<double> values)
{
    std::vector<id> numbers;
    for (double value : values)
        numbers.push_back(NSNumber::numberWithDouble(value));
    return NSArray::create(numbers);
}

inline std::string snapshotPath(const std::string& name)
{
    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    return std::string(CORVANE_SNAPSHOT_DIR) + "/" + name;
}

inline void saveSnapshot(const Picture& picture, const std::string& name)
{
    std::ofstream out(snapshotPath(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(picture.png->bytes()), static_cast<std::streamsize>(picture.png->length()));
}

// The share of pixels (0...1) whose colour differs from the reference by more than the
// tolerance in any channel; 1 when the reference is missing or of another size.
inline double differenceFromReference(const Picture& picture, const std::string& name, int tolerance)
{
    std::ifstream in(std::string(CORVANE_PLOT_REFERENCE_DIR) + "/" + name, std::ios::binary);
    if (!in)
        return 1.0;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto image = UIImage::imageWithData(NSData::dataWithBytes(bytes.data(), bytes.size()));
    if (!image)
        return 1.0;
    Picture reference = pictureOf(image->CGImage());
    if (reference.width != picture.width || reference.height != picture.height)
        return 1.0;
    std::size_t differing = 0;
    for (std::size_t y = 0; y < picture.height; ++y) {
        for (std::size_t x = 0; x < picture.width; ++x) {
            for (int channel = 0; channel < 4; ++channel) {
                int a = picture.pixels[y * picture.bytesPerRow + x * 4 + channel];
                int b = reference.pixels[y * reference.bytesPerRow + x * 4 + channel];
                if (std::abs(a - b) > tolerance) {
                    ++differing;
                    break;
                }
            }
        }
    }
    return static_cast<double>(differing) / static_cast<double>(picture.width * picture.height);
}

// A polyline through data points, with a line swatch in legends.
class TestLinePlot : public PEPlot {
    NS_OBJECT(TestLinePlot, PEPlot)
public:
    std::vector<CGPoint> points;
    std::shared_ptr<PELineStyle> lineStyle = PELineStyle::lineStyle();
    std::vector<NSString> titles;
    int downEvents { 0 };
    bool takesTouches { false };

    NSUInteger numberOfLegendEntries() const override { return titles.empty() ? 1 : titles.size(); }
    NSString titleForLegendEntryAtIndex(NSUInteger index) const override
    {
        return titles.empty() ? PEPlot::titleForLegendEntryAtIndex(index) : titles[index];
    }

    void renderAsVectorInContext(const CGContextRef& context) override
    {
        PEPlot::renderAsVectorInContext(context);
        if (!plotSpace() || points.size() < 2)
            return;
        lineStyle->setLineStyleInContext(context);
        CGContextBeginPath(context);
        for (std::size_t i = 0; i < points.size(); ++i) {
            double plotPoint[2] = { points[i].x, points[i].y };
            CGPoint viewPoint = plotSpace()->plotAreaViewPointForDoublePrecisionPlotPoint(plotPoint, 2);
            if (i == 0)
                CGContextMoveToPoint(context, viewPoint.x, viewPoint.y);
            else
                CGContextAddLineToPoint(context, viewPoint.x, viewPoint.y);
        }
        lineStyle->strokePathInContext(context);
    }

    void drawSwatchForLegend(PELegend&, NSUInteger, CGRect rect, const CGContextRef& context) override
    {
        lineStyle->setLineStyleInContext(context);
        CGContextBeginPath(context);
        CGContextMoveToPoint(context, CGRectGetMinX(rect), CGRectGetMidY(rect));
        CGContextAddLineToPoint(context, CGRectGetMaxX(rect), CGRectGetMidY(rect));
        lineStyle->strokePathInContext(context);
    }

    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint point) override
    {
        ++downEvents;
        return takesTouches || PEPlot::pointingDeviceDownEvent(event, point);
    }
};

} // namespace plottest
