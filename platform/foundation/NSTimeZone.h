#pragma once
// A geopolitical time zone (a tz database name) or a fixed offset from GMT. The device's zone is
// Asia/Shanghai; the default zone, which calendars and formatters take when made, is the
// device's until someone sets another (tests do, to reach other zones).

#include "platform/foundation/NSDate.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class TimeZone;
U_NAMESPACE_END

class NSDictionary;

class NSTimeZone : public NSObject {
    NS_OBJECT(NSTimeZone, NSObject)
public:
    // Nil for a name the tz database does not know. "GMT+8" style offsets are accepted too.
    static std::shared_ptr<NSTimeZone> timeZoneWithName(const NSString& name);
    // Through abbreviationDictionary(); nil for an abbreviation it lacks.
    static std::shared_ptr<NSTimeZone> timeZoneWithAbbreviation(const NSString& abbreviation);
    // Nil beyond ±18 hours. Named "GMT" for 0, "GMT+0800" style otherwise.
    static std::shared_ptr<NSTimeZone> timeZoneForSecondsFromGMT(NSInteger seconds);

    static std::shared_ptr<NSTimeZone> systemTimeZone();
    static std::shared_ptr<NSTimeZone> defaultTimeZone();
    // Nil puts the system zone back.
    static void setDefaultTimeZone(const std::shared_ptr<NSTimeZone>& timeZone);
    // Follows the default zone.
    static std::shared_ptr<NSTimeZone> localTimeZone() { return defaultTimeZone(); }
    static std::shared_ptr<NSDictionary> abbreviationDictionary();

    const NSString& name() const { return m_name; }
    NSString abbreviation() const;
    NSString abbreviationForDate(const std::shared_ptr<NSDate>& date) const;
    NSInteger secondsFromGMT() const;
    NSInteger secondsFromGMTForDate(const std::shared_ptr<NSDate>& date) const;
    bool isDaylightSavingTime() const;
    bool isDaylightSavingTimeForDate(const std::shared_ptr<NSDate>& date) const;
    NSTimeInterval daylightSavingTimeOffsetForDate(const std::shared_ptr<NSDate>& date) const;
    // Nil for a zone without transitions after the date.
    std::shared_ptr<NSDate> nextDaylightSavingTimeTransitionAfterDate(const std::shared_ptr<NSDate>& date) const;
    bool isEqualToTimeZone(const std::shared_ptr<NSTimeZone>& other) const;

    // For the classes built on ICU.
    const icu::TimeZone& icuTimeZone() const { return *m_zone; }

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return m_name.hash(); }
    id copy() const override;

protected:
    void init(std::shared_ptr<const icu::TimeZone> zone, const NSString& name);

private:
    NSTimeInterval millisecondsAt(const std::shared_ptr<NSDate>& date) const;

    std::shared_ptr<const icu::TimeZone> m_zone;
    NSString m_name;
};
