#include "platform/foundation/NSFileManager.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/TypedValues.h"

#include <algorithm>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string utf8(const NSString& path) { return path.UTF8String(); }

NSInteger cocoaCode(int posixError, bool reading)
{
    switch (posixError) {
    case ENOENT:
    case ENOTDIR: return reading ? NSFileReadNoSuchFileError : NSFileNoSuchFileError;
    case EEXIST:
    case ENOTEMPTY: return NSFileWriteFileExistsError;
    case EACCES:
    case EPERM:
    case EROFS: return reading ? NSFileReadNoPermissionError : NSFileWriteNoPermissionError;
    case ENOSPC:
    case EDQUOT: return NSFileWriteOutOfSpaceError;
    case ENAMETOOLONG: return reading ? NSFileReadInvalidFileNameError : NSFileWriteInvalidFileNameError;
    default: return reading ? NSFileReadUnknownError : NSFileWriteUnknownError;
    }
}

bool failWith(NSErrorPointer error, int posixError, const NSString& path, bool reading = false)
{
    if (error) {
        auto underlying = NSError::errorWithDomain(NSPOSIXErrorDomain, posixError);
        auto userInfo = ns::mutableDictionary({ { NSUnderlyingErrorKey, underlying } });
        if (!path.isNil())
            userInfo->setObject(path, NSFilePathErrorKey);
        *error = NSError::errorWithDomain(NSCocoaErrorDomain, cocoaCode(posixError, reading), userInfo->copyDictionary());
    }
    return false;
}

bool exists(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::shared_ptr<NSDate> dateOf(const timespec& time)
{
    return NSDate::dateWithTimeIntervalSince1970(static_cast<double>(time.tv_sec) + time.tv_nsec / 1e9);
}

} // namespace

const std::shared_ptr<NSFileManager>& NSFileManager::defaultManager()
{
    static const NeverDestroyed<std::shared_ptr<NSFileManager>> manager(create());
    return manager.get();
}

bool NSFileManager::fileExistsAtPath(const NSString& path) const
{
    return fileExistsAtPath(path, nullptr);
}

bool NSFileManager::fileExistsAtPath(const NSString& path, bool* isDirectory) const
{
    struct stat info {};
    if (path.isNil() || stat(utf8(path).c_str(), &info) != 0)
        return false;
    if (isDirectory)
        *isDirectory = S_ISDIR(info.st_mode);
    return true;
}

bool NSFileManager::isReadableFileAtPath(const NSString& path) const
{
    return !path.isNil() && access(utf8(path).c_str(), R_OK) == 0;
}

bool NSFileManager::isWritableFileAtPath(const NSString& path) const
{
    return !path.isNil() && access(utf8(path).c_str(), W_OK) == 0;
}

bool NSFileManager::isExecutableFileAtPath(const NSString& path) const
{
    return !path.isNil() && access(utf8(path).c_str(), X_OK) == 0;
}

bool NSFileManager::isDeletableFileAtPath(const NSString& path) const
{
    if (path.isNil() || !exists(utf8(path)))
        return false;
    NSString parent = path.stringByDeletingLastPathComponent();
    return access(utf8(parent.length() ? parent : NSString(".")).c_str(), W_OK | X_OK) == 0;
}

bool NSFileManager::createDirectoryAtPath(const NSString& path, bool withIntermediateDirectories,
    const std::shared_ptr<NSDictionary>& attributes, NSErrorPointer error) const
{
    if (path.isNil() || path.length() == 0)
        return failWith(error, ENOENT, path);
    std::string target = utf8(path);
    std::error_code failure;
    if (withIntermediateDirectories) {
        // A file in the way is reported as existing, not as a missing folder.
        if (exists(target) && !fs::is_directory(target, failure))
            return failWith(error, EEXIST, path);
        fs::create_directories(target, failure);
        if (failure)
            return failWith(error, failure.value(), path);
    } else if (mkdir(target.c_str(), 0755) != 0) {
        return failWith(error, errno, path);
    }
    if (auto permissions = ns::numberValue(attributes ? attributes->objectForKey(NSFilePosixPermissions) : nullptr))
        chmod(target.c_str(), static_cast<mode_t>(permissions->unsignedIntValue() & 07777));
    return true;
}

bool NSFileManager::createFileAtPath(const NSString& path, const std::shared_ptr<NSData>& contents,
    const std::shared_ptr<NSDictionary>& attributes) const
{
    if (path.isNil())
        return false;
    if (!(contents ? contents : NSData::data())->writeToFile(path, true))
        return false;
    if (auto permissions = ns::numberValue(attributes ? attributes->objectForKey(NSFilePosixPermissions) : nullptr))
        chmod(utf8(path).c_str(), static_cast<mode_t>(permissions->unsignedIntValue() & 07777));
    return true;
}

