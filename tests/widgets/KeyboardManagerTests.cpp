#include "WidgetPictures.h"
#include "WidgetScreen.h"

#include "library/widgets/alert/TAAlertView.h"
#include "library/widgets/keyboard/KMKeyboardManager.h"
#include "library/widgets/keyboard/KMSegmentedNextPrevious.h"
#include "library/widgets/keyboard/KMTitleBarButtonItem.h"
#include "library/widgets/keyboard/UIView_KMHierarchy.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UITextView.h"

namespace {

class KeyboardManager : public WidgetScreenTest {
protected:
    void SetUp() override
    {
        WidgetScreenTest::SetUp();
        KMKeyboardManager::enableForApplication();
        KMKeyboardManager::enableForApplication(); // only the first call counts
    }
    std::shared_ptr<UITextField> addField(CGRect frame, const char* placeholder, const UIViewRef& parent = nullptr)
    {
        auto field = UITextField::create(frame);
        field->setBorderStyle(UITextBorderStyle::RoundedRect);
        field->setPlaceholder(placeholder);
        (parent ? parent : screen())->addSubview(field);
        return field;
    }
    static std::shared_ptr<KMToolbar> toolbarOf(const UIViewRef& field)
    {
        return std::dynamic_pointer_cast<KMToolbar>(KMToolbarAddition::inputAccessoryViewOf(*field));
    }
    CGFloat bottomInWindow(const UIViewRef& field) { return CGRectGetMaxY(field->superview()->convertRectToView(field->frame(), nullptr)); }
    static const std::shared_ptr<KMKeyboardManager>& manager() { return KMKeyboardManager::sharedManager(); }
};

TEST_F(KeyboardManager, aFieldNearTheBottomSitsFifteenPointsAboveTheKeyboardAndComesBack)
{
    EXPECT_TRUE(manager()->isEnabled());
    EXPECT_EQ(manager()->keyboardDistanceFromTextField(), 15);
    auto account = addField(CGRectMake(20, 420, 280, 30), "请输入账号");
    auto password = addField(CGRectMake(20, 470, 280, 30), "请输入密码");
    const CGRect before = screen()->frame();

    host->tap(password);
    host->advance(0.5);
    auto toolbar = toolbarOf(password);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->tag(), KMKeyboardManager::kPreviousNextToolbarTag);
    auto title = std::dynamic_pointer_cast<KMTitleBarButtonItem>(toolbar->items()[3]);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->titleLabel()->text(), "请输入密码");
    const CGFloat keyboardTop = 568 - 216 - 44; // keys and the bar over them
    EXPECT_EQ(bottomInWindow(password), keyboardTop - 15);
    EXPECT_EQ(screen()->frame().origin.y, -207);

    // Previous goes back to the account field, which already shows above the keyboard.
    host->tap(toolbar->items()[0]->view());
    host->advance(0.5);
    EXPECT_TRUE(account->isFirstResponder());
    EXPECT_LE(bottomInWindow(account), keyboardTop - 15);
    // Next moves on to the password field again.
    host->tap(toolbarOf(account)->items()[2]->view());
    host->advance(0.5);
    EXPECT_TRUE(password->isFirstResponder());
    EXPECT_EQ(bottomInWindow(password), keyboardTop - 15);

    // Done resigns, and the screen returns to its place.
    EXPECT_TRUE(host->tap(toolbarOf(password)->items().back()->view()));
    host->advance(0.6);
    EXPECT_FALSE(password->isFirstResponder());
    EXPECT_EQ(screen()->frame(), before);
}

TEST_F(KeyboardManager, theWorkedExampleMovesUpByTheCoverAndNeverPastTheKeyboard)
{
    // Without a bar over the keys: a field at 470-500 is covered by 163 points.
    manager()->setEnableAutoToolbar(false);
    auto field = addField(CGRectMake(20, 470, 280, 30), "地址");
    host->tap(field);
    host->advance(0.5);
    EXPECT_EQ(screen()->frame().origin.y, -163);
    field->resignFirstResponder();
    host->advance(0.5);

    auto low = addField(CGRectMake(20, 540, 280, 20), "最下面");
    host->tap(low);
    host->advance(0.5);
    EXPECT_EQ(screen()->frame().origin.y, -216) << "clamped at the keyboard's own height";
    low->resignFirstResponder();
    host->advance(0.5);
    EXPECT_EQ(screen()->frame().origin.y, 0);
    manager()->setEnableAutoToolbar(true);
}

