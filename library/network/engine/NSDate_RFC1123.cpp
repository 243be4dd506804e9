#include "library/network/engine/NSDate_RFC1123.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <locale.h>
#include <optional>
#include <string>
#include <time.h>

namespace {

// Day and month names must be English whatever locale the process runs in; the switch is per thread.
class PosixLocaleScope {
public:
    PosixLocaleScope()
        : m_posix(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0)))
    {
        if (m_posix)
            m_previous = uselocale(m_posix);
    }
    ~PosixLocaleScope()
    {
        if (m_posix) {
            uselocale(m_previous);
            freelocale(m_posix);
        }
    }
    PosixLocaleScope(const PosixLocaleScope&) = delete;
    PosixLocaleScope& operator=(const PosixLocaleScope&) = delete;
    bool valid() const { return m_posix != static_cast<locale_t>(0); }

private:
    locale_t m_posix;
    locale_t m_previous = static_cast<locale_t>(0);
};

enum class Zone { utc, local, unknown };

Zone zoneNamed(const std::string& name)
{
    if (name == "GMT" || name == "UTC")
        return Zone::utc;
    tzset();
    if ((tzname[0] && name == tzname[0]) || (tzname[1] && name == tzname[1]))
        return Zone::local;
    return Zone::unknown;
}

std::optional<std::time_t> secondsFrom(std::tm fields, Zone zone)
{
    if (zone == Zone::unknown)
        return std::nullopt;
    if (zone == Zone::utc)
        return timegm(&fields);
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

// Fields first, then an optional zone name (a word of letters) when the form has one.
std::optional<std::time_t> parse(const char* text, const char* format, bool zoned)
{
    std::tm fields {};
    const char* rest = strptime(text, format, &fields);
    if (!rest)
        return std::nullopt;
    if (!zoned)
        return secondsFrom(fields, Zone::local);
    while (*rest == ' ' || *rest == '\t')
        ++rest;
    std::string zone;
    while ((*rest >= 'A' && *rest <= 'Z') || (*rest >= 'a' && *rest <= 'z'))
        zone.push_back(*rest++);
    return secondsFrom(fields, zoneNamed(zone));
}

} // namespace

namespace NSDate_RFC1123 {

std::shared_ptr<NSDate> dateFromRFC1123(const NSString& text)
{
    if (text.isNil())
        return nullptr;
    const std::string bytes = text.UTF8String();
    PosixLocaleScope posix;
    if (!posix.valid())
        return nullptr;
    struct Form {
        const char* format;
        bool zoned;
    };
    static constexpr Form forms[] = {
        { "%a, %d %b %Y %H:%M:%S", true },
        { "%A, %d-%b-%y %H:%M:%S", true },
        { "%a %b %e %H:%M:%S %Y", false },
    };
    for (const Form& form : forms) {
        if (auto seconds = parse(bytes.c_str(), form.format, form.zoned))
            return NSDate::dateWithTimeIntervalSince1970(static_cast<NSTimeInterval>(*seconds));
    }
    return nullptr;
}

NSString rfc1123String(const NSDate& date)
{
    const double since1970 = std::trunc(date.timeIntervalSince1970());
    // Beyond this no year fits the broken-down time, and the conversion below would be undefined.
    if (!std::isfinite(since1970) || std::fabs(since1970) > 9.0e18)
        return nullptr;
    const auto seconds = static_cast<std::time_t>(since1970);
    std::tm fields {};
    if (!gmtime_r(&seconds, &fields))
        return nullptr;
    PosixLocaleScope posix;
    if (!posix.valid())
        return nullptr;
    char buffer[32];
    const std::size_t written = std::strftime(buffer, sizeof buffer, "%a, %d %b %Y %H:%M:%S GMT", &fields);
    if (written == 0)
        return nullptr;
    return NSString(std::string(buffer, written));
}

} // namespace NSDate_RFC1123
