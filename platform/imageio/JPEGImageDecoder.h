#pragma once
// JPEG through libjpeg. Data that ends early is closed with an end-of-image marker, and only
// the rows decoded before the end was reached are kept.

#include "platform/imageio/ImageDecoder.h"

class JPEGImageDecoder final : public ImageDecoder {
public:
    Result decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const override;
};
