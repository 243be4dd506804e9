#pragma once
// A screen of the engine's plot types, one graph at a time chosen by a row of buttons: gradient
// bars of coach scores, a pie of learners by subject with one slice pushed out, a scatter plot
// with symbols and a sampled curve, error ranges of practice scores and a candlestick chart of
// daily bookings; 动画 moves the shown graph's x range along a timing curve.

#include "framework/iPhoneOnly/PEGraphHostingView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIViewController.h"

#include <vector>

class PEGraph;

class PlotTypesViewController : public UIViewController {
    NS_OBJECT(PlotTypesViewController, UIViewController)
public:
    enum class Kind { Bars, Pie, Scatter, Ranges, Candles };

    // A graph of one kind; what it needs alive (its data sources) goes into keepAlive.
    static std::shared_ptr<PEGraph> makeGraph(Kind kind, CGRect frame, std::vector<std::shared_ptr<void>>& keepAlive);

    void loadView() override;
    void show(Kind kind);
    void showBars() { show(Kind::Bars); }
    void showPie() { show(Kind::Pie); }
    void showScatter() { show(Kind::Scatter); }
    void showRanges() { show(Kind::Ranges); }
    void showCandles() { show(Kind::Candles); }
    // Moves the x range of the shown graph half its length to the right, or back, in half a second.
    void animateRange();

    const std::vector<std::shared_ptr<UIButton>>& buttons() const { return m_buttons; }
    const std::shared_ptr<PEGraphHostingView>& hostingView() const { return m_hostingView; }

private:
    std::vector<std::shared_ptr<UIButton>> m_buttons;
    std::shared_ptr<PEGraphHostingView> m_hostingView;
    std::vector<std::shared_ptr<void>> m_keepAlive;
    bool m_shifted { false };
};
