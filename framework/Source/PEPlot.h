#pragma once
// The abstract plot layer. A plot never receives figures: it pulls them from its data source into
// a cache before it is laid out, drawn, counted or measured. The cache holds one typed buffer per
// numeric field (all of one type, double or decimal) and one array per per-record style key.
// Plot types pull their fields and styles for a record range and draw from the cache; this base
// also shows data labels beside the records, answers the legend and reports taps on labels.
//
// Rules kept by the cache where the raw pull model would lose figures: style arrays never change
// the record count and grow with the data source's count like numeric entries do; copies into a
// numeric entry are clamped to the entry; without a data source a range reload keeps what was
// cached (figures set directly through the cache setters stay).

#include "framework/Source/PEAnnotationHostLayer.h"
#include "framework/Source/PENumericDataType.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/foundation/NSFormatter.h"
#include "platform/text/NSAttributedString.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

class PEFill;
class PELegend;
class PELineStyle;
class PEMutableNumericData;
class PENumericData;
class PEPlot;
class PEPlotArea;
class PEPlotRange;
class PEPlotSpace;
class PEPlotSpaceAnnotation;
class NSNumber;
class PETextStyle;

// Where a plot's figures come from. Every operation but the count is optional: the default answers
// "not implemented" (nullopt) and the plot tries the next form.
class PEPlotDataSource {
public:
    virtual ~PEPlotDataSource() = default;
    virtual NSUInteger numberOfRecordsForPlot(PEPlot& plot) = 0;
    // NSNumber or NSDecimalNumber objects, one per record.
    virtual std::optional<std::shared_ptr<NSArray>> numbersForPlot(PEPlot&, NSUInteger, NSRange) { return std::nullopt; }
    // One number; a nil number is "no value".
    virtual std::optional<id> numberForPlot(PEPlot&, NSUInteger, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::vector<double>> doublesForPlot(PEPlot&, NSUInteger, NSRange) { return std::nullopt; }
    virtual std::optional<double> doubleForPlot(PEPlot&, NSUInteger, NSUInteger) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PENumericData>> dataForPlot(PEPlot&, NSUInteger, NSRange) { return std::nullopt; }
    // Every field at once: rows are records, columns fields.
    virtual std::optional<std::shared_ptr<PENumericData>> dataForPlotRecordIndexRange(PEPlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<NSArray>> dataLabelsForPlot(PEPlot&, NSRange) { return std::nullopt; }
    virtual std::optional<std::shared_ptr<PELayer>> dataLabelForPlot(PEPlot&, NSUInteger) { return std::nullopt; }
};

class PEPlotDelegate {
public:
    virtual ~PEPlotDelegate() = default;
    // Each answers true when implemented.
    virtual bool dataLabelWasSelectedAtRecordIndex(PEPlot&, NSUInteger) { return false; }
    virtual bool dataLabelWasSelectedAtRecordIndexWithEvent(PEPlot&, NSUInteger, const UIEventRef&) { return false; }
    virtual void didFinishDrawing(PEPlot&) { }
};

enum PEPlotCachePrecision : int {
    PEPlotCachePrecisionAuto = 0,
    PEPlotCachePrecisionDouble = 1,
    PEPlotCachePrecisionDecimal = 2,
};

class PEPlot : public PEAnnotationHostLayer {
    NS_OBJECT(PEPlot, PEAnnotationHostLayer)
public:
    ~PEPlot() override;

    std::shared_ptr<PEPlotDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(const std::shared_ptr<PEPlotDataSource>& dataSource);
    std::shared_ptr<PEPlotDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<PEPlotDelegate>& delegate) { m_delegate = delegate; }
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title);
    const std::shared_ptr<NSAttributedString>& attributedTitle() const { return m_attributedTitle; }
    void setAttributedTitle(const std::shared_ptr<NSAttributedString>& title);
    const std::shared_ptr<PEPlotSpace>& plotSpace() const { return m_plotSpace; }
    virtual void setPlotSpace(const std::shared_ptr<PEPlotSpace>& space);
    // Observers of the plot space told (old, new) on every change and once at once with (nil,
    // current). The token removes one; observers die with the plot.
    using PlotSpaceObserver = std::function<void(const std::shared_ptr<PEPlotSpace>&, const std::shared_ptr<PEPlotSpace>&)>;
    NSUInteger addPlotSpaceObserver(PlotSpaceObserver observer);
    void removePlotSpaceObserver(NSUInteger token);
    std::shared_ptr<PEPlotArea> plotArea() const;

