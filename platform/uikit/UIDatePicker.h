#pragma once
// A date on wheels in the locale's fashion: year, month and day in the order the locale writes
// them (for zh_CN "2026年" "12月" "6日"), or one wheel of days ("12月6日 周日", today "今天") with
// hour and minute, or hour and minute alone; a wheel of "上午"/"下午" joins when the locale counts
// hours to twelve. Values outside the minimum and maximum dates show grey.
//
// When the user's wheels come to rest on a date outside the limits, or on a day the month does
// not have, they turn back to the nearest date allowed; then, if the date changed, the control
// sends UIControlEventValueChanged. A wheel the user still turns meanwhile is left to come to rest
// and counts from then on. Setting the date in code moves the wheels and sends nothing.

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/foundation/PassKey.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIPickerView.h"

class UIDatePickerWheels;

enum class UIDatePickerMode : NSInteger {
    Time = 0,
    Date = 1,
    DateAndTime = 2,
};

class UIDatePicker : public UIControl {
    NS_OBJECT(UIDatePicker, UIControl)
public:
    ~UIDatePicker() override;

    UIDatePickerMode datePickerMode() const { return m_mode; }
    void setDatePickerMode(UIDatePickerMode mode);
    // The device's locale, calendar and time zone unless set; nil goes back to them.
    std::shared_ptr<NSLocale> locale() const;
    void setLocale(const std::shared_ptr<NSLocale>& locale);
    std::shared_ptr<NSCalendar> calendar() const;
    void setCalendar(const std::shared_ptr<NSCalendar>& calendar);
    std::shared_ptr<NSTimeZone> timeZone() const;
    void setTimeZone(const std::shared_ptr<NSTimeZone>& timeZone);

    // Now, when made. A date outside the limits is taken as the nearest limit; nil is ignored.
    std::shared_ptr<NSDate> date() const { return m_date; }
    void setDate(const std::shared_ptr<NSDate>& date) { setDate(date, false); }
    void setDate(const std::shared_ptr<NSDate>& date, bool animated);
    std::shared_ptr<NSDate> minimumDate() const { return m_minimumDate; }
    void setMinimumDate(const std::shared_ptr<NSDate>& date);
    std::shared_ptr<NSDate> maximumDate() const { return m_maximumDate; }
    void setMaximumDate(const std::shared_ptr<NSDate>& date);

    // The wheels, for tests and the host.
    const UIPickerViewRef& pickerView() const { return m_picker; }

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;

    // The configured calendar in the picker's locale and time zone.
    std::shared_ptr<NSCalendar> workingCalendar(PassKey<UIDatePickerWheels>) const;
    void wheelsSettled(PassKey<UIDatePickerWheels>);

protected:
    void init(CGRect frame) override;

private:
    std::shared_ptr<NSDate> clamped(const std::shared_ptr<NSDate>& date) const;
    void rebuild();
    // Turns the wheels to the date; a wheel the user turns is left to rest where it will, and
    // counts again from there.
    void showDate(bool animated);

    UIDatePickerMode m_mode { UIDatePickerMode::DateAndTime };
    std::shared_ptr<NSLocale> m_locale;
    std::shared_ptr<NSCalendar> m_calendar;
    std::shared_ptr<NSTimeZone> m_timeZone;
    std::shared_ptr<NSDate> m_date;
    std::shared_ptr<NSDate> m_minimumDate;
    std::shared_ptr<NSDate> m_maximumDate;
    UIPickerViewRef m_picker;
    std::shared_ptr<UIDatePickerWheels> m_wheels;
};

using UIDatePickerRef = std::shared_ptr<UIDatePicker>;
