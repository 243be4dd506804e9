#include "framework/Source/PELegend.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PELegendEntry.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEPlot.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/layers/NSValueGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

std::shared_ptr<PELegend> PELegend::legendWithPlots(const std::vector<std::shared_ptr<PEPlot>>& plots)
{
    auto legend = create(CGRectZero);
    for (const auto& plot : plots)
        legend->addPlot(plot);
    return legend;
}

std::shared_ptr<PELegend> PELegend::legendWithGraph(const std::shared_ptr<PEGraph>& graph)
{
    return legendWithPlots(graph ? graph->allPlots() : std::vector<std::shared_ptr<PEPlot>> {});
}

void PELegend::init(CGRect frame)
{
    PEBorderedLayer::init(frame);
    m_textStyle = PETextStyle::textStyle();
    PEBorderedLayer::setPaddingLeft(5.0);
    PEBorderedLayer::setPaddingTop(5.0);
    PEBorderedLayer::setPaddingRight(5.0);
    PEBorderedLayer::setPaddingBottom(5.0);
    setNeedsDisplayOnBoundsChange(true);
}

PELegend::~PELegend()
{
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
}

std::shared_ptr<PEPlot> PELegend::plotAtIndex(NSUInteger index) const
{
    if (index >= m_plots.size())
        NSException::raise(NSRangeException, "index %lu beyond bounds [0 .. %lu]", static_cast<unsigned long>(index),
            static_cast<unsigned long>(m_plots.size()));
    return m_plots[index];
}

std::shared_ptr<PEPlot> PELegend::plotWithIdentifier(const id& identifier) const
{
    for (const auto& plot : m_plots) {
        if (ns::isEqual(plot->identifier(), identifier))
            return plot;
    }
    return nullptr;
}

void PELegend::insertEntriesForPlot(const std::shared_ptr<PEPlot>& plot, std::size_t position)
{
    position = std::min(position, m_legendEntries.size());
    for (NSUInteger i = 0; i < plot->numberOfLegendEntries(); ++i) {
        if (plot->titleForLegendEntryAtIndex(i).isNil() && !plot->attributedTitleForLegendEntryAtIndex(i))
            continue;
        auto entry = PELegendEntry::create();
        entry->setPlot(plot);
        entry->setIndex(i);
        entry->setTextStyle(m_textStyle);
        m_legendEntries.insert(m_legendEntries.begin() + static_cast<std::ptrdiff_t>(position++), entry);
    }
}

void PELegend::observePlot(const std::shared_ptr<PEPlot>& plot)
{
    auto center = NSNotificationCenter::defaultCenter();
    center->addObserver(self(), &PELegend::legendNeedsRedraw, PELegendNeedsRedrawForPlotNotification, plot);
    center->addObserver(self(), &PELegend::legendNeedsLayout, PELegendNeedsLayoutForPlotNotification, plot);
    center->addObserver(self(), &PELegend::legendNeedsReloadEntries, PELegendNeedsReloadEntriesForPlotNotification, plot);
}

void PELegend::stopObservingPlot(const std::shared_ptr<PEPlot>& plot)
{
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(self(), PELegendNeedsRedrawForPlotNotification, plot);
    center->removeObserver(self(), PELegendNeedsLayoutForPlotNotification, plot);
    center->removeObserver(self(), PELegendNeedsReloadEntriesForPlotNotification, plot);
}

void PELegend::addPlot(const std::shared_ptr<PEPlot>& plot)
{
    if (!plot)
        return;
    m_plots.push_back(plot);
    setLayoutChanged();
    insertEntriesForPlot(plot, m_legendEntries.size());
    observePlot(plot);
}

void PELegend::insertPlot(const std::shared_ptr<PEPlot>& plot, NSUInteger index)
{
    if (!plot)
        return;
    if (index > m_plots.size())
        PEParameterAssertionFailed("index greater than the number of plots");
    // Before the first entry of any later plot, so entries keep the plots' order even when the
    // plot now at the index has no entries.
    std::size_t position = m_legendEntries.size();
    for (std::size_t later = index; later < m_plots.size() && position == m_legendEntries.size(); ++later) {
        for (std::size_t i = 0; i < m_legendEntries.size(); ++i) {
            if (m_legendEntries[i]->plot() == m_plots[later]) {
                position = i;
                break;
            }
        }
    }
    m_plots.insert(m_plots.begin() + static_cast<std::ptrdiff_t>(index), plot);
    setLayoutChanged();
    insertEntriesForPlot(plot, position);
    observePlot(plot);
}

