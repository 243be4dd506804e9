#include "tests/app/ClientSession.h"

#include "app/stores/UserManager.h"
#include "library/network/images/RIImageManager.h"
#include "library/payment/OrbipaySDK.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"
#include "platform/uikit/UIImage.h"

#include <httplib.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

TEST_F(ClientSession, firstStartFetchesRegionsOnTheFirstTapAndLogsTheLearnerIntoTheHomeOfEightTiles)
{
    auto login = loginScreen();
    ASSERT_TRUE(login);
    EXPECT_EQ(login->areaLab()->text(), NSString("请选择地区"));
    EXPECT_EQ(login->roleLab()->text(), NSString("请选择角色"));
    EXPECT_EQ(login->accountField()->text().length(), 0u);
    EXPECT_FALSE(login->areaArray());
    shot("01-login");

    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() != nullptr; }));
    // The placeholder first, the names cut after their first 市, a name without one kept.
    const auto& names = login->openSheet()->titlesForComponenets().at(0);
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names[0], NSString("请选择地区"));
    EXPECT_NE(std::find(names.begin(), names.end(), NSString("德阳市")), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), NSString("重庆主城区")), names.end());
    shot("02-region-picker");
    ASSERT_TRUE(pick("成都市"));
    EXPECT_EQ(login->areaCode(), NSString("510100"));
    EXPECT_EQ(login->province(), NSString("510000"));
    ASSERT_TRUE(host->tap(login->roleLab()));
    shot("03-role-picker");
    ASSERT_TRUE(pick("学员"));
    EXPECT_EQ(login->roleSelectIndex(), 1);

    ASSERT_TRUE(host->tap(login->accountField()));
    host->typeText(kLearner);
    host->pressReturn();
    EXPECT_TRUE(login->passwordField()->isFirstResponder());
    host->typeText("123456");
    // Done leaves the field; Return there would log in at once.
    login->passwordField()->resignFirstResponder();
    host->runUntilIdle();
    shot("04-login-filled");
    withNetworkHeld([&] {
        ASSERT_TRUE(host->tap(login->loginBtn()));
        // A second tap while the request runs sends nothing more.
        EXPECT_TRUE(login->isLoggingIn());
        host->tap(login->loginBtn());
    });
    ASSERT_TRUE(waitUntil([&] { return top<MainViewController>() != nullptr; }));
    const auto requests = standIn.requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                  [](const standin::ReceivedRequest& request) { return request.body.find("loginMethod") != std::string::npos; }),
        1);
    auto home = top<MainViewController>();
    ASSERT_EQ(home->tiles().size(), 8u);
    EXPECT_EQ(home->tiles()[0]->name(), NSString("查学时"));
    EXPECT_EQ(home->tiles()[7]->name(), NSString("运管信箱"));
    // Two rows of four: the fifth tile starts the second row at x 10.
    EXPECT_EQ(home->tiles()[4]->frame().origin.x, 10);
    EXPECT_EQ(home->tiles()[4]->frame().origin.y, home->tiles()[0]->frame().origin.y + home->heightForRow());
    EXPECT_EQ(application->user()->name(), NSString("陈小雨"));
    EXPECT_TRUE(NSUserDefaults::standardUserDefaults()->stringForKey("SESSIONID").length() > 0);
    auto last = UserManager::shareInstance()->queryLoginInfo();
    ASSERT_TRUE(last);
    EXPECT_EQ(ns::stringForKey(last, "role_code"), NSString("0"));
    shot("05-learner-home");
}

TEST_F(ClientSession, aRestartFillsTheFieldsFromTheLastLoginButLeavesTheRegionListEmpty)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    launch();
    auto login = loginScreen();
    EXPECT_EQ(login->accountField()->text(), NSString(kLearner));
    EXPECT_EQ(login->passwordField()->text(), NSString("123456"));
    EXPECT_EQ(login->areaLab()->text(), NSString("成都市"));
    EXPECT_EQ(login->roleLab()->text(), NSString("学员"));
    EXPECT_FALSE(login->areaArray());
    shot("06-login-remembered");
    // Straight to the home screen without choosing anything again.
    host->tap(login->loginBtn());
    EXPECT_TRUE(waitUntil([&] { return top<MainViewController>() != nullptr; }));
}

