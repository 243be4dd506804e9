#include "app/screens/login/ViewController.h"

#include "app/AppDelegate.h"
#include "app/screens/base/ScreenImages.h"
#include "app/screens/base/UIColor_Addition.h"
#include "app/screens/home/AdminHomeViewController.h"
#include "app/screens/home/MainViewController.h"
#include "app/services/RequestFields.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceHosts.h"
#include "app/services/ServiceReply.h"
#include "app/stores/UserManager.h"
#include "library/widgets/alert/TAAlertView.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/NSAttributedString.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITapGestureRecognizer.h"

using UIColor_Addition::colorWithHexString;

namespace {

constexpr const char* kRegionPlaceholder = "请选择地区";
constexpr const char* kRolePlaceholder = "请选择角色";
constexpr const char* kLoginAction = "sysbl/ctop/dt/interface/distri/distribute";
constexpr const char* kRegionAction = "sysbl/ctop/dt/interface/regional/getregional";

std::shared_ptr<NSMutableDictionary> entry(std::initializer_list<std::pair<NSString, id>> pairs)
{
    return ns::mutableDictionary(pairs);
}

// A city name up to and including its first "市".
NSString cutAfterCity(const NSString& name)
{
    const NSRange range = name.rangeOfString("市");
    return range.location == NSNotFound ? name : name.substringToIndex(range.location + range.length);
}

} // namespace

ViewController::~ViewController()
{
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
}

