#include "app/screens/settings/PasswordViewController.h"

#include "app/screens/base/ScreenImages.h"
#include "app/screens/settings/SettingsLayout.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "app/stores/UserManager.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/hud/UIView_Toast.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/UIStringDrawing.h"

using namespace SettingsLayout;

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";

} // namespace

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

    auto protectedSelf = self();
    auto field = [&](const NSString& text, const NSString& placeholder, UIReturnKeyType returnKey) {
        auto row = makeRow();
        caption(row, text);
        auto input = UITextField::create(CGRectMake(valueX, (45 - 30) / 2.0, valueWidth, 30));
        input->setDelegate(std::static_pointer_cast<UITextFieldDelegate>(protectedSelf));
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
    m_saveButton->addTarget(protectedSelf, &PasswordViewController::saveEvent, UIControlEventTouchUpInside);
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
    auto protectedSelf = self();
    m_httpService->httpRequestDict(
        [protectedSelf](const id& reply) {
            protectedSelf->m_saving = false;
            protectedSelf->saveReply(reply);
        },
        [protectedSelf](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) {
            protectedSelf->m_saving = false;
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
