#pragma once
// The login screen, root of the navigation stack: region and role from picker sheets, account
// and password, login against the main service, then the home screen of the role.

#include "app/screens/base/NoXibViewController.h"
#include "app/services/HttpService.h"
#include "library/widgets/keyboard/KMActionSheetPickerView.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UITextField.h"

class ViewController : public NoXibViewController, public UITextFieldDelegate, public KMActionSheetPickerViewDelegate,
                       public UIAlertViewDelegate {
    NS_OBJECT(ViewController, NoXibViewController)
public:
    ~ViewController() override;

    void loadView() override;
    void viewDidLoad() override;

    void areaEvent();
    void roleEvent();
    void loginEvent(UIControl&);
    void setupEvent(UIControl&);
    void pickerViewArea();
    void queryProvance();
    void setupInit();
    void cleanLogiInfo(const std::shared_ptr<NSNotification>&);

    void didSelectTitles(KMActionSheetPickerView& sheet, const std::shared_ptr<NSArray>& titles) override;
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex) override;
    std::optional<bool> textFieldShouldReturn(UITextField& field) override;

    const std::shared_ptr<UIButton>& setupBtn() const { return m_setupBtn; }
    const std::shared_ptr<UIButton>& loginBtn() const { return m_loginBtn; }
    const std::shared_ptr<UILabel>& areaLab() const { return m_areaLab; }
    const std::shared_ptr<UILabel>& roleLab() const { return m_roleLab; }
    const std::shared_ptr<UITextField>& accountField() const { return m_accountField; }
    const std::shared_ptr<UITextField>& passwordField() const { return m_passwordField; }
    const std::shared_ptr<NSMutableArray>& areaArray() const { return m_areaArray; }
    NSInteger areaSelectIndex() const { return m_areaSelectIndex; }
    NSInteger roleSelectIndex() const { return m_roleSelectIndex; }
    const NSString& province() const { return m_province; }
    const NSString& areaCode() const { return m_areaCode; }
    bool isLoggingIn() const { return m_loggingIn; }
    // The picker sheet now up, for tests and the host.
    std::shared_ptr<KMActionSheetPickerView> openSheet() const { return m_sheet.lock(); }

    static constexpr NSInteger kRegionAlertTag = 4;

private:
    void resizeAreaLab();
    void loginReply(const id& reply, const NSString& roleCode);
    void regionReply(const id& reply);
    void regionFailed();
    void showSheet(NSInteger tag, const std::vector<NSString>& titles, NSInteger selected);

    std::shared_ptr<UIButton> m_setupBtn;
    std::shared_ptr<UIButton> m_loginBtn;
    std::shared_ptr<UILabel> m_areaLab;
    std::shared_ptr<UILabel> m_roleLab;
    std::shared_ptr<UITextField> m_accountField;
    std::shared_ptr<UITextField> m_passwordField;
    std::shared_ptr<NSMutableArray> m_areaArray;
    NSInteger m_areaSelectIndex { 0 };
    std::shared_ptr<NSMutableArray> m_roleArray;
    NSInteger m_roleSelectIndex { 0 };
    NSString m_province;
    NSString m_areaCode;
    std::shared_ptr<HttpService> m_httpService;
    std::weak_ptr<KMActionSheetPickerView> m_sheet;
    // A tap on the login button while its request runs is ignored.
    bool m_loggingIn { false };
};
