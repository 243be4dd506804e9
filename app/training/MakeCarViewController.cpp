#include "app/training/MakeCarViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/RequestFields.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/services/ServiceRoad.h"
#include "app/session/Constant.h"
#include "app/session/User.h"
#include "app/training/BookingDay.h"
#include "app/training/MakeCoachViewController.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UILabel.h"

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";
constexpr NSInteger kNothingLabelTag = 99;

std::shared_ptr<UIView> separator(CGFloat y, CGFloat width)
{
    auto line = UIView::create(CGRectMake(0, y, width, 0.5));
    line->setBackgroundColor(UIColor_Addition::colorWithHexString("bfd8ec"));
    return line;
}

std::shared_ptr<InsetsLabel> insetLabel(CGRect frame, CGFloat left, CGFloat size, const UIColorRef& colour)
{
    auto label = InsetsLabel::create(frame, UIEdgeInsetsMake(0, left, 0, 0));
    label->setBackgroundColor(UIColor::clearColor());
    label->setFont(UIFont::systemFontOfSize(size));
    label->setTextColor(colour);
    return label;
}

} // namespace

MakeCarViewController::~MakeCarViewController()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
}

NSInteger MakeCarViewController::userSubject() const
{
    auto delegate = AppDelegate::shared();
    auto user = delegate ? delegate->user() : nullptr;
    return user ? user->subject().intValue() : 0;
}

void MakeCarViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle("约车信息");
    const CGFloat W = root->bounds().size.width;
    const CGFloat H = root->bounds().size.height;
    CGFloat y = getNaviBarRect().size.height + 10;

    auto strip = UIView::create(CGRectMake(0, y, W, 44));
    strip->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(strip);
    auto header = insetLabel(CGRectMake(0, (44 - 21) / 2, W, 21), 20, 16, UIColor::blackColor());
    header->setBackgroundColor(UIColor::whiteColor());
    header->setText(NSString::stringWithFormat("%@约车", Constant::getSubjectName(NSString::stringWithFormat("%d", int(userSubject())))));
    strip->addSubview(header);
    auto accent = UIView::create(CGRectMake(0, 0, 15, 44));
    accent->setBackgroundColor(UIColor_Addition::colorWithHexString("00a7d1"));
    strip->addSubview(accent);
    y += 44;
    root->addSubview(separator(y, W));
    y += 0.5;

    auto panel = UIView::create(CGRectMake(0, y, W, 60));
    panel->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(panel);
    auto makeCar = UIButton::buttonWithType(UIButtonTypeCustom);
    makeCar->setFrame(CGRectMake(40, 10, W - 80, 40));
    makeCar->setBackgroundImage(stretchableImageNamed("make_car_bg", 10), UIControlStateNormal);
    makeCar->setBackgroundImage(stretchableImageNamed("make_car_bg", 10), UIControlStateHighlighted);
    makeCar->setTitle("我要约车", UIControlStateNormal);
    makeCar->setTitleColor(UIColor_Addition::colorWithHexString("8ac0de"), UIControlStateNormal);
    makeCar->titleLabel()->setFont(UIFont::systemFontOfSize(16));
    makeCar->addTarget(self(), &MakeCarViewController::makeCarEvent, UIControlEventTouchUpInside);
    panel->addSubview(makeCar);
    y += 60;
    root->addSubview(separator(y, W));
    y += 0.5;

    m_nothingView = UIView::create(CGRectMake(0, y, W, 60));
    m_nothingView->setBackgroundColor(UIColor::whiteColor());
    auto nothing = UILabel::create(CGRectMake(0, (60 - 21) / 2, W, 21));
    nothing->setTag(kNothingLabelTag);
    nothing->setText("暂无约车信息");
    nothing->setTextColor(UIColor::blackColor());
    nothing->setFont(UIFont::systemFontOfSize(17));
    nothing->setTextAlignment(NSTextAlignmentCenter);
    m_nothingView->addSubview(nothing);
    m_nothingView->addSubview(separator(59.5, W));
    m_nothingView->setHidden(true);
    root->addSubview(m_nothingView);

    m_vScrollView = UIScrollView::create(CGRectMake(0, y, W, H - y));
    m_vScrollView->setBackgroundColor(UIColor::clearColor());
    m_vScrollView->setShowsVerticalScrollIndicator(false);
    m_vScrollView->setShowsHorizontalScrollIndicator(false);
    root->addSubview(m_vScrollView);
}

void MakeCarViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpService::create();
    m_noPastArray = NSMutableArray::array();
}

void MakeCarViewController::showNothing(bool show)
{
    m_nothingView->setHidden(!show);
    m_vScrollView->setHidden(show);
}

void MakeCarViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    if (userSubject() == 1) {
        std::static_pointer_cast<UILabel>(m_nothingView->viewWithTag(kNothingLabelTag))->setText("科目一没有实操部分不能约车");
        showNothing(true);
        return;
    }
    loadData();
}

void MakeCarViewController::loadData()
{
    if (!ServerUrlManger::networkIsValid()) {
        showNothing(true);
        return;
    }
    for (const auto& subview : std::vector<UIViewRef>(m_vScrollView->subviews()))
        subview->removeFromSuperview();
    STProgressHUD::showInView(view());
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(NSString("checkAboutCarMethod"), NSString("METHOD"));
    std::weak_ptr<MakeCarViewController> weakSelf = self();
    m_httpService->httpRequestDict(
        [weakSelf](const id& reply) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->overviewReply(reply);
        },
        [weakSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            STProgressHUD::dismiss();
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->showNothing(true);
        },
        kDistribute, nullptr, fields);
}

void MakeCarViewController::overviewReply(const id& reply)
{
    const auto code = ServiceReply::mainServiceCode(reply);
    auto assignment = ServiceReply::rows(reply, "array0");
    if (!code || *code != 0 || !assignment || assignment->count() == 0) {
        STProgressHUD::dismiss();
        showNothing(true);
        return;
    }
    auto first = ns::dictionaryValue(assignment->objectAtIndex(0));
    const NSInteger subject = userSubject();
    if (subject == 2 || subject == 3) {
        const NSString coach = ns::stringForKey(first, subject == 2 ? "TSEMPLOYEEID2" : "TSEMPLOYEEID3");
        if (coach.length() > 0) {
            m_employeeId = coach;
            auto body = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "body");
            makeInfos(body);
        } else {
            std::static_pointer_cast<UILabel>(m_nothingView->viewWithTag(kNothingLabelTag))->setText("还未分配教练，请联系驾校分配教练");
            showNothing(true);
        }
    }
    STProgressHUD::dismiss();
}

void MakeCarViewController::makeInfos(const std::shared_ptr<NSDictionary>& body)
{
    auto rows = ns::arrayForKey(ns::dictionaryForKey(ns::dictionaryForKey(body, "array1"), "rowSet"), "row");
    if (!rows || rows->count() == 0) {
        showNothing(true);
        return;
    }
    showNothing(false);
    m_noPastArray->removeAllObjects();
    std::vector<std::shared_ptr<NSDictionary>> passed;
    for (NSUInteger i = 0; i < rows->count(); ++i) {
        auto row = ns::dictionaryValue(rows->objectAtIndex(i));
        if (!row)
            continue;
        const int state = ns::intValue(row->objectForKey(NSString("ISPASSDATE")));
        if (state == 0)
            m_noPastArray->addObject(row);
        else if (state == 1)
            passed.push_back(row);
    }
    const CGFloat W = m_vScrollView->bounds().size.width;
    CGFloat y = 0;
    auto card = [&](const std::shared_ptr<NSDictionary>& row, bool active, NSInteger index) {
        auto cardView = UIView::create(CGRectMake(0, y, W, 50));
        cardView->setBackgroundColor(UIColor::whiteColor());
        m_vScrollView->addSubview(cardView);
        auto colour = active ? UIColor::blackColor() : UIColor::grayColor();
        auto coach = insetLabel(CGRectMake(0, 4, W, 21), 10, 14, colour);
        coach->setText(NSString::stringWithFormat("教练 %@", ns::stringForKey(row, "COACHNAME")));
        cardView->addSubview(coach);
        const NSString date = ns::stringForKey(row, "ABOUTDATE");
        auto detail = insetLabel(CGRectMake(0, 25, W, 21), 10, 14, colour);
        detail->setText(NSString::stringWithFormat("%@ %@ %@ %@", date, BookingDay::weekdayName(date), ns::stringForKey(row, "DATETYPE"),
            ns::stringForKey(row, "ABOUTTIME")));
        cardView->addSubview(detail);
        auto image = UIImage::imageNamed(active ? "ic_make_del" : "ic_make_del_h");
        const CGSize size = image ? image->size() : CGSizeMake(24, 24);
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setImage(image, UIControlStateNormal);
        button->setImage(image, UIControlStateHighlighted);
        button->setFrame(CGRectMake(W - 10 - size.width, (50 - size.height) / 2, size.width, size.height));
        if (active) {
            button->setTag(index);
            button->addTarget(self(), &MakeCarViewController::deleteMakeEvent, UIControlEventTouchUpInside);
        }
        cardView->addSubview(button);
        m_vScrollView->addSubview(separator(y + 50, W));
        y += 50.5;
    };
    auto sectionLabel = [&](const char* title) {
        auto label = insetLabel(CGRectMake(0, y, W, 21), 15, 12, UIColor::blackColor());
        label->setText(title);
        m_vScrollView->addSubview(label);
        y += 21;
    };
    if (m_noPastArray->count() > 0) {
        sectionLabel("未过期");
        for (NSUInteger i = 0; i < m_noPastArray->count(); ++i)
            card(ns::dictionaryValue(m_noPastArray->objectAtIndex(i)), true, static_cast<NSInteger>(i));
    }
    if (!passed.empty()) {
        sectionLabel("已过期");
        for (const auto& row : passed)
            card(row, false, 0);
    }
    m_vScrollView->setContentSize(CGSizeMake(W, y + 10));
}