TEST_F(ClientSession, theOfficerReachesTheOfficerHomeWithTwoTilesAndFourStrips)
{
    ASSERT_TRUE(logIn("运政", kOfficer, "654321"));
    auto home = top<AdminHomeViewController>();
    ASSERT_TRUE(home);
    EXPECT_EQ(home->tiles().size(), 2u);
    EXPECT_EQ(home->strips().size(), 4u);
    shot("07-officer-home");
    host->tap(home->strips()[1]);
    host->advance(0.3);
    EXPECT_TRUE(host->findViewWithText("尚未开放，敬请期待~"));
    host->advance(2);
    host->tap(home->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    auto settings = top<AdminSetupViewController>();
    ASSERT_TRUE(settings);
    shot("08-officer-settings");
    // The officer's logout leaves the login screen's fields as they were.
    host->tap(settings->rowButtons().back());
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_EQ(navigation()->viewControllers().size(), 1u);
    EXPECT_FALSE(UserManager::shareInstance()->queryLoginInfo());
    EXPECT_EQ(loginScreen()->accountField()->text(), NSString(kOfficer));
}

TEST_F(ClientSession, aWrongPasswordShowsTheServicesTextAndKeepsWhatWasTyped)
{
    fillLogin("学员", kLearner, "999999");
    ASSERT_TRUE(waitUntil([&] { return !loginScreen()->isLoggingIn(); }));
    EXPECT_EQ(hudText(), NSString("用户名或密码错误"));
    shot("09-login-wrong-password");
    EXPECT_EQ(navigation()->viewControllers().size(), 1u);
    EXPECT_EQ(loginScreen()->accountField()->text(), NSString(kLearner));
    EXPECT_EQ(loginScreen()->passwordField()->text(), NSString("999999"));
    EXPECT_FALSE(UserManager::shareInstance()->queryLoginInfo());
}

TEST_F(ClientSession, theLoginChecksAnswerInOrderAndSendNothing)
{
    auto login = loginScreen();
    host->tap(login->loginBtn());
    EXPECT_EQ(hudText(), NSString("请选择地区"));
    host->advance(2);
    EXPECT_EQ(standIn.requestCount(), 0u);
}

TEST_F(ClientSession, aTimedOutSessionShowsItsAlertAndReturnsToLogin)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    standIn.expireSessions();
    auto home = top<MainViewController>();
    host->tap(home->tiles()[3]);
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("长时间未操作，请重新登录！"));
    EXPECT_EQ(navigation()->viewControllers().size(), 1u);
    shot("10-relogin-timed-out");
}

TEST_F(ClientSession, aLoginElsewhereShowsItsAlertAndReturnsToLogin)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    // The same account logs in from another device.
    httplib::Client other("127.0.0.1", standIn.mainPort());
    auto answer = other.Post("/Tessalane/resource/sysbl/ctop/dt/interface/distri/distribute",
        "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=510104199203154321&PASSWRD=123456&PHONETYPE=1"
        "&_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP",
        "application/x-www-form-urlencoded");
    ASSERT_TRUE(answer);
    host->tap(top<MainViewController>()->tiles()[6]);
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("您的账户从其他地方登录，请重新登录！"));
    EXPECT_EQ(navigation()->viewControllers().size(), 1u);
}

TEST_F(ClientSession, halfAnHourInTheBackgroundReturnsToLoginOnceAndLessDoesNothing)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    host->sendToBackground();
    host->advance(1799);
    host->bringToForeground();
    host->runUntilIdle();
    EXPECT_EQ(navigation()->viewControllers().size(), 2u);

    host->sendToBackground();
    host->advance(1801);
    host->bringToForeground();
    host->runUntilIdle();
    EXPECT_EQ(navigation()->viewControllers().size(), 1u);
    EXPECT_EQ(alertMessage().length(), 0u);

    // Logged in again, a later activation without a trip to the background stays put.
    host->tap(loginScreen()->loginBtn());
    ASSERT_TRUE(waitUntil([&] { return top<MainViewController>() != nullptr; }));
    UIApplication::sharedApplication()->resignActive();
    UIApplication::sharedApplication()->becomeActive();
    host->runUntilIdle();
    EXPECT_EQ(navigation()->viewControllers().size(), 2u);
}

