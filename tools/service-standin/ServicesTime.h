#pragma once
// The services keep their dates in China's time, whatever zone the machine the stand-in runs on
// is set to: every date the stand-in writes or compares is made here, or in SQL with the shift.

#include <ctime>
#include <string>

namespace standin {

// Asia/Shanghai has kept UTC+8 the year round since 1991.
constexpr std::time_t kServicesUTCOffset = 8 * 3600;

// The time `offset` seconds from now in the services' zone, formatted as strftime does.
std::string servicesTime(const char* format, std::time_t offset = 0);

} // namespace standin
