#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSProcessInfo.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>
#include <unistd.h>

namespace {

class FileManagerTest : public testing::Test {
protected:
    std::shared_ptr<NSFileManager> files = NSFileManager::defaultManager();
    NSString root = NSString::fromId(NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true)->firstObject());

    NSString path(const char* relative) const { return root.stringByAppendingPathComponent(relative); }
};

} // namespace

TEST_F(FileManagerTest, createsFoldersAndFilesAndReportsAttributes)
{
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(files->createDirectoryAtPath(path("a/b"), false, nullptr, &error));
    EXPECT_EQ(error->code(), NSFileNoSuchFileError);
    ASSERT_TRUE(files->createDirectoryAtPath(path("a/b"), true, nullptr, &error));
    EXPECT_TRUE(files->createDirectoryAtPath(path("a/b"), true, nullptr, &error));

    ASSERT_TRUE(files->createFileAtPath(path("a/b/题库.db"), NSData::dataWithBytes("12345", 5)));
    bool isDirectory = true;
    EXPECT_TRUE(files->fileExistsAtPath(path("a/b/题库.db"), &isDirectory));
    EXPECT_FALSE(isDirectory);
    EXPECT_TRUE(files->fileExistsAtPath(path("a"), &isDirectory));
    EXPECT_TRUE(isDirectory);
    EXPECT_TRUE(files->isReadableFileAtPath(path("a/b/题库.db")));
    EXPECT_EQ(files->contentsAtPath(path("a/b/题库.db"))->length(), 5u);

    auto attributes = files->attributesOfItemAtPath(path("a/b/题库.db"), &error);
    ASSERT_TRUE(attributes);
    EXPECT_EQ(ns::integerForKey(attributes, NSFileSize), 5);
    EXPECT_EQ(ns::stringForKey(attributes, NSFileType), NSFileTypeRegular);
    auto modified = ns::cast<NSDate>(attributes->objectForKey(NSFileModificationDate));
    ASSERT_TRUE(modified);
    EXPECT_LT(std::abs(modified->timeIntervalSince1970() - static_cast<double>(time(nullptr))), 600.0);

    EXPECT_FALSE(files->attributesOfItemAtPath(path("missing"), &error));
    EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);
    EXPECT_EQ(ns::stringForKey(error->userInfo(), NSFilePathErrorKey), path("missing"));
}

TEST_F(FileManagerTest, movesCopiesAndRemovesTrees)
{
    files->createDirectoryAtPath(path("tree/inner"), true, nullptr);
    files->createFileAtPath(path("tree/inner/x.txt"), NSData::dataWithBytes("x", 1));
    files->createFileAtPath(path("other.txt"), nullptr);

    std::shared_ptr<NSError> error;
    ASSERT_TRUE(files->copyItemAtPath(path("tree"), path("copy"), &error));
    EXPECT_TRUE(files->fileExistsAtPath(path("copy/inner/x.txt")));
    EXPECT_FALSE(files->copyItemAtPath(path("tree"), path("copy"), &error));
    EXPECT_EQ(error->code(), NSFileWriteFileExistsError);

    EXPECT_FALSE(files->moveItemAtPath(path("copy"), path("other.txt"), &error));
    ASSERT_TRUE(files->moveItemAtPath(path("copy"), path("moved"), &error));
    EXPECT_FALSE(files->fileExistsAtPath(path("copy")));
    EXPECT_TRUE(files->fileExistsAtPath(path("moved/inner/x.txt")));

    ASSERT_TRUE(files->removeItemAtPath(path("moved"), &error));
    EXPECT_FALSE(files->fileExistsAtPath(path("moved")));
    EXPECT_FALSE(files->removeItemAtPath(path("moved"), &error));
    EXPECT_EQ(error->code(), NSFileNoSuchFileError);
}

