#pragma once
// Colour spaces: device RGB and device gray are the ones drawing uses; the others exist so that
// colours and images can say what they hold.

#include "platform/foundation/NSObject.h"

#include <cstddef>
#include <cstdint>

enum CGColorSpaceModel : std::int32_t {
    kCGColorSpaceModelUnknown = -1,
    kCGColorSpaceModelMonochrome = 0,
    kCGColorSpaceModelRGB = 1,
    kCGColorSpaceModelCMYK = 2,
    kCGColorSpaceModelLab = 3,
    kCGColorSpaceModelDeviceN = 4,
    kCGColorSpaceModelIndexed = 5,
    kCGColorSpaceModelPattern = 6,
};

enum CGColorRenderingIntent : std::int32_t {
    kCGRenderingIntentDefault = 0,
    kCGRenderingIntentAbsoluteColorimetric = 1,
    kCGRenderingIntentRelativeColorimetric = 2,
    kCGRenderingIntentPerceptual = 3,
    kCGRenderingIntentSaturation = 4,
};

class CGColorSpace : public NSObject {
    NS_OBJECT(CGColorSpace, NSObject)
public:
    CGColorSpaceModel model() const { return m_model; }
    std::size_t numberOfComponents() const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return static_cast<NSUInteger>(m_model + 1); }

protected:
    void init(CGColorSpaceModel model) { m_model = model; }

private:
    CGColorSpaceModel m_model { kCGColorSpaceModelRGB };
};

using CGColorSpaceRef = std::shared_ptr<CGColorSpace>;

CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
CGColorSpaceRef CGColorSpaceCreateDeviceGray();
CGColorSpaceRef CGColorSpaceCreateWithModel(CGColorSpaceModel model);
CGColorSpaceModel CGColorSpaceGetModel(const CGColorSpaceRef& space);
std::size_t CGColorSpaceGetNumberOfComponents(const CGColorSpaceRef& space);
inline CGColorSpaceRef CGColorSpaceRetain(const CGColorSpaceRef& space) { return space; }
inline void CGColorSpaceRelease(const CGColorSpaceRef&) { }
