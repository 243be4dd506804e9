#pragma once
// The machine's platform string mapped to a model code, descriptions, a comparable version number
// and the back camera's still-image size. Each lookup also exists for a given platform string.

#include "platform/foundation/NSString.h"
#include "platform/graphics/CGGeometry.h"

#include <cstdint>

namespace UIDevice_Hardware {

// Codes 1 to 47 are listed models; these stand for unlisted members of a family.
inline constexpr std::int32_t kUnknownPhone = 48;
inline constexpr std::int32_t kUnknownPod = 49;
inline constexpr std::int32_t kUnknownPad = 50;
inline constexpr std::int32_t kUnknownTV = 51;

// The system's machine name.
NSString hardwareString();

// 0, with a log line, for a string of no known family.
std::int32_t hardware(const NSString& platform);
// Nil, with a log line, for a string of no known family; the family for an unlisted member.
NSString hardwareDescription(const NSString& platform);
NSString hardwareSimpleDescription(const NSString& platform);
// The family ("iPhone", "iPod", "iPad", "AppleTV") or nil; never logs.
NSString hardwareType(const NSString& platform);
// 200 for code 0 and every code above the listed ones, so an unknown machine ranks highest.
float hardwareNumber(std::int32_t code);
bool isHardwareBetterThan(const NSString& platform, std::int32_t code);
// The zero size, with log lines, when none is listed.
CGSize backCameraStillImageResolutionInPixels(const NSString& platform);

std::int32_t hardware();
NSString hardwareDescription();
NSString hardwareSimpleDescription();
NSString hardwareType();
bool isCurrentDeviceHardwareBetterThan(std::int32_t code);
CGSize backCameraStillImageResolutionInPixels();

} // namespace UIDevice_Hardware
