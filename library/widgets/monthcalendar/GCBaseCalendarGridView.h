#pragma once
// The cell of a day of the month on show: its number on a button that lights up when selected,
// grey and never selected when the day lies outside the selectable range.

#include "library/widgets/monthcalendar/GCCalendarGridView.h"
#include "platform/uikit/UIButton.h"

class GCBaseCalendarGridView : public GCCalendarGridView {
    NS_OBJECT(GCBaseCalendarGridView, GCCalendarGridView)
public:
    static std::shared_ptr<GCBaseCalendarGridView> viewFromNib();
    static std::shared_ptr<GCBaseCalendarGridView> viewFromNibWithIdentifier(const NSString& identifier);

    const UIButtonRef& gridButton() const { return m_gridButton; }
    void select() override;
    void deselect() override;
    void setSelected(bool selected) override;
    void layoutSubviews() override;
    void onGridButtonTouched(UIButton& button);

private:
    UIButtonRef m_gridButton;
};
