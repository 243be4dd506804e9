#pragma once
// Information about the current Wi-Fi network. A desktop has no captive-network service to ask,
// so there are no supported interfaces and no network information: both answer nil, as the
// platform does when it cannot tell.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"

inline constexpr const char* kCNNetworkInfoKeySSIDData = "SSIDDATA";
inline constexpr const char* kCNNetworkInfoKeySSID = "SSID";
inline constexpr const char* kCNNetworkInfoKeyBSSID = "BSSID";

std::shared_ptr<NSArray> CNCopySupportedInterfaces();
std::shared_ptr<NSDictionary> CNCopyCurrentNetworkInfo(const NSString& interfaceName);
