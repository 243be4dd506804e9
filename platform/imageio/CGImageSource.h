#pragma once
// Image sources: the platform's reading of image files, complete or still arriving. The type
// is told by the file's signature; PNG, JPEG and GIF are read. Properties come as dictionaries
// under the platform's keys; orientation is present only when the file states one.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/graphics/CGImage.h"

#include <optional>

enum CGImageSourceStatus : std::int32_t {
    kCGImageStatusUnexpectedEOF = -5,
    kCGImageStatusInvalidData = -4,
    kCGImageStatusUnknownType = -3,
    kCGImageStatusReadingHeader = -2,
    kCGImageStatusIncomplete = -1,
    kCGImageStatusComplete = 0,
};

inline constexpr const char* kCGImagePropertyPixelWidth = "PixelWidth";
inline constexpr const char* kCGImagePropertyPixelHeight = "PixelHeight";
inline constexpr const char* kCGImagePropertyDepth = "Depth";
inline constexpr const char* kCGImagePropertyHasAlpha = "HasAlpha";
inline constexpr const char* kCGImagePropertyColorModel = "ColorModel";
inline constexpr const char* kCGImagePropertyColorModelRGB = "RGB";
inline constexpr const char* kCGImagePropertyColorModelGray = "Gray";
inline constexpr const char* kCGImagePropertyOrientation = "Orientation";
inline constexpr const char* kCGImagePropertyFileSize = "FileSize";
inline constexpr const char* kCGImagePropertyGIFDictionary = "{GIF}";
inline constexpr const char* kCGImagePropertyGIFDelayTime = "DelayTime";
inline constexpr const char* kCGImagePropertyGIFUnclampedDelayTime = "UnclampedDelayTime";
inline constexpr const char* kCGImagePropertyGIFLoopCount = "LoopCount";
inline constexpr const char* kCGImageSourceShouldCache = "kCGImageSourceShouldCache";
inline constexpr const char* kCGImageSourceTypeIdentifierHint = "kCGImageSourceTypeIdentifierHint";

// The largest picture the platform's decoders make: no side beyond 32767 pixels, no more than
// 2^25 pixels in all. Other decoders of pictures keep to the same bounds.
inline constexpr std::size_t kImageDecoderMaximumSide = 32767;
inline constexpr std::size_t kImageDecoderMaximumPixels = std::size_t(1) << 25;

class CGImageSource : public NSObject {
    NS_OBJECT(CGImageSource, NSObject)
public:
    ~CGImageSource() override;

    // The bytes so far, replacing the earlier ones; final says nothing more will come.
    void updateData(std::span<const std::uint8_t> bytes, bool final);

    NSString type() const;
    std::size_t count() const;
    CGImageSourceStatus status() const;
    CGImageSourceStatus statusAtIndex(std::size_t index) const;
    CGImageRef imageAtIndex(std::size_t index) const;
    std::shared_ptr<NSDictionary> properties() const;
    std::shared_ptr<NSDictionary> propertiesAtIndex(std::size_t index) const;

protected:
    void init()
    {
        auto state = m_state.lock();
        state->final = false;
        state->arriving = true;
    }
    void init(std::vector<std::uint8_t> bytes) { m_state.lock()->bytes = std::move(bytes); }

private:
    // What the decoder made of the bytes so far (defined with the decoders): decoded once per
    // version of the data.
    struct Decoded;
    struct DecodedDeleter {
        void operator()(Decoded* decoded) const;
    };
    struct Incremental;
    struct IncrementalDeleter {
        void operator()(Incremental* incremental) const;
    };
    struct Header {
        std::size_t width;
        std::size_t height;
        bool hasAlpha;
        bool gray;
    };

    struct State {
        std::vector<std::uint8_t> bytes;
        bool final { true };
        std::unique_ptr<Decoded, DecodedDeleter> result;
        std::vector<CGImageRef> images;
        // Data that arrives in pieces is read by one decoder that keeps its state across updates.
        bool arriving { false };
        std::unique_ptr<Incremental, IncrementalDeleter> incremental;
        // A PNG given whole, checked but not decoded, whose image decodes when first drawn.
        std::optional<std::optional<Header>> header;
        CGImageRef deferredImage;
        // The last image handed out while data arrives, again while nothing new was decoded.
        CGImageRef lastImage;
        std::size_t lastIndex { 0 };
        std::size_t lastRevision { 0 };
    };
    static const Decoded* decoded(State& state);
    static std::optional<Header> deferrableHeader(State& state);

    // Fed and read from any thread; the first call that needs the decoded data decodes it.
    mutable Guarded<State> m_state;
};

using CGImageSourceRef = std::shared_ptr<CGImageSource>;

// Nil only without data; unreadable data gives a source with no images.
CGImageSourceRef CGImageSourceCreateWithData(std::vector<std::uint8_t> bytes, const std::shared_ptr<NSDictionary>& options = nullptr);
CGImageSourceRef CGImageSourceCreateWithData(std::span<const std::uint8_t> bytes, const std::shared_ptr<NSDictionary>& options = nullptr);
CGImageSourceRef CGImageSourceCreateWithData(const std::shared_ptr<NSData>& data, const std::shared_ptr<NSDictionary>& options = nullptr);
CGImageSourceRef CGImageSourceCreateIncremental(const std::shared_ptr<NSDictionary>& options = nullptr);
void CGImageSourceUpdateData(const CGImageSourceRef& source, std::span<const std::uint8_t> bytes, bool final);
void CGImageSourceUpdateData(const CGImageSourceRef& source, const std::shared_ptr<NSData>& data, bool final);
// "public.png", "public.jpeg", "com.compuserve.gif", or nil.
NSString CGImageSourceGetType(const CGImageSourceRef& source);
std::size_t CGImageSourceGetCount(const CGImageSourceRef& source);
CGImageSourceStatus CGImageSourceGetStatus(const CGImageSourceRef& source);
CGImageSourceStatus CGImageSourceGetStatusAtIndex(const CGImageSourceRef& source, std::size_t index);
std::shared_ptr<NSDictionary> CGImageSourceCopyProperties(const CGImageSourceRef& source, const std::shared_ptr<NSDictionary>& options = nullptr);
std::shared_ptr<NSDictionary> CGImageSourceCopyPropertiesAtIndex(const CGImageSourceRef& source, std::size_t index,
    const std::shared_ptr<NSDictionary>& options = nullptr);
// Of data still arriving, the rows decoded so far; nil when there are none.
CGImageRef CGImageSourceCreateImageAtIndex(const CGImageSourceRef& source, std::size_t index,
    const std::shared_ptr<NSDictionary>& options = nullptr);

// Whole files only; nil for other types, damaged or incomplete data.
CGImageRef CGImageCreateWithPNGDataProvider(const CGDataProviderRef& provider, const CGFloat* decode, bool shouldInterpolate,
    CGColorRenderingIntent intent);
CGImageRef CGImageCreateWithJPEGDataProvider(const CGDataProviderRef& provider, const CGFloat* decode, bool shouldInterpolate,
    CGColorRenderingIntent intent);
