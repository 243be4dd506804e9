#include "library/network/device/UIDevice_IdentifierAddition.h"

#include "library/network/device/NSString_MD5Addition.h"
#include "platform/foundation/NSBundle.h"

#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if_arp.h>
#include <sys/socket.h>

namespace UIDevice_IdentifierAddition {

namespace {

constexpr const char* preferredInterface = "en0";

const sockaddr_ll* ethernetAddress(const ifaddrs* entry)
{
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET)
        return nullptr;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
    // Wi-Fi interfaces show themselves to the system as Ethernet ones.
    if (link->sll_hatype != ARPHRD_ETHER || link->sll_halen != 6)
        return nullptr;
    static const unsigned char zero[6] = {};
    if (std::memcmp(link->sll_addr, zero, 6) == 0)
        return nullptr;
    return link;
}

} // namespace

NSString macaddressFromInterfaces(const ifaddrs* interfaces)
{
    const sockaddr_ll* chosen = nullptr;
    for (const ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
        const auto* link = ethernetAddress(entry);
        if (!link)
            continue;
        if (entry->ifa_name && std::strcmp(entry->ifa_name, preferredInterface) == 0) {
            chosen = link;
            break;
        }
        if (!chosen)
            chosen = link;
    }
    if (!chosen) {
        std::fputs("Error: no Ethernet or Wi-Fi interface\n", stdout);
        return nullptr;
    }
    char text[18];
    const unsigned char* bytes = chosen->sll_addr;
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]);
    return NSString(text);
}

NSString macaddress()
{
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) {
        std::fputs("Error: getifaddrs\n", stdout);
        return nullptr;
    }
    NSString address = macaddressFromInterfaces(interfaces);
    freeifaddrs(interfaces);
    return address;
}

NSString uniqueDeviceIdentifier(const NSString& macaddress, const NSString& bundleIdentifier)
{
    NSString text = NSString(macaddress.isNil() ? std::string() : macaddress.UTF8String())
        + NSString(bundleIdentifier.isNil() ? std::string() : bundleIdentifier.UTF8String());
    return NSString_MD5Addition::stringFromMD5(text);
}

NSString uniqueDeviceIdentifier()
{
    return uniqueDeviceIdentifier(macaddress(), NSBundle::mainBundle()->bundleIdentifier());
}

NSString uniqueGlobalDeviceIdentifier(const NSString& macaddress)
{
    return NSString_MD5Addition::stringFromMD5(macaddress);
}

NSString uniqueGlobalDeviceIdentifier()
{
    return uniqueGlobalDeviceIdentifier(macaddress());
}

} // namespace UIDevice_IdentifierAddition