void PELegend::removePlot(const std::shared_ptr<PEPlot>& plot)
{
    auto found = std::find(m_plots.begin(), m_plots.end(), plot);
    if (!plot || found == m_plots.end())
        PERaise("Tried to remove PEPlot which did not exist.");
    m_plots.erase(found);
    removeLegendEntriesForPlot(plot);
    setLayoutChanged();
    stopObservingPlot(plot);
}

void PELegend::removePlotWithIdentifier(const id& identifier)
{
    if (auto plot = plotWithIdentifier(identifier))
        removePlot(plot);
}

void PELegend::removeLegendEntriesForPlot(const std::shared_ptr<PEPlot>& plot)
{
    std::erase_if(m_legendEntries, [&](const auto& entry) { return entry->plot() == plot; });
}

void PELegend::legendNeedsRedraw(const std::shared_ptr<NSNotification>&) { setNeedsDisplay(); }

void PELegend::legendNeedsLayout(const std::shared_ptr<NSNotification>&)
{
    setLayoutChanged();
    setNeedsDisplay();
}

void PELegend::legendNeedsReloadEntries(const std::shared_ptr<NSNotification>& notification)
{
    auto plot = ns::cast<PEPlot>(notification->object());
    if (!plot)
        return;
    auto plotPosition = std::find(m_plots.begin(), m_plots.end(), plot);
    std::size_t position = m_legendEntries.size();
    for (std::size_t i = 0; i < m_legendEntries.size(); ++i) {
        if (m_legendEntries[i]->plot() == plot) {
            position = i;
            break;
        }
    }
    if (position == m_legendEntries.size() && plotPosition != m_plots.end()) {
        // A plot without entries gets them before the entries of the plots after it.
        for (auto later = plotPosition + 1; later != m_plots.end() && position == m_legendEntries.size(); ++later) {
            for (std::size_t i = 0; i < m_legendEntries.size(); ++i) {
                if (m_legendEntries[i]->plot() == *later) {
                    position = i;
                    break;
                }
            }
        }
    }
    removeLegendEntriesForPlot(plot);
    insertEntriesForPlot(plot, position);
    setLayoutChanged();
}

void PELegend::setTextStyle(const std::shared_ptr<PETextStyle>& style)
{
    if (style == m_textStyle)
        return;
    m_textStyle = style ? style->copyStyle() : nullptr;
    for (const auto& entry : m_legendEntries)
        entry->setTextStyle(m_textStyle);
    setLayoutChanged();
}

CGSize PELegend::swatchSize() const
{
    if (m_swatchSize.width != 0 || m_swatchSize.height != 0)
        return m_swatchSize;
    CGFloat fontSize = m_textStyle ? m_textStyle->fontSize() : 0;
    CGFloat side = fontSize > 0 ? std::round(fontSize * 1.5) : 15.0;
    return CGSize { side, side };
}

#define PE_LEGEND_VALUE_SETTER(Name, field, Type, consequence) \
    void PELegend::Name(Type value)                            \
    {                                                          \
        if (value == field)                                    \
            return;                                            \
        field = value;                                         \
        consequence;                                           \
    }