TEST_F(KeyboardManager, switchingOffRestoresAtOnceAndOnReplaysTheKeyboard)
{
    auto field = addField(CGRectMake(20, 470, 280, 30), "密码");
    host->tap(field);
    host->advance(0.5);
    ASSERT_LT(screen()->frame().origin.y, 0);
    manager()->setEnable(false);
    host->advance(0.5);
    EXPECT_EQ(screen()->frame().origin.y, 0);
    manager()->setEnable(true);
    host->advance(0.5);
    EXPECT_LT(screen()->frame().origin.y, 0);
    field->resignFirstResponder();
    host->advance(0.5);
}

TEST_F(KeyboardManager, aLoneFieldGetsDoneAndAScreensOwnBarIsLeftAlone)
{
    auto lone = addField(CGRectMake(20, 100, 280, 30), "搜索");
    host->tap(lone);
    host->advance(0.5);
    ASSERT_NE(toolbarOf(lone), nullptr);
    EXPECT_EQ(toolbarOf(lone)->tag(), KMKeyboardManager::kDoneToolbarTag);
    lone->resignFirstResponder();
    host->advance(0.5);

    auto own = UIView::create(CGRectMake(0, 0, 320, 44));
    auto second = addField(CGRectMake(20, 150, 280, 30), "其他");
    second->setInputAccessoryView(own);
    host->tap(lone);
    host->advance(0.5);
    EXPECT_EQ(toolbarOf(lone)->tag(), KMKeyboardManager::kPreviousNextToolbarTag);
    EXPECT_EQ(second->inputAccessoryView(), own);
    // The first of the group has Previous off and Next on.
    EXPECT_FALSE(toolbarOf(lone)->items()[0]->isEnabled());
    EXPECT_TRUE(toolbarOf(lone)->items()[2]->isEnabled());
    lone->resignFirstResponder();
    host->advance(0.5);
}

TEST_F(KeyboardManager, previousAndNextFollowTheChosenOrderAndStopAtTheEnds)
{
    auto a = addField(CGRectMake(160, 100, 100, 30), "a");
    auto b = addField(CGRectMake(20, 100, 100, 30), "b");
    auto c = addField(CGRectMake(20, 50, 100, 30), "c");
    a->setTag(3), b->setTag(1), c->setTag(2);
    manager()->setShouldPlayInputClicks(true);
    auto item = UIBarButtonItem::create();
    auto control = UIControl::create(CGRectZero);

    // By tag: b, c, a.
    manager()->setToolbarManageBehaviour(1);
    host->tap(b);
    host->advance(0.5);
    manager()->nextAction(*item);
    EXPECT_TRUE(c->isFirstResponder());
    manager()->nextAction(*control);
    EXPECT_TRUE(a->isFirstResponder());
    host->advance(0.5);
    // The last of the group has Next off and stays where it is.
    ASSERT_NE(toolbarOf(a), nullptr);
    EXPECT_TRUE(toolbarOf(a)->items()[0]->isEnabled());
    EXPECT_FALSE(toolbarOf(a)->items()[2]->isEnabled());
    manager()->nextAction(*item);
    EXPECT_TRUE(a->isFirstResponder());
    manager()->previousAction(*control);
    EXPECT_TRUE(c->isFirstResponder());

    // By place, top to bottom and left to right: c, b, a.
    manager()->setToolbarManageBehaviour(2);
    manager()->previousAction(*item);
    EXPECT_TRUE(c->isFirstResponder());
    manager()->nextAction(*item);
    EXPECT_TRUE(b->isFirstResponder());
    // An unknown order moves nowhere.
    manager()->setToolbarManageBehaviour(7);
    manager()->nextAction(*item);
    EXPECT_TRUE(b->isFirstResponder());
    manager()->setToolbarManageBehaviour(0);

    // Without the automatic bar the fields lose the bars it hung on them.
    host->advance(0.5);
    ASSERT_NE(toolbarOf(b), nullptr);
    manager()->setEnableAutoToolbar(false);
    EXPECT_EQ(toolbarOf(b), nullptr);
    EXPECT_EQ(toolbarOf(a), nullptr);
    manager()->setEnableAutoToolbar(true);
    manager()->setShouldPlayInputClicks(false);
    b->resignFirstResponder();
    host->advance(0.5);
}

