// The desktop's clicks and keys on the client's screens, through scripted sessions against the
// stand-in: a choice row's whole width, Escape and Alt+Left going back a screen or closing the
// card or grid shown over it first, and clicks moving the caret between a form's fields.
#include "tests/app/ClientSession.h"

#include "app/records/MailViewController.h"
#include "app/records/MyMessageViewController.h"
#include "app/theory/QuestionChoiseView.h"
#include "app/theory/TestViewController.h"
#include "library/widgets/keyboard/KMActionSheetPickerView.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIApplication.h"
#include "tests/uikit/PickerTurnSpacings.h"

namespace {

class DesktopKeys : public ClientSession {
protected:
    // Where the row holding the label lies on the screen.
    static CGRect rowOnScreen(const std::shared_ptr<UIView>& label)
    {
        auto row = label->superview();
        return row->convertRectToView(row->bounds(), nullptr);
    }
    bool sheetGone(const std::shared_ptr<ViewController>& login)
    {
        host->advance(1);
        return waitUntil([&] {
            auto sheet = login->openSheet();
            return !sheet || !sheet->window();
        });
    }
    std::shared_ptr<QuestionChoiseView> shownGrid() const
    {
        return std::dynamic_pointer_cast<QuestionChoiseView>(host->findView([](UIView& view) { return dynamic_cast<QuestionChoiseView*>(&view) != nullptr; }));
    }
};

} // namespace

TEST_F(DesktopKeys, theRegionAndRoleRowsAnswerAClickAnywhereOnThem)
{
    auto login = loginScreen();
    ASSERT_TRUE(login);
    // On the region's icon, left of its text.
    const CGRect region = rowOnScreen(login->areaLab());
    host->tap(CGPointMake(CGRectGetMinX(region) + 6, CGRectGetMidY(region)));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    shot("desktop-01-region-row-clicked");
    // Escape is the sheet's 取消.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    ASSERT_TRUE(sheetGone(login));
    EXPECT_EQ(login->areaLab()->text(), NSString("请选择地区"));
    // Alt+Left under the sheet is its 取消 too, never a step back behind it.
    host->tap(login->areaLab());
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    ASSERT_TRUE(sheetGone(login));

    // In the room right of the role's text, near the row's end.
    const CGRect role = rowOnScreen(login->roleLab());
    ASSERT_LT(CGRectGetMaxX(login->roleLab()->convertRectToView(login->roleLab()->bounds(), nullptr)), CGRectGetMaxX(role) - 4);
    host->tap(CGPointMake(CGRectGetMaxX(role) - 3, CGRectGetMaxY(role) - 2));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    // The down arrow turns the sheet's wheel a row; Return is its 确定.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
    host->advance(1);
    EXPECT_TRUE(host->pressReturn());
    ASSERT_TRUE(sheetGone(login));
    EXPECT_EQ(login->roleSelectIndex(), 1);
    EXPECT_EQ(login->roleLab()->text(), NSString("学员"));
}

TEST_F(DesktopKeys, everyArrowOnTheRegionSheetTurnsItARowSoFiveDownsFromTheTopChooseTheFifthRegion)
{
    auto login = loginScreen();
    ASSERT_TRUE(login);
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    auto sheet = login->openSheet();
    const auto& regions = sheet->titlesForComponenets().at(0);
    ASSERT_GT(regions.size(), 5u);
    ASSERT_EQ(regions[5], NSString("成都市"));
    const auto wheel = sheet->pickerView();
    ASSERT_EQ(wheel->selectedRowInComponent(0), 0);

    // Between the top and the fifth region and back at each spacing, then down from the top.
    std::vector<int> lost;
    int pressed = 0;
    NSInteger row = 0, direction = 1;
    const auto press = [&](NSInteger by, double spacing, int turn) {
        EXPECT_TRUE(host->pressKey(by > 0 ? UIKeyboardKey::DownArrow : UIKeyboardKey::UpArrow));
        row += by;
        ++pressed;
        host->advance(picker_turns::after(spacing, turn));
        if (wheel->selectedRowInComponent(0) != row) {
            lost.push_back(pressed);
            row = wheel->selectedRowInComponent(0);
        }
    };
    for (const double spacing : picker_turns::kSpacings) {
        for (int turn = 1; turn <= picker_turns::kTurnsAcrossAFrame; ++turn) {
            direction = row == 5 ? -1 : row == 0 ? 1 : direction;
            press(direction, spacing, turn);
        }
    }
    while (row > 0)
        press(-1, 1.2, 0);
    for (int turn = 1; turn <= 5; ++turn)
        press(1, 1.2, turn);
    EXPECT_EQ(lost, std::vector<int> {}) << "presses that moved nothing, of " << pressed;
    EXPECT_TRUE(host->pressReturn());
    ASSERT_TRUE(sheetGone(login));
    EXPECT_EQ(login->areaLab()->text(), NSString("成都市"));
    EXPECT_EQ(login->areaCode(), NSString("510100"));
}

