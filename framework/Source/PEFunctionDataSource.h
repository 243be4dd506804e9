#pragma once
// Feeds a scatter plot with samples of y = f(x) over the x range the plot shows, about one sample
// per `resolution` points of plot width. It follows the plot: a wider plot resamples, a pan or a
// zoom out samples only the uncovered strip, in whole steps of the same spacing as the samples,
// and inserts those records at the matching end.
//
// The data source and its plot hold each other weakly and either may go first: the data source
// stops observing the plot when it goes, and finds the plot gone when the plot went first.

#include "framework/Source/PEPlot.h"

class PEMutablePlotRange;
class PEPlotRange;
class PEPlotSpace;

using PEDataSourceFunction = double (*)(double);

class PEFunctionDataSource : public NSObject, public PEPlotDataSource {
    NS_OBJECT(PEFunctionDataSource, NSObject)
public:
    ~PEFunctionDataSource() override;

    // Fails the parameter assertions for a plot that is not a scatter plot or a null function.
    static std::shared_ptr<PEFunctionDataSource> dataSourceForPlot(const std::shared_ptr<PEPlot>& plot, PEDataSourceFunction function);

    std::shared_ptr<PEPlot> dataPlot() const { return m_dataPlot.lock(); }
    PEDataSourceFunction dataSourceFunction() const { return m_dataSourceFunction; }
    CGFloat resolution() const { return m_resolution; }
    // Fails the parameter assertion unless above 0.
    void setResolution(CGFloat resolution);
    const std::shared_ptr<PEPlotRange>& dataRange() const { return m_dataRange; }
    void setDataRange(const std::shared_ptr<PEPlotRange>& range);
    CGFloat cachedStep() const { return m_cachedStep; }
    NSUInteger dataCount() const { return m_dataCount; }
    NSUInteger cachedCount() const { return m_cachedCount; }
    const std::shared_ptr<PEMutablePlotRange>& cachedPlotRange() const { return m_cachedPlotRange; }

    void plotBoundsChanged();
    void plotSpaceChanged();

    NSUInteger numberOfRecordsForPlot(PEPlot& plot) override;
    std::optional<std::shared_ptr<PENumericData>> dataForPlotRecordIndexRange(PEPlot& plot, NSRange indexRange) override;

protected:
    void init(const std::shared_ptr<PEPlot>& plot, PEDataSourceFunction function);

private:
    void observePlotSpace(const std::shared_ptr<PEPlotSpace>& oldSpace, const std::shared_ptr<PEPlotSpace>& newSpace);

    std::weak_ptr<PEPlot> m_dataPlot;
    PEDataSourceFunction m_dataSourceFunction { nullptr };
    CGFloat m_resolution { 1.0 };
    CGFloat m_cachedStep { 0 };
    NSUInteger m_dataCount { 0 };
    NSUInteger m_cachedCount { 0 };
    std::shared_ptr<PEMutablePlotRange> m_cachedPlotRange;
    std::shared_ptr<PEPlotRange> m_dataRange;
    NSUInteger m_plotSpaceObserverToken { 0 };
};

using PEFunctionDataSourceRef = std::shared_ptr<PEFunctionDataSource>;
