#pragma once
// The chart screen of the demonstration: an XY graph in its hosting view with the "Plain White"
// theme, axes with labels, grid lines and Chinese titles, two lines and a legend. A pinch scales
// it; a finger drags it.

#include "framework/iPhoneOnly/PEGraphHostingView.h"
#include "platform/uikit/UIViewController.h"

class PEGraph;

class PlotDemoViewController : public UIViewController {
    NS_OBJECT(PlotDemoViewController, UIViewController)
public:
    // The screen's graph, for any size (the benchmark draws it too).
    static std::shared_ptr<PEGraph> makeGraph(CGRect frame);

    void loadView() override;
    const std::shared_ptr<PEGraphHostingView>& hostingView() const { return m_hostingView; }
    // Opens the screen of the plot types.
    void showPlotTypes();

private:
    std::shared_ptr<PEGraphHostingView> m_hostingView;
};
