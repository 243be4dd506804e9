#pragma once
// One request to the provider's gateway: the sealed order goes out as JSON
// ({"envelope": ..., "scheme": ...}) and the gateway answers with the address of its cashier page,
// or with a refusal ({"code": "4000", "message": ...}). The answer, or the transport error, comes
// back once on the main thread; cancel() drops it.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLConnectionDelegate.h"

#include <functional>

class OPayGatewayRequest : public NSObject, public NSURLConnectionDelegate {
    NS_OBJECT(OPayGatewayRequest, NSObject)
public:
    // cashierURL is nil on any failure; refusal is the gateway's own message when it refused
    // (nil for a transport failure or a reply that does not read); error is set for a transport
    // failure only.
    using Completion = std::function<void(const std::shared_ptr<NSURL>& cashierURL, const NSString& refusal,
        const std::shared_ptr<NSError>& error)>;

    void start(const std::shared_ptr<NSURL>& gatewayURL, const NSString& envelope, const NSString& scheme, Completion completion);
    void cancel();

    void didReceiveResponse(NSURLConnection&, const std::shared_ptr<NSURLResponse>& response) override;
    void didReceiveData(NSURLConnection&, const std::shared_ptr<NSData>& data) override;
    void connectionDidFinishLoading(NSURLConnection&) override;
    void didFailWithError(NSURLConnection&, const std::shared_ptr<NSError>& error) override;

private:
    void finish(const std::shared_ptr<NSURL>& cashierURL, const NSString& refusal, const std::shared_ptr<NSError>& error);

    std::shared_ptr<NSURLConnection> m_connection;
    std::shared_ptr<NSMutableData> m_body;
    NSInteger m_status { 0 };
    Completion m_completion;
};
