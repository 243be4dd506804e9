#include "tools/demo/DemoTour.h"

#include "tools/demo/DrawnChartsDemo.h"
#include "tools/demo/LinkLabelDemo.h"
#include "tools/demo/ListsCalendarsDemo.h"
#include "tools/demo/WidgetLibraryDemo.h"

#include <chrono>
#include <thread>

namespace DemoTour {

std::shared_ptr<DemoAppDelegate> launch(HeadlessHost& host)
{
    auto application = DemoAppDelegate::create();
    if (!host.launch(application))
        return nullptr;
    host.runUntilIdle();
    return application;
}

bool visitEveryScreen(HeadlessHost& host, DemoAppDelegate& application,
    const std::function<void(const std::string&)>& visited, std::string* failedStep)
{
    auto fail = [failedStep](const char* step) {
        if (failedStep)
            *failedStep = step;
        return false;
    };
    auto navigation = application.navigationController();
    visited("rows");

    // The third row, tapped where it shows below the status and navigation bars.
    host.tap(CGPointMake(160, 64 + 44 * 2 + 22));
    host.runUntilIdle();
    auto form = std::dynamic_pointer_cast<RowFormViewController>(navigation->topViewController());
    if (!form)
        return fail("tapping a row shows its form");
    if (!host.tap(form->nameField()))
        return fail("the name field takes a tap");
    host.typeText("科目一");
    host.pressReturn();
    host.typeText("demo");
    host.runUntilIdle();
    visited("form");

    if (!host.tap(form->noticeButton()))
        return fail("the notice button takes a tap");
    host.runUntilIdle();
    auto notice = std::dynamic_pointer_cast<NoticeViewController>(navigation->presentedViewController());
    if (!notice)
        return fail("the notice is presented");
    visited("notice");

    if (!host.tap(notice->closeButton()))
        return fail("the notice closes");
    host.runUntilIdle();
    if (navigation->presentedViewController())
        return fail("the notice is dismissed");
    if (!host.tap(form->showcaseButton()))
        return fail("the showcase button takes a tap");
    host.runUntilIdle();
    auto showcase = std::dynamic_pointer_cast<ShowcaseViewController>(navigation->topViewController());
    if (!showcase)
        return fail("the showcase is pushed");
    showcase->moviePlayer()->play();
    host.runUntilIdle();
    if (!host.tap(showcase->pickerButton()))
        return fail("the region button takes a tap");
    host.runUntilIdle();
    // Two rows up, held still before lifting so the wheel settles where the finger leaves it.
    const CGPoint from = CGPointMake(160, 470), to = CGPointMake(160, 470 - 2 * UIPickerView::kDefaultRowHeight);
    host.touchDown(from);
    for (int step = 1; step <= 4; ++step) {
        host.advance(0.05);
        host.touchMove(CGPointMake(160, from.y + (to.y - from.y) * step / 4));
    }
    host.advance(0.5);
    host.touchUp(to);
    host.runUntilIdle();
    visited("picker");
    auto done = host.findViewWithText("确定");
    if (!done || !host.tap(done))
        return fail("the picker sheet shows its done button");
    host.runUntilIdle();
    if (showcase->choiceLabel()->text() != NSString("桂林市"))
        return fail("the picker sheet reports the region turned to");
    if (!host.tap(showcase->alertButton()))
        return fail("the alert button takes a tap");
    host.runUntilIdle();
    if (!showcase->alert() || !showcase->alert()->isVisible())
        return fail("the alert shows");
    visited("showcase");
    showcase->alert()->dismissWithClickedButtonIndex(0, false);
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();

    if (!host.tap(form->widgetsButton()))
        return fail("the widgets button takes a tap");
    host.runUntilIdle();
    auto widgets = std::dynamic_pointer_cast<WidgetLibraryViewController>(navigation->topViewController());
    if (!widgets)
        return fail("the widget screen is pushed");
    const char* const families[] = { "widgets-arrow-menu", "widgets-paged-menu", "widgets-progress-hud", "widgets-action-sheet" };
    for (std::size_t i = 0; i < 4; ++i) {
        if (!host.tap(widgets->buttons()[i]))
            return fail("a widget button takes a tap");
        host.advance(0.5);
        visited(families[i]);
        if (i == 2)
            host.advance(3.5);  // the HUD counts to 100 % and hides a second later
        else  // outside the menus, and above the sheet's panel
            host.tap(CGPointMake(160, i == 3 ? 150 : 520));
        host.runUntilIdle();
    }
    if (!host.tap(widgets->buttons()[4]))
        return fail("the text view button takes a tap");
    host.runUntilIdle();
    visited("widgets-text-view");
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();
    if (!host.tap(widgets->buttons()[5]))
        return fail("the drawer button takes a tap");
    host.runUntilIdle();
    auto drawer = std::dynamic_pointer_cast<DWDrawerController>(navigation->presentedViewController());
    if (!drawer)
        return fail("the drawer is presented");
    host.tap(CGPointMake(30, 42));
    host.runUntilIdle();
    if (drawer->openSide() != DWDrawerSideLeft)
        return fail("the drawer's menu button opens it");
    visited("widgets-drawer");
    drawer->dismissViewControllerAnimated(false);
    host.runUntilIdle();
    if (!host.tap(widgets->buttons()[6]))
        return fail("the link label button takes a tap");
    host.runUntilIdle();
    auto linkLabel = std::dynamic_pointer_cast<LinkLabelDemoViewController>(navigation->topViewController());
    if (!linkLabel)
        return fail("the link label screen is pushed");
    // Its links are found on another thread.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (linkLabel->linkedLabel()->linkModels().size() < 5 && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        host.runUntilIdle();
    }
    if (linkLabel->linkedLabel()->linkModels().size() < 5)
        return fail("the link label finds its links");
    const auto& phone = linkLabel->linkedLabel()->linkModels()[3];
    const CGRect box = linkLabel->linkedLabel()->boundingRectForCharacterRange(phone->result()->range());
    host.tap(linkLabel->linkedLabel()->convertPointToView(CGPointMake(CGRectGetMidX(box), CGRectGetMidY(box)), nullptr));
    host.runUntilIdle();
    if (!linkLabel->resultLabel()->text().hasPrefix("点按了电话"))
        return fail("a tapped link is reported");
    visited("widgets-link-label");
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();

