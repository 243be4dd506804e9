#include "library/widgets/monthcalendar/GCCalendarView.h"

#include "platform/foundation/SystemClock.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr CGFloat kWidth = 297;
// Six rows of cells fill the grid exactly, under a header and weekday row that leave the
// calendar 255 points high without its footer. The weekday row is as tall as a line of its
// Chinese names, which would otherwise lose their feet.
constexpr CGFloat kHeaderHeight = 20;
constexpr CGFloat kWeekHeight = 20;
constexpr CGFloat kGridHeight = 215;
constexpr CGFloat kFooterHeight = 36;
constexpr NSTimeInterval kFadeDuration = 0.4;
constexpr NSTimeInterval kPageDuration = 0.3;

} // namespace

std::shared_ptr<GCCalendarView> GCCalendarView::viewFromNib()
{
    auto calendar = create(CGRectMake(0, 0, kWidth, kHeaderHeight + kWeekHeight + kGridHeight + kFooterHeight));
    calendar->setBackgroundColor(UIColor::colorWithRed(0.13, 0.29, 0.48, 1));
    calendar->m_headerView = UIView::create(CGRectMake(0, 0, kWidth, kHeaderHeight));
    calendar->m_weekHintView = UIView::create(CGRectMake(0, kHeaderHeight, kWidth, kWeekHeight));
    calendar->m_weekHintView->setBackgroundColor(UIColor::colorWithRed(0.1, 0.23, 0.39, 1));
    calendar->m_gridScrollView = GCCalendarScrollView::create(CGRectMake(0, kHeaderHeight + kWeekHeight, kWidth, kGridHeight));
    calendar->m_gridScrollView->setBackgroundColor(UIColor::colorWithRed(0.95, 0.96, 0.97, 1));
    calendar->m_gridScrollView->setShowsHorizontalScrollIndicator(false);
    // The grid never scrolls: a finger dragged over it selects days.
    calendar->m_gridScrollView->setScrollEnabled(false);
    calendar->m_footerView = UIView::create(CGRectMake(0, kHeightWithoutFooter, kWidth, kFooterHeight));
    calendar->m_footerView->setAutoresizingMask(UIViewAutoresizingFlexibleTopMargin);
    for (const UIViewRef& view : std::initializer_list<UIViewRef> { calendar->m_headerView, calendar->m_weekHintView,
             calendar->m_gridScrollView, calendar->m_footerView })
        calendar->addSubview(view);
    calendar->awakeFromNib();
    return calendar;
}

void GCCalendarView::awakeFromNib()
{
    setAlpha(0);
    setMultipleTouchEnabled(true);
    m_gridScrollView->setCalendarDelegate(std::static_pointer_cast<GCCalendarScrollViewDelegate>(self()));
    m_allowsMultipleSelection = false;
    m_MaxSelection = 0;
    m_firstLayout = true;
    m_selectedPeriod = 12;
    // Days before today cannot be chosen until the owner says otherwise.
    m_minimumDate = NSDate::date();
    m_minimumDay = GCCalDay::initWithDate(m_minimumDate);
    m_previousSelectedIndex = { INT64_MAX, INT64_MAX };
    initParameters();
    for (auto direction : { UISwipeGestureRecognizerDirectionLeft, UISwipeGestureRecognizerDirectionRight }) {
        auto swipe = UISwipeGestureRecognizer::create(self(), &GCCalendarView::swipe);
        swipe->setDirection(direction);
        addGestureRecognizer(swipe);
    }
}

void GCCalendarView::initParameters()
{
    m_gridSize = CGSizeMake(39, 31);
    m_date = NSDate::date();
    m_calMonth = GCCalMonth::initWithDate(m_date);
    // A new calendar starts on the first of this month; a confirm still sends only a day that
    // may be chosen.
    m_selectedDay = m_calMonth->firstDay();
    m_gridViewsArray.assign(6, {});
    m_monthGridViewsArray.clear();
    m_recyledGridSetDic.clear();
    m_selectedDayDic.clear();
    m_selectedGridViewIndicesDic.clear();
}

