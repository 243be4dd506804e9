#pragma once
// A connection delegate that writes down what it hears, in order.

#include "platform/foundation/NSError.h"
#include "platform/net/NSHTTPURLResponse.h"
#include "platform/net/NSURLConnection.h"

#include <string>
#include <vector>

class ConnectionRecorder : public NSURLConnectionDelegate {
public:
    std::vector<std::string> events;
    std::shared_ptr<NSHTTPURLResponse> response;
    std::string body;
    std::shared_ptr<NSError> error;
    bool finished { false };
    NSInteger bytesSent { 0 };

    bool ended() const { return finished || error; }

    std::optional<std::shared_ptr<NSURLRequest>> willSendRequest(NSURLConnection&, const std::shared_ptr<NSURLRequest>& request,
        const std::shared_ptr<NSURLResponse>& redirectResponse) override
    {
        events.push_back(redirectResponse ? "redirect" : "willSendRequest");
        return request;
    }
    void didReceiveResponse(NSURLConnection&, const std::shared_ptr<NSURLResponse>& received) override
    {
        events.push_back("response");
        response = std::dynamic_pointer_cast<NSHTTPURLResponse>(received);
    }
    void didReceiveData(NSURLConnection&, const std::shared_ptr<NSData>& data) override
    {
        if (events.back() != "data")
            events.push_back("data");
        body.append(data->stringView());
    }
    void didSendBodyData(NSURLConnection&, NSInteger, NSInteger total, NSInteger) override { bytesSent = total; }
    void connectionDidFinishLoading(NSURLConnection&) override
    {
        events.push_back("finish");
        finished = true;
    }
    void didFailWithError(NSURLConnection&, const std::shared_ptr<NSError>& failure) override
    {
        events.push_back("fail");
        error = failure;
    }
};
