#pragma once
// PNG through libpng's progressive reader, so a truncated file gives the rows it holds and data
// arriving in pieces is read once.

#include "platform/imageio/cairo/ImageDecoder.h"

class PNGImageDecoder final : public ImageDecoder {
public:
    Result decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const override;
    std::unique_ptr<Incremental> incremental() const override;
};
