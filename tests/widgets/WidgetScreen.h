#pragma once
// A plain white 320 x 568 screen in the headless host, for the widget tests.

#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIWindow.h"

#include <gtest/gtest.h>

class WidgetScreenTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
    }
    UIViewRef screen() { return root->view(); }
    static bool networkIndicatorOn() { return UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible(); }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
};
