#pragma once
// The cell of a day of the neighbouring months shown around the month: never touched.

#include "library/widgets/monthcalendar/GCCalendarGridView.h"
#include "platform/uikit/UIButton.h"

class GCBaseCalendarDisableGridView : public GCCalendarGridView {
    NS_OBJECT(GCBaseCalendarDisableGridView, GCCalendarGridView)
public:
    static std::shared_ptr<GCBaseCalendarDisableGridView> viewFromNib();
    static std::shared_ptr<GCBaseCalendarDisableGridView> viewFromNibWithIdentifier(const NSString& identifier);

    const UIButtonRef& gridButton() const { return m_gridButton; }
    void select() override;
    void deselect() override;
    void layoutSubviews() override;

protected:
    void awakeFromNib() override;

private:
    UIButtonRef m_gridButton;
};
