#include "app/screens/SettingsViewControllers.h"

#include "app/Constant.h"
#include "app/ServerUrlManger.h"
#include "app/ServiceReply.h"
#include "app/UIColor_Addition.h"
#include "app/UserManager.h"
#include "app/screens/AppDelegate.h"
#include "library/network/RIImageViewCategories.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIImage.h"

using UIColor_Addition::colorWithHexString;

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";

std::shared_ptr<User> currentUser()
{
    auto delegate = ParentViewController::appDelegate<AppDelegate>();
    return delegate ? delegate->user() : nullptr;
}

// Every screen here: the grey background, clipped, the bar with its title and no right button.
void prepareScreen(ParentViewController& screen, const NSString& title)
{
    auto view = screen.view();
    view->setBackgroundColor(colorWithHexString("f6f6f6"));
    view->setClipsToBounds(true);
    screen.m_viewNaviBar()->setRightBtn(nullptr);
    screen.m_viewNaviBar()->setTitle(title);
}

// A clear scroller without indicators filling the view below the bar.
std::shared_ptr<UIScrollView> scrollerBelowBar(ParentViewController& screen)
{
    auto view = screen.view();
    const CGFloat y0 = screen.getNaviBarRect().size.height;
    auto scroller = UIScrollView::create(CGRectMake(0, y0, view->bounds().size.width, view->bounds().size.height - y0));
    scroller->setBackgroundColor(UIColor::clearColor());
    scroller->setShowsVerticalScrollIndicator(false);
    scroller->setShowsHorizontalScrollIndicator(false);
    view->addSubview(scroller);
    return scroller;
}

// A half-point grey line along the bottom of the view; answers the line's bottom.
CGFloat separatorBelow(const std::shared_ptr<UIView>& parent, const UIView& above)
{
    auto line = UIView::create(CGRectMake(0, CGRectGetMaxY(above.frame()), above.frame().size.width, 0.5));
    line->setBackgroundColor(UIColor::lightGrayColor());
    parent->addSubview(line);
    return CGRectGetMaxY(line->frame());
}

template <class Label = UILabel, class... Extra>
std::shared_ptr<Label> plainLabel(CGRect frame, const NSString& text, CGFloat fontSize, const UIColorRef& color, const UIColorRef& background,
    Extra&&... extra)
{
    auto label = Label::create(frame, std::forward<Extra>(extra)...);
    label->setBackgroundColor(background);
    label->setFont(UIFont::systemFontOfSize(fontSize));
    label->setTextColor(color);
    label->setText(text);
    return label;
}

// The white section header with the red marker at its left edge.
std::shared_ptr<UIView> sectionHeader(CGRect frame, const NSString& text, CGFloat labelY)
{
    auto header = UIView::create(frame);
    header->setBackgroundColor(UIColor::whiteColor());
    header->addSubview(plainLabel<InsetsLabel>(CGRectMake(0, labelY, frame.size.width, 21), text, 16, UIColor::blackColor(),
        UIColor::whiteColor(), UIEdgeInsetsMake(0, 20, 0, 0)));
    auto marker = UILabel::create(CGRectMake(0, 0, 15, frame.size.height));
    marker->setBackgroundColor(colorWithHexString("e66444"));
    header->addSubview(marker);
    return header;
}

std::shared_ptr<UIImageView> arrowIn(const std::shared_ptr<UIView>& row)
{
    auto arrow = UIImage::imageNamed("ico_rig");
    const CGSize size = arrow ? arrow->size() : CGSizeMake(10, 16);
    auto view = UIImageView::create(CGRectMake(row->frame().size.width - 10 - size.width, (row->frame().size.height - size.height) / 2,
        size.width, size.height));
    view->setImage(arrow);
    row->addSubview(view);
    return view;
}

NSString shortVersion()
{
    return ns::stringValue(NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleShortVersionString"));
}

} // namespace

void loadPhoto(const std::shared_ptr<UIImageView>& imageView, const UIImageRef& placeholder, const NSString& urlText)
{
    auto url = urlText.length() ? NSURL::URLWithString(urlText) : nullptr;
    UIImageView_RemoteImage::sd_setImageWithURL(imageView, url, placeholder, 0, nullptr,
        [weakView = std::weak_ptr<UIImageView>(imageView)](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType,
            const std::shared_ptr<NSURL>&) {
            auto view = weakView.lock();
            if (view && !image)
                view->setImage(UIImage::imageNamed("img_gr"));
        });
}

