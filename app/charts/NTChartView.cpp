#include "app/charts/NTChartView.h"

#include "platform/foundation/NSNumber.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIStringDrawing.h"

#include <array>
#include <cmath>

namespace {

UIFontRef namedFont(const char* name, CGFloat size)
{
    auto font = UIFont::fontWithName(name, size);
    return font ? font : UIFont::boldSystemFontOfSize(size);
}

// The digital-display face where the system has it.
UIFontRef numberFont(CGFloat size) { return namedFont("DBLCDTempBlack", size); }

UILabelRef plainLabel(const UIViewRef& parent)
{
    auto label = UILabel::create(CGRectZero);
    label->setBackgroundColor(UIColor::clearColor());
    parent->addSubview(label);
    return label;
}

void fillPolygon(const CGContextRef& context, std::initializer_list<CGPoint> points)
{
    CGContextBeginPath(context);
    bool first = true;
    for (CGPoint point : points) {
        if (first)
            CGContextMoveToPoint(context, point.x, point.y);
        else
            CGContextAddLineToPoint(context, point.x, point.y);
        first = false;
    }
    CGContextClosePath(context);
    CGContextFillPath(context);
}

} // namespace

void NTChartView::init()
{
    init(CGRectZero);
}

void NTChartView::init(CGRect frame)
{
    UIView::init(frame);
    m_numberFormatterStyle = NSNumberFormatterDecimalStyle;
}

void NTChartView::dataChanged()
{
    setNeedsLayout();
    setNeedsDisplay();
}

void NTChartView::setGroupData(Groups data)
{
    m_groupData = std::move(data);
    dataChanged();
}

void NTChartView::setGroupTitle(std::vector<NSString> titles)
{
    m_groupTitle = std::move(titles);
    dataChanged();
}

void NTChartView::setGroupTitleColor(std::vector<UIColorRef> colours)
{
    m_groupTitleColor = std::move(colours);
    dataChanged();
}

void NTChartView::setXAxisLabel(std::vector<NSString> labels)
{
    m_xAxisLabel = std::move(labels);
    dataChanged();
}

void NTChartView::setChartTitle(std::vector<NSString> titles)
{
    m_chartTitle = std::move(titles);
    dataChanged();
}

CGColorRef NTChartView::defaultColorForIndex(NSUInteger index)
{
    static const std::array<std::array<CGFloat, 3>, 10> table { { { 1.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 }, { 0.0, 0.0, 1.0 },
        { 1.0, 1.0, 0.0 }, { 0.25, 0.5, 0.25 }, { 1.0, 0.0, 1.0 }, { 0.5, 0.5, 0.5 }, { 0.25, 0.5, 0.0 }, { 0.25, 0.25, 0.25 },
        { 0.0, 1.0, 1.0 } } };
    const auto& rgb = table[index % table.size()];
    return UIColor::colorWithRed(rgb[0], rgb[1], rgb[2], 1)->CGColor();
}

void NTChartView::drawNum(const CGContextRef& context, CGRect rect)
{
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextSetRGBFillColor(context, 0.9, 0.9, 0.9, 1);
    CGContextSetShadow(context, CGSizeMake(2, 2), 2);
    CGContextFillRect(context, CGRectMake(50, rect.size.height - 40, rect.size.width - 100, 24));
    const CGColorRef colour = defaultColorForIndex(1);
    CGContextSetFillColorWithColor(context, colour);
    CGContextSetStrokeColorWithColor(context, colour);
    CGContextRestoreGState(context);
}

UIColorRef NTChartView::colourOf(std::size_t series) const
{
    return series < m_groupTitleColor.size() && m_groupTitleColor[series] ? m_groupTitleColor[series] : nullptr;
}

void NTChartView::calcScales(CGRect rect)
{
    m_maxValue = 0;
    for (const auto& group : m_groupData)
        for (double value : group)
            if (std::isfinite(value) && value > m_maxValue)
                m_maxValue = float(value);
    std::size_t n = 0;
    for (const auto& group : m_groupData) {
        if (!group.empty()) {
            n = group.size();
            break;
        }
    }
    m_maxScaleValue = float(5 * (int(std::ceil(m_maxValue)) / 5) + 5);
    const float width = m_custColumnWidth != 0 ? m_custColumnWidth : (n ? float(rect.size.width - 50) / float(3 * n) : 0);
    m_columnWidth = 0.8f * width;
}

