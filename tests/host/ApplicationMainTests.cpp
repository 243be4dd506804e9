#include "platform/host/UIApplicationMain.h"

#include <gtest/gtest.h>

namespace {

class CountingDelegate : public NSObject, public UIApplicationDelegate {
    NS_OBJECT(CountingDelegate, NSObject)
public:
    std::optional<bool> didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&) override
    {
        ++launches;
        return true;
    }
    void applicationWillTerminate(UIApplication&) override { ++terminations; }
    static inline int launches = 0;
    static inline int terminations = 0;
};

} // namespace

TEST(UIApplicationMain, makesTheDelegateByItsClassNameAndRunsHeadlessWhenAsked)
{
    UIApplicationRegisterDelegateClass<CountingDelegate>();
    char program[] = "corvane";
    char headless[] = "--headless";
    char* argv[] = { program, headless, nullptr };
    EXPECT_EQ(UIApplicationMain(2, argv, nullptr, "CountingDelegate"), 0);
    EXPECT_EQ(CountingDelegate::launches, 1);
    EXPECT_EQ(CountingDelegate::terminations, 1);
    EXPECT_TRUE(UIApplication::sharedApplication()->isTerminated());

    EXPECT_EQ(UIApplicationMain(2, argv, nullptr, "NoSuchDelegate"), 1);
    EXPECT_EQ(UIApplicationMain(2, argv, "MyApplication", "CountingDelegate"), 1);
    EXPECT_EQ(UIApplicationMain(2, argv, [] { return std::shared_ptr<UIApplicationDelegate>(); }), 1);
    EXPECT_EQ(CountingDelegate::launches, 1);
}