PE_LEGEND_VALUE_SETTER(setSwatchCornerRadius, m_swatchCornerRadius, CGFloat, setNeedsDisplay())
PE_LEGEND_VALUE_SETTER(setEntryCornerRadius, m_entryCornerRadius, CGFloat, setNeedsDisplay())
PE_LEGEND_VALUE_SETTER(setEntryPaddingLeft, m_entryPaddingLeft, CGFloat, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setEntryPaddingTop, m_entryPaddingTop, CGFloat, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setEntryPaddingRight, m_entryPaddingRight, CGFloat, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setEntryPaddingBottom, m_entryPaddingBottom, CGFloat, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setNumberOfRows, m_numberOfRows, NSUInteger, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setNumberOfColumns, m_numberOfColumns, NSUInteger, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setEqualRows, m_equalRows, bool, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setEqualColumns, m_equalColumns, bool, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setColumnMargin, m_columnMargin, CGFloat, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setRowMargin, m_rowMargin, CGFloat, setLayoutChanged())
PE_LEGEND_VALUE_SETTER(setTitleOffset, m_titleOffset, CGFloat, setLayoutChanged())

#undef PE_LEGEND_VALUE_SETTER

void PELegend::setSwatchSize(CGSize size)
{
    if (size.width == m_swatchSize.width && size.height == m_swatchSize.height)
        return;
    m_swatchSize = size;
    setLayoutChanged();
}

void PELegend::setSwatchBorderLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_swatchBorderLineStyle)
        return;
    m_swatchBorderLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
}

void PELegend::setSwatchFill(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_swatchFill)
        return;
    m_swatchFill = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr;
    setNeedsDisplay();
}

void PELegend::setEntryBorderLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_entryBorderLineStyle)
        return;
    m_entryBorderLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
}

void PELegend::setEntryFill(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_entryFill)
        return;
    m_entryFill = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr;
    setNeedsDisplay();
}

void PELegend::setRowHeights(const std::vector<CGFloat>& heights)
{
    if (heights == m_rowHeights)
        return;
    m_rowHeights = heights;
    setLayoutChanged();
}

void PELegend::setColumnWidths(const std::vector<CGFloat>& widths)
{
    if (widths == m_columnWidths)
        return;
    m_columnWidths = widths;
    setLayoutChanged();
}

void PELegend::setLayoutChanged(bool changed)
{
    if (changed == m_layoutChanged)
        return;
    m_layoutChanged = changed;
    if (changed) {
        m_hasComputedLayout = false;
        setNeedsLayout();
    }
}

void PELegend::setPaddingLeft(CGFloat padding)
{
    if (padding == paddingLeft())
        return;
    PEBorderedLayer::setPaddingLeft(padding);
    setLayoutChanged();
}

void PELegend::setPaddingTop(CGFloat padding)
{
    if (padding == paddingTop())
        return;
    PEBorderedLayer::setPaddingTop(padding);
    setLayoutChanged();
}

void PELegend::setPaddingRight(CGFloat padding)
{
    if (padding == paddingRight())
        return;
    PEBorderedLayer::setPaddingRight(padding);
    setLayoutChanged();
}

void PELegend::setPaddingBottom(CGFloat padding)
{
    if (padding == paddingBottom())
        return;
    PEBorderedLayer::setPaddingBottom(padding);
    setLayoutChanged();
}

void PELegend::setBorderLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == borderLineStyle())
        return;
    CGFloat oldWidth = borderWidth();
    PEBorderedLayer::setBorderLineStyle(style);
    if (borderWidth() != oldWidth)
        setLayoutChanged();
}

CGFloat PELegend::borderWidth() const { return borderLineStyle() ? borderLineStyle()->lineWidth() : 0; }

const std::vector<CGFloat>& PELegend::rowHeightsThatFit()
{
    ensureLayout();
    return m_rowHeightsThatFit;
}

const std::vector<CGFloat>& PELegend::columnWidthsThatFit()
{
    ensureLayout();
    return m_columnWidthsThatFit;
}

void PELegend::ensureLayout()
{
    if (!m_hasComputedLayout)
        recalculateLayout();
}

