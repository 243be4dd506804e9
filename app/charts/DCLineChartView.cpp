#include "app/charts/DCLineChartView.h"

#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr CGFloat kTop = 35;
constexpr CGFloat kLeft = 45;

// Element i of a series, nothing for a gap or past its end.
std::optional<float> valueAt(const DCLineChartViewComponent& component, std::size_t i)
{
    const auto& points = component.points();
    if (!points || i >= points->count())
        return std::nullopt;
    const id element = points->objectAtIndex(i);
    if (ns::isNilOrNull(element))
        return std::nullopt;
    const float value = ns::floatValue(element);
    return std::isfinite(value) ? std::optional<float>(value) : std::nullopt;
}

// A coordinate truncated toward zero; one far off the view stays far off it.
CGFloat truncated(double value)
{
    return CGFloat(std::trunc(std::clamp(value, -1e9, 1e9)));
}

// The smallest step of 1, 2 or 5 times a power of ten not below the least one, so that thinned
// labels stay round numbers.
double roundStep(double least)
{
    if (!(least > 1))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (double factor : { 1.0, 2.0, 5.0 })
        if (factor * power >= least)
            return factor * power;
    return 10 * power;
}

} // namespace

void DCLineChartView::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
    m_yLabelFont = UIFont::boldSystemFontOfSize(14);
    m_xLabelFont = UIFont::boldSystemFontOfSize(12);
    m_valueLabelFont = UIFont::boldSystemFontOfSize(10);
    m_legendFont = UIFont::boldSystemFontOfSize(10);
}

