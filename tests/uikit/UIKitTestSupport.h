#pragma once
// Views and controllers that write what happens to them into a shared log, for assertions on
// order.

#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"

#include <string>
#include <vector>

using Log = std::vector<std::string>;

class RecordingView : public UIView {
    NS_OBJECT(RecordingView, UIView)
public:
    void touchesBegan(const UITouchSet& touches, const UIEventRef&) override { record("began", touches); }
    void touchesMoved(const UITouchSet& touches, const UIEventRef&) override { record("moved", touches); }
    void touchesEnded(const UITouchSet& touches, const UIEventRef&) override
    {
        record("ended", touches);
        if (onEnded)
            onEnded();
    }
    void touchesCancelled(const UITouchSet& touches, const UIEventRef&) override { record("cancelled", touches); }

    void record(const std::string& what, const UITouchSet&)
    {
        if (log)
            log->push_back(name + "." + what);
    }

    std::string name { "view" };
    Log* log { nullptr };
    std::function<void()> onEnded;
};

class RecordingController : public UIViewController {
    NS_OBJECT(RecordingController, UIViewController)
public:
    static std::shared_ptr<RecordingController> named(const std::string& name, Log& log)
    {
        auto controller = create();
        controller->name = name;
        controller->log = &log;
        return controller;
    }
    void viewDidLoad() override { note("viewDidLoad"); }
    void viewWillAppear(bool) override { note("willAppear"); }
    void viewDidAppear(bool) override { note("didAppear"); }
    void viewWillDisappear(bool) override { note("willDisappear"); }
    void viewDidDisappear(bool) override { note("didDisappear"); }
    void note(const std::string& what)
    {
        if (log)
            log->push_back(name + "." + what);
    }

    std::string name;
    Log* log { nullptr };
};