TEST_F(KeyboardManager, aScrollViewGetsItsInsetOffsetAndContentSizeBack)
{
    auto scroll = UIScrollView::create(CGRectMake(0, 64, 320, 504));
    scroll->setContentSize(CGSizeMake(320, 300));
    screen()->addSubview(scroll);
    auto field = addField(CGRectMake(20, 420, 280, 30), "备注", scroll);
    host->tap(field);
    host->advance(0.5);
    EXPECT_GT(scroll->contentInset().bottom, 0);
    EXPECT_EQ(scroll->contentSize().height, 504);
    field->resignFirstResponder();
    host->advance(0.6);
    EXPECT_EQ(scroll->contentInset().bottom, 0);
    EXPECT_EQ(scroll->contentOffset().y, 0);
    EXPECT_EQ(scroll->contentSize(), CGSizeMake(320, 300));
}

TEST_F(KeyboardManager, theTapRecogniserLeavesTheWindowItWasPutOn)
{
    manager()->setShouldResignOnTouchOutside(true);
    auto field = addField(CGRectMake(20, 100, 280, 30), "账号");
    host->tap(field);
    host->advance(0.5);
    auto window = host->keyWindow();
    EXPECT_EQ(window->gestureRecognizers().size(), 1u);
    host->tap(CGPointMake(160, 300)); // outside: editing ends
    host->advance(0.5);
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_TRUE(window->gestureRecognizers().empty());

    host->tap(field);
    host->advance(0.5);
    field->removeFromSuperview(); // the screen went before editing ended
    manager()->textFieldViewDidEndEditing(nullptr);
    EXPECT_TRUE(window->gestureRecognizers().empty());
    manager()->setShouldResignOnTouchOutside(false);
}

TEST_F(KeyboardManager, aClickOnATextViewTakesTheKeysAtOnceButOneThatTakesNoTypingIsEmptyRoom)
{
    manager()->setShouldResignOnTouchOutside(true);
    auto title = addField(CGRectMake(20, 80, 280, 30), "标题");
    auto body = UITextView::create(CGRectMake(20, 130, 280, 120));
    auto notes = UITextView::create(CGRectMake(20, 260, 280, 60));
    notes->setEditable(false);
    screen()->addSubview(body);
    screen()->addSubview(notes);

    host->tap(title);
    host->tap(body);
    host->typeText("正文");
    EXPECT_EQ(body->text(), NSString("正文"));
    host->tap(notes);
    host->advance(0.5);
    EXPECT_FALSE(UIApplication::sharedApplication()->firstResponder());
    manager()->setShouldResignOnTouchOutside(false);
}

TEST_F(KeyboardManager, segmentedPreviousNextPassesItsControlAndOrderFollowsTheSetting)
{
    std::vector<std::string> calls;
    auto segments = KMSegmentedNextPrevious::create(
        [&](UIControl& sender) { calls.push_back(dynamic_cast<UISegmentedControl*>(&sender) ? "previous" : "?"); },
        [&](UIControl& sender) { calls.push_back(dynamic_cast<UISegmentedControl*>(&sender) ? "next" : "?"); });
    EXPECT_EQ(segments->titleForSegmentAtIndex(0), "上一项");
    segments->setSelectedSegmentIndex(0);
    segments->segmentedControlHandler(*segments);
    segments->setSelectedSegmentIndex(1);
    segments->segmentedControlHandler(*segments);
    EXPECT_EQ(calls, (std::vector<std::string> { "previous", "next" }));

    auto a = addField(CGRectMake(160, 100, 100, 30), "a");
    auto b = addField(CGRectMake(20, 100, 100, 30), "b");
    auto c = addField(CGRectMake(20, 50, 100, 30), "c");
    a->setTag(3), b->setTag(1), c->setTag(2);
    using namespace KM_UIView_Hierarchy;
    EXPECT_EQ(sortedArrayByTag({ a, b, c }), (std::vector<UIViewRef> { b, c, a }));
    EXPECT_EQ(sortedArrayByPosition({ a, b, c }), (std::vector<UIViewRef> { c, b, a }));
    EXPECT_EQ(responderSiblings(*a), (std::vector<UIViewRef> { a, b, c }));
    EXPECT_EQ(topMostController(*a), root);
    EXPECT_EQ(topMostController(*UIView::create(CGRectZero)), nullptr);
}

} // namespace

