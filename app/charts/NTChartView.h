#pragma once
// A grouped column chart that draws itself with a raised look: a two-line title, a legend row,
// a scale of six levels over a dashed back wall, and one column per value with a lighter top and
// a darker side. Title, legend and x labels are labels of its own, made once and laid out again
// when the data changes; the scale follows the data of each drawing.

#include "platform/foundation/NSNumberFormatter.h"
#include "platform/uikit/UILabel.h"

#include <vector>

class NTChartView : public UIView {
    NS_OBJECT(NTChartView, UIView)
public:
    using Groups = std::vector<std::vector<double>>;

    const Groups& groupData() const { return m_groupData; }
    void setGroupData(Groups data);
    const std::vector<NSString>& groupTitle() const { return m_groupTitle; }
    void setGroupTitle(std::vector<NSString> titles);
    const std::vector<UIColorRef>& groupTitleColor() const { return m_groupTitleColor; }
    void setGroupTitleColor(std::vector<UIColorRef> colours);
    const std::vector<NSString>& xAxisLabel() const { return m_xAxisLabel; }
    void setXAxisLabel(std::vector<NSString> labels);
    // The main title and the subtitle.
    const std::vector<NSString>& chartTitle() const { return m_chartTitle; }
    void setChartTitle(std::vector<NSString> titles);
    NSUInteger numberFormatterStyle() const { return m_numberFormatterStyle; }
    void setNumberFormatterStyle(NSUInteger style) { m_numberFormatterStyle = style; }
    float custColumnWidth() const { return m_custColumnWidth; }
    void setCustColumnWidth(float width) { m_custColumnWidth = width; }
    NSInteger chartType() const { return m_chartType; }
    void setChartType(NSInteger type) { m_chartType = type; }

    // The scale the data asks for, computed again on every drawing.
    void calcScales(CGRect rect);
    float maxValue() const { return m_maxValue; }
    float maxScaleValue() const { return m_maxScaleValue; }
    float maxScaleHeight() const { return m_maxScaleHeight; }
    float columnWidth() const { return m_columnWidth; }
    // The value text of a column, as the number style writes it.
    NSString valueText(double value) const;

    static CGColorRef defaultColorForIndex(NSUInteger index);
    // A light bar along the bottom, under the legend, with a drop shadow; the drawing does not
    // use it, a subclass may.
    void drawNum(const CGContextRef& context, CGRect rect);

    void drawRect(CGRect rect) override;
    void layoutSubviews() override;

    const std::vector<UILabelRef>& titleLabels() const { return m_titleLabels; }
    const std::vector<UILabelRef>& legendLabels() const { return m_legendLabels; }
    const std::vector<UILabelRef>& xLabels() const { return m_xLabels; }

protected:
    void init();
    void init(CGRect frame) override;

private:
    void dataChanged();
    UIColorRef colourOf(std::size_t series) const;
    void drawLegend(const CGContextRef& context, CGRect rect);
    void drawScale(const CGContextRef& context, CGRect rect);
    void drawColumn(const CGContextRef& context, CGRect rect);

    Groups m_groupData;
    std::vector<NSString> m_groupTitle;
    std::vector<UIColorRef> m_groupTitleColor;
    std::vector<NSString> m_xAxisLabel;
    std::vector<NSString> m_chartTitle;
    NSUInteger m_numberFormatterStyle { NSNumberFormatterDecimalStyle };
    float m_custColumnWidth { 0 };
    NSInteger m_chartType { 0 };
    float m_maxValue { 0 };
    float m_maxScaleValue { 5 };
    float m_maxScaleHeight { 0 };
    float m_columnWidth { 0 };
    std::vector<UILabelRef> m_titleLabels;
    std::vector<UILabelRef> m_legendLabels;
    std::vector<UILabelRef> m_xLabels;
};
