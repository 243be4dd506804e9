#include "platform/uikit/UIDatePicker.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>

namespace {

enum class Column { Year, Month, Day, Days, Hour, Minute, Meridiem };

constexpr NSInteger kFirstYear = 1900;
constexpr NSInteger kLastYear = 2100;
constexpr NSCalendarUnit kAllUnits = NSCalendarUnitYear | NSCalendarUnitMonth | NSCalendarUnitDay | NSCalendarUnitHour
    | NSCalendarUnitMinute | NSCalendarUnitSecond;

bool sameDate(const std::shared_ptr<NSDate>& a, const std::shared_ptr<NSDate>& b)
{
    return a && b && a->timeIntervalSinceReferenceDate() == b->timeIntervalSinceReferenceDate();
}

bool writesIdeographs(const std::shared_ptr<NSLocale>& locale)
{
    const std::string identifier = locale->localeIdentifier().UTF8String();
    return identifier.starts_with("zh") || identifier.starts_with("ja") || identifier.starts_with("ko");
}

} // namespace

// The wheels' data: which columns the mode and locale call for, what each row says, and the date
// the rows stand for.
class UIDatePickerWheels : public UIPickerViewDataSource, public UIPickerViewDelegate {
public:
    explicit UIDatePickerWheels(const std::shared_ptr<UIDatePicker>& owner)
        : m_owner(owner)
    {
    }

    void build(UIDatePicker& owner)
    {
        m_calendar = owner.workingCalendar(PassKey<UIDatePickerWheels>());
        const auto locale = owner.locale();
        const std::string hours = NSDateFormatter::dateFormatFromTemplate("j", 0, locale).UTF8String();
        m_twelveHour = hours.find('h') != std::string::npos || hours.find('K') != std::string::npos;
        const std::string clock = NSDateFormatter::dateFormatFromTemplate("hm", 0, locale).UTF8String();
        const bool meridiemFirst = !clock.empty() && clock.front() == 'a';

        m_firstYear = kFirstYear;
        m_lastYear = kLastYear;
        if (owner.minimumDate())
            m_firstYear = std::min(m_firstYear, m_calendar->component(NSCalendarUnitYear, owner.minimumDate()));
        if (owner.maximumDate())
            m_lastYear = std::max(m_lastYear, m_calendar->component(NSCalendarUnitYear, owner.maximumDate()));
        m_firstDay = dateOf(m_firstYear, 1, 1);
        m_dayCount = daysFrom(m_firstDay, dateOf(m_lastYear + 1, 1, 1));

        m_columns.clear();
        switch (owner.datePickerMode()) {
        case UIDatePickerMode::Date: {
            // In the order the locale writes a date.
            const std::string pattern = NSDateFormatter::dateFormatFromTemplate("yMMMd", 0, locale).UTF8String();
            const auto at = [&pattern](const char* letters) {
                const auto found = pattern.find_first_of(letters);
                return found == std::string::npos ? pattern.size() : found;
            };
            std::vector<std::pair<std::size_t, Column>> order { { at("y"), Column::Year }, { at("ML"), Column::Month },
                { at("d"), Column::Day } };
            std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
            for (const auto& [position, column] : order)
                m_columns.push_back(column);
            break;
        }
        case UIDatePickerMode::DateAndTime:
            m_columns.push_back(Column::Days);
            [[fallthrough]];
        case UIDatePickerMode::Time:
            if (m_twelveHour && meridiemFirst)
                m_columns.push_back(Column::Meridiem);
            m_columns.push_back(Column::Hour);
            m_columns.push_back(Column::Minute);
            if (m_twelveHour && !meridiemFirst)
                m_columns.push_back(Column::Meridiem);
            break;
        }

        const bool ideographs = writesIdeographs(locale);
        m_yearFormatter = formatter(owner, "y");
        m_monthFormatter = formatter(owner, ideographs ? "MMM" : "MMMM");
        m_dayFormatter = formatter(owner, "d");
        m_daysFormatter = NSDateFormatter::create();
        configure(*m_daysFormatter, owner);
        const NSString monthDay = NSDateFormatter::dateFormatFromTemplate("MMMd", 0, locale);
        m_daysFormatter->setDateFormat(ideographs ? NSString(monthDay.UTF8String() + " EEE") : NSString("EEE " + monthDay.UTF8String()));
        m_today = ideographs ? "今天" : "Today";
        m_amSymbol = m_yearFormatter->AMSymbol();
        m_pmSymbol = m_yearFormatter->PMSymbol();
    }

