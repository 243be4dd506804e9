#include "WidgetScreen.h"

#include "library/widgets/alert/TAAlertViewController.h"
#include "platform/uikit/UIAlertView.h"

namespace {

class Recorder : public NSObject, public TAAlertViewDelegate {
    NS_OBJECT(Recorder, NSObject)
public:
    void clickedButtonAtIndex(TAAlertView&, NSInteger index) override { log.push_back("clicked " + std::to_string(index)); }
    void alertViewCancel(TAAlertView&) override { log.push_back("cancel"); }
    void didDismissWithButtonIndex(TAAlertView&, NSInteger index) override { log.push_back("dismissed " + std::to_string(index)); }
    std::optional<bool> shouldDismissAfterClickingButtonAtIndex(TAAlertView&, NSInteger index) override
    {
        if (keepOpen)
            return index != 1;
        return std::nullopt;
    }
    std::vector<std::string> log;
    bool keepOpen { false };
};

// Keeps every field but the first closed and only the cancel button on.
class Keeper : public TAAlertViewDelegate {
public:
    std::optional<bool> textFieldAtIndexShouldBecomeFirstResponder(TAAlertView&, NSInteger index, bool proposal) override
    {
        return index == 0 && proposal;
    }
    std::optional<bool> buttonAtIndexShouldBeEnabled(TAAlertView&, NSInteger index, bool) override { return index == 0; }
};

class AlertView : public WidgetScreenTest {
protected:
    // The login screen's network-settings dialog.
    std::shared_ptr<TAAlertView> networkDialog(std::vector<std::pair<std::string, NSInteger>>& results)
    {
        auto alert = TAAlertView::create("网络设置", NSString(), nullptr, "取消", std::vector<NSString> { "确定" });
        alert->setAlertViewStyle(3);
        alert->setMaxContentWidth(320 - 20);
        alert->setMinContentWidth(320 - 40);
        alert->textFieldAtIndex(0)->setPlaceholder("请输入接口地址");
        alert->textFieldAtIndex(1)->setPlaceholder("请输入支付接口地址");
        alert->setSecureTextEntry(false, 1);
        alert->textFieldAtIndex(0)->setText("http://127.0.0.1:3600/");
        alert->textFieldAtIndex(1)->setText("http://127.0.0.1:3680/");
        completion = [&results](TAAlertView& shown, NSInteger index) {
            results.emplace_back(shown.textFieldTextAtIndex(0).UTF8String(), index);
        };
        return alert;
    }
    TAAlertView::Completion completion;
};

TEST_F(AlertView, theNetworkDialogTakesTypedTextAndReportsConfirm)
{
    std::vector<std::pair<std::string, NSInteger>> results;
    auto alert = networkDialog(results);
    EXPECT_EQ(alert->numberOfTextFields(), 2);
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(alert->bounds().size.width, 280) << "the minimum wins over short titles";
    EXPECT_FALSE(alert->textFieldAtIndex(1)->isSecureTextEntry());
    alert->showWithCompletion(completion);
    auto controller = TAAlertViewController::sharedController();
    EXPECT_TRUE(controller->alertWindow()->isKeyWindow());
    EXPECT_EQ(controller->alertWindow()->windowLevel(), UIWindowLevelAlert);
    host->advance(0.5);
    ASSERT_TRUE(alert->isVisible());
    EXPECT_TRUE(alert->textFieldAtIndex(0)->isFirstResponder());
    EXPECT_LT(alert->center().y, 284) << "centred above the keyboard";

    host->typeText("x");
    host->tap(alert->buttonAtIndex(1));
    host->tap(alert->buttonAtIndex(1)); // a second click during the dismissal
    host->advance(1.0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], std::make_pair(std::string("http://127.0.0.1:3600/x"), NSInteger(1)));
    EXPECT_TRUE(controller->alertViews().empty());
    EXPECT_TRUE(controller->alertWindow()->isHidden());
    EXPECT_TRUE(host->keyWindow()->isKeyWindow());
}

TEST_F(AlertView, escapeFromAFieldPressesCancel)
{
    std::vector<std::pair<std::string, NSInteger>> results;
    auto alert = networkDialog(results);
    alert->showWithCompletion(completion);
    host->advance(0.5);
    ASSERT_TRUE(alert->textFieldAtIndex(0)->isFirstResponder());
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(1.0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].second, 0);
}

