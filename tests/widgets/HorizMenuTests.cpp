#include "WidgetScreen.h"

#include "library/widgets/buttonmenu/HXHorizMenu.h"

#include <filesystem>

namespace {

class MenuSource : public NSObject, public HXHorizMenuDataSource, public HXHorizMenuDelegate {
    NS_OBJECT(MenuSource, NSObject)
public:
    std::vector<NSString> titles { "科目一", "科目二", "科目三", "科目四", "模拟考试", "错题本", "收藏夹", "学时" };
    CGFloat width { 60 };
    CGFloat vertical { 5 };
    CGFloat horizontal { 10 };
    std::vector<NSUInteger> chosen;

    int32_t numberOfItemsForMenu(HXHorizMenu&) override { return int32_t(titles.size()); }
    UIColorRef backgroundColorForMenu(HXHorizMenu&) override { return UIColor::colorWithRed(0.2, 0.3, 0.45, 1); }
    UIImageRef selectedItemImageForMenu(HXHorizMenu&) override { return UIImage::imageNamed("bt_blu.png"); }
    UIImageRef itemImageForMenu(HXHorizMenu&) override { return nullptr; }
    UIColorRef selectedItemTitleColor(HXHorizMenu&) override { return UIColor::whiteColor(); }
    UIColorRef itemTitleColor(HXHorizMenu&) override { return UIColor::lightGrayColor(); }
    UIFontRef itemTitleFont(HXHorizMenu&) override { return nullptr; }
    CGFloat widthForItem(HXHorizMenu&) override { return width; }
    CGFloat verticalPaddingInMenuBar(HXHorizMenu&) override { return vertical; }
    CGFloat horizontalPaddingInMenuBar(HXHorizMenu&) override { return horizontal; }
    NSString titleForItemAtIndex(HXHorizMenu&, int32_t index) override { return titles[size_t(index)]; }
    void itemSelectedAtIndex(HXHorizMenu&, NSUInteger index) override { chosen.push_back(index); }
};

class HorizMenuTest : public WidgetScreenTest {
protected:
    void SetUp() override
    {
        WidgetScreenTest::SetUp();
        menu = HXHorizMenu::create(CGRectMake(0, 100, 320, 44));
        source = MenuSource::create();
        menu->setDataSource(source);
        menu->setItemSelectedDelegate(source);
        screen()->addSubview(menu);
        menu->reloadData();
    }
    std::vector<int32_t> selectedItems()
    {
        std::vector<int32_t> items;
        for (int32_t i = 0; i < menu->itemCount(); ++i)
            if (menu->buttonAtIndex(i)->isSelected())
                items.push_back(i);
        return items;
    }

    HXHorizMenuRef menu;
    std::shared_ptr<MenuSource> source;
};

TEST_F(HorizMenuTest, fixedWidthItemsSitSideBySideInsideTheirInsets)
{
    source->titles.resize(5);
    menu->reloadData();
    for (int32_t i = 0; i < 5; ++i) {
        const CGRect frame = menu->buttonAtIndex(i)->frame();
        EXPECT_DOUBLE_EQ(frame.origin.x, 80.0 * i);
        EXPECT_DOUBLE_EQ(frame.size.width, 80);
        EXPECT_DOUBLE_EQ(frame.origin.y, 5);
        EXPECT_DOUBLE_EQ(frame.size.height, 34);
    }
    EXPECT_DOUBLE_EQ(menu->contentSize().width, 400);
}

TEST_F(HorizMenuTest, measuredItemsFollowTheirTitles)
{
    source->width = 0;
    menu->reloadData();
    const CGRect first = menu->buttonAtIndex(0)->frame();
    const CGRect fifth = menu->buttonAtIndex(4)->frame();
    EXPECT_GT(fifth.size.width, first.size.width) << "four characters are wider than three";
    EXPECT_DOUBLE_EQ(menu->buttonAtIndex(1)->frame().origin.x, std::trunc(std::trunc(first.size.width - 20) + 20));

    source->titles.clear();
    menu->reloadData();
    EXPECT_EQ(menu->itemCount(), 0);
    EXPECT_DOUBLE_EQ(menu->contentSize().width, 0);
}

TEST_F(HorizMenuTest, oneItemIsSelectedWhetherTappedOrChosenFromCode)
{
    EXPECT_TRUE(host->tap(menu->buttonAtIndex(2)));
    EXPECT_EQ(selectedItems(), std::vector<int32_t> { 2 });
    EXPECT_TRUE(host->tap(menu->buttonAtIndex(1)));
    EXPECT_EQ(selectedItems(), std::vector<int32_t> { 1 });
    EXPECT_DOUBLE_EQ(menu->contentOffset().x, 0) << "a tap does not scroll";

    menu->setSelectedIndex(3, false);
    EXPECT_EQ(selectedItems(), std::vector<int32_t> { 3 });
    EXPECT_DOUBLE_EQ(menu->contentOffset().x, 240);
    menu->setSelectedIndex(7, true);
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(menu->contentOffset().x, 8 * 80 - 320) << "never past the end of the strip";
    EXPECT_EQ(source->chosen, (std::vector<NSUInteger> { 2, 1, 3, 7 }));

    std::filesystem::create_directories(CORVANE_SNAPSHOT_DIR);
    EXPECT_TRUE(host->writePNG(NSString(std::string(CORVANE_SNAPSHOT_DIR) + "/horizmenu-scrolled-selected.png")));
    menu->reloadData();
    EXPECT_TRUE(selectedItems().empty()) << "a reload drops the selection";
}

TEST_F(HorizMenuTest, theMenuDoesNotKeepItsDataSourceAlive)
{
    std::weak_ptr<MenuSource> gone = source;
    source.reset();
    EXPECT_TRUE(gone.expired());
    menu->reloadData();
    EXPECT_EQ(menu->itemCount(), 0);
}

} // namespace

namespace {

TEST_F(HorizMenuTest, anIndexWithoutAButtonIsStillToldToTheDelegate)
{
    menu->setSelectedIndex(2, false);
    menu->setSelectedIndex(8, false);
    menu->setSelectedIndex(-1, false);
    EXPECT_EQ(source->chosen, (std::vector<NSUInteger> { 2, 8, NSUInteger(-1) }));
    // Nothing is marked or scrolled for them.
    EXPECT_EQ(selectedItems(), std::vector<int32_t> { 2 });
    EXPECT_DOUBLE_EQ(menu->contentOffset().x, 160);
}

} // namespace
