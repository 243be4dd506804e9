#include "WidgetPictures.h"
#include "WidgetScreen.h"

#include "library/widgets/pagedmenu/PGPlasticPopupMenu.h"
#include "platform/graphics/CGDataProvider.h"

#include <algorithm>
#include <array>

namespace {

class Receiver : public NSObject, public PGPopupMenuDelegate {
    NS_OBJECT(Receiver, NSObject)
public:
    void copyText() { events.push_back("copy"); }
    void shareText() { events.push_back("share"); }
    void popupMenuWillAppear(PGPopupMenu&) override { events.push_back("willAppear"); }
    void popupMenuDidAppear(PGPopupMenu&) override { events.push_back("didAppear"); }
    void popupMenuWillDisappear(PGPopupMenu&) override { events.push_back("willDisappear"); }
    void popupMenuDidDisappear(PGPopupMenu&) override { events.push_back("didDisappear"); }
    std::vector<std::string> events;
};

class PagedMenuTest : public WidgetScreenTest {
protected:
    std::vector<PGPopupMenuItemRef> manyItems()
    {
        std::vector<PGPopupMenuItemRef> items;
        for (const char* title : { "复制", "分享", "收藏", "删除", "标记", "举报", "翻译", "朗读", "详情", "更多" })
            items.push_back(PGPopupMenuItem::itemWithTitle(NSString(title), receiver, &Receiver::copyText));
        return items;
    }
    std::size_t overlays() const
    {
        std::size_t count = 0;
        for (const auto& view : root->view()->subviews())
            count += std::dynamic_pointer_cast<PGPopupMenuOverlayView>(view) ? 1 : 0;
        return count;
    }

