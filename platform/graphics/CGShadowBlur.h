#pragma once
// Blurs an 8-bit coverage image in place with three box passes per axis, which together come
// within a few percent of a Gaussian. The platform's blur value is taken as twice the
// Gaussian's standard deviation.

#include <cstddef>
#include <cstdint>
#include <vector>

class CGShadowBlur {
public:
    explicit CGShadowBlur(double blurInPixels);

    // How far the blur spreads coverage beyond its source, in pixels.
    int reach() const;
    void apply(std::uint8_t* data, std::size_t stride, std::size_t width, std::size_t height) const;

private:
    void blurColumns(std::uint8_t* data, std::size_t stride, std::size_t width, std::size_t height, int radius,
        std::vector<std::uint32_t>& sums, std::vector<std::uint8_t>& copy) const;
    void blurLine(std::uint8_t* line, std::size_t step, std::size_t count, int radius, std::vector<std::uint8_t>& scratch) const;

    std::vector<int> m_radii;
};
