#include "platform/imageio/CGImageSource.h"

#include "platform/foundation/NSNumber.h"
#include "platform/graphics/cairo/CairoBackend.h"
#include "platform/imageio/cairo/ImageDecoder.h"

#include <algorithm>
#include <array>
#include <string_view>

struct CGImageSource::Decoded : ImageDecoder::Result {
    explicit Decoded(ImageDecoder::Result result) : ImageDecoder::Result(std::move(result)) { }
};

// The decoder that reads data arriving in pieces, keeping its state across updates.
struct CGImageSource::Incremental {
    std::unique_ptr<ImageDecoder::Incremental> decoder;
};

CGImageSource::~CGImageSource() = default;

void CGImageSource::IncrementalDeleter::operator()(Incremental* incremental) const
{
    std::default_delete<Incremental>()(incremental);
}

void CGImageSource::DecodedDeleter::operator()(Decoded* decoded) const
{
    std::default_delete<Decoded>()(decoded);
}

void CGImageSource::updateData(std::span<const std::uint8_t> bytes, bool final)
{
    auto state = m_state.lock();
    if (!state->final) {
        // The usual update adds to the bytes before; anything else starts the reading again.
        const bool continues = bytes.size() >= state->bytes.size() && std::equal(state->bytes.begin(), state->bytes.end(), bytes.begin());
        if (continues) {
            state->bytes.insert(state->bytes.end(), bytes.begin() + std::ptrdiff_t(state->bytes.size()), bytes.end());
        } else {
            state->bytes.assign(bytes.begin(), bytes.end());
            state->incremental.reset();
            state->lastImage = nullptr;
        }
        state->final = final;
        state->result.reset();
        state->images.clear();
    }
}

const CGImageSource::Decoded* CGImageSource::decoded(State& state)
{
    if (!state.result) {
        const auto decoder = ImageDecoder::decoderFor(ImageDecoder::typeOf(state.bytes));
        if (!decoder)
            return nullptr;
        if (state.arriving && !state.incremental)
            if (auto incremental = decoder->incremental())
                state.incremental.reset(std::make_unique<Incremental>(Incremental { std::move(incremental) }).release());
        state.result.reset(std::make_unique<Decoded>(
            state.incremental ? state.incremental->decoder->update(state.bytes, state.final) : decoder->decode(state.bytes, state.final)).release());
        state.images.assign(state.result->frames.size(), nullptr);
    }
    return state.result.get();
}

namespace {

std::uint32_t bigEndian32(const std::uint8_t* bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) | bytes[3];
}

std::uint32_t chunkCRC(const std::uint8_t* bytes, std::size_t length)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> made {};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            made[n] = c;
        }
        return made;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i)
        c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

} // namespace

// Only a PNG whose chunks are whole and sound up to its end: what decoding it could still find
// wrong lies inside the compressed rows.
std::optional<CGImageSource::Header> CGImageSource::deferrableHeader(State& state)
{
    if (state.header)
        return *state.header;
    state.header.emplace();
    if (state.arriving || !state.final || ImageDecoder::typeOf(state.bytes) != ImageDecoder::Type::PNG)
        return std::nullopt;
    const std::uint8_t* const bytes = state.bytes.data();
    const std::size_t size = state.bytes.size();
    Header header {};
    bool sawHeader = false, sawRows = false;
    for (std::size_t at = 8; at + 12 <= size;) {
        const std::uint32_t length = bigEndian32(bytes + at);
        if (length > size - at - 12)
            return std::nullopt;
        const std::uint8_t* const type = bytes + at + 4;
        const std::uint8_t* const data = type + 4;
        if (chunkCRC(type, length + 4) != bigEndian32(data + length))
            return std::nullopt;
        const std::string_view name(reinterpret_cast<const char*>(type), 4);
        if (!sawHeader) {
            if (name != "IHDR" || length != 13)
                return std::nullopt;
            header.width = bigEndian32(data);
            header.height = bigEndian32(data + 4);
            const std::uint8_t colorType = data[9];
            header.hasAlpha = colorType & 4;
            header.gray = !(colorType & 2);
            if (header.width == 0 || header.height == 0 || header.width > ImageDecoder::kMaximumSide
                || header.height > ImageDecoder::kMaximumSide || header.width * header.height > ImageDecoder::kMaximumPixels)
                return std::nullopt;
            sawHeader = true;
        } else if (name == "tRNS" && !sawRows) {
            header.hasAlpha = true;
        } else if (name == "IDAT") {
            sawRows = true;
        } else if (name == "IEND") {
            if (!sawRows)
                return std::nullopt;
            state.header.emplace(header);
            return header;
        } else if (name == "acTL" || name == "eXIf") {
            // Frames or an orientation: the decoder reads those.
            return std::nullopt;
        }
        at += 12 + length;
    }
    return std::nullopt;
}