namespace {

TEST_F(KeyboardManager, buildersHangTheirBarsOnlyOnFieldsAndHideTitlesWhenAsked)
{
    int taps = 0;
    auto count = [&taps](UIBarButtonItem&) { ++taps; };
    auto field = addField(CGRectMake(20, 100, 280, 30), "标题");
    auto plain = UIView::create(CGRectMake(0, 0, 10, 10));
    KMToolbarAddition::addDoneOnKeyboard(plain, count, "不会出现");
    EXPECT_EQ(KMToolbarAddition::inputAccessoryViewOf(*plain), nullptr);

    KMToolbarAddition::addRightButtonOnKeyboardWithText(field, "发送", count, "标题");
    ASSERT_EQ(toolbarOf(field)->items().size(), 3u);
    EXPECT_EQ(toolbarOf(field)->items().back()->title(), "发送");
    toolbarOf(field)->items().back()->sendAction();

    KMToolbarAddition::addRightLeftOnKeyboard(field, "左", "右", count, count, NSString());
    EXPECT_EQ(toolbarOf(field)->items().size(), 3u) << "no title item for an empty title";
    EXPECT_EQ(toolbarOf(field)->items().front()->title(), "左");

    KMToolbarAddition::setShouldHideTitle(field, true);
    KMToolbarAddition::addCancelDoneOnKeyboard(field, count, count, "标题");
    EXPECT_EQ(toolbarOf(field)->items().size(), 3u);
    KMToolbarAddition::setShouldHideTitle(field, false);

    // A Done bar has no arrows to switch.
    KMToolbarAddition::addDoneOnKeyboard(field, count, "标题");
    auto done = toolbarOf(field);
    KMToolbarAddition::setEnablePrevious(field, false, false);
    for (const auto& item : done->items()) {
        if (!item->isSpace() && !std::dynamic_pointer_cast<KMTitleBarButtonItem>(item)) {
            EXPECT_TRUE(item->isEnabled());
        }
    }
    done->setTitle("新标题");
    done->setTitleFont(UIFont::systemFontOfSize(14));
    auto title = std::dynamic_pointer_cast<KMTitleBarButtonItem>(done->items()[0]);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->titleLabel()->text(), "新标题");
    EXPECT_EQ(title->font()->pointSize(), 14);
    EXPECT_EQ(done->sizeThatFits(CGSizeMake(320, 100)).height, 44);
    EXPECT_EQ(taps, 1);

    int after = 0;
    KMToolbarAddition::setInputAccessoryView(*field, nullptr); // the manager's own bar from here on
    KMToolbarAddition::setCustomDoneAction(field, [&after](UIView&) { ++after; });
    host->tap(field);
    host->advance(0.5);
    host->tap(toolbarOf(field)->items().back()->view());
    host->advance(0.5);
    EXPECT_EQ(after, 1) << "the view's own Done action runs after a successful resign";
}

TEST_F(KeyboardManager, fieldsInATableAreOrderedFromTheTopAcrossItsCells)
{
    auto table = UITableView::create(CGRectMake(0, 0, 320, 568), UITableViewStyle::Plain);
    screen()->addSubview(table);
    auto lower = UIView::create(CGRectMake(0, 100, 320, 44));
    auto upper = UIView::create(CGRectMake(0, 0, 320, 44));
    table->addSubview(lower);
    table->addSubview(upper);
    auto second = addField(CGRectMake(10, 5, 300, 30), "第二", lower);
    auto first = addField(CGRectMake(10, 5, 300, 30), "第一", upper);
    using namespace KM_UIView_Hierarchy;
    EXPECT_EQ(superTableView(*first), table);
    EXPECT_EQ(superScrollView(*first), table);
    EXPECT_EQ(deepResponderViews(*table), (std::vector<UIViewRef> { first, second }));
    EXPECT_EQ(depth(*first), 4u);
    EXPECT_EQ(viewController(*first), root);

    host->tap(first);
    host->advance(0.5);
    EXPECT_EQ(manager()->responderViews(), (std::vector<UIViewRef> { first, second }));
    manager()->resignFirstResponder();
    host->advance(0.5);
    EXPECT_FALSE(first->isFirstResponder());
}

} // namespace

