#pragma once
// A screen of the self-drawing charts no client screen uses: the line chart with two series and
// a gap, the half pie of the learners by licence class, and the raised columns of two years of
// exam passes. A row of buttons chooses the one shown.

#include "app/charts/DCHalfPieChart.h"
#include "app/charts/DCLineChartView.h"
#include "app/charts/NTChartView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIViewController.h"

class DrawnChartsViewController : public UIViewController {
    NS_OBJECT(DrawnChartsViewController, UIViewController)
public:
    void loadView() override;

    void showLine();
    void showHalfPie();
    void showColumns();

    const std::vector<std::shared_ptr<UIButton>>& buttons() const { return m_buttons; }
    const UIViewRef& shown() const { return m_shown; }

    static std::shared_ptr<DCLineChartView> sampleLineChart(CGRect frame);
    static std::shared_ptr<DCHalfPieChart> sampleHalfPie(CGRect frame);
    static std::shared_ptr<NTChartView> sampleColumns(CGRect frame);

private:
    void show(const UIViewRef& chart);

    std::vector<std::shared_ptr<UIButton>> m_buttons;
    UIViewRef m_shown;
};