TEST_F(DesktopKeys, afterALogoutFromARememberedLoginTheRegionSheetOpensAtTheTopSoFiveDownsChooseTheFifthRegion)
{
    // A restart fills the region from the last login without fetching the list; the logout
    // empties the field before the list is ever fetched.
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    launch();
    ASSERT_EQ(loginScreen()->areaLab()->text(), NSString("成都市"));
    host->tap(loginScreen()->loginBtn());
    ASSERT_TRUE(waitUntil([&] { return top<MainViewController>() != nullptr; }));
    host->tap(top<MainViewController>()->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    host->tap(top<SetupViewController>()->rowButtons().back());
    ASSERT_TRUE(tapAlertButton("确定"));
    auto login = loginScreen();
    EXPECT_EQ(login->areaLab()->text(), NSString("请选择地区"));

    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    host->runUntilIdle();
    shot("desktop-05-region-sheet-after-logout");
    const auto wheel = login->openSheet()->pickerView();
    EXPECT_EQ(wheel->selectedRowInComponent(0), 0) << "the sheet stands where the field reads 请选择地区";
    for (int pressed = 0; pressed < 5; ++pressed) {
        EXPECT_TRUE(host->pressKey(UIKeyboardKey::DownArrow));
        host->advance(1.2);
    }
    EXPECT_TRUE(host->pressReturn());
    ASSERT_TRUE(sheetGone(login));
    EXPECT_EQ(login->areaLab()->text(), NSString("成都市"));
    EXPECT_EQ(login->areaCode(), NSString("510100"));

    // Opened again, it stands on the region the field shows.
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() && login->openSheet()->window(); }));
    host->runUntilIdle();
    EXPECT_EQ(login->openSheet()->pickerView()->selectedRowInComponent(0), 5);
}

TEST_F(DesktopKeys, escapeAndAltLeftGoBackWhereTheBarHasABackButtonAndNowhereElse)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto home = top<MainViewController>();
    ASSERT_TRUE(home);
    // Home's bar has no back button: the keys leave it where it is.
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::Escape));
    EXPECT_FALSE(host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierAlternate));
    host->runUntilIdle();
    EXPECT_EQ(top<MainViewController>(), home);

    for (const auto& [key, modifiers] : { std::pair { UIKeyboardKey::Escape, UIKeyModifierNone },
             std::pair { UIKeyboardKey::LeftArrow, UIKeyModifierAlternate } }) {
        host->tap(home->m_viewNaviBar()->m_btnRight());
        host->runUntilIdle();
        ASSERT_TRUE(top<SetupViewController>());
        EXPECT_TRUE(host->pressKey(key, modifiers));
        host->runUntilIdle();
        EXPECT_EQ(top<MainViewController>(), home);
    }
}

