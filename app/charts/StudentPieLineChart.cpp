#include "app/charts/StudentPieLineChart.h"

#include "app/screens/base/UIColor_Addition.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/TypedValues.h"
#include "platform/layers/CALayer.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UILabel.h"

#include <cmath>

namespace {

constexpr CGFloat kSwatch = 15;
constexpr CGFloat kTitleGap = 2;
constexpr CGFloat kItemGap = 10;
constexpr CGFloat kLeadIn = 3;

struct LegendItem {
    UIColorRef colour;
    NSString text;
    CGFloat textWidth;
    CGFloat width() const { return kSwatch + kTitleGap + textWidth + kItemGap; }
};

} // namespace

void StudentPieLineChart::showPlot(const UIViewRef& host)
{
    if (!host)
        return;
    if (m_pieChart) {
        m_pieChart->removeFromSuperview();
        m_pieChart = nullptr;
    }
    const CGRect b = host->bounds();
    const CGFloat pieHeight = std::trunc(b.size.height / 3 + b.size.height / 3);
    const CGFloat width = std::trunc(b.size.width);
    const auto titleFont = UIFont::systemFontOfSize(13);
    DCPieChart::Components components;
    std::vector<LegendItem> items;
    const NSUInteger count = m_data ? m_data->count() : 0;
    for (NSUInteger i = 0; i < count; ++i) {
        auto record = ns::dictionaryValue(m_data->objectAtIndex(i));
        const NSString text = ns::stringForKey(record, "text");
        const NSString subTitle = NSString::stringWithFormat("%d人", ns::intForKey(record, "prfbal"));
        const double value = ns::doubleForKey(record, "data");
        auto component = DCPieComponent::pieComponentWithTitle(text, subTitle, std::isfinite(value) ? static_cast<float>(value) : 0.0f);
        component->setColour(UIColor_Addition::colorWithHexString(ns::stringForKey(record, "color")));
        components.push_back(component);
        const CGFloat textWidth = UIStringDrawing::sizeWithFont(text, titleFont, CGSizeMake(width, 21), NSLineBreakByWordWrapping).width;
        items.push_back({ component->colour(), text, textWidth });
    }

    // One row as long as it fits; otherwise as many rows as needed, each centred on its own.
    std::vector<std::vector<LegendItem>> rows(1);
    CGFloat x = kLeadIn;
    for (const auto& item : items) {
        if (!rows.back().empty() && x + item.width() - kItemGap > width) {
            rows.emplace_back();
            x = kLeadIn;
        }
        rows.back().push_back(item);
        x += item.width();
    }
    // The pie and the legend are centred together in the host.
    const CGFloat legendHeight = kLegendRowHeight * CGFloat(rows.size());
    m_pieChart = DCPieChart::create(CGRectMake((b.size.width - width) / 2, (b.size.height - pieHeight - legendHeight) / 2, width, pieHeight));
    m_pieChart->setUserInteractionEnabled(true);
    m_pieChart->addGestureRecognizer(UITapGestureRecognizer::create(self(), &StudentPieLineChart::onClick));
    m_pieChart->setAutoresizingMask(45);
    host->addSubview(m_pieChart);
    m_pieChart->setDiameter(static_cast<int>(pieHeight) / 2);
    m_pieChart->setSameColorLabel(true);
    m_pieChart->setTitleFont(UIFont::systemFontOfSize(12));
    m_pieChart->setPercentageFont(UIFont::systemFontOfSize(13));

    const CGFloat legendTop = m_pieChart->frame().origin.y + m_pieChart->frame().size.height;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        auto legend = UIView::create(CGRectMake(0, legendTop + row * kLegendRowHeight, width, kLegendRowHeight));
        host->addSubview(legend);
        CGFloat at = kLeadIn;
        for (const auto& item : rows[row]) {
            auto swatch = UIView::create(CGRectMake(at, (kLegendRowHeight - kSwatch) / 2, kSwatch, kSwatch));
            swatch->setBackgroundColor(item.colour);
            swatch->layer()->setMasksToBounds(true);
            swatch->layer()->setCornerRadius(3.0);
            legend->addSubview(swatch);
            auto label = UILabel::create(CGRectMake(at + kSwatch + kTitleGap, (kLegendRowHeight - 21) / 2, item.textWidth, 21));
            label->setBackgroundColor(UIColor::clearColor());
            label->setFont(titleFont);
            label->setTextColor(UIColor::blackColor());
            label->setText(item.text);
            legend->addSubview(label);
            at += item.width();
        }
        legend->setFrame(CGRectMake((width - at) / 2, legend->frame().origin.y, at, kLegendRowHeight));
    }

    m_pieChart->setComponents(std::move(components));
    m_pieChart->setNeedsDisplay();
}

void StudentPieLineChart::onClick(UITapGestureRecognizer&)
{
    if (auto delegate = m_delegate.lock())
        delegate->onClick();
}
