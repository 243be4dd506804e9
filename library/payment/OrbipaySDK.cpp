#include "library/payment/OrbipaySDK.h"

#include "library/payment/OPayCashierViewController.h"
#include "library/payment/OPayEnvelope.h"
#include "library/payment/OPayGatewayRequest.h"
#include "platform/foundation/HexDigits.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIWindow.h"

#include <cstdlib>
#include <mutex>

namespace {

// "+" is a blank and a "%" without two hexadecimal digits stays as written.
std::string decode(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && ns::hexDigitValue(text[i + 1]) >= 0 && ns::hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(ns::hexDigitValue(text[i + 1]) * 16 + ns::hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

// Escapes that do not decode to UTF-8 (anyone may open the scheme) leave the text as written.
NSString decodedText(const std::string& text)
{
    const NSString decoded = NSString::stringWithUTF8String(decode(text).c_str());
    return decoded.isNil() ? NSString::stringWithUTF8String(text.c_str()) : decoded;
}

constexpr const char* kStatusCancelled = "6001";
constexpr const char* kStatusNetwork = "6002";
constexpr const char* kStatusFailed = "4000";

// The top of what the key window shows: the cashier goes over it.
std::shared_ptr<UIViewController> presentingController()
{
    auto application = UIApplication::sharedApplication();
    auto window = application->keyWindow();
    if (!window && !application->windows().empty())
        window = application->windows().front();
    auto controller = window ? window->rootViewController() : nullptr;
    while (controller && controller->presentedViewController())
        controller = controller->presentedViewController();
    return controller;
}

} // namespace

std::shared_ptr<NSURL> OrbipaySDK::gatewayURL()
{
    const char* overridden = std::getenv("CORVANE_PAYMENT_GATEWAY_URL");
    return NSURL::URLWithString(NSString(overridden && *overridden ? overridden : CORVANE_PAYMENT_GATEWAY_URL));
}

NSString OrbipaySDK::providerPublicKey()
{
    return NSString(CORVANE_PAYMENT_PROVIDER_KEY);
}

std::shared_ptr<NSDictionary> OrbipaySDK::resultDictionary(const NSString& status, const NSString& memo)
{
    auto result = NSMutableDictionary::dictionary();
    result->setObject(status, NSString("resultStatus"));
    result->setObject(memo, NSString("memo"));
    result->setObject(NSString(""), NSString("result"));
    return result;
}

void OrbipaySDK::payOrder(const NSString& orderString, const NSString& schemeStr, OPCompletionBlock callback)
{
    NSAssertMainThread();
    if (orderString.length() == 0) {
        if (callback)
            callback(resultDictionary(kStatusFailed, "订单缺失"));
        return;
    }
    if (m_paymentPending) {
        if (callback)
            callback(resultDictionary(kStatusFailed, "订单重复"));
        return;
    }
    m_paymentPending = true;
    m_callback = std::move(callback);
    m_scheme = schemeStr;

    std::shared_ptr<NSError> error;
    const NSString envelope = OPayEnvelope::seal(orderString.UTF8String(), providerPublicKey(), &error);
    if (envelope.length() == 0) {
        finishPayment(resultDictionary(kStatusFailed, "支付信息无法加密"));
        return;
    }
    m_gatewayRequest = OPayGatewayRequest::create();
    std::weak_ptr<OrbipaySDK> weakSelf = self();
    m_gatewayRequest->start(gatewayURL(), envelope, schemeStr,
        [weakSelf](const std::shared_ptr<NSURL>& cashierURL, const NSString& refusal, const std::shared_ptr<NSError>& error) {
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf || !protectedSelf->m_paymentPending)
                return;
            protectedSelf->m_gatewayRequest = nullptr;
            if (cashierURL)
                protectedSelf->openCashier(cashierURL);
            else if (refusal.length())
                protectedSelf->finishPayment(resultDictionary(kStatusFailed, refusal));
            else
                protectedSelf->finishPayment(resultDictionary(error ? kStatusNetwork : kStatusFailed, error ? "网络连接出错" : "支付网关的回复无法读取"));
        });
}

void OrbipaySDK::openCashier(const std::shared_ptr<NSURL>& cashierURL)
{
    auto presenter = presentingController();
    if (!presenter) {
        finishPayment(resultDictionary(kStatusFailed, "无法打开收银台"));
        return;
    }
    std::weak_ptr<OrbipaySDK> weakSelf = self();
    m_cashier = OPayCashierViewController::create(cashierURL, m_scheme,
        [weakSelf](const std::shared_ptr<NSURL>& resultURL) {
            auto protectedSelf = weakSelf.lock();
            return protectedSelf && protectedSelf->takePaymentResult(resultURL, nullptr);
        },
        [weakSelf] {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->finishPayment(resultDictionary(kStatusCancelled, "用户中途取消"));
        });
    presenter->presentViewController(m_cashier, true);
}

void OrbipaySDK::closeCashier()
{
    auto cashier = std::move(m_cashier);
    m_cashier = nullptr;
    if (cashier && cashier->presentingViewController())
        cashier->dismissViewControllerAnimated(false);
}

void OrbipaySDK::finishPayment(const std::shared_ptr<NSDictionary>& result, const OPCompletionBlock& standbyCallback)
{
    if (!m_paymentPending)
        return;
    m_paymentPending = false;
    if (m_gatewayRequest)
        m_gatewayRequest->cancel();
    m_gatewayRequest = nullptr;
    closeCashier();
    auto callback = std::move(m_callback);
    m_callback = nullptr;
    m_scheme = NSString();
    if (callback)
        callback(result);
    else if (standbyCallback)
        standbyCallback(result);
}

std::shared_ptr<OrbipaySDK> OrbipaySDK::defaultService()
{
    static std::once_flag once;
    static std::shared_ptr<OrbipaySDK> service;
    std::call_once(once, [] { service = create(); });
    return service;
}

void OrbipaySDK::beginPayment(OPCompletionBlock callback)
{
    NSAssertMainThread();
    m_paymentPending = true;
    m_callback = std::move(callback);
}

std::shared_ptr<NSDictionary> OrbipaySDK::resultDictionaryFromURL(const std::shared_ptr<NSURL>& url)
{
    auto result = NSMutableDictionary::dictionary();
    if (!url)
        return result;
    const std::string query = url->query().UTF8String();
    std::size_t start = 0;
    while (start <= query.size() && !query.empty()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string pair = query.substr(start, end - start);
        if (!pair.empty()) {
            const std::size_t equals = pair.find('=');
            const NSString key = decodedText(pair.substr(0, equals));
            const NSString value = equals == std::string::npos ? NSString("") : decodedText(pair.substr(equals + 1));
            if (key.length() && !value.isNil())
                result->setObject(value, key);
        }
        start = end + 1;
    }
    return result;
}

void OrbipaySDK::processOrderWithPaymentResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback)
{
    NSAssertMainThread();
    takePaymentResult(resultUrl, standbyCallback);
}

bool OrbipaySDK::takePaymentResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback)
{
    if (!m_paymentPending || !resultUrl || resultUrl->host() != NSString("payresult"))
        return false;
    finishPayment(resultDictionaryFromURL(resultUrl), standbyCallback);
    return true;
}

void OrbipaySDK::processAuthResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback)
{
    NSAssertMainThread();
    // The client never asks for an authorisation, least of all during a payment: such a result
    // says nothing about the payment, whose block waits for the payment's own.
    if (m_paymentPending) {
        NSLog("An authorisation result during a payment is ignored: %@", resultUrl ? resultUrl->absoluteString() : NSString());
        return;
    }
    if (standbyCallback)
        standbyCallback(resultDictionaryFromURL(resultUrl));
}