void MakeCarViewController::makeCarEvent(UIControl&)
{
    if (userSubject() == 1) {
        std::static_pointer_cast<UILabel>(m_nothingView->viewWithTag(kNothingLabelTag))->setText("科目一没有实操部分不能约车");
        showNothing(true);
        return;
    }
    auto coach = MakeCoachViewController::create();
    coach->setTSEMPLOYEEID(m_employeeId);
    if (auto navigation = navigationController())
        navigation->pushViewController(coach, true);
}

void MakeCarViewController::deleteMakeEvent(UIControl& sender)
{
    const NSInteger index = sender.tag();
    if (index < 0 || static_cast<NSUInteger>(index) >= m_noPastArray->count())
        return;
    m_pendingCancel = ns::dictionaryValue(m_noPastArray->objectAtIndex(static_cast<NSUInteger>(index)));
    auto alert = UIAlertView::create(NSString("提示"), NSString("确定取消该条约车信息？"), std::static_pointer_cast<UIAlertViewDelegate>(self()),
        NSString("取消"), std::vector<NSString> { "确定" });
    alert->setTag(index);
    alert->show();
}

void MakeCarViewController::alertViewClickedButtonAtIndex(UIAlertView&, NSInteger buttonIndex)
{
    auto booking = std::move(m_pendingCancel);
    m_pendingCancel = nullptr;
    if (buttonIndex != 1 || !booking)
        return;
    STProgressHUD::show();
    RequestFields fields;
    fields.set("METHOD", "updateSchedueMethod")
        .required("ABOUTID", booking->objectForKey(NSString("ABOUTID")))
        .required("ABOUTINFOID", booking->objectForKey(NSString("ABOUTINFOID")));
    // A booking the service sent without its ids cannot be cancelled.
    if (!fields.complete())
        return STProgressHUD::dismissWithError("取消约车失败!", 1.0);
    std::weak_ptr<MakeCarViewController> weakSelf = self();
    m_httpService->httpRequestDict(
        [weakSelf](const id& reply) {
            const auto code = ServiceReply::mainServiceCode(reply);
            if (!code || *code != 0) {
                STProgressHUD::dismissWithError("取消约车失败!", 1.0);
                return;
            }
            STProgressHUD::dismissWithSuccess("取消约车成功!", 1.0);
            if (auto protectedSelf = weakSelf.lock()) {
                DelayedPerform::performSelector(protectedSelf, "loadData", nullptr, 1.0, [weakSelf] {
                    if (auto screen = weakSelf.lock())
                        screen->loadData();
                });
            }
        },
        [](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            STProgressHUD::dismissWithError("取消约车失败!", 1.0);
        },
        kDistribute, nullptr, fields.dictionary());
}
