#include "WidgetPictures.h"
#include "WidgetScreen.h"

#include "library/widgets/popupmenu/ArrowMenu.h"
#include "library/widgets/popupmenu/ArrowMenuOverlay.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/graphics/CGDataProvider.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>

namespace {

class Chooser : public NSObject {
    NS_OBJECT(Chooser, NSObject)
public:
    void chosen(ArrowMenuItem& item) { choices.push_back(item.index()); }
    std::vector<NSInteger> choices;
};

class ArrowMenuTest : public WidgetScreenTest {
protected:
    void SetUp() override
    {
        WidgetScreenTest::SetUp();
        chooser = Chooser::create();
        items = {
            ArrowMenuItem::menuItem("收藏题目", nullptr, chooser, &Chooser::chosen, 0),
            ArrowMenuItem::menuItem("错题重做", nullptr, chooser, &Chooser::chosen, 1),
            ArrowMenuItem::menuItem("暂不可用", nullptr, 2),
        };
    }
    void TearDown() override { ArrowMenu::dismissMenu(); }
    std::shared_ptr<ArrowMenuView> menu() const { return ArrowMenu::sharedMenu()->menuView(); }

    std::shared_ptr<Chooser> chooser;
    std::vector<ArrowMenuItemRef> items;
};

TEST_F(ArrowMenuTest, growsFromTheArrowTipUnderTheRectangleAndAnItemTapChoosesIt)
{
    int dismissed = 0;
    ArrowMenu::showMenuInView(screen(), CGRectMake(20, 80, 60, 30), items, [&dismissed] { ++dismissed; });
    auto view = menu();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->arrowDirection(), ArrowMenuViewArrowDirectionUp);
    host->advance(0.25);
    writeWidgetPicture(*host, "arrow-menu-open");
    const CGRect placed = view->frame();
    EXPECT_DOUBLE_EQ(placed.origin.y, 110);
    EXPECT_DOUBLE_EQ(placed.origin.x, 5);  // kept 5 points inside the host
    EXPECT_DOUBLE_EQ(view->arrowPoint().x, 50);  // and still at the rectangle's middle
    // The body under the arrow is the dark gradient.
    EXPECT_LT(host->pixelAt(CGPointMake(placed.origin.x + placed.size.width / 2, placed.origin.y + 14))[0], 110);

    // The disabled item has no button; its label spans the item less 20 on each side.
    auto disabled = host->findViewWithText("暂不可用");
    ASSERT_TRUE(disabled);
    EXPECT_DOUBLE_EQ(disabled->frame().origin.x, 20);
    EXPECT_DOUBLE_EQ(disabled->frame().size.width, disabled->superview()->bounds().size.width - 40);

    auto label = host->findViewWithText("错题重做");
    ASSERT_TRUE(label);
    host->tap(label->convertPointToView(CGPointMake(10, 10), nullptr));
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(chooser->choices, std::vector<NSInteger> { 1 });
    host->advance(0.25);
    EXPECT_FALSE(view->superview());
    EXPECT_FALSE(host->findView([](UIView& v) { return dynamic_cast<ArrowMenuOverlay*>(&v) != nullptr; }));
}

TEST_F(ArrowMenuTest, twoQuickDismissalsRunTheBlockOnce)
{
    int dismissed = 0;
    ArrowMenu::showMenuInView(screen(), CGRectMake(130, 300, 60, 30), items, [&dismissed] { ++dismissed; });
    host->advance(0.25);
    host->tap(CGPointMake(160, 40));  // outside: the shrink starts
    host->advance(0.05);
    menu()->dismissMenu(true);
    host->tap(CGPointMake(160, 40));
    host->advance(0.3);
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(chooser->choices.empty());
}

TEST_F(ArrowMenuTest, aSecondShowRemovesTheFirstAtOnceAndAnOrientationChangeCloses)
{
    int first = 0, second = 0;
    ArrowMenu::showMenuInView(screen(), CGRectMake(130, 300, 60, 30), items, [&first] { ++first; });
    auto old = menu();
    ArrowMenu::showMenuInView(screen(), CGRectMake(130, 500, 60, 30), items, [&second] { ++second; });
    EXPECT_EQ(first, 1);
    EXPECT_FALSE(old->superview());
    EXPECT_EQ(menu()->arrowDirection(), ArrowMenuViewArrowDirectionDown);
    host->advance(0.25);
    writeWidgetPicture(*host, "arrow-menu-above");
    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationWillChangeStatusBarOrientationNotification, nullptr);
    EXPECT_EQ(second, 1);
    EXPECT_FALSE(menu());
}

TEST_F(ArrowMenuTest, placementFallsBackToTheSidesAndToTheMiddle)
{
    // Each showing runs its appearing animation to the end, as the run loop would, so that no
    // animation is left holding the menu when the test ends.
    auto view = ArrowMenuView::create();
    view->showMenuInView(screen(), CGRectMake(10, 0, 40, 568), items, nullptr);
    host->advance(0.3);
    EXPECT_EQ(view->arrowDirection(), ArrowMenuViewArrowDirectionLeft);
    view->dismissMenu(false);
    view->showMenuInView(screen(), CGRectMake(270, 0, 40, 568), items, nullptr);
    host->advance(0.3);
    EXPECT_EQ(view->arrowDirection(), ArrowMenuViewArrowDirectionRight);
    view->dismissMenu(false);
    view->showMenuInView(screen(), CGRectMake(0, 0, 320, 568), items, nullptr);
    host->advance(0.3);
    EXPECT_EQ(view->arrowDirection(), ArrowMenuViewArrowDirectionNone);
    EXPECT_DOUBLE_EQ(CGRectGetMidX(view->frame()), 160);
    view->dismissMenu(false);
}

TEST_F(ArrowMenuTest, aMenuWithoutItemsShowsNothingAndTakesNoTap)
{
    int dismissed = 0;
    ArrowMenu::showMenuInView(screen(), CGRectMake(130, 300, 60, 30), {}, [&dismissed] { ++dismissed; });
    host->advance(0.3);
    EXPECT_FALSE(menu()->superview());
    EXPECT_EQ(screen()->subviews().size(), 0u);
    EXPECT_EQ(dismissed, 0);
}

TEST_F(ArrowMenuTest, theSeparatorFadesInFromBothEnds)
{
    auto line = ArrowMenuView::gradientLine(CGSizeMake(100, 1));
    ASSERT_TRUE(line);
    const auto bytes = CGDataProviderCopyData(CGImageGetDataProvider(line->CGImage()));
    const std::size_t width = CGImageGetWidth(line->CGImage());
    // The largest channel of a pixel: its alpha, whatever the channel order.
    auto alphaAt = [&](std::size_t x) { return std::max({ bytes[x * 4], bytes[x * 4 + 1], bytes[x * 4 + 2], bytes[x * 4 + 3] }); };
    EXPECT_LT(alphaAt(0), 40);
    EXPECT_GT(alphaAt(width / 2), 160);
    EXPECT_LT(alphaAt(width - 1), 40);
}

} // namespace

TEST_F(ArrowMenuTest, escapeClosesTheOpenMenuWithoutAChoice)
{
    int dismissed = 0;
    ArrowMenu::showMenuInView(screen(), CGRectMake(20, 80, 60, 30), items, [&dismissed] { ++dismissed; });
    host->advance(0.25);
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(0.25);
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(chooser->choices.empty());
    EXPECT_FALSE(host->findView([](UIView& v) { return dynamic_cast<ArrowMenuOverlay*>(&v) != nullptr; }));
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
}
