#include "app/screens/settings/SetupViewController.h"

#include "app/records/AppealResultViewController.h"
#include "app/records/MyMessageViewController.h"
#include "app/screens/base/InsetsLabel.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/settings/AboutViewController.h"
#include "app/screens/settings/MyInfoViewController.h"
#include "app/screens/settings/PasswordViewController.h"
#include "app/screens/settings/SettingsLayout.h"
#include "app/stores/UserManager.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"

using namespace SettingsLayout;

std::shared_ptr<UIButton> SetupViewController::rowButton(CGRect frame, Action action)
{
    auto row = UIButton::buttonWithType(UIButtonTypeCustom);
    row->setFrame(frame);
    row->setBackgroundImage(stretchableImageNamed("unchick_bg", 20), UIControlStateNormal);
    row->setBackgroundImage(stretchableImageNamed("click_bg", 20), UIControlStateHighlighted);
    row->addTarget(self(), action, UIControlEventTouchUpInside);
    m_vScrollView->addSubview(row);
    m_rows.push_back(row);
    return row;
}

std::shared_ptr<UIButton> SetupViewController::addRow(CGFloat y, const NSString& icon, const NSString& text, Action action)
{
    const CGFloat width = view()->bounds().size.width;
    auto row = rowButton(CGRectMake(0, y, width, 44), action);
    auto image = UIImage::imageNamed(icon);
    const CGSize size = image ? image->size() : CGSizeMake(24, 24);
    auto iconView = UIImageView::create(CGRectMake(10, (44 - size.height) / 2, size.width, size.height));
    iconView->setImage(image);
    row->addSubview(iconView);
    const CGFloat iconRight = CGRectGetMaxX(iconView->frame());
    row->addSubview(plainLabel<InsetsLabel>(CGRectMake(iconRight, (44 - 21) / 2.0, width - iconRight, 21), text, 16, UIColor::grayColor(),
        UIColor::clearColor(), UIEdgeInsetsMake(0, 15, 0, 0)));
    arrowIn(row);
    return row;
}

CGFloat SetupViewController::addHeader(CGFloat y)
{
    auto header = sectionHeader(CGRectMake(0, y, view()->bounds().size.width, 44), "设置", (44 - 21) / 2.0);
    m_vScrollView->addSubview(header);
    return separatorBelow(m_vScrollView, *header);
}

void SetupViewController::addLogoutBelow(CGFloat y)
{
    auto logout = addRow(y + 30, "m_ico14", "退出登录", &SetupViewController::logoutEvent);
    m_vScrollView->setContentSize(CGSizeMake(view()->bounds().size.width, CGRectGetMaxY(logout->frame()) + 10));
}

void SetupViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "设置");
    setAutomaticallyAdjustsScrollViewInsets(false);
    m_vScrollView = scrollerBelowBar(*this);

    auto card = rowButton(CGRectMake(0, 0, view()->bounds().size.width, 70), &SetupViewController::myInfoBtnEvent);
    m_photoView = UIImageView::create(CGRectMake(10, 5, 60, 60));
    m_photoView->setImage(imageNamedForSize("img_gr", m_photoView->frame().size));
    card->addSubview(m_photoView);
    auto arrow = arrowIn(card);
    auto user = currentUser();
    card->addSubview(plainLabel<InsetsLabel>(
        CGRectMake(CGRectGetMaxX(m_photoView->frame()), (70 - 21) / 2.0, arrow->frame().origin.x - 10 - 60, 21),
        user ? user->name() : NSString(), 16, UIColor::grayColor(), UIColor::clearColor(), UIEdgeInsetsMake(0, 10, 0, 0)));

    CGFloat y = addHeader(CGRectGetMaxY(card->frame()) + 10);
    y = separatorBelow(m_vScrollView, *addRow(y, "m_ico10", "修改密码", &SetupViewController::updatePwdEvent));
    y = separatorBelow(m_vScrollView, *addRow(y, "m_ico11", "关于系统", &SetupViewController::aboutEvent));
    addLogoutBelow(CGRectGetMaxY(addRow(y, "m_ico13", "我的消息", &SetupViewController::myMessageEvent)->frame()));
    loadPhoto(m_photoView, m_photoView->image(), user ? user->urlImg() : NSString());
}

void SetupViewController::myInfoBtnEvent(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(MyInfoViewController::create(), true);
}

void SetupViewController::updatePwdEvent(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(PasswordViewController::create(), true);
}

void SetupViewController::aboutEvent(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(AboutViewController::create(), true);
}

void SetupViewController::myMessageEvent(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(MyMessageViewController::create(), true);
}

void SetupViewController::appealQueryEvent(UIControl&)
{
    if (auto navigation = navigationController())
        navigation->pushViewController(AppealResultViewController::create(), true);
}

void SetupViewController::logoutEvent(UIControl&)
{
    auto alert = UIAlertView::create(NSString(""), NSString("是否退出当前帐号"),
        std::static_pointer_cast<UIAlertViewDelegate>(self()), NSString("取消"),
        std::vector<NSString> { "确定" });
    alert->setTag(kLogoutAlertTag);
    alert->show();
}

void SetupViewController::upgradeEvent(UIControl&)
{
    const NSString local = NSString::stringWithFormat("V%@", shortVersion());
    auto user = currentUser();
    std::shared_ptr<UIAlertView> alert;
    if (!user || local.isEqualToString(user->version())) {
        alert = UIAlertView::create(NSString(""), NSString("当前已经是最新版本"), nullptr, NSString("确定"), std::vector<NSString> {});
    } else {
        alert = UIAlertView::create(NSString("发现新版本"), user->updateContent(),
            std::static_pointer_cast<UIAlertViewDelegate>(self()), NSString("下次提醒"),
            std::vector<NSString> { "更新" });
        alert->setTag(kVersionAlertTag);
    }
    alert->show();
}

void SetupViewController::alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex)
{
    if (alert.tag() == kLogoutAlertTag && buttonIndex == alert.firstOtherButtonIndex()) {
        UserManager::shareInstance()->deleteLoginInfo();
        if (postsCleanLoginInfo())
            NSNotificationCenter::defaultCenter()->postNotificationName("brenlow_clean_loginInfo", nullptr);
        if (auto navigation = navigationController())
            navigation->popToRootViewControllerAnimated(false);
    } else if (alert.tag() == kVersionAlertTag && buttonIndex != 0) {
        auto user = currentUser();
        if (auto url = user ? NSURL::URLWithString(user->downLoadUrl()) : nullptr)
            UIApplication::sharedApplication()->openURL(url);
    }
}
