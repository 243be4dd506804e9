#pragma once
// A device with the simulated keyboard, a screen to put text controls on, and a log of what the
// controls and the keyboard tell, in the order they tell it.

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/host/HeadlessHost.h"
#include "platform/layers/NSValueGeometry.h"
#include "platform/uikit/OnScreenKeyboard.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

inline std::string describeRect(CGRect rect)
{
    std::ostringstream text;
    text << "(" << rect.origin.x << "," << rect.origin.y << "," << rect.size.width << "," << rect.size.height << ")";
    return text.str();
}

class TextInputTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_host = HeadlessHost::create();
        m_keyboard = std::dynamic_pointer_cast<OnScreenKeyboard>(UIApplication::sharedApplication()->keyboardController());
        ASSERT_TRUE(m_keyboard);
        m_controller = UIViewController::create();
        m_host->showRootViewController(m_controller);
        m_controller->view()->setBackgroundColor(UIColor::whiteColor());
        const char* keyboardNames[] = { UIKeyboardWillShowNotification, UIKeyboardDidShowNotification, UIKeyboardWillHideNotification,
            UIKeyboardDidHideNotification, UIKeyboardWillChangeFrameNotification, UIKeyboardDidChangeFrameNotification };
        for (const char* name : keyboardNames)
            observe(name, true);
    }

    void TearDown() override
    {
        for (auto& token : m_tokens)
            NSNotificationCenter::defaultCenter()->removeObserver(token);
    }

    // Keyboard notifications are logged with the frames they carry: "WillShow (0,568,320,216)>(0,352,320,216)".
    void observe(const char* name, bool keyboard)
    {
        std::string shortName(name);
        for (const char* prefix : { "UIKeyboard", "UITextFieldText", "UITextViewText" })
            if (shortName.rfind(prefix, 0) == 0)
                shortName = shortName.substr(std::string(prefix).size());
        shortName = shortName.substr(0, shortName.size() - std::string("Notification").size());
        m_tokens.push_back(NSNotificationCenter::defaultCenter()->addObserverForName(name, nullptr, nullptr,
            [this, shortName, keyboard](const std::shared_ptr<NSNotification>& notification) {
                std::string entry = shortName;
                if (keyboard) {
                    auto info = notification->userInfo();
                    entry += " " + describeRect(NSValueGeometry::CGRectValue(info->objectForKey(UIKeyboardFrameBeginUserInfoKey))) + ">"
                        + describeRect(NSValueGeometry::CGRectValue(info->objectForKey(UIKeyboardFrameEndUserInfoKey)));
                    m_duration = std::dynamic_pointer_cast<NSNumber>(info->objectForKey(UIKeyboardAnimationDurationUserInfoKey))->doubleValue();
                    m_curve = std::dynamic_pointer_cast<NSNumber>(info->objectForKey(UIKeyboardAnimationCurveUserInfoKey))->integerValue();
                } else if (auto view = std::dynamic_pointer_cast<UIView>(notification->object())) {
                    entry += " #" + std::to_string(view->tag());
                }
                m_log.push_back(entry);
            }));
    }

    std::vector<std::string> takeLog() { return std::exchange(m_log, {}); }

    std::shared_ptr<HeadlessHost> m_host;
    std::shared_ptr<OnScreenKeyboard> m_keyboard;
    std::shared_ptr<UIViewController> m_controller;
    std::vector<id> m_tokens;
    std::vector<std::string> m_log;
    double m_duration { 0 };
    NSInteger m_curve { 0 };
};

using Strings = std::vector<std::string>;
