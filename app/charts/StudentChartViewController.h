#pragma once
// The officer's learner statistics ("学员分析") for a period picked in two date sheets. The top
// level shows learners in study against graduates and opens, on a tap on the pie, the same
// screen one level down with the learners in study per subject for the same period.

#include "app/charts/StudentPieLineChart.h"
#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"
#include "library/widgets/keyboard/KMActionSheetPickerView.h"
#include "platform/uikit/UILabel.h"

class StudentChartViewController : public NoXibViewController, public KMActionSheetPickerViewDelegate, public PieChartDelegate {
    NS_OBJECT(StudentChartViewController, NoXibViewController)
public:
    void loadView() override;
    void viewDidLoad() override;

    void loadData();
    // The request's handlers: the decoded reply, or a transport failure.
    void stuAnalysisCompletion(const id& reply);
    void stuAnalysisFailure();
    void searchEvent(UIControl&);
    void beginDate(UITapGestureRecognizer&);
    void endDate(UITapGestureRecognizer&);
    void didSelectTitles(KMActionSheetPickerView& sheet, const std::shared_ptr<NSArray>& titles) override;
    void onClick() override;
    void refreshEvent(UIControl&);

    bool canClick() const { return m_canClick; }
    void setCanClick(bool canClick) { m_canClick = canClick; }
    const NSString& bDate() const { return m_bDate; }
    void setBDate(const NSString& date) { m_bDate = date; }
    const NSString& eDate() const { return m_eDate; }
    void setEDate(const NSString& date) { m_eDate = date; }

    const UIViewRef& nothingView() const { return m_nothingView; }
    const UIViewRef& chartView() const { return m_chartView; }
    const std::shared_ptr<StudentPieLineChart>& chart() const { return m_chart; }
    const std::shared_ptr<UILabel>& beginField() const { return m_beginField; }
    const std::shared_ptr<UILabel>& endField() const { return m_endField; }
    const NSString& beginDateText() const { return m_beginDate; }
    const NSString& endDateText() const { return m_endDate; }
    // The slice records of the last drawn answer.
    std::shared_ptr<NSMutableArray> slices() const { return m_chart ? m_chart->data() : nullptr; }

    // "yyyy-MM-dd" in ASCII digits and the Gregorian calendar, whatever the device's locale.
    static NSString serviceDate(const std::shared_ptr<NSDate>& date);
    // The slices a reply's first row gives at the level; nothing when it has no learners to show.
    static std::shared_ptr<NSMutableArray> slicesOfRow(const std::shared_ptr<NSDictionary>& row, bool topLevel);

private:
    void showPicker(NSInteger tag);
    void setField(const std::shared_ptr<UILabel>& field, const NSString& date);

    std::shared_ptr<HttpService> m_httpService;
    UIViewRef m_nothingView;
    UIViewRef m_chartView;
    std::shared_ptr<StudentPieLineChart> m_chart;
    std::shared_ptr<UILabel> m_beginField;
    std::shared_ptr<UILabel> m_endField;
    NSString m_beginDate;
    NSString m_endDate;
    bool m_canClick { false };
    NSString m_bDate;
    NSString m_eDate;
};
