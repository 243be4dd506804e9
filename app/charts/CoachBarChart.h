#pragma once
// Draws the coach statistics as a bar chart on the plotting engine: a graph in a hosting view
// inside the caller's host view, one vertical bar per bucket record ("number", "title") with its
// count above it, the bucket titles under the bars, an automatic count axis with grid lines, and
// a grow animation. Each showPlot builds everything again and drops the chart drawn before. The
// count axis leaves room above the tallest bar for its count.

#include "framework/Source/PEBarPlot.h"
#include "framework/Source/PEMutableTextStyle.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/iPhoneOnly/PEGraphHostingView.h"
#include "platform/foundation/NSArray.h"

class PEGraph;

class CoachBarChart : public NSObject, public PEBarPlotDataSource, public PEBarPlotDelegate {
    NS_OBJECT(CoachBarChart, NSObject)
public:
    void showPlot(const UIViewRef& host, const std::shared_ptr<NSArray>& data);
    void hideAnnotation(PEGraph& graph);

    const std::vector<UIColorRef>& barColorArray() const { return m_barColorArray; }
    void setBarColorArray(std::vector<UIColorRef> colours) { m_barColorArray = std::move(colours); }
    const UIColorRef& graphBgColor() const { return m_graphBgColor; }
    void setGraphBgColor(const UIColorRef& colour) { m_graphBgColor = colour; }

    const std::shared_ptr<PEGraphHostingView>& hostingView() const { return m_hostingView; }
    const std::shared_ptr<PEBarPlot>& barPlot() const { return m_barPlot; }
    int yMaxValue() const { return m_yMaxValue; }
    const std::shared_ptr<NSMutableArray>& dates() const { return m_dates; }

    // The bar plot's data source and delegate.
    NSUInteger numberOfRecordsForPlot(PEPlot& plot) override;
    std::optional<id> numberForPlot(PEPlot& plot, NSUInteger field, NSUInteger index) override;
    std::optional<std::shared_ptr<PEFill>> barFillForBarPlot(PEBarPlot& plot, NSUInteger index) override;
    bool respondsToBarFillForBarPlot() const override { return true; }
    std::optional<std::shared_ptr<PELayer>> dataLabelForPlot(PEPlot& plot, NSUInteger index) override;
    bool barWasSelectedAtRecordIndex(PEBarPlot&, NSUInteger) override { return true; }

protected:
    void init();

private:
    void configureHost(const UIViewRef& host);
    void configureGraph();
    void configurePlots();
    void configureAxes();
    void configureXAxesLabels();
    void configureYAxesLabels();
    NSInteger recordCount() const { return m_dates ? NSInteger(m_dates->count()) : 0; }
    int numberAt(NSUInteger index) const;

    std::shared_ptr<PEGraphHostingView> m_hostingView;
    std::shared_ptr<PEPlotSpaceAnnotation> m_priceAnnotation;
    std::shared_ptr<PEMutableTextStyle> m_labelTextStyle;
    std::shared_ptr<PEMutableTextStyle> m_dataLabelStyle;
    std::shared_ptr<NSMutableArray> m_dates;
    std::int64_t m_yNum { 0 };
    int m_yMaxValue { 0 };
    int m_yIntervalValue { 0 };
    std::vector<UIColorRef> m_barColorArray;
    UIColorRef m_graphBgColor;
    std::shared_ptr<PEBarPlot> m_barPlot;
};
