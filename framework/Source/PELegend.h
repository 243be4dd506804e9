#pragma once
// Lists a graph's plots as a grid of entries: each a swatch drawn by its plot, then a title.
// Layout, drawing and hit testing share one geometry (entryRect): an entry is hit where it is
// drawn, paddings included. Entries that do not fit a fixed grid are neither drawn nor hit.

#include "framework/Source/PEBorderedLayer.h"

#include <vector>

class NSNotification;
class PEFill;
class PELegend;
class PELegendEntry;
class PELineStyle;
class PEPlot;
class PETextStyle;

// All optional; the defaults change nothing.
class PELegendDelegate {
public:
    virtual ~PELegendDelegate() = default;
    virtual std::shared_ptr<PEFill> fillForEntryAtIndex(PELegend&, NSUInteger, PEPlot&) { return nullptr; }
    virtual std::shared_ptr<PELineStyle> lineStyleForEntryAtIndex(PELegend&, NSUInteger, PEPlot&) { return nullptr; }
    virtual bool shouldDrawSwatchAtIndex(PELegend&, NSUInteger, PEPlot&, CGRect, const CGContextRef&) { return true; }
    // Whether taps on entries are reported at all; without it they fall through to the layer.
    virtual bool wantsEntrySelection() const { return false; }
    virtual void legendEntryForPlotWasSelectedAtIndex(PELegend&, PEPlot&, NSUInteger) { }
    virtual void legendEntryForPlotWasSelectedAtIndex(PELegend&, PEPlot&, NSUInteger, const UIEventRef&) { }
};

class PELegend : public PEBorderedLayer {
    NS_OBJECT(PELegend, PEBorderedLayer)
public:
    static std::shared_ptr<PELegend> legendWithPlots(const std::vector<std::shared_ptr<PEPlot>>& plots);
    static std::shared_ptr<PELegend> legendWithGraph(const std::shared_ptr<PEGraph>& graph);
    ~PELegend() override;

    std::shared_ptr<PELegendDelegate> legendDelegate() const { return m_legendDelegate.lock(); }
    void setLegendDelegate(const std::shared_ptr<PELegendDelegate>& delegate) { m_legendDelegate = delegate; }

    // Plots and entries.
    const std::vector<std::shared_ptr<PEPlot>>& allPlots() const { return m_plots; }
    // Raises a range exception for a bad index.
    std::shared_ptr<PEPlot> plotAtIndex(NSUInteger index) const;
    std::shared_ptr<PEPlot> plotWithIdentifier(const id& identifier) const;
    void addPlot(const std::shared_ptr<PEPlot>& plot);
    // Raises the parameter assertion for an index past the end.
    void insertPlot(const std::shared_ptr<PEPlot>& plot, NSUInteger index);
    // Raises "PEException" for a plot the legend does not show.
    void removePlot(const std::shared_ptr<PEPlot>& plot);
    void removePlotWithIdentifier(const id& identifier);
    void removeLegendEntriesForPlot(const std::shared_ptr<PEPlot>& plot);
    const std::vector<std::shared_ptr<PELegendEntry>>& legendEntries() const { return m_legendEntries; }

    // Appearance.
    const std::shared_ptr<PETextStyle>& textStyle() const { return m_textStyle; }
    void setTextStyle(const std::shared_ptr<PETextStyle>& style);
    // (0, 0): a square of 1.5 times the font size (15 without a style).
    CGSize swatchSize() const;
    void setSwatchSize(CGSize size);
    const std::shared_ptr<PELineStyle>& swatchBorderLineStyle() const { return m_swatchBorderLineStyle; }
    void setSwatchBorderLineStyle(const std::shared_ptr<PELineStyle>& style);
    CGFloat swatchCornerRadius() const { return m_swatchCornerRadius; }
    void setSwatchCornerRadius(CGFloat radius);
    const std::shared_ptr<PEFill>& swatchFill() const { return m_swatchFill; }
    void setSwatchFill(const std::shared_ptr<PEFill>& fill);
    const std::shared_ptr<PELineStyle>& entryBorderLineStyle() const { return m_entryBorderLineStyle; }
    void setEntryBorderLineStyle(const std::shared_ptr<PELineStyle>& style);
    CGFloat entryCornerRadius() const { return m_entryCornerRadius; }
    void setEntryCornerRadius(CGFloat radius);
    const std::shared_ptr<PEFill>& entryFill() const { return m_entryFill; }
    void setEntryFill(const std::shared_ptr<PEFill>& fill);
    CGFloat entryPaddingLeft() const { return m_entryPaddingLeft; }
    void setEntryPaddingLeft(CGFloat padding);
    CGFloat entryPaddingTop() const { return m_entryPaddingTop; }
    void setEntryPaddingTop(CGFloat padding);
    CGFloat entryPaddingRight() const { return m_entryPaddingRight; }
    void setEntryPaddingRight(CGFloat padding);
    CGFloat entryPaddingBottom() const { return m_entryPaddingBottom; }
    void setEntryPaddingBottom(CGFloat padding);
    NSUInteger numberOfRows() const { return m_numberOfRows; }
    void setNumberOfRows(NSUInteger rows);
    NSUInteger numberOfColumns() const { return m_numberOfColumns; }
    void setNumberOfColumns(NSUInteger columns);
    bool equalRows() const { return m_equalRows; }
    void setEqualRows(bool equal);
    bool equalColumns() const { return m_equalColumns; }
    void setEqualColumns(bool equal);
    // Minimum heights and widths per row and column.
    const std::vector<CGFloat>& rowHeights() const { return m_rowHeights; }
    void setRowHeights(const std::vector<CGFloat>& heights);
    const std::vector<CGFloat>& columnWidths() const { return m_columnWidths; }
    void setColumnWidths(const std::vector<CGFloat>& widths);
    CGFloat columnMargin() const { return m_columnMargin; }
    void setColumnMargin(CGFloat margin);
    CGFloat rowMargin() const { return m_rowMargin; }
    void setRowMargin(CGFloat margin);
    CGFloat titleOffset() const { return m_titleOffset; }
    void setTitleOffset(CGFloat offset);