TEST_F(FileManagerTest, listsAndEnumeratesInNameOrder)
{
    files->createDirectoryAtPath(path("walk/b"), true, nullptr);
    files->createDirectoryAtPath(path("walk/skip/deep"), true, nullptr);
    files->createFileAtPath(path("walk/b/2.txt"), nullptr);
    files->createFileAtPath(path("walk/a.txt"), NSData::dataWithBytes("abc", 3));
    files->createFileAtPath(path("walk/skip/deep/hidden.txt"), nullptr);

    EXPECT_EQ(files->contentsOfDirectoryAtPath(path("walk"))->componentsJoinedByString(","), "a.txt,b,skip");
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(files->contentsOfDirectoryAtPath(path("nowhere"), &error));
    EXPECT_TRUE(error);

    auto enumerator = files->enumeratorAtPath(path("walk"));
    ASSERT_TRUE(enumerator);
    std::vector<std::string> seen;
    while (id item = enumerator->nextObject()) {
        NSString relative = NSString::fromId(item);
        seen.push_back(relative.UTF8String());
        if (relative == "a.txt") {
            EXPECT_EQ(ns::integerForKey(enumerator->fileAttributes(), NSFileSize), 3);
        }
        if (relative == "skip")
            enumerator->skipDescendants();
    }
    EXPECT_EQ(seen, (std::vector<std::string> { "a.txt", "b", "b/2.txt", "skip" }));
    EXPECT_EQ(files->subpathsAtPath(path("walk"))->count(), 6u);
    EXPECT_FALSE(files->enumeratorAtPath(path("walk/a.txt")));
}

TEST_F(FileManagerTest, reportsWhyFoldersAndFilesCannotBeMade)
{
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(files->createDirectoryAtPath("", true, nullptr, &error));
    EXPECT_EQ(error->code(), NSFileNoSuchFileError);
    EXPECT_FALSE(files->createDirectoryAtPath(path("missing/child"), false, nullptr, &error));
    EXPECT_EQ(error->code(), NSFileNoSuchFileError);
    EXPECT_EQ(ns::stringValue(error->userInfo()->objectForKey(NSFilePathErrorKey)), path("missing/child"));

    ASSERT_TRUE(files->createDirectoryAtPath(path("private"), false, ns::dictionary({ { NSFilePosixPermissions, ns::number(0700) } }), &error));
    EXPECT_EQ(ns::intValue(files->attributesOfItemAtPath(path("private"))->objectForKey(NSFilePosixPermissions)), 0700);
    EXPECT_FALSE(files->createDirectoryAtPath(path("private"), false, nullptr, &error));
    EXPECT_EQ(error->code(), NSFileWriteFileExistsError);
    EXPECT_TRUE(files->createDirectoryAtPath(path("private"), true, nullptr, &error));

    // A file in the way of a folder, and a name longer than the file system takes.
    ASSERT_TRUE(files->createFileAtPath(path("plain"), nullptr, ns::dictionary({ { NSFilePosixPermissions, ns::number(0600) } })));
    EXPECT_EQ(ns::intValue(files->attributesOfItemAtPath(path("plain"))->objectForKey(NSFilePosixPermissions)), 0600);
    EXPECT_FALSE(files->createDirectoryAtPath(path("plain"), true, nullptr, &error));
    EXPECT_EQ(error->code(), NSFileWriteFileExistsError);
    EXPECT_FALSE(files->createDirectoryAtPath(path("plain/sub"), true, nullptr, &error));
    EXPECT_FALSE(files->createDirectoryAtPath(path(std::string(300, 'x').c_str()), false, nullptr, &error));
    EXPECT_EQ(error->code(), NSFileWriteInvalidFileNameError);

    EXPECT_FALSE(files->createFileAtPath(path("missing/file"), NSData::data()));
    EXPECT_FALSE(files->createFileAtPath(NSString(), NSData::data()));
    EXPECT_EQ(files->contentsAtPath(path("private")), nullptr);
    EXPECT_EQ(files->contentsAtPath(path("plain"))->length(), 0u);
    EXPECT_FALSE(files->isExecutableFileAtPath(path("plain")));
    EXPECT_TRUE(files->isExecutableFileAtPath(path("private")));
    EXPECT_TRUE(files->isWritableFileAtPath(path("plain")));
    EXPECT_TRUE(files->isDeletableFileAtPath(path("plain")));
    EXPECT_FALSE(files->isDeletableFileAtPath(path("missing")));
    EXPECT_FALSE(files->isWritableFileAtPath(NSString()));
}