    std::size_t columnCount() const { return m_columns.size(); }

    // The rows that show the date.
    std::vector<NSInteger> rowsFor(const std::shared_ptr<NSDate>& date) const
    {
        const auto parts = m_calendar->components(kAllUnits, date);
        std::vector<NSInteger> rows;
        for (const Column column : m_columns) {
            switch (column) {
            case Column::Year: rows.push_back(parts->year() - m_firstYear); break;
            case Column::Month: rows.push_back(parts->month() - 1); break;
            case Column::Day: rows.push_back(parts->day() - 1); break;
            case Column::Days: rows.push_back(daysFrom(m_firstDay, dateOf(parts->year(), parts->month(), parts->day()))); break;
            case Column::Hour: rows.push_back(m_twelveHour ? parts->hour() % 12 : parts->hour()); break;
            case Column::Minute: rows.push_back(parts->minute()); break;
            case Column::Meridiem: rows.push_back(parts->hour() >= 12 ? 1 : 0); break;
            }
        }
        return rows;
    }

    // The date the rows stand for, one a column; a day past the month's end becomes its last day.
    // What no wheel shows comes from the date shown before.
    std::shared_ptr<NSDate> dateFromRows(const std::vector<NSInteger>& rows, const std::shared_ptr<NSDate>& before) const
    {
        const auto parts = m_calendar->components(kAllUnits, before);
        NSInteger year = parts->year(), month = parts->month(), day = parts->day();
        NSInteger hour = parts->hour(), minute = parts->minute(), second = parts->second();
        NSInteger hourRow = -1;
        bool pm = hour >= 12;
        for (std::size_t index = 0; index < m_columns.size() && index < rows.size(); ++index) {
            const NSInteger row = std::max<NSInteger>(0, rows[index]);
            switch (m_columns[index]) {
            case Column::Year: year = m_firstYear + row; break;
            case Column::Month: month = row + 1; break;
            case Column::Day: day = row + 1; break;
            case Column::Days: {
                const auto chosen = m_calendar->components(kAllUnits, dayAt(row));
                year = chosen->year();
                month = chosen->month();
                day = chosen->day();
                break;
            }
            case Column::Hour: hourRow = row; break;
            case Column::Minute:
                minute = row;
                second = 0;
                break;
            case Column::Meridiem: pm = row == 1; break;
            }
        }
        if (hourRow >= 0)
            hour = m_twelveHour ? hourRow + (pm ? 12 : 0) : hourRow;
        else if (m_twelveHour)
            hour = hour % 12 + (pm ? 12 : 0);
        day = std::min(day, daysInMonth(year, month));
        return m_calendar->dateWithEra(1, year, month, day, hour, minute, second, 0);
    }

