#include "platform/host/HeadlessHost.h"
#include "platform/layers/CATransition.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIPageControl.h"
#include "platform/uikit/UIProgressView.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UISegmentedControl.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIToolbar.h"
#include "WidgetTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Pixel = std::array<uint8_t, 4>;
constexpr Pixel kWhite { 255, 255, 255, 255 };

class Counter : public NSObject {
    NS_OBJECT(Counter, NSObject)
public:
    void tapped(UIBarButtonItem& item) { tags.push_back(item.tag()); }
    std::vector<NSInteger> tags;
};

class Screen : public UIViewController {
    NS_OBJECT(Screen, UIViewController)
public:
    void viewDidLoad() override { view()->setBackgroundColor(UIColor::whiteColor()); }

protected:
    void init(const NSString& title)
    {
        UIViewController::init();
        setTitle(title);
    }
};

UIBarButtonItemRef titled(const NSString& title, NSInteger tag, const std::shared_ptr<Counter>& counter)
{
    auto item = UIBarButtonItem::create(title, UIBarButtonItemStylePlain);
    item->setTag(tag);
    item->setTarget(counter, &Counter::tapped);
    return item;
}

} // namespace

TEST(Toolbar, laysOutFixedAndFlexibleSpacesCustomViewsAndButtonsAndSendsTheirActions)
{
    auto host = HeadlessHost::create();
    auto root = Screen::create("工具");
    host->showRootViewController(root);
    auto toolbar = UIToolbar::create(CGRectMake(0, 524, 320, 44));
    root->view()->addSubview(toolbar);
    auto counter = Counter::create();

    auto fixed = UIBarButtonItem::create(UIBarButtonSystemItemFixedSpace);
    fixed->setWidth(20);
    auto edit = titled("编辑", 1, counter);
    auto custom = UIView::create(CGRectMake(0, 0, 60, 30));
    auto done = UIBarButtonItem::create(UIBarButtonSystemItemDone);
    done->setTag(2);
    done->setTarget(counter, &Counter::tapped);
    auto add = UIBarButtonItem::create(UIBarButtonSystemItemAdd);
    toolbar->setItems({ fixed, edit, UIBarButtonItem::create(UIBarButtonSystemItemFlexibleSpace), UIBarButtonItem::create(custom),
        UIBarButtonItem::create(UIBarButtonSystemItemFlexibleSpace), add, done, nullptr });
    EXPECT_EQ(toolbar->items().size(), 7u);
    toolbar->layoutIfNeeded();

    EXPECT_EQ(done->title(), NSString("完成"));
    EXPECT_EQ(done->style(), UIBarButtonItemStyleDone);
    EXPECT_FALSE(fixed->view());
    const CGRect editFrame = edit->view()->frame();
    EXPECT_EQ(editFrame.origin.x, 12 + 20);
    EXPECT_EQ(editFrame.size.height, 30);
    EXPECT_EQ(editFrame.origin.y, 7);
    const CGRect doneFrame = done->view()->frame();
    const CGRect addFrame = add->view()->frame();
    EXPECT_EQ(CGRectGetMaxX(doneFrame), 320 - 12);
    EXPECT_EQ(addFrame.size.width, 22);
    EXPECT_EQ(CGRectGetMaxX(addFrame) + 8, doneFrame.origin.x);
    // The custom view keeps its size, centred between two equal flexible spaces.
    EXPECT_EQ(custom->frame().size, CGSizeMake(60, 30));
    EXPECT_NEAR(custom->frame().origin.x - CGRectGetMaxX(editFrame), addFrame.origin.x - CGRectGetMaxX(custom->frame()), 1);

    EXPECT_TRUE(host->tap(done->view()));
    EXPECT_TRUE(host->tap(edit->view()));
    edit->setEnabled(false);
    host->tap(edit->view());
    EXPECT_EQ(counter->tags, (std::vector<NSInteger> { 2, 1 }));
    EXPECT_EQ(host->findViewWithText("编辑"), edit->view());

    // A released target's action does not run; a block keeps going.
    int blocks = 0;
    add->setAction([&](UIBarButtonItem&) { ++blocks; });
    host->tap(add->view());
    counter.reset();
    host->tap(done->view());
    EXPECT_EQ(blocks, 1);

    // The items go, the views with them.
    toolbar->setItems({});
    EXPECT_FALSE(custom->superview());
    EXPECT_EQ(toolbar->sizeThatFits(CGSizeMake(0, 0)), CGSizeMake(320, 44));
}

