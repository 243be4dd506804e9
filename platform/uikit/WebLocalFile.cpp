#include "platform/uikit/WebLocalFile.h"

#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/OrdinaryFile.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

const dispatch_queue_t& WebLocalFile::readingQueue()
{
    // A read may still be under way while the process ends.
    static const NeverDestroyed<dispatch_queue_t> queue(dispatch_queue_create("web.local-files", DISPATCH_QUEUE_SERIAL));
    return queue.get();
}

WebLocalFile::Contents WebLocalFile::read(const std::string& path, std::size_t limit,
    std::chrono::steady_clock::time_point deadline)
{
    // Before opening: opening a fifo waits for a writer, and opening a device may do something.
    struct stat before { };
    if (path.empty() || ::stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode))
        return {};
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened { };
    if (file.get() < 0 || OrdinaryFile::refusal(file.get()) != 0 || ::fstat(file.get(), &opened) != 0
        || opened.st_dev != before.st_dev || opened.st_ino != before.st_ino)
        return {};
    std::vector<std::uint8_t> bytes;
    std::array<std::uint8_t, 64 * 1024> chunk;
    for (;;) {
        if (std::chrono::steady_clock::now() >= deadline)
            return { Outcome::TimedOut, nullptr };
        const auto count = ::read(file.get(), chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return {};
        if (count == 0)
            break;
        if (bytes.size() + std::size_t(count) > limit)
            return { Outcome::TooLarge, nullptr };
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
    }
    return { Outcome::Read, NSData::dataWithBytes(std::move(bytes)) };
}

void WebLocalFile::readInBackground(std::string path, std::size_t limit, std::chrono::milliseconds timeLimit,
    std::function<void(Contents)> done)
{
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    dispatch_async(readingQueue(), [path = std::move(path), limit, deadline, done = std::move(done)] {
        done(read(path, limit, deadline));
    });
}