    // Data source and delegate of the wheels.
    NSInteger numberOfComponentsInPickerView(UIPickerView&) override { return NSInteger(m_columns.size()); }
    NSInteger pickerViewNumberOfRowsInComponent(UIPickerView&, NSInteger component) override
    {
        switch (m_columns[std::size_t(component)]) {
        case Column::Year: return m_lastYear - m_firstYear + 1;
        case Column::Month: return 12;
        case Column::Day: return 31;
        case Column::Days: return m_dayCount;
        case Column::Hour: return m_twelveHour ? 12 : 24;
        case Column::Minute: return 60;
        case Column::Meridiem: return 2;
        }
        return 0;
    }
    std::optional<CGFloat> pickerViewWidthForComponent(UIPickerView&, NSInteger component) override
    {
        const bool meridiem = std::find(m_columns.begin(), m_columns.end(), Column::Meridiem) != m_columns.end();
        switch (m_columns[std::size_t(component)]) {
        case Column::Year: return 100;
        case Column::Month: return m_monthFormatter->dateFormat().length() > 3 ? 120 : 76;
        case Column::Day: return 64;
        case Column::Days: return meridiem ? 140 : 164;
        case Column::Hour:
        case Column::Minute:
        case Column::Meridiem: return 56;
        }
        return std::nullopt;
    }
    std::optional<std::shared_ptr<UIView>> pickerViewViewForRow(UIPickerView& picker, NSInteger row, NSInteger component,
        const std::shared_ptr<UIView>& reusing) override
    {
        auto label = std::dynamic_pointer_cast<UILabel>(reusing);
        if (!label) {
            label = UILabel::create();
            label->setTextAlignment(NSTextAlignmentCenter);
            label->setBackgroundColor(UIColor::clearColor());
        }
        const Column column = m_columns[std::size_t(component)];
        label->setFont(UIFont::systemFontOfSize(column == Column::Days ? 19 : 21));
        label->setText(title(column, row));
        label->setTextColor(allowed(picker, column, row) ? UIColor::blackColor() : UIColor::colorWithWhite(0.7, 1));
        return label;
    }
    void pickerViewDidSelectRow(UIPickerView&, NSInteger, NSInteger) override
    {
        if (auto owner = m_owner.lock())
            owner->wheelsSettled(PassKey<UIDatePickerWheels>());
    }

    // The components whose greying depends on the others.
    std::vector<NSInteger> dependentComponents() const
    {
        std::vector<NSInteger> components;
        for (std::size_t index = 0; index < m_columns.size(); ++index) {
            if (m_columns[index] == Column::Month || m_columns[index] == Column::Day)
                components.push_back(NSInteger(index));
        }
        return components;
    }

private:
    std::shared_ptr<NSDateFormatter> formatter(UIDatePicker& owner, const char* dateTemplate) const
    {
        auto result = NSDateFormatter::create();
        configure(*result, owner);
        result->setDateFormat(NSDateFormatter::dateFormatFromTemplate(dateTemplate, 0, owner.locale()));
        return result;
    }
    void configure(NSDateFormatter& formatter, UIDatePicker& owner) const
    {
        formatter.setLocale(owner.locale());
        formatter.setTimeZone(owner.timeZone());
        formatter.setCalendar(m_calendar);
    }