void GCCalendarView::setDataSource(const std::shared_ptr<GCCalendarViewDataSource>& dataSource)
{
    m_dataSource = dataSource;
    recyleAllGridViews();
    m_firstLayout = true;
    setNeedsLayout();
}

void GCCalendarView::setGridSize(CGSize size)
{
    m_gridSize = size;
    m_firstLayout = true;
    recyleAllGridViews();
    setNeedsLayout();
}

void GCCalendarView::setDate(const std::shared_ptr<NSDate>& date)
{
    m_date = date;
    setCalMonth(GCCalMonth::initWithDate(date));
}

void GCCalendarView::setCalMonth(const GCCalMonthRef& month)
{
    if (!month)
        return;
    recyleAllGridViews();
    m_calMonth = month;
    resetSelectedDay();
    m_firstLayout = true;
    setNeedsLayout();
}

void GCCalendarView::resetSelectedDay()
{
    GCCalDayRef day = m_date ? GCCalDay::initWithDate(m_date) : (m_calMonth ? m_calMonth->firstDay() : nullptr);
    m_selectedDay = isSelectable(day) ? day : nullptr;
}

void GCCalendarView::setMinimumDate(const std::shared_ptr<NSDate>& date)
{
    m_minimumDate = date;
    m_minimumDay = date ? GCCalDay::initWithDate(date) : nullptr;
    if (!isSelectable(m_selectedDay))
        m_selectedDay = nullptr;
    m_firstLayout = true;
    recyleAllGridViews();
    setNeedsLayout();
}

void GCCalendarView::setMaximumDate(const std::shared_ptr<NSDate>& date)
{
    m_maximumDate = date;
    m_maximumDay = date ? GCCalDay::initWithDate(date) : nullptr;
    if (!isSelectable(m_selectedDay))
        m_selectedDay = nullptr;
    m_firstLayout = true;
    recyleAllGridViews();
    setNeedsLayout();
}

bool GCCalendarView::isSelectable(const GCCalDayRef& day) const
{
    if (!day)
        return false;
    if (m_minimumDay && day->compare(m_minimumDay) < 0)
        return false;
    if (m_maximumDay && day->compare(m_maximumDay) > 0)
        return false;
    return true;
}

bool GCCalendarView::isSelectableCell(const GCCalendarGridViewRef& cell) const
{
    const GCCalDayRef& day = cell ? cell->calDay() : nullptr;
    const bool inMonth = day && day->getYear() == m_calMonth->getYear() && day->getMonth() == m_calMonth->getMonth();
    return inMonth && isSelectable(day);
}

std::string GCCalendarView::keyOf(const GCCalDayRef& day)
{
    char key[32];
    std::snprintf(key, sizeof key, "%04d%02d%02d", int(day->getYear()), int(day->getMonth()), int(day->getDay()));
    return key;
}

NSInteger GCCalendarView::numberOfRows() const
{
    const auto first = m_calMonth->firstDay();
    return first ? (NSInteger(first->getWeekDay()) + NSInteger(m_calMonth->days()) - 2) / 7 + 1 : 0;
}

CGRect GCCalendarView::cellFrame(NSInteger row, NSInteger column) const
{
    return CGRectMake(2 + column * (m_gridSize.width + 3), 4 + row * (m_gridSize.height + 5), m_gridSize.width, m_gridSize.height);
}

GCCalendarGridViewRef GCCalendarView::gridViewAt(NSInteger row, NSInteger column) const
{
    if (row < 0 || size_t(row) >= m_gridViewsArray.size() || column < 0)
        return nullptr;
    const auto& cells = m_gridViewsArray[size_t(row)];
    return size_t(column) < cells.size() ? cells[size_t(column)] : nullptr;
}

void GCCalendarView::storeCell(const GCCalendarGridViewRef& cell, NSInteger row, NSInteger column)
{
    if (row < 0 || size_t(row) >= m_gridViewsArray.size() || column < 0)
        return;
    auto& cells = m_gridViewsArray[size_t(row)];
    if (cells.size() <= size_t(column))
        cells.resize(size_t(column) + 1);
    cells[size_t(column)] = cell;
}

