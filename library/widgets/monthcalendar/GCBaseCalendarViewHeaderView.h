#pragma once
// The stock month header: "取消" and "‹" on the left, the month in the middle, "›" and "确定" on
// the right.

#include "library/widgets/monthcalendar/GCCalendarViewHeaderView.h"
#include "platform/uikit/UILabel.h"

class GCBaseCalendarViewHeaderView : public GCCalendarViewHeaderView {
    NS_OBJECT(GCBaseCalendarViewHeaderView, GCCalendarViewHeaderView)
public:
    static constexpr CGSize kNibSize { 297, 20 };
    static std::shared_ptr<GCBaseCalendarViewHeaderView> viewFromNib();

    void setTitle(const NSString& title) override;
    const UILabelRef& monthLabel() const { return m_monthLabel; }
    const UIButtonRef& cancelButton() const { return m_cancelButton; }
    const UIButtonRef& confirmButton() const { return m_confirmButton; }

    void onPreviousMonthButtonTouched(UIButton& button);
    void onNextMonthButtonTouched(UIButton& button);
    void onCancelChoseDateButtonTouched(UIButton& button);
    void onChoseDateButtonTouched(UIButton& button);

private:
    UILabelRef m_monthLabel;
    UIButtonRef m_cancelButton;
    UIButtonRef m_confirmButton;
};
