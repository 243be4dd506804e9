#include "library/payment/OPayGatewayRequest.h"

#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSHTTPURLResponse.h"
#include "platform/net/NSURLRequest.h"

namespace {

constexpr NSTimeInterval kGatewayTimeout = 30;

NSString textOf(const std::shared_ptr<NSDictionary>& dictionary, const char* key)
{
    auto value = dictionary->objectForKey(NSString(key));
    if (auto text = std::dynamic_pointer_cast<NSString>(value))
        return *text;
    return value ? value->description() : NSString();
}

} // namespace

void OPayGatewayRequest::start(const std::shared_ptr<NSURL>& gatewayURL, const NSString& envelope, const NSString& scheme,
    Completion completion)
{
    m_completion = std::move(completion);
    auto body = NSMutableDictionary::dictionary();
    body->setObject(envelope, NSString("envelope"));
    body->setObject(scheme, NSString("scheme"));
    auto request = NSMutableURLRequest::requestWithURL(gatewayURL);
    request->setHTTPMethod("POST");
    request->setTimeoutInterval(kGatewayTimeout);
    request->setValue("application/json; charset=utf-8", "Content-Type");
    request->setHTTPBody(JSONCodecSerializing::JSONString(body).dataUsingEncoding(NSUTF8StringEncoding));
    m_body = NSMutableData::data();
    m_connection = NSURLConnection::connectionWithRequest(request, self());
}

void OPayGatewayRequest::cancel()
{
    m_completion = nullptr;
    if (m_connection)
        m_connection->cancel();
    m_connection = nullptr;
}

void OPayGatewayRequest::didReceiveResponse(NSURLConnection&, const std::shared_ptr<NSURLResponse>& response)
{
    auto http = std::dynamic_pointer_cast<NSHTTPURLResponse>(response);
    m_status = http ? http->statusCode() : 0;
}

void OPayGatewayRequest::didReceiveData(NSURLConnection&, const std::shared_ptr<NSData>& data)
{
    m_body->appendData(data);
}

void OPayGatewayRequest::connectionDidFinishLoading(NSURLConnection&)
{
    auto reply = std::dynamic_pointer_cast<NSDictionary>(JSONCodecDeserializing::objectFromJSONData(m_body));
    // The network did its part: a reply that does not read (a proxy's error page) is no network error.
    if (!reply) {
        finish(nullptr, nullptr, nullptr);
        return;
    }
    const NSString code = textOf(reply, "code");
    const NSString cashier = textOf(reply, "cashier");
    auto cashierURL = cashier.length() ? NSURL::URLWithString(cashier) : nullptr;
    if (code == NSString("0") && cashierURL) {
        finish(cashierURL, nullptr, nullptr);
        return;
    }
    const NSString message = textOf(reply, "message");
    finish(nullptr, message.length() ? message : NSString("支付请求被拒绝"), nullptr);
}

void OPayGatewayRequest::didFailWithError(NSURLConnection&, const std::shared_ptr<NSError>& error)
{
    finish(nullptr, nullptr, error);
}

void OPayGatewayRequest::finish(const std::shared_ptr<NSURL>& cashierURL, const NSString& refusal, const std::shared_ptr<NSError>& error)
{
    m_connection = nullptr;
    auto completion = std::move(m_completion);
    m_completion = nullptr;
    if (completion)
        completion(cashierURL, refusal, error);
}