GCCalendarGridViewRef GCCalendarView::dequeueCalendarGridViewWithIdentifier(const NSString& identifier)
{
    auto found = m_recyledGridSetDic.find(identifier.UTF8String());
    if (found == m_recyledGridSetDic.end() || found->second.empty())
        return nullptr;
    auto cell = found->second.back();
    found->second.pop_back();
    return cell;
}

void GCCalendarView::recyleAllGridViews()
{
    for (auto& cells : m_gridViewsArray) {
        for (const auto& cell : cells) {
            if (!cell)
                continue;
            cell->deselect();
            cell->removeFromSuperview();
            // A cell without an identifier cannot be asked for again: it is let go.
            if (cell->identifier().length() > 0)
                m_recyledGridSetDic[cell->identifier().UTF8String()].push_back(cell);
        }
        cells.clear();
    }
    m_gridViewsArray.resize(6);
    m_monthGridViewsArray.clear();
}

void GCCalendarView::layoutGridCells()
{
    if (!m_dataSource || !m_calMonth || !m_calMonth->firstDay())
        return;
    auto protectedSelf = self();
    auto me = std::static_pointer_cast<GCCalendarGridViewDelegate>(self());
    const NSInteger w1 = NSInteger(m_calMonth->firstDay()->getWeekDay());
    const auto place = [&](const GCCalendarGridViewRef& cell, const GCCalDayRef& day, NSInteger row, NSInteger column) {
        cell->setDelegate(me);
        cell->setCalDay(day);
        cell->setRow(NSUInteger(row));
        cell->setColumn(NSUInteger(column));
        cell->setFrame(cellFrame(row, column));
        // The scroll view reads the touches on the cells.
        cell->setUserInteractionEnabled(false);
        cell->setNeedsLayout();
        m_gridScrollView->addSubview(cell);
        storeCell(cell, row, column);
    };

    if (w1 >= 2) {
        const auto previous = m_calMonth->previousMonth();
        for (NSInteger i = 0; i < w1 - 1; ++i) {
            const auto day = previous->calDayAtDay(previous->days() - NSUInteger(i));
            const NSInteger column = NSInteger(day->getWeekDay()) - 1;
            if (auto cell = m_dataSource->calendarDisableGridViewForRow(*this, 0, column, day))
                place(cell, day, 0, column);
        }
    }

    CGFloat right = 0, bottom = 0;
    for (NSUInteger d = 1; d <= m_calMonth->days(); ++d) {
        const auto day = m_calMonth->calDayAtDay(d);
        const NSInteger row = (w1 + NSInteger(d) - 2) / 7, column = NSInteger(day->getWeekDay()) - 1;
        auto cell = m_dataSource->calendarGridViewForRow(*this, row, column, day);
        if (!cell)
            continue;
        cell->setSelectedEanable(isSelectable(day));
        if (m_selectedDayDic.count(keyOf(day))) {
            cell->select();
            m_selectedGridViewIndicesDic[{ row, column }] = true;
        }
        place(cell, day, row, column);
        m_monthGridViewsArray.push_back(cell);
        right = std::max(right, CGRectGetMaxX(cell->frame()));
        bottom = std::max(bottom, CGRectGetMaxY(cell->frame()));
    }
    m_gridScrollView->setContentSize(CGSizeMake(right, bottom + 5));

    const auto last = m_calMonth->lastDay();
    if (last && last->getWeekDay() < 7) {
        const auto next = m_calMonth->nextMonth();
        const NSInteger row = numberOfRows() - 1;
        for (NSUInteger d = 1; d <= 7 - last->getWeekDay(); ++d) {
            const auto day = next->calDayAtDay(d);
            const NSInteger column = NSInteger(day->getWeekDay()) - 1;
            if (auto cell = m_dataSource->calendarDisableGridViewForRow(*this, row, column, day))
                place(cell, day, row, column);
        }
    }
}