NSString CGImageSource::type() const
{
    auto state = m_state.lock();
    switch (ImageDecoder::typeOf(state->bytes)) {
    case ImageDecoder::Type::PNG: return "public.png";
    case ImageDecoder::Type::JPEG: return "public.jpeg";
    case ImageDecoder::Type::GIF: return "com.compuserve.gif";
    case ImageDecoder::Type::Unknown: break;
    }
    return nullptr;
}

std::size_t CGImageSource::count() const
{
    auto state = m_state.lock();
    if (!state->result && deferrableHeader(*state))
        return 1;
    const auto* result = decoded(*state);
    if (!result || !result->headerRead)
        return 0;
    // A still image counts once its header is known, even before any row arrives.
    return std::max<std::size_t>(result->frames.size(), ImageDecoder::typeOf(state->bytes) == ImageDecoder::Type::GIF ? 0 : 1);
}

CGImageSourceStatus CGImageSource::status() const
{
    auto state = m_state.lock();
    if (state->bytes.empty())
        return kCGImageStatusReadingHeader;
    const auto* result = decoded(*state);
    if (!result)
        return state->bytes.size() < 8 && !state->final ? kCGImageStatusReadingHeader : kCGImageStatusUnknownType;
    if (result->complete)
        return kCGImageStatusComplete;
    if (result->failed)
        return kCGImageStatusInvalidData;
    if (!result->headerRead)
        return state->final ? kCGImageStatusInvalidData : kCGImageStatusReadingHeader;
    return state->final ? kCGImageStatusUnexpectedEOF : kCGImageStatusIncomplete;
}

CGImageSourceStatus CGImageSource::statusAtIndex(std::size_t index) const
{
    const CGImageSourceStatus overall = status();
    auto state = m_state.lock();
    const auto* result = decoded(*state);
    if (result && index < result->frames.size() && result->frames[index].complete)
        return kCGImageStatusComplete;
    return overall == kCGImageStatusComplete ? kCGImageStatusInvalidData : overall;
}