std::shared_ptr<NSData> NSFileManager::contentsAtPath(const NSString& path) const
{
    bool isDirectory = false;
    if (!fileExistsAtPath(path, &isDirectory) || isDirectory)
        return nullptr;
    return NSData::dataWithContentsOfFile(path);
}

bool NSFileManager::removeItemAtPath(const NSString& path, NSErrorPointer error) const
{
    if (path.isNil() || !exists(utf8(path)))
        return failWith(error, ENOENT, path);
    std::error_code failure;
    fs::remove_all(utf8(path), failure);
    if (failure)
        return failWith(error, failure.value(), path);
    return true;
}

bool NSFileManager::moveItemAtPath(const NSString& source, const NSString& destination, NSErrorPointer error) const
{
    if (source.isNil() || !exists(utf8(source)))
        return failWith(error, ENOENT, source);
    if (destination.isNil() || exists(utf8(destination)))
        return failWith(error, EEXIST, destination);
    std::error_code failure;
    fs::rename(utf8(source), utf8(destination), failure);
    if (failure.value() == EXDEV) {
        // Across file systems a move is a copy and a removal.
        failure.clear();
        fs::copy(utf8(source), utf8(destination), fs::copy_options::recursive | fs::copy_options::copy_symlinks, failure);
        if (!failure)
            fs::remove_all(utf8(source), failure);
    }
    if (failure)
        return failWith(error, failure.value(), destination);
    return true;
}

bool NSFileManager::copyItemAtPath(const NSString& source, const NSString& destination, NSErrorPointer error) const
{
    if (source.isNil() || !exists(utf8(source)))
        return failWith(error, ENOENT, source, true);
    if (destination.isNil() || exists(utf8(destination)))
        return failWith(error, EEXIST, destination);
    std::error_code failure;
    fs::copy(utf8(source), utf8(destination), fs::copy_options::recursive | fs::copy_options::copy_symlinks, failure);
    if (failure) {
        // Leave nothing half-copied behind.
        std::error_code ignored;
        fs::remove_all(utf8(destination), ignored);
        return failWith(error, failure.value(), destination);
    }
    return true;
}

std::shared_ptr<NSDictionary> NSFileManager::attributesOfItem(const std::string& path, int* failure)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        if (failure)
            *failure = errno;
        return nullptr;
    }
    const char* type = S_ISDIR(info.st_mode) ? NSFileTypeDirectory
        : S_ISREG(info.st_mode)              ? NSFileTypeRegular
        : S_ISLNK(info.st_mode)              ? NSFileTypeSymbolicLink
                                             : NSFileTypeUnknown;
    return ns::dictionary({
        { NSFileType, NSString(type) },
        { NSFileSize, NSNumber::numberWithUnsignedLongLong(static_cast<unsigned long long>(info.st_size)) },
        { NSFileModificationDate, dateOf(info.st_mtim) },
        { NSFileCreationDate, dateOf(info.st_ctim) },
        { NSFilePosixPermissions, NSNumber::numberWithUnsignedShort(static_cast<unsigned short>(info.st_mode & 07777)) },
        { NSFileReferenceCount, NSNumber::numberWithUnsignedLong(static_cast<unsigned long>(info.st_nlink)) },
        { NSFileSystemFileNumber, NSNumber::numberWithUnsignedLongLong(static_cast<unsigned long long>(info.st_ino)) },
    });
}

std::shared_ptr<NSDictionary> NSFileManager::attributesOfItemAtPath(const NSString& path, NSErrorPointer error) const
{
    int failure = ENOENT;
    auto attributes = path.isNil() ? nullptr : attributesOfItem(utf8(path), &failure);
    if (!attributes)
        failWith(error, failure, path, true);
    return attributes;
}

std::shared_ptr<NSArray> NSFileManager::contentsOfDirectoryAtPath(const NSString& path, NSErrorPointer error) const
{
    std::error_code failure;
    std::vector<std::string> names;
    if (!path.isNil()) {
        for (fs::directory_iterator entry(utf8(path), failure), end; !failure && entry != end; entry.increment(failure))
            names.push_back(entry->path().filename().string());
    }
    if (path.isNil() || failure) {
        failWith(error, path.isNil() ? ENOENT : failure.value(), path, true);
        return nullptr;
    }
    std::sort(names.begin(), names.end());
    auto contents = NSMutableArray::arrayWithCapacity(names.size());
    for (const auto& name : names)
        contents->addObject(NSString(name));
    return contents->copyArray();
}

std::shared_ptr<NSDirectoryEnumerator> NSFileManager::enumeratorAtPath(const NSString& path) const
{
    return NSDirectoryEnumerator::create(path);
}

std::shared_ptr<NSArray> NSFileManager::subpathsAtPath(const NSString& path) const
{
    auto enumerator = enumeratorAtPath(path);
    return enumerator ? enumerator->allObjects() : nullptr;
}