void GCCalendarView::layoutSubviews()
{
    UIView::layoutSubviews();
    if (m_firstLayout) {
        m_firstLayout = false;
        layoutGridCells();
        const auto centreIn = [](const UIViewRef& view, const UIViewRef& container) {
            const CGSize outer = container->bounds().size, inner = view->bounds().size;
            view->setFrame(CGRectMake((outer.width - inner.width) / 2, (outer.height - inner.height) / 2, inner.width, inner.height));
            container->addSubview(view);
        };
        if (!m_calendarHeaderView && m_dataSource) {
            if (auto header = m_dataSource->headerViewForCalendarView(*this)) {
                header->setDelegate(std::static_pointer_cast<GCCalendarViewHeaderViewDelegate>(self()));
                m_calendarHeaderView = header;
                centreIn(header, m_headerView);
            }
        }
        if (!m_calendarFooterView && m_dataSource) {
            if (auto footer = m_dataSource->footerViewForCalendarView(*this)) {
                footer->setDelegate(std::static_pointer_cast<GCCalendarViewFooterViewDelegate>(self()));
                m_calendarFooterView = footer;
                centreIn(footer, m_footerView);
            }
        }
        m_footerView->setHidden(!m_calendarFooterView);
        if (!m_calendarFooterView) {
            CGRect frame = this->frame();
            frame.size.height = kHeightWithoutFooter;
            setFrame(frame);
        }

        for (const auto& view : std::vector(m_weekHintView->subviews()))
            if (!std::dynamic_pointer_cast<UIImageView>(view))
                view->removeFromSuperview();
        std::vector<NSString> titles = m_dataSource ? m_dataSource->weekTitlesForCalendarView(*this) : std::vector<NSString> {};
        if (titles.size() < 7)
            titles = { "日", "一", "二", "三", "四", "五", "六" };
        const CGFloat w = m_gridScrollView->contentSize().width / 7;
        for (size_t i = 0; i < 7; ++i) {
            auto label = UILabel::create(CGRectMake(CGFloat(i) * w, 0, w, m_weekHintView->bounds().size.height));
            label->setTextAlignment(NSTextAlignmentCenter);
            label->setTextColor(UIColor::whiteColor());
            label->setFont(UIFont::systemFontOfSize(14));
            label->setBackgroundColor(UIColor::clearColor());
            label->setAdjustsFontSizeToFitWidth(true);
            label->setMinimumScaleFactor(12.0 / 14);
            label->setText(titles[i]);
            m_weekHintView->addSubview(label);
        }
    }
    if (m_calendarHeaderView && m_calMonth) {
        NSString title = m_dataSource ? m_dataSource->titleForMonth(*this, m_calMonth) : nullptr;
        if (title.length() == 0)
            title = NSString::stringWithFormat("%d年%d月", int(m_calMonth->getYear()), int(m_calMonth->getMonth()));
        m_calendarHeaderView->setTitle(title);
    }
}

std::vector<std::shared_ptr<NSDate>> GCCalendarView::selectedDateArray() const
{
    std::vector<std::shared_ptr<NSDate>> dates;
    if (!m_allowsMultipleSelection)
        return dates;
    for (const std::string& key : m_selectedDayDic) {
        int y = 0, m = 0, d = 0;
        if (std::sscanf(key.c_str(), "%4d%2d%2d", &y, &m, &d) == 3)
            dates.push_back(GCCalDay::initWithYear(y, m, d)->date());
    }
    return dates;
}

void GCCalendarView::nextMonth() { changeMonth(true); }
void GCCalendarView::previousMonth() { changeMonth(false); }

void GCCalendarView::changeMonth(bool next)
{
    m_selectedGridViewIndicesDic.clear();
    auto header = m_calendarHeaderView;
    if (header) {
        header->previousMonthButton()->setEnabled(false);
        header->nextMonthButton()->setEnabled(false);
    }
    auto month = next ? m_calMonth->nextMonth() : m_calMonth->previousMonth();
    std::weak_ptr<GCCalendarView> weakSelf = self();
    UIView::transitionWithView(m_gridScrollView, kPageDuration,
        next ? UIViewAnimationOptionTransitionCurlUp : UIViewAnimationOptionTransitionCurlDown,
        [weakSelf, month] {
            if (auto strongSelf = weakSelf.lock()) {
                strongSelf->setCalMonth(month);
                strongSelf->layoutIfNeeded();
            }
        },
        [header](bool) {
            if (header) {
                header->previousMonthButton()->setEnabled(true);
                header->nextMonthButton()->setEnabled(true);
            }
        });
}