    std::shared_ptr<NSDate> dateOf(NSInteger year, NSInteger month, NSInteger day) const
    {
        return m_calendar->dateWithEra(1, year, month, day, 0, 0, 0, 0);
    }
    std::shared_ptr<NSDate> dayAt(NSInteger row) const
    {
        return m_calendar->dateByAddingUnit(NSCalendarUnitDay, row, m_firstDay, 0);
    }
    NSInteger daysFrom(const std::shared_ptr<NSDate>& from, const std::shared_ptr<NSDate>& to) const
    {
        return m_calendar->components(NSCalendarUnitDay, from, to, 0)->day();
    }
    NSInteger daysInMonth(NSInteger year, NSInteger month) const
    {
        return NSInteger(m_calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, dateOf(year, month, 1)).length);
    }

    NSString title(Column column, NSInteger row) const
    {
        switch (column) {
        case Column::Year: return m_yearFormatter->stringFromDate(m_calendar->dateWithEra(1, m_firstYear + row, 6, 1, 12, 0, 0, 0));
        case Column::Month: return m_monthFormatter->stringFromDate(m_calendar->dateWithEra(1, 2000, row + 1, 1, 12, 0, 0, 0));
        case Column::Day: return m_dayFormatter->stringFromDate(m_calendar->dateWithEra(1, 2000, 1, row + 1, 12, 0, 0, 0));
        case Column::Days: {
            const auto day = dayAt(row);
            return m_calendar->isDateInToday(day) ? m_today : m_daysFormatter->stringFromDate(day);
        }
        case Column::Hour: return NSString(std::to_string(m_twelveHour && row == 0 ? 12 : row));
        case Column::Minute: return NSString((row < 10 ? "0" : "") + std::to_string(row));
        case Column::Meridiem: return row == 0 ? m_amSymbol : m_pmSymbol;
        }
        return "";
    }

    // Whether any moment of what the row stands for (with the other wheels as they are) lies
    // within the limits.
    bool allowed(UIPickerView& picker, Column column, NSInteger row) const
    {
        auto owner = m_owner.lock();
        if (!owner)
            return true;
        NSInteger year = m_firstYear, month = 1;
        for (std::size_t index = 0; index < m_columns.size(); ++index) {
            const NSInteger selected = std::max<NSInteger>(0, picker.selectedRowInComponent(NSInteger(index)));
            if (m_columns[index] == Column::Year)
                year = m_firstYear + selected;
            else if (m_columns[index] == Column::Month)
                month = selected + 1;
        }
        // A day the chosen month lacks is greyed whatever the limits.
        if (column == Column::Day && row + 1 > daysInMonth(year, month))
            return false;
        if (!owner->minimumDate() && !owner->maximumDate())
            return true;
        std::shared_ptr<NSDate> start;
        NSCalendarUnit unit = NSCalendarUnitDay;
        switch (column) {
        case Column::Year:
            start = dateOf(m_firstYear + row, 1, 1);
            unit = NSCalendarUnitYear;
            break;
        case Column::Month:
            start = dateOf(year, row + 1, 1);
            unit = NSCalendarUnitMonth;
            break;
        case Column::Day:
            start = dateOf(year, month, row + 1);
            break;
        case Column::Days: start = dayAt(row); break;
        default: return true;
        }
        const auto end = m_calendar->dateByAddingUnit(unit, 1, start, 0);
        if (owner->minimumDate() && end->timeIntervalSinceDate(owner->minimumDate()) <= 0)
            return false;
        return !owner->maximumDate() || start->timeIntervalSinceDate(owner->maximumDate()) <= 0;
    }

    std::weak_ptr<UIDatePicker> m_owner;
    std::shared_ptr<NSCalendar> m_calendar;
    std::vector<Column> m_columns;
    bool m_twelveHour { false };
    NSInteger m_firstYear { kFirstYear };
    NSInteger m_lastYear { kLastYear };
    std::shared_ptr<NSDate> m_firstDay;
    NSInteger m_dayCount { 0 };
    std::shared_ptr<NSDateFormatter> m_yearFormatter;
    std::shared_ptr<NSDateFormatter> m_monthFormatter;
    std::shared_ptr<NSDateFormatter> m_dayFormatter;
    std::shared_ptr<NSDateFormatter> m_daysFormatter;
    NSString m_today;
    NSString m_amSymbol;
    NSString m_pmSymbol;
};

UIDatePicker::~UIDatePicker() = default;

void UIDatePicker::init(CGRect frame)
{
    if (frame.size.width <= 0 || frame.size.height <= 0)
        frame.size = CGSizeMake(UIScreen::mainScreen()->bounds().size.width, UIPickerView::kDefaultHeight);
    UIControl::init(frame);
    m_date = NSDate::date();
    m_picker = UIPickerView::create(bounds());
    m_picker->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_wheels = std::make_shared<UIDatePickerWheels>(self());
    m_picker->setDataSource(m_wheels);
    m_picker->setDelegate(m_wheels);
    addSubview(m_picker);
    rebuild();
}

std::shared_ptr<NSLocale> UIDatePicker::locale() const
{
    return m_locale ? m_locale : NSLocale::currentLocale();
}

void UIDatePicker::setLocale(const std::shared_ptr<NSLocale>& locale)
{
    NSAssertMainThread();
    m_locale = locale;
    rebuild();
}

std::shared_ptr<NSCalendar> UIDatePicker::calendar() const
{
    return m_calendar ? m_calendar : NSCalendar::currentCalendar();
}

void UIDatePicker::setCalendar(const std::shared_ptr<NSCalendar>& calendar)
{
    NSAssertMainThread();
    m_calendar = calendar;
    rebuild();
}

