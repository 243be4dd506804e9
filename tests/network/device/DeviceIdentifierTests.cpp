#include "library/network/device/SharedUDID.h"
#include "library/network/device/UIDevice_IdentifierAddition.h"
#include "library/network/device/UIDevice_ScreenSize.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIPasteboard.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if_arp.h>
#include <sys/socket.h>

using namespace UIDevice_ScreenSize;

TEST(UIDevice_ScreenSize, classifiesTheTallPhoneScreensAndEveryTablet)
{
    const auto portrait = UIInterfaceOrientation::Portrait;
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Phone, CGSizeMake(320, 568), portrait), kScreenSize568);
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Phone, CGSizeMake(375, 667), portrait), kScreenSize667);
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Phone, CGSizeMake(414, 736), UIInterfaceOrientation::PortraitUpsideDown), kScreenSize736);
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Phone, CGSizeMake(320, 480), portrait), kScreenSizeOther);
    // In landscape the height is the bounds' width.
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Phone, CGSizeMake(568, 320), UIInterfaceOrientation::LandscapeLeft), kScreenSize568);
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Phone, CGSizeMake(667, 375), UIInterfaceOrientation::LandscapeRight), kScreenSize667);
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Phone, CGSizeMake(568, 320), portrait), kScreenSizeOther);
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Pad, CGSizeMake(1024, 768), UIInterfaceOrientation::LandscapeLeft), kScreenSizePad);
    EXPECT_EQ(screenSizeType(UIUserInterfaceIdiom::Pad, CGSizeMake(768, 1024), portrait), kScreenSizePad);
    // The simulated device is a 568-point phone held upright.
    EXPECT_EQ(screenSizeType(UIDevice::currentDevice()), kScreenSize568);
}

namespace {

// A list of interfaces as getifaddrs hands it out, made by hand.
class FakeInterfaces {
public:
    void add(const char* name, unsigned short type, std::array<unsigned char, 6> address, int family = AF_PACKET)
    {
        auto& entry = m_entries.emplace_back();
        std::memset(&entry.link, 0, sizeof entry.link);
        entry.link.sll_family = static_cast<unsigned short>(family);
        entry.link.sll_hatype = type;
        entry.link.sll_halen = 6;
        std::memcpy(entry.link.sll_addr, address.data(), 6);
        std::snprintf(entry.name, sizeof entry.name, "%s", name);
    }
    const ifaddrs* list()
    {
        for (std::size_t index = 0; index < m_entries.size(); ++index) {
            auto& entry = m_entries[index];
            entry.node = {};
            entry.node.ifa_name = entry.name;
            entry.node.ifa_addr = reinterpret_cast<sockaddr*>(&entry.link);
            entry.node.ifa_next = index + 1 < m_entries.size() ? &m_entries[index + 1].node : nullptr;
        }
        return m_entries.empty() ? nullptr : &m_entries.front().node;
    }

private:
    struct Entry {
        ifaddrs node;
        sockaddr_ll link;
        char name[16];
    };
    std::vector<Entry> m_entries;
};

} // namespace

TEST(UIDevice_IdentifierAddition, readsTheFirstEthernetOrWiFiAddressAndPrefersEn0)
{
    using namespace UIDevice_IdentifierAddition;
    FakeInterfaces interfaces;
    interfaces.add("lo", ARPHRD_LOOPBACK, { 0, 0, 0, 0, 0, 0 });
    interfaces.add("tun0", ARPHRD_NONE, { 1, 2, 3, 4, 5, 6 });
    interfaces.add("eth0", ARPHRD_ETHER, { 0, 0, 0, 0, 0, 0 }, AF_INET);
    interfaces.add("dummy", ARPHRD_ETHER, { 0, 0, 0, 0, 0, 0 });
    interfaces.add("wlan0", ARPHRD_ETHER, { 0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0xf5 });
    interfaces.add("eth1", ARPHRD_ETHER, { 0x02, 0, 0, 0, 0, 0x01 });
    EXPECT_EQ(macaddressFromInterfaces(interfaces.list()), "0A:1B:2C:3D:4E:F5");
    interfaces.add("en0", ARPHRD_ETHER, { 0xde, 0xad, 0xbe, 0xef, 0x00, 0x01 });
    EXPECT_EQ(macaddressFromInterfaces(interfaces.list()), "DE:AD:BE:EF:00:01");

    FakeInterfaces loopbackOnly;
    loopbackOnly.add("lo", ARPHRD_LOOPBACK, { 0, 0, 0, 0, 0, 0 });
    testing::internal::CaptureStdout();
    EXPECT_TRUE(macaddressFromInterfaces(loopbackOnly.list()).isNil());
    EXPECT_TRUE(macaddressFromInterfaces(nullptr).isNil());
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Error:"), std::string::npos);

    // The machine's own answer is either nil or an address of the same form.
    testing::internal::CaptureStdout();
    NSString own = macaddress();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(own.isNil() || own.length() == 17);
}

