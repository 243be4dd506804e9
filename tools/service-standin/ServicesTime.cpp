#include "tools/service-standin/ServicesTime.h"

namespace standin {

std::string servicesTime(const char* format, std::time_t offset)
{
    const std::time_t shifted = std::time(nullptr) + offset + kServicesUTCOffset;
    std::tm fields {};
    gmtime_r(&shifted, &fields);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &fields));
}

} // namespace standin