TEST_F(ClientSession, thePasswordChangeRefusesAWrongOldPasswordThenStoresTheNewOne)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    host->tap(top<MainViewController>()->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    auto settings = top<SetupViewController>();
    ASSERT_TRUE(settings);
    shot("11-learner-settings");
    host->tap(settings->rowButtons()[1]);
    host->runUntilIdle();
    auto password = top<PasswordViewController>();
    ASSERT_TRUE(password);

    host->tap(password->saveButton());
    host->advance(0.3);
    EXPECT_TRUE(host->findViewWithText("请输入旧密码"));
    host->advance(2);
    auto type = [&](const std::shared_ptr<UITextField>& field, const char* text) {
        host->tap(field);
        field->setText("");
        host->typeText(text);
    };
    type(password->oldPwd(), "111111");
    type(password->newPwd(), "abcdef");
    type(password->newPwd2(), "abcdef");
    shot("12-password");
    // The keyboard with its toolbar covers the button; done with typing, it goes.
    password->view()->endEditing(true);
    host->runUntilIdle();
    host->tap(password->saveButton());
    ASSERT_TRUE(waitUntil([&] { return !password->isSaving(); }));
    EXPECT_EQ(hudText(), NSString("原密码不正确"));
    EXPECT_EQ(top<PasswordViewController>(), password);
    host->advance(2);

    type(password->oldPwd(), "123456");
    password->view()->endEditing(true);
    host->runUntilIdle();
    host->tap(password->saveButton());
    ASSERT_TRUE(waitUntil([&] { return hudText() == NSString("修改密码成功!"); }));
    host->advance(2);
    EXPECT_EQ(top<SetupViewController>(), settings);
    EXPECT_EQ(application->user()->password(), NSString("abcdef"));
    EXPECT_EQ(ns::stringForKey(UserManager::shareInstance()->queryLoginInfo(), "password"), NSString("abcdef"));
}

TEST_F(ClientSession, personalDataShowsThePhotoFromTheServiceOrTheGreyPictureWhenItFails)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    host->tap(top<MainViewController>()->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    host->tap(top<SetupViewController>()->rowButtons()[0]);
    host->runUntilIdle();
    auto info = top<MyInfoViewController>();
    ASSERT_TRUE(info);
    ASSERT_TRUE(waitUntil([&] { return info->photoView()->image() != nullptr; }));
    const auto grey = UIImage::imageNamed("img_gr");
    EXPECT_NE(info->photoView()->image()->size().width, grey->size().width);
    EXPECT_TRUE(host->findViewWithText("陈小雨"));
    EXPECT_TRUE(host->findViewWithText("成都蓝天驾驶培训学校"));
    shot("13-personal-data");

    application->user()->setUrlImg(NSString(standIn.mainBaseURL().substr(0, standIn.mainBaseURL().find("/Tessalane")) + "/Tessalane/images/none.png"));
    host->tap(info->m_viewNaviBar()->m_btnBack());
    host->runUntilIdle();
    host->tap(top<SetupViewController>()->rowButtons()[0]);
    host->runUntilIdle();
    auto again = top<MyInfoViewController>();
    ASSERT_TRUE(waitUntil([&] { return again->photoView()->image() != nullptr; }));
    EXPECT_EQ(again->photoView()->image()->size().width, grey->size().width);
}

TEST_F(ClientSession, aboutShowsTheVersionAndLogoutClearsTheLoginFields)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    host->tap(top<MainViewController>()->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    auto settings = top<SetupViewController>();
    host->tap(settings->rowButtons()[2]);
    host->runUntilIdle();
    ASSERT_TRUE(top<AboutViewController>());
    EXPECT_TRUE(host->findViewWithText("v1.0")) << host->viewTree();
    shot("14-about");
    host->tap(top<AboutViewController>()->m_viewNaviBar()->m_btnBack());
    host->runUntilIdle();

    host->tap(settings->rowButtons().back());
    ASSERT_TRUE(tapAlertButton("取消"));
    EXPECT_EQ(top<SetupViewController>(), settings);
    host->tap(settings->rowButtons().back());
    shot("15-logout-alert");
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_EQ(navigation()->viewControllers().size(), 1u);
    auto login = loginScreen();
    EXPECT_EQ(login->accountField()->text().length(), 0u);
    EXPECT_EQ(login->areaLab()->text(), NSString("请选择地区"));
    EXPECT_FALSE(UserManager::shareInstance()->queryLoginInfo());
    shot("16-login-after-logout");
}