TEST(Toolbar, drawsItsStyleItsBarTintOrItsBackgroundImageByMetrics)
{
    auto host = HeadlessHost::create();
    auto root = Screen::create("工具");
    host->showRootViewController(root);
    auto toolbar = UIToolbar::create(CGRectMake(0, 524, 320, 44));
    root->view()->addSubview(toolbar);
    host->runUntilIdle();
    const Pixel light = host->pixelAt(CGPointMake(160, 540));
    EXPECT_GT(light[0], 235);
    EXPECT_LT(light[0], 255);
    toolbar->setBarStyle(UIBarStyleBlack);
    host->runUntilIdle();
    EXPECT_LT(host->pixelAt(CGPointMake(160, 540))[0], 30);
    toolbar->setBarTintColor(UIColor::redColor());
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 540)), (Pixel { 255, 0, 0, 255 }));
    toolbar->setBackgroundImage(solidImage(4, 4, 0x00FF00FF), UIToolbarPositionAny, UIBarMetricsDefault);
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 540)), (Pixel { 0, 255, 0, 255 }));
    EXPECT_TRUE(toolbar->backgroundImageForToolbarPosition(UIToolbarPositionBottom, UIBarMetricsCompact));
    toolbar->setBackgroundImage(nullptr, UIToolbarPositionAny, UIBarMetricsDefault);
    EXPECT_FALSE(toolbar->backgroundImageForToolbarPosition(UIToolbarPositionBottom, UIBarMetricsDefault));
}

TEST(BarButtonItem, titleAttributesAndBackgroundsFallBackToTheNormalStateThenTheSharedAppearance)
{
    auto item = UIBarButtonItem::create("保存", UIBarButtonItemStyleBordered);
    auto red = NSDictionary::dictionaryWithObjectsAndKeys({ { UIColor::redColor(), NSString(NSForegroundColorAttributeName) } });
    auto blue = NSDictionary::dictionaryWithObjectsAndKeys({ { UIColor::blueColor(), NSString(NSForegroundColorAttributeName) } });
    EXPECT_FALSE(item->titleTextAttributesForState(UIControlStateNormal));
    UIBarButtonItem::appearance()->setTitleTextAttributes(blue, UIControlStateNormal);
    EXPECT_EQ(item->titleTextAttributesForState(UIControlStateHighlighted), blue);
    item->setTitleTextAttributes(red, UIControlStateNormal);
    EXPECT_EQ(item->titleTextAttributesForState(UIControlStateDisabled), red);
    item->setTitleTextAttributes(blue, UIControlStateHighlighted);
    EXPECT_EQ(item->titleTextAttributesForState(UIControlStateHighlighted), blue);
    item->setTitleTextAttributes(nullptr, UIControlStateNormal);
    UIBarButtonItem::appearance()->setTitleTextAttributes(nullptr, UIControlStateNormal);
    EXPECT_FALSE(item->titleTextAttributesForState(UIControlStateNormal));

    auto image = solidImage(4, 4, 0x00FF00FF);
    item->setBackgroundImage(image, UIControlStateNormal, UIBarMetricsDefault);
    EXPECT_EQ(item->backgroundImageForState(UIControlStateHighlighted, UIBarMetricsCompact), image);
    item->setBackgroundImage(nullptr, UIControlStateNormal, UIBarMetricsDefault);
    EXPECT_FALSE(item->backgroundImageForState(UIControlStateNormal, UIBarMetricsDefault));
    EXPECT_EQ(UIBarButtonItem::titleForSystemItem(UIBarButtonSystemItemCancel), NSString("取消"));
    EXPECT_EQ(UIBarButtonItem::titleForSystemItem(UIBarButtonSystemItemCamera), NSString());

    // Drawn: the title in the item's attributes over its background image.
    auto host = HeadlessHost::create();
    auto root = Screen::create("按钮");
    host->showRootViewController(root);
    auto toolbar = UIToolbar::create(CGRectMake(0, 100, 320, 44));
    root->view()->addSubview(toolbar);
    item->setBackgroundImage(image, UIControlStateNormal, UIBarMetricsDefault);
    item->setWidth(80);
    toolbar->setItems({ item });
    host->runUntilIdle();
    EXPECT_EQ(item->view()->frame(), CGRectMake(12, 7, 80, 30));
    EXPECT_EQ(host->pixelAt(CGPointMake(14, 109)), (Pixel { 0, 255, 0, 255 }));
}

