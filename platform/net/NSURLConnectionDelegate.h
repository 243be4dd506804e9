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

// The connection is passed first, as a reference; a delegate that keeps it calls self() on it.
// An optional operation with a result answers std::nullopt when it is not implemented, and the
// connection then does what the platform does without it.
class NSURLConnectionDelegate {
public:
    virtual ~NSURLConnectionDelegate() = default;

    // The request to send instead (nil stops the load; on a redirect, nil delivers the redirect
    // reply itself); not implemented sends the request as it is. The redirect response is nil
    // before the first send.
    virtual std::optional<std::shared_ptr<NSURLRequest>> willSendRequest(NSURLConnection&, const std::shared_ptr<NSURLRequest>&,
        const std::shared_ptr<NSURLResponse>& /*redirectResponse*/)
    {
        return std::nullopt;
    }

    // A delegate that answers challenges this way returns true; it then gets every challenge,
    // and the older pair below is not asked.
    virtual bool willSendRequestForAuthenticationChallenge(NSURLConnection&, const std::shared_ptr<NSURLAuthenticationChallenge>&)
    {
        return false;
    }
    // The older pair: not implemented gives server trust the default handling and lets other
    // challenges through to didReceiveAuthenticationChallenge, which by default goes on without
    // a credential.
    virtual std::optional<bool> canAuthenticateAgainstProtectionSpace(NSURLConnection&, const std::shared_ptr<NSURLProtectionSpace>&)
    {
        return std::nullopt;
    }
    virtual void didReceiveAuthenticationChallenge(NSURLConnection& connection,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge);
    virtual std::optional<bool> connectionShouldUseCredentialStorage(NSURLConnection&) { return std::nullopt; }

    virtual void didReceiveResponse(NSURLConnection&, const std::shared_ptr<NSURLResponse>&) { }
    virtual void didReceiveData(NSURLConnection&, const std::shared_ptr<NSData>&) { }
    virtual void didSendBodyData(NSURLConnection&, NSInteger, NSInteger, NSInteger) { }
    // A fresh copy of the body stream when a redirect must send it again; nil, or not
    // implemented, fails the load.
    virtual std::optional<std::shared_ptr<NSInputStream>> needNewBodyStream(NSURLConnection&, const std::shared_ptr<NSURLRequest>&)
    {
        return std::nullopt;
    }
    // The reply to store in the shared URL cache, or nil to store nothing; not implemented
    // stores the proposed one.
    virtual std::optional<std::shared_ptr<NSCachedURLResponse>> willCacheResponse(NSURLConnection&,
        const std::shared_ptr<NSCachedURLResponse>& /*cachedResponse*/)
    {
        return std::nullopt;
    }
    virtual void connectionDidFinishLoading(NSURLConnection&) { }
    virtual void didFailWithError(NSURLConnection&, const std::shared_ptr<NSError>&) { }
};
