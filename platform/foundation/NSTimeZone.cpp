#include "platform/foundation/NSTimeZone.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/ICUBridge.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NeverDestroyed.h"

#include <unicode/basictz.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/tztrans.h>

#include <cstdlib>

namespace {

constexpr const char* systemZoneName = "Asia/Shanghai";

// Nil until the application sets one: the system's zone then answers.
Guarded<std::shared_ptr<NSTimeZone>>& defaultZone()
{
    static NeverDestroyed<Guarded<std::shared_ptr<NSTimeZone>>> shared;
    return shared.get();
}

std::shared_ptr<NSTimeZone> makeZone(const NSString& icuName, const NSString& name)
{
    std::shared_ptr<const icu::TimeZone> zone(icu::TimeZone::createTimeZone(ns::unicodeString(icuName)));
    if (!zone || *zone == icu::TimeZone::getUnknown())
        return nullptr;
    return NSTimeZone::create(std::move(zone), name);
}

// The platform's table of abbreviations, in its own pairing of abbreviation and zone.
constexpr std::pair<const char*, const char*> abbreviations[] = {
    { "ADT", "America/Halifax" }, { "AKDT", "America/Juneau" }, { "AKST", "America/Juneau" },
    { "ART", "America/Argentina/Buenos_Aires" }, { "AST", "America/Halifax" }, { "BDT", "Asia/Dhaka" },
    { "BRST", "America/Sao_Paulo" }, { "BRT", "America/Sao_Paulo" }, { "BST", "Europe/London" },
    { "CAT", "Africa/Harare" }, { "CDT", "America/Chicago" }, { "CEST", "Europe/Paris" },
    { "CET", "Europe/Paris" }, { "CLST", "America/Santiago" }, { "CLT", "America/Santiago" },
    { "COT", "America/Bogota" }, { "CST", "America/Chicago" }, { "EAT", "Africa/Addis_Ababa" },
    { "EDT", "America/New_York" }, { "EEST", "Europe/Athens" }, { "EET", "Europe/Athens" },
    { "EST", "America/New_York" }, { "GMT", "GMT" }, { "GST", "Asia/Dubai" }, { "HKT", "Asia/Hong_Kong" },
    { "HST", "Pacific/Honolulu" }, { "ICT", "Asia/Bangkok" }, { "IRST", "Asia/Tehran" },
    { "IST", "Asia/Calcutta" }, { "JST", "Asia/Tokyo" }, { "KST", "Asia/Seoul" }, { "MDT", "America/Denver" },
    { "MSD", "Europe/Moscow" }, { "MSK", "Europe/Moscow" }, { "MST", "America/Denver" },
    { "NZDT", "Pacific/Auckland" }, { "NZST", "Pacific/Auckland" }, { "PDT", "America/Los_Angeles" },
    { "PET", "America/Lima" }, { "PHT", "Asia/Manila" }, { "PKT", "Asia/Karachi" },
    { "PST", "America/Los_Angeles" }, { "SGT", "Asia/Singapore" }, { "UTC", "UTC" },
    { "WAT", "Africa/Lagos" }, { "WEST", "Europe/Lisbon" }, { "WET", "Europe/Lisbon" }, { "WIT", "Asia/Jakarta" },
};

} // namespace

void NSTimeZone::init(std::shared_ptr<const icu::TimeZone> zone, const NSString& name)
{
    m_zone = std::move(zone);
    m_name = name;
}

std::shared_ptr<NSTimeZone> NSTimeZone::timeZoneWithName(const NSString& name)
{
    if (name.isNil() || name.length() == 0)
        return nullptr;
    return makeZone(name, name);
}

std::shared_ptr<NSTimeZone> NSTimeZone::timeZoneWithAbbreviation(const NSString& abbreviation)
{
    for (const auto& [key, zoneName] : abbreviations) {
        if (abbreviation == key)
            return timeZoneWithName(zoneName);
    }
    return nullptr;
}

