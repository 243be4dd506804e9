#include "library/payment/OPayCashierViewController.h"

#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIColor.h"
#include "platform/text/UIFont.h"

#include <algorithm>
#include <array>

namespace {

constexpr CGFloat kBarHeight = 64;
// The titles of the gateway's pages that say what was ordered is paid for: paid now, paid through
// another cashier of the order, or bought already through another order. And the success their
// close hands on.
constexpr std::array<const char*, 3> kPaidTitles { "支付成功", "订单已支付", "已购买该服务" };
constexpr const char* kSuccessQuery = "resultStatus=9000&memo=%E6%94%AF%E4%BB%98%E6%88%90%E5%8A%9F";

UIColorRef providerBlue()
{
    return UIColor::colorWithRed(0, 0x8c / 255.0, 0xd6 / 255.0, 1);
}

} // namespace

void OPayCashierViewController::init(const std::shared_ptr<NSURL>& cashierURL, const NSString& scheme, ResultHandler onResult,
    CloseHandler onClose)
{
    super::init();
    m_cashierURL = cashierURL;
    m_scheme = scheme;
    m_onResult = std::move(onResult);
    m_onClose = std::move(onClose);
}

void OPayCashierViewController::viewDidLoad()
{
    super::viewDidLoad();
    const CGSize size = view()->bounds().size;
    view()->setBackgroundColor(UIColor::whiteColor());

    auto bar = UIView::create(CGRectMake(0, 0, size.width, kBarHeight));
    bar->setBackgroundColor(providerBlue());
    view()->addSubview(bar);
    m_titleLabel = UILabel::create(CGRectMake(60, 20, size.width - 120, 44));
    m_titleLabel->setText("收银台");
    m_titleLabel->setTextColor(UIColor::whiteColor());
    m_titleLabel->setFont(UIFont::boldSystemFontOfSize(18));
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    bar->addSubview(m_titleLabel);
    m_closeButton = UIButton::buttonWithType(UIButtonTypeCustom);
    m_closeButton->setFrame(CGRectMake(5, 27, 50, 30));
    m_closeButton->setTitle("关闭", UIControlStateNormal);
    m_closeButton->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    m_closeButton->titleLabel()->setFont(UIFont::systemFontOfSize(16));
    m_closeButton->addTarget(self(), &OPayCashierViewController::closeEvent, UIControlEventTouchUpInside);
    bar->addSubview(m_closeButton);

    m_webView = UIWebView::create(CGRectMake(0, kBarHeight, size.width, size.height - kBarHeight));
    m_webView->setBackgroundColor(UIColor::whiteColor());
    m_webView->setDelegate(self());
    view()->addSubview(m_webView);

    m_failureLabel = UILabel::create(CGRectMake(0, kBarHeight + 40, size.width, 21));
    m_failureLabel->setText("收银台加载失败，请关闭后重试");
    m_failureLabel->setTextAlignment(NSTextAlignmentCenter);
    m_failureLabel->setFont(UIFont::systemFontOfSize(14));
    m_failureLabel->setTextColor(UIColor::grayColor());
    m_failureLabel->setHidden(true);
    view()->addSubview(m_failureLabel);

    if (m_cashierURL)
        m_webView->loadRequest(NSURLRequest::requestWithURL(m_cashierURL));
}

void OPayCashierViewController::closeEvent(UIButton&)
{
    if (m_reachedSuccess) {
        auto protectedSelf = self();
        auto onResult = m_onResult;
        if (onResult && onResult(NSURL::URLWithString(m_scheme + NSString("://payresult?") + NSString(kSuccessQuery)))) {
            m_onResult = nullptr;
            m_onClose = nullptr;
            return;
        }
    }
    auto onClose = std::move(m_onClose);
    m_onClose = nullptr;
    m_onResult = nullptr;
    if (onClose)
        onClose();
}

std::optional<bool> OPayCashierViewController::shouldStartLoadWithRequest(UIWebView&, const std::shared_ptr<NSURLRequest>& request,
    UIWebViewNavigationType)
{
    auto url = request ? request->URL() : nullptr;
    if (!url || url->scheme().caseInsensitiveCompare(m_scheme) != NSOrderedSame)
        return true;
    // The page's last step: the result address, which only the application understands. The
    // handlers stay until one ends the payment, so that "关闭" still works after a link it could not use.
    auto protectedSelf = self();
    auto onResult = m_onResult;
    if (onResult && onResult(url)) {
        m_onResult = nullptr;
        m_onClose = nullptr;
    }
    return false;
}

void OPayCashierViewController::webViewDidFinishLoad(UIWebView& webView)
{
    // Only the gateway's own page says so; once paid, paid: a later page (or none) does not take it back.
    auto shown = webView.request() ? webView.request()->URL() : nullptr;
    const auto origin = [](const std::shared_ptr<NSURL>& url) {
        return url ? url->scheme() + NSString("://") + url->host() + NSString(":") + ns::textOf(url->port()) : NSString();
    };
    if (!shown || !m_cashierURL || origin(shown) != origin(m_cashierURL))
        return;
    const NSString title = webView.stringByEvaluatingJavaScriptFromString("document.title");
    if (std::any_of(kPaidTitles.begin(), kPaidTitles.end(), [&title](const char* paid) { return title == NSString(paid); }))
        m_reachedSuccess = true;
}

void OPayCashierViewController::didFailLoadWithError(UIWebView&, const std::shared_ptr<NSError>&)
{
    m_failureLabel->setHidden(false);
}