TEST(UIDevice_IdentifierAddition, identifiersAreDigestsOfTheAddressWithAndWithoutTheApplication)
{
    using namespace UIDevice_IdentifierAddition;
    // MD5("DE:AD:BE:EF:00:01org.corvane.client") and MD5("DE:AD:BE:EF:00:01").
    const NSString address = "DE:AD:BE:EF:00:01";
    const NSString both = uniqueDeviceIdentifier(address, "org.corvane.client");
    const NSString global = uniqueGlobalDeviceIdentifier(address);
    EXPECT_EQ(both.length(), 32u);
    EXPECT_EQ(global.length(), 32u);
    EXPECT_NE(both, global);
    EXPECT_EQ(uniqueDeviceIdentifier(address, nullptr), global);
    EXPECT_EQ(uniqueDeviceIdentifier(nullptr, "org.corvane.client"), uniqueGlobalDeviceIdentifier("org.corvane.client"));
    EXPECT_EQ(uniqueGlobalDeviceIdentifier("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_TRUE(uniqueDeviceIdentifier(nullptr, nullptr).isNil());

    testing::internal::CaptureStdout();
    const NSString current = uniqueGlobalDeviceIdentifier();
    const NSString currentForApplication = uniqueDeviceIdentifier();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(current.isNil() || current.length() == 32u);
    EXPECT_TRUE(currentForApplication.isNil() || currentForApplication.length() == 32u);
}

namespace {

std::string runProbe(const char* action = "")
{
    std::string command = std::string(SHARED_UDID_PROBE) + " " + action;
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[128];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return output;
}

const std::string zeros(40, '0');

NSInteger codeOf(const std::shared_ptr<NSError>& error)
{
    return error ? error->code() : -1;
}

int usedSlots()
{
    int used = 0;
    for (int index = 0; index < SharedUDID::kSlotCount; ++index)
        used += UIPasteboard::pasteboardWithName(SharedUDID::slotName(index), false) != nullptr;
    return used;
}

} // namespace

TEST(SharedUDID, staysTheSameAcrossProcessesAndFollowsTheOptOut)
{
    std::shared_ptr<NSError> error;
    const NSString value = SharedUDID::valueWithError(&error);
    ASSERT_EQ(value.length(), 40u);
    EXPECT_EQ(value.UTF8String().find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(codeOf(error), SharedUDID::kErrorNone);
    EXPECT_EQ(error->domain(), SharedUDID::kErrorDomain);
    EXPECT_EQ(NSString::fromId(error->userInfo()->objectForKey("description")), "SharedUDID succesfully retrieved");
    EXPECT_EQ(SharedUDID::valueWithError(&error), value);
    EXPECT_EQ(NSString::fromId(error->userInfo()->objectForKey("description")), "SharedUDID in cache from first call");
    EXPECT_EQ(SharedUDID::value(), value);
    ASSERT_TRUE(UIPasteboard::pasteboardWithName("org.Quenmark.slot.0", false));
    EXPECT_TRUE(UIPasteboard::pasteboardWithName("org.Quenmark.slot.0", false)->isPersistent());

    // A restarted application reads the same value, and keeps the one slot it already has.
    const std::string expected = value.UTF8String() + " 0";
    EXPECT_EQ(runProbe(), expected);
    EXPECT_EQ(runProbe(), expected);
    EXPECT_EQ(usedSlots(), 1);
    // Without its own record it finds the value in the slots.
    EXPECT_EQ(runProbe("reinstall"), expected);

    // Opting out reads 40 zeros, here and in the next process, until the user opts in again.
    EXPECT_EQ(runProbe("optout"), zeros + " 1");
    EXPECT_EQ(runProbe(), zeros + " 1");
    EXPECT_EQ(runProbe("optin"), expected);
    SharedUDID::setOptOut(true);
    EXPECT_EQ(SharedUDID::valueWithError(&error), NSString(zeros));
    EXPECT_EQ(codeOf(error), SharedUDID::kErrorOptedOut);
    EXPECT_TRUE(NSString::fromId(error->userInfo()->objectForKey("description")).hasPrefix("Application with unique id "));
    SharedUDID::setOptOut(false);
    EXPECT_EQ(SharedUDID::valueWithError(&error), value);
    EXPECT_EQ(codeOf(error), SharedUDID::kErrorNone);
}

TEST(SharedUDID, reportsSlotsThatDisagreeAndSurvivesDamagedOnes)
{
    const NSString value = SharedUDID::value();
    ASSERT_EQ(value.length(), 40u);
    // Two other applications hold another value: the stored one stays, reported as compromised.
    const NSString other(std::string(40, 'a'));
    for (int index : { 5, 6 }) {
        auto slot = UIPasteboard::pasteboardWithName(SharedUDID::slotName(index), true);
        slot->setPersistent(true);
        auto record = ns::dictionary({ { "SharedUDID", other }, { "SharedUDID_appUID", NSString("APP-" + std::to_string(index)) } });
        slot->setData(NSKeyedArchiver::archivedDataWithRootObject(record), "org.Quenmark");
    }
    // A damaged archive counts as an empty slot.
    auto damaged = UIPasteboard::pasteboardWithName(SharedUDID::slotName(1), true);
    damaged->setData(NSData::dataWithBytes("\x62\x70\x6c\x69\x73\x74garbage", 14), "org.Quenmark");
    SharedUDID::setOptOut(false); // forgets the value
    std::shared_ptr<NSError> error;
    EXPECT_EQ(SharedUDID::valueWithError(&error), value);
    EXPECT_EQ(codeOf(error), SharedUDID::kErrorCompromised);

    // A new application takes the value most slots hold.
    NSUserDefaults::standardUserDefaults()->removeObjectForKey("SharedUDID");
    SharedUDID::setOptOut(false);
    NSUserDefaults::standardUserDefaults()->removeObjectForKey("SharedUDID");
    EXPECT_EQ(SharedUDID::valueWithError(&error), other);
    EXPECT_EQ(codeOf(error), SharedUDID::kErrorNone);
}