    std::shared_ptr<Receiver> receiver { Receiver::create() };
};

TEST_F(PagedMenuTest, opensBelowATargetNearTheTopWithTheArrowAtTheTarget)
{
    auto menu = PGPopupMenu::popupMenuWithItems({ PGPopupMenuItem::itemWithTitle("复制", receiver, &Receiver::copyText),
        PGPopupMenuItem::itemWithTitle("分享", receiver, &Receiver::shareText), PGPopupMenuItem::itemWithTitle("收藏", nullptr) });
    menu->setDelegate(receiver);
    menu->showInView(screen(), CGRectMake(0, 30, 10, 20), true);
    EXPECT_EQ(menu->actualArrorDirection(), PGPopupMenuArrowDirectionUp);
    EXPECT_FALSE(menu->isVisible());
    host->advance(0.25);
    EXPECT_TRUE(menu->isVisible());
    writeWidgetPicture(*host, "paged-menu-flat");
    EXPECT_DOUBLE_EQ(menu->frame().origin.y, 52);
    EXPECT_DOUBLE_EQ(menu->frame().origin.x, 10);
    EXPECT_DOUBLE_EQ(menu->arrowPoint().x, menu->cornerRadius());
    // The see-through gap between the first two items.
    const CGRect first = menu->visibleItemViews()[0]->frame();
    const CGPoint gap = menu->convertPointToView(CGPointMake(CGRectGetMaxX(first) - 0.5, 30), nullptr);
    EXPECT_GT(host->pixelAt(gap)[0], 200);
    EXPECT_LT(host->pixelAt(CGPointMake(gap.x - 5, gap.y))[0], 100);

    ASSERT_TRUE(host->tap(host->findViewWithText("分享")));
    host->advance(0.3);
    const std::vector<std::string> expected { "willAppear", "didAppear", "willDisappear", "share", "didDisappear" };
    EXPECT_EQ(receiver->events, expected);
    EXPECT_EQ(overlays(), 0u);
}

TEST_F(PagedMenuTest, itemsWiderThanTheRoomArePagedWithArrowsAtTheEnds)
{
    auto menu = PGPlasticPopupMenu::popupMenuWithItems(manyItems());
    menu->showInView(screen(), CGRectMake(140, 300, 40, 30), false);
    ASSERT_GE(menu->groupedItemViews().size(), 2u);
    EXPECT_EQ(menu->actualArrorDirection(), PGPopupMenuArrowDirectionDown);
    auto pagenators = [&] {
        std::vector<std::shared_ptr<PGPopupMenuPagenatorView>> found;
        for (const auto& view : menu->visibleItemViews())
            if (auto pagenator = std::dynamic_pointer_cast<PGPopupMenuPagenatorView>(view))
                found.push_back(pagenator);
        return found;
    };
    ASSERT_EQ(pagenators().size(), 1u);
    EXPECT_EQ(pagenators()[0], std::dynamic_pointer_cast<PGPopupMenuPagenatorView>(menu->visibleItemViews().back()));
    EXPECT_DOUBLE_EQ(pagenators()[0]->frame().size.width, 30);
    EXPECT_LE(menu->frame().size.width, 300);
    host->advance(0.1);
    writeWidgetPicture(*host, "paged-menu-glossy-page1");

    host->tap(pagenators()[0]);
    host->advance(0.05);
    EXPECT_EQ(menu->page(), 1u);
    EXPECT_TRUE(menu->isVisible());
    if (menu->groupedItemViews().size() > 2) {
        EXPECT_EQ(pagenators().size(), 2u);
    }
    menu->showPage(menu->groupedItemViews().size() - 1);
    ASSERT_EQ(pagenators().size(), 1u);
    EXPECT_EQ(pagenators()[0], std::dynamic_pointer_cast<PGPopupMenuPagenatorView>(menu->visibleItemViews().front()));
    host->advance(0.1);
    writeWidgetPicture(*host, "paged-menu-glossy-last");

    // Moving the target keeps the page and the grouping.
    const auto pages = menu->groupedItemViews().size();
    menu->updateWithTargetRect(CGRectMake(100, 400, 40, 30));
    EXPECT_EQ(menu->page(), pages - 1);
    EXPECT_EQ(menu->groupedItemViews().size(), pages);
    EXPECT_DOUBLE_EQ(CGRectGetMaxY(menu->frame()), 398);
    menu->dismissAnimated(false);
}

TEST_F(PagedMenuTest, sideDirectionsLimitThePagesToTheRoomBesideTheTarget)
{
    auto menu = PGPopupMenu::popupMenuWithItems(manyItems());
    menu->setPopupMenuInsets(UIEdgeInsetsMake(200, 10, 200, 10));
    menu->showInView(screen(), CGRectMake(220, 240, 60, 90), false);
    EXPECT_EQ(menu->actualArrorDirection(), PGPopupMenuArrowDirectionRight);
    EXPECT_LE(menu->frame().size.width, 210 + 1);
    EXPECT_DOUBLE_EQ(CGRectGetMaxX(menu->frame()), 218);
    menu->dismissAnimated(false);
}

TEST_F(PagedMenuTest, aSecondShowWhileAppearingMakesNoSecondOverlayAndNoItemsShowNothing)
{
    auto menu = PGPopupMenu::popupMenuWithItems(manyItems());
    menu->showInView(screen(), CGRectMake(140, 300, 40, 30), true);
    host->advance(0.05);
    menu->showInView(screen(), CGRectMake(140, 300, 40, 30), true);
    host->advance(0.3);
    EXPECT_EQ(overlays(), 1u);
    host->tap(CGPointMake(160, 100));
    host->tap(CGPointMake(160, 100));
    host->advance(0.3);
    EXPECT_EQ(overlays(), 0u);
    EXPECT_FALSE(menu->isVisible());
    // Shown again after the dismissal, as the same menu.
    menu->showInView(screen(), CGRectMake(140, 300, 40, 30), false);
    EXPECT_TRUE(menu->isVisible());
    menu->dismissAnimated(false);

    auto empty = PGPopupMenu::popupMenuWithItems({});
    empty->showInView(screen(), CGRectMake(140, 300, 40, 30), false);
    EXPECT_FALSE(empty->isVisible());
    EXPECT_EQ(overlays(), 0u);
}

TEST_F(PagedMenuTest, anItemWithTitleAndImageShiftsBothAndTheRowIsNeverUnder40)
{
    auto item = PGPopupMenuItem::itemWithTitle("复制", UIImage::imageNamed("button_nor"), receiver, &Receiver::copyText);
    auto view = PGPopupMenuItemView::itemViewWithItem(item);
    EXPECT_DOUBLE_EQ(view->button()->titleEdgeInsets().left, 6);
    EXPECT_DOUBLE_EQ(view->button()->imageEdgeInsets().left, -3);
    auto menu = PGPopupMenu::popupMenuWithItems(manyItems());
    menu->setPopupMenuInsets(UIEdgeInsetsMake(10, 150, 10, 150));
    menu->showInView(screen(), CGRectMake(140, 300, 40, 30), false);
    // Each page holds at least one item even in a 40-point row.
    for (const auto& page : menu->groupedItemViews())
        EXPECT_EQ(page.size(), 1u);
    menu->dismissAnimated(false);
}

TEST_F(PagedMenuTest, theGlossyDownArrowIsPlainBlackAndBlueWhenHighlighted)
{
    auto menu = PGPlasticPopupMenu::popupMenuWithItems({ PGPopupMenuItem::itemWithTitle("复制", receiver, &Receiver::copyText) });
    menu->showInView(screen(), CGRectMake(140, 300, 40, 30), false);
    ASSERT_EQ(menu->actualArrorDirection(), PGPopupMenuArrowDirectionDown);
    auto normal = menu->popupMenuImageWithHighlighted(false);
    auto highlighted = menu->popupMenuImageWithHighlighted(true);
    const CGPoint tip = menu->arrowPoint();
    auto pixel = [](const UIImageRef& image, CGPoint point) {
        const auto bytes = CGDataProviderCopyData(CGImageGetDataProvider(image->CGImage()));
        const std::size_t row = CGImageGetBytesPerRow(image->CGImage());
        const std::size_t offset = std::size_t(point.y * image->scale()) * row + std::size_t(point.x * image->scale()) * 4;
        return std::array<uint8_t, 4> { bytes[offset], bytes[offset + 1], bytes[offset + 2], bytes[offset + 3] };
    };
    const CGPoint inArrow = CGPointMake(tip.x, tip.y - 4);
    const auto plain = pixel(normal, inArrow);
    EXPECT_LT(std::max({ plain[0], plain[1], plain[2] }), 20);
    const auto blue = pixel(highlighted, inArrow);
    EXPECT_NE(blue[0], blue[2]);
    menu->dismissAnimated(false);
}

} // namespace

