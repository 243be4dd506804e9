#pragma once
// A number formatter for values that count whole calendar units (days, months, years...) from
// a reference date: the value n becomes the date n units after it, written by the date
// formatter. It can stand wherever the engine takes a label formatter.
//
// The unit is one calendar-unit bit (NSCalendarUnitDay by default); a combination of units adds
// nothing and formats the reference date. The calendar and time-zone units raise "PEException".

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSNumberFormatter.h"

class PECalendarFormatter : public NSNumberFormatter {
    NS_OBJECT(PECalendarFormatter, NSNumberFormatter)
public:
    // Nil gives nil text.
    const std::shared_ptr<NSDateFormatter>& dateFormatter() const { return m_dateFormatter; }
    void setDateFormatter(const std::shared_ptr<NSDateFormatter>& dateFormatter) { m_dateFormatter = dateFormatter; }
    // Nil: the platform's reference date, 1 January 2001 00:00:00 UTC.
    const std::shared_ptr<NSDate>& referenceDate() const { return m_referenceDate; }
    void setReferenceDate(const std::shared_ptr<NSDate>& referenceDate);
    // Nil: the user's current calendar at the time of formatting.
    const std::shared_ptr<NSCalendar>& referenceCalendar() const { return m_referenceCalendar; }
    void setReferenceCalendar(const std::shared_ptr<NSCalendar>& referenceCalendar);
    NSCalendarUnit referenceCalendarUnit() const { return m_referenceCalendarUnit; }
    void setReferenceCalendarUnit(NSCalendarUnit unit) { m_referenceCalendarUnit = unit; }

    // The value's integer part (0 for anything that is not a number or numeric text) in units
    // after the reference date.
    NSString stringForObjectValue(const id& value) const override;

    // A new formatter with copies of the date formatter, reference date and calendar and the same
    // unit; the number-formatter settings of the base are not carried over.
    id copy() const override;

    // The number formatter's settings first, then the formatter's own fields.
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // A date formatter with medium date and time styles.
    void init();
    void init(const std::shared_ptr<NSDateFormatter>& dateFormatter);
    bool init(NSCoder& coder);

private:
    std::shared_ptr<NSDateFormatter> m_dateFormatter;
    std::shared_ptr<NSDate> m_referenceDate;
    std::shared_ptr<NSCalendar> m_referenceCalendar;
    // The day, not the era: an era step clamps to the calendar's eras and leaves most values on
    // the reference date.
    NSCalendarUnit m_referenceCalendarUnit { NSCalendarUnitDay };
};