void PELegend::recalculateLayout()
{
    if (!m_layoutChanged && m_hasComputedLayout)
        return;
    const NSUInteger count = m_legendEntries.size();
    NSUInteger rows = m_numberOfRows, columns = m_numberOfColumns;
    if (rows == 0 && columns == 0) {
        auto side = static_cast<NSUInteger>(std::sqrt(static_cast<double>(count)));
        columns = side * side < count ? side + 1 : side;
        rows = columns * side < count ? side + 1 : side;
    } else if (rows == 0) {
        rows = (count + columns - 1) / columns;
    } else if (columns == 0) {
        columns = (count + rows - 1) / rows;
    }

    std::vector<CGFloat> heights(rows, 0), widths(columns, 0);
    CGSize swatch = swatchSize();
    NSUInteger placed = 0;
    for (const auto& entry : m_legendEntries) {
        if (placed >= rows * columns) {
            // No cell left: the entry is neither drawn nor hit.
            entry->setPlaced(false);
            continue;
        }
        NSUInteger row = placed / columns, column = placed % columns;
        entry->setRow(row);
        entry->setColumn(column);
        entry->setPlaced(true);
        ++placed;
        CGSize title = entry->titleSize();
        heights[row] = std::max({ heights[row], title.height, swatch.height, row < m_rowHeights.size() ? m_rowHeights[row] : 0.0 });
        widths[column] = std::max({ widths[column], title.width, swatch.width, column < m_columnWidths.size() ? m_columnWidths[column] : 0.0 });
    }
    m_rowHeightsThatFit = heights;
    m_columnWidthsThatFit = widths;
    m_usedRows = columns ? (placed + columns - 1) / columns : 0;

    CGFloat columnsWidth = m_equalColumns && !widths.empty() ? columns * *std::max_element(widths.begin(), widths.end())
                                                              : std::accumulate(widths.begin(), widths.end(), 0.0);
    CGFloat width = paddingLeft() + paddingRight() + borderWidth() + columnsWidth;
    if (columns > 0)
        width += columns * (swatch.width + m_titleOffset + m_entryPaddingLeft + m_entryPaddingRight) + (columns - 1) * m_columnMargin;
    CGFloat height = paddingTop() + paddingBottom() + borderWidth() + std::accumulate(heights.begin(), heights.end(), 0.0);
    if (m_usedRows > 0)
        height += m_usedRows * (m_entryPaddingTop + m_entryPaddingBottom) + (m_usedRows - 1) * m_rowMargin;

    m_hasComputedLayout = true;
    setBounds(CGRect { CGPointZero, { std::ceil(width), std::ceil(height) } });
    pixelAlign();
    m_layoutChanged = false;
}

CGRect PELegend::entryRect(const PELegendEntry& entry)
{
    ensureLayout();
    if (!entry.isPlaced() || entry.row() >= m_usedRows || entry.column() >= m_columnWidthsThatFit.size())
        return CGRectNull;
    CGSize swatch = swatchSize();
    CGFloat inset = borderWidth() / 2;
    CGFloat x = paddingLeft() + inset;
    for (NSUInteger j = 0; j < entry.column(); ++j)
        x += m_entryPaddingLeft + m_columnWidthsThatFit[j] + m_entryPaddingRight + swatch.width + m_titleOffset + m_columnMargin;
    // Rows tile upwards from the bottom padding; row 0 is the top one.
    CGFloat y = paddingBottom() + inset;
    for (NSUInteger i = m_usedRows - 1; i > entry.row(); --i)
        y += m_rowHeightsThatFit[i] + m_entryPaddingTop + m_entryPaddingBottom + m_rowMargin;
    return CGRect {
        { x, y },
        { m_entryPaddingLeft + swatch.width + m_titleOffset + m_columnWidthsThatFit[entry.column()] + 1 + m_entryPaddingRight,
            m_entryPaddingTop + m_rowHeightsThatFit[entry.row()] + m_entryPaddingBottom },
    };
}

std::span<const PELayer::FloatKey<PELegend>> PELegend::animatableFloatKeys()
{
    static const FloatKey<PELegend> keys[] {
        { "swatchCornerRadius", &PELegend::m_swatchCornerRadius, &PELegend::setSwatchCornerRadius },
    };
    return keys;
}

bool PELegend::needsDisplayForKey(const NSString& key) const
{
    return isFloatKey(animatableFloatKeys(), key) || key == NSString("swatchSize") || PEBorderedLayer::needsDisplayForKey(key);
}

