#pragma once
// Identifiers derived from the hardware address of the device's network interface: the address
// itself, and MD5 digests of it with and without the application's bundle identifier.
//
// The interface is "en0" when the system has one, else the first Ethernet or Wi-Fi interface
// that getifaddrs lists (loopback and all-zero addresses skipped).

#include "platform/foundation/NSString.h"

struct ifaddrs;

namespace UIDevice_IdentifierAddition {

// Six upper-case, colon-separated hexadecimal bytes; nil (after a line on the standard output)
// when the list holds no such interface.
NSString macaddressFromInterfaces(const ifaddrs* interfaces);
NSString macaddress();

// 32 lower-case hexadecimal digits; nil when there is neither an address nor an identifier.
NSString uniqueDeviceIdentifier(const NSString& macaddress, const NSString& bundleIdentifier);
NSString uniqueDeviceIdentifier();
NSString uniqueGlobalDeviceIdentifier(const NSString& macaddress);
NSString uniqueGlobalDeviceIdentifier();

} // namespace UIDevice_IdentifierAddition