namespace {

TEST(KeyboardFrameShorthands, edgesMoveWithoutNegativeSizes)
{
    using namespace KM_UIView_Frame;
    auto view = UIView::create(CGRectMake(10, 20, 100, 50));
    setKM_left(*view, 200);
    EXPECT_EQ(view->frame(), CGRectMake(200, 20, 0, 50));
    setKM_left(*view, 50);
    setKM_right(*view, 150);
    EXPECT_EQ(view->frame(), CGRectMake(50, 20, 100, 50));
    setKM_top(*view, 30);
    EXPECT_EQ(KM_bottom(*view), 70);
    setKM_bottom(*view, 10);
    EXPECT_EQ(KM_height(*view), 0);
    setKM_x(*view, 1), setKM_y(*view, 2), setKM_width(*view, 3), setKM_height(*view, 4);
    EXPECT_EQ(view->frame(), CGRectMake(1, 2, 3, 4));
    EXPECT_EQ(KM_right(*view), 4);
}

TEST_F(KeyboardManager, theCurrentControllerIsTheScreenANavigationControllerShows)
{
    auto screenController = UIViewController::create();
    auto navigation = UINavigationController::create(screenController);
    auto window = host->showRootViewController(navigation);
    EXPECT_EQ(KM_UIView_Hierarchy::topMostController(*window), navigation);
    EXPECT_EQ(KM_UIView_Hierarchy::currentViewController(*window), screenController);
}

} // namespace

namespace {

TEST_F(KeyboardManager, aTextViewScrollsToKeepItsCaretInside)
{
    auto textView = UITextView::create(CGRectMake(20, 80, 280, 60));
    screen()->addSubview(textView);
    host->tap(textView);
    host->advance(0.5);
    host->typeText("第一行\n第二行\n第三行\n第四行\n第五行\n第六行");
    host->advance(0.5);
    textView->setContentOffset(CGPointZero); // the caret below the visible part
    manager()->textFieldViewDidChange(NSNotification::notificationWithName(UITextViewTextDidChangeNotification, textView, nullptr));
    host->advance(0.5);
    const CGRect caret = textView->caretRectForPosition(textView->selectedTextRange()->start());
    EXPECT_LE(CGRectGetMaxY(caret), textView->contentOffset().y + textView->bounds().size.height);
    EXPECT_GT(textView->contentOffset().y, 0);
    textView->resignFirstResponder();
    host->advance(0.5);
}

} // namespace

TEST_F(KeyboardManager, fieldsEachInARowOfTheirOwnFormOneGroupWithPreviousAndNext)
{
    // The login screen's layout: every field sits in a row view of its own.
    auto upper = UIView::create(CGRectMake(0, 200, 320, 50));
    auto lower = UIView::create(CGRectMake(0, 250, 320, 50));
    screen()->addSubview(lower);
    screen()->addSubview(upper);
    auto account = addField(CGRectMake(40, 10, 260, 30), "帐号", upper);
    auto password = addField(CGRectMake(40, 10, 260, 30), "密码", lower);
    account->setReturnKeyType(UIReturnKeyType::Next);
    host->tap(account);
    host->advance(0.5);
    writeWidgetPicture(*host, "keyboard-form-fields");
    // The return key, "下一项", is blue: the top left of its face, clear of the caption.
    const auto face = host->pixelAt(CGPointMake(244, 530));
    EXPECT_LT(face[0], 40);
    EXPECT_GT(face[2], 220);
    ASSERT_NE(toolbarOf(account), nullptr);
    EXPECT_EQ(toolbarOf(account)->tag(), KMKeyboardManager::kPreviousNextToolbarTag);
    EXPECT_EQ(manager()->responderViews(), (std::vector<UIViewRef> { account, password }));
    EXPECT_FALSE(toolbarOf(account)->items()[0]->isEnabled());
    EXPECT_TRUE(toolbarOf(account)->items()[2]->isEnabled());
    host->tap(toolbarOf(account)->items()[2]->view());
    host->advance(0.5);
    EXPECT_TRUE(password->isFirstResponder());
    EXPECT_TRUE(toolbarOf(password)->items()[0]->isEnabled());
    EXPECT_FALSE(toolbarOf(password)->items()[2]->isEnabled());
    password->resignFirstResponder();
    host->advance(0.5);
}

