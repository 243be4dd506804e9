#include "platform/graphics/CGColorSpace.h"

std::size_t CGColorSpace::numberOfComponents() const
{
    switch (m_model) {
    case kCGColorSpaceModelMonochrome:
    case kCGColorSpaceModelIndexed:
        return 1;
    case kCGColorSpaceModelRGB:
    case kCGColorSpaceModelLab:
        return 3;
    case kCGColorSpaceModelCMYK:
        return 4;
    case kCGColorSpaceModelUnknown:
    case kCGColorSpaceModelDeviceN:
    case kCGColorSpaceModelPattern:
        return 0;
    }
    return 0;
}

bool CGColorSpace::isEqual(const id& other) const
{
    const auto space = ns::cast<CGColorSpace>(other);
    return space && space->m_model == m_model;
}

CGColorSpaceRef CGColorSpaceCreateDeviceRGB() { return CGColorSpace::create(kCGColorSpaceModelRGB); }
CGColorSpaceRef CGColorSpaceCreateDeviceGray() { return CGColorSpace::create(kCGColorSpaceModelMonochrome); }
CGColorSpaceRef CGColorSpaceCreateWithModel(CGColorSpaceModel model) { return CGColorSpace::create(model); }

CGColorSpaceModel CGColorSpaceGetModel(const CGColorSpaceRef& space)
{
    return space ? space->model() : kCGColorSpaceModelUnknown;
}

std::size_t CGColorSpaceGetNumberOfComponents(const CGColorSpaceRef& space)
{
    return space ? space->numberOfComponents() : 0;
}