std::optional<GCCalendarView::Cell> GCCalendarView::hitTestCell(CGPoint point) const
{
    const NSInteger row = NSInteger(std::trunc((point.y - 4) / (m_gridSize.height + 5)));
    const NSInteger column = NSInteger(std::trunc((point.x - 2) / (m_gridSize.width + 3)));
    if (row < 0 || column < 0 || column >= 7 || row >= numberOfRows())
        return std::nullopt;
    return Cell { row, column };
}

void GCCalendarView::updateCells()
{
    for (NSInteger row = 0; row < NSInteger(m_gridViewsArray.size()); ++row) {
        for (NSInteger column = 0; column < NSInteger(m_gridViewsArray[size_t(row)].size()); ++column) {
            const auto cell = gridViewAt(row, column);
            const auto recorded = m_selectedGridViewIndicesDic.find({ row, column });
            if (!cell || recorded == m_selectedGridViewIndicesDic.end() || cell->selected() == recorded->second)
                continue;
            recorded->second ? cell->select() : cell->deselect();
            cell->setNeedsLayout();
            const bool inMonth = std::find(m_monthGridViewsArray.begin(), m_monthGridViewsArray.end(), cell) != m_monthGridViewsArray.end();
            if (inMonth && cell->calDay()) {
                if (recorded->second)
                    m_selectedDayDic.insert(keyOf(cell->calDay()));
                else
                    m_selectedDayDic.erase(keyOf(cell->calDay()));
            }
        }
    }
}

void GCCalendarView::calendarSrollViewTouchesBegan(GCCalendarScrollView&, const UITouchSet& touches, const UIEventRef&)
{
    m_moved = false;
    m_swipeTimeInterval = kUnmeasured;
    if (auto touch = touches.anyObject())
        m_begintimeInterval = touch->timestamp();
}

void GCCalendarView::calendarSrollViewTouchesMoved(GCCalendarScrollView&, const UITouchSet& touches, const UIEventRef&)
{

    m_moved = true;
    auto touch = touches.anyObject();
    const auto hit = touch ? hitTestCell(touch->locationInView(m_gridScrollView)) : std::nullopt;
    if (!hit)
        return;
    const auto cell = gridViewAt(hit->row, hit->column);
    const bool full = m_MaxSelection > 0 && m_selectedDayDic.size() >= m_MaxSelection;
    if (m_allowsMultipleSelection && !full && cell && !cell->selected())
        m_selectedGridViewIndicesDic[*hit] = isSelectableCell(cell);
    m_previousSelectedIndex = *hit;
    updateCells();
}

void GCCalendarView::calendarSrollViewTouchesEnded(GCCalendarScrollView&, const UITouchSet& touches, const UIEventRef&)
{
    auto touch = touches.anyObject();
    const auto hit = touch ? hitTestCell(touch->locationInView(m_gridScrollView)) : std::nullopt;
    const auto cell = hit ? gridViewAt(hit->row, hit->column) : nullptr;
    if (cell) {
        const bool selectable = isSelectableCell(cell);
        if (!m_moved) {
            const bool newState = cell->selected() ? false : selectable;
            if (!m_allowsMultipleSelection) {
                for (NSInteger row = 0; row < NSInteger(m_gridViewsArray.size()); ++row)
                    for (NSInteger column = 0; column < NSInteger(m_gridViewsArray[size_t(row)].size()); ++column)
                        m_selectedGridViewIndicesDic[{ row, column }] = false;
                m_selectedGridViewIndicesDic[*hit] = selectable;
            } else if (newState) {
                if (m_MaxSelection > 0 && m_selectedDayDic.size() >= m_MaxSelection && !m_selectedDayDic.empty()) {
                    // Make room: the day farthest from the new one on its side goes.
                    const std::string key = keyOf(cell->calDay());
                    const std::string dropped = key > *m_selectedDayDic.rbegin() ? *m_selectedDayDic.rbegin() : *m_selectedDayDic.begin();
                    m_selectedDayDic.erase(dropped);
                    for (const auto& visible : m_monthGridViewsArray)
                        if (visible->calDay() && keyOf(visible->calDay()) == dropped)
                            m_selectedGridViewIndicesDic[{ NSInteger(visible->row()), NSInteger(visible->column()) }] = false;
                }
                m_selectedGridViewIndicesDic[*hit] = true;
            } else {
                m_selectedGridViewIndicesDic[*hit] = false;
            }
        }
        updateCells();
        // Only a day that may be chosen becomes the chosen day.
        if (!m_allowsMultipleSelection && selectable)
            m_selectedDay = cell->calDay();
    }
    if (touch)
        m_swipeTimeInterval = std::abs(touch->timestamp() - m_begintimeInterval);
}

