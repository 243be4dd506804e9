#include "platform/foundation/NSUserDefaults.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(UserDefaults, aFolderInPlaceOfThePreferencesFileIsSetAsideAndTheFileMadeAnew)
{
    const NSString path = NSUserDefaults::standardUserDefaults()->filePath();
    NSUserDefaults::resetStandardUserDefaults();
    const std::filesystem::path file(path.UTF8String());
    std::filesystem::remove_all(file);
    std::filesystem::create_directories(file / "inside");

    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(NSString("510104199203154321"), "account");
    ASSERT_TRUE(defaults->synchronize());
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    int setAside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
        setAside += entry.path().filename().string().starts_with(file.filename().string() + ".damaged-") && entry.is_directory() ? 1 : 0;
    EXPECT_EQ(setAside, 1);

    NSUserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey("account"), "510104199203154321");
}
