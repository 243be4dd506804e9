#pragma once
// Decoders turn the bytes received so far into premultiplied ARGB32 frames. Data that ends
// early yields the rows decoded until then; damaged or hostile data ends in failed, never in
// a crash, and no image may claim more pixels than kMaximumPixels.

#include "platform/graphics/cairo/CairoHandles.h"
#include "platform/imageio/CGImageSource.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class ImageDecoder {
public:
    static constexpr std::size_t kMaximumPixels = kImageDecoderMaximumPixels;
    static constexpr std::size_t kMaximumSide = kImageDecoderMaximumSide;
    // The decoded pixels one image source may hold in all (frames of an animation included);
    // beyond it the data reads as invalid rather than taking the memory of the process.
    static constexpr std::size_t kMaximumDecodedBytes = std::size_t(256) << 20;

    enum class Type { Unknown, PNG, JPEG, GIF };

    struct Frame {
        CairoSurface surface; // full width, as many rows as were decoded
        std::optional<double> delay; // seconds, as stored
        bool complete { false };
    };

    struct Result {
        bool headerRead { false };
        bool complete { false };
        bool failed { false };
        std::size_t width { 0 };
        std::size_t height { 0 };
        bool hasAlpha { false };
        bool gray { false };
        std::optional<int> orientation;
        std::optional<int> loopCount;
        std::vector<Frame> frames;
    };

    // Keeps its state between calls, so data arriving in pieces is decoded once in all. Each call
    // gets every byte so far (the earlier ones unchanged) and answers the result for them, its
    // frame without a surface: surface() makes one of the rows decoded so far when asked.
    class Incremental {
    public:
        virtual ~Incremental() = default;
        virtual Result update(std::span<const std::uint8_t> bytes, bool allDataReceived) = 0;
        virtual CairoSurface surface() const = 0;
        // Changes whenever surface() would show something new.
        virtual std::size_t revision() const = 0;
    };

    virtual ~ImageDecoder() = default;
    // Nil for a format read whole each time.
    virtual std::unique_ptr<Incremental> incremental() const { return nullptr; }

    // By the signature at the start of the data; Unknown for anything else or too few bytes.
    static Type typeOf(std::span<const std::uint8_t> bytes);
    static std::unique_ptr<ImageDecoder> decoderFor(Type type);

    virtual Result decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const = 0;

    // A Cairo surface holding rows [0, rows) of width-wide ARGB32 pixels.
    static CairoSurface surfaceFromPixels(const std::vector<std::uint32_t>& pixels, std::size_t width, std::size_t rows);

protected:
    static bool sizeIsAcceptable(std::size_t width, std::size_t height);
};
