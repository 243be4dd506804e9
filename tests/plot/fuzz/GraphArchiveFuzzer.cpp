// Keyed archives of whole graphs and their layers from outside: whatever decodes is laid out and
// drawn into a small bitmap. A damaged archive decodes as nil or raises on decoding; drawing it
// must not crash, hang or raise.
#include "framework/Source/PECodingRegistry.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PETheme.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/graphics/UIGraphics.h"

// Text drawn by the engine goes through the font map, which keeps fontconfig's patterns for the
// life of the process through pointers the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    static const bool registered = [] {
        PECodingRegistry::registerEngineClasses();
        PETheme::registerBuiltInThemes();
        return true;
    }();
    (void)registered;
    id object;
    try {
        object = NSKeyedUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes(bytes, size));
    } catch (const NSException&) {
        return 0;
    }
    auto layer = ns::cast<PELayer>(object);
    if (!layer)
        return 0;
    UIGraphicsBeginImageContextWithOptions(CGSize { 64, 64 }, true, 1);
    auto context = UIGraphicsGetCurrentContext();
    if (auto graph = std::dynamic_pointer_cast<PEGraph>(layer))
        graph->layoutAndRenderInContext(context);
    else
        layer->recursivelyRenderInContext(context);
    if (auto legend = std::dynamic_pointer_cast<PELegend>(layer))
        (void)legend->pointingDeviceDownEvent(nullptr, CGPoint { 10, 10 });
    (void)layer->pointingDeviceDownEvent(nullptr, CGPoint { 10, 10 });
    UIGraphicsEndImageContext();
    return 0;
}
