#include "app/training/MakeCoachViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/services/RequestFields.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/session/Constant.h"
#include "app/session/User.h"
#include "app/training/BookingDay.h"
#include "library/network/images/RIImageManager.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";
constexpr CGFloat kRowHeight = 40;

std::shared_ptr<User> currentUser()
{
    auto delegate = AppDelegate::shared();
    return delegate ? delegate->user() : nullptr;
}

std::shared_ptr<UILabel> plainLabel(CGRect frame, CGFloat size, const UIColorRef& colour, const NSString& text)
{
    auto label = UILabel::create(frame);
    label->setFont(UIFont::systemFontOfSize(size));
    label->setTextColor(colour);
    label->setText(text);
    return label;
}

} // namespace

MakeCoachViewController::~MakeCoachViewController()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(static_cast<const NSObject*>(this));
}

void MakeCoachViewController::loadView()
{
    NoXibViewController::loadView();
    auto root = view();
    root->setBackgroundColor(UIColor_Addition::colorWithHexString("f6f6f6"));
    root->setClipsToBounds(true);
    setNaviBarRightBtn(nullptr);
    setNaviBarTitle("我要约车");
    const CGFloat W = root->bounds().size.width;
    const CGFloat H = root->bounds().size.height;
    const CGFloat top = getNaviBarRect().size.height;
    auto user = currentUser();

    auto card = UIView::create(CGRectMake(0, top, W, 130));
    card->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(card);
    m_iconView = UIImageView::create(CGRectMake(10, 15, 100, 100));
    m_iconView->setImage(UIImage::imageNamed("img_jl"));
    card->addSubview(m_iconView);
    m_nameLabel = plainLabel(CGRectMake(120, 15, 20, 21), 16, UIColor::blackColor(), "   ");
    m_nameLabel->sizeToFit();
    m_nameLabel->setFrame(CGRectMake(120, 15, m_nameLabel->bounds().size.width, 21));
    card->addSubview(m_nameLabel);
    const CGFloat nameEnd = CGRectGetMaxX(m_nameLabel->frame());
    m_kmLab = plainLabel(CGRectMake(nameEnd, 17, W - 10 - nameEnd, 21), 13, UIColor::blackColor(), "   ");
    card->addSubview(m_kmLab);
    auto school = plainLabel(CGRectMake(120, 15 + 21 + 5, W - 130, 21), 15, UIColor::blackColor(),
        NSString::stringWithFormat("驾校: %@", user ? user->epName() : NSString("")));
    card->addSubview(school);
    const CGFloat memoY = CGRectGetMaxY(school->frame());
    m_memoScrollView = UIScrollView::create(CGRectMake(120, memoY, W - 130, 130 - memoY - 5));
    card->addSubview(m_memoScrollView);
    m_memoLabel = VerticalAlignmentLabel::create(m_memoScrollView->bounds());
    m_memoLabel->setVerticalAlignment(VerticalAlignmentTop);
    m_memoLabel->setNumberOfLines(0);
    m_memoLabel->setLineBreakMode(NSLineBreakByWordWrapping);
    m_memoLabel->setTextColor(UIColor::grayColor());
    m_memoLabel->setFont(UIFont::systemFontOfSize(13));
    m_memoLabel->setText("暂无教练简介");
    m_memoScrollView->addSubview(m_memoLabel);

    const CGFloat dayY = top + 130 + 10;
    auto dayBar = UIView::create(CGRectMake(0, dayY, W, 40));
    dayBar->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(dayBar);
    const CGFloat third = W / 3;
    auto dayButton = [&](const char* title, CGFloat x, void (MakeCoachViewController::*action)(UIControl&)) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(x, 0, third, 40));
        button->setBackgroundImage(stretchableImageNamed("cv_adm_login", 10), UIControlStateNormal);
        button->setBackgroundImage(stretchableImageNamed("cv_adm_login_h", 10), UIControlStateHighlighted);
        button->setTitle(title, UIControlStateNormal);
        button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        button->titleLabel()->setFont(UIFont::systemFontOfSize(16));
        button->addTarget(self(), action, UIControlEventTouchUpInside);
        dayBar->addSubview(button);
    };
    dayButton("上一天", 0, &MakeCoachViewController::preEvent);
    m_dateLabel = plainLabel(CGRectMake(third, 0, third, 40), 14, UIColor_Addition::colorWithHexString("87ceeb"), BookingDay::today());
    m_dateLabel->setTextAlignment(NSTextAlignmentCenter);
    dayBar->addSubview(m_dateLabel);
    dayButton("下一天", third * 2, &MakeCoachViewController::nextEvent);

    const CGFloat listY = dayY + 40;
    m_nothingView = UIView::create(CGRectMake(0, listY, W, 50));
    m_nothingView->setBackgroundColor(UIColor::whiteColor());
    auto nothing = plainLabel(CGRectMake(0, (50 - 21) / 2, W, 21), 17, UIColor::blackColor(), "暂无排班信息");
    nothing->setTag(99);
    nothing->setTextAlignment(NSTextAlignmentCenter);
    m_nothingView->addSubview(nothing);
    m_nothingView->setHidden(true);
    root->addSubview(m_nothingView);

    auto save = UIButton::buttonWithType(UIButtonTypeCustom);
    save->setFrame(CGRectMake(20, H - 50, W - 40, 40));
    save->setBackgroundImage(stretchableImageNamed("bt_blu", 20), UIControlStateNormal);
    save->setBackgroundImage(stretchableImageNamed("bt_red", 20), UIControlStateHighlighted);
    save->setTitle("确定", UIControlStateNormal);
    save->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    save->titleLabel()->setFont(UIFont::systemFontOfSize(20));
    save->addTarget(self(), &MakeCoachViewController::saveEvent, UIControlEventTouchUpInside);
    root->addSubview(save);

    m_vScrollView = UIScrollView::create(CGRectMake(0, listY, W, H - 50 - 10 - listY));
    m_vScrollView->setBackgroundColor(UIColor::whiteColor());
    m_vScrollView->setShowsVerticalScrollIndicator(false);
    m_vScrollView->setShowsHorizontalScrollIndicator(false);
    root->addSubview(m_vScrollView);
}

void MakeCoachViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_ids.clear();
    m_httpService = HttpService::create();
    loadSchedul();
}

void MakeCoachViewController::showNothing(bool show)
{
    m_nothingView->setHidden(!show);
    m_vScrollView->setHidden(show);
}

void MakeCoachViewController::loadSchedul()
{
    if (!ServerUrlManger::networkIsValid()) {
        showNothing(true);
        return;
    }
    auto user = currentUser();
    STProgressHUD::showInView(view());
    RequestFields fields;
    fields.set("METHOD", "checkSchedueMethod")
        .required("SUBJECT", user ? id(user->subject()) : nullptr)
        .required("PERDRITYPE", user ? id(user->carType()) : nullptr)
        .set("ABOUTDATE", m_dateLabel->text());
    // A login row without the learner's subject or class names no schedule to ask for.
    if (!fields.complete()) {
        STProgressHUD::dismissWithError("服务器忙，请稍候再试！", 1.0);
        showNothing(true);
        return;
    }
    std::weak_ptr<MakeCoachViewController> weakSelf = self();
    const NSString day = m_dateLabel->text();
    m_httpService->httpRequestDict(
        [weakSelf, day](const id& reply) {
            auto protectedSelf = weakSelf.lock();
            // The learner has moved on to another day meanwhile: that day's reply is the one to show.
            if (protectedSelf && protectedSelf->m_dateLabel->text() == day)
                protectedSelf->scheduleReply(reply);
        },
        [weakSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            NSLog("查询排班信息失败");
            STProgressHUD::dismiss();
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->showNothing(true);
        },
        kDistribute, nullptr, fields.dictionary());
}

void MakeCoachViewController::scheduleReply(const id& reply)
{
    STProgressHUD::dismiss();
    const auto code = ServiceReply::mainServiceCode(reply);
    if (!code) {
        NSLog("查询排班信息失败!");
        showNothing(true);
        return;
    }
    if (*code != 0) {
        auto head = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "head");
        NSLog("%@", ns::stringForKey(head, "retDesc"));
        showNothing(true);
        return;
    }
    auto coach = ServiceReply::rows(reply, "array0");
    if (coach && coach->count() > 0) {
        m_coachDict = ns::dictionaryValue(coach->objectAtIndex(0));
        const CGFloat W = view()->bounds().size.width;
        m_nameLabel->setText(ns::stringForKey(m_coachDict, "NAME"));
        m_nameLabel->sizeToFit();
        const CGFloat nameWidth = std::min(m_nameLabel->bounds().size.width, W);
        m_nameLabel->setFrame(CGRectMake(120, 15, nameWidth, 21));
        m_kmLab->setText(NSString::stringWithFormat("(%@实操教练)", Constant::getSubjectName(ns::stringForKey(m_coachDict, "SUBJECT"))));
        m_kmLab->setFrame(CGRectMake(120 + nameWidth, 17, std::max<CGFloat>(0, W - 10 - 120 - nameWidth), 21));
        std::weak_ptr<UIImageView> weakIcon = m_iconView;
        RIImageManager::sharedManager()->downloadImageWithURL(NSURL::URLWithString(ns::stringForKey(m_coachDict, "IMGURL")), 0, nullptr,
            [weakIcon](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType, bool, const std::shared_ptr<NSURL>&) {
                if (auto icon = weakIcon.lock())
                    icon->setImage(image ? image : UIImage::imageNamed("img_jl"));
            });
    }
    auto slots = ServiceReply::rows(reply, "array1");
    if (slots && slots->count() > 0) {
        m_aboutArray = slots;
        auto booked = ServiceReply::rows(reply, "array2");
        if (booked && booked->count() > 0)
            m_makeArray = booked;
        showNothing(false);
        showAbout();
    } else {
        showNothing(true);
    }
}

