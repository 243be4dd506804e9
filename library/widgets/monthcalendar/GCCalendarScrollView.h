#pragma once
// The scroll view that carries the day cells and reports the raw touches on them.

#include "platform/uikit/UIScrollView.h"

class GCCalendarScrollView;

class GCCalendarScrollViewDelegate {
public:
    virtual ~GCCalendarScrollViewDelegate() = default;
    virtual void calendarSrollViewTouchesBegan(GCCalendarScrollView&, const UITouchSet&, const UIEventRef&) { }
    virtual void calendarSrollViewTouchesMoved(GCCalendarScrollView&, const UITouchSet&, const UIEventRef&) { }
    virtual void calendarSrollViewTouchesEnded(GCCalendarScrollView&, const UITouchSet&, const UIEventRef&) { }
    virtual void calendarSrollViewTouchesCancelled(GCCalendarScrollView&, const UITouchSet&, const UIEventRef&) { }
};

class GCCalendarScrollView : public UIScrollView {
    NS_OBJECT(GCCalendarScrollView, UIScrollView)
public:
    std::shared_ptr<GCCalendarScrollViewDelegate> calendarDelegate() const { return m_calendarDelegate.lock(); }
    void setCalendarDelegate(const std::shared_ptr<GCCalendarScrollViewDelegate>& delegate) { m_calendarDelegate = delegate; }

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;

protected:
    void init(CGRect frame) override;

private:
    std::weak_ptr<GCCalendarScrollViewDelegate> m_calendarDelegate;
};

using GCCalendarScrollViewRef = std::shared_ptr<GCCalendarScrollView>;