namespace {

TEST_F(PagedMenuTest, aTouchOutsideClosesAnimatedAndATouchOnTheMenuDoesNot)
{
    auto menu = PGPopupMenu::popupMenuWithItems(manyItems());
    menu->setDelegate(receiver);
    menu->showInView(screen(), CGRectMake(140, 300, 40, 30), false);
    const CGRect frame = menu->frame();
    host->tap(CGPointMake(CGRectGetMaxX(frame) - 2, CGRectGetMaxY(frame) - 1));  // on the arrow row, beside the arrow
    host->advance(0.1);
    EXPECT_TRUE(menu->isVisible());
    host->tap(CGPointMake(160, 100));
    EXPECT_EQ(receiver->events.back(), "willDisappear");
    EXPECT_EQ(menu->alpha(), 0);
    EXPECT_TRUE(menu->isVisible());
    host->advance(0.25);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(receiver->events.back(), "didDisappear");
}

} // namespace

namespace {

TEST_F(PagedMenuTest, aMenuShownAgainWithoutAnimationAfterAnAnimatedDismissalIsSeen)
{
    auto menu = PGPopupMenu::popupMenuWithItems(manyItems());
    menu->setDelegate(receiver);
    const CGRect target = CGRectMake(140, 300, 40, 30);
    menu->showInView(screen(), target, true);
    host->advance(0.25);
    menu->dismissAnimated(true);
    host->advance(0.25);
    ASSERT_FALSE(menu->isVisible());

    menu->showInView(screen(), target, false);
    host->advance(0.05);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->alpha(), 1);
    // The menu's dark body is on the screen, under the first item's title.
    const CGRect first = menu->visibleItemViews()[0]->frame();
    EXPECT_LT(host->pixelAt(menu->convertPointToView(CGPointMake(CGRectGetMinX(first) + 4, CGRectGetMidY(first)), nullptr))[0], 100);
    // A shown menu and its overlay hold each other until it is dismissed.
    menu->dismissAnimated(false);
}

} // namespace

TEST_F(PagedMenuTest, escapeClosesTheOpenMenuWithoutAChoice)
{
    auto menu = PGPopupMenu::popupMenuWithItems({ PGPopupMenuItem::itemWithTitle("复制", receiver, &Receiver::copyText) });
    menu->setDelegate(receiver);
    menu->showInView(screen(), CGRectMake(0, 30, 10, 20), true);
    host->advance(0.25);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(0.3);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(overlays(), 0u);
    EXPECT_EQ(std::count(receiver->events.begin(), receiver->events.end(), "copy"), 0);
}
