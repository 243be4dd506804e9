#include "tools/demo/DrawnChartsDemo.h"

#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIScreen.h"

#include <cmath>

namespace {

constexpr CGFloat kChartTop = 120;

std::shared_ptr<NSArray> series(std::initializer_list<double> values)
{
    auto points = NSMutableArray::array();
    for (double value : values) {
        if (std::isnan(value))
            points->addObject(NSNull::null());
        else
            points->addObject(NSNumber::numberWithDouble(value));
    }
    return points;
}

UIColorRef hex(unsigned rgb) { return UIColor::colorWithRed((rgb >> 16) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1); }

} // namespace

std::shared_ptr<DCLineChartView> DrawnChartsViewController::sampleLineChart(CGRect frame)
{
    auto chart = DCLineChartView::create(frame);
    chart->setXLabels({ "一月", "二月", "三月", "四月", "五月", "六月" });
    auto passed = DCLineChartViewComponent::create();
    passed->setTitle("合格率");
    passed->setColour(hex(0xe66444));
    passed->setPoints(series({ 62, 68, NAN, 74, 81, 86 }));
    passed->setShouldLabelValues(true);
    auto booked = DCLineChartViewComponent::create();
    booked->setTitle("约考率");
    booked->setColour(hex(0x5395ba));
    booked->setPoints(series({ 40, 45, 52, 58, 55, 63 }));
    booked->setShouldLabelValues(true);
    booked->setLabelFormat("%.0f%%");
    chart->setComponents({ passed, booked });
    return chart;
}

std::shared_ptr<DCHalfPieChart> DrawnChartsViewController::sampleHalfPie(CGRect frame)
{
    auto chart = DCHalfPieChart::create(frame);
    chart->setTitle("在学人数");
    const std::pair<const char*, std::pair<float, unsigned>> classes[] = { { "C1", { 30, 0xe66444 } }, { "C2", { 50, 0xa2c159 } },
        { "B2", { 20, 0x9178af } } };
    DCHalfPieChart::Components components;
    for (const auto& [name, share] : classes) {
        auto component = DCHalfPieComponent::halfPieComponentWithTitle(name, share.first);
        component->setColour(hex(share.second));
        components.push_back(component);
    }
    chart->setComponents(components);
    return chart;
}

std::shared_ptr<NTChartView> DrawnChartsViewController::sampleColumns(CGRect frame)
{
    auto chart = NTChartView::create(frame);
    chart->setBackgroundColor(hex(0x2f4a34));
    chart->setChartTitle({ "科目考试合格人数", "2014 与 2015 年上半年" });
    chart->setGroupTitle({ "2014年", "2015年" });
    chart->setGroupTitleColor({ hex(0xe96860), hex(0x5395ba) });
    chart->setXAxisLabel({ "科目一", "科目二", "科目三" });
    chart->setGroupData({ { 18, 12, 9 }, { 23.2, 15, 11 } });
    return chart;
}

void DrawnChartsViewController::loadView()
{
    auto view = UIView::create(UIScreen::mainScreen()->bounds());
    view->setBackgroundColor(UIColor::whiteColor());
    setView(view);
    setTitle("自绘图表");
    const char* titles[] = { "折线图", "半圆图", "柱状图" };
    void (DrawnChartsViewController::*actions[])() = { &DrawnChartsViewController::showLine, &DrawnChartsViewController::showHalfPie,
        &DrawnChartsViewController::showColumns };
    for (int i = 0; i < 3; ++i) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(20 + i * 97, 70, 87, 36));
        button->setBackgroundColor(hex(0x3d9bd8));
        button->setTitle(titles[i], UIControlStateNormal);
        button->titleLabel()->setFont(UIFont::systemFontOfSize(15));
        button->addTarget(self(), actions[i], UIControlEventTouchUpInside);
        view->addSubview(button);
        m_buttons.push_back(button);
    }
    showLine();
}

void DrawnChartsViewController::show(const UIViewRef& chart)
{
    if (m_shown)
        m_shown->removeFromSuperview();
    m_shown = chart;
    view()->addSubview(chart);
    chart->setNeedsDisplay();
}

void DrawnChartsViewController::showLine() { show(sampleLineChart(CGRectMake(0, kChartTop, 320, 260))); }
void DrawnChartsViewController::showHalfPie() { show(sampleHalfPie(CGRectMake(10, kChartTop + 20, 300, 160))); }
void DrawnChartsViewController::showColumns() { show(sampleColumns(CGRectMake(0, kChartTop, 320, 320))); }