id PELegend::valueForKey(const NSString& key) const
{
    if (id value = valueForFloatKey(*this, animatableFloatKeys(), key))
        return value;
    if (key == NSString("swatchSize"))
        return NSValueGeometry::valueWithCGSize(swatchSize());
    return PEBorderedLayer::valueForKey(key);
}

void PELegend::setValue(const id& value, const NSString& key)
{
    if (setValueForFloatKey(*this, animatableFloatKeys(), value, key))
        return;
    if (key == NSString("swatchSize")) {
        setGeometryValue(*this, &PELegend::m_swatchSize, &PELegend::setSwatchSize, NSValueGeometry::CGSizeEncoding, value);
        return;
    }
    PEBorderedLayer::setValue(value, key);
}

void PELegend::layoutSublayers()
{
    recalculateLayout();
    PEBorderedLayer::layoutSublayers();
}

void PELegend::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    PEBorderedLayer::renderAsVectorInContext(context);
    ensureLayout();
    if (m_legendEntries.empty() || m_rowHeightsThatFit.empty() || m_columnWidthsThatFit.empty())
        return;
    auto delegate = legendDelegate();
    CGSize swatch = swatchSize();
    for (const auto& entry : m_legendEntries) {
        CGRect rect = entryRect(*entry);
        auto plot = entry->plot();
        if (CGRectIsNull(rect) || !plot)
            continue;
        auto fill = delegate ? delegate->fillForEntryAtIndex(*this, entry->index(), *plot) : nullptr;
        if (!fill)
            fill = m_entryFill;
        if (fill) {
            CGContextBeginPath(context);
            PEAddRoundedRectPathToContext(context, PEPixelSnapRect(context, rect), m_entryCornerRadius);
            fill->fillPathInContext(context);
        }
        auto border = delegate ? delegate->lineStyleForEntryAtIndex(*this, entry->index(), *plot) : nullptr;
        if (!border)
            border = m_entryBorderLineStyle;
        if (border) {
            border->setLineStyleInContext(context);
            CGContextBeginPath(context);
            PEAddRoundedRectPathToContext(context, PEPixelAlignBorderedRect(context, rect, border), m_entryCornerRadius);
            border->strokePathInContext(context);
        }
        CGRect swatchRect { { rect.origin.x + m_entryPaddingLeft, rect.origin.y + (rect.size.height - swatch.height) / 2 }, swatch };
        if (!delegate || delegate->shouldDrawSwatchAtIndex(*this, entry->index(), *plot, swatchRect, context)) {
            CGContextSaveGState(context);
            plot->drawSwatchForLegend(*this, entry->index(), swatchRect, context);
            CGContextRestoreGState(context);
        }
        CGRect titleRect {
            { swatchRect.origin.x + swatch.width + m_titleOffset, rect.origin.y + m_entryPaddingBottom },
            { m_columnWidthsThatFit[entry->column()] + 1, m_rowHeightsThatFit[entry->row()] },
        };
        entry->drawTitleInRect(PEPixelAlignRect(context, titleRect), context, contentsScale());
    }
}

bool PELegend::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    if (isHidden() || m_plots.empty())
        return false;
    auto delegate = legendDelegate();
    if (!delegate || !delegate->wantsEntrySelection())
        return PEBorderedLayer::pointingDeviceDownEvent(event, interactionPoint);
    auto owner = graph();
    for (std::size_t i = 0; !owner && i < m_plots.size(); ++i)
        owner = m_plots[i]->graph();
    CGPoint point = owner ? convertPointFromLayer(interactionPoint, owner) : interactionPoint;
    recalculateLayout();
    for (const auto& entry : m_legendEntries) {
        auto plot = entry->plot();
        if (!plot || !CGRectContainsPoint(entryRect(*entry), point))
            continue;
        delegate->legendEntryForPlotWasSelectedAtIndex(*this, *plot, entry->index());
        delegate->legendEntryForPlotWasSelectedAtIndex(*this, *plot, entry->index(), event);
        return true;
    }
    // The layers below convert from the graph's coordinates themselves.
    return PEBorderedLayer::pointingDeviceDownEvent(event, interactionPoint);
}

