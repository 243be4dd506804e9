#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

// Every picture the screens name (in their sources) is in the built bundle: a missing picture
// would leave a hole on the screen without any error.
TEST(BundleImages, everyPictureTheScreensNameIsInTheBuiltBundle)
{
    const std::regex name(R"re("((?:ico|m_ico|cv_adm_|nav_|top_rig|bt_|ic_photo|img_gr|about_img|abo_img|unc|click_bg|setup_nor|transparent)[a-z0-9_]*)")re");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(CORVANE_SCREENS_SOURCE_DIR)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream file(entry.path());
        std::stringstream text;
        text << file.rdbuf();
        const std::string source = text.str();
        for (auto match = std::sregex_iterator(source.begin(), source.end(), name); match != std::sregex_iterator(); ++match)
            names.insert((*match)[1]);
    }
    ASSERT_GT(names.size(), 40u);
    for (const auto& picture : names)
        EXPECT_TRUE(UIImage::imageNamed(NSString(picture))) << picture;
}
