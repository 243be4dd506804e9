// The login screen's keyboard as someone at a desktop meets it: a sheet opened while a field is
// being edited comes up whole, and a click beside the fields puts the keyboard away.
#include "tests/app/ClientSession.h"

#include "platform/uikit/UIApplication.h"

TEST_F(ClientSession, aSheetOpenedWhileTypingComesUpWithoutTheKeyboardOverIt)
{
    auto login = loginScreen();
    ASSERT_TRUE(host->tap(login->accountField()));
    ASSERT_TRUE(login->accountField()->isFirstResponder());
    host->typeText("5101");
    host->runUntilIdle();
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() != nullptr; }));
    // The sheet holds the keys now; no field does, so no keyboard stands over the wheels.
    EXPECT_FALSE(login->accountField()->isFirstResponder());
    EXPECT_FALSE(std::dynamic_pointer_cast<UIKeyInput>(UIApplication::sharedApplication()->firstResponder()));
    shot("02b-region-picker-after-typing");
    ASSERT_TRUE(pick("成都市"));
    EXPECT_EQ(login->areaCode(), NSString("510100"));
    EXPECT_EQ(login->accountField()->text(), NSString("5101"));
}

TEST_F(ClientSession, aClickBesideTheFieldsPutsTheKeyboardAway)
{
    auto login = loginScreen();
    ASSERT_TRUE(host->tap(login->accountField()));
    host->typeText("5101");
    host->pressReturn();
    ASSERT_TRUE(login->passwordField()->isFirstResponder());
    // The picture at the top of the screen.
    ASSERT_TRUE(host->tap(CGPointMake(160, 60)));
    host->runUntilIdle();
    EXPECT_FALSE(UIApplication::sharedApplication()->firstResponder());
    EXPECT_EQ(login->accountField()->text(), NSString("5101"));
}