void DCLineChartView::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGFloat W = frame().size.width;
    const CGFloat H = frame().size.height;
    const std::size_t labels = m_xLabels.size();
    const CGFloat spacing = labels > 1 ? (W - 90) / CGFloat(labels - 1) : 0;
    auto X = [&](std::size_t i) { return CGFloat(int(spacing * CGFloat(i) + kLeft)); };

    CGContextSetRGBFillColor(context, 0.2, 0.2, 0.2, 1);
    double low = m_minValue;
    double high = m_maxValue;
    int decimals = 0;
    if (m_autoscaleYAxis && m_maxValue > 0 && std::isfinite(m_maxValue) && m_numYIntervals > 0) {
        const double e = std::floor(std::log10(m_maxValue / 5.0));
        const double p = std::pow(10.0, e);
        const double r = m_maxValue / (p * 5);
        const double m = r <= 5 ? std::ceil(r) : 10;
        high = p * m * 5;
        m_interval = float(high / double(m_numYIntervals));
        low = 0;
        decimals = std::max(0, int(-e));
    }
    const double lines = m_interval > 0 ? std::floor((high - low) / m_interval + 1) : 0;
    const bool scaled = std::isfinite(lines) && lines >= 2;
    const double n = scaled ? lines : 0;
    m_lastScale = { high, low, int(std::min(n, double(INT_MAX))), decimals };
    m_lastYLabels.clear();
    const double t = scaled ? (H - 80) / (n - 1) : 0;

    if (scaled) {
        // Lines closer than a label is high are thinned to every step-th, so that a scale of a
        // thousand lines or more still draws, with its labels apart.
        const double step = t > 0 ? roundStep(m_yLabelFont->lineHeight() / t) : n;
        const NSString format = NSString::stringWithFormat("%%.%if", decimals);
        for (double i = 0; i < n; i += step) {
            const double value = high - i * double(m_interval);
            const CGFloat y = truncated(t * i + kTop);
            NSString text = NSString::stringWithFormat(format.UTF8String().c_str(), value);
            if (m_mappedYLabels) {
                auto found = m_mappedYLabels->find(text.integerValue());
                text = found == m_mappedYLabels->end() ? NSString() : found->second;
            }
            m_lastYLabels.push_back(text);
            if (!text.isNil())
                UIStringDrawing::drawInRect(text, CGRectMake(0, y - 8, 25, 20), m_yLabelFont, NSLineBreakByWordWrapping, m_yLabelAlignment);
            CGContextSetLineWidth(context, 1.0);
            CGContextSetRGBStrokeColor(context, 0.4, 0.4, 0.4, 0.1);
            CGContextMoveToPoint(context, 30, y);
            CGContextAddLineToPoint(context, W - 30, y);
            CGContextStrokePath(context);
        }
    }

    const NSUInteger every = std::max<NSUInteger>(m_numXIntervals, 1);
    for (std::size_t i = 0; i < labels; ++i)
        if (every == 1 || i % every == 1)
            UIStringDrawing::drawInRect(NSString::stringWithFormat("%@", m_xLabels[i]), CGRectMake(X(i) - 100, H - 20, 200, 20),
                m_xLabelFont, NSLineBreakByWordWrapping, NSTextAlignmentCenter);
    if (!scaled)
        return;

    CGContextSetShadowWithColor(context, CGSizeMake(0, -1), 1.0, UIColor::lightGrayColor()->CGColor());
    auto yOf = [&](float v) { return truncated(t * ((high - v) / m_interval) + kTop); };
    struct Legend {
        NSString title;
        CGFloat x, y;
        UIColorRef colour;
    };
    std::vector<Legend> legends;
    for (const auto& component : m_components) {
        if (!component->colour())
            component->setColour(UIColor::colorWithRed(0, 0.6, 0.8, 1));
        const auto& colour = component->colour();
        std::optional<CGPoint> previous;
        const std::size_t count = component->points() ? component->points()->count() : 0;
        for (std::size_t j = 0; j < count; ++j) {
            const auto v = valueAt(*component, j);
            if (!v)
                continue;
            const CGFloat x = X(j);
            const CGFloat y = yOf(*v);
            CGContextSetStrokeColorWithColor(context, colour->CGColor());
            CGContextSetLineWidth(context, 3.0);
            CGContextStrokeEllipseInRect(context, CGRectMake(x - 5, y - 5, 10, 10));
            CGContextSetFillColorWithColor(context, colour->CGColor());
            if (previous) {
                const CGFloat dx = x - previous->x;
                const CGFloat dy = y - previous->y;
                const CGFloat length = std::sqrt(dx * dx + dy * dy);
                // Points closer than the two rings have no segment between them.
                if (length > 10) {
                    const CGFloat k = 5 / length;
                    CGContextSetLineWidth(context, 4.0);
                    CGContextMoveToPoint(context, previous->x + k * dx, previous->y + k * dy);
                    CGContextAddLineToPoint(context, x - k * dx, y - k * dy);
                    CGContextStrokePath(context);
                }
            }
            previous = CGPointMake(x, y);
            if (j == count - 1)
                legends.push_back({ component->title(), x + 5 + 15, y - 10, colour });
        }
    }

    const CGFloat f = m_valueLabelFont->pointSize();
    for (std::size_t i = 0; i < labels; ++i) {
        CGFloat nextFree = kTop;
        for (const auto& component : m_components) {
            const auto v = valueAt(*component, i);
            if (!v)
                continue;
            const CGFloat y = yOf(*v);
            const CGFloat below = truncated(y + 5);
            if (component->shouldLabelValues()) {
                const NSString text = NSString::stringWithFormat(component->labelFormat().UTF8String().c_str(), double(*v));
                CGContextSetRGBFillColor(context, 0, 0, 0, 1);
                const CGFloat above = truncated((y - 5) - f);
                CGPoint at;
                if (above > nextFree) {
                    at = CGPointMake(X(i) - 25, above);
                    nextFree = above + 20;
                } else if (below < nextFree + 20 && below < H - 60) {
                    at = CGPointMake(X(i) - 25, below);
                    nextFree = below + 20;
                } else {
                    at = CGPointMake(X(i) - 50, y - 10);
                    nextFree = above + 20;
                }
                UIStringDrawing::drawInRect(text, CGRectMake(at.x, at.y, 50, 20), m_valueLabelFont, NSLineBreakByWordWrapping,
                    NSTextAlignmentCenter);
            }
            if (nextFree < y + 5)
                nextFree = below;
        }
    }

    std::stable_sort(legends.begin(), legends.end(), [](const Legend& a, const Legend& b) { return a.y < b.y; });
    CGFloat lowest = 0;
    for (const auto& legend : legends) {
        CGContextSetFillColorWithColor(context, legend.colour->CGColor());
        const CGFloat y = std::max(legend.y, lowest);
        if (!legend.title.isNil()) {
            // A title beside a point near the right edge moves left, so as to end inside the view.
            const CGFloat width = std::min<CGFloat>(45, UIStringDrawing::sizeWithFont(legend.title, m_legendFont).width);
            const CGFloat x = std::max<CGFloat>(0, std::min(legend.x, W - 2 - width));
            UIStringDrawing::drawInRect(legend.title, CGRectMake(x, y, 45, 15), m_legendFont);
        }
        lowest = y + 15;
    }
}
