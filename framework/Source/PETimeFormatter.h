#pragma once
// Formats a number of seconds after a reference date (the platform's reference date when none is
// set) as a date, through its date formatter.

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSNumberFormatter.h"

class PETimeFormatter : public NSNumberFormatter {
    NS_OBJECT(PETimeFormatter, NSNumberFormatter)
public:
    const std::shared_ptr<NSDateFormatter>& dateFormatter() const { return m_dateFormatter; }
    void setDateFormatter(const std::shared_ptr<NSDateFormatter>& formatter) { m_dateFormatter = formatter; }
    const std::shared_ptr<NSDate>& referenceDate() const { return m_referenceDate; }
    void setReferenceDate(const std::shared_ptr<NSDate>& date) { m_referenceDate = date; }

    // Nil for anything but a number of finite seconds, or without a date formatter.
    NSString stringForObjectValue(const id& value) const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithDateFormatter:
    void init(const std::shared_ptr<NSDateFormatter>& formatter);
    void init() { init(nullptr); }
    bool init(NSCoder& coder);

private:
    std::shared_ptr<NSDateFormatter> m_dateFormatter;
    std::shared_ptr<NSDate> m_referenceDate;
};