std::shared_ptr<NSTimeZone> UIDatePicker::timeZone() const
{
    return m_timeZone ? m_timeZone : NSTimeZone::defaultTimeZone();
}

void UIDatePicker::setTimeZone(const std::shared_ptr<NSTimeZone>& timeZone)
{
    NSAssertMainThread();
    m_timeZone = timeZone;
    rebuild();
}

void UIDatePicker::setDatePickerMode(UIDatePickerMode mode)
{
    NSAssertMainThread();
    if (mode == m_mode)
        return;
    m_mode = mode;
    rebuild();
}

void UIDatePicker::setDate(const std::shared_ptr<NSDate>& date, bool animated)
{
    NSAssertMainThread();
    if (!date)
        return;
    m_date = clamped(date);
    showDate(animated);
}

void UIDatePicker::setMinimumDate(const std::shared_ptr<NSDate>& date)
{
    NSAssertMainThread();
    m_minimumDate = date;
    m_date = clamped(m_date);
    rebuild();
}

void UIDatePicker::setMaximumDate(const std::shared_ptr<NSDate>& date)
{
    NSAssertMainThread();
    m_maximumDate = date;
    m_date = clamped(m_date);
    rebuild();
}

std::shared_ptr<NSCalendar> UIDatePicker::workingCalendar(PassKey<UIDatePickerWheels>) const
{
    auto working = std::static_pointer_cast<NSCalendar>(calendar()->copy());
    working->setLocale(locale());
    working->setTimeZone(timeZone());
    return working;
}

std::shared_ptr<NSDate> UIDatePicker::clamped(const std::shared_ptr<NSDate>& date) const
{
    if (m_minimumDate && date->timeIntervalSinceDate(m_minimumDate) < 0)
        return m_minimumDate;
    // A maximum before the minimum loses: the minimum holds.
    if (m_maximumDate && date->timeIntervalSinceDate(m_maximumDate) > 0
        && !(m_minimumDate && m_maximumDate->timeIntervalSinceDate(m_minimumDate) < 0))
        return m_maximumDate;
    return date;
}

void UIDatePicker::rebuild()
{
    m_wheels->build(*this);
    m_picker->reloadAllComponents();
    showDate(false);
}

void UIDatePicker::showDate(bool animated)
{
    const auto rows = m_wheels->rowsFor(m_date);
    for (std::size_t component = 0; component < rows.size(); ++component)
        m_picker->selectRowAfterUsersTurn(rows[component], NSInteger(component), animated);
    for (const NSInteger component : m_wheels->dependentComponents())
        m_picker->reloadComponent(component);
}

void UIDatePicker::wheelsSettled(PassKey<UIDatePickerWheels>)
{
    auto protectedSelf = self();
    // A wheel the user still turns counts with the row it last rested on, the date's, until it
    // rests again; the row it shows on the way is not chosen.
    const auto rowsBefore = m_wheels->rowsFor(m_date);
    std::vector<NSInteger> rows(rowsBefore.size());
    for (std::size_t component = 0; component < rows.size(); ++component) {
        rows[component] = m_picker->isTurnedByUser(NSInteger(component))
            ? rowsBefore[component]
            : m_picker->selectedRowInComponent(NSInteger(component));
    }
    const auto chosen = clamped(m_wheels->dateFromRows(rows, m_date));
    const bool changed = !sameDate(chosen, m_date);
    m_date = chosen;
    // Wheels resting on a day the month lacks or beyond a limit turn back to the date taken; one
    // the user still turns is left to rest first, and turns back then if it rests there.
    showDate(true);
    if (changed)
        sendActionsForControlEvents(UIControlEventValueChanged);
}

CGSize UIDatePicker::sizeThatFits(CGSize size) const
{
    return { size.width > 0 ? size.width : UIScreen::mainScreen()->bounds().size.width, UIPickerView::kDefaultHeight };
}

void UIDatePicker::layoutSubviews()
{
    m_picker->setFrame(bounds());
}
