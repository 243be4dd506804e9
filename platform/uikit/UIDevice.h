#pragma once
// The device the client runs on. Its facts are fixed, as a phone's are; tests may set the system
// version and the idiom to reach the layouts chosen for older systems and for the pad.

#include "platform/foundation/NSString.h"

enum class UIUserInterfaceIdiom : NSInteger {
    Unspecified = -1,
    Phone = 0,
    Pad = 1,
};

enum class UIDeviceOrientation : NSInteger {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 3,
    LandscapeRight = 4,
    FaceUp = 5,
    FaceDown = 6,
};

class UIDevice : public NSObject {
    NS_OBJECT(UIDevice, NSObject)
public:
    static std::shared_ptr<UIDevice> currentDevice();

    // "8.1" unless a test set another.
    NSString systemVersion() const;
    NSString systemName() const { return "iOS"; }
    NSString model() const { return "iPhone"; }
    NSString localizedModel() const { return model(); }
    NSString name() const;
    // A phone unless a test set another.
    UIUserInterfaceIdiom userInterfaceIdiom() const;
    // Portrait until the host turns the device; told to observers only while generating.
    UIDeviceOrientation orientation() const { return m_orientation; }
    void beginGeneratingDeviceOrientationNotifications() { ++m_generatingOrientation; }
    void endGeneratingDeviceOrientationNotifications();
    bool isGeneratingDeviceOrientationNotifications() const { return m_generatingOrientation > 0; }
    // The host's (or a test's) turn of the device; posts the change while notifications are on.
    void setOrientation(UIDeviceOrientation orientation);
    // The keyboard click; silent here.
    void playInputClick() const { }

    // For tests: the version every device object reports from now on.
    static void setSystemVersion(const NSString& version);
    // For tests: the idiom every device object reports from now on, to reach the pad's layouts.
    static void setUserInterfaceIdiom(UIUserInterfaceIdiom idiom);

private:
    UIDeviceOrientation m_orientation { UIDeviceOrientation::Portrait };
    NSInteger m_generatingOrientation { 0 };
};

inline constexpr const char* UIDeviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";
