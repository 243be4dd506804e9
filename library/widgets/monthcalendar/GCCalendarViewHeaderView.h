#pragma once
// The month header of the paged calendar: the month's title, previous and next buttons, and
// cancel and confirm.

#include "platform/uikit/UIButton.h"

class GCCalendarViewHeaderView;

class GCCalendarViewHeaderViewDelegate {
public:
    virtual ~GCCalendarViewHeaderViewDelegate() = default;
    virtual void calendarViewHeaderViewNextMonth(GCCalendarViewHeaderView&) { }
    virtual void calendarViewHeaderViewPreviousMonth(GCCalendarViewHeaderView&) { }
    virtual void calendarViewHeaderViewDidCancel(GCCalendarViewHeaderView&) { }
    virtual void calendarViewHeaderViewDidSelection(GCCalendarViewHeaderView&) { }
};

class GCCalendarViewHeaderView : public UIView {
    NS_OBJECT(GCCalendarViewHeaderView, UIView)
public:
    const NSString& title() const { return m_title; }
    virtual void setTitle(const NSString& title) { m_title = title; }
    std::shared_ptr<GCCalendarViewHeaderViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<GCCalendarViewHeaderViewDelegate>& delegate) { m_delegate = delegate; }
    const UIButtonRef& previousMonthButton() const { return m_previousMonthButton; }
    const UIButtonRef& nextMonthButton() const { return m_nextMonthButton; }

protected:
    UIButtonRef m_previousMonthButton;
    UIButtonRef m_nextMonthButton;

private:
    NSString m_title;
    std::weak_ptr<GCCalendarViewHeaderViewDelegate> m_delegate;
};

using GCCalendarViewHeaderViewRef = std::shared_ptr<GCCalendarViewHeaderView>;
