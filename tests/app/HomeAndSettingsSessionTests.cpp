// The login's region retry, the learner home's two checking tiles and the settings screens,
// through scripted sessions against the stand-in.
#include "tests/app/ClientSession.h"

#include "app/screens/settings/SettingsLayout.h"
#include "app/training/GoodsInfoViewController.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"

#include <algorithm>
#include <functional>

namespace {

class HomeAndSettings : public ClientSession {
protected:
    // 王晓东 has not opened online learning, 孙丽娜 has no video account, 周建华 learns where online
    // payment is not open and has evaluated the school.
    static constexpr const char* kWithoutOnlineLearning = "510104199605207788";
    static constexpr const char* kWithoutVideoAccount = "510104199808083456";
    static constexpr const char* kWithoutOnlinePayment = "510106199609093344";

    std::shared_ptr<MainViewController> learnerHome(const char* account)
    {
        if (!logIn("学员", account, "123456"))
            return nullptr;
        return top<MainViewController>();
    }
    template <class Settings>
    std::shared_ptr<Settings> openSettings()
    {
        host->tap(top<ParentViewController>()->m_viewNaviBar()->m_btnRight());
        host->runUntilIdle();
        return top<Settings>();
    }
    std::size_t requestsSaying(const char* text) const
    {
        const auto requests = standIn.requests();
        return std::size_t(std::count_if(requests.begin(), requests.end(), [text](const standin::ReceivedRequest& request) {
            return request.body.find(text) != std::string::npos || request.path.find(text) != std::string::npos;
        }));
    }
    // Two taps on the view while the network thread is held, so that the second comes while the
    // first one's request runs.
    void doubleTapWhileTheRequestRuns(const std::shared_ptr<UIView>& view, const std::function<bool()>& running)
    {
        withNetworkHeld([&] {
            host->tap(view);
            EXPECT_TRUE(running());
            host->tap(view);
        });
    }
    static void expectRows(const std::vector<std::shared_ptr<UIButton>>& rows, const std::vector<CGFloat>& tops, CGFloat width)
    {
        ASSERT_EQ(rows.size(), tops.size());
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const CGRect frame = rows[row]->frame();
            EXPECT_EQ(frame.origin.y, tops[row]) << "row " << row;
            EXPECT_EQ(frame.origin.x, 0) << "row " << row;
            EXPECT_EQ(frame.size.width, width) << "row " << row;
        }
    }
};

} // namespace

TEST_F(HomeAndSettings, aRetryAfterAFailedRegionListOpensThePickerAtOnce)
{
    auto login = loginScreen();
    const int mainPort = standIn.mainPort(), paymentPort = standIn.paymentPort();
    standIn.stop();
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("获取城市数据失败"));

    standin::ServiceStandIn back { sessionStandIn({ .mainPort = mainPort, .paymentPort = paymentPort }) };
    ASSERT_TRUE(back.start()) << back.lastError();
    auto alert = std::dynamic_pointer_cast<UIAlertView>(host->findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; }));
    ASSERT_TRUE(alert);
    // The reply comes while the alert still fades out, as it does from a service close by.
    ASSERT_TRUE(host->tap(alert->buttonAtIndex(1)));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() != nullptr; }));
    ASSERT_NE(login->openSheet()->window(), nullptr) << "the list came but no picker opened";
    ASSERT_TRUE(pick("成都市"));
    EXPECT_EQ(login->areaLab()->text(), NSString("成都市"));
}

TEST_F(HomeAndSettings, theCheckingTilesIgnoreTapsWhileTheirRequestRuns)
{
    auto home = learnerHome(kLearner);
    ASSERT_TRUE(home);
    standIn.clearRequests();
    doubleTapWhileTheRequestRuns(home->tiles()[3], [&] { return home->isCheckingEvaluation(); });
    ASSERT_TRUE(waitUntil([&] { return top<MainViewController>() != home; }));
    EXPECT_FALSE(home->isCheckingEvaluation());
    EXPECT_EQ(requestsSaying("enEvaluateMethod"), 1u);
    host->tap(top<ParentViewController>()->m_viewNaviBar()->m_btnBack());
    host->runUntilIdle();
    ASSERT_EQ(top<MainViewController>(), home);

    doubleTapWhileTheRequestRuns(home->tiles()[6], [&] { return home->isCheckingVideo(); });
    ASSERT_TRUE(waitUntil([&] { return top<MainViewController>() != home; }));
    EXPECT_FALSE(home->isCheckingVideo());
    EXPECT_EQ(requestsSaying("loginCheck"), 1u);
}