TEST_F(ClientSession, thePaymentCallBackWithNoPaymentPendingDoesNothingAndAnswersYes)
{
    auto url = NSURL::URLWithString("corvaneOrbipayCallback://payresult?resultStatus=9000&memo=ok");
    EXPECT_EQ(application->openURL(*UIApplication::sharedApplication(), url, "wallet", nullptr), std::optional<bool>(true));
    host->runUntilIdle();
    EXPECT_EQ(alertMessage().length(), 0u);

    // While a payment is pending its result ends in the alert.
    OrbipaySDK::defaultService()->beginPayment(nullptr);
    EXPECT_TRUE(UIApplication::sharedApplication()->handleIncomingURL(
        NSURL::URLWithString("corvaneOrbipayCallback://payresult?resultStatus=6001&memo=%E7%94%A8%E6%88%B7%E5%8F%96%E6%B6%88"), "wallet"));
    host->runUntilIdle();
    EXPECT_EQ(alertMessage(), NSString("用户取消"));
    EXPECT_FALSE(OrbipaySDK::defaultService()->isPaymentPending());
}

TEST_F(ClientSession, theLearnersHomePagesItsPhotosAndItsEvaluationAndVideoTilesAskTheServices)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto home = top<MainViewController>();
    ASSERT_TRUE(home);
    auto photos = home->hScrollView();
    const CGFloat width = photos->frame().size.width;
    ASSERT_GT(width, 0);

    // Past half a page the second photo's caption shows; a bounce before the first stays on it.
    photos->setContentOffset(CGPointMake(width * 0.6, 0));
    EXPECT_EQ(home->pageControl()->currentPage(), 1);
    EXPECT_EQ(home->photoMemoView()->text(), NSString("移动互联 服务民众"));
    photos->setContentOffset(CGPointMake(-width * 0.8, 0));
    EXPECT_EQ(home->pageControl()->currentPage(), 0);
    EXPECT_EQ(home->photoMemoView()->text(), NSString("扫一扫 轻松过驾考!"));

    // A screen a tile opened over the home goes back to it with its back button.
    const auto backToHome = [&] {
        auto opened = top<ParentViewController>();
        ASSERT_TRUE(opened && opened != home);
        host->tap(opened->m_viewNaviBar()->m_btnBack());
        host->runUntilIdle();
        ASSERT_EQ(top<MainViewController>(), home);
    };

    // No evaluation of the school yet: the HUD goes without a word and the form opens.
    standIn.clearRequests();
    host->tap(home->tiles()[3]);
    ASSERT_TRUE(waitUntil([&] { return requestsUnderWay == 0 && !standIn.requests().empty() && hudText().length() == 0; }));
    ASSERT_TRUE(waitUntil([&] { return top<MainViewController>() != home; }));
    backToHome();

    // The video account of the learner is kept and no alert is needed for it.
    ASSERT_FALSE(application->videoStUser());
    host->tap(home->tiles()[6]);
    ASSERT_TRUE(waitUntil([&] { return application->videoStUser() != nullptr; }));
    EXPECT_EQ(application->videoStUser()->distanceEduation(), NSString("1"));
    EXPECT_EQ(alertMessage(), NSString());
    // The tile opened the course list.
    backToHome();

    // With the services gone the evaluation tile says the server is busy.
    standIn.stop();
    host->tap(home->tiles()[3]);
    ASSERT_TRUE(waitUntil([&] { return hudText() == NSString("服器忙，请稍候再试！"); }));
}

TEST_F(ClientSession, theLoginNamesEachMissingEntryInTurnAndALostServiceFailsItWithTheScreenStillUsable)
{
    auto login = loginScreen();
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return login->openSheet() != nullptr; }));
    ASSERT_TRUE(pick("成都市"));
    standIn.clearRequests();
    const auto refusal = [&] {
        host->tap(login->loginBtn());
        const NSString text = hudText();
        host->advance(2);
        return text;
    };
    EXPECT_EQ(refusal(), NSString("请选择角色"));
    ASSERT_TRUE(host->tap(login->roleLab()));
    ASSERT_TRUE(pick("学员"));
    EXPECT_EQ(refusal(), NSString("请输入帐号"));
    ASSERT_TRUE(host->tap(login->accountField()));
    host->typeText(kLearner);
    host->pressReturn();
    // The keyboard goes so that the button can be reached.
    login->passwordField()->resignFirstResponder();
    host->advance(0.5);
    EXPECT_EQ(refusal(), NSString("请输入密码"));
    EXPECT_EQ(standIn.requestCount(), 0u);

    ASSERT_TRUE(host->tap(login->passwordField()));
    host->typeText("123456");
    login->passwordField()->resignFirstResponder();
    host->runUntilIdle();
    standIn.stop();
    host->tap(login->loginBtn());
    ASSERT_TRUE(waitUntil([&] { return !login->isLoggingIn(); }));
    EXPECT_EQ(hudText(), NSString("登录失败！"));
    EXPECT_EQ(navigation()->viewControllers().size(), 1u);
    EXPECT_EQ(login->accountField()->text(), NSString(kLearner));
}

