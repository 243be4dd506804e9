#include "platform/graphics/cairo/CairoBackend.h"

#include <cstring>
#include <limits>
#include <utility>

namespace {

// Larger images are refused rather than risking overflow or exhausting memory.
constexpr std::size_t kMaximumPixels = std::size_t(1) << 28;
constexpr std::size_t kMaximumSide = 32767; // Cairo's own limit

} // namespace

CGImage::~CGImage() = default;

bool CGImage::init(std::size_t width, std::size_t height, std::size_t bitsPerComponent, std::size_t bitsPerPixel,
    std::size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo info, CGDataProviderRef provider,
    std::vector<CGFloat> decode, bool shouldInterpolate, CGColorRenderingIntent intent)
{
    if (width == 0 || height == 0 || width > kMaximumSide || height > kMaximumSide || width * height > kMaximumPixels)
        return false;
    const auto format = CGPixelFormat::make(bitsPerComponent, bitsPerPixel, space ? space->model() : kCGColorSpaceModelUnknown, info);
    if (!format)
        return false;
    if (!space && !format->isAlphaOnly())
        return false;
    const std::size_t rowBytes = width * format->bytesPerPixel();
    if (bytesPerRow < rowBytes)
        return false;
    const std::size_t components = format->isAlphaOnly() ? 1 : space->numberOfComponents();
    if (!decode.empty() && decode.size() != 2 * components)
        return false;
    // Rows after the first start bytesPerRow apart; a stride that makes the span wrap is refused.
    if (bytesPerRow > (std::numeric_limits<std::size_t>::max() - rowBytes) / height)
        return false;
    if (provider && provider->bytes().size() < bytesPerRow * (height - 1) + rowBytes)
        return false;
    m_width = width;
    m_height = height;
    m_bitsPerComponent = bitsPerComponent;
    m_bitsPerPixel = bitsPerPixel;
    m_bytesPerRow = bytesPerRow;
    m_colorSpace = std::move(space);
    m_bitmapInfo = info;
    m_decode = std::move(decode);
    m_shouldInterpolate = shouldInterpolate;
    m_renderingIntent = intent;
    m_backend.reset(std::make_unique<Backend>().release());
    m_backend->createdFrom = provider;
    if (provider)
        std::call_once(m_providerOnce, [&] { m_provider = std::move(provider); });
    return true;
}

CGImageRef CGImageCreate(std::size_t width, std::size_t height, std::size_t bitsPerComponent,
    std::size_t bitsPerPixel, std::size_t bytesPerRow, const CGColorSpaceRef& space, CGBitmapInfo bitmapInfo,
    const CGDataProviderRef& provider, const CGFloat* decode, bool shouldInterpolate, CGColorRenderingIntent intent)
{
    if (!provider)
        return nullptr;
    std::vector<CGFloat> decodeArray;
    if (decode) {
        const std::size_t components = space ? space->numberOfComponents() : 1;
        decodeArray.assign(decode, decode + 2 * components);
    }
    return CGImage::create(width, height, bitsPerComponent, bitsPerPixel, bytesPerRow, space, bitmapInfo, provider,
        std::move(decodeArray), shouldInterpolate, intent);
}

CGImageRef CGImageCreateCopy(const CGImageRef& image)
{
    if (!image)
        return nullptr;
    return CGImageCreate(image->width(), image->height(), image->bitsPerComponent(), image->bitsPerPixel(),
        image->bytesPerRow(), image->colorSpace(), image->bitmapInfo(), image->dataProvider(),
        image->decode().empty() ? nullptr : image->decode().data(), image->shouldInterpolate(),
        image->renderingIntent());
}

std::size_t CGImageGetWidth(const CGImageRef& image) { return image ? image->width() : 0; }
std::size_t CGImageGetHeight(const CGImageRef& image) { return image ? image->height() : 0; }
std::size_t CGImageGetBitsPerComponent(const CGImageRef& image) { return image ? image->bitsPerComponent() : 0; }
std::size_t CGImageGetBitsPerPixel(const CGImageRef& image) { return image ? image->bitsPerPixel() : 0; }
std::size_t CGImageGetBytesPerRow(const CGImageRef& image) { return image ? image->bytesPerRow() : 0; }
CGColorSpaceRef CGImageGetColorSpace(const CGImageRef& image) { return image ? image->colorSpace() : nullptr; }
CGBitmapInfo CGImageGetBitmapInfo(const CGImageRef& image) { return image ? image->bitmapInfo() : 0; }
CGImageAlphaInfo CGImageGetAlphaInfo(const CGImageRef& image)
{
    return static_cast<CGImageAlphaInfo>(CGImageGetBitmapInfo(image) & kCGBitmapAlphaInfoMask);
}
CGDataProviderRef CGImageGetDataProvider(const CGImageRef& image) { return image ? image->dataProvider() : nullptr; }
const CGFloat* CGImageGetDecode(const CGImageRef& image)
{
    return image && !image->decode().empty() ? image->decode().data() : nullptr;
}
bool CGImageGetShouldInterpolate(const CGImageRef& image) { return image && image->shouldInterpolate(); }
CGColorRenderingIntent CGImageGetRenderingIntent(const CGImageRef& image)
{
    return image ? image->renderingIntent() : kCGRenderingIntentDefault;
}
