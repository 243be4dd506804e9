#pragma once
// A scripted session of the client on the headless host against a stand-in of the services on
// free ports: launching, the login screen's pickers and fields, waiting for replies, and a
// picture of every screen reached, written into the build folder for people to look at.

#include "app/AppDelegate.h"
#include "app/screens/home/AdminHomeViewController.h"
#include "app/screens/home/MainViewController.h"
#include "app/screens/login/ViewController.h"
#include "app/screens/settings/AboutViewController.h"
#include "app/screens/settings/AdminSetupViewController.h"
#include "app/screens/settings/MyInfoViewController.h"
#include "app/screens/settings/PasswordViewController.h"
#include "app/screens/settings/SetupViewController.h"
#include "app/screens/settings/WebViewViewController.h"
#include "platform/host/HeadlessHost.h"
#include "tests/app/SessionStandIn.h"
#include "tools/service-standin/ServiceStandIn.h"

#include <gtest/gtest.h>

class ClientSession : public testing::Test {
protected:
    static constexpr const char* kLearner = "510104199203154321";
    static constexpr const char* kOfficer = "yunguan01";

    void SetUp() override;
    void TearDown() override;

    // A fresh device with the client launched on the login screen.
    void launch();
    std::shared_ptr<CustomNavigationController> navigation() const { return application->navigationController(); }
    std::shared_ptr<ViewController> loginScreen() const;
    template <class T>
    std::shared_ptr<T> top() const
    {
        return std::dynamic_pointer_cast<T>(navigation()->topViewController());
    }

    // Pumps the main run loop until the condition holds, for at most kSessionWaitSeconds of real
    // time, then runs the clock until the screen is idle.
    bool waitUntil(const std::function<bool()>& done);
    // The same wait with the clock left where it is: a playing film's timers would keep an idle
    // run going.
    bool pumpUntil(const std::function<bool()>& done);
    // Runs the steps with the network thread held, so that a request they send is answered only
    // after the last of them: on loopback a reply could otherwise come between two taps.
    void withNetworkHeld(const std::function<void()>& steps);
    // Until a request started after `startedBefore` (a value of requestsStarted) and every request ended.
    bool requestsAnsweredSince(NSInteger startedBefore);
    // Chooses the row titled so in the picker sheet now up and taps 确定.
    bool pick(const NSString& title);
    // Region 成都市, the role, account and password typed, login tapped.
    void fillLogin(const NSString& role, const NSString& account, const NSString& password);
    // Logs in and waits for the home screen of the role.
    bool logIn(const NSString& role, const NSString& account, const NSString& password);
    // The shared HUD's text while it shows on a visible window.
    NSString hudText() const;
    // The text of the alert now up, nil when none.
    NSString alertMessage();
    bool tapAlertButton(const NSString& title);
    // The screen into the screens folder once it is idle, or as it stands.
    void shot(const std::string& name);
    void shotAsItStands(const std::string& name);
    // Taps the view showing the text and lets half a second go by.
    void tapShown(const char* text);

    standin::ServiceStandIn standIn { sessionStandIn() };
    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<AppDelegate> application;
    // Request operations started and not yet finished, from the networking notices.
    NSInteger requestsUnderWay { 0 };
    // Every request operation started so far. A start is told only once the network thread
    // reaches the operation, so a wait for a step's request compares this with its value before.
    NSInteger requestsStarted { 0 };
    std::vector<id> requestObservers;
};
