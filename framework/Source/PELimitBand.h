#pragma once
// A data range on an axis and the fill that paints it across the plot area.

#include "platform/foundation/NSCoder.h"

class PEFill;
class PEPlotRange;

class PELimitBand : public NSObject, public NSCoding {
    NS_OBJECT(PELimitBand, NSObject)
public:
    static std::shared_ptr<PELimitBand> limitBandWithRange(const std::shared_ptr<PEPlotRange>& range, const std::shared_ptr<PEFill>& fill)
    {
        return create(range, fill);
    }

    const std::shared_ptr<PEPlotRange>& range() const { return m_range; }
    void setRange(const std::shared_ptr<PEPlotRange>& range) { m_range = range; }
    const std::shared_ptr<PEFill>& fill() const { return m_fill; }
    void setFill(const std::shared_ptr<PEFill>& fill) { m_fill = fill; }

    id copy() const override;
    NSString description() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(const std::shared_ptr<PEPlotRange>& range, const std::shared_ptr<PEFill>& fill);
    bool init(NSCoder& coder);

private:
    std::shared_ptr<PEPlotRange> m_range;
    std::shared_ptr<PEFill> m_fill;
};

using PELimitBandRef = std::shared_ptr<PELimitBand>;