TEST(NavigationBar, showsTheTopItemAndItsBackButtonAndAsksItsDelegateBeforePopping)
{
    struct Gate : UINavigationBarDelegate {
        std::optional<bool> shouldPopItem(UINavigationBar&, UINavigationItem&) override { return allow; }
        void didPopItem(UINavigationBar&, UINavigationItem& item) override { popped.push_back(item.title()); }
        bool allow { false };
        std::vector<NSString> popped;
    };
    auto host = HeadlessHost::create();
    auto root = Screen::create("根");
    host->showRootViewController(root);
    auto bar = UINavigationBar::create(CGRectMake(0, 20, 320, 44));
    root->view()->addSubview(bar);
    auto gate = std::make_shared<Gate>();
    bar->setDelegate(gate);
    auto first = UINavigationItem::create("科目一");
    auto second = UINavigationItem::create("第一章 道路交通安全法律、法规和规章");
    bar->pushNavigationItem(first);
    bar->pushNavigationItem(second);
    bar->pushNavigationItem(first);
    EXPECT_EQ(bar->items().size(), 2u);
    EXPECT_EQ(second->navigationBar(), bar);
    bar->layoutIfNeeded();
    ASSERT_TRUE(bar->backButton());
    EXPECT_EQ(bar->backButton()->visibleText(), NSString("科目一"));
    // A title wider than the room left is cut to it, still clear of the back button.
    EXPECT_GE(bar->titleLabel()->frame().origin.x, CGRectGetMaxX(bar->backButton()->frame()));
    EXPECT_LE(CGRectGetMaxX(bar->titleLabel()->frame()), 320 - 8);

    host->tap(bar->backButton());
    EXPECT_EQ(bar->topItem(), second);
    gate->allow = true;
    host->tap(bar->backButton());
    EXPECT_EQ(bar->topItem(), first);
    EXPECT_EQ(gate->popped, (std::vector<NSString> { "第一章 道路交通安全法律、法规和规章" }));
    EXPECT_FALSE(second->navigationBar());
    bar->layoutIfNeeded();
    EXPECT_FALSE(bar->backButton());
    EXPECT_FALSE(bar->popNavigationItemAnimated(false));

    // A long title of the item below gives way to the plain word; a back item's title wins.
    auto third = UINavigationItem::create("三");
    first->setTitle("这是一个非常非常长的标题文字");
    bar->pushNavigationItem(third);
    bar->layoutIfNeeded();
    EXPECT_EQ(bar->backButton()->visibleText(), NSString("返回"));
    first->setBackBarButtonItem(UIBarButtonItem::create("上一步", UIBarButtonItemStylePlain));
    bar->layoutIfNeeded();
    EXPECT_EQ(bar->backButton()->visibleText(), NSString("上一步"));
    third->setHidesBackButton(true);
    bar->layoutIfNeeded();
    EXPECT_FALSE(bar->backButton());
    // A title view takes the title's place, centred.
    auto titleView = UIView::create(CGRectMake(0, 0, 100, 30));
    third->setTitleView(titleView);
    bar->layoutIfNeeded();
    EXPECT_EQ(titleView->frame(), CGRectMake(110, 7, 100, 30));
    EXPECT_FALSE(bar->titleLabel()->superview());
    bar->setItems({ third, nullptr, third });
    EXPECT_EQ(bar->items().size(), 1u);
    EXPECT_FALSE(first->navigationBar());
}

TEST(NavigationBar, drawsItsBackgroundImageForTheDefaultMetricsOverItsStyle)
{
    auto host = HeadlessHost::create();
    auto root = Screen::create("根");
    host->showRootViewController(root);
    auto bar = UINavigationBar::create(CGRectMake(0, 20, 320, 44));
    root->view()->addSubview(bar);
    bar->setItems({ UINavigationItem::create("标题") });
    host->runUntilIdle();
    const Pixel light = host->pixelAt(CGPointMake(5, 40));
    EXPECT_GT(light[0], 235);
    EXPECT_LT(light[0], 255);
    // The hairline under the bar.
    EXPECT_LT(host->pixelAt(CGPointMake(5, 63.75))[0], 200);
    bar->setBackgroundImage(solidImage(8, 8, 0x2080C0FF)->resizableImageWithCapInsets(UIEdgeInsetsMake(2, 2, 2, 2)), UIBarMetricsDefault);
    bar->setTitleTextAttributes(NSDictionary::dictionaryWithObjectsAndKeys({ { UIColor::whiteColor(), NSString(NSForegroundColorAttributeName) } }));
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(5, 40)), (Pixel { 0x20, 0x80, 0xC0, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(5, 63.75)), (Pixel { 0x20, 0x80, 0xC0, 255 }));
    EXPECT_TRUE(bar->backgroundImageForBarMetrics(UIBarMetricsCompact));
    EXPECT_EQ(bar->titleLabel()->textColor(), UIColor::whiteColor());
}

