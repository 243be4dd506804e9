#pragma once
// The password change: the card number, the old password and the new one twice.
#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"
#include "platform/uikit/UITextField.h"

class PasswordViewController : public NoXibViewController, public UITextFieldDelegate {
    NS_OBJECT(PasswordViewController, NoXibViewController)
public:
    void loadView() override;
    void viewDidLoad() override;
    void saveEvent(UIControl&);
    std::optional<bool> textFieldShouldReturn(UITextField& field) override;

    const std::shared_ptr<UITextField>& oldPwd() const { return m_oldPwd; }
    const std::shared_ptr<UITextField>& newPwd() const { return m_newPwd; }
    const std::shared_ptr<UITextField>& newPwd2() const { return m_newPwd2; }
    const std::shared_ptr<UIButton>& saveButton() const { return m_saveButton; }
    bool isSaving() const { return m_saving; }

private:
    void saveReply(const id& reply);

    std::shared_ptr<UITextField> m_oldPwd;
    std::shared_ptr<UITextField> m_newPwd;
    std::shared_ptr<UITextField> m_newPwd2;
    std::shared_ptr<UIButton> m_saveButton;
    std::shared_ptr<HttpService> m_httpService;
    // A tap on the button while its request runs is ignored.
    bool m_saving { false };
};