void ViewController::loadView()
{
    NoXibViewController::loadView();
    auto view = this->view();
    const CGSize V = view->bounds().size;
    view->setBackgroundColor(colorWithHexString("4ba7d5"));
    view->setClipsToBounds(true);
    hideNaviBar(true);
    const CGFloat H = V.height >= 667 ? 40 : 36;

    auto top = UIImage::imageNamed("cv_adm_top");
    auto topView = UIImageView::create(CGRectMake(0, 0, V.width, top ? top->size().height : 0));
    topView->setImage(imageNamedForSize("cv_adm_top", topView->frame().size));
    view->addSubview(topView);
    auto foot = UIImage::imageNamed("cv_adm_foot");
    const CGFloat footHeight = foot ? foot->size().height : 0;
    auto footView = UIImageView::create(CGRectMake(0, V.height - footHeight, V.width, footHeight));
    footView->setImage(imageNamedForSize("cv_adm_foot", footView->frame().size));
    view->addSubview(footView);

    auto protectedSelf = self();
    m_setupBtn = UIButton::buttonWithType(UIButtonTypeCustom);
    auto setupImage = UIImage::imageNamed("setup_nor");
    m_setupBtn->setBackgroundImage(setupImage, UIControlStateNormal);
    m_setupBtn->setFrame(CGRectMake(V.width - 10 - (setupImage ? setupImage->size().width : 30), 30, 30, 30));
    m_setupBtn->addTarget(protectedSelf, &ViewController::setupEvent, UIControlEventTouchUpInside);
    view->addSubview(m_setupBtn);
    m_setupBtn->setHidden(true);

    CGFloat y = CGRectGetMaxY(topView->frame()) - (V.height <= 480 ? 20 : 0);
    const char* icons[] = { "cv_adm_ico3", "cv_adm_ico0", "cv_adm_ico1", "cv_adm_ico2" };
    std::shared_ptr<UIView> rows[4];
    for (int i = 0; i < 4; ++i) {
        auto row = UIView::create(CGRectMake(20, y, V.width - H, H));
        row->setUserInteractionEnabled(true);
        auto line = UIView::create(CGRectMake(0, H - 0.3, row->frame().size.width, 0.3));
        line->setBackgroundColor(UIColor::whiteColor());
        row->addSubview(line);
        auto icon = UIImage::imageNamed(icons[i]);
        const CGSize iconSize = icon ? icon->size() : CGSizeMake(20, 20);
        auto iconView = UIImageView::create(CGRectMake(0, (H - iconSize.height) / 2, iconSize.width, iconSize.height));
        iconView->setImage(icon);
        row->addSubview(iconView);
        view->addSubview(row);
        rows[i] = row;
        y = CGRectGetMaxY(row->frame()) + 5;
    }
    auto controlFrame = [&](int i) {
        const CGFloat iconRight = CGRectGetMaxX(rows[i]->subviews()[1]->frame());
        return CGRectMake(iconRight + 10, (H - 30) / 2, rows[i]->frame().size.width - iconRight - 20, 30);
    };
    auto makeLabel = [&](int i, const char* text) {
        auto label = UILabel::create(controlFrame(i));
        label->setBackgroundColor(UIColor::clearColor());
        label->setText(text);
        label->setTextColor(colorWithHexString("1b1b1b"));
        label->setFont(UIFont::systemFontOfSize(15));
        label->setUserInteractionEnabled(true);
        rows[i]->addSubview(label);
        return label;
    };
    // A choice's whole row answers a click, its icon and the room beside the text too.
    m_areaLab = makeLabel(0, kRegionPlaceholder);
    auto areaTap = UITapGestureRecognizer::create();
    areaTap->addTarget(protectedSelf, &ViewController::areaEvent);
    rows[0]->addGestureRecognizer(areaTap);
    m_roleLab = makeLabel(1, kRolePlaceholder);
    auto roleTap = UITapGestureRecognizer::create();
    roleTap->addTarget(protectedSelf, &ViewController::roleEvent);
    rows[1]->addGestureRecognizer(roleTap);

    auto makeField = [&](int i, const char* placeholder, UIReturnKeyType returnKey) {
        auto field = UITextField::create(controlFrame(i));
        field->setBorderStyle(UITextBorderStyle::None);
        field->setClearButtonMode(UITextFieldViewMode::WhileEditing);
        field->setReturnKeyType(returnKey);
        field->setDelegate(std::static_pointer_cast<UITextFieldDelegate>(protectedSelf));
        field->setTextColor(UIColor::blackColor());
        field->setFont(UIFont::systemFontOfSize(15));
        field->setAttributedPlaceholder(NSAttributedString::create(NSString(placeholder),
            ns::dictionary({ { NSForegroundColorAttributeName, UIColor::whiteColor() } })));
        rows[i]->addSubview(field);
        return field;
    };
    m_accountField = makeField(2, "帐号(帐号为学员号或身份证号)", UIReturnKeyType::Next);
    m_passwordField = makeField(3, "密码(初始密码为730418)", UIReturnKeyType::Done);
    m_passwordField->setSecureTextEntry(true);

    m_loginBtn = UIButton::buttonWithType(UIButtonTypeCustom);
    m_loginBtn->setBackgroundImage(stretchableImageNamed("cv_adm_login", 10), UIControlStateNormal);
    m_loginBtn->setBackgroundImage(stretchableImageNamed("cv_adm_login_h", 10), UIControlStateHighlighted);
    m_loginBtn->setTitle("登录", UIControlStateNormal);
    m_loginBtn->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    m_loginBtn->titleLabel()->setFont(UIFont::systemFontOfSize(20));
    auto loginImage = UIImage::imageNamed("cv_adm_login");
    const CGFloat gap = V.height == 568 ? 20 : (V.height >= 667 ? 50 : 15);
    m_loginBtn->setFrame(CGRectMake(20, CGRectGetMaxY(rows[3]->frame()) + gap, V.width - 40, loginImage ? loginImage->size().height : 44));
    m_loginBtn->addTarget(protectedSelf, &ViewController::loginEvent, UIControlEventTouchUpInside);
    view->addSubview(m_loginBtn);

    auto bottomLabel = [&](CGFloat labelY, const char* text) {
        auto label = UILabel::create(CGRectMake(0, labelY, V.width, 21));
        label->setBackgroundColor(UIColor::clearColor());
        label->setTextColor(UIColor::whiteColor());
        label->setFont(UIFont::boldSystemFontOfSize(12));
        label->setTextAlignment(NSTextAlignmentCenter);
        label->setText(text);
        view->addSubview(label);
    };
    bottomLabel(V.height - 36 - 16, "驾培学时管理 · 学员与运政服务平台");
    bottomLabel(V.height - 36, "Corvane 驾驶培训服务");
}