    // Reload control.
    bool dataNeedsReloading() const { return m_dataNeedsReloading; }
    void setDataNeedsReloading(bool needsReloading);
    void setDataNeedsReloading() { setDataNeedsReloading(true); }
    virtual void reloadData();
    virtual void reloadDataIfNeeded();
    virtual void reloadDataInIndexRange(NSRange indexRange);
    virtual void insertDataAtIndex(NSUInteger index, NSUInteger numberOfRecords);
    virtual void deleteDataInIndexRange(NSRange indexRange);
    // Reads reload first when stale, so the count is always current.
    NSUInteger cachedDataCount();
    void setCachedDataCount(NSUInteger count) { m_cachedDataCount = count; }

    // Pulling: a PENumericData, an NSData of doubles or an NSArray, as the data source offers.
    id numbersFromDataSourceForField(NSUInteger field, NSRange indexRange);
    bool loadNumbersForAllFieldsFromDataSourceInRecordIndexRange(NSRange indexRange);
    // Raises "PEException" for anything but numeric data, NSData or NSArray.
    std::shared_ptr<PEMutableNumericData> numericDataForNumbers(const id& numbers) const;

    // The numeric cache.
    void cacheNumbers(const id& numbers, NSUInteger field);
    void cacheNumbers(const id& numbers, NSUInteger field, NSUInteger atRecordIndex);
    int cachePrecision() const { return m_cachePrecision; }
    // Raises NSInvalidArgumentException for values other than 0, 1 and 2 (the value stays).
    void setCachePrecision(int precision);
    void setCachedDataType(const _PENumericDataType& dataType);
    bool doublePrecisionCache() const;
    static const _PENumericDataType& doubleDataType();
    static const _PENumericDataType& decimalDataType();
    std::shared_ptr<PEMutableNumericData> cachedNumbersForField(NSUInteger field) const;
    id cachedNumberForField(NSUInteger field, NSUInteger index) const;
    double cachedDoubleForField(NSUInteger field, NSUInteger index) const;
    NSDecimal cachedDecimalForField(NSUInteger field, NSUInteger index) const;

    // The style cache: one object per record; NSNull where nothing was delivered, nilData() where
    // the data source answered nil.
    std::shared_ptr<NSMutableArray> cachedArrayForKey(const std::string& key) const;
    id cachedValueForKey(const std::string& key, NSUInteger index) const;
    void cacheArray(const std::shared_ptr<NSArray>& array, const std::string& key);
    void cacheArray(const std::shared_ptr<NSArray>& array, const std::string& key, NSUInteger atRecordIndex);
    static const id& nilData();
    // A record's cached style, or the fallback where nothing was delivered or the data source
    // answered nil.
    template <class T>
    std::shared_ptr<T> cachedStyleForKey(const std::string& key, NSUInteger index, const std::shared_ptr<T>& fallback) const
    {
        id value = cachedValueForKey(key, index);
        if (!value || value == nilData())
            return fallback;
        return ns::cast<T>(value);
    }

    // The views of the cache that the plot types offer as properties: a field's numbers as an
    // array, and a style array, which set redraws the plot.
    std::shared_ptr<NSArray> cachedValuesForField(NSUInteger field) const;
    void setStyleArray(const std::shared_ptr<NSArray>& styles, const std::string& key);

    // Data extents.
    std::shared_ptr<PEPlotRange> plotRangeForField(NSUInteger field) const;
    virtual std::shared_ptr<PEPlotRange> plotRangeForCoordinate(PECoordinate coordinate) const;

    // The fields a plot type knows.
    virtual NSUInteger numberOfFields() const { return 0; }
    virtual std::vector<NSUInteger> fieldIdentifiers() const { return {}; }
    virtual std::vector<NSUInteger> fieldIdentifiersForCoordinate(PECoordinate) const { return {}; }