NSString NTChartView::valueText(double value) const
{
    auto formatter = NSNumberFormatter::create();
    const bool percent = m_numberFormatterStyle == NSNumberFormatterPercentStyle;
    formatter->setNumberStyle(NSNumberFormatterStyle(percent ? NSNumberFormatterDecimalStyle : m_numberFormatterStyle));
    const NSString text = formatter->stringFromNumber(NSNumber::numberWithDouble(value));
    return percent ? NSString::stringWithFormat("%@%%", text) : text;
}

void NTChartView::layoutSubviews()
{
    UIView::layoutSubviews();
    const CGRect R = bounds();
    const CGFloat W = R.size.width;
    const CGFloat H = R.size.height;
    calcScales(R);
    auto self = this->self();

    if (m_titleLabels.empty()) {
        m_titleLabels.push_back(plainLabel(self)); // subtitle, under the title
        m_titleLabels.push_back(plainLabel(self));
    }
    auto& subtitle = m_titleLabels[0];
    subtitle->setFrame(CGRectMake(0, 30, W, 35));
    subtitle->setFont(namedFont("Helvetica-Bold", 12));
    subtitle->setTextColor(UIColor::grayColor());
    subtitle->setTextAlignment(NSTextAlignmentCenter);
    subtitle->setText(m_chartTitle.size() > 1 ? m_chartTitle[1] : NSString());
    auto& title = m_titleLabels[1];
    title->setFrame(CGRectMake(0, 0, W, 35));
    title->setFont(namedFont("Helvetica-Bold", 15));
    title->setTextColor(UIColor::whiteColor());
    title->setShadowColor(UIColor::colorWithWhite(0.6, 0.8));
    title->setShadowOffset(CGSizeMake(2, 2));
    title->setTextAlignment(NSTextAlignmentCenter);
    title->setLineBreakMode(NSLineBreakByWordWrapping);
    title->setNumberOfLines(1);
    title->setText(m_chartTitle.empty() ? NSString() : m_chartTitle[0]);

    while (m_legendLabels.size() > m_groupTitle.size()) {
        m_legendLabels.back()->removeFromSuperview();
        m_legendLabels.pop_back();
    }
    CGFloat x = 55;
    for (std::size_t k = 0; k < m_groupTitle.size(); ++k) {
        if (k == m_legendLabels.size())
            m_legendLabels.push_back(plainLabel(self));
        auto& label = m_legendLabels[k];
        label->setFont(namedFont("Helvetica-Bold", 12));
        label->setTextColor(UIColor::grayColor());
        label->setTextAlignment(NSTextAlignmentLeft);
        label->setText(m_groupTitle[k]);
        const CGFloat textWidth = UIStringDrawing::sizeWithFont(m_groupTitle[k], label->font(), CGSizeMake(W, 18)).width;
        label->setFrame(CGRectMake(x + 15, H - 37, textWidth, 18));
        x = int(x + 15 + textWidth + 15);
    }

    const std::size_t positions = m_groupData.empty() ? 0 : m_groupData.front().size() + 1;
    while (m_xLabels.size() > positions) {
        m_xLabels.back()->removeFromSuperview();
        m_xLabels.pop_back();
    }
    for (std::size_t j = 0; j < positions; ++j) {
        if (j == m_xLabels.size())
            m_xLabels.push_back(plainLabel(self));
        auto& label = m_xLabels[j];
        label->setFrame(CGRectMake(60 + 60 * j + j * m_columnWidth, H - 55, W, 14));
        label->setFont(UIFont::systemFontOfSize(13));
        label->setTextColor(UIColor::blackColor());
        label->setTextAlignment(NSTextAlignmentLeft);
        label->setText(j < m_xAxisLabel.size() ? m_xAxisLabel[j] : NSString());
    }
}

void NTChartView::drawRect(CGRect rect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    drawLegend(context, rect);
    calcScales(rect);
    drawScale(context, rect);
    drawColumn(context, rect);
}

void NTChartView::drawLegend(const CGContextRef& context, CGRect rect)
{
    CGContextSaveGState(context);
    const CGFloat H = rect.size.height;
    for (std::size_t k = 0; k < m_groupTitle.size() && k < m_legendLabels.size(); ++k) {
        auto colour = colourOf(k);
        CGContextSetFillColorWithColor(context, (colour ? colour : UIColor::blueColor())->CGColor());
        CGContextSetShadow(context, CGSizeMake(2, 2), 1);
        CGContextFillRect(context, CGRectMake(m_legendLabels[k]->frame().origin.x - 15, H - 32, 10, 10));
    }
    CGContextRestoreGState(context);
}

