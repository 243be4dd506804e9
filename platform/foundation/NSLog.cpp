#include "platform/foundation/NSLog.h"

#include "platform/foundation/NSProcessInfo.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <unistd.h>

void NSLogv(const NSString& message)
{
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local {};
    localtime_r(&seconds, &local);
    char stamp[64];
    std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(stamp + length, sizeof stamp - length, ".%03d", static_cast<int>(milliseconds));

    const auto& process = NSProcessInfo::processInfo();
    std::string line = std::string(stamp) + " " + process->processName().UTF8String() + "["
        + std::to_string(process->processIdentifier()) + "] " + message.UTF8String();
    if (line.empty() || line.back() != '\n')
        line += '\n';
    const char* cursor = line.data();
    std::size_t remaining = line.size();
    while (remaining > 0) {
        ssize_t written = ::write(STDERR_FILENO, cursor, remaining);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        cursor += written;
        remaining -= static_cast<std::size_t>(written);
    }
}
