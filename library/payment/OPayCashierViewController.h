#pragma once
// The provider's web cashier, shown when no wallet application is at hand: its own bar with the
// title "收银台" and a "关闭" button over a web view of the gateway's cashier page. Links of the
// page to the application's own scheme are not loaded: they are the payment's result, handed to
// the SDK as a wallet's reopening would be; one the SDK cannot use leaves the cashier as it was.
// Closing leaves the payment to the SDK as cancelled, unless the gateway's page has said the order
// is paid (its page titled "支付成功", or "订单已支付" or "已购买该服务" when it was paid before):
// the learner has what was ordered whichever way they leave, so closing then hands on success.

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWebView.h"

#include <functional>

class OPayCashierViewController : public UIViewController, public UIWebViewDelegate {
    NS_OBJECT(OPayCashierViewController, UIViewController)
public:
    // Hears a result address of the page and answers whether it ended the payment; and the close button.
    using ResultHandler = std::function<bool(const std::shared_ptr<NSURL>& resultURL)>;
    using CloseHandler = std::function<void()>;

    void viewDidLoad() override;

    const std::shared_ptr<UIWebView>& webView() const { return m_webView; }
    const std::shared_ptr<UIButton>& closeButton() const { return m_closeButton; }
    const NSString& scheme() const { return m_scheme; }

    void closeEvent(UIButton& button);

    std::optional<bool> shouldStartLoadWithRequest(UIWebView&, const std::shared_ptr<NSURLRequest>& request,
        UIWebViewNavigationType type) override;
    void webViewDidFinishLoad(UIWebView& webView) override;
    void didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>& error) override;

protected:
    void init(const std::shared_ptr<NSURL>& cashierURL, const NSString& scheme, ResultHandler onResult, CloseHandler onClose);

private:
    std::shared_ptr<NSURL> m_cashierURL;
    NSString m_scheme;
    ResultHandler m_onResult;
    CloseHandler m_onClose;
    std::shared_ptr<UIWebView> m_webView;
    std::shared_ptr<UIButton> m_closeButton;
    std::shared_ptr<UILabel> m_titleLabel;
    std::shared_ptr<UILabel> m_failureLabel;
    // A page of the cashier has said what was ordered is paid for.
    bool m_reachedSuccess { false };
};
