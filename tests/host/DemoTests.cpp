#include "tools/demo/DemoTour.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

using Pixel = std::array<uint8_t, 4>;

void expectNear(const Pixel& actual, const Pixel& expected, const std::string& where)
{
    for (int channel = 0; channel < 4; ++channel)
        EXPECT_NEAR(actual[channel], expected[channel], 3) << where << " channel " << channel;
}

} // namespace

TEST(Demo, visitsEveryScreenAndEachLooksAsDrawn)
{
    auto host = HeadlessHost::create();
    auto application = DemoTour::launch(*host);
    ASSERT_TRUE(application);
    const auto folder = std::filesystem::temp_directory_path() / ("corvane-demo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::string> screens;
    std::map<std::string, std::vector<Pixel>> samples;
    std::string failed;
    const bool visited = DemoTour::visitEveryScreen(*host, *application, [&](const std::string& name) {
        screens.push_back(name);
        EXPECT_TRUE(host->writePNG(NSString((folder / (name + ".png")).string())));
        // The list: a white cell; the form: the notice button; the notice: its dark ground and
        // its button.
        for (CGPoint point : { CGPointMake(5, 120), CGPointMake(30, 260), CGPointMake(10, 10), CGPointMake(70, 305) })
            samples[name].push_back(host->pixelAt(point));
    }, &failed);
    ASSERT_TRUE(visited) << failed;
    EXPECT_EQ(screens, (std::vector<std::string> { "rows", "form", "notice", "picker", "showcase", "widgets-arrow-menu",
                           "widgets-paged-menu", "widgets-progress-hud", "widgets-action-sheet", "widgets-text-view",
                           "widgets-drawer", "widgets-link-label", "lists-pull-table", "lists-folding-table", "lists-strip-carousel",
                           "lists-month-calendar", "lists-tutorial", "drawn-line-chart", "drawn-half-pie", "drawn-columns",
                           "rows-again" }));
    for (const auto& name : screens)
        EXPECT_GT(std::filesystem::file_size(folder / (name + ".png")), 1000u) << name;
    std::filesystem::remove_all(folder);

    const Pixel white { 255, 255, 255, 255 }, accent { 0, 166, 209, 255 }, dark { 26, 26, 26, 255 };
    expectNear(samples["rows"][0], white, "rows");
    expectNear(samples["form"][1], accent, "form button");
    expectNear(samples["notice"][2], dark, "notice ground");
    expectNear(samples["notice"][3], accent, "notice button");
    expectNear(samples["rows-again"][0], white, "rows again");
    // The action sheet dims the widget screen; the open drawer shows its dark menu at the left.
    EXPECT_LT(samples["widgets-action-sheet"][2][0], 200);
    EXPECT_LT(samples["widgets-drawer"][0][0], 80);
    // The picker sheet dims the showcase above it.
    EXPECT_LT(samples["picker"][0][0], 200);

    EXPECT_EQ(application->navigationController()->viewControllers().size(), 1u);
}

TEST(Demo, theFormKeepsWhatWasTypedAndTheNoticeGreetsByName)
{
    auto host = HeadlessHost::create();
    auto application = DemoTour::launch(*host);
    ASSERT_TRUE(application);
    host->tap(CGPointMake(160, 64 + 22));
    host->runUntilIdle();
    auto form = std::dynamic_pointer_cast<RowFormViewController>(application->navigationController()->topViewController());
    ASSERT_TRUE(form);
    EXPECT_EQ(form->row(), 0);
    ASSERT_TRUE(host->tap(form->nameField()));
    host->typeText("小明");
    host->pressReturn();
    EXPECT_TRUE(form->noteField()->isFirstResponder());
    host->tap(form->noticeButton());
    host->runUntilIdle();
    EXPECT_TRUE(host->findViewWithText("你好，小明"));
    EXPECT_EQ(UIApplication::sharedApplication()->firstResponder(), nullptr);
}