void GCCalendarView::calendarSrollViewTouchesCancelled(GCCalendarScrollView&, const UITouchSet& touches, const UIEventRef&)
{

    if (auto touch = touches.anyObject())
        m_swipeTimeInterval = std::abs(touch->timestamp() - m_begintimeInterval);
}

void GCCalendarView::swipe(UISwipeGestureRecognizer& recognizer)
{
    double duration = m_swipeTimeInterval;

    // Recognised while the finger is still down: the sequence so far counts.
    if (duration == kUnmeasured && m_begintimeInterval > 0)
        duration = SystemClock::monotonicNow() - m_begintimeInterval;
    if (!(std::abs(duration - kUnmeasured) > 1 && duration < 2))
        return;
    if (recognizer.direction() & UISwipeGestureRecognizerDirectionLeft)
        nextMonth();
    else
        previousMonth();
}

void GCCalendarView::calendarViewHeaderViewDidSelection(GCCalendarViewHeaderView&)
{
    auto protectedSelf = self();
    auto delegate = m_delegate.lock();
    if (delegate && m_selectedDay && isSelectable(m_selectedDay))
        delegate->calendarViewDidSelectDay(*this, m_selectedDay);
    hide();
}

void GCCalendarView::calendarViewFooterViewDidSelectPeriod(GCCalendarViewFooterView&, int periodType)
{
    m_selectedPeriod = periodType;
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->calendarViewDidSelectPeriodType(*this, periodType);
}

void GCCalendarView::showInView(const UIViewRef& view)
{
    if (!view)
        return;
    if (!m_parentView) {
        m_parentView = UIView::create(view->bounds());
        m_parentView->setAlpha(0);
        m_parentView->setBackgroundColor(UIColor::whiteColor());
    } else if (m_parentView->superview() && m_parentView->superview() != view) {
        m_parentView->setAlpha(0);
        m_parentView->removeFromSuperview();
        m_parentView->setFrame(view->bounds());
    }
    if (m_parentView->superview() != view)
        view->addSubview(m_parentView);
    if (!superview()) {
        const CGSize outer = view->bounds().size, inner = bounds().size;
        setFrame(CGRectMake((outer.width - inner.width) / 2, std::max(CGFloat(0), (outer.height - inner.height) / 2), inner.width, inner.height));
        view->addSubview(self());
    }
    auto parent = m_parentView;
    auto me = self();
    UIView::animateWithDuration(kFadeDuration, [me, parent] {
        me->setAlpha(1);
        parent->setAlpha(0.6);
    });
    m_isHide = false;
}

void GCCalendarView::show()
{
    auto me = self();
    UIView::animateWithDuration(kFadeDuration, [me] { me->setAlpha(1); });
}

void GCCalendarView::hide()
{
    auto me = self();
    auto parent = m_parentView;
    UIView::animateWithDuration(kFadeDuration, [me, parent] {
        me->setAlpha(0);
        if (parent)
            parent->setAlpha(0);
    });
    m_isHide = true;
}

bool GCCalendarView::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (m_isHide || !UnclaimedKeyRouting::isBackKey(key, modifiers))
        return false;
    hide();
    return true;
}