    // Data labels.
    bool showLabels() const { return m_showLabels; }
    void setShowLabels(bool show);
    const std::shared_ptr<PETextStyle>& labelTextStyle() const { return m_labelTextStyle; }
    void setLabelTextStyle(const std::shared_ptr<PETextStyle>& style);
    const std::shared_ptr<NSFormatter>& labelFormatter() const { return m_labelFormatter; }
    void setLabelFormatter(const std::shared_ptr<NSFormatter>& formatter);
    CGFloat labelOffset() const { return m_labelOffset; }
    void setLabelOffset(CGFloat offset);
    CGFloat labelRotation() const { return m_labelRotation; }
    virtual void setLabelRotation(CGFloat rotation);
    const std::shared_ptr<PEShadow>& labelShadow() const { return m_labelShadow; }
    void setLabelShadow(const std::shared_ptr<PEShadow>& shadow);
    NSUInteger labelField() const { return m_labelField; }
    void setLabelField(NSUInteger field) { m_labelField = field; }
    bool adjustLabelAnchors() const { return m_adjustLabelAnchors; }
    void setAdjustLabelAnchors(bool adjust) { m_adjustLabelAnchors = adjust; }
    bool alignsPointsToPixels() const { return m_alignsPointsToPixels; }
    void setAlignsPointsToPixels(bool aligns);
    bool drawLegendSwatchDecoration() const { return m_drawLegendSwatchDecoration; }
    void setDrawLegendSwatchDecoration(bool draw) { m_drawLegendSwatchDecoration = draw; }
    void setHidden(bool hidden);
    std::shared_ptr<NSArray> dataLabels() const;
    void setDataLabels(const std::shared_ptr<NSArray>& labels);
    // Slot i: record i's annotation or NSNull; nil while no labels are shown.
    const std::shared_ptr<NSMutableArray>& labelAnnotations() const { return m_labelAnnotations; }
    bool needsRelabel() const { return m_needsRelabel; }
    void setNeedsRelabel(bool needsRelabel);
    void setNeedsRelabel();
    NSRange labelIndexRange() const { return m_labelIndexRange; }
    void relabelIndexRange(NSRange indexRange);
    void relabel();
    void updateContentAnchorForLabel(const std::shared_ptr<PEPlotSpaceAnnotation>& label) const;
    void repositionAllLabelAnnotations();
    virtual void positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>&, NSUInteger) { }

    // Drawing.
    void drawInContext(const CGContextRef& context) override;
    // Also clips what the plot type draws next to the plot area, so records beyond the visible
    // ranges never cover the axes' labels.
    void renderAsVectorInContext(const CGContextRef& context) override;
    void layoutSublayers() override;

    // Legend hooks.
    virtual NSUInteger numberOfLegendEntries() const { return 1; }
    virtual NSString titleForLegendEntryAtIndex(NSUInteger index) const;
    virtual std::shared_ptr<NSAttributedString> attributedTitleForLegendEntryAtIndex(NSUInteger index) const;
    virtual void drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context);

    // Touches.
    bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) override;
    virtual NSUInteger dataIndexFromInteractionPoint(CGPoint) { return NSNotFound; }

    void encodeWithCoder(NSCoder& coder) const override;

    // The properties whose animation redraws the plot at each step.
    bool needsDisplayForKey(const NSString& key) const override;
    // The animatable keys are read and written by name, as animations do.
    id valueForKey(const NSString& key) const override;
    void setValue(const id& value, const NSString& key) override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    void init() { init(CGRectZero); }
    bool init(NSCoder& coder);

    // The data source's count, 0 without one.
    NSUInteger recordCountFromDataSource();
    // Fields 0 ... fieldCount - 1 of the range from the data source: all at once where it offers
    // them so, else one field after the other.
    void cacheNumbersFromDataSource(NSRange indexRange, NSUInteger fieldCount);
    // The fields along x or y; raises for any other coordinate.
    static std::vector<NSUInteger> fieldsAlongCoordinate(PECoordinate coordinate, std::vector<NSUInteger> xFields, std::vector<NSUInteger> yFields);
    // Pulls a style array for a range: the range form, else the per-record form (nil as nilData()).
    // Stores it under the key and answers whether either form was answered.
    bool cacheStyleArray(const std::string& key, NSRange indexRange,
        const std::function<std::optional<std::shared_ptr<NSArray>>()>& rangeForm,
        const std::function<std::optional<id>(NSUInteger)>& recordForm);
    // The same with a per-record form that answers a style of its own type.
    template <class RecordForm>
    bool cacheStyleArrayOfRecords(const std::string& key, NSRange indexRange,
        const std::function<std::optional<std::shared_ptr<NSArray>>()>& rangeForm, RecordForm recordForm)
    {
        return cacheStyleArray(key, indexRange, rangeForm, [&](NSUInteger index) -> std::optional<id> {
            auto style = recordForm(index);
            if (!style)
                return std::nullopt;
            return std::static_pointer_cast<NSObject>(*style);
        });
    }

    // True where the plot space's y range runs downwards.
    bool yRangeIsReversed() const;
    // Anchors a data label at (x, y), moved the label offset away from the data along y (down on a
    // reversed y range); hidden with the plot or where either coordinate is missing.
    void placeLabelAtDataPoint(const std::shared_ptr<PEPlotSpaceAnnotation>& label,
        const std::shared_ptr<NSNumber>& x, const std::shared_ptr<NSNumber>& y);
    // A press on a record: `select` is offered the record under it (found by `recordAt`, by default
    // dataIndexFromInteractionPoint) and takes the press by answering true; without `select`, or
    // where it declines, the plot's own handling follows.
    bool pointingDeviceDownOnRecord(const UIEventRef& event, CGPoint interactionPoint,
        const std::function<bool(NSUInteger)>& select, const std::function<NSUInteger(CGPoint)>& recordAt = nullptr);
    // The same with a plot type's own delegate, where there is one, told of the record in both its
    // forms; either one answering true takes the press.
    template <class Delegate, class Plot>
    bool pointingDeviceDownOnRecord(const UIEventRef& event, CGPoint interactionPoint, Plot& plot,
        bool (Delegate::*selected)(Plot&, NSUInteger), bool (Delegate::*selectedWithEvent)(Plot&, NSUInteger, const UIEventRef&),
        const std::function<NSUInteger(CGPoint)>& recordAt = nullptr)
    {
        auto observer = std::dynamic_pointer_cast<Delegate>(delegate());
        if (!observer)
            return pointingDeviceDownOnRecord(event, interactionPoint, nullptr, recordAt);
        return pointingDeviceDownOnRecord(event, interactionPoint, [&](NSUInteger index) {
            const bool plain = (*observer.*selected)(plot, index);
            const bool withEvent = (*observer.*selectedWithEvent)(plot, index, event);
            return plain || withEvent;
        }, recordAt);
    }

