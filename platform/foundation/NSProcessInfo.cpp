#include "platform/foundation/NSProcessInfo.h"

#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/SystemClock.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <unistd.h>

extern char** environ;

const std::shared_ptr<NSProcessInfo>& NSProcessInfo::processInfo()
{
    static const NeverDestroyed<std::shared_ptr<NSProcessInfo>> info(create());
    return info.get();
}

std::shared_ptr<NSDictionary> NSProcessInfo::environment() const
{
    auto variables = NSMutableDictionary::dictionary();
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string_view text(*entry);
        auto equals = text.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        variables->setObject(NSString(text.substr(equals + 1)), NSString(text.substr(0, equals)));
    }
    return variables->copyDictionary();
}

std::shared_ptr<NSArray> NSProcessInfo::arguments() const
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto arguments = NSMutableArray::array();
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        arguments->addObject(NSString(std::string_view(all).substr(start, end - start)));
        start = end + 1;
    }
    return arguments->copyArray();
}

NSString NSProcessInfo::processName() const
{
    if (NSString name = *m_processName.lock(); !name.isNil())
        return name;
    return NSString(program_invocation_short_name);
}

void NSProcessInfo::setProcessName(const NSString& name)
{
    *m_processName.lock() = name;
}

int NSProcessInfo::processIdentifier() const
{
    return static_cast<int>(getpid());
}

NSString NSProcessInfo::hostName() const
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return "localhost";
    return NSString(name);
}

NSString NSProcessInfo::globallyUniqueString() const
{
    thread_local std::mt19937_64 generator { std::random_device {}() };
    std::uint64_t high = generator();
    std::uint64_t low = generator();
    high = (high & ~0xF000ull) | 0x4000ull;
    low = (low & ~(0xC000ull << 48)) | (0x8000ull << 48);
    char text[37];
    std::snprintf(text, sizeof text, "%08llX-%04llX-%04llX-%04llX-%012llX",
        static_cast<unsigned long long>(high >> 32), static_cast<unsigned long long>((high >> 16) & 0xFFFF),
        static_cast<unsigned long long>(high & 0xFFFF), static_cast<unsigned long long>(low >> 48),
        static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return NSString(text);
}

NSTimeInterval NSProcessInfo::systemUptime() const
{
    return SystemClock::monotonicNow();
}

NSUInteger NSProcessInfo::processorCount() const
{
    long count = sysconf(_SC_NPROCESSORS_CONF);
    return count > 0 ? static_cast<NSUInteger>(count) : 1;
}

NSUInteger NSProcessInfo::activeProcessorCount() const
{
    unsigned count = std::thread::hardware_concurrency();
    return count ? count : 1;
}

unsigned long long NSProcessInfo::physicalMemory() const
{
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize) : 0;
}
