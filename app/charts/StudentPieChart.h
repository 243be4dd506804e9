#pragma once
// Builds a learner pie chart with the plotting engine inside a given view: a hosting view, an XY
// graph in the "Plain White" theme without axes, one pie and a one-row legend, fed by this
// object. Slices below one unit are raised to one before drawing and what they gain is taken
// from the larger slices in proportion to their size, so the whole keeps its total.
//
// Slices are dictionaries: "data" (percentage share), "text" (title), "prfbal" (head count) and
// "color" (six hexadecimal digits).

#include "framework/Source/PEPieChart.h"
#include "framework/iPhoneOnly/PEGraphHostingView.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UIColor.h"

class PEXYGraph;

class StudentPieChart : public NSObject, public PEPieChartDataSource, public PEPieChartDelegate {
    NS_OBJECT(StudentPieChart, NSObject)
public:
    const std::shared_ptr<NSMutableArray>& data() const { return m_data; }
    void setData(const std::shared_ptr<NSMutableArray>& data) { m_data = data; }
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title; }
    const UIColorRef& graphBgColor() const { return m_graphBgColor; }
    void setGraphBgColor(const UIColorRef& color) { m_graphBgColor = color; }

    void showPlot(const std::shared_ptr<UIView>& view);
    void removeChart();
    void configureHost(const std::shared_ptr<UIView>& view);
    void configureGraph();
    void configureChart();

    const std::shared_ptr<PEGraphHostingView>& hostingView() const { return m_hostingView; }
    // The widths drawn, after evening out.
    const std::shared_ptr<NSMutableArray>& handledArr() const { return m_handledArr; }

    // Width-limited shortening: a character below U+0100 counts 1, any other 2; cuts fall
    // between whole characters as the reader sees them.
    static NSUInteger charAtIndexByCount(const NSString& text, NSInteger count);
    static NSString stringAtIndexByCount(const NSString& text, NSInteger count);
    // Raises every value below 1 to 1 and takes the amount added from the values that can give
    // it, in proportion to their size; the total stays.
    static void evenOut(std::vector<double>& values);

    NSUInteger numberOfRecordsForPlot(PEPlot& plot) override;
    std::optional<id> numberForPlot(PEPlot& plot, NSUInteger field, NSUInteger index) override;
    std::optional<std::shared_ptr<PELayer>> dataLabelForPlot(PEPlot& plot, NSUInteger index) override;
    std::optional<std::shared_ptr<PEFill>> sliceFillForPieChart(PEPieChart& chart, NSUInteger index) override;
    std::optional<NSString> legendTitleForPieChart(PEPieChart& chart, NSUInteger index) override;

protected:
    void init();

private:
    std::shared_ptr<NSDictionary> sliceAt(const std::shared_ptr<NSMutableArray>& slices, NSUInteger index) const;

    std::shared_ptr<NSMutableArray> m_data;
    NSString m_title;
    UIColorRef m_graphBgColor;
    std::shared_ptr<PEGraphHostingView> m_hostingView;
    std::shared_ptr<NSMutableArray> m_handledArr;
    std::shared_ptr<PEXYGraph> m_graph;
};
