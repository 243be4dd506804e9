#pragma once
// One series of the self-drawing line chart: a value per x position (a number, or the null object
// for a gap), its colour, the title written beside its last point and how its values are labelled.

#include "platform/foundation/NSArray.h"
#include "platform/uikit/UIColor.h"

class DCLineChartViewComponent : public NSObject {
    NS_OBJECT(DCLineChartViewComponent, NSObject)
public:
    const std::shared_ptr<NSArray>& points() const { return m_points; }
    void setPoints(const std::shared_ptr<NSArray>& points) { m_points = points; }
    const UIColorRef& colour() const { return m_colour; }
    void setColour(const UIColorRef& colour) { m_colour = colour; }
    const NSString& title() const { return m_title; }
    void setTitle(const NSString& title) { m_title = title.copy(); }
    // printf-like, with exactly one floating conversion (f, e, g, a in either case) and any "%%";
    // anything else is refused and the default kept.
    const NSString& labelFormat() const { return m_labelFormat; }
    bool setLabelFormat(const NSString& format);
    bool shouldLabelValues() const { return m_shouldLabelValues; }
    void setShouldLabelValues(bool label) { m_shouldLabelValues = label; }

    static bool isSingleFloatingFormat(const NSString& format);

private:
    std::shared_ptr<NSArray> m_points;
    UIColorRef m_colour;
    NSString m_title;
    NSString m_labelFormat { "%.1f%%" };
    bool m_shouldLabelValues { false };
};