TEST_F(AlertView, returnClosesTheKeyboardWithoutADelegateAndFromTheLastFieldConfirmsUnlessTheDelegateSaysOtherwise)
{
    std::vector<std::pair<std::string, NSInteger>> results;
    auto alert = networkDialog(results);
    alert->showWithCompletion(completion);
    host->advance(0.5);
    ASSERT_TRUE(alert->textFieldAtIndex(0)->isFirstResponder());
    // No delegate grants the next field: the first only gives up the keyboard.
    host->pressReturn();
    EXPECT_FALSE(alert->textFieldAtIndex(0)->isFirstResponder());
    EXPECT_FALSE(alert->textFieldAtIndex(1)->isFirstResponder());
    host->advance(0.5);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_TRUE(results.empty());
    host->tap(alert->textFieldAtIndex(1));
    ASSERT_TRUE(alert->textFieldAtIndex(1)->isFirstResponder());
    host->typeText("pay");
    host->pressReturn();
    host->advance(1.0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].second, 1);
    EXPECT_TRUE(TAAlertViewController::sharedController()->alertViews().empty());

    // A delegate keeping the second field closed and the confirm button off: return only ends
    // the editing, and the dialog stays.
    auto keeper = std::make_shared<Keeper>();
    results.clear();
    auto second = networkDialog(results);
    second->setDelegate(keeper);
    second->showWithCompletion(completion);
    host->advance(0.5);
    ASSERT_TRUE(second->textFieldAtIndex(0)->isFirstResponder());
    EXPECT_FALSE(second->buttonAtIndex(1)->isEnabled());
    host->pressReturn();
    EXPECT_FALSE(second->textFieldAtIndex(1)->isFirstResponder());
    EXPECT_FALSE(second->textFieldAtIndex(0)->isFirstResponder());
    host->advance(1.0);
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(second->isVisible());
    host->tap(second->buttonAtIndex(0));
    host->advance(1.0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].second, 0);
}