TEST_F(HomeAndSettings, theVideoTileOffersThePurchaseToALearnerWithoutOnlineLearning)
{
    auto home = learnerHome(kWithoutOnlineLearning);
    ASSERT_TRUE(home);
    host->tap(home->tiles()[6]);
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("您还没有开通网上学习功能，是否前往开通?"));
    ASSERT_TRUE(application->videoStUser());
    EXPECT_EQ(application->videoStUser()->distanceEduation(), NSString("0"));
    ASSERT_TRUE(tapAlertButton("取消"));
    EXPECT_EQ(top<MainViewController>(), home);
    host->tap(home->tiles()[6]);
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    ASSERT_TRUE(tapAlertButton("立即前往"));
    EXPECT_TRUE(top<GoodsInfoViewController>());
}

TEST_F(HomeAndSettings, theVideoTileSaysWhenTheRegionHasNoOnlinePayment)
{
    auto home = learnerHome(kWithoutOnlinePayment);
    ASSERT_TRUE(home);
    host->tap(home->tiles()[6]);
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("该地区未开通在线支付功能"));
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_EQ(top<MainViewController>(), home);

    // This learner has evaluated the school already: the tile says so and stays home.
    host->tap(home->tiles()[3]);
    ASSERT_TRUE(waitUntil([&] { return hudText() == NSString("驾校已评价!"); }));
    host->advance(2);
    EXPECT_EQ(top<MainViewController>(), home);
}

TEST_F(HomeAndSettings, theVideoTileShowsTheServicesMessageOrThatTheServerIsBusy)
{
    auto home = learnerHome(kWithoutVideoAccount);
    ASSERT_TRUE(home);
    host->tap(home->tiles()[6]);
    ASSERT_TRUE(waitUntil([&] { return hudText() == NSString("未开通视频学习账户"); }));
    EXPECT_FALSE(application->videoStUser());
    host->advance(2);

    standIn.stop();
    host->tap(home->tiles()[6]);
    ASSERT_TRUE(waitUntil([&] { return hudText() == NSString("服务器忙，请稍候再试!"); }));
    EXPECT_EQ(top<MainViewController>(), home);
}

TEST_F(HomeAndSettings, aSavedEvaluationIsToastedOnTheHome)
{
    auto home = learnerHome(kLearner);
    ASSERT_TRUE(home);
    NSNotificationCenter::defaultCenter()->postNotificationName("SCHOOL_EVALUATE_SUCCESS", nullptr);
    host->advance(0.3);
    EXPECT_TRUE(host->findViewWithText("评价成功！"));
    host->advance(5);
    EXPECT_FALSE(host->findViewWithText("评价成功！"));
}

TEST_F(HomeAndSettings, thePasswordScreenRefusesMismatchesAndSaysWhenTheChangeFails)
{
    ASSERT_TRUE(learnerHome(kLearner));
    ASSERT_TRUE(openSettings<SetupViewController>());
    host->tap(top<SetupViewController>()->rowButtons()[1]);
    host->runUntilIdle();
    auto password = top<PasswordViewController>();
    ASSERT_TRUE(password);
    const auto attempt = [&](const char* old, const char* fresh, const char* again) {
        password->oldPwd()->setText(old);
        password->newPwd()->setText(fresh);
        password->newPwd2()->setText(again);
        password->view()->endEditing(true);
        host->runUntilIdle();
        host->tap(password->saveButton());
        host->advance(0.3);
    };
    standIn.clearRequests();
    attempt("123456", "abcdef", "abcdeg");
    EXPECT_TRUE(host->findViewWithText("两次输入的密码不一至！"));
    host->advance(3);
    attempt("123456", "123456", "123456");
    EXPECT_TRUE(host->findViewWithText("新密码和旧密码不能一样！"));
    host->advance(3);
    EXPECT_EQ(standIn.requestCount(), 0u);

    standIn.stop();
    attempt("123456", "abcdef", "abcdef");
    ASSERT_TRUE(waitUntil([&] { return !password->isSaving(); }));
    EXPECT_EQ(hudText(), NSString("修改密码失败!"));
    EXPECT_EQ(top<PasswordViewController>(), password);
}

