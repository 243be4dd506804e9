// Keyed archives of the engine's values from outside: paths, images, decimals and geometry under
// derived keys, and the engine's archived classes. A damaged archive decodes as nil or raises;
// nothing may crash, hang on a huge count or read past the pixel bytes.
#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PECalendarFormatter.h"
#include "framework/Source/PEConstraints.h"
#include "framework/Source/PENumericData.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSKeyedUnarchiver.h"

using namespace NSCoder_PEExtensions;

// Text drawn by the engine goes through the font map, which keeps fontconfig's patterns for the
// life of the process through pointers the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    // The archived classes must be linked in, and so registered.
    static const bool linked = PEConstraints::constraintWithLowerOffset(0) && PECalendarFormatter::create()
        && PENumericData::numericDataWithData(NSData::data(), "<f8", nullptr);
    (void)linked;
    auto data = NSData::dataWithBytes(bytes, size);
    try {
        if (id object = NSKeyedUnarchiver::unarchiveObjectWithData(data)) {
            (void)object->description();
            if (auto constraint = ns::cast<PEConstraints>(object))
                (void)constraint->positionForLowerBound(0, 1);
            if (auto formatter = ns::cast<PECalendarFormatter>(object))
                (void)formatter->stringForObjectValue(NSNumber::numberWithInt(3));
        }
    } catch (const NSException&) {
    }
    auto unarchiver = NSKeyedUnarchiver::create(data);
    if (!unarchiver)
        return 0;
    try {
        if (auto path = newCGPathDecodeForKey(*unarchiver, "path"))
            (void)path->elements().size();
        if (auto image = newCGImageDecodeForKey(*unarchiver, "image"))
            (void)CGDataProviderCopyData(CGImageGetDataProvider(image));
        (void)decodeDecimalForKey(*unarchiver, "decimal");
        (void)decodePERectForKey(*unarchiver, "rect");
    } catch (const NSException&) {
    }
    return 0;
}