// MARK: Learner settings

std::shared_ptr<UIButton> SetupViewController::rowButton(CGRect frame, Action action)
{
    auto row = UIButton::buttonWithType(UIButtonTypeCustom);
    row->setFrame(frame);
    row->setBackgroundImage(stretchableImageNamed("unchick_bg", 20), UIControlStateNormal);
    row->setBackgroundImage(stretchableImageNamed("click_bg", 20), UIControlStateHighlighted);
    row->addTarget(std::static_pointer_cast<SetupViewController>(self()), action, UIControlEventTouchUpInside);
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

void SetupViewController::addLogoutBelow(const UIView& row)
{
    auto logout = addRow(CGRectGetMaxY(row.frame()) + 30, "m_ico14", "退出登录", &SetupViewController::logoutEvent);
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
    addLogoutBelow(*addRow(y, "m_ico13", "我的消息", &SetupViewController::myMessageEvent));
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

// FIXME: the messages screen comes with the notice list; this row pushes it once it exists.
void SetupViewController::myMessageEvent(UIControl&) { }

void SetupViewController::logoutEvent(UIControl&)
{
    auto alert = UIAlertView::create(NSString(""), NSString("是否退出当前帐号"),
        std::static_pointer_cast<UIAlertViewDelegate>(std::static_pointer_cast<SetupViewController>(self())), NSString("取消"),
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
            std::static_pointer_cast<UIAlertViewDelegate>(std::static_pointer_cast<SetupViewController>(self())), NSString("下次提醒"),
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

// MARK: Officer settings

void AdminSetupViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "设置");
    m_vScrollView = scrollerBelowBar(*this);
    auto about = addRow(addHeader(0), "m_ico11", "关于系统", &SetupViewController::aboutEvent);
    separatorBelow(m_vScrollView, *about);
    addLogoutBelow(*about);
}

// MARK: Password change

void PasswordViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "密码修改");
    auto view = this->view();
    const CGFloat y0 = getNaviBarRect().size.height;
    const CGFloat width = view->bounds().size.width;
    auto header = sectionHeader(CGRectMake(0, y0 + 10, width, 40), "密码修改", (40 - 21) / 2.0);
    view->addSubview(header);

    const CGSize captionSize = UIStringDrawing::sizeWithFont("身份证号:", UIFont::systemFontOfSize(16), CGSizeMake(width, 21), NSLineBreakByWordWrapping);
    auto caption = [&](const std::shared_ptr<UIView>& row, const NSString& text) {
        row->addSubview(plainLabel(CGRectMake(25, (45 - 21) / 2.0, captionSize.width, 21), text, 16, UIColor::grayColor(), UIColor::whiteColor()));
    };
    CGFloat y = CGRectGetMaxY(header->frame());
    auto makeRow = [&] {
        auto row = UIView::create(CGRectMake(0, y + 2, width, 45));
        row->setBackgroundColor(UIColor::whiteColor());
        view->addSubview(row);
        y = CGRectGetMaxY(row->frame());
        return row;
    };
    const CGFloat valueX = 25 + captionSize.width + 10;
    const CGFloat valueWidth = width - 25 - captionSize.width - 20;
    auto cardRow = makeRow();
    caption(cardRow, "身份证号:");
    auto user = currentUser();
    cardRow->addSubview(plainLabel(CGRectMake(valueX, (45 - 21) / 2.0, valueWidth, 21), user ? user->cardNo() : NSString(), 15,
        UIColor::grayColor(), UIColor::clearColor()));

    auto me = std::static_pointer_cast<PasswordViewController>(self());
    auto field = [&](const NSString& text, const NSString& placeholder, UIReturnKeyType returnKey) {
        auto row = makeRow();
        caption(row, text);
        auto input = UITextField::create(CGRectMake(valueX, (45 - 30) / 2.0, valueWidth, 30));
        input->setDelegate(std::static_pointer_cast<UITextFieldDelegate>(me));
        input->setTextColor(UIColor::grayColor());
        input->setBorderStyle(UITextBorderStyle::None);
        input->setClearButtonMode(UITextFieldViewMode::WhileEditing);
        input->setContentVerticalAlignment(UIControlContentVerticalAlignmentCenter);
        input->setSecureTextEntry(true);
        input->setFont(UIFont::systemFontOfSize(14));
        input->setPlaceholder(placeholder);
        input->setReturnKeyType(returnKey);
        row->addSubview(input);
        return input;
    };
    m_oldPwd = field("原始密码:", "请输入旧密码", UIReturnKeyType::Next);
    m_newPwd = field("最新密码:", "请设置5~16位新密码", UIReturnKeyType::Next);
    m_newPwd2 = field("确认密码:", "请再次输入新密码", UIReturnKeyType::Done);

    m_saveButton = UIButton::buttonWithType(UIButtonTypeCustom);
    m_saveButton->setFrame(CGRectMake(20, y + 20, width - 40, 40));
    m_saveButton->setBackgroundImage(stretchableImageNamed("bt_blu", 20), UIControlStateNormal);
    m_saveButton->setBackgroundImage(stretchableImageNamed("bt_red", 20), UIControlStateHighlighted);
    m_saveButton->setTitle("确认修改", UIControlStateNormal);
    m_saveButton->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    m_saveButton->titleLabel()->setFont(UIFont::systemFontOfSize(20));
    m_saveButton->addTarget(me, &PasswordViewController::saveEvent, UIControlEventTouchUpInside);
    view->addSubview(m_saveButton);
}

void PasswordViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpService::create();
}

std::optional<bool> PasswordViewController::textFieldShouldReturn(UITextField& field)
{
    if (&field == m_oldPwd.get())
        m_newPwd->becomeFirstResponder();
    else if (&field == m_newPwd.get())
        m_newPwd2->becomeFirstResponder();
    else if (&field == m_newPwd2.get())
        m_newPwd2->resignFirstResponder();
    return true;
}

void PasswordViewController::saveEvent(UIControl&)
{
    if (m_saving || !ServerUrlManger::networkIsValid())
        return;
    NSString problem;
    if (m_oldPwd->text().length() == 0)
        problem = m_oldPwd->placeholder();
    else if (m_newPwd->text().length() == 0)
        problem = m_newPwd->placeholder();
    else if (m_newPwd2->text().length() == 0)
        problem = m_newPwd2->placeholder();
    else if (!m_newPwd->text().isEqualToString(m_newPwd2->text()))
        problem = "两次输入的密码不一至！";
    else if (m_newPwd->text().isEqualToString(m_oldPwd->text()))
        problem = "新密码和旧密码不能一样！";
    if (problem.length()) {
        Toast::makeToast(view(), problem, 1.0, NSString("center"));
        return;
    }
    auto fields = ns::mutableDictionary({ { "METHOD", NSString("updatePwdMethod") }, { "OLDPASSWRD", m_oldPwd->text() },
        { "NEWPASSWRD", m_newPwd2->text() } });
    STProgressHUD::show();
    m_saving = true;
    auto me = std::static_pointer_cast<PasswordViewController>(self());
    m_httpService->httpRequestDict(
        [me](const id& reply) {
            me->m_saving = false;
            me->saveReply(reply);
        },
        [me](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            me->m_saving = false;
            STProgressHUD::dismissWithError("修改密码失败!", 1.0);
        },
        kDistribute, nullptr, fields);
}

void PasswordViewController::saveReply(const id& reply)
{
    const auto code = ServiceReply::mainServiceCode(reply);
    if (!code)
        return STProgressHUD::dismissWithError("修改密码失败!", 1.0);
    if (*code != 0) {
        auto head = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "head");
        return STProgressHUD::dismissWithError(ns::stringForKey(head, "retDesc"), 1.0);
    }
    STProgressHUD::dismissWithSuccess("修改密码成功!", 1.0);
    const NSString password = m_newPwd2->text();
    if (auto user = currentUser())
        user->setPassword(password);
    UserManager::shareInstance()->updatePassword(password);
    if (auto navigation = navigationController())
        navigation->popViewControllerAnimated(true);
}

