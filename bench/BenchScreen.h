#pragma once
// A headless host showing an empty white screen, ready for a benchmark to put a view on.

#include "platform/host/HeadlessHost.h"

struct BenchScreen {
    std::shared_ptr<HeadlessHost> host { HeadlessHost::create() };
    std::shared_ptr<UIViewController> root { UIViewController::create() };
    BenchScreen()
    {
        host->showRootViewController(root);
        root->view()->setBackgroundColor(UIColor::whiteColor());
        host->runUntilIdle();
    }
};
