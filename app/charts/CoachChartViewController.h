#pragma once
// The officer's coach statistics ("教练分析"): how many coaches fall into each review score
// bucket, as a bar chart; the no-data view with its refresh button stands over it when there is
// nothing to show.

#include "app/charts/CoachBarChart.h"
#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"

class CoachChartViewController : public NoXibViewController {
    NS_OBJECT(CoachChartViewController, NoXibViewController)
public:
    void loadView() override;
    void viewDidLoad() override;

    void loadData();
    // The request's handlers: the decoded reply, or a transport failure.
    void coachAnalysisCompletion(const id& reply);
    void coachAnalysisFailure();
    void refreshEvent(UIControl&);

    const UIViewRef& nothingView() const { return m_nothingView; }
    const UIViewRef& chartView() const { return m_chartView; }
    const std::shared_ptr<CoachBarChart>& chart() const { return m_chart; }

    // The bucket records of a reply's first row: "number" and "title" per bucket, in bar order.
    static std::shared_ptr<NSArray> bucketsOfRow(const std::shared_ptr<NSDictionary>& row);

private:

    std::shared_ptr<HttpService> m_httpService;
    UIViewRef m_nothingView;
    UIViewRef m_chartView;
    std::shared_ptr<CoachBarChart> m_chart;
};
