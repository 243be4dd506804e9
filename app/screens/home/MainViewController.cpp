#include "app/screens/home/MainViewController.h"

#include "app/AppDelegate.h"
#include "app/records/CoachEvaluateViewController.h"
#include "app/records/HoursViewController.h"
#include "app/records/MailViewController.h"
#include "app/records/SchoolEvaluateViewController.h"
#include "app/screens/settings/SetupViewController.h"
#include "app/services/HttpServiceVideoStud.h"
#include "app/services/RequestFields.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/theory/KaoInfoViewController.h"
#include "app/theory/StudentTheoryViewController.h"
#include "app/training/GoodsInfoViewController.h"
#include "app/training/MakeCarViewController.h"
#include "app/training/VideoStudentViewController.h"
#include "library/json/JSONCodecSerializing.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";

} // namespace

std::vector<std::pair<const char*, const char*>> MainViewController::gridItems() const
{
    return { { "查学时", "ico01" }, { "查考试", "ico02" }, { "理论学习", "ico20" }, { "驾校评价", "ico04" },
        { "教练评价", "ico03" }, { "预约学车", "ico25" }, { "视频学习", "ico34" }, { "运管信箱", "ico06" } };
}

std::vector<HomeScreen::Strip> MainViewController::stripItems() const
{
    return { { "m_ico04", "女士学车", &HomeScreen::womenEvent }, { "m_ico02", "驾车宝典", &HomeScreen::baoDianEvent },
        { "m_ico01", "驾车法规", &HomeScreen::faiGuiEvent } };
}

void MainViewController::viewDidLoad()
{
    HomeScreen::viewDidLoad();
    NSNotificationCenter::defaultCenter()->addObserver(self(),
        &MainViewController::evaluateSuccess, NSString("SCHOOL_EVALUATE_SUCCESS"), nullptr);
}

void MainViewController::aboutMe(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(SetupViewController::create(), true);
}

void MainViewController::menuEvent(UIControl& sender)
{
    switch (sender.tag()) {
    case 0:
        if (auto navigation = navigationController())
            navigation->pushViewController(HoursViewController::create(), true);
        return;
    case 1:
        if (auto navigation = navigationController())
            navigation->pushViewController(KaoInfoViewController::create(), true);
        return;
    case 2:
        if (auto navigation = navigationController())
            navigation->pushViewController(StudentTheoryViewController::create(), true);
        return;
    case 3:
        return isSchoolEvaluate();
    case 4:
        if (auto navigation = navigationController())
            navigation->pushViewController(CoachEvaluateViewController::create(), true);
        return;
    case 5:
        if (auto navigation = navigationController())
            navigation->pushViewController(MakeCarViewController::create(), true);
        return;
    case 6:
        return videoStudLogin(true);
    case 7:
        if (auto navigation = navigationController())
            navigation->pushViewController(MailViewController::create(), true);
        return;
    default:
        // FIXME: the exam screen comes later; its tile pushes it once it exists.
        return;
    }
}

void MainViewController::isSchoolEvaluate()
{
    if (m_checkingEvaluation || !ServerUrlManger::networkIsValid())
        return;
    auto fields = ns::mutableDictionary({ { "METHOD", NSString("enEvaluateMethod") } });
    STProgressHUD::show();
    m_checkingEvaluation = true;
    auto protectedSelf = self();
    m_httpService->httpRequestDict(
        [protectedSelf](const id& reply) {
            protectedSelf->m_checkingEvaluation = false;
            protectedSelf->schoolEvaluateReply(reply);
        },
        [protectedSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            protectedSelf->m_checkingEvaluation = false;
            STProgressHUD::dismissWithError("服器忙，请稍候再试！", 1.0);
        },
        kDistribute, nullptr, fields);
}

void MainViewController::schoolEvaluateReply(const id& reply)
{
    if (ServiceReply::mainServiceCode(reply) == 0 && ServiceReply::rows(reply, "array0")->count() > 0)
        return STProgressHUD::dismissWithSuccess("驾校已评价!", 1.0);
    STProgressHUD::dismiss();
    auto form = SchoolEvaluateViewController::create();
    if (ServiceReply::mainServiceCode(reply) == 0) {
        auto items = ServiceReply::rows(reply, "array1");
        if (items && items->count() > 0) {
            auto itemArray = NSMutableArray::array();
            for (NSUInteger i = 0; i < items->count(); ++i)
                itemArray->addObject(items->objectAtIndex(i));
            form->setItemArray(itemArray);
        }
    }
    if (auto navigation = navigationController())
        navigation->pushViewController(form, true);
}

void MainViewController::videoStudLogin(bool)
{
    auto delegate = AppDelegate::shared();
    auto user = delegate ? delegate->user() : nullptr;
    if (m_checkingVideo)
        return;
    auto service = HttpServiceVideoStud::create();
    if (!ServerUrlManger::networkIsValid())
        return;
    RequestFields inner;
    inner.ifPresent("USERCODE", user ? id(user->userCode()) : nullptr)
        .ifPresent("SUBJECT", user ? id(user->subject()) : nullptr)
        .ifPresent("TALKID", NSUserDefaults::standardUserDefaults()->stringForKey("SESSIONID"));
    auto fields = ns::mutableDictionary({ { "param", JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(inner.dictionary())) } });
    STProgressHUD::showInView(view());
    m_checkingVideo = true;
    auto protectedSelf = self();
    service->httpRequestDict(
        [protectedSelf, service](const id& reply) {
            protectedSelf->m_checkingVideo = false;
            protectedSelf->videoReply(reply);
        },
        [protectedSelf, service](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            protectedSelf->m_checkingVideo = false;
            STProgressHUD::dismissWithError("服务器忙，请稍候再试!", 1.0);
        },
        "app/loginCheck", nullptr, fields);
}

void MainViewController::videoReply(const id& reply)
{
    auto envelope = ns::dictionaryValue(reply);
    const auto code = ServiceReply::topLevelCode(reply);
    if (!envelope || !code || *code != 0)
        return STProgressHUD::dismissWithError(ns::stringForKey(envelope, "message"), 1.0);
    auto account = VideoStUser::videoStUserFromLoginCheckReply(reply);
    if (!account)
        return STProgressHUD::dismissWithError("服务器忙，请稍候再试!", 1.0);
    STProgressHUD::dismiss();
    if (auto delegate = AppDelegate::shared())
        delegate->setVideoStUser(account);
    if (account->isOpenOrbipay().isEqualToString("1")) {
        UIAlertView::create(NSString("提示"), NSString("该地区未开通在线支付功能"), nullptr, NSString("确定"), std::vector<NSString> {})->show();
        return;
    }
    if (account->distanceEduation().isEqualToString("1")) {
        if (auto navigation = navigationController())
            navigation->pushViewController(VideoStudentViewController::create(), true);
        return;
    }
    UIAlertView::create(NSString("提示"), NSString("您还没有开通网上学习功能，是否前往开通?"),
        std::static_pointer_cast<UIAlertViewDelegate>(self()), NSString("取消"),
        std::vector<NSString> { "立即前往" })
        ->show();
}

void MainViewController::alertViewClickedButtonAtIndex(UIAlertView&, NSInteger buttonIndex)
{
    if (buttonIndex != 1)
        return;
    auto goods = GoodsInfoViewController::create();
    goods->setGoBackViewController(self());
    if (auto navigation = navigationController())
        navigation->pushViewController(goods, true);
}

void MainViewController::evaluateSuccess(const std::shared_ptr<NSNotification>&)
{
    Toast::makeToast(view(), "评价成功！", 1.0, NSString("bottom"));
}