TEST_F(ClientSession, aFailedRegionListSaysSoAndOffersAnotherTry)
{
    auto login = loginScreen();
    standIn.stop();
    ASSERT_TRUE(host->tap(login->areaLab()));
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("获取城市数据失败"));
    EXPECT_FALSE(login->openSheet());
    // Another try asks again, and fails again the same way.
    ASSERT_TRUE(tapAlertButton("重新获取"));
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("获取城市数据失败"));
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_EQ(alertMessage(), NSString());
    EXPECT_EQ(login->areaArray()->count(), 0u);
    EXPECT_EQ(login->areaLab()->text(), NSString("请选择地区"));
}

TEST_F(ClientSession, aLostNetworkIsAnnouncedAndTheLoginSendsNothingUntilItComesBack)
{
    struct Simulation {
        ~Simulation() { SCNetworkReachabilityEndSimulation(); }
    } simulation;
    auto login = loginScreen();
    SCNetworkReachabilitySimulateFlags(0);
    ASSERT_TRUE(waitUntil([&] { return alertMessage().length() > 0; }));
    EXPECT_EQ(alertMessage(), NSString("当前网络不可用，请检查网络连接"));
    ASSERT_TRUE(tapAlertButton("确定"));

    // A login meets the same notice and sends nothing.
    fillLogin("学员", kLearner, "123456");
    EXPECT_EQ(alertMessage(), NSString("当前网络不可用，请检查网络连接"));
    ASSERT_TRUE(tapAlertButton("确定"));
    EXPECT_FALSE(login->isLoggingIn());
    const auto requests = standIn.requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                  [](const standin::ReceivedRequest& request) { return request.body.find("loginMethod") != std::string::npos; }),
        0);

    SCNetworkReachabilitySimulateFlags(kSCNetworkReachabilityFlagsReachable);
    host->advance(0.5);
    EXPECT_EQ(alertMessage(), NSString());
    ASSERT_TRUE(host->tap(login->loginBtn()));
    ASSERT_TRUE(waitUntil([&] { return top<MainViewController>() != nullptr; }));
}

namespace {

mode_t modeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

std::vector<std::filesystem::path> filesIn(const std::string& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code failure;
    for (std::filesystem::directory_iterator it(folder, failure), end; !failure && it != end; it.increment(failure))
        files.push_back(it->path());
    return files;
}

} // namespace

