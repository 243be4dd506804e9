#pragma once
// JPEG through libjpeg with a suspending source, so data arriving in pieces is read once. Data
// that has all arrived but ends early is closed with an end-of-image marker, and only the rows
// decoded before the end was reached are kept. A progressive file shows its last complete scan.

#include "platform/imageio/cairo/ImageDecoder.h"

class JPEGImageDecoder final : public ImageDecoder {
public:
    Result decode(std::span<const std::uint8_t> bytes, bool allDataReceived) const override;
    std::unique_ptr<Incremental> incremental() const override;
};
