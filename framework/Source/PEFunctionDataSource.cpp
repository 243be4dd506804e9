#include "framework/Source/PEFunctionDataSource.h"

#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PENumericData.h"
#include "framework/Source/PEScatterPlot.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"

#include <cmath>

std::shared_ptr<PEFunctionDataSource> PEFunctionDataSource::dataSourceForPlot(const std::shared_ptr<PEPlot>& plot, PEDataSourceFunction function)
{
    return create(plot, function);
}

void PEFunctionDataSource::init(const std::shared_ptr<PEPlot>& plot, PEDataSourceFunction function)
{
    if (!std::dynamic_pointer_cast<PEScatterPlot>(plot))
        PEParameterAssertionFailed("[plot isKindOfClass:[PEScatterPlot class]]");
    PEParameterAssert(function);
    m_dataPlot = plot;
    m_dataSourceFunction = function;
    plot->setCachePrecision(PEPlotCachePrecisionDouble);
    auto protectedSelf = std::static_pointer_cast<PEFunctionDataSource>(self());
    plot->setDataSource(protectedSelf);
    NSNotificationCenter::defaultCenter()->addObserver(protectedSelf, &PEFunctionDataSource::plotBoundsChanged, PELayerBoundsDidChangeNotification, plot);
    std::weak_ptr<PEFunctionDataSource> weakSelf = protectedSelf;
    m_plotSpaceObserverToken = plot->addPlotSpaceObserver([weakSelf](const std::shared_ptr<PEPlotSpace>& oldSpace, const std::shared_ptr<PEPlotSpace>& newSpace) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->observePlotSpace(oldSpace, newSpace);
    });
}

PEFunctionDataSource::~PEFunctionDataSource()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    if (auto plot = m_dataPlot.lock())
        plot->removePlotSpaceObserver(m_plotSpaceObserverToken);
}

void PEFunctionDataSource::observePlotSpace(const std::shared_ptr<PEPlotSpace>& oldSpace, const std::shared_ptr<PEPlotSpace>& newSpace)
{
    auto center = NSNotificationCenter::defaultCenter();
    if (oldSpace)
        center->removeObserver(this, PEPlotSpaceCoordinateMappingDidChangeNotification, oldSpace);
    if (newSpace)
        center->addObserver(std::static_pointer_cast<PEFunctionDataSource>(self()), &PEFunctionDataSource::plotSpaceChanged,
            PEPlotSpaceCoordinateMappingDidChangeNotification, newSpace);
    m_cachedPlotRange = nullptr;
    plotSpaceChanged();
}

void PEFunctionDataSource::setResolution(CGFloat resolution)
{
    if (!(resolution > 0.0))
        PEParameterAssertionFailed("newResolution > PEFloat(0.0)");
    if (resolution == m_resolution)
        return;
    m_resolution = resolution;
    m_cachedCount = 0;
    m_cachedPlotRange = nullptr;
    plotBoundsChanged();
}

void PEFunctionDataSource::setDataRange(const std::shared_ptr<PEPlotRange>& range)
{
    if (range == m_dataRange)
        return;
    m_dataRange = range;
    if (!range || !range->containsRange(m_cachedPlotRange)) {
        m_cachedCount = 0;
        m_cachedPlotRange = nullptr;
        plotBoundsChanged();
    }
}

void PEFunctionDataSource::plotBoundsChanged()
{
    auto plot = dataPlot();
    if (!plot)
        return;
    const CGFloat width = plot->bounds().size.width;
    if (!(width > 0)) {
        m_dataCount = 0;
        m_cachedCount = 0;
        m_cachedStep = 0;
        return;
    }
    const auto count = static_cast<NSUInteger>(std::ceil(width / m_resolution)) + 1;
    if (count <= m_cachedCount)
        return;
    m_dataCount = count;
    m_cachedCount = count;
    // The samples span the range end to end, so neighbours lie length / (count - 1) apart; new
    // samples added at the ends keep that spacing.
    auto space = std::dynamic_pointer_cast<PEXYPlotSpace>(plot->plotSpace());
    const double length = m_cachedPlotRange ? m_cachedPlotRange->lengthDouble() : (space && space->xRange() ? space->xRange()->lengthDouble() : 0);
    m_cachedStep = length / static_cast<double>(count - 1);
    plot->reloadData();
}