void ViewController::viewDidLoad()
{
    NoXibViewController::viewDidLoad();
    m_roleArray = NSMutableArray::array();
    m_roleArray->addObject(entry({ { "text", NSString(kRolePlaceholder) }, { "code", NSString("-1") } }));
    m_roleArray->addObject(entry({ { "text", NSString("学员") }, { "code", NSString("0") } }));
    m_roleArray->addObject(entry({ { "text", NSString("运政") }, { "code", NSString("4") } }));
    m_areaSelectIndex = 0;
    m_roleSelectIndex = 0;
    m_httpService = HttpService::create();
    NSNotificationCenter::defaultCenter()->addObserver(self(),
        &ViewController::cleanLogiInfo, NSString("brenlow_clean_loginInfo"), nullptr);
    if (m_setupBtn->isHidden()) {
        auto urls = ServerUrlManger::sharedInstance();
        const NSString mainBase = ServiceHosts::builtInMainBaseURL();
        urls->setHttpUrl(mainBase);
        urls->setHttpUrlForVideoStud(mainBase.stringByReplacingOccurrencesOfString("resource/", ""));
        urls->setHttpUrlForPay(ServiceHosts::builtInPaymentBaseURL());
    }
    setupInit();
}

void ViewController::resizeAreaLab()
{
    const CGSize V = view()->bounds().size;
    const CGSize size = UIStringDrawing::sizeWithFont(m_areaLab->text(), m_areaLab->font(), CGSizeMake(V.width, 21));
    CGRect frame = m_areaLab->frame();
    frame.size.width = size.width + 10;
    m_areaLab->setFrame(frame);
}

void ViewController::setupInit()
{
    auto last = UserManager::shareInstance()->queryLoginInfo();
    auto defaults = NSUserDefaults::standardUserDefaults();
    const NSString depName = defaults->stringForKey("DEPNAME");
    m_province = defaults->stringForKey("PROVINCE");
    if (!last || depName.length() == 0)
        return cleanLogiInfo(nullptr);
    m_accountField->setText(ns::stringForKey(last, "account"));
    m_passwordField->setText(ns::stringForKey(last, "password"));
    m_areaCode = ns::stringForKey(last, "area_code");
    m_areaLab->setText(depName);
    resizeAreaLab();
    const NSString roleCode = ns::stringForKey(last, "role_code");
    for (NSUInteger i = 0; i < m_roleArray->count(); ++i) {
        auto role = ns::dictionaryValue(m_roleArray->objectAtIndex(i));
        if (ns::stringForKey(role, "code").isEqualToString(roleCode)) {
            m_roleSelectIndex = NSInteger(i);
            m_roleLab->setText(ns::stringForKey(role, "text"));
            break;
        }
    }
}

void ViewController::cleanLogiInfo(const std::shared_ptr<NSNotification>&)
{
    m_accountField->setText("");
    m_passwordField->setText("");
    m_areaLab->setText(kRegionPlaceholder);
    m_roleLab->setText(kRolePlaceholder);
    // The list fetched later puts its sheet on the region of this code: forget it with the name.
    m_areaCode = NSString();
    m_areaSelectIndex = 0;
    m_roleSelectIndex = 0;
    resizeAreaLab();
}

void ViewController::areaEvent()
{
    if (m_areaArray && m_areaArray->count() > 0)
        pickerViewArea();
    else
        queryProvance();
}

void ViewController::queryProvance()
{
    STProgressHUD::show();
    if (!m_areaArray)
        m_areaArray = NSMutableArray::array();
    m_areaArray->removeAllObjects();
    std::weak_ptr<ViewController> weakSelf = self();
    m_httpService->httpRequestDict(
        [weakSelf](const id& reply) {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->regionReply(reply);
        },
        [weakSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>& error) {
            NSLog("查询地区列表失败:%@", error ? error->description() : NSString());
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->regionFailed();
        },
        kRegionAction, nullptr, NSMutableDictionary::dictionary());
}

void ViewController::regionReply(const id& reply)
{
    auto rows = ServiceReply::rows(reply, "array0");
    if (ServiceReply::mainServiceCode(reply) != 0 || rows->count() == 0)
        return regionFailed();
    auto users = UserManager::shareInstance();
    users->deleteProvanceInfo();
    users->cacheProvanceInfo(rows);
    m_areaArray->removeAllObjects();
    m_areaArray->addObject(entry({ { "DEPNAME", NSString(kRegionPlaceholder) }, { "PROVINCE", NSString("-1") },
        { "DEPCODE", NSString("-1") }, { "PROVINCE_NAME", NSString("") } }));
    for (NSUInteger i = 0; i < rows->count(); ++i) {
        auto row = ns::dictionaryValue(rows->objectAtIndex(i));
        // A region without its name or code cannot be chosen.
        if (!row || ns::stringForKey(row, "DEPNAME").length() == 0 || ns::stringForKey(row, "DEPCODE").length() == 0)
            continue;
        auto copy = row->mutableCopyDictionary();
        copy->setObject(cutAfterCity(ns::stringForKey(row, "DEPNAME")), NSString("DEPNAME"));
        m_areaArray->addObject(copy);
    }
    STProgressHUD::dismiss();
    if (m_areaCode.length()) {
        for (NSUInteger i = 0; i < m_areaArray->count(); ++i) {
            if (ns::stringForKey(ns::dictionaryValue(m_areaArray->objectAtIndex(i)), "DEPCODE").isEqualToString(m_areaCode)) {
                m_areaSelectIndex = NSInteger(i);
                break;
            }
        }
    }
    pickerViewArea();
}