CGImageRef CGImageSource::imageAtIndex(std::size_t index) const
{
    auto state = m_state.lock();
    if (index == 0 && state->deferredImage)
        return state->deferredImage;
    if (index == 0 && !state->result) {
        if (const auto header = deferrableHeader(*state)) {
            const CGBitmapInfo info = header->hasAlpha ? CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little
                                                       : CGBitmapInfo(kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Little;
            // The image keeps a copy of the bytes (not this source, which keeps the image) until
            // it is first drawn.
            state->deferredImage = CGImageCreateDeferred(header->width, header->height, CGColorSpaceCreateDeviceRGB(), info,
                [bytes = std::make_shared<const std::vector<std::uint8_t>>(state->bytes)]() -> CairoSurface {
                    auto decoded = ImageDecoder::decoderFor(ImageDecoder::Type::PNG)->decode(*bytes, true);
                    if (decoded.frames.empty())
                        return nullptr;
                    return std::move(decoded.frames.front().surface);
                });
            return state->deferredImage;
        }
    }
    const auto* result = decoded(*state);
    if (!result || index >= result->frames.size())
        return nullptr;
    auto& frame = state->result->frames[index];
    const bool unchanged = state->incremental && state->lastImage && index == state->lastIndex && state->incremental->decoder->revision() == state->lastRevision;
    if (!state->images[index] && unchanged)
        state->images[index] = state->lastImage;
    if (state->images[index])
        return state->images[index];
    if (!frame.surface && state->incremental)
        frame.surface = state->incremental->decoder->surface();
    if (!frame.surface)
        return nullptr;
    {
        const CGBitmapInfo info = result->hasAlpha ? CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little
                                                   : CGBitmapInfo(kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Little;
        state->images[index] = CGImageCreateWithCairoSurface(result->frames[index].surface.get(), CGColorSpaceCreateDeviceRGB(), info);
    }
    if (state->incremental) {
        state->lastImage = state->images[index];
        state->lastIndex = index;
        state->lastRevision = state->incremental->decoder->revision();
    }
    return state->images[index];
}

std::shared_ptr<NSDictionary> CGImageSource::properties() const
{
    auto state = m_state.lock();
    auto properties = NSMutableDictionary::dictionary();
    properties->setObject(NSNumber::numberWithUnsignedLong(state->bytes.size()), kCGImagePropertyFileSize);
    const auto* result = decoded(*state);
    if (result && result->loopCount) {
        auto gif = NSMutableDictionary::dictionary();
        gif->setObject(NSNumber::numberWithInt(*result->loopCount), kCGImagePropertyGIFLoopCount);
        properties->setObject(gif, kCGImagePropertyGIFDictionary);
    }
    return properties;
}

std::shared_ptr<NSDictionary> CGImageSource::propertiesAtIndex(std::size_t index) const
{
    auto state = m_state.lock();
    if (!state->result && index == 0)
        if (const auto header = deferrableHeader(*state)) {
            auto properties = NSMutableDictionary::dictionary();
            properties->setObject(NSNumber::numberWithUnsignedLong(header->width), kCGImagePropertyPixelWidth);
            properties->setObject(NSNumber::numberWithUnsignedLong(header->height), kCGImagePropertyPixelHeight);
            properties->setObject(NSNumber::numberWithInt(8), kCGImagePropertyDepth);
            properties->setObject(NSNumber::numberWithBool(header->hasAlpha), kCGImagePropertyHasAlpha);
            properties->setObject(NSString(header->gray ? kCGImagePropertyColorModelGray : kCGImagePropertyColorModelRGB),
                kCGImagePropertyColorModel);
            return properties;
        }
    const auto* result = decoded(*state);
    const bool isGIF = ImageDecoder::typeOf(state->bytes) == ImageDecoder::Type::GIF;
    if (!result || !result->headerRead || (isGIF ? index >= result->frames.size() : index > 0))
        return nullptr;
    auto properties = NSMutableDictionary::dictionary();
    properties->setObject(NSNumber::numberWithUnsignedLong(result->width), kCGImagePropertyPixelWidth);
    properties->setObject(NSNumber::numberWithUnsignedLong(result->height), kCGImagePropertyPixelHeight);
    properties->setObject(NSNumber::numberWithInt(8), kCGImagePropertyDepth);
    properties->setObject(NSNumber::numberWithBool(result->hasAlpha), kCGImagePropertyHasAlpha);
    properties->setObject(NSString(result->gray ? kCGImagePropertyColorModelGray : kCGImagePropertyColorModelRGB),
        kCGImagePropertyColorModel);
    if (result->orientation)
        properties->setObject(NSNumber::numberWithInt(*result->orientation), kCGImagePropertyOrientation);
    if (isGIF) {
        auto gif = NSMutableDictionary::dictionary();
        if (const auto delay = result->frames[index].delay) {
            gif->setObject(NSNumber::numberWithDouble(*delay), kCGImagePropertyGIFUnclampedDelayTime);
            // Viewers treat delays of 10 ms or less as 100 ms; the clamped value says so.
            gif->setObject(NSNumber::numberWithDouble(*delay <= 0.01 ? 0.1 : *delay), kCGImagePropertyGIFDelayTime);
        }
        properties->setObject(gif, kCGImagePropertyGIFDictionary);
    }
    return properties;
}

CGImageSourceRef CGImageSourceCreateWithData(std::vector<std::uint8_t> bytes, const std::shared_ptr<NSDictionary>&)
{
    return CGImageSource::create(std::move(bytes));
}

CGImageSourceRef CGImageSourceCreateWithData(std::span<const std::uint8_t> bytes, const std::shared_ptr<NSDictionary>& options)
{
    return CGImageSourceCreateWithData(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), options);
}

CGImageSourceRef CGImageSourceCreateWithData(const std::shared_ptr<NSData>& data, const std::shared_ptr<NSDictionary>& options)
{
    if (!data)
        return nullptr;
    return CGImageSourceCreateWithData(data->span(), options);
}

CGImageSourceRef CGImageSourceCreateIncremental(const std::shared_ptr<NSDictionary>&)
{
    return CGImageSource::create();
}

void CGImageSourceUpdateData(const CGImageSourceRef& source, std::span<const std::uint8_t> bytes, bool final)
{
    if (source)
        source->updateData(bytes, final);
}

void CGImageSourceUpdateData(const CGImageSourceRef& source, const std::shared_ptr<NSData>& data, bool final)
{
    if (source && data)
        source->updateData(data->span(), final);
}

NSString CGImageSourceGetType(const CGImageSourceRef& source) { return source ? source->type() : nullptr; }
std::size_t CGImageSourceGetCount(const CGImageSourceRef& source) { return source ? source->count() : 0; }
CGImageSourceStatus CGImageSourceGetStatus(const CGImageSourceRef& source)
{
    return source ? source->status() : kCGImageStatusInvalidData;
}
CGImageSourceStatus CGImageSourceGetStatusAtIndex(const CGImageSourceRef& source, std::size_t index)
{
    return source ? source->statusAtIndex(index) : kCGImageStatusInvalidData;
}

std::shared_ptr<NSDictionary> CGImageSourceCopyProperties(const CGImageSourceRef& source, const std::shared_ptr<NSDictionary>&)
{
    return source ? source->properties() : nullptr;
}

std::shared_ptr<NSDictionary> CGImageSourceCopyPropertiesAtIndex(const CGImageSourceRef& source, std::size_t index,
    const std::shared_ptr<NSDictionary>&)
{
    return source ? source->propertiesAtIndex(index) : nullptr;
}

CGImageRef CGImageSourceCreateImageAtIndex(const CGImageSourceRef& source, std::size_t index, const std::shared_ptr<NSDictionary>&)
{
    return source ? source->imageAtIndex(index) : nullptr;
}

namespace {

CGImageRef wholeImageOfType(const CGDataProviderRef& provider, ImageDecoder::Type type)
{
    if (!provider || ImageDecoder::typeOf(provider->bytes()) != type)
        return nullptr;
    auto source = CGImageSourceCreateWithData(provider->bytes());
    if (source->status() != kCGImageStatusComplete)
        return nullptr;
    return source->imageAtIndex(0);
}

} // namespace

CGImageRef CGImageCreateWithPNGDataProvider(const CGDataProviderRef& provider, const CGFloat*, bool, CGColorRenderingIntent)
{
    return wholeImageOfType(provider, ImageDecoder::Type::PNG);
}

CGImageRef CGImageCreateWithJPEGDataProvider(const CGDataProviderRef& provider, const CGFloat*, bool, CGColorRenderingIntent)
{
    return wholeImageOfType(provider, ImageDecoder::Type::JPEG);
}
