#include "library/network/device/UIDevice_Hardware.h"

#include <gtest/gtest.h>

using namespace UIDevice_Hardware;

TEST(UIDevice_Hardware, mapsPlatformStringsToCodesAndDescriptions)
{
    EXPECT_EQ(hardware("iPhone1,1"), 1);
    EXPECT_EQ(hardware("iPhone3,2"), 4);
    EXPECT_EQ(hardware("iPad2,4"), hardware("iPad2,2"));
    EXPECT_EQ(hardware("iPad2,4"), 21);
    EXPECT_EQ(hardware("iPad4,6"), 38);
    EXPECT_EQ(hardware("x86_64"), 47);
    EXPECT_EQ(hardwareDescription("iPhone3,2"), "iPhone 4 (GSM Rev. A)");
    EXPECT_EQ(hardwareSimpleDescription("iPhone3,2"), "iPhone 4");
    EXPECT_EQ(hardwareDescription("iPad4,6"), "iPad Mini Retina (Wi-Fi + Cellular CN)");
    EXPECT_EQ(hardwareSimpleDescription("i386"), "Simulator");
    EXPECT_EQ(hardwareType("iPad5,4"), "iPad");
    EXPECT_EQ(hardwareType("AppleTV3,2"), "AppleTV");

    // Unlisted members go by family; strangers are logged and get nothing.
    EXPECT_EQ(hardware("iPhone9,9"), kUnknownPhone);
    EXPECT_EQ(hardware("iPod9,1"), kUnknownPod);
    EXPECT_EQ(hardware("iPad9,1"), kUnknownPad);
    EXPECT_EQ(hardware("AppleTV9,1"), kUnknownTV);
    EXPECT_EQ(hardwareDescription("iPhone9,9"), "iPhone");
    EXPECT_EQ(hardwareSimpleDescription("iPod9,1"), "iPod");
    testing::internal::CaptureStderr();
    EXPECT_EQ(hardware("Watch1,1"), 0);
    EXPECT_EQ(hardwareDescription("Watch1,1"), nullptr);
    EXPECT_EQ(hardwareSimpleDescription(nullptr), nullptr);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Your device hardware string is: Watch1,1"), std::string::npos);
    EXPECT_EQ(hardwareType("Watch1,1"), nullptr);
}

TEST(UIDevice_Hardware, versionNumbersRankModelsAndUnknownRanksHighest)
{
    EXPECT_FLOAT_EQ(hardwareNumber(0), 200.0f);
    EXPECT_FLOAT_EQ(hardwareNumber(1), 1.1f);
    EXPECT_FLOAT_EQ(hardwareNumber(21), 2.2f);
    EXPECT_FLOAT_EQ(hardwareNumber(38), 4.8f);
    EXPECT_FLOAT_EQ(hardwareNumber(47), 100.0f);
    EXPECT_FLOAT_EQ(hardwareNumber(kUnknownPhone), 200.0f);
    EXPECT_FLOAT_EQ(hardwareNumber(-1), 200.0f);
    EXPECT_TRUE(isHardwareBetterThan("iPhone7,2", 13));
    EXPECT_FALSE(isHardwareBetterThan("iPhone4,1", 14));
    EXPECT_TRUE(isHardwareBetterThan("iPhone4,1", 6));
    testing::internal::CaptureStderr();
    for (std::int32_t code = 0; code <= 51; ++code)
        EXPECT_TRUE(isHardwareBetterThan("Unknown1,1", code)) << code;
    testing::internal::GetCapturedStderr();
}

TEST(UIDevice_Hardware, backCameraSizesAreListedOrZeroWithALog)
{
    const CGSize four = backCameraStillImageResolutionInPixels("iPhone3,2");
    EXPECT_EQ(four.width, 2592);
    EXPECT_EQ(four.height, 1936);
    const CGSize air = backCameraStillImageResolutionInPixels("iPad5,3");
    EXPECT_EQ(air.width, 1536);
    EXPECT_EQ(air.height, 2048);
    testing::internal::CaptureStderr();
    const CGSize none = backCameraStillImageResolutionInPixels("iPhone7,1");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(none.width, 0);
    EXPECT_EQ(none.height, 0);
    EXPECT_NE(log.find("Your device is: iPhone 6 Plus"), std::string::npos);
}

TEST(UIDevice_Hardware, theCurrentMachineIsReadFromTheSystem)
{
    const NSString machine = hardwareString();
    ASSERT_FALSE(machine.isNil());
    EXPECT_GT(machine.length(), 0u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(hardware(), hardware(machine));
    EXPECT_EQ(hardwareDescription(), hardwareDescription(machine));
    EXPECT_EQ(hardwareSimpleDescription(), hardwareSimpleDescription(machine));
    EXPECT_EQ(hardwareType(), hardwareType(machine));
    EXPECT_EQ(isCurrentDeviceHardwareBetterThan(1), isHardwareBetterThan(machine, 1));
    EXPECT_EQ(backCameraStillImageResolutionInPixels().width, backCameraStillImageResolutionInPixels(machine).width);
    testing::internal::GetCapturedStderr();
}
