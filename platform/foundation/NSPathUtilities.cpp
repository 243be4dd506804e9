#include "platform/foundation/NSPathUtilities.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string homePath()
{
    if (const char* home = std::getenv("CORVANE_HOME"); home && *home)
        return home;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::string(data) + "/corvane";
    const char* user = std::getenv("HOME");
    return std::string(user && *user ? user : "/tmp") + "/.local/share/corvane";
}

// The folders are made once per home; a test that points CORVANE_HOME elsewhere gets them again.
std::string preparedHome()
{
    static NeverDestroyed<Guarded<std::string>> preparedHome;
    std::string home = homePath();
    auto prepared = preparedHome.get().lock();
    if (home != *prepared) {
        std::error_code ignored;
        for (const char* folder : { "Documents", "Library/Caches", "Library/Preferences", "tmp" })
            std::filesystem::create_directories(std::filesystem::path(home) / folder, ignored);
        *prepared = home;
    }
    return home;
}

const char* relativeFolder(NSSearchPathDirectory directory)
{
    switch (directory) {
    case NSDocumentDirectory: return "Documents";
    case NSLibraryDirectory: return "Library";
    case NSCachesDirectory: return "Library/Caches";
    case NSApplicationSupportDirectory: return "Library/Application Support";
    default: return nullptr;
    }
}

} // namespace

NSString NSHomeDirectory()
{
    return preparedHome();
}

NSString NSTemporaryDirectory()
{
    return preparedHome() + "/tmp/";
}

std::shared_ptr<NSArray> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
    NSSearchPathDomainMask domainMask, bool expandTilde)
{
    const char* folder = relativeFolder(directory);
    if (!folder || !(domainMask & NSUserDomainMask))
        return NSArray::array();
    std::string path = preparedHome() + "/" + folder;
    if (directory == NSApplicationSupportDirectory) {
        std::error_code ignored;
        std::filesystem::create_directories(path, ignored);
    }
    return NSArray::arrayWithObject(NSString(expandTilde ? path : std::string("~/") + folder));
}