// MARK: Personal data

void MyInfoViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "个人信息");
    setAutomaticallyAdjustsScrollViewInsets(false);
    m_vScrollView = scrollerBelowBar(*this);
    const CGFloat width = view()->bounds().size.width;

    auto user = currentUser();
    auto label = [](CGRect frame, const NSString& text, CGFloat size, const UIColorRef& color, const UIColorRef& background) {
        return plainLabel(frame, text, size, color, background);
    };
    auto card = UIView::create(CGRectMake(0, 0, width, 130));
    card->setBackgroundColor(UIColor::whiteColor());
    m_photoView = UIImageView::create(CGRectMake(15, 20, 90, 90));
    card->addSubview(m_photoView);
    card->addSubview(label(CGRectMake(CGRectGetMaxX(m_photoView->frame()) + 20, (130 - 21) / 2.0, 90, 21), user ? user->name() : NSString(), 17,
        UIColor::grayColor(), UIColor::clearColor()));
    auto dash = label(CGRectMake(width - 40, (130 - 21) / 2.0, 40, 21), "一", 14, UIColor::grayColor(), UIColor::clearColor());
    dash->setTextAlignment(NSTextAlignmentCenter);
    card->addSubview(dash);
    m_vScrollView->addSubview(card);

    auto header = sectionHeader(CGRectMake(0, 140, width, 45), "我的资料", (45 - 21) / 2.0);
    m_vScrollView->addSubview(header);

    const std::pair<const char*, NSString> rows[] = {
        { "学号", user ? user->userCode() : NSString() },
        { "报考车型", user ? user->carType() : NSString() },
        { "报考日期", user ? user->admissionDate() : NSString() },
        { "学员状态", Constant::getGovStatus(user ? user->govStatus() : NSString()) },
        { "驾校名称", user ? user->epName() : NSString() },
    };
    CGFloat y = CGRectGetMaxY(header->frame()) + 2;
    CGFloat bottom = y;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        auto row = UIView::create(CGRectMake(0, y, width, 45));
        row->setBackgroundColor(UIColor::whiteColor());
        auto title = label(CGRectMake(0, 12, 120, 21), rows[i].first, 14, UIColor::grayColor(), UIColor::whiteColor());
        title->setTextAlignment(NSTextAlignmentCenter);
        row->addSubview(title);
        const bool school = i == std::size(rows) - 1;
        auto value = label(school ? CGRectMake(120, 1.5, width - 160, 42) : CGRectMake(120, 12, width - 160, 21), rows[i].second, 14,
            UIColor::grayColor(), UIColor::clearColor());
        value->setTextAlignment(NSTextAlignmentCenter);
        if (school)
            value->setNumberOfLines(2);
        row->addSubview(value);
        auto rowDash = label(CGRectMake(width - 40, 12, 40, 21), "一", 14, UIColor::grayColor(), UIColor::clearColor());
        rowDash->setTextAlignment(NSTextAlignmentCenter);
        row->addSubview(rowDash);
        m_vScrollView->addSubview(row);
        bottom = CGRectGetMaxY(row->frame());
        y = bottom + 1;
    }
    m_vScrollView->setContentSize(CGSizeMake(m_vScrollView->frame().size.width, bottom + 10));
    loadPhoto(m_photoView, nullptr, user ? user->urlImg() : NSString());
}

void MyInfoViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_httpService = HttpService::create();
}

// MARK: About

void AboutViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, "关于");
    auto view = this->view();
    const CGFloat y0 = 64;
    const CGFloat V = view->bounds().size.width;
    const bool tall = view->bounds().size.height > 960;

    // Shown at their own sizes: stretchable copies would only hold the same pixels twice.
    auto aboutImage = UIImage::imageNamed("about_img");
    const CGSize aboutSize = aboutImage ? aboutImage->size() : CGSizeMake(100, 100);
    auto header = UIView::create(CGRectMake(0, y0, V, aboutSize.height + 40));
    header->setBackgroundColor(colorWithHexString("deecf8"));
    auto picture = UIImageView::create(CGRectMake((V - aboutSize.width) / 2, 20, aboutSize.width, aboutSize.height));
    picture->setImage(aboutImage);
    header->addSubview(picture);
    view->addSubview(header);

    auto font = UIFont::systemFontOfSize(15);
    auto label = [&](CGRect frame, const NSString& text, const char* colour) {
        view->addSubview(plainLabel(frame, text, 15, colorWithHexString(colour), UIColor::clearColor()));
    };
    const CGFloat phoneY = CGRectGetMaxY(header->frame()) + (tall ? 80 : 40);
    const CGFloat captionWidth = UIStringDrawing::sizeWithFont("客服电话:", font, CGSizeMake(V, 21), NSLineBreakByWordWrapping).width + 5;
    const CGFloat valueX = 40 + captionWidth + 5;
    const CGFloat valueWidth = V - (40 + captionWidth + 20);
    label(CGRectMake(40, phoneY, captionWidth, 21), "客服电话:", "9c9c9d");
    label(CGRectMake(valueX, phoneY, valueWidth, 21), kServicePhone, "77befb");
    label(CGRectMake(40, phoneY - 31, captionWidth, 21), "版 本  号:", "9c9c9d");
    label(CGRectMake(valueX, phoneY - 31, valueWidth, 21), NSString::stringWithFormat("v%@", shortVersion()), "77befb");
    label(CGRectMake(40, phoneY + 31, captionWidth, 21), "官       网:", "9c9c9d");
    const CGFloat webHeight = UIStringDrawing::sizeWithFont(kWebAddress, font, CGSizeMake(V, 21)).height;
    label(CGRectMake(valueX, phoneY + 31, valueWidth, webHeight), kWebAddress, "77befb");

    const CGFloat lowerY = view->bounds().size.height - (tall ? 20 : 10) - 21;
    auto foot = [&](CGFloat y, const NSString& text) {
        auto line = plainLabel(CGRectMake(0, y, V, 21), text, 13, UIColor::lightGrayColor(), UIColor::clearColor());
        line->setTextAlignment(NSTextAlignmentCenter);
        view->addSubview(line);
    };
    foot(lowerY - 21, "Corvane 驾培服务 版权所有");
    foot(lowerY, "Copyright © 2015-2026 Corvane. All rights reserved.");
    auto logo = UIImage::imageNamed("abo_img");
    const CGSize logoSize = logo ? logo->size() : CGSizeMake(80, 30);
    auto logoView = UIImageView::create(CGRectMake((V - logoSize.width) / 2, lowerY - 21 - 10 - logoSize.height, logoSize.width, logoSize.height));
    logoView->setImage(logo);
    view->addSubview(logoView);
}

// MARK: Local web pages

void WebViewViewController::loadView()
{
    NoXibViewController::loadView();
    prepareScreen(*this, ns::stringForKey(m_data, "title"));
    setAutomaticallyAdjustsScrollViewInsets(false);
    auto view = this->view();
    const CGFloat y0 = getNaviBarRect().size.height;
    m_webView = UIWebView::create(CGRectMake(0, y0, view->bounds().size.width, view->bounds().size.height - y0));
    m_webView->setScalesPageToFit(true);
    m_webView->setDelegate(std::static_pointer_cast<UIWebViewDelegate>(std::static_pointer_cast<WebViewViewController>(self())));
    view->addSubview(m_webView);
}

void WebViewViewController::viewWillAppear(bool animated)
{
    NoXibViewController::viewWillAppear(animated);
    auto bundle = NSBundle::mainBundle();
    const NSString path = bundle->pathForResource(ns::stringForKey(m_data, "url"), "html");
    m_pageText = path.isNil() ? NSString() : NSString::stringWithContentsOfFile(path, NSUTF8StringEncoding, nullptr);
    // A page that cannot be read would otherwise show as an empty page without a word.
    if (m_pageText.isNil())
        return showLoadFailure();
    m_webView->loadHTMLString(m_pageText, NSURL::fileURLWithPath(bundle->bundlePath(), true));
}

void WebViewViewController::didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>&) { showLoadFailure(); }

void WebViewViewController::showLoadFailure() { Toast::makeToast(view(), "加载失败!", 1.0, NSString("center")); }
