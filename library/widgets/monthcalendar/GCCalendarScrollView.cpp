#include "library/widgets/monthcalendar/GCCalendarScrollView.h"

void GCCalendarScrollView::init(CGRect frame)
{
    UIScrollView::init(frame);
    setMultipleTouchEnabled(true);
}

void GCCalendarScrollView::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    UIScrollView::touchesBegan(touches, event);
    auto protectedSelf = self();
    if (auto delegate = m_calendarDelegate.lock())
        delegate->calendarSrollViewTouchesBegan(*this, touches, event);
}

void GCCalendarScrollView::touchesMoved(const UITouchSet& touches, const UIEventRef& event)
{
    UIScrollView::touchesMoved(touches, event);
    auto protectedSelf = self();
    if (auto delegate = m_calendarDelegate.lock())
        delegate->calendarSrollViewTouchesMoved(*this, touches, event);
}

void GCCalendarScrollView::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    UIScrollView::touchesEnded(touches, event);
    auto protectedSelf = self();
    if (auto delegate = m_calendarDelegate.lock())
        delegate->calendarSrollViewTouchesEnded(*this, touches, event);
}

void GCCalendarScrollView::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    UIScrollView::touchesCancelled(touches, event);
    auto protectedSelf = self();
    if (auto delegate = m_calendarDelegate.lock())
        delegate->calendarSrollViewTouchesCancelled(*this, touches, event);
}