    if (!host.tap(form->listsButton()))
        return fail("the lists button takes a tap");
    host.runUntilIdle();
    auto lists = std::dynamic_pointer_cast<ListsCalendarsViewController>(navigation->topViewController());
    if (!lists)
        return fail("the lists screen is pushed");
    host.tap(lists->buttons()[0]);
    host.runUntilIdle();
    auto pull = std::dynamic_pointer_cast<PullListDemoViewController>(navigation->topViewController());
    if (!pull)
        return fail("the pull table is pushed");
    host.drag(CGPointMake(160, 120), CGPointMake(160, 420), 0.5);
    host.advance(0.4);
    if (!pull->table()->pullTableIsRefreshing())
        return fail("pulling the list down refreshes it");
    visited("lists-pull-table");
    host.advance(1.5);
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();

    host.tap(lists->buttons()[1]);
    host.runUntilIdle();
    auto folding = std::dynamic_pointer_cast<FoldingListDemoViewController>(navigation->topViewController());
    if (!folding)
        return fail("the folding table is pushed");
    host.tap(CGPointMake(160, 64 + 44 * 2 + 22));
    host.advance(0.5);
    if (!folding->table()->top())
        return fail("a tap on a row opens its folder");
    visited("lists-folding-table");
    host.tap(CGPointMake(160, 500));
    host.advance(0.5);
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();

    host.tap(lists->buttons()[2]);
    host.runUntilIdle();
    auto strip = std::dynamic_pointer_cast<StripAndCarouselDemoViewController>(navigation->topViewController());
    if (!strip)
        return fail("the strip and carousel are pushed");
    host.tap(strip->menu()->buttonAtIndex(2));
    host.swipe(CGPointMake(260, 64 + 200), UISwipeDirectionHint::Left);
    host.advance(1.2);
    if (strip->coverFlow()->currentRenderingImageIndex() == 0)
        return fail("a flick moves the carousel");
    visited("lists-strip-carousel");
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();

    host.tap(lists->buttons()[3]);
    host.advance(0.5);
    if (!lists->calendar() || !lists->calendar()->appear())
        return fail("the month calendar shows");
    visited("lists-month-calendar");
    lists->calendar()->hide();
    host.advance(0.5);

    host.tap(lists->buttons()[4]);
    host.advance(0.5);
    auto tutorial = std::dynamic_pointer_cast<TPTutorialController>(navigation->presentedViewController());
    if (!tutorial)
        return fail("the tutorial is presented");
    host.advance(3.2);
    visited("lists-tutorial");
    if (!host.tap(tutorial->rightButton()))
        return fail("the tutorial's right button takes a tap");
    host.advance(0.6);
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();

    if (!host.tap(form->drawnChartsButton()))
        return fail("the drawn charts button takes a tap");
    host.advance(0.5);
    auto drawn = std::dynamic_pointer_cast<DrawnChartsViewController>(navigation->topViewController());
    if (!drawn)
        return fail("the drawn charts are pushed");
    const char* drawnNames[] = { "drawn-line-chart", "drawn-half-pie", "drawn-columns" };
    for (std::size_t i = 0; i < drawn->buttons().size(); ++i) {
        host.tap(drawn->buttons()[i]);
        host.advance(0.2);
        if (!drawn->shown())
            return fail("a drawn chart shows");
        visited(drawnNames[i]);
    }
    navigation->popViewControllerAnimated(false);
    host.runUntilIdle();

    if (!host.tap(form->backButton()))
        return fail("the back button takes a tap");
    host.runUntilIdle();
    if (navigation->topViewController() != application.rowList())
        return fail("back returns to the list");
    visited("rows-again");
    return true;
}

} // namespace DemoTour
