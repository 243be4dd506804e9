#pragma once
// One entry of a legend: a plot's legend index at a grid cell, measuring and drawing its title.
// The plot is a weak link: the legend owns its plots.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGContext.h"
#include "platform/text/NSAttributedString.h"

class PEPlot;
class PETextStyle;

class PELegendEntry : public NSObject, public NSCoding {
    NS_OBJECT(PELegendEntry, NSObject)
public:
    std::shared_ptr<PEPlot> plot() const { return m_plot.lock(); }
    void setPlot(const std::shared_ptr<PEPlot>& plot) { m_plot = plot; }
    NSUInteger index() const { return m_index; }
    void setIndex(NSUInteger index) { m_index = index; }
    NSUInteger row() const { return m_row; }
    void setRow(NSUInteger row) { m_row = row; }
    NSUInteger column() const { return m_column; }
    void setColumn(NSUInteger column) { m_column = column; }
    // Whether the legend's grid has a cell for the entry.
    bool isPlaced() const { return m_placed; }
    void setPlaced(bool placed) { m_placed = placed; }
    const std::shared_ptr<PETextStyle>& textStyle() const { return m_textStyle; }
    void setTextStyle(const std::shared_ptr<PETextStyle>& style) { m_textStyle = style; }

    // Asked of the plot each time.
    NSString title() const;
    std::shared_ptr<NSAttributedString> attributedTitle() const;
    // Whole points.
    CGSize titleSize() const;
    // The rectangle is in the legend's y-up coordinates; the title is centred vertically on
    // whole device pixels and never squeezed below its own height.
    void drawTitleInRect(CGRect rect, const CGContextRef& context, CGFloat scale) const;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init() { }
    bool init(NSCoder& coder);

private:
    std::weak_ptr<PEPlot> m_plot;
    NSUInteger m_index { 0 };
    NSUInteger m_row { 0 };
    NSUInteger m_column { 0 };
    bool m_placed { false };
    std::shared_ptr<PETextStyle> m_textStyle;
};

using PELegendEntryRef = std::shared_ptr<PELegendEntry>;