std::shared_ptr<NSTimeZone> NSTimeZone::timeZoneForSecondsFromGMT(NSInteger seconds)
{
    if (seconds < -18 * 3600 || seconds > 18 * 3600)
        return nullptr;
    NSString name = "GMT";
    if (seconds != 0) {
        const NSInteger magnitude = std::abs(seconds);
        name = NSString::stringWithFormat("GMT%c%02ld%02ld", seconds < 0 ? '-' : '+',
            static_cast<long>(magnitude / 3600), static_cast<long>(magnitude % 3600 / 60));
    }
    auto zone = std::make_shared<const icu::SimpleTimeZone>(static_cast<int32_t>(seconds * 1000), ns::unicodeString(name));
    return create(std::move(zone), name);
}

std::shared_ptr<NSTimeZone> NSTimeZone::systemTimeZone()
{
    static const NeverDestroyed<std::shared_ptr<NSTimeZone>> system(timeZoneWithName(systemZoneName));
    return system.get();
}

std::shared_ptr<NSTimeZone> NSTimeZone::defaultTimeZone()
{
    if (auto zone = *defaultZone().lock())
        return zone;
    return systemTimeZone();
}

void NSTimeZone::setDefaultTimeZone(const std::shared_ptr<NSTimeZone>& timeZone)
{
    // The zone it replaces goes after the lock.
    auto replaced = timeZone;
    std::swap(*defaultZone().lock(), replaced);
}

std::shared_ptr<NSDictionary> NSTimeZone::abbreviationDictionary()
{
    auto dictionary = NSMutableDictionary::dictionary();
    for (const auto& [key, zoneName] : abbreviations)
        dictionary->setObject(NSString(zoneName), NSString(key));
    return dictionary;
}

NSTimeInterval NSTimeZone::millisecondsAt(const std::shared_ptr<NSDate>& date) const
{
    return date ? ns::udateFromDate(*date) : ns::udateFromDate(*NSDate::date());
}

NSString NSTimeZone::abbreviation() const { return abbreviationForDate(NSDate::date()); }

NSString NSTimeZone::abbreviationForDate(const std::shared_ptr<NSDate>& date) const
{
    // The platform writes abbreviations as English speakers read them ("GMT+8", "EST").
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString(u"z"), icu::Locale("en_US"), status);
    if (U_FAILURE(status))
        return m_name;
    format.setTimeZone(*m_zone);
    icu::UnicodeString text;
    format.format(millisecondsAt(date), text);
    return ns::stringFromUnicode(text);
}

NSInteger NSTimeZone::secondsFromGMT() const { return secondsFromGMTForDate(NSDate::date()); }

NSInteger NSTimeZone::secondsFromGMTForDate(const std::shared_ptr<NSDate>& date) const
{
    int32_t raw = 0;
    int32_t dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    m_zone->getOffset(millisecondsAt(date), false, raw, dst, status);
    return U_SUCCESS(status) ? (raw + dst) / 1000 : 0;
}

bool NSTimeZone::isDaylightSavingTime() const { return isDaylightSavingTimeForDate(NSDate::date()); }

bool NSTimeZone::isDaylightSavingTimeForDate(const std::shared_ptr<NSDate>& date) const
{
    return daylightSavingTimeOffsetForDate(date) != 0;
}

NSTimeInterval NSTimeZone::daylightSavingTimeOffsetForDate(const std::shared_ptr<NSDate>& date) const
{
    int32_t raw = 0;
    int32_t dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    m_zone->getOffset(millisecondsAt(date), false, raw, dst, status);
    return U_SUCCESS(status) ? dst / 1000.0 : 0;
}

std::shared_ptr<NSDate> NSTimeZone::nextDaylightSavingTimeTransitionAfterDate(const std::shared_ptr<NSDate>& date) const
{
    const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(m_zone.get());
    icu::TimeZoneTransition transition;
    if (!basic || !basic->getNextTransition(millisecondsAt(date), false, transition))
        return nullptr;
    return ns::dateFromUDate(transition.getTime());
}

bool NSTimeZone::isEqualToTimeZone(const std::shared_ptr<NSTimeZone>& other) const
{
    return other && other->m_name == m_name;
}

NSString NSTimeZone::description() const
{
    return NSString::stringWithFormat("%@ (%@) offset %ld", m_name, abbreviation(), static_cast<long>(secondsFromGMT()));
}

bool NSTimeZone::isEqual(const id& other) const { return isEqualToTimeZone(ns::cast<NSTimeZone>(other)); }

id NSTimeZone::copy() const { return std::const_pointer_cast<NSTimeZone>(self()); }
