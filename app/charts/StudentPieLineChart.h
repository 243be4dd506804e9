#pragma once
// Puts the learner statistics' slices into a host view: a self-drawing pie two thirds of the
// host's height and, under it, a centred legend of colour swatches and titles that wraps into
// more rows when one would not fit. A tap anywhere on the pie goes to the delegate. The legend is
// not kept: the caller clears the host before drawing again.

#include "app/charts/DCPieChart.h"
#include "platform/foundation/NSArray.h"
#include "platform/uikit/UITapGestureRecognizer.h"

class PieChartDelegate {
public:
    virtual ~PieChartDelegate() = default;
    virtual void onClick() = 0;
};

class StudentPieLineChart : public NSObject {
    NS_OBJECT(StudentPieLineChart, NSObject)
public:
    static constexpr CGFloat kLegendRowHeight = 40;

    // Slice records: "text" (title), "prfbal" (count, subtitled "%d人"), "data" (value), "color"
    // (six hexadecimal digits).
    const std::shared_ptr<NSMutableArray>& data() const { return m_data; }
    void setData(const std::shared_ptr<NSMutableArray>& data) { m_data = data; }
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title; }
    const UIColorRef& graphBgColor() const { return m_graphBgColor; }
    void setGraphBgColor(const UIColorRef& colour) { m_graphBgColor = colour; }
    std::shared_ptr<PieChartDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<PieChartDelegate>& delegate) { m_delegate = delegate; }

    const std::shared_ptr<DCPieChart>& pieChart() const { return m_pieChart; }

    void showPlot(const UIViewRef& host);
    void onClick(UITapGestureRecognizer&);

private:
    std::shared_ptr<DCPieChart> m_pieChart;
    std::shared_ptr<NSMutableArray> m_data;
    NSString m_title;
    UIColorRef m_graphBgColor;
    std::weak_ptr<PieChartDelegate> m_delegate;
};
