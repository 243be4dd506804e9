#pragma once
// GIF through giflib, every frame composed on the logical screen as a viewer shows it
// (transparency, disposal to background or to the previous frame), with its delay.

#include "platform/imageio/cairo/ImageDecoder.h"

class GIFImageDecoder final : public ImageDecoder {
public:
    Result decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const override;
};