void MakeCoachViewController::showAbout()
{
    for (const auto& subview : std::vector<UIViewRef>(m_vScrollView->subviews()))
        subview->removeFromSuperview();
    const CGFloat W = m_vScrollView->bounds().size.width;
    CGFloat y = 0;
    auto unchecked = UIImage::imageNamed("btn_check_off");
    const CGSize imageSize = unchecked ? unchecked->size() : CGSizeMake(22, 22);
    for (NSUInteger i = 0; m_aboutArray && i < m_aboutArray->count(); ++i) {
        auto slot = ns::dictionaryValue(m_aboutArray->objectAtIndex(i));
        auto row = UIButton::buttonWithType(UIButtonTypeCustom);
        row->setFrame(CGRectMake(0, y, W, kRowHeight));
        row->setBackgroundColor(UIColor::whiteColor());
        row->setImage(unchecked, UIControlStateNormal);
        row->setAdjustsImageWhenHighlighted(false);
        const NSString title = NSString::stringWithFormat("%@ %@ 剩余名额【%@】", ns::stringForKey(slot, "DATETYPE"),
            ns::stringForKey(slot, "ABOUTTIME"), ns::stringForKey(slot, "ABOUTNUM"));
        row->setTitle(title, UIControlStateNormal);
        const bool passed = ns::stringForKey(slot, "ISPASSDATE") == NSString("1");
        row->setTitleColor(passed ? UIColor::colorWithRed(102 / 255.0, 102 / 255.0, 102 / 255.0, 1) : UIColor_Addition::colorWithHexString("00bebe"),
            UIControlStateNormal);
        row->titleLabel()->setFont(UIFont::systemFontOfSize(15));
        // Image and title are laid side by side from the left: the title steps back over the
        // image's width to start at the row's left, the image moves to 10 points from its right.
        row->setContentHorizontalAlignment(UIControlContentHorizontalAlignmentLeft);
        row->setTitleEdgeInsets(UIEdgeInsetsMake(0, -imageSize.width, 0, 0));
        row->setImageEdgeInsets(UIEdgeInsetsMake((kRowHeight - imageSize.height) / 2, W - 10 - imageSize.width, (kRowHeight - imageSize.height) / 2, 10));
        row->setTag(static_cast<NSInteger>(i));
        row->addTarget(self(), &MakeCoachViewController::aboutBtnEvent, UIControlEventTouchUpInside);
        m_vScrollView->addSubview(row);
        auto line = UIView::create(CGRectMake(0, y + kRowHeight, W, 0.5));
        line->setBackgroundColor(UIColor::lightGrayColor());
        m_vScrollView->addSubview(line);
        const NSString slotId = ns::stringForKey(slot, "ABOUTID");
        if (std::find(m_ids.begin(), m_ids.end(), slotId) != m_ids.end())
            row->setImage(UIImage::imageNamed("btn_check_on"), UIControlStateNormal);
        y += kRowHeight + 0.5;
    }
    m_vScrollView->setContentSize(CGSizeMake(W, y + 10));
}