TEST(NavigationController, showsABarWithTheTopItemWhoseBackButtonPopsTheScreen)
{
    auto host = HeadlessHost::create();
    auto first = Screen::create("首页");
    auto navigation = UINavigationController::create(first);
    host->showRootViewController(navigation);
    auto bar = navigation->navigationBar();
    ASSERT_TRUE(bar);
    host->runUntilIdle();
    EXPECT_EQ(bar->frame(), CGRectMake(0, 20, 320, 44));
    EXPECT_EQ(bar->titleLabel()->text(), NSString("首页"));
    EXPECT_EQ(host->findViewWithText("首页"), bar->titleLabel());
    EXPECT_FALSE(bar->backButton());

    auto counter = Counter::create();
    auto second = Screen::create("设置");
    second->navigationItem()->setRightBarButtonItem(titled("保存", 7, counter));
    navigation->pushViewController(second, true);
    host->runUntilIdle();
    EXPECT_EQ(bar->titleLabel()->text(), NSString("设置"));
    ASSERT_TRUE(bar->backButton());
    EXPECT_EQ(bar->backButton()->visibleText(), NSString("首页"));
    auto save = second->navigationItem()->rightBarButtonItem()->view();
    EXPECT_EQ(CGRectGetMaxX(save->frame()), 320 - 8);
    EXPECT_TRUE(host->tap(save));
    EXPECT_EQ(counter->tags, (std::vector<NSInteger> { 7 }));
    second->setTitle("设置中心");
    bar->layoutIfNeeded();
    EXPECT_EQ(bar->titleLabel()->text(), NSString("设置中心"));

    // The back button takes the screen off, not only the item.
    EXPECT_TRUE(host->tap(bar->backButton()));
    host->runUntilIdle();
    EXPECT_EQ(navigation->topViewController(), first);
    EXPECT_EQ(bar->items().size(), 1u);
    EXPECT_FALSE(bar->backButton());
    EXPECT_FALSE(save->superview());

    // Hidden, the screen has the whole window.
    navigation->setNavigationBarHidden(true);
    host->runUntilIdle();
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(host->pixelAt(CGPointMake(5, 40)), kWhite);
    navigation->setViewControllers({ first, Screen::create("甲"), Screen::create("乙") });
    EXPECT_EQ(bar->items().size(), 3u);
    EXPECT_EQ(bar->backItem()->title(), NSString("甲"));
    navigation->popToRootViewControllerAnimated(false);
    EXPECT_EQ(bar->items().size(), 1u);

    // Another view in the bar's place leaves no bar to show items.
    auto replacement = UINavigationBar::create(CGRectZero);
    navigation->setNavigationBar(replacement);
    EXPECT_EQ(first->navigationItem()->navigationBar(), replacement);
    EXPECT_TRUE(bar->items().empty());
    EXPECT_FALSE(bar->delegate());
    navigation->setNavigationBar(UIView::create());
    EXPECT_FALSE(navigation->navigationBar());
    EXPECT_FALSE(first->navigationItem()->navigationBar());
    navigation->pushViewController(Screen::create("丙"), false);
    EXPECT_EQ(navigation->viewControllers().size(), 2u);
}