NSString PELegend::description() const
{
    return NSString::stringWithFormat("<%@ for plots %@>", PEBorderedLayer::description(),
        NSArray::create(std::vector<id>(m_plots.begin(), m_plots.end()))->description());
}

namespace {

std::shared_ptr<NSArray> numbersArray(const std::vector<CGFloat>& values)
{
    std::vector<id> numbers;
    for (CGFloat value : values)
        numbers.push_back(NSNumber::numberWithDouble(value));
    return NSArray::create(numbers);
}

std::vector<CGFloat> numbersFromArray(const std::shared_ptr<NSArray>& array)
{
    std::vector<CGFloat> values;
    for (NSUInteger i = 0; array && i < array->count(); ++i) {
        auto number = ns::cast<NSNumber>(array->objectAtIndex(i));
        values.push_back(number ? number->doubleValue() : 0.0);
    }
    return values;
}

template <class T>
std::shared_ptr<NSArray> objectsArray(const std::vector<std::shared_ptr<T>>& objects)
{
    return NSArray::create(std::vector<id>(objects.begin(), objects.end()));
}

template <class T>
std::vector<std::shared_ptr<T>> objectsFromArray(const std::shared_ptr<NSArray>& array)
{
    std::vector<std::shared_ptr<T>> objects;
    for (NSUInteger i = 0; array && i < array->count(); ++i) {
        if (auto object = ns::cast<T>(array->objectAtIndex(i)))
            objects.push_back(object);
    }
    return objects;
}

} // namespace

void PELegend::encodeWithCoder(NSCoder& coder) const
{
    PEBorderedLayer::encodeWithCoder(coder);
    coder.encodeObject(objectsArray(m_plots), "PELegend.plots");
    coder.encodeObject(objectsArray(m_legendEntries), "PELegend.legendEntries");
    coder.encodeBool(m_layoutChanged, "PELegend.layoutChanged");
    coder.encodeObject(m_textStyle, "PELegend.textStyle");
    NSCoder_PEExtensions::encodePESize(coder, m_swatchSize, "PELegend.swatchSize");
    coder.encodeObject(m_swatchBorderLineStyle, "PELegend.swatchBorderLineStyle");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_swatchCornerRadius, "PELegend.swatchCornerRadius");
    coder.encodeObject(m_swatchFill, "PELegend.swatchFill");
    coder.encodeObject(m_entryBorderLineStyle, "PELegend.entryBorderLineStyle");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_entryCornerRadius, "PELegend.entryCornerRadius");
    coder.encodeObject(m_entryFill, "PELegend.entryFill");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_entryPaddingLeft, "PELegend.entryPaddingLeft");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_entryPaddingTop, "PELegend.entryPaddingTop");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_entryPaddingRight, "PELegend.entryPaddingRight");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_entryPaddingBottom, "PELegend.entryPaddingBottom");
    coder.encodeInteger(static_cast<NSInteger>(m_numberOfRows), "PELegend.numberOfRows");
    coder.encodeInteger(static_cast<NSInteger>(m_numberOfColumns), "PELegend.numberOfColumns");
    coder.encodeBool(m_equalRows, "PELegend.equalRows");
    coder.encodeBool(m_equalColumns, "PELegend.equalColumns");
    coder.encodeObject(numbersArray(m_rowHeights), "PELegend.rowHeights");
    coder.encodeObject(numbersArray(m_rowHeightsThatFit), "PELegend.rowHeightsThatFit");
    coder.encodeObject(numbersArray(m_columnWidths), "PELegend.columnWidths");
    coder.encodeObject(numbersArray(m_columnWidthsThatFit), "PELegend.columnWidthsThatFit");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_columnMargin, "PELegend.columnMargin");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_rowMargin, "PELegend.rowMargin");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_titleOffset, "PELegend.titleOffset");
}

