#pragma once
// A day cell of the paged month calendar: its place in the grid, its day, whether it is selected
// and whether it may be. Cells are recycled by their identifier. The kinds of cell build their
// face in viewFromNib.

#include "library/widgets/monthcalendar/GCCalDay.h"
#include "platform/uikit/UIView.h"

class GCCalendarGridView;

class GCCalendarGridViewDelegate {
public:
    virtual ~GCCalendarGridViewDelegate() = default;
    virtual void gcCalendarGridViewDidSelectGrid(GCCalendarGridView&) { }
};

class GCCalendarGridView : public UIView {
    NS_OBJECT(GCCalendarGridView, UIView)
public:
    static constexpr CGSize kNibSize { 39, 31 };

    bool selected() const { return m_selected; }
    virtual void setSelected(bool selected) { m_selected = selected; }
    bool selectedEanable() const { return m_selectedEanable; }
    void setSelectedEanable(bool enable) { m_selectedEanable = enable; }
    NSUInteger row() const { return m_row; }
    void setRow(NSUInteger row) { m_row = row; }
    NSUInteger column() const { return m_column; }
    void setColumn(NSUInteger column) { m_column = column; }
    const NSString& identifier() const { return m_identifier; }
    void setIdentifier(const NSString& identifier) { m_identifier = identifier; }
    const GCCalDayRef& calDay() const { return m_calDay; }
    void setCalDay(const GCCalDayRef& day) { m_calDay = day; }
    std::shared_ptr<GCCalendarGridViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<GCCalendarGridViewDelegate>& delegate) { m_delegate = delegate; }

    virtual void select() { }
    virtual void deselect() { }

protected:
    // Runs once the face is built.
    virtual void awakeFromNib();

private:
    bool m_selected { false };
    bool m_selectedEanable { true };
    NSUInteger m_row { 0 };
    NSUInteger m_column { 0 };
    NSString m_identifier;
    GCCalDayRef m_calDay;
    std::weak_ptr<GCCalendarGridViewDelegate> m_delegate;
};

using GCCalendarGridViewRef = std::shared_ptr<GCCalendarGridView>;