void NTChartView::drawScale(const CGContextRef& context, CGRect rect)
{
    CGContextSaveGState(context);
    CGContextSetShouldAntialias(context, false);
    const CGFloat W = rect.size.width;
    const CGFloat B = rect.size.height - 60;
    const CGFloat dash[] = { 2, 3 };
    CGContextSetRGBStrokeColor(context, 0, 0, 0, 1);
    CGContextSetLineWidth(context, 1);
    CGContextMoveToPoint(context, 40, 60);
    CGContextAddLineToPoint(context, 40, B + 1);
    CGContextAddLineToPoint(context, W - 10, B + 1);
    CGContextStrokePath(context);
    CGContextSetLineDash(context, 0, dash, 2);
    CGContextMoveToPoint(context, 60, 40);
    CGContextAddLineToPoint(context, 60, B - 19);
    CGContextAddLineToPoint(context, W + 10, B - 19);
    CGContextStrokePath(context);

    CGContextSetRGBFillColor(context, 0, 0, 0, 1);
    const auto font = numberFont(12);
    for (int i = 0; i <= 5; ++i) {
        m_maxScaleHeight = float(B * i / 6);
        const CGFloat y = B - m_maxScaleHeight;
        const NSString text = NSString::stringWithFormat("%d", int(std::ceil(i * m_maxScaleValue / 5)));
        const CGSize size = UIStringDrawing::sizeWithFont(text, font);
        UIStringDrawing::drawAtPoint(text, CGPointMake(30 - size.width, y - 10), font);
        CGContextSetLineDash(context, 0, nullptr, 0);
        CGContextMoveToPoint(context, 40, y);
        CGContextAddLineToPoint(context, 37, y);
        CGContextStrokePath(context);
        CGContextSetLineDash(context, 0, dash, 2);
        CGContextMoveToPoint(context, 40, y);
        CGContextAddLineToPoint(context, 60, y - 20);
        CGContextAddLineToPoint(context, W + 10, y - 20);
        CGContextStrokePath(context);
    }
    m_maxScaleHeight = float(B * 5 / 6);
    CGContextSetShouldAntialias(context, true);
    CGContextRestoreGState(context);
}

void NTChartView::drawColumn(const CGContextRef& context, CGRect rect)
{
    CGContextSaveGState(context);
    const CGFloat B = int(rect.size.height - 60);
    const CGFloat cw = m_columnWidth;
    const auto font = numberFont(14);
    struct Value {
        NSString text;
        CGPoint at;
        UIColorRef colour;
    };
    std::vector<Value> values;
    for (std::size_t i = 0; i < m_groupData.size(); ++i) {
        const auto colour = colourOf(i);
        const auto front = colour ? colour : UIColor::blueColor();
        for (std::size_t j = 0; j < m_groupData[i].size(); ++j) {
            const double v = std::isfinite(m_groupData[i][j]) ? m_groupData[i][j] : 0;
            const CGFloat X = 50 + 60 * CGFloat(j) + CGFloat(i + j) * cw;
            const CGFloat h = CGFloat(v / m_maxScaleValue * m_maxScaleHeight);
            const CGFloat T = B - h;
            CGContextSetFillColorWithColor(context, front->CGColor());
            CGContextSetStrokeColorWithColor(context, front->CGColor());
            const NSString text = valueText(v);
            const CGSize size = UIStringDrawing::sizeWithFont(text, font);
            values.push_back({ text, CGPointMake(X + 20, T - size.height - 24), front });
            CGContextFillRect(context, CGRectMake(X, T, cw, h));
            if (h >= 10) {
                if (colour)
                    CGContextSetFillColorWithColor(context, colour->CGColor());
                else
                    CGContextSetRGBFillColor(context, 0, 0, 0.7, 1);
                fillPolygon(context, { CGPointMake(X + cw, T), CGPointMake(X + cw + 20, T - 20), CGPointMake(X + cw + 20, B - 20), CGPointMake(X + cw, B) });
                if (colour)
                    CGContextSetFillColorWithColor(context, colour->CGColor());
                else
                    CGContextSetRGBFillColor(context, 0.4, 0.4, 1.0, 1);
                fillPolygon(context, { CGPointMake(X, T), CGPointMake(X + 20, T - 20), CGPointMake(X + cw + 20, T - 20), CGPointMake(X + cw, T) });
            }
        }
    }
    // The values go over every column: a value reaches over its right neighbour, which drawn
    // after it would hide it.
    for (const auto& value : values) {
        CGContextSetFillColorWithColor(context, value.colour->CGColor());
        UIStringDrawing::drawAtPoint(value.text, value.at, font);
    }
    CGContextRestoreGState(context);
}