TEST_F(KeyboardManager, aThemableAlertsFieldsGetTheBarButASystemAlertsDoNot)
{
    auto alert = TAAlertView::create("网络设置", NSString(), nullptr, "取消", std::vector<NSString> { "确定" });
    alert->setAlertViewStyle(3);
    alert->textFieldAtIndex(0)->setPlaceholder("请输入接口地址");
    alert->show();
    host->advance(0.5);
    auto field = alert->textFieldAtIndex(0);
    ASSERT_TRUE(field->isFirstResponder());
    EXPECT_FALSE(KM_UIView_Hierarchy::isAlertViewTextField(*field));
    ASSERT_NE(toolbarOf(field), nullptr);
    EXPECT_EQ(toolbarOf(field)->tag(), KMKeyboardManager::kPreviousNextToolbarTag);
    auto title = std::dynamic_pointer_cast<KMTitleBarButtonItem>(toolbarOf(field)->items()[3]);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->titleLabel()->text(), NSString("请输入接口地址"));
    host->tap(toolbarOf(field)->items()[2]->view());
    EXPECT_TRUE(alert->textFieldAtIndex(1)->isFirstResponder());
    host->tap(alert->buttonAtIndex(0));
    host->advance(1.0);

    auto system = UIAlertView::create("标题", "内容", nullptr, "好", std::vector<NSString> {});
    system->setAlertViewStyle(UIAlertViewStyle::PlainTextInput);
    system->show();
    host->advance(0.5);
    auto systemField = system->textFieldAtIndex(0);
    ASSERT_NE(systemField, nullptr);
    EXPECT_TRUE(KM_UIView_Hierarchy::isAlertViewTextField(*systemField));
    system->dismissWithClickedButtonIndex(0, false);
    host->advance(0.5);
}

TEST_F(KeyboardManager, aTallTextViewIsShortenedAboveTheKeyboardAndGivenItsHeightBack)
{
    manager()->setCanAdjustTextView(true);
    auto notes = UITextView::create(CGRectMake(20, 40, 280, 500));
    screen()->addSubview(notes);
    host->tap(notes);
    host->advance(0.5);
    // The window less the keys, their bar and the distance, less the status bar and 5 points.
    EXPECT_DOUBLE_EQ(notes->frame().size.height, 568 - (216 + 44 + 15) - 25);
    notes->resignFirstResponder();
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(notes->frame().size.height, 500);
    manager()->setCanAdjustTextView(false);
}

TEST_F(KeyboardManager, aSheetMovesWithinTheRoomItLeavesRatherThanTheKeyboardsHeight)
{
    auto field = addField(CGRectMake(20, 530, 280, 30), "底部");
    // A full-screen controller stops at the keyboard's own height (260 with its bar)...
    host->tap(field);
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(screen()->frame().origin.y, -260);
    field->resignFirstResponder();
    host->advance(0.6);
    EXPECT_DOUBLE_EQ(screen()->frame().origin.y, 0);
    // ...a sheet at half the room above it less the keyboard, so here the whole cover of 267.
    root->setModalPresentationStyle(UIModalPresentationStyle::FormSheet);
    host->tap(field);
    host->advance(0.5);
    EXPECT_DOUBLE_EQ(screen()->frame().origin.y, -267);
    field->resignFirstResponder();
    host->advance(0.6);
    EXPECT_DOUBLE_EQ(screen()->frame().origin.y, 0);
}