TEST(SearchBar, reportsEditingTypingAndTheSearchKeyToItsDelegate)
{
    struct Listener : UISearchBarDelegate {
        void searchBarTextDidBeginEditing(UISearchBar&) override { log.push_back("begin"); }
        void searchBarTextDidEndEditing(UISearchBar&) override { log.push_back("end"); }
        void textDidChange(UISearchBar&, const NSString& text) override { log.push_back("change " + std::string(text.UTF8String())); }
        void searchBarSearchButtonClicked(UISearchBar& bar) override { log.push_back("search " + std::string(bar.text().UTF8String())); }
        std::optional<bool> searchBarShouldBeginEditing(UISearchBar&) override { return allow; }
        std::vector<std::string> log;
        bool allow { true };
    };
    auto host = HeadlessHost::create();
    auto root = Screen::create("搜索");
    host->showRootViewController(root);
    auto search = UISearchBar::create(CGRectMake(0, 64, 320, 0));
    EXPECT_EQ(search->frame().size.height, 44);
    search->setPlaceholder("搜索题目");
    auto listener = std::make_shared<Listener>();
    search->setDelegate(listener);
    root->view()->addSubview(search);
    host->runUntilIdle();
    EXPECT_TRUE(search->searchField()->frame().size.width > 300);
    const Pixel grey = host->pixelAt(CGPointMake(3, 66));
    EXPECT_EQ(grey, (Pixel { 201, 201, 206, 255 }));

    listener->allow = false;
    host->tap(search);
    EXPECT_TRUE(listener->log.empty());
    listener->allow = true;
    host->tap(search);
    host->typeText("红灯");
    host->pressReturn();
    EXPECT_EQ(listener->log, (std::vector<std::string> { "begin", "change 红灯", "search 红灯" }));
    EXPECT_TRUE(search->resignFirstResponder());
    EXPECT_EQ(listener->log.back(), "end");
    search->setText("黄灯");
    EXPECT_EQ(search->text(), NSString("黄灯"));
    EXPECT_EQ(search->placeholder(), NSString("搜索题目"));

    // A clear background image lets the view's own colour show.
    search->setBackgroundColor(UIColor::redColor());
    search->setBackgroundImage(solidImage(2, 2, 0x00000000));
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(3, 66)), (Pixel { 255, 0, 0, 255 }));
    EXPECT_TRUE(search->backgroundImage());
}