TEST_F(HomeAndSettings, theVersionCheckComparesWithTheVersionTheLoginDelivered)
{
    ASSERT_TRUE(learnerHome(kLearner));
    auto settings = openSettings<SetupViewController>();
    ASSERT_TRUE(settings);
    auto user = application->user();
    user->setVersion(NSString::stringWithFormat("V%@", SettingsLayout::shortVersion()));
    settings->upgradeEvent(*settings->rowButtons()[0]);
    EXPECT_EQ(alertMessage(), NSString("当前已经是最新版本"));
    ASSERT_TRUE(tapAlertButton("确定"));

    std::vector<std::string> opened;
    UIApplication::sharedApplication()->setSystemURLHandler([&opened](const std::shared_ptr<NSURL>& url) {
        opened.push_back(url->absoluteString().UTF8String());
        return true;
    });
    user->setVersion("V9.9");
    user->setUpdateContent("修复了已知问题");
    user->setDownLoadUrl("http://127.0.0.1/corvane.apk");
    settings->upgradeEvent(*settings->rowButtons()[0]);
    EXPECT_EQ(alertMessage(), NSString("修复了已知问题"));
    ASSERT_TRUE(tapAlertButton("下次提醒"));
    EXPECT_TRUE(opened.empty());
    settings->upgradeEvent(*settings->rowButtons()[0]);
    ASSERT_TRUE(tapAlertButton("更新"));
    host->runUntilIdle();
    EXPECT_EQ(opened, std::vector<std::string> { "http://127.0.0.1/corvane.apk" });
    UIApplication::sharedApplication()->setSystemURLHandler(nullptr);
}

TEST_F(HomeAndSettings, theLearnersSettingsRowsLieWhereTheyAreDrawn)
{
    ASSERT_TRUE(learnerHome(kLearner));
    auto settings = openSettings<SetupViewController>();
    ASSERT_TRUE(settings);
    const CGFloat width = settings->view()->bounds().size.width;
    expectRows(settings->rowButtons(), { 0, 124.5, 169, 213.5, 287.5 }, width);
    EXPECT_EQ(settings->rowButtons()[0]->frame().size.height, 70);
    EXPECT_EQ(settings->vScrollView()->contentSize().height, 341.5);
    EXPECT_EQ(settings->vScrollView()->frame().origin.y, settings->getNaviBarRect().size.height);
    EXPECT_EQ(settings->vScrollView()->contentInset().top, 0);
}

TEST_F(HomeAndSettings, theOfficersSettingsRowsLieWhereTheyAreDrawnWithNoGapUnderTheBar)
{
    ASSERT_TRUE(logIn("运政", kOfficer, "654321"));
    auto settings = openSettings<AdminSetupViewController>();
    ASSERT_TRUE(settings);
    const CGFloat width = settings->view()->bounds().size.width;
    expectRows(settings->rowButtons(), { 44.5, 119 }, width);
    EXPECT_EQ(settings->vScrollView()->contentSize().height, 173);
    EXPECT_EQ(settings->vScrollView()->contentInset().top, 0) << "no room for a status bar under the bar";
    EXPECT_EQ(settings->vScrollView()->contentOffset().y, 0);
    shot("17-officer-settings");
}

