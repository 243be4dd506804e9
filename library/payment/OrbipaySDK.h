#pragma once
// The payment SDK's entry object: what the application delegate hands the wallet's call-back URLs
// to. The query of a call-back URL ("resultStatus=9000&memo=...") becomes the result dictionary.

#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSURL.h"

#include <functional>

using OPCompletionBlock = std::function<void(const std::shared_ptr<NSDictionary>& resultDic)>;

class OrbipaySDK : public NSObject {
    NS_OBJECT(OrbipaySDK, NSObject)
public:
    static std::shared_ptr<OrbipaySDK> defaultService();

    // A payment is under way from its start until its result came back.
    bool isPaymentPending() const { return m_paymentPending; }
    // Marks a payment started with the block that gets its result (the order screens call it).
    void beginPayment(OPCompletionBlock callback);

    // Acts only while a payment is pending: the parsed result goes to the block given at the
    // start, or else to the standby block; the payment is then over.
    void processOrderWithPaymentResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback);
    // The parsed result goes to the stored block, or else to the standby block.
    void processAuthResult(const std::shared_ptr<NSURL>& resultUrl, const OPCompletionBlock& standbyCallback);

    // The query's pairs, percent-decoded; a key without "=" maps to the empty text.
    static std::shared_ptr<NSDictionary> resultDictionaryFromURL(const std::shared_ptr<NSURL>& url);

private:
    bool m_paymentPending { false };
    OPCompletionBlock m_callback;
};
