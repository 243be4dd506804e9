#include "library/network/shared/CacheFileSeal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

namespace {

constexpr const char* kSealName = "user.corvane.seal";
constexpr const char* kCopyMarker = ".tmp-";

std::uint64_t checksum(const std::uint8_t* bytes, std::size_t length)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t i = 0; i < length; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

// Length and checksum, little-endian, eight bytes each.
std::array<std::uint8_t, 16> sealOf(const NSData& data)
{
    std::array<std::uint8_t, 16> seal {};
    const std::uint64_t values[2] = { data.length(), checksum(data.bytes(), data.length()) };
    for (std::size_t field = 0; field < 2; ++field) {
        for (std::size_t i = 0; i < 8; ++i)
            seal[field * 8 + i] = std::uint8_t(values[field] >> (8 * i));
    }
    return seal;
}

bool writeAll(int fd, const std::uint8_t* bytes, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= std::size_t(written);
    }
    return true;
}

} // namespace

bool CacheFileSeal::write(const NSString& path, const std::shared_ptr<NSData>& data)
{
    if (path.isNil() || !data)
        return false;
    const std::string target = path.UTF8String();
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand generator(std::random_device {}());
    std::string copy;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        copy = target + kCopyMarker;
        for (int i = 0; i < 6; ++i)
            copy.push_back(letters[generator() % (sizeof letters - 1)]);
        fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    const auto seal = sealOf(*data);
    // A file system without extended attributes still caches; its entries are then unverifiable.
    const bool sealed = ::fsetxattr(fd, kSealName, seal.data(), seal.size(), 0) == 0 || errno == ENOTSUP;
    bool ok = sealed && writeAll(fd, data->bytes(), data->length());
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(copy.c_str(), target.c_str()) != 0) {
        ::unlink(copy.c_str());
        return false;
    }
    return true;
}

std::shared_ptr<NSData> CacheFileSeal::read(const NSString& path, State* state)
{
    auto report = [state](State found) {
        if (state)
            *state = found;
    };
    const std::string file = path.isNil() ? std::string() : path.UTF8String();
    const int fd = file.empty() ? -1 : ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        report(State::Missing);
        return nullptr;
    }
    // Seal and bytes through one descriptor, so a file renamed over this one meanwhile cannot
    // pair the old seal with the new bytes.
    std::array<std::uint8_t, 16> stored {};
    const ssize_t sealLength = ::fgetxattr(fd, kSealName, stored.data(), stored.size());
    const int sealError = errno;
    std::vector<std::uint8_t> bytes;
    struct stat info {};
    bool readable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (readable) {
        bytes.reserve(std::size_t(info.st_size));
        std::uint8_t buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                readable = false;
            if (got <= 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
    }
    ::close(fd);
    if (!readable) {
        report(State::Missing);
        return nullptr;
    }
    auto data = NSData::dataWithBytes(std::move(bytes));
    if (sealLength < 0) {
        report(sealError == ENOTSUP ? State::Unverifiable : State::Unsealed);
        return data;
    }
    report(sealLength == ssize_t(stored.size()) && stored == sealOf(*data) ? State::Sound : State::Damaged);
    return data;
}

void CacheFileSeal::removeStaleCopies(const NSString& folder)
{
    if (folder.isNil())
        return;
    std::error_code failure;
    for (std::filesystem::directory_iterator it(folder.UTF8String(), failure), end; !failure && it != end; it.increment(failure)) {
        if (it->path().filename().string().find(kCopyMarker) != std::string::npos)
            std::filesystem::remove(it->path(), failure);
    }
}