TEST_F(HomeAndSettings, thePersonalDataRowsFollowTheCardAndTheHeader)
{
    ASSERT_TRUE(learnerHome(kLearner));
    ASSERT_TRUE(openSettings<SetupViewController>());
    host->tap(top<SetupViewController>()->rowButtons()[0]);
    host->runUntilIdle();
    auto info = top<MyInfoViewController>();
    ASSERT_TRUE(info);
    const auto scroller = info->vScrollView();
    std::vector<CGFloat> tops;
    for (const auto& child : scroller->subviews()) {
        if (child->frame().size.width == scroller->frame().size.width && child->frame().size.height > 1)
            tops.push_back(child->frame().origin.y);
    }
    EXPECT_EQ(tops, (std::vector<CGFloat> { 0, 140, 187, 233, 279, 325, 371 }));
    EXPECT_EQ(scroller->contentSize().height, 426);
}

TEST_F(HomeAndSettings, theConfirmButtonKeepsItsCornersRoundAtItsWidth)
{
    ASSERT_TRUE(learnerHome(kLearner));
    ASSERT_TRUE(openSettings<SetupViewController>());
    host->tap(top<SetupViewController>()->rowButtons()[1]);
    host->runUntilIdle();
    auto password = top<PasswordViewController>();
    ASSERT_TRUE(password);
    const auto button = password->saveButton();
    const CGRect frame = button->convertRectToView(button->bounds(), nullptr);
    ASSERT_GT(frame.size.width, 200);
    const auto blue = [&](CGFloat x, CGFloat y) {
        const auto pixel = host->pixelAt(CGPointMake(frame.origin.x + x, frame.origin.y + y));
        // "bt_blu" is 4ba7d5.
        return std::abs(pixel[0] - 0x4b) < 12 && std::abs(pixel[1] - 0xa7) < 12 && std::abs(pixel[2] - 0xd5) < 12;
    };
    const CGFloat right = frame.size.width;
    // Six-point corners: their very tips are the screen's, a few points in along the edges is the button.
    for (const auto& [x, y] : { std::pair { 0.5, 0.5 }, { right - 0.5, 0.5 }, { 0.5, 39.5 }, { right - 0.5, 39.5 } })
        EXPECT_FALSE(blue(x, y)) << x << "," << y;
    for (const auto& [x, y] : { std::pair { 8.0, 0.5 }, { right - 8, 0.5 }, { 8.0, 39.5 }, { right - 8, 39.5 }, { 0.5, 8.0 },
             { right - 0.5, 32.0 }, { right / 2, 20.0 } })
        EXPECT_TRUE(blue(x, y)) << x << "," << y;
    shot("18-password-button");
}

TEST_F(HomeAndSettings, theBannersArtworkLeavesThePageDotsTheirOwnPlace)
{
    auto home = learnerHome(kLearner);
    ASSERT_TRUE(home);
    const auto banner = home->hScrollView();
    const CGRect frame = banner->convertRectToView(banner->bounds(), nullptr);
    // The dots sit centred five points above the caption strip, the last 21 points of the banner.
    const CGFloat dotsY = CGRectGetMaxY(frame) - 21 - 5;
    const auto whiteMarks = [&] {
        int marks = 0;
        for (CGFloat y = dotsY - 8; y <= dotsY + 4; y += 1)
            for (CGFloat x = frame.size.width / 2 - 40; x <= frame.size.width / 2 + 40; x += 1) {
                const auto pixel = host->pixelAt(CGPointMake(x, y));
                marks += pixel[0] > 248 && pixel[1] > 248 && pixel[2] > 248 ? 1 : 0;
            }
        return marks;
    };
    home->pageControl()->setHidden(true);
    host->runUntilIdle();
    EXPECT_EQ(whiteMarks(), 0) << "first page";
    banner->setContentOffset(CGPointMake(banner->frame().size.width, 0));
    host->runUntilIdle();
    EXPECT_EQ(whiteMarks(), 0) << "second page";
    home->pageControl()->setHidden(false);
    host->runUntilIdle();
    EXPECT_GT(whiteMarks(), 0) << "the dots themselves";
    shot("19-banner-second-page");
}
