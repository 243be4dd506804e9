#pragma once
// What the image tests share: pictures as data, waiting on the main run loop, and file ages.

#include "tests/imageio/ImageFixtures.h"
#include "tests/support/Waiting.h"

#include "platform/foundation/NSData.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>

namespace imagetests {

inline std::shared_ptr<NSData> dataOf(const std::vector<std::uint8_t>& bytes) { return NSData::dataWithBytes(bytes); }

inline std::uint32_t opaqueBlue(int, int) { return 0x0000FFFF; }

inline std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// Sets the file's modification time to the given number of seconds before now.
inline void ageFile(const std::string& path, double secondsAgo)
{
    const auto now = std::chrono::system_clock::now() - std::chrono::duration<double>(secondsAgo);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = nanoseconds / 1'000'000'000;
    times[0].tv_nsec = times[1].tv_nsec = nanoseconds % 1'000'000'000;
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

} // namespace imagetests