TEST_F(FileManagerTest, refusesToMoveOrCopyOntoSomethingAndReportsMissingSources)
{
    ASSERT_TRUE(files->createFileAtPath(path("first.txt"), NSData::dataWithBytes("first", 5)));
    ASSERT_TRUE(files->createFileAtPath(path("second.txt"), NSData::dataWithBytes("second", 6)));
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(files->moveItemAtPath(path("first.txt"), path("second.txt"), &error));
    EXPECT_EQ(error->code(), NSFileWriteFileExistsError);
    EXPECT_FALSE(files->copyItemAtPath(path("first.txt"), path("second.txt"), &error));
    EXPECT_EQ(error->code(), NSFileWriteFileExistsError);
    EXPECT_EQ(files->contentsAtPath(path("second.txt"))->stringView(), "second");
    EXPECT_EQ(files->contentsAtPath(path("first.txt"))->stringView(), "first");

    EXPECT_FALSE(files->moveItemAtPath(path("gone"), path("c"), &error));
    EXPECT_EQ(error->code(), NSFileNoSuchFileError);
    EXPECT_FALSE(files->copyItemAtPath(path("gone"), path("c"), &error));
    EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);
    EXPECT_FALSE(files->removeItemAtPath(path("gone"), &error));
    EXPECT_EQ(error->code(), NSFileNoSuchFileError);
    EXPECT_FALSE(files->fileExistsAtPath(path("c"), nullptr));
    // Into a folder that does not exist: nothing is left half made.
    EXPECT_FALSE(files->copyItemAtPath(path("first.txt"), path("missing/c"), &error));
    EXPECT_FALSE(files->moveItemAtPath(path("first.txt"), path("missing/c"), &error));
    EXPECT_TRUE(files->fileExistsAtPath(path("first.txt"), nullptr));

    EXPECT_EQ(files->attributesOfItemAtPath(path("gone"), &error), nullptr);
    EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);
    EXPECT_EQ(files->contentsOfDirectoryAtPath(path("first.txt"), &error), nullptr);
    EXPECT_EQ(files->contentsOfDirectoryAtPath(NSString(), &error), nullptr);
    EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);
    EXPECT_EQ(files->enumeratorAtPath(path("first.txt")), nullptr);
}

TEST(ProcessInfo, describesTheProcess)
{
    auto info = NSProcessInfo::processInfo();
    EXPECT_EQ(info->processIdentifier(), getpid());
    EXPECT_EQ(ns::stringForKey(info->environment(), "CORVANE_HOME"), NSString(getenv("CORVANE_HOME")));
    EXPECT_GT(NSString::fromId(info->arguments()->firstObject()).length(), 0u);
    EXPECT_GT(info->processName().length(), 0u);
    std::set<std::string> identifiers;
    for (int i = 0; i < 100; ++i) {
        NSString unique = info->globallyUniqueString();
        EXPECT_EQ(unique.length(), 36u);
        EXPECT_EQ(unique, unique.uppercaseString());
        identifiers.insert(unique.UTF8String());
    }
    EXPECT_EQ(identifiers.size(), 100u);
}

TEST(Log, writesOneStampedLinePerMessageToStandardError)
{
    NSString capture = NSTemporaryDirectory() + "log.txt";
    int saved = dup(STDERR_FILENO);
    int file = open(capture.UTF8String().c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    dup2(file, STDERR_FILENO);
    NSProcessInfo::processInfo()->setProcessName("Corvane");
    NSLog("保存学时成功! %d %@", 3, nullptr);
    NSLog("MOVIE TIMED OUT");
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(file);
    NSProcessInfo::processInfo()->setProcessName(NSString());

    auto lines = NSString::stringWithContentsOfFile(capture, NSUTF8StringEncoding).components("\n");
    ASSERT_EQ(lines.size(), 3u);
    NSString expectedTail = NSString::stringWithFormat(" Corvane[%d] 保存学时成功! 3 (null)", getpid());
    EXPECT_TRUE(lines[0].hasSuffix(expectedTail)) << lines[0].UTF8String();
    // "2015-06-01 08:30:00.123" before the process name.
    EXPECT_EQ(lines[0].length(), 23 + expectedTail.length());
    EXPECT_EQ(lines[0].characterAtIndex(4), u'-');
    EXPECT_TRUE(lines[1].hasSuffix("] MOVIE TIMED OUT"));
}