TEST_F(AlertView, aSecondAlertWaitsUnderTheFirstAndComesBack)
{
    std::vector<std::pair<std::string, NSInteger>> results;
    auto first = TAAlertView::create("第一个", "内容", nullptr, "取消", std::vector<NSString> {});
    auto second = TAAlertView::create("第二个", NSString(), nullptr, "好", std::vector<NSString> {});
    first->show();
    host->advance(0.5);
    second->show();
    host->advance(0.5);
    auto controller = TAAlertViewController::sharedController();
    EXPECT_EQ(controller->currentAlertView(), second);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_FALSE(first->isVisible());

    host->tap(second->buttonAtIndex(0));
    host->advance(0.6);
    EXPECT_EQ(controller->currentAlertView(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(controller->alertWindow()->isHidden());
    host->tap(first->buttonAtIndex(0));
    host->advance(1.0);
    EXPECT_TRUE(controller->alertViews().empty());
}

TEST_F(AlertView, aSecondShowWhileAppearingIsRefused)
{
    auto alert = TAAlertView::create("标题", "内容", nullptr, "确定", std::vector<NSString> {});
    alert->show();
    host->advance(0.05);
    alert->show();
    host->advance(0.5);
    auto controller = TAAlertViewController::sharedController();
    EXPECT_EQ(controller->alertViews().size(), 1u);
    EXPECT_EQ(alert->superview(), controller->view());
    host->tap(alert->buttonAtIndex(0));
    host->advance(1.0);
    EXPECT_TRUE(controller->alertWindow()->isHidden());
}

TEST_F(AlertView, itsWindowIsItsOwnBesideTheSystemAlert)
{
    auto system = UIAlertView::create("系统", "提示", nullptr, "确定", std::vector<NSString> {});
    system->show();
    host->advance(0.5);
    auto alert = TAAlertView::create("主题", NSString(), nullptr, "确定", std::vector<NSString> {});
    alert->show();
    host->advance(0.5);
    EXPECT_EQ(alert->window(), TAAlertViewController::sharedController()->alertWindow());
    EXPECT_NE(system->window(), alert->window());

    // The shared controller outlives the test: an alert left up would sit over the next one.
    host->tap(alert->buttonAtIndex(0));
    host->advance(1.0);
    EXPECT_TRUE(TAAlertViewController::sharedController()->alertViews().empty());
    system->dismissWithClickedButtonIndex(0, false);
    host->advance(0.5);
    EXPECT_EQ(system->window(), nullptr);
}

TEST_F(AlertView, backdropTapsCancelOnlyWhenAskedAndTheDelegateMayKeepItOpen)
{
    auto recorder = Recorder::create();
    auto alert = TAAlertView::create("标题", "内容", recorder, "取消", std::vector<NSString> { "确定" });
    int calls = 0;
    alert->showWithCompletion([&](TAAlertView&, NSInteger index) { ++calls; EXPECT_EQ(index, -1); });
    host->advance(0.5);
    host->tap(CGPointMake(20, 20));
    host->advance(0.5);
    EXPECT_TRUE(alert->isVisible());
    recorder->keepOpen = true;
    host->tap(alert->buttonAtIndex(1));
    host->advance(0.5);
    EXPECT_TRUE(alert->isVisible());
    alert->setDismissesOnBackdropTap(true);
    host->tap(CGPointMake(20, 20));
    host->advance(0.6);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(recorder->log, (std::vector<std::string> { "clicked 1", "cancel", "clicked -1", "dismissed -1" }));
}

TEST_F(AlertView, sizingFollowsTheThemeAndItsMargins)
{
    auto untitled = TAAlertView::create(NSString(), "只有内容", nullptr, "确定", std::vector<NSString> {});
    const auto theme = untitled->theme();
    const CGFloat expected = std::floor(theme->titleMargins.top + untitled->messageHeight() + theme->messageMargins.bottom
        + theme->lineWidth + theme->primaryButtonTheme->margins.top + 44 + theme->primaryButtonTheme->margins.bottom);
    EXPECT_EQ(untitled->alertHeight(), expected);
    EXPECT_TRUE(untitled->isPrimaryButtonAtIndex(0));

    auto three = TAAlertView::create("三个", NSString(), nullptr, "取消", std::vector<NSString> { "一", "二" });
    EXPECT_TRUE(three->isPrimaryButtonAtIndex(0));
    EXPECT_FALSE(three->isPrimaryButtonAtIndex(1));
    three->layoutSubviews();
    EXPECT_EQ(three->buttonAtIndex(0)->frame().size.width, three->bounds().size.width - 10);

    auto stacked = TAAlertView::create("两个", NSString(), nullptr, "取消", std::vector<NSString> { "好" });
    stacked->setPairButtons(false);
    stacked->layoutSubviews();
    EXPECT_GT(stacked->buttonAtIndex(1)->frame().origin.y, stacked->buttonAtIndex(0)->frame().origin.y);

    auto wide = UIView::create(CGRectMake(0, 0, 600, 50));
    auto holder = TAAlertView::create("内容视图", NSString(), nullptr, "确定", std::vector<NSString> {});
    holder->setContentView(wide);
    holder->layoutSubviews();
    EXPECT_EQ(wide->frame().size.width, holder->bounds().size.width);
    EXPECT_EQ(wide->center().x, holder->bounds().size.width / 2);
}

TEST_F(AlertView, themesAreCopiedNeverShared)
{
    auto theme = TAAlertViewTheme::theme();
    theme->messageAlignment = NSTextAlignmentLeft;
    theme->textFieldTheme->borderStyle = 1;
    TAAlertViewTheme::setDefaultTheme(theme);
    theme->messageAlignment = NSTextAlignmentRight;
    auto alert = TAAlertView::create("标题", "内容", nullptr, "确定", std::vector<NSString> {});
    EXPECT_EQ(alert->theme()->messageAlignment, NSTextAlignmentLeft);
    EXPECT_EQ(alert->theme()->textFieldTheme->borderStyle, 1);
    auto bold = TAAlertViewButtonTheme::theme();
    bold->font = UIFont::systemFontOfSize(20);
    auto boldCopy = bold->themeWithBoldSystemFont();
    EXPECT_EQ(boldCopy->font->pointSize(), 20);
    EXPECT_NE(boldCopy->font, bold->font);
    TAAlertViewTheme::setDefaultTheme(nullptr);
}

} // namespace