    // Layout.
    bool layoutChanged() const { return m_layoutChanged; }
    void setLayoutChanged(bool changed = true);
    // Computed by the layout, one per grid row or column.
    const std::vector<CGFloat>& rowHeightsThatFit();
    const std::vector<CGFloat>& columnWidthsThatFit();
    void recalculateLayout();
    // Where an entry is drawn and hit; CGRectNull for an entry without a cell.
    CGRect entryRect(const PELegendEntry& entry);

    void setPaddingLeft(CGFloat padding) override;
    void setPaddingTop(CGFloat padding) override;
    void setPaddingRight(CGFloat padding) override;
    void setPaddingBottom(CGFloat padding) override;
    void setBorderLineStyle(const std::shared_ptr<PELineStyle>& style) override;

    void layoutSublayers() override;
    bool needsDisplayForKey(const NSString& key) const override;
    // The animatable keys are read and written by name, as animations do.
    id valueForKey(const NSString& key) const override;
    void setValue(const id& value, const NSString& key) override;
    void renderAsVectorInContext(const CGContextRef& context) override;
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    NSString description() const override;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    void init() { init(CGRectZero); }
    bool init(NSCoder& coder);

private:
    static std::span<const FloatKey<PELegend>> animatableFloatKeys();
    void observePlot(const std::shared_ptr<PEPlot>& plot);
    void stopObservingPlot(const std::shared_ptr<PEPlot>& plot);
    void insertEntriesForPlot(const std::shared_ptr<PEPlot>& plot, std::size_t position);
    void legendNeedsRedraw(const std::shared_ptr<NSNotification>& notification);
    void legendNeedsLayout(const std::shared_ptr<NSNotification>& notification);
    void legendNeedsReloadEntries(const std::shared_ptr<NSNotification>& notification);
    void ensureLayout();
    CGFloat borderWidth() const;

    std::weak_ptr<PELegendDelegate> m_legendDelegate;
    std::vector<std::shared_ptr<PEPlot>> m_plots;
    std::vector<std::shared_ptr<PELegendEntry>> m_legendEntries;
    bool m_layoutChanged { true };
    std::shared_ptr<PETextStyle> m_textStyle;
    CGSize m_swatchSize {};
    std::shared_ptr<PELineStyle> m_swatchBorderLineStyle;
    CGFloat m_swatchCornerRadius { 0 };
    std::shared_ptr<PEFill> m_swatchFill;
    std::shared_ptr<PELineStyle> m_entryBorderLineStyle;
    CGFloat m_entryCornerRadius { 0 };
    std::shared_ptr<PEFill> m_entryFill;
    CGFloat m_entryPaddingLeft { 0 };
    CGFloat m_entryPaddingTop { 0 };
    CGFloat m_entryPaddingRight { 0 };
    CGFloat m_entryPaddingBottom { 0 };
    NSUInteger m_numberOfRows { 0 };
    NSUInteger m_numberOfColumns { 0 };
    bool m_equalRows { true };
    bool m_equalColumns { false };
    std::vector<CGFloat> m_rowHeights;
    std::vector<CGFloat> m_columnWidths;
    std::vector<CGFloat> m_rowHeightsThatFit;
    std::vector<CGFloat> m_columnWidthsThatFit;
    bool m_hasComputedLayout { false };
    NSUInteger m_usedRows { 0 };
    CGFloat m_columnMargin { 10.0 };
    CGFloat m_rowMargin { 5.0 };
    CGFloat m_titleOffset { 5.0 };
};

using PELegendRef = std::shared_ptr<PELegend>;