void MakeCoachViewController::aboutBtnEvent(UIControl& sender)
{
    if (!m_aboutArray || sender.tag() < 0 || static_cast<NSUInteger>(sender.tag()) >= m_aboutArray->count())
        return;
    auto slot = ns::dictionaryValue(m_aboutArray->objectAtIndex(static_cast<NSUInteger>(sender.tag())));
    if (ns::stringForKey(slot, "ISPASSDATE") == NSString("1")) {
        Toast::makeToast(view(), "排班已过期", 1.0, NSString("center"));
        return;
    }
    const NSString slotId = ns::stringForKey(slot, "ABOUTID");
    // A slot the service sent without its id cannot be booked; chosen, it would spoil the booking
    // of the good slots chosen with it.
    if (slotId.isNil() || slotId.length() == 0) {
        Toast::makeToast(view(), "服务器忙，请稍候再试！", 1.0, NSString("center"));
        return;
    }
    for (NSUInteger i = 0; m_makeArray && i < m_makeArray->count(); ++i) {
        if (ns::stringForKey(ns::dictionaryValue(m_makeArray->objectAtIndex(i)), "ABOUTID") == slotId) {
            Toast::makeToast(view(), "已选择该排班", 1.0, NSString("center"));
            return;
        }
    }
    auto& button = static_cast<UIButton&>(sender);
    auto found = std::find(m_ids.begin(), m_ids.end(), slotId);
    if (found != m_ids.end()) {
        m_ids.erase(found);
        button.setImage(UIImage::imageNamed("btn_check_off"), UIControlStateNormal);
    } else {
        m_ids.push_back(slotId);
        button.setImage(UIImage::imageNamed("btn_check_on"), UIControlStateNormal);
    }
}

void MakeCoachViewController::moveDay(const NSString& day)
{
    if (day.isNil())
        return;
    m_dateLabel->setText(day);
    m_ids.clear();
    loadSchedul();
}

void MakeCoachViewController::preEvent(UIControl&)
{
    moveDay(BookingDay::previous(m_dateLabel->text()));
}

void MakeCoachViewController::nextEvent(UIControl&)
{
    moveDay(BookingDay::next(m_dateLabel->text()));
}

void MakeCoachViewController::saveEvent(UIControl&)
{
    if (m_ids.empty()) {
        Toast::makeToast(view(), "请选择排班", 1.0, NSString("center"));
        return;
    }
    if (!m_coachDict) {
        Toast::makeToast(view(), "正在读取教练信息，请稍候", 1.0, NSString("center"));
        return;
    }
    std::vector<id> ids;
    std::vector<id> times;
    id branum = NSString("");
    for (NSUInteger i = 0; m_aboutArray && i < m_aboutArray->count(); ++i) {
        auto slot = ns::dictionaryValue(m_aboutArray->objectAtIndex(i));
        const NSString slotId = ns::stringForKey(slot, "ABOUTID");
        if (std::find(m_ids.begin(), m_ids.end(), slotId) == m_ids.end())
            continue;
        ids.push_back(slotId);
        times.push_back(slot->objectForKey(NSString("ABOUTTIME")));
        branum = slot->objectForKey(NSString("BRANUM"));
    }
    auto user = currentUser();
    RequestFields fields;
    fields.set("METHOD", "saveSchedueMethod")
        .requiredList("ABOUTIDS", ids)
        .requiredList("ABOUTTIME", times)
        .set("ABOUTDATE", m_dateLabel->text())
        .orEmpty("COACHNAME", m_nameLabel->text())
        .orEmpty("SUBJECT", m_coachDict->objectForKey(NSString("SUBJECT")))
        .required("PERDRITYPE", user ? id(user->carType()) : nullptr)
        .orEmpty("BRANUM", branum)
        .required("TSEMPLOYEEID", m_coachDict->objectForKey(NSString("TSEMPLOYEEID")));
    // A slot or coach the service sent without what the booking names cannot be booked.
    if (!fields.complete()) {
        STProgressHUD::show();
        STProgressHUD::dismissWithError("约车失败!", 1.0);
        return;
    }
    STProgressHUD::show();
    std::weak_ptr<MakeCoachViewController> weakSelf = self();
    m_httpService->httpRequestDict(
        [weakSelf](const id& reply) {
            const auto code = ServiceReply::mainServiceCode(reply);
            if (!code) {
                STProgressHUD::dismissWithError("约车失败!", 1.0);
                return;
            }
            if (*code != 0) {
                auto head = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "head");
                STProgressHUD::dismissWithError(ns::stringForKey(head, "retDesc"), 1.0);
                return;
            }
            STProgressHUD::dismissWithSuccess("约车成功!", 1.0);
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf)
                return;
            protectedSelf->m_ids.clear();
            DelayedPerform::performSelector(protectedSelf, "loadSchedul", nullptr, 1.0, [weakSelf] {
                if (auto screen = weakSelf.lock())
                    screen->loadSchedul();
            });
        },
        [](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            STProgressHUD::dismissWithError("约车失败", 1.0);
        },
        kDistribute, nullptr, fields.dictionary());
}
