#include "platform/graphics/CGGradient.h"

#include <algorithm>

bool CGGradient::init(std::vector<Stop> stops)
{
    if (stops.empty())
        return false;
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.location < b.location; });
    m_stops = std::move(stops);
    return true;
}

namespace {

CGFloat locationAt(const CGFloat* locations, std::size_t index, std::size_t count)
{
    if (locations)
        return std::clamp(locations[index], CGFloat(0), CGFloat(1));
    return count > 1 ? CGFloat(index) / CGFloat(count - 1) : 0;
}

} // namespace

CGGradientRef CGGradientCreateWithColorComponents(const CGColorSpaceRef& space, const CGFloat* components,
    const CGFloat* locations, std::size_t count)
{
    if (!space || !components || count == 0 || space->numberOfComponents() == 0)
        return nullptr;
    const std::size_t stride = space->numberOfComponents() + 1;
    std::vector<CGGradient::Stop> stops;
    for (std::size_t i = 0; i < count; ++i) {
        auto color = CGColorCreate(space, components + i * stride);
        if (!color)
            return nullptr;
        stops.push_back({ locationAt(locations, i, count), color->rgba() });
    }
    return CGGradient::create(std::move(stops));
}

CGGradientRef CGGradientCreateWithColors(const CGColorSpaceRef&, const std::vector<CGColorRef>& colors,
    const CGFloat* locations)
{
    std::vector<CGGradient::Stop> stops;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        if (!colors[i])
            return nullptr;
        stops.push_back({ locationAt(locations, i, colors.size()), colors[i]->rgba() });
    }
    return CGGradient::create(std::move(stops));
}
