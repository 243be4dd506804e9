#include "platform/foundation/OrdinaryFile.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// The kernel's views of itself, of devices and of processes.
bool isKernelFilesystem(decltype(statfs::f_type) type)
{
    static constexpr std::array<unsigned long, 16> kinds { PROC_SUPER_MAGIC, SYSFS_MAGIC, DEBUGFS_MAGIC, TRACEFS_MAGIC,
        SECURITYFS_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, DEVPTS_SUPER_MAGIC, PSTOREFS_MAGIC, BPF_FS_MAGIC,
        EFIVARFS_MAGIC, SELINUX_MAGIC, SMACK_MAGIC, BINFMTFS_MAGIC, NSFS_MAGIC, AUTOFS_SUPER_MAGIC };
    const auto kind = static_cast<unsigned long>(type) & 0xffffffffUL;
    for (const auto known : kinds)
        if (kind == known)
            return true;
    return false;
}

} // namespace

namespace OrdinaryFile {

int refusal(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return errno;
    if (S_ISDIR(status.st_mode))
        return EISDIR;
    if (!S_ISREG(status.st_mode))
        return EINVAL;
    struct statfs filesystem {};
    if (::fstatfs(fd, &filesystem) != 0)
        return errno;
    return isKernelFilesystem(filesystem.f_type) ? EINVAL : 0;
}

int openForReading(const std::string& path, int& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (const int refused = refusal(fd)) {
        ::close(fd);
        error = refused;
        return -1;
    }
    return fd;
}

} // namespace OrdinaryFile