void ViewController::regionFailed()
{
    STProgressHUD::dismiss();
    auto alert = UIAlertView::create(NSString(""), NSString("获取城市数据失败"), std::static_pointer_cast<UIAlertViewDelegate>(
        self()), NSString("确定"), std::vector<NSString> { "重新获取" });
    alert->setTag(kRegionAlertTag);
    alert->show();
}

void ViewController::alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex)
{
    if (alert.tag() == kRegionAlertTag && buttonIndex == 1)
        queryProvance();
}

void ViewController::showSheet(NSInteger tag, const std::vector<NSString>& titles, NSInteger selected)
{
    auto sheet = KMActionSheetPickerView::create(NSString(""),
        std::static_pointer_cast<KMActionSheetPickerViewDelegate>(self()));
    sheet->setTag(tag);
    sheet->setTitlesForComponenets({ titles });
    sheet->selectIndexes({ selected }, true);
    sheet->show();
    m_sheet = sheet;
}

void ViewController::pickerViewArea()
{
    std::vector<NSString> names;
    for (NSUInteger i = 0; i < m_areaArray->count(); ++i)
        names.push_back(ns::stringForKey(ns::dictionaryValue(m_areaArray->objectAtIndex(i)), "DEPNAME"));
    showSheet(1, names, m_areaSelectIndex);
}

void ViewController::roleEvent()
{
    std::vector<NSString> texts;
    for (NSUInteger i = 0; i < m_roleArray->count(); ++i)
        texts.push_back(ns::stringForKey(ns::dictionaryValue(m_roleArray->objectAtIndex(i)), "text"));
    showSheet(2, texts, m_roleSelectIndex);
}

void ViewController::didSelectTitles(KMActionSheetPickerView& sheet, const std::shared_ptr<NSArray>& titles)
{
    NSString title;
    for (NSUInteger i = 0; titles && i < titles->count(); ++i) {
        const NSString part = ns::stringValue(titles->objectAtIndex(i));
        title = i == 0 ? part : NSString::stringWithFormat("%@ - %@", title, part);
    }
    if (title.isNil())
        return;
    if (sheet.tag() == 1) {
        m_areaLab->setText(title);
        auto defaults = NSUserDefaults::standardUserDefaults();
        defaults->setObject(title, "DEPNAME");
        defaults->synchronize();
        resizeAreaLab();
        for (NSUInteger i = 0; i < m_areaArray->count(); ++i) {
            auto area = ns::dictionaryValue(m_areaArray->objectAtIndex(i));
            if (ns::stringForKey(area, "DEPNAME").isEqualToString(title)) {
                m_areaSelectIndex = NSInteger(i);
                m_areaCode = ns::stringForKey(area, "DEPCODE");
                m_province = ns::stringForKey(area, "PROVINCE");
                defaults->setObject(m_province, "PROVINCE");
                defaults->synchronize();
                break;
            }
        }
    } else if (sheet.tag() == 2) {
        m_roleLab->setText(title);
        for (NSUInteger i = 0; i < m_roleArray->count(); ++i) {
            if (ns::stringForKey(ns::dictionaryValue(m_roleArray->objectAtIndex(i)), "text").isEqualToString(title)) {
                m_roleSelectIndex = NSInteger(i);
                break;
            }
        }
    }
}