void PEFunctionDataSource::plotSpaceChanged()
{
    auto plot = dataPlot();
    auto space = plot ? std::dynamic_pointer_cast<PEXYPlotSpace>(plot->plotSpace()) : nullptr;
    if (!space || !space->xRange())
        return;
    auto visible = space->xRange()->mutableCopyRange();
    visible->intersectionPlotRange(m_dataRange);
    if (m_cachedPlotRange && m_cachedPlotRange->containsRange(visible))
        return;
    if (m_cachedStep == 0 || !m_cachedPlotRange || !m_cachedPlotRange->intersectsRange(visible)) {
        m_cachedCount = 0;
        m_cachedPlotRange = visible;
        plotBoundsChanged();
        return;
    }
    const double step = m_cachedStep;
    auto extendLow = [&](double n) {
        const NSDecimal offset = PEDecimalWithDouble(n * step);
        m_cachedPlotRange->setLocation(PEDecimalDifference(m_cachedPlotRange->location(), offset));
        m_cachedPlotRange->setLength(PEDecimalSum(m_cachedPlotRange->length(), offset));
        m_dataCount += static_cast<NSUInteger>(n);
        plot->insertDataAtIndex(0, static_cast<NSUInteger>(n));
    };
    auto extendHigh = [&](double n) {
        m_cachedPlotRange->setLength(PEDecimalSum(m_cachedPlotRange->length(), PEDecimalWithDouble(n * step)));
        m_dataCount += static_cast<NSUInteger>(n);
        plot->insertDataAtIndex(plot->cachedDataCount(), static_cast<NSUInteger>(n));
    };
    if (step > 0) {
        if (!m_cachedPlotRange->containsDouble(visible->minLimitDouble()))
            extendLow(std::ceil((m_cachedPlotRange->minLimitDouble() - visible->minLimitDouble()) / step));
        if (!m_cachedPlotRange->containsDouble(visible->maxLimitDouble()))
            extendHigh(std::ceil((visible->maxLimitDouble() - m_cachedPlotRange->maxLimitDouble()) / step));
    } else if (step < 0) {
        if (!m_cachedPlotRange->containsDouble(visible->maxLimitDouble()))
            extendLow(std::ceil((m_cachedPlotRange->maxLimitDouble() - visible->maxLimitDouble()) / step));
        if (!m_cachedPlotRange->containsDouble(visible->minLimitDouble()))
            extendHigh(std::ceil((visible->minLimitDouble() - m_cachedPlotRange->minLimitDouble()) / step));
    }
}

NSUInteger PEFunctionDataSource::numberOfRecordsForPlot(PEPlot& plot)
{
    auto mine = dataPlot();
    return mine.get() == &plot ? m_dataCount : 0;
}

std::optional<std::shared_ptr<PENumericData>> PEFunctionDataSource::dataForPlotRecordIndexRange(PEPlot&, NSRange indexRange)
{
    if (m_dataCount == 0)
        return std::shared_ptr<PENumericData>();
    if (!m_cachedPlotRange)
        plotSpaceChanged();
    if (!m_cachedPlotRange)
        return std::shared_ptr<PENumericData>();
    auto buffer = NSMutableData::dataWithLength(2 * indexRange.length * sizeof(double));
    auto* values = reinterpret_cast<double*>(buffer->mutableBytes());
    const double location = m_cachedPlotRange->locationDouble();
    const double length = m_cachedPlotRange->lengthDouble();
    const double divisor = m_dataCount > 1 ? static_cast<double>(m_dataCount - 1) : static_cast<double>(m_dataCount);
    for (NSUInteger i = 0; i < indexRange.length; ++i) {
        const double x = location + length * (static_cast<double>(indexRange.location + i) / divisor);
        values[i] = x;
        values[indexRange.length + i] = m_dataSourceFunction(x);
    }
    auto shape = NSArray::arrayWithObjects({ NSNumber::numberWithUnsignedInteger(indexRange.length), NSNumber::numberWithUnsignedInteger(2) });
    return PENumericData::numericDataWithData(buffer, PEDataTypeMake(PEFloatingPointDataType, sizeof(double), CFByteOrderLittleEndian), shape,
        PEDataOrderColumnsFirst);
}
