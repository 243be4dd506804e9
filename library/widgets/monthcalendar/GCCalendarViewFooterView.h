#pragma once
// The period footer of the paged calendar: buttons of which one is chosen at a time.

#include "platform/uikit/UIButton.h"

class GCCalendarViewFooterView;

class GCCalendarViewFooterViewDelegate {
public:
    virtual ~GCCalendarViewFooterViewDelegate() = default;
    virtual void calendarViewFooterViewDidSelectPeriod(GCCalendarViewFooterView&, int periodType) { (void)periodType; }
};

class GCCalendarViewFooterView : public UIView {
    NS_OBJECT(GCCalendarViewFooterView, UIView)
public:
    const UIButtonRef& selectedButton() const { return m_selectedButton; }
    std::shared_ptr<GCCalendarViewFooterViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<GCCalendarViewFooterViewDelegate>& delegate) { m_delegate = delegate; }

protected:
    UIButtonRef m_selectedButton;

private:
    std::weak_ptr<GCCalendarViewFooterViewDelegate> m_delegate;
};

using GCCalendarViewFooterViewRef = std::shared_ptr<GCCalendarViewFooterView>;
