#pragma once
// The settings screens of the two roles, the password change, the personal data and the about
// screen.

#include "app/HttpService.h"
#include "app/screens/ParentViewController.h"
#include "app/screens/SharedWidgets.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIWebView.h"

// Shows the placeholder, then the picture at the address through the shared image manager, or
// "img_gr" when there is none or it does not load.
void loadPhoto(const std::shared_ptr<UIImageView>& imageView, const UIImageRef& placeholder, const NSString& urlText);

class SetupViewController : public NoXibViewController, public UIAlertViewDelegate {
    NS_OBJECT(SetupViewController, NoXibViewController)
public:
    static constexpr NSInteger kLogoutAlertTag = 1;
    static constexpr NSInteger kVersionAlertTag = 2;

    void loadView() override;
    void myInfoBtnEvent(UIControl&);
    void updatePwdEvent(UIControl&);
    void aboutEvent(UIControl&);
    void myMessageEvent(UIControl&);
    void logoutEvent(UIControl&);
    void upgradeEvent(UIControl&);
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex) override;

    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }
    const std::shared_ptr<UIImageView>& photoView() const { return m_photoView; }
    // The row buttons from the top: card, password, about, messages, logout.
    const std::vector<std::shared_ptr<UIButton>>& rowButtons() const { return m_rows; }

protected:
    using Action = void (SetupViewController::*)(UIControl&);
    // A row button in the scroller, kept among the rows.
    std::shared_ptr<UIButton> rowButton(CGRect frame, Action action);
    std::shared_ptr<UIButton> addRow(CGFloat y, const NSString& icon, const NSString& text, Action action);
    CGFloat addHeader(CGFloat y);
    // The logout row 30 points below the row, and the scroller's height ending under it.
    void addLogoutBelow(const UIView& row);
    virtual bool postsCleanLoginInfo() const { return true; }

    std::shared_ptr<UIScrollView> m_vScrollView;
    std::vector<std::shared_ptr<UIButton>> m_rows;

private:
    std::shared_ptr<UIImageView> m_photoView;
};

class AdminSetupViewController : public SetupViewController {
    NS_OBJECT(AdminSetupViewController, SetupViewController)
public:
    void loadView() override;

protected:
    // The officer's logout leaves the login screen's fields as they were.
    bool postsCleanLoginInfo() const override { return false; }
};

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

class MyInfoViewController : public NoXibViewController {
    NS_OBJECT(MyInfoViewController, NoXibViewController)
public:
    void loadView() override;
    void viewDidLoad() override;
    const std::shared_ptr<UIImageView>& photoView() const { return m_photoView; }
    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }

private:
    std::shared_ptr<UIScrollView> m_vScrollView;
    std::shared_ptr<UIImageView> m_photoView;
    std::shared_ptr<HttpService> m_httpService;
};

class AboutViewController : public NoXibViewController {
    NS_OBJECT(AboutViewController, NoXibViewController)
public:
    static constexpr const char* kServicePhone = "028-8555 0101";
    static constexpr const char* kWebAddress = "www.corvane.example";
    void loadView() override;
};

// One HTML page of the application's resources under a given title, loaded again every time the
// screen comes into view. There is no script to fit the page to the view: the pages declare
// their viewport as the device's width.
class WebViewViewController : public NoXibViewController, public UIWebViewDelegate {
    NS_OBJECT(WebViewViewController, NoXibViewController)
public:
    // "title": the bar's text; "url": the page's resource name without ".html".
    const std::shared_ptr<NSDictionary>& data() const { return m_data; }
    void setData(const std::shared_ptr<NSDictionary>& data) { m_data = data; }
    const std::shared_ptr<UIWebView>& webView() const { return m_webView; }

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>&) override;
    // The page's text as last loaded; nil when it could not be read.
    const NSString& pageText() const { return m_pageText; }

private:
    void showLoadFailure();

    std::shared_ptr<NSDictionary> m_data;
    std::shared_ptr<UIWebView> m_webView;
    NSString m_pageText;
};
