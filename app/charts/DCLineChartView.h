#pragma once
// A line chart that draws itself: horizontal grid lines with their values on the left, the x
// labels along the bottom, one polyline per series with a ring at each point (gaps bridged),
// value labels kept from overlapping, and each series' title beside its last point. A range or
// interval that makes fewer than two grid lines draws the x labels only.

#include "app/charts/DCLineChartViewComponent.h"
#include "platform/text/UIFont.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/uikit/UIView.h"

#include <map>
#include <optional>
#include <vector>

class DCLineChartView : public UIView {
    NS_OBJECT(DCLineChartView, UIView)
public:
    using Components = std::vector<std::shared_ptr<DCLineChartViewComponent>>;

    float interval() const { return m_interval; }
    void setInterval(float interval) { m_interval = interval; }
    float minValue() const { return m_minValue; }
    void setMinValue(float value) { m_minValue = value; }
    float maxValue() const { return m_maxValue; }
    void setMaxValue(float value) { m_maxValue = value; }
    const Components& components() const { return m_components; }
    void setComponents(Components components) { m_components = std::move(components); }
    const std::vector<NSString>& xLabels() const { return m_xLabels; }
    void setXLabels(std::vector<NSString> labels) { m_xLabels = std::move(labels); }
    const UIFontRef& yLabelFont() const { return m_yLabelFont; }
    void setYLabelFont(const UIFontRef& font) { m_yLabelFont = font; }
    const UIFontRef& xLabelFont() const { return m_xLabelFont; }
    void setXLabelFont(const UIFontRef& font) { m_xLabelFont = font; }
    const UIFontRef& valueLabelFont() const { return m_valueLabelFont; }
    void setValueLabelFont(const UIFontRef& font) { m_valueLabelFont = font; }
    const UIFontRef& legendFont() const { return m_legendFont; }
    void setLegendFont(const UIFontRef& font) { m_legendFont = font; }
    bool autoscaleYAxis() const { return m_autoscaleYAxis; }
    void setAutoscaleYAxis(bool autoscale) { m_autoscaleYAxis = autoscale; }
    NSUInteger numYIntervals() const { return m_numYIntervals; }
    void setNumYIntervals(NSUInteger count) { m_numYIntervals = count; }
    NSUInteger numXIntervals() const { return m_numXIntervals; }
    void setNumXIntervals(NSUInteger count) { m_numXIntervals = count; }
    const std::optional<std::map<NSInteger, NSString>>& mappedYLabels() const { return m_mappedYLabels; }
    void setMappedYLabels(std::optional<std::map<NSInteger, NSString>> labels) { m_mappedYLabels = std::move(labels); }
    NSTextAlignment yLabelAlignment() const { return m_yLabelAlignment; }
    void setYLabelAlignment(NSTextAlignment alignment) { m_yLabelAlignment = alignment; }

    void drawRect(CGRect rect) override;

    // What the last drawing showed, for those who check it.
    struct Scale {
        double high { 0 };
        double low { 0 };
        int lines { 0 };
        int decimals { 0 };
    };
    const Scale& lastScale() const { return m_lastScale; }
    const std::vector<NSString>& lastYLabels() const { return m_lastYLabels; }

protected:
    void init(CGRect frame) override;

private:
    float m_interval { 20 };
    float m_minValue { 0 };
    float m_maxValue { 100 };
    Components m_components;
    std::vector<NSString> m_xLabels;
    UIFontRef m_yLabelFont;
    UIFontRef m_xLabelFont;
    UIFontRef m_valueLabelFont;
    UIFontRef m_legendFont;
    bool m_autoscaleYAxis { false };
    NSUInteger m_numYIntervals { 5 };
    NSUInteger m_numXIntervals { 1 };
    std::optional<std::map<NSInteger, NSString>> m_mappedYLabels;
    NSTextAlignment m_yLabelAlignment { NSTextAlignmentRight };
    Scale m_lastScale;
    std::vector<NSString> m_lastYLabels;
};
