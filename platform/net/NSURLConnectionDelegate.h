#pragma once
// What a connection tells its delegate, in the platform's order: willSendRequest before the first
// send and on each redirect; the authentication challenges; didReceiveResponse; didReceiveData
// and didSendBodyData as bytes move; willCacheResponse; then connectionDidFinishLoading or
// didFailWithError, after which the connection says nothing more. Every operation is optional.

#include <memory>
#include <optional>

#include "platform/foundation/NSObjCRuntime.h"

class NSCachedURLResponse;
class NSError;
class NSData;
class NSInputStream;
class NSURLAuthenticationChallenge;
class NSURLConnection;
class NSURLProtectionSpace;
class NSURLRequest;
class NSURLResponse;

class NSURLConnectionDelegate {
public:
    virtual ~NSURLConnectionDelegate() = default;

    // The request to send instead (nil stops the load; on a redirect, nil delivers the redirect
    // reply itself). The redirect response is nil before the first send.
    virtual std::shared_ptr<NSURLRequest> willSendRequest(NSURLConnection* connection, const std::shared_ptr<NSURLRequest>& request,
        const std::shared_ptr<NSURLResponse>& redirectResponse);

    // A delegate that answers challenges this way says so; it then gets every challenge.
    virtual bool respondsToWillSendRequestForAuthenticationChallenge() const { return false; }
    virtual void willSendRequestForAuthenticationChallenge(NSURLConnection* connection,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge);
    // The older pair: nil means not implemented (server trust then gets the default handling).
    virtual std::optional<bool> canAuthenticateAgainstProtectionSpace(NSURLConnection* connection,
        const std::shared_ptr<NSURLProtectionSpace>& protectionSpace);
    virtual void didReceiveAuthenticationChallenge(NSURLConnection* connection,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge);
    virtual bool connectionShouldUseCredentialStorage(NSURLConnection*) { return true; }

    virtual void didReceiveResponse(NSURLConnection*, const std::shared_ptr<NSURLResponse>&) { }
    virtual void didReceiveData(NSURLConnection*, const std::shared_ptr<NSData>&) { }
    virtual void didSendBodyData(NSURLConnection*, NSInteger, NSInteger, NSInteger) { }
    // A fresh copy of the body stream when a redirect must send it again; nil fails the load.
    virtual std::shared_ptr<NSInputStream> needNewBodyStream(NSURLConnection*, const std::shared_ptr<NSURLRequest>&) { return nullptr; }
    // The reply to store in the shared URL cache, or nil to store nothing.
    virtual std::shared_ptr<NSCachedURLResponse> willCacheResponse(NSURLConnection*,
        const std::shared_ptr<NSCachedURLResponse>& cachedResponse)
    {
        return cachedResponse;
    }
    virtual void connectionDidFinishLoading(NSURLConnection*) { }
    virtual void didFailWithError(NSURLConnection*, const std::shared_ptr<NSError>&) { }
};
