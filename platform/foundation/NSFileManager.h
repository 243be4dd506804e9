#pragma once
// Files and folders of the sandbox. Failures are NSError values of the Cocoa domain with the
// path and the underlying POSIX error in the user info; nothing here raises.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDirectoryEnumerator.h"
#include "platform/foundation/NSError.h"

using NSFileAttributeKey = const char*;
inline constexpr NSFileAttributeKey NSFileSize = "NSFileSize";
inline constexpr NSFileAttributeKey NSFileModificationDate = "NSFileModificationDate";
inline constexpr NSFileAttributeKey NSFileCreationDate = "NSFileCreationDate";
inline constexpr NSFileAttributeKey NSFileType = "NSFileType";
inline constexpr NSFileAttributeKey NSFilePosixPermissions = "NSFilePosixPermissions";
inline constexpr NSFileAttributeKey NSFileReferenceCount = "NSFileReferenceCount";
inline constexpr NSFileAttributeKey NSFileSystemFileNumber = "NSFileSystemFileNumber";

using NSFileAttributeType = const char*;
inline constexpr NSFileAttributeType NSFileTypeDirectory = "NSFileTypeDirectory";
inline constexpr NSFileAttributeType NSFileTypeRegular = "NSFileTypeRegular";
inline constexpr NSFileAttributeType NSFileTypeSymbolicLink = "NSFileTypeSymbolicLink";
inline constexpr NSFileAttributeType NSFileTypeUnknown = "NSFileTypeUnknown";

class NSFileManager : public NSObject {
    NS_OBJECT(NSFileManager, NSObject)
public:
    static const std::shared_ptr<NSFileManager>& defaultManager();

    bool fileExistsAtPath(const NSString& path) const;
    bool fileExistsAtPath(const NSString& path, bool* isDirectory) const;
    bool isReadableFileAtPath(const NSString& path) const;
    bool isWritableFileAtPath(const NSString& path) const;
    bool isExecutableFileAtPath(const NSString& path) const;
    bool isDeletableFileAtPath(const NSString& path) const;

    // Attributes may carry NSFilePosixPermissions; others are ignored.
    bool createDirectoryAtPath(const NSString& path, bool withIntermediateDirectories,
        const std::shared_ptr<NSDictionary>& attributes, NSErrorPointer error = nullptr) const;
    // Writes atomically, replacing any file there; nil contents make an empty file.
    bool createFileAtPath(const NSString& path, const std::shared_ptr<NSData>& contents,
        const std::shared_ptr<NSDictionary>& attributes = nullptr) const;
    std::shared_ptr<NSData> contentsAtPath(const NSString& path) const;

    // Folders go with everything in them.
    bool removeItemAtPath(const NSString& path, NSErrorPointer error = nullptr) const;
    // Refused when something already exists at the destination, as the platform does.
    bool moveItemAtPath(const NSString& source, const NSString& destination, NSErrorPointer error = nullptr) const;
    bool copyItemAtPath(const NSString& source, const NSString& destination, NSErrorPointer error = nullptr) const;

    // NSFileSize, NSFileModificationDate, NSFileCreationDate (the status change time, which is
    // the nearest Linux keeps), NSFileType, NSFilePosixPermissions, NSFileReferenceCount.
    std::shared_ptr<NSDictionary> attributesOfItemAtPath(const NSString& path, NSErrorPointer error = nullptr) const;
    // Names of the folder's items, sorted.
    std::shared_ptr<NSArray> contentsOfDirectoryAtPath(const NSString& path, NSErrorPointer error = nullptr) const;
    // Nil when the path is no folder.
    std::shared_ptr<NSDirectoryEnumerator> enumeratorAtPath(const NSString& path) const;
    std::shared_ptr<NSArray> subpathsAtPath(const NSString& path) const;

    // Attributes of an item by its full path, for the enumerator.
    static std::shared_ptr<NSDictionary> attributesOfItem(const std::string& path, int* failure);
};