// A screen of every control and bar, saved for a person to look at when CORVANE_SNAPSHOTS names
// a folder, and checked at sampled pixels.
TEST(ControlsSnapshot, aScreenOfBarsAndControlsLooksLikeAPhones)
{
    auto host = HeadlessHost::create();
    auto first = Screen::create("驾校");
    auto navigation = UINavigationController::create(first);
    host->showRootViewController(navigation);
    auto second = Screen::create("练习设置");
    second->navigationItem()->setRightBarButtonItem(UIBarButtonItem::create(UIBarButtonSystemItemDone));
    navigation->pushViewController(second, false);
    auto view = second->view();

    auto toggle = UISwitch::create(CGRectMake(250, 90, 0, 0));
    toggle->setOn(true);
    view->addSubview(toggle);
    view->addSubview(UISwitch::create(CGRectMake(180, 90, 0, 0)));
    auto slider = UISlider::create(CGRectMake(20, 140, 280, 34));
    slider->setValue(0.3);
    view->addSubview(slider);
    auto segments = UISegmentedControl::create(std::vector<UISegmentedControl::Item> { NSString("顺序"), NSString("随机"), NSString("专项") });
    segments->setFrame(CGRectMake(20, 190, 280, 29));
    segments->setSelectedSegmentIndex(0);
    view->addSubview(segments);
    auto progress = UIProgressView::create(UIProgressViewStyleDefault);
    progress->setFrame(CGRectMake(20, 240, 280, 2));
    progress->setProgress(0.6);
    view->addSubview(progress);
    auto pageBackground = UIView::create(CGRectMake(0, 260, 320, 40));
    pageBackground->setBackgroundColor(UIColor::darkGrayColor());
    view->addSubview(pageBackground);
    auto pages = UIPageControl::create(CGRectMake(0, 0, 320, 40));
    pages->setNumberOfPages(4);
    pages->setCurrentPage(1);
    pageBackground->addSubview(pages);
    auto search = UISearchBar::create(CGRectMake(0, 310, 320, 44));
    search->setPlaceholder("搜索");
    view->addSubview(search);
    auto toolbar = UIToolbar::create(CGRectMake(0, 524, 320, 44));
    toolbar->setItems({ UIBarButtonItem::create(UIBarButtonSystemItemPlay), UIBarButtonItem::create(UIBarButtonSystemItemFlexibleSpace),
        UIBarButtonItem::create("收藏", UIBarButtonItemStylePlain), UIBarButtonItem::create(UIBarButtonSystemItemFlexibleSpace),
        UIBarButtonItem::create(UIBarButtonSystemItemSearch) });
    view->addSubview(toolbar);
    host->runUntilIdle();

    if (const char* folder = std::getenv("CORVANE_SNAPSHOTS"))
        host->writePNG(NSString((std::filesystem::path(folder) / "bars-and-controls.png").string()));
    // The on switch is green, the off one white with a grey rim.
    EXPECT_EQ(host->pixelAt(CGPointMake(258, 105)), (Pixel { 76, 217, 100, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(222, 105)), kWhite);
    // The slider's track left of the thumb is tinted, right of it grey.
    EXPECT_EQ(host->pixelAt(CGPointMake(40, 157)), (Pixel { 0, 122, 255, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(250, 157)), (Pixel { 183, 183, 183, 255 }));
    // The first segment is filled, the second is not; the progress is tinted to 60 %.
    EXPECT_EQ(host->pixelAt(CGPointMake(30, 195)), (Pixel { 0, 122, 255, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(130, 195)), kWhite);
    EXPECT_EQ(host->pixelAt(CGPointMake(180, 241)), (Pixel { 0, 122, 255, 255 }));
    EXPECT_EQ(host->pixelAt(CGPointMake(200, 241)), (Pixel { 183, 183, 183, 255 }));
    // The current page's dot is white on the dark strip.
    EXPECT_EQ(host->pixelAt(CGPointMake(152, 280)), kWhite);
}

namespace {

// The navigation example of docs/platform.md, kept compiling and true.
class SettingsViewController : public UIViewController {
    NS_OBJECT(SettingsViewController, UIViewController)
public:
    void viewDidLoad() override
    {
        setTitle("设置");
        auto save = UIBarButtonItem::create("保存", UIBarButtonItemStyleDone);
        save->setTarget(self(), &SettingsViewController::saveEvent);
        navigationItem()->setRightBarButtonItem(save);
    }
    void saveEvent() { ++saves; }
    int saves { 0 };
};

} // namespace

TEST(BarDocumentation, theSettingsExampleShowsItsTitleAndSaves)
{
    auto host = HeadlessHost::create();
    auto settings = SettingsViewController::create();
    auto navigation = UINavigationController::create(Screen::create("首页"));
    host->showRootViewController(navigation);
    navigation->pushViewController(settings, true);
    host->runUntilIdle();
    EXPECT_TRUE(host->findViewWithText("设置"));
    EXPECT_TRUE(host->tap(host->findViewWithText("保存")));
    EXPECT_EQ(settings->saves, 1);
    settings->navigationController()->setNavigationBarHidden(true);
    host->runUntilIdle();
    EXPECT_TRUE(navigation->navigationBar()->isHidden());
    EXPECT_EQ(settings->view()->frame(), UIScreen::mainScreen()->bounds());
}

TEST(BarButtonItem, itemsChangedOnABarAreLaidOutAndDrawnAgain)
{
    auto host = HeadlessHost::create();
    auto root = Screen::create("工具");
    host->showRootViewController(root);
    auto toolbar = UIToolbar::create(CGRectMake(0, 500, 320, 44));
    toolbar->setTranslucent(false);
    EXPECT_FALSE(toolbar->isTranslucent());
    root->view()->addSubview(toolbar);
    auto picture = UIBarButtonItem::create(solidImage(24, 20, 0xFF0000FF), UIBarButtonItemStylePlain);
    auto word = UIBarButtonItem::create("短", UIBarButtonItemStylePlain);
    auto swapped = UIBarButtonItem::create(UIView::create(CGRectMake(0, 0, 40, 20)));
    toolbar->setItems({ picture, word, swapped });
    host->runUntilIdle();
    EXPECT_EQ(picture->view()->frame().size.width, 24);
    EXPECT_EQ(host->pixelAt(CGPointMake(24, 522)), (Pixel { 255, 0, 0, 255 }));

    const CGFloat narrow = word->view()->frame().size.width;
    word->setTitle("很长的标题");
    word->setStyle(UIBarButtonItemStyleDone);
    toolbar->layoutIfNeeded();
    EXPECT_GT(word->view()->frame().size.width, 3 * narrow);
    picture->setImage(solidImage(30, 20, 0x00FF00FF));
    toolbar->layoutIfNeeded();
    EXPECT_EQ(picture->view()->frame().size.width, 30);
    picture->setEnabled(false);
    picture->setImage(nullptr);

    // A new custom view replaces the old one on the bar.
    auto replacement = UIView::create(CGRectMake(0, 0, 50, 20));
    auto old = swapped->customView();
    swapped->setCustomView(replacement);
    swapped->setCustomView(replacement);
    toolbar->layoutIfNeeded();
    EXPECT_FALSE(old->superview());
    EXPECT_EQ(replacement->superview(), toolbar);
    EXPECT_EQ(CGRectGetMaxX(replacement->frame()), CGRectGetMaxX(word->view()->frame()) + 8 + 50);
    auto control = UISwitch::create(CGRectZero);
    swapped->setCustomView(control);
    swapped->setEnabled(false);
    EXPECT_FALSE(control->isEnabled());

    // Tinted items: the title takes the item's tint, attributes win over it, disabled is grey.
    word->setTintColor(UIColor::redColor());
    swapped->setTintColor(UIColor::greenColor());
    EXPECT_EQ(control->tintColor(), UIColor::greenColor());
    word->setTitleTextAttributes(NSDictionary::dictionaryWithObjectsAndKeys(
        { { UIFont::systemFontOfSize(30), NSString(NSFontAttributeName) }, { UIColor::blueColor(), NSString(NSForegroundColorAttributeName) } }),
        UIControlStateNormal);
    toolbar->layoutIfNeeded();
    // A big title is no taller than the bar.
    EXPECT_EQ(word->view()->frame().size.height, 44);
    host->runUntilIdle();
    word->setEnabled(false);
    host->runUntilIdle();
    const auto tinted = UIBarButtonItem::create("红", UIBarButtonItemStylePlain);
    tinted->setTintColor(UIColor::redColor());
    EXPECT_EQ(tinted->view()->tintColor(), UIColor::redColor());
}

TEST(BarButtonItem, systemItemsDrawTheirGlyphsInTheTint)
{
    auto host = HeadlessHost::create();
    auto root = Screen::create("图标");
    host->showRootViewController(root);
    auto toolbar = UIToolbar::create(CGRectMake(0, 100, 320, 44));
    root->view()->addSubview(toolbar);
    std::vector<UIBarButtonItemRef> items;
    for (const auto kind : { UIBarButtonSystemItemAdd, UIBarButtonSystemItemStop, UIBarButtonSystemItemPlay, UIBarButtonSystemItemPause,
             UIBarButtonSystemItemRewind, UIBarButtonSystemItemFastForward, UIBarButtonSystemItemSearch, UIBarButtonSystemItemCamera })
        items.push_back(UIBarButtonItem::create(kind));
    toolbar->setItems(items);
    host->runUntilIdle();
    for (const auto& item : items) {
        const CGRect frame = item->view()->frame();
        int inked = 0;
        for (int x = 0; x < 22; ++x) {
            for (int y = 0; y < 30; ++y)
                inked += host->pixelAt(CGPointMake(frame.origin.x + x, 100 + frame.origin.y + y))[0] < 128;
        }
        EXPECT_GT(inked, 6) << item->systemItem();
    }
    for (const auto kind : { UIBarButtonSystemItemEdit, UIBarButtonSystemItemSave, UIBarButtonSystemItemUndo, UIBarButtonSystemItemRedo })
        EXPECT_GT(UIBarButtonItem::create(kind)->title().length(), 0u);
}

TEST(NavigationBar, laysOutLeftItemsAndSpacesAndTakesItsStyles)
{
    auto host = HeadlessHost::create();
    auto root = Screen::create("根");
    host->showRootViewController(root);
    auto bar = UINavigationBar::create(CGRectMake(0, 20, 320, 44));
    EXPECT_EQ(bar->sizeThatFits(CGSizeZero), CGSizeMake(320, 44));
    root->view()->addSubview(bar);
    auto below = UINavigationItem::create("下");
    auto item = UINavigationItem::create("中");
    bar->setItems({ below, item });
    auto space = UIBarButtonItem::create(UIBarButtonSystemItemFixedSpace);
    space->setWidth(10);
    auto menu = UIBarButtonItem::create("菜单", UIBarButtonItemStylePlain);
    item->setLeftBarButtonItems({ space, menu, nullptr });
    auto rightSpace = UIBarButtonItem::create(UIBarButtonSystemItemFixedSpace);
    rightSpace->setWidth(6);
    item->setRightBarButtonItems({ rightSpace, UIBarButtonItem::create("编辑", UIBarButtonItemStylePlain) });
    bar->layoutIfNeeded();
    // Left items replace the back button.
    EXPECT_FALSE(bar->backButton());
    EXPECT_EQ(item->leftBarButtonItems().size(), 2u);
    EXPECT_EQ(menu->view()->frame().origin.x, 8 + 10);
    EXPECT_EQ(CGRectGetMaxX(item->rightBarButtonItems()[1]->view()->frame()), 320 - 8 - 6);
    item->setLeftBarButtonItem(nullptr);
    bar->layoutIfNeeded();
    EXPECT_TRUE(bar->backButton());
    EXPECT_FALSE(menu->view()->superview());

    bar->setBarStyle(UIBarStyleBlack);
    bar->layoutIfNeeded();
    EXPECT_EQ(bar->titleLabel()->textColor(), UIColor::whiteColor());
    host->runUntilIdle();
    EXPECT_LT(host->pixelAt(CGPointMake(160, 25))[0], 30);
    bar->setTranslucent(false);
    bar->setBarTintColor(UIColor::redColor());
    host->runUntilIdle();
    EXPECT_EQ(host->pixelAt(CGPointMake(160, 25)), (Pixel { 255, 0, 0, 255 }));
    EXPECT_FALSE(bar->isTranslucent());

    // An item taken to another bar is that bar's; the old bar no longer hears of it.
    auto other = UINavigationBar::create(CGRectMake(0, 0, 320, 44));
    other->setItems({ item });
    EXPECT_EQ(item->navigationBar(), other);
    auto titleView = UIView::create(CGRectMake(0, 0, 40, 20));
    item->setTitleView(titleView);
    other->layoutIfNeeded();
    item->setTitleView(nullptr);
    EXPECT_FALSE(titleView->superview());
}

TEST(BarButtonItem, aFieldInABarKeepsTheKeyboardWhenTheBarIsLaidOutOrGivenItsItemsAgain)
{
    auto host = HeadlessHost::create();
    auto first = Screen::create("首页");
    auto navigation = UINavigationController::create(first);
    host->showRootViewController(navigation);
    auto field = UITextField::create(CGRectMake(0, 0, 120, 30));
    first->navigationItem()->setRightBarButtonItem(UIBarButtonItem::create(field));
    host->runUntilIdle();
    ASSERT_TRUE(host->tap(field));
    EXPECT_TRUE(field->isFirstResponder());
    first->navigationItem()->setTitle("搜索");
    navigation->navigationBar()->layoutIfNeeded();
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(field->frame().size, CGSizeMake(120, 30));

    auto toolbar = UIToolbar::create(CGRectMake(0, 524, 320, 44));
    first->view()->addSubview(toolbar);
    auto other = UITextField::create(CGRectMake(0, 0, 100, 30));
    auto item = UIBarButtonItem::create(other);
    toolbar->setItems({ item });
    toolbar->layoutIfNeeded();
    ASSERT_TRUE(host->tap(other));
    toolbar->setItems({ UIBarButtonItem::create(UIBarButtonSystemItemFlexibleSpace), item });
    toolbar->layoutIfNeeded();
    EXPECT_TRUE(other->isFirstResponder());
    EXPECT_EQ(CGRectGetMaxX(other->frame()), 320 - 12);
}

TEST(NavigationBar, animatedChangesCrossFadeTheItemsAndPlainOnesDoNot)
{
    auto host = HeadlessHost::create();
    auto root = Screen::create("根");
    host->showRootViewController(root);
    auto bar = UINavigationBar::create(CGRectMake(0, 20, 320, 44));
    root->view()->addSubview(bar);
    const auto fading = [&] { return static_cast<bool>(bar->layer()->animationForKey(kCATransition)); };
    bar->pushNavigationItem(UINavigationItem::create("一"), false);
    EXPECT_FALSE(fading());
    bar->pushNavigationItem(UINavigationItem::create("二"), true);
    EXPECT_TRUE(fading());
    // Laid out at once: the new title is there while the old one fades out.
    EXPECT_EQ(bar->titleLabel()->text(), NSString("二"));
    host->runUntilIdle();
    EXPECT_FALSE(fading());
    bar->setItems(bar->items(), true);
    EXPECT_FALSE(fading());
    bar->popNavigationItemAnimated(true);
    EXPECT_TRUE(fading());
    host->runUntilIdle();
    EXPECT_EQ(bar->titleLabel()->text(), NSString("一"));
}