bool PELegend::init(NSCoder& coder)
{
    if (!PEBorderedLayer::init(coder))
        return false;
    m_plots = objectsFromArray<PEPlot>(coder.decodeObjectOfClass<NSArray>("PELegend.plots"));
    m_legendEntries = objectsFromArray<PELegendEntry>(coder.decodeObjectOfClass<NSArray>("PELegend.legendEntries"));
    m_textStyle = coder.decodeObjectOfClass<PETextStyle>("PELegend.textStyle");
    m_swatchSize = NSCoder_PEExtensions::decodePESizeForKey(coder, "PELegend.swatchSize");
    m_swatchBorderLineStyle = coder.decodeObjectOfClass<PELineStyle>("PELegend.swatchBorderLineStyle");
    m_swatchCornerRadius = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.swatchCornerRadius");
    m_swatchFill = coder.decodeObjectOfClass<PEFill>("PELegend.swatchFill");
    m_entryBorderLineStyle = coder.decodeObjectOfClass<PELineStyle>("PELegend.entryBorderLineStyle");
    m_entryCornerRadius = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.entryCornerRadius");
    m_entryFill = coder.decodeObjectOfClass<PEFill>("PELegend.entryFill");
    m_entryPaddingLeft = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.entryPaddingLeft");
    m_entryPaddingTop = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.entryPaddingTop");
    m_entryPaddingRight = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.entryPaddingRight");
    m_entryPaddingBottom = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.entryPaddingBottom");
    auto count = [&](const char* key) {
        NSInteger value = coder.decodeIntegerForKey(key);
        // A grid far beyond any screen is not a legend anyone drew; it would only cost memory.
        return value < 0 || value > 10000 ? NSUInteger { 0 } : static_cast<NSUInteger>(value);
    };
    m_numberOfRows = count("PELegend.numberOfRows");
    m_numberOfColumns = count("PELegend.numberOfColumns");
    m_equalRows = coder.decodeBoolForKey("PELegend.equalRows");
    m_equalColumns = coder.decodeBoolForKey("PELegend.equalColumns");
    m_rowHeights = numbersFromArray(coder.decodeObjectOfClass<NSArray>("PELegend.rowHeights"));
    m_columnWidths = numbersFromArray(coder.decodeObjectOfClass<NSArray>("PELegend.columnWidths"));
    m_columnMargin = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.columnMargin");
    m_rowMargin = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.rowMargin");
    m_titleOffset = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PELegend.titleOffset");
    m_layoutChanged = true;
    // A decoded legend follows its plots as one made by the initialisers does.
    for (const auto& plot : m_plots)
        observePlot(plot);
    return true;
}

void PELegend::init(const CALayer& layer)
{
    PEBorderedLayer::init(layer);
    auto model = dynamic_cast<const PELegend*>(&layer);
    if (!model)
        return;
    m_legendDelegate = model->m_legendDelegate;
    m_plots = model->m_plots;
    m_legendEntries = model->m_legendEntries;
    m_layoutChanged = model->m_layoutChanged;
    m_textStyle = model->m_textStyle;
    m_swatchSize = model->m_swatchSize;
    m_swatchBorderLineStyle = model->m_swatchBorderLineStyle;
    m_swatchCornerRadius = model->m_swatchCornerRadius;
    m_swatchFill = model->m_swatchFill;
    m_entryBorderLineStyle = model->m_entryBorderLineStyle;
    m_entryCornerRadius = model->m_entryCornerRadius;
    m_entryFill = model->m_entryFill;
    m_entryPaddingLeft = model->m_entryPaddingLeft;
    m_entryPaddingTop = model->m_entryPaddingTop;
    m_entryPaddingRight = model->m_entryPaddingRight;
    m_entryPaddingBottom = model->m_entryPaddingBottom;
    m_numberOfRows = model->m_numberOfRows;
    m_numberOfColumns = model->m_numberOfColumns;
    m_equalRows = model->m_equalRows;
    m_equalColumns = model->m_equalColumns;
    m_rowHeights = model->m_rowHeights;
    m_columnWidths = model->m_columnWidths;
    m_rowHeightsThatFit = model->m_rowHeightsThatFit;
    m_columnWidthsThatFit = model->m_columnWidthsThatFit;
    m_hasComputedLayout = model->m_hasComputedLayout;
    m_usedRows = model->m_usedRows;
    m_columnMargin = model->m_columnMargin;
    m_rowMargin = model->m_rowMargin;
    m_titleOffset = model->m_titleOffset;
}