private:
    static std::span<const FloatKey<PEPlot>> animatableFloatKeys();
    void postLegendNotification(const char* name);
    std::shared_ptr<PEMutableNumericData> convertedForCache(const std::shared_ptr<PEMutableNumericData>& numbers);

    std::weak_ptr<PEPlotDataSource> m_dataSource;
    std::weak_ptr<PEPlotDelegate> m_delegate;
    NSString m_title;
    std::shared_ptr<NSAttributedString> m_attributedTitle;
    std::shared_ptr<PEPlotSpace> m_plotSpace;
    std::map<NSUInteger, PlotSpaceObserver> m_plotSpaceObservers;
    NSUInteger m_nextPlotSpaceObserver { 1 };
    bool m_dataNeedsReloading { false };
    std::map<NSUInteger, std::shared_ptr<PEMutableNumericData>> m_cachedNumbers;
    std::map<std::string, std::shared_ptr<NSMutableArray>> m_cachedArrays;
    NSUInteger m_cachedDataCount { 0 };
    int m_cachePrecision { PEPlotCachePrecisionAuto };
    bool m_needsRelabel { true };
    bool m_adjustLabelAnchors { true };
    bool m_showLabels { true };
    CGFloat m_labelOffset { 0 };
    CGFloat m_labelRotation { 0 };
    NSUInteger m_labelField { 0 };
    std::shared_ptr<PETextStyle> m_labelTextStyle;
    std::shared_ptr<NSFormatter> m_labelFormatter;
    NSRange m_labelIndexRange { 0, 0 };
    std::shared_ptr<NSMutableArray> m_labelAnnotations;
    std::shared_ptr<PEShadow> m_labelShadow;
    bool m_alignsPointsToPixels { true };
    bool m_drawLegendSwatchDecoration { true };
};

using PEPlotRef = std::shared_ptr<PEPlot>;
