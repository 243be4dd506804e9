#include "platform/graphics/CGShadowBlur.h"

#include <algorithm>
#include <cmath>

CGShadowBlur::CGShadowBlur(double blurInPixels)
{
    const double sigma = blurInPixels / 2;
    if (!(sigma >= 0.5) || !std::isfinite(sigma))
        return;
    // Box widths whose three-fold convolution has the Gaussian's variance.
    constexpr int passes = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / passes + 1);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m = (12 * sigma * sigma - passes * lower * lower - 4 * passes * lower - 3 * passes) / (-4 * lower - 4);
    const int lowerCount = static_cast<int>(std::lround(m));
    for (int i = 0; i < passes; ++i)
        m_radii.push_back(((i < lowerCount ? lower : upper) - 1) / 2);
}

int CGShadowBlur::reach() const
{
    int total = 0;
    for (int radius : m_radii)
        total += radius;
    return total;
}

void CGShadowBlur::apply(std::uint8_t* data, std::size_t stride, std::size_t width, std::size_t height) const
{
    std::vector<std::uint8_t> scratch(std::max(width, height));
    for (int radius : m_radii) {
        if (radius <= 0)
            continue;
        for (std::size_t y = 0; y < height; ++y)
            blurLine(data + y * stride, 1, width, radius, scratch);
        for (std::size_t x = 0; x < width; ++x)
            blurLine(data + x, stride, height, radius, scratch);
    }
}

void CGShadowBlur::blurLine(std::uint8_t* line, std::size_t step, std::size_t count, int radius,
    std::vector<std::uint8_t>& scratch) const
{
    for (std::size_t i = 0; i < count; ++i)
        scratch[i] = line[i * step];
    const long window = 2L * radius + 1;
    const long n = static_cast<long>(count);
    long sum = 0;
    // Pixels beyond the edges count as empty.
    for (long i = 0; i <= radius && i < n; ++i)
        sum += scratch[static_cast<std::size_t>(i)];
    for (long i = 0; i < n; ++i) {
        line[static_cast<std::size_t>(i) * step] = static_cast<std::uint8_t>((sum + window / 2) / window);
        const long entering = i + radius + 1;
        const long leaving = i - radius;
        if (entering < n)
            sum += scratch[static_cast<std::size_t>(entering)];
        if (leaving >= 0)
            sum -= scratch[static_cast<std::size_t>(leaving)];
    }
}
