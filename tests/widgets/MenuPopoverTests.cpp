// The subject menu of the theory screens: geometry, fading, choosing and closing.
#include "WidgetScreen.h"

#include "library/widgets/popover/PVMenuPopover.h"
#include "platform/uikit/UIImageView.h"

#include <filesystem>

#ifndef CORVANE_SNAPSHOT_DIR
#define CORVANE_SNAPSHOT_DIR "widget-snapshots"
#endif

namespace {

class Chooser : public PVMenuPopoverDelegate {
public:
    void menuPopoverDidSelectMenuItemAtIndex(PVMenuPopover&, NSInteger index) override { chosen.push_back(index); }
    std::vector<NSInteger> chosen;
};

class MenuPopoverTest : public WidgetScreenTest {
protected:
    std::shared_ptr<PVMenuPopover> show(std::vector<NSString> titles)
    {
        auto menu = PVMenuPopover::create(CGRectMake(215, 64, 100, 80), std::move(titles));
        menu->setMenuPopoverDelegate(chooser);
        menu->showInView(screen());
        host->runUntilIdle();
        return menu;
    }
    // Separator lines shown in the menu's cells, top to bottom.
    std::vector<CGRect> separators(const std::shared_ptr<PVMenuPopover>& menu)
    {
        std::vector<CGRect> lines;
        auto table = menu->viewWithTag(PVMenuPopover::kTableTag);
        std::function<void(const UIViewRef&)> walk = [&](const UIViewRef& view) {
            for (const auto& child : view->subviews()) {
                if (std::dynamic_pointer_cast<UIImageView>(child) && child->frame().size.height == 0.5 && !child->isHidden())
                    lines.push_back(child->convertRectToView(child->bounds(), menu));
                walk(child);
            }
        };
        walk(table);
        return lines;
    }

    std::shared_ptr<Chooser> chooser = std::make_shared<Chooser>();
};

} // namespace

TEST_F(MenuPopoverTest, thePointerAndListStandUnderTheFrameWithOneLineBetweenRows)
{
    auto menu = show({ "科目一", "科目三" });
    auto pointer = menu->containerButton()->viewWithTag(PVMenuPopover::kPointerTag);
    ASSERT_TRUE(pointer);
    EXPECT_EQ(pointer->frame(), CGRectMake(292, 64, 23, 11));
    EXPECT_EQ(menu->viewWithTag(PVMenuPopover::kTableTag)->frame(), CGRectMake(0, 11, 100, 80));
    EXPECT_EQ(menu->containerButton()->frame(), screen()->bounds());
    const auto lines = separators(menu);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], CGRectMake(5, 11 + 39.5, 90, 0.5));

    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/menu-popover.png")));

    // Reloading reuses the cells without stacking lines; a single row has none.
    menu->setMenuItems({ "科目一" });
    host->runUntilIdle();
    EXPECT_TRUE(separators(menu).empty());
    menu->setMenuItems({ "科目一", "科目二", "科目三" });
    host->runUntilIdle();
    EXPECT_EQ(separators(menu).size(), 2u) << "the two rows in view both have a row below them";
}

TEST_F(MenuPopoverTest, everyPointOfEachRowChoosesItOnceIncludingTheLastRowsBottom)
{
    auto menu = show({ "科目一", "科目二" });
    host->tap(CGPointMake(265, 75 + 20));
    host->runUntilIdle();
    EXPECT_EQ(chooser->chosen, std::vector<NSInteger> { 0 });
    EXPECT_FALSE(menu->containerButton()->superview());

    menu->showInView(screen());
    host->runUntilIdle();
    host->tap(CGPointMake(265, 75 + 40 + 38));
    host->runUntilIdle();
    EXPECT_EQ(chooser->chosen, (std::vector<NSInteger> { 0, 1 }));
}

TEST_F(MenuPopoverTest, aTapOutsideClosesWithoutAChoiceAndFadesForHalfASecond)
{
    auto menu = show({ "科目一", "科目二" });
    EXPECT_EQ(menu->containerButton()->alpha(), 1);
    host->tap(CGPointMake(100, 300));
    host->advance(0.4);
    EXPECT_TRUE(menu->containerButton()->superview());
    host->advance(0.2);
    EXPECT_FALSE(menu->containerButton()->superview());
    EXPECT_TRUE(chooser->chosen.empty());
}

TEST_F(MenuPopoverTest, theDelegateHearsTheChoiceBeforeTheFadeEnds)
{
    auto menu = show({ "科目一", "科目二" });
    host->tap(CGPointMake(265, 95));
    ASSERT_EQ(chooser->chosen.size(), 1u);
    EXPECT_TRUE(menu->containerButton()->superview());
    std::weak_ptr<PVMenuPopover> weakMenu = menu;
    menu.reset();
    host->runUntilIdle();
    EXPECT_TRUE(weakMenu.expired()) << "a closed menu nobody keeps is gone";
}

TEST_F(MenuPopoverTest, escapeClosesTheShownMenuWithoutAChoiceAndTheMenuShowsAgain)
{
    auto menu = show({ "科目一", "科目二" });
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape, UIKeyModifierControl));
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->runUntilIdle();
    EXPECT_FALSE(menu->window());
    EXPECT_TRUE(chooser->chosen.empty());
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape)) << "nothing left to close";

    menu->showInView(screen());
    host->runUntilIdle();
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    host->runUntilIdle();
    EXPECT_FALSE(menu->window());
}
