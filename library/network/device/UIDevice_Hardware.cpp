#include "library/network/device/UIDevice_Hardware.h"

#include "platform/foundation/NSLog.h"

#include <array>
#include <string>
#include <sys/utsname.h>

namespace {

struct Model {
    const char* platform;
    std::int32_t code;
    const char* description;
    const char* simpleDescription;
    float number;
    CGSize camera;
};

constexpr Model kModels[] = {
    { "iPhone1,1", 1, "iPhone 2G", "iPhone 2G", 1.1f, { 1600, 1200 } },
    { "iPhone1,2", 2, "iPhone 3G", "iPhone 3G", 1.2f, { 1600, 1200 } },
    { "iPhone2,1", 3, "iPhone 3GS", "iPhone 3GS", 2.1f, { 2048, 1536 } },
    { "iPhone3,1", 4, "iPhone 4 (GSM)", "iPhone 4", 3.1f, { 2592, 1936 } },
    { "iPhone3,2", 4, "iPhone 4 (GSM Rev. A)", "iPhone 4", 3.1f, { 2592, 1936 } },
    { "iPhone3,3", 5, "iPhone 4 (CDMA)", "iPhone 4", 3.3f, { 2592, 1936 } },
    { "iPhone4,1", 6, "iPhone 4S", "iPhone 4S", 4.1f, { 3264, 2448 } },
    { "iPhone5,1", 7, "iPhone 5 (GSM)", "iPhone 5", 5.1f, { 3264, 2448 } },
    { "iPhone5,2", 8, "iPhone 5 (Global)", "iPhone 5", 5.2f, { 3264, 2448 } },
    { "iPhone5,3", 9, "iPhone 5C (GSM)", "iPhone 5C", 5.3f, { 3264, 2448 } },
    { "iPhone5,4", 10, "iPhone 5C (Global)", "iPhone 5C", 5.4f, { 3264, 2448 } },
    { "iPhone6,1", 11, "iPhone 5S (GSM)", "iPhone 5S", 6.1f, { 0, 0 } },
    { "iPhone6,2", 12, "iPhone 5S (Global)", "iPhone 5S", 6.2f, { 0, 0 } },
    { "iPhone7,1", 13, "iPhone 6 Plus", "iPhone 6 Plus", 7.1f, { 0, 0 } },
    { "iPhone7,2", 14, "iPhone 6", "iPhone 6", 7.2f, { 0, 0 } },
    { "iPod1,1", 15, "iPod Touch (1 Gen)", "iPod Touch (1 Gen)", 1.1f, { 0, 0 } },
    { "iPod2,1", 16, "iPod Touch (2 Gen)", "iPod Touch (2 Gen)", 2.1f, { 0, 0 } },
    { "iPod3,1", 17, "iPod Touch (3 Gen)", "iPod Touch (3 Gen)", 3.1f, { 0, 0 } },
    { "iPod4,1", 18, "iPod Touch (4 Gen)", "iPod Touch (4 Gen)", 4.1f, { 960, 720 } },
    { "iPod5,1", 19, "iPod Touch (5 Gen)", "iPod Touch (5 Gen)", 5.1f, { 2440, 1605 } },
    { "iPad1,1", 20, "iPad (WiFi)", "iPad", 1.1f, { 0, 0 } },
    { "iPad1,2", 25, "iPad 3G", "iPad", 1.2f, { 0, 0 } },
    { "iPad2,1", 22, "iPad 2 (WiFi)", "iPad 2", 2.1f, { 872, 720 } },
    { "iPad2,2", 21, "iPad 2 (GSM)", "iPad 2", 2.2f, { 872, 720 } },
    { "iPad2,3", 23, "iPad 2 (CDMA)", "iPad 2", 2.3f, { 872, 720 } },
    { "iPad2,4", 21, "iPad 2 (WiFi Rev. A)", "iPad 2", 2.2f, { 872, 720 } },
    { "iPad2,5", 32, "iPad Mini (WiFi)", "iPad Mini", 2.5f, { 1820, 1304 } },
    { "iPad2,6", 31, "iPad Mini (GSM)", "iPad Mini", 2.6f, { 1820, 1304 } },
    { "iPad2,7", 33, "iPad Mini (CDMA)", "iPad Mini", 2.7f, { 1820, 1304 } },
    { "iPad3,1", 26, "iPad 3 (WiFi)", "iPad 3", 3.1f, { 2592, 1936 } },
    { "iPad3,2", 27, "iPad 3 (CDMA)", "iPad 3", 3.2f, { 2592, 1936 } },
    { "iPad3,3", 24, "iPad 3 (Global)", "iPad 3", 3.3f, { 2592, 1936 } },
    { "iPad3,4", 29, "iPad 4 (WiFi)", "iPad 4", 3.4f, { 2592, 1936 } },
    { "iPad3,5", 28, "iPad 4 (CDMA)", "iPad 4", 3.5f, { 2592, 1936 } },
    { "iPad3,6", 30, "iPad 4 (Global)", "iPad 4", 3.6f, { 2592, 1936 } },
    { "iPad4,1", 39, "iPad Air (WiFi)", "iPad Air", 4.1f, { 0, 0 } },
    { "iPad4,2", 40, "iPad Air (WiFi+GSM)", "iPad Air", 4.2f, { 0, 0 } },
    { "iPad4,3", 41, "iPad Air (WiFi+CDMA)", "iPad Air", 4.3f, { 0, 0 } },
    { "iPad4,4", 34, "iPad Mini Retina (WiFi)", "iPad Mini Retina", 4.4f, { 0, 0 } },
    { "iPad4,5", 35, "iPad Mini Retina (WiFi+CDMA)", "iPad Mini Retina", 4.5f, { 0, 0 } },
    { "iPad4,6", 38, "iPad Mini Retina (Wi-Fi + Cellular CN)", "iPad Mini Retina CN", 4.8f, { 0, 0 } },
    { "iPad4,7", 36, "iPad Mini 3 (Wi-Fi)", "iPad Mini 3", 4.6f, { 0, 0 } },
    { "iPad4,8", 37, "iPad Mini 3 (Wi-Fi + Cellular)", "iPad Mini 3", 4.7f, { 0, 0 } },
    { "iPad5,3", 42, "iPad Air 2 (Wi-Fi)", "iPad Air 2", 5.3f, { 1536, 2048 } },
    { "iPad5,4", 43, "iPad Air 2 (Wi-Fi + Cellular)", "iPad Air 2", 5.4f, { 1536, 2048 } },
    { "AppleTV2,1", 44, "AppleTV 2 (GSM)", "AppleTV 2", 2.1f, { 0, 0 } },
    { "AppleTV3,1", 45, "AppleTV 3 (GSM)", "AppleTV 3", 3.1f, { 0, 0 } },
    { "AppleTV3,2", 46, "AppleTV 3 (CDMA)", "AppleTV 3", 3.2f, { 0, 0 } },
    { "i386", 47, "Simulator", "Simulator", 100.0f, { 0, 0 } },
    { "x86_64", 47, "Simulator", "Simulator", 100.0f, { 0, 0 } },
};

constexpr const char* kFamilies[] = { "iPhone", "iPod", "iPad", "AppleTV" };

const Model* modelFor(const std::string& platform)
{
    for (const Model& model : kModels)
        if (platform == model.platform)
            return &model;
    return nullptr;
}

// Index into kFamilies, or -1.
int familyOf(const std::string& platform)
{
    for (int i = 0; i < 4; ++i)
        if (platform.starts_with(kFamilies[i]))
            return i;
    return -1;
}

void logMessage(const NSString& platform)
{
    NSLog("This device is not known yet; please report its hardware string so it can be listed.");
    NSLog("Your device hardware string is: %@", platform);
}

template <class Field>
NSString describe(const NSString& platform, Field field)
{
    const std::string text = platform.isNil() ? std::string() : platform.UTF8String();
    if (const Model* model = modelFor(text))
        return NSString(field(*model));
    if (int family = familyOf(text); family >= 0)
        return NSString(kFamilies[family]);
    logMessage(platform);
    return nullptr;
}

} // namespace

