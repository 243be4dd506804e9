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
    if (m_radii.empty() || width == 0 || height == 0)
        return;
    // Only the neighbourhood of what was drawn can change.
    std::size_t minX = width, maxX = 0, minY = height, maxY = 0;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* row = data + y * stride;
        for (std::size_t x = 0; x < width; ++x) {
            if (row[x]) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
        }
    }
    if (minX > maxX)
        return;
    const std::size_t reachPixels = static_cast<std::size_t>(reach());
    minX = minX > reachPixels ? minX - reachPixels : 0;
    minY = minY > reachPixels ? minY - reachPixels : 0;
    maxX = std::min(width - 1, maxX + reachPixels);
    maxY = std::min(height - 1, maxY + reachPixels);
    const std::size_t w = maxX - minX + 1, h = maxY - minY + 1;
    std::uint8_t* origin = data + minY * stride + minX;
    std::vector<std::uint8_t> scratch(std::max(w, h));
    std::vector<std::uint32_t> sums(w);
    std::vector<std::uint8_t> copy(w * h);
    for (int radius : m_radii) {
        if (radius <= 0)
            continue;
        for (std::size_t y = 0; y < h; ++y)
            blurLine(origin + y * stride, 1, w, radius, scratch);
        blurColumns(origin, stride, w, h, radius, sums, copy);
    }
}

void CGShadowBlur::blurColumns(std::uint8_t* data, std::size_t stride, std::size_t width, std::size_t height, int radius,
    std::vector<std::uint32_t>& sums, std::vector<std::uint8_t>& copy) const
{
    // Row by row with a running sum per column, so memory is read in order.
    for (std::size_t y = 0; y < height; ++y)
        std::copy(data + y * stride, data + y * stride + width, copy.begin() + static_cast<long>(y * width));
    std::fill(sums.begin(), sums.end(), 0);
    const long n = static_cast<long>(height);
    const std::uint32_t window = 2u * static_cast<std::uint32_t>(radius) + 1;
    // Multiplying by a fixed-point reciprocal instead of dividing: this loop is the whole cost.
    const std::uint64_t reciprocal = ((std::uint64_t(1) << 32) + window - 1) / window;
    for (long i = 0; i <= radius && i < n; ++i) {
        const std::uint8_t* row = copy.data() + i * static_cast<long>(width);
        for (std::size_t x = 0; x < width; ++x)
            sums[x] += row[x];
    }
    for (long y = 0; y < n; ++y) {
        std::uint8_t* out = data + static_cast<std::size_t>(y) * stride;
        for (std::size_t x = 0; x < width; ++x)
            out[x] = static_cast<std::uint8_t>(((sums[x] + window / 2) * reciprocal) >> 32);
        const long entering = y + radius + 1;
        const long leaving = y - radius;
        if (entering < n) {
            const std::uint8_t* row = copy.data() + entering * static_cast<long>(width);
            for (std::size_t x = 0; x < width; ++x)
                sums[x] += row[x];
        }
        if (leaving >= 0) {
            const std::uint8_t* row = copy.data() + leaving * static_cast<long>(width);
            for (std::size_t x = 0; x < width; ++x)
                sums[x] -= row[x];
        }
    }
}

void CGShadowBlur::blurLine(std::uint8_t* line, std::size_t step, std::size_t count, int radius,
    std::vector<std::uint8_t>& scratch) const
{
    for (std::size_t i = 0; i < count; ++i)
        scratch[i] = line[i * step];
    const long window = 2L * radius + 1;
    const std::uint64_t reciprocal = ((std::uint64_t(1) << 32) + static_cast<std::uint64_t>(window) - 1) / static_cast<std::uint64_t>(window);
    const long n = static_cast<long>(count);
    long sum = 0;
    // Pixels beyond the edges count as empty.
    for (long i = 0; i <= radius && i < n; ++i)
        sum += scratch[static_cast<std::size_t>(i)];
    for (long i = 0; i < n; ++i) {
        line[static_cast<std::size_t>(i) * step] = static_cast<std::uint8_t>((static_cast<std::uint64_t>(sum + window / 2) * reciprocal) >> 32);
        const long entering = i + radius + 1;
        const long leaving = i - radius;
        if (entering < n)
            sum += scratch[static_cast<std::size_t>(entering)];
        if (leaving >= 0)
            sum -= scratch[static_cast<std::size_t>(leaving)];
    }
}
