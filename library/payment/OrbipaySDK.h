#pragma once
// The payment SDK's entry object. An order screen hands it the signed order text with the
// application's URL scheme and a block; there being no wallet application on this system, the SDK
// seals the order for the provider's gateway and shows the gateway's web cashier. The result comes
// back as the wallet's would, through an address of the application's scheme with host
// "payresult" ("resultStatus=9000&memo=..."), and ends in the block, once:
// "9000" paid, "6001" left by the user, "6002" network error, "4000" other errors.

#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSURL.h"

#include <functional>

class OPayCashierViewController;
class OPayGatewayRequest;
class UIViewController;

using OPCompletionBlock = std::function<void(const std::shared_ptr<NSDictionary>& resultDic)>;

class OrbipaySDK : public NSObject {
    NS_OBJECT(OrbipaySDK, NSObject)
public:
    static std::shared_ptr<OrbipaySDK> defaultService();

    // A nil or empty order, or one while another is being paid, is answered at once with "4000"
    // ("订单缺失", "订单重复") and changes nothing; otherwise the payment starts.
    void payOrder(const NSString& orderString, const NSString& schemeStr, OPCompletionBlock callback);

    // A payment is under way from its start until its result came back.
    bool isPaymentPending() const { return m_paymentPending; }
    // Marks a payment started with the block that gets its result, without opening a cashier.
    void beginPayment(OPCompletionBlock callback);

    // Acts only while a payment is pending and only for the host "payresult": the parsed result
    // goes to the block given at the start, or else to the standby block; the payment is then over.
    void processOrderWithPaymentResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback);
    // With no payment pending the parsed result goes to the standby block; during a payment it is
    // ignored, for it never completes one.
    void processAuthResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback);

    // The query's pairs, percent-decoded; a key without "=" maps to the empty text.
    static std::shared_ptr<NSDictionary> resultDictionaryFromURL(const std::shared_ptr<NSURL>& url);
    // A result the SDK makes itself: `result` is empty.
    static std::shared_ptr<NSDictionary> resultDictionary(const NSString& status, const NSString& memo);

    // Where the gateway takes sealed orders: CORVANE_PAYMENT_GATEWAY_URL in the environment, else
    // the build's setting. The provider's public key is the build's.
    static std::shared_ptr<NSURL> gatewayURL();
    static NSString providerPublicKey();

    // The cashier now shown, nil when none.
    std::shared_ptr<OPayCashierViewController> cashier() const { return m_cashier; }

private:
    // processOrderWithPaymentResult, telling whether the URL ended the payment.
    bool takePaymentResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback);
    void openCashier(const std::shared_ptr<NSURL>& cashierURL);
    void closeCashier();
    // Ends the pending payment with the result, in the block held since the start.
    void finishPayment(const std::shared_ptr<NSDictionary>& result, const OPCompletionBlock& standbyCallback = nullptr);

    bool m_paymentPending { false };
    OPCompletionBlock m_callback;
    NSString m_scheme;
    std::shared_ptr<OPayGatewayRequest> m_gatewayRequest;
    std::shared_ptr<OPayCashierViewController> m_cashier;
};
