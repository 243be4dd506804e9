#pragma once
// Instants written as UTC wall-clock fields, and a fixture that puts the device's locale and
// zone back after each test.

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"

#include <gtest/gtest.h>

#include <chrono>

inline std::shared_ptr<NSDate> utcDate(int year, unsigned month, unsigned day, int hour = 0, int minute = 0, int second = 0)
{
    using namespace std::chrono;
    const sys_days days { std::chrono::year { year } / std::chrono::month { month } / std::chrono::day { day } };
    const auto seconds = days.time_since_epoch() / 1s + hour * 3600 + minute * 60 + second;
    return NSDate::dateWithTimeIntervalSince1970(static_cast<NSTimeInterval>(seconds));
}

// The same fields read in a zone with a fixed offset (hours east of GMT).
inline std::shared_ptr<NSDate> zonedDate(int offsetHours, int year, unsigned month, unsigned day, int hour = 0, int minute = 0, int second = 0)
{
    return utcDate(year, month, day, hour, minute, second)->dateByAddingTimeInterval(-offsetHours * 3600.0);
}

class DeviceSettingsTest : public testing::Test {
protected:
    void TearDown() override
    {
        NSLocale::setCurrentLocale(nullptr);
        NSTimeZone::setDefaultTimeZone(nullptr);
    }
};
