#pragma once
// GIF through giflib, every frame composed on the logical screen as a viewer shows it
// (transparency, disposal to background or to the previous frame), with its delay. Data arriving
// in pieces is read once: frames already complete are kept, and the reading goes on from where
// the last piece ended.

#include "platform/imageio/cairo/ImageDecoder.h"

class GIFImageDecoder final : public ImageDecoder {
public:
    Result decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const override;
    std::unique_ptr<Incremental> incremental() const override;

    static bool acceptsSize(std::size_t width, std::size_t height) { return sizeIsAcceptable(width, height); }
};