TEST_F(DesktopKeys, escapeClosesTheExamsAnswerGridAndTheExamStays)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    host->tap(host->findViewWithText("理论学习"));
    host->runUntilIdle();
    host->tap(CGPointMake(160, 64 + 70));
    host->runUntilIdle();
    host->tap(host->findView([](UIView& view) {
        auto button = dynamic_cast<UIButton*>(&view);
        return button && button->currentTitle().isEqualToString("模拟考试") && button->frame().size.height == 40;
    }));
    // Not runUntilIdle: the exam's clock keeps it turning.
    host->advance(1.5);
    auto exam = top<TestViewController>();
    ASSERT_TRUE(exam);

    for (const auto& [key, modifiers] : { std::pair { UIKeyboardKey::Escape, UIKeyModifierNone },
             std::pair { UIKeyboardKey::LeftArrow, UIKeyModifierAlternate } }) {
        host->tap(exam->choiceBtn());
        host->advance(0.5);
        ASSERT_TRUE(shownGrid());
        EXPECT_TRUE(host->pressKey(key, modifiers));
        host->advance(0.5);
        EXPECT_FALSE(shownGrid());
        EXPECT_TRUE(alertMessage().isNil());
        EXPECT_EQ(top<TestViewController>(), exam);
    }
    shot("desktop-02-exam-after-escape-on-its-grid");
    // With the grid gone Escape asks to leave the exam, as before.
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    EXPECT_FALSE(alertMessage().isNil());
    ASSERT_TRUE(tapAlertButton("取消"));
    EXPECT_EQ(top<TestViewController>(), exam);
}

TEST_F(DesktopKeys, escapeClosesANoticeCardAndTheListStays)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    host->tap(top<MainViewController>()->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    tapShown("我的消息");
    ASSERT_TRUE(waitUntil([&] {
        auto messages = top<MyMessageViewController>();
        return messages && messages->notices() && messages->notices()->count() > 0 && requestsUnderWay <= 0;
    }));
    auto messages = top<MyMessageViewController>();
    tapShown(ns::stringForKey(ns::dictionaryValue(messages->notices()->objectAtIndex(0)), "TITLE").UTF8String().c_str());
    std::weak_ptr<NoticeView> card = messages->noticeView();
    ASSERT_TRUE(card.lock());

    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->advance(1);
    EXPECT_FALSE(card.lock() && card.lock()->superview());
    EXPECT_EQ(top<MyMessageViewController>(), messages);
    shot("desktop-03-notices-after-escape-on-a-card");
    EXPECT_TRUE(host->pressKey(UIKeyboardKey::Escape));
    host->runUntilIdle();
    EXPECT_TRUE(top<SetupViewController>());
}

TEST_F(DesktopKeys, aClickOnTheLettersOtherFieldTakesWhatIsTypedNext)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    tapShown("运管信箱");
    auto mail = top<MailViewController>();
    ASSERT_TRUE(mail);
    const auto click = [&](const UIViewRef& view) {
        ASSERT_TRUE(host->tap(view));
        host->advance(0.5);
    };

    click(mail->titleField());
    host->typeText("考场预约");
    click(mail->noteView());
    EXPECT_TRUE(mail->noteView()->isFirstResponder());
    host->typeText("希望增加考试场次。");
    // The screen moved up for the body's keyboard: the title shows only its lower edge under the bar.
    const auto field = mail->titleField();
    host->tap(field->convertPointToView(CGPointMake(CGRectGetMidX(field->bounds()), CGRectGetMaxY(field->bounds()) - 3), nullptr));
    host->advance(0.5);
    EXPECT_TRUE(mail->titleField()->isFirstResponder());
    host->typeText("建议");
    click(mail->noteView());
    host->typeText("谢谢。");
    EXPECT_EQ(mail->titleField()->text(), NSString("考场预约建议"));
    EXPECT_EQ(mail->noteView()->text(), NSString("希望增加考试场次。谢谢。"));

    // The room between the title and the body is no field: a click there puts the keyboard away.
    host->tap(mail->noteView()->convertPointToView(CGPointMake(40, -5), nullptr));
    host->advance(0.5);
    EXPECT_FALSE(UIApplication::sharedApplication()->firstResponder());
    EXPECT_EQ(top<MailViewController>(), mail);
    shot("desktop-04-letter-typed-in-both-fields");
}