void ViewController::loginEvent(UIControl&)
{
    // Also a tap that ends after the home screen was pushed over this one.
    auto navigation = navigationController();
    if (m_loggingIn || (navigation && navigation->topViewController().get() != this) || !ServerUrlManger::networkIsValid())
        return;
    NSString problem;
    if (m_areaLab->text().isEqualToString(kRegionPlaceholder))
        problem = kRegionPlaceholder;
    else if (m_roleLab->text().isEqualToString(kRolePlaceholder))
        problem = kRolePlaceholder;
    else if (m_accountField->text().length() == 0)
        problem = "请输入帐号";
    else if (m_passwordField->text().length() == 0)
        problem = "请输入密码";
    if (problem.length()) {
        STProgressHUD::show();
        STProgressHUD::dismissWithError(problem, 1.5);
        return;
    }
    const NSString roleCode = ns::stringForKey(ns::dictionaryValue(m_roleArray->objectAtIndex(NSUInteger(m_roleSelectIndex))), "code");
    RequestFields fields;
    fields.ifPresent("PROVINCE", m_province)
        .ifPresent("DEPCODE", m_areaCode)
        .ifPresent("ROLETYPE", roleCode)
        .set("METHOD", "loginMethod")
        .set("USERCODE", m_accountField->text())
        .set("PASSWRD", m_passwordField->text())
        .set("PHONETYPE", "1");
    STProgressHUD::showInView(view());
    m_loggingIn = true;
    auto protectedSelf = self();
    m_httpService->httpLogin(
        [protectedSelf, roleCode](const id& reply) {
            protectedSelf->m_loggingIn = false;
            protectedSelf->loginReply(reply, roleCode);
        },
        [protectedSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            protectedSelf->m_loggingIn = false;
            STProgressHUD::dismissWithError("登录失败！", 1.0);
        },
        kLoginAction, nullptr, fields.dictionary());
}

void ViewController::loginReply(const id& reply, const NSString& roleCode)
{
    const auto code = ServiceReply::mainServiceCode(reply);
    if (!code)
        return STProgressHUD::dismissWithError("数据异常，请稍候再试！", 1.0);
    if (*code != 0) {
        auto head = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "head");
        return STProgressHUD::dismissWithError(ns::stringForKey(head, "retDesc"), 1.0);
    }
    auto user = User::userFromLoginReply(reply, m_passwordField->text());
    if (auto delegate = AppDelegate::shared())
        delegate->setUser(user);
    auto users = UserManager::shareInstance();
    users->cacheLoginInfo(m_areaCode, roleCode, m_accountField->text(), m_passwordField->text());
    STProgressHUD::dismiss();
    auto navigation = navigationController();
    if (!navigation)
        return;
    if (roleCode.isEqualToString("0"))
        navigation->pushViewController(MainViewController::create(), true);
    else if (roleCode.isEqualToString("4"))
        navigation->pushViewController(AdminHomeViewController::create(), true);
}

void ViewController::setupEvent(UIControl&)
{
    auto alert = TAAlertView::create("网络设置", NSString(), nullptr, "取消", std::vector<NSString> { "确定" });
    alert->setAlertViewStyle(3);
    const CGFloat width = UIScreen::mainScreen()->bounds().size.width;
    alert->setMaxContentWidth(width - 20);
    alert->setMinContentWidth(width - 40);
    auto urls = ServerUrlManger::sharedInstance();
    auto address = alert->textFieldAtIndex(0);
    address->setPlaceholder("请输入接口地址");
    address->setClearButtonMode(UITextFieldViewMode::WhileEditing);
    address->setText(urls->getHttpUrl());
    auto payment = alert->textFieldAtIndex(1);
    payment->setPlaceholder("请输入支付接口地址");
    payment->setSecureTextEntry(false);
    payment->setClearButtonMode(UITextFieldViewMode::WhileEditing);
    payment->setText(urls->getHttpUrlForPay());
    alert->showWithCompletion([](TAAlertView& shown, NSInteger index) {
        if (index != 1)
            return;
        auto urls = ServerUrlManger::sharedInstance();
        urls->setHttpUrl(shown.textFieldAtIndex(0)->text());
        urls->setHttpUrlForPay(shown.textFieldAtIndex(1)->text());
    });
}

std::optional<bool> ViewController::textFieldShouldReturn(UITextField& field)
{
    if (&field == m_accountField.get())
        m_passwordField->becomeFirstResponder();
    else if (&field == m_passwordField.get()) {
        field.resignFirstResponder();
        // The last field's Return logs in, as a desktop form's does.
        loginEvent(*m_loginBtn);
    }
    return true;
}