TEST_F(ClientSession, filesHoldingTheSessionAreTheLearnersAloneAndTheOthersFollowTheUmask)
{
    const mode_t previous = ::umask(027);
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    // The personal data screen puts the learner's photo into the image cache.
    host->tap(top<MainViewController>()->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    host->tap(top<SetupViewController>()->rowButtons()[0]);
    host->runUntilIdle();
    auto info = top<MyInfoViewController>();
    ASSERT_TRUE(info);
    const auto cache = RIImageManager::sharedManager()->imageCache();
    ASSERT_TRUE(waitUntil([&] { return info->photoView()->image() && cache->getDiskCount() > 0; }));
    ::umask(previous);

    auto defaults = NSUserDefaults::standardUserDefaults();
    ASSERT_TRUE(defaults->synchronize());
    ASSERT_FALSE(defaults->stringForKey(kSessionIdKey).isNil());
    EXPECT_EQ(modeOf(defaults->filePath().UTF8String()), 0600u);
    EXPECT_EQ(modeOf(UserManager::getDBPath().UTF8String()), 0600u);
    const auto photos = filesIn(cache->diskCachePath().UTF8String());
    ASSERT_FALSE(photos.empty());
    for (const auto& photo : photos)
        EXPECT_EQ(modeOf(photo.string()), 0640u) << photo;
}

TEST_F(ClientSession, aDamagedPreferencesFileAndCopiesLeftByAKillStillRestartWithTheRegionAndTheLastLogin)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    application.reset();
    host.reset();
    const std::string file = NSUserDefaults::standardUserDefaults()->filePath().UTF8String();
    NSUserDefaults::resetStandardUserDefaults();
    // Cut short where a kill mid-write on another system would leave it, with the copies of
    // earlier interrupted saves beside it.
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 40);
    for (const char* suffix : { ".tmp-Q1w2E3", ".tmp-zz9zz9" })
        std::ofstream(file + suffix) << "half a save";

    launch();
    auto login = loginScreen();
    EXPECT_EQ(login->areaLab()->text(), NSString("成都市"));
    EXPECT_EQ(login->accountField()->text(), NSString(kLearner));
    EXPECT_EQ(login->roleLab()->text(), NSString("学员"));
    for (const auto& left : filesIn(std::filesystem::path(file).parent_path().string()))
        EXPECT_EQ(left.filename().string().find(".tmp-"), std::string::npos) << left;
    shot("faults-01-login-after-damaged-preferences");
    host->tap(login->loginBtn());
    EXPECT_TRUE(waitUntil([&] { return top<MainViewController>() != nullptr; }));
}

TEST_F(ClientSession, aPhotoCutShortInTheCacheIsFetchedAgainAndShownWhole)
{
    ASSERT_TRUE(logIn("学员", kLearner, "123456"));
    auto openPersonalData = [&] {
        host->tap(top<SetupViewController>()->rowButtons()[0]);
        host->runUntilIdle();
        auto info = top<MyInfoViewController>();
        EXPECT_TRUE(info && waitUntil([&] { return info->photoView()->image() != nullptr; }));
        return info;
    };
    auto photoRequests = [&] {
        auto all = standIn.requests();
        return std::count_if(all.begin(), all.end(), [](const standin::ReceivedRequest& request) { return request.path.find("/photos/") != std::string::npos; });
    };
    host->tap(top<MainViewController>()->m_viewNaviBar()->m_btnRight());
    host->runUntilIdle();
    auto info = openPersonalData();
    ASSERT_TRUE(info);
    const CGSize whole = info->photoView()->image()->size();
    const auto cache = RIImageManager::sharedManager()->imageCache();
    const NSString key = RIImageManager::sharedManager()->cacheKeyForURL(NSURL::URLWithString(application->user()->urlImg()));
    const std::string file = cache->defaultCachePathForKey(key).UTF8String();
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(file); }));
    const auto bytes = std::filesystem::file_size(file);
    EXPECT_EQ(photoRequests(), 1);

    host->tap(info->m_viewNaviBar()->m_btnBack());
    host->runUntilIdle();
    cache->clearMemory();
    std::filesystem::resize_file(file, bytes / 2);
    auto again = openPersonalData();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->photoView()->image()->size().width, whole.width);
    EXPECT_EQ(again->photoView()->image()->size().height, whole.height);
    EXPECT_EQ(photoRequests(), 2);
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(file) && std::filesystem::file_size(file) == bytes; }));
    shot("faults-02-photo-fetched-again");
}

TEST_F(ClientSession, onlyTheClientsOwnSchemeReachesThePaymentResult)
{
    for (const char* forged : { "http://authresult?resultStatus=9000", "file://authresult?resultStatus=9000",
             "javascript://authresult?resultStatus=4000&memo=%E8%AF%B7%E8%87%B4%E7%94%B5%E5%AE%A2%E6%9C%8D400-000-0000" }) {
        EXPECT_TRUE(UIApplication::sharedApplication()->handleIncomingURL(NSURL::URLWithString(forged), "browser")) << forged;
        host->runUntilIdle();
        EXPECT_EQ(alertMessage().length(), 0u) << forged;
    }
    // The wallet's own answer through the client's scheme is still shown.
    EXPECT_TRUE(UIApplication::sharedApplication()->handleIncomingURL(NSURL::URLWithString("corvaneOrbipayCallback://authresult?resultStatus=9000"), "wallet"));
    host->runUntilIdle();
    EXPECT_EQ(alertMessage(), NSString("充值成功"));
}