namespace UIDevice_Hardware {

NSString hardwareString()
{
    utsname names {};
    if (uname(&names) != 0)
        return nullptr;
    return NSString(std::string(names.machine));
}

std::int32_t hardware(const NSString& platform)
{
    const std::string text = platform.isNil() ? std::string() : platform.UTF8String();
    if (const Model* model = modelFor(text))
        return model->code;
    if (int family = familyOf(text); family >= 0)
        return kUnknownPhone + family;
    logMessage(platform);
    return 0;
}

NSString hardwareDescription(const NSString& platform)
{
    return describe(platform, [](const Model& model) { return model.description; });
}

NSString hardwareSimpleDescription(const NSString& platform)
{
    return describe(platform, [](const Model& model) { return model.simpleDescription; });
}

NSString hardwareType(const NSString& platform)
{
    const int family = familyOf(platform.isNil() ? std::string() : platform.UTF8String());
    return family >= 0 ? NSString(kFamilies[family]) : NSString(nullptr);
}

float hardwareNumber(std::int32_t code)
{
    for (const Model& model : kModels)
        if (model.code == code)
            return model.number;
    return 200.0f;
}

bool isHardwareBetterThan(const NSString& platform, std::int32_t code)
{
    return hardwareNumber(hardware(platform)) >= hardwareNumber(code);
}

CGSize backCameraStillImageResolutionInPixels(const NSString& platform)
{
    const std::int32_t code = hardware(platform);
    for (const Model& model : kModels)
        if (model.code == code && model.camera.width > 0)
            return model.camera;
    NSLog("The back camera's still-image size of this device is not known yet; please report it.");
    NSLog("Your device is: %@", hardwareDescription(platform));
    return CGSizeZero;
}

std::int32_t hardware() { return hardware(hardwareString()); }
NSString hardwareDescription() { return hardwareDescription(hardwareString()); }
NSString hardwareSimpleDescription() { return hardwareSimpleDescription(hardwareString()); }
NSString hardwareType() { return hardwareType(hardwareString()); }
bool isCurrentDeviceHardwareBetterThan(std::int32_t code) { return isHardwareBetterThan(hardwareString(), code); }
CGSize backCameraStillImageResolutionInPixels() { return backCameraStillImageResolutionInPixels(hardwareString()); }

} // namespace UIDevice_Hardware
