#pragma once
// Loads one request asynchronously and tells its delegate as it goes. The connection runs in the
// run loop it is scheduled in (the current one in the default mode unless scheduled otherwise):
// its sockets are watched descriptors of that loop and every delegate call happens on that
// loop's thread while it runs in one of the connection's modes. The connection holds its delegate
// until the load ends, and the run loop holds the connection while it loads.
//
// Standard method names go on the wire upper-cased ("Post" is sent as POST). Cookies: with
// HTTPShouldHandleCookies the stored cookies for the URL are sent unless the request carries its
// own Cookie field (never both), and Set-Cookie fields are stored before the delegate hears of
// the reply. Time-out: the request's interval without any progress, on the run loop's clock,
// fails with NSURLErrorTimedOut.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/net/NSURLAuthenticationChallenge.h"
#include "platform/net/NSURLConnectionDelegate.h"
#include "platform/net/NSURLRequest.h"

#include <atomic>
#include <vector>

class NSTimer;
class URLTransfer;

class NSURLConnection final : public NSObject, public NSURLAuthenticationChallengeSender {
    NS_OBJECT(NSURLConnection, NSObject)
public:
    ~NSURLConnection() override;

    static std::shared_ptr<NSURLConnection> connectionWithRequest(const std::shared_ptr<NSURLRequest>& request,
        const std::shared_ptr<NSURLConnectionDelegate>& delegate);

    const std::shared_ptr<NSURLRequest>& originalRequest() const { return m_originalRequest; }
    std::shared_ptr<NSURLRequest> currentRequest() const;

    // Before start: where the connection will run. One run loop; any number of its modes.
    void scheduleInRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode);
    void unscheduleFromRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode);
    void start();
    // No delegate call follows; callable from any thread.
    void cancel();

    void useCredential(const std::shared_ptr<NSURLCredential>& credential,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override;
    void continueWithoutCredentialForAuthenticationChallenge(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override;
    void cancelAuthenticationChallenge(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override;

protected:
    // initWithRequest:delegate:startImmediately:
    void init(const std::shared_ptr<NSURLRequest>& request, const std::shared_ptr<NSURLConnectionDelegate>& delegate,
        bool startImmediately);

private:
    friend class URLTransfer;

    bool isOnRunLoopThread() const;
    void startOnRunLoop();
    std::vector<NSRunLoopMode> modes() const REQUIRES(m_mutex);

    mutable Mutex m_mutex;
    // Set by init, before the connection is shared.
    std::shared_ptr<NSURLRequest> m_originalRequest;
    std::shared_ptr<NSURLConnectionDelegate> m_delegate GUARDED_BY(m_mutex);
    std::shared_ptr<NSRunLoop> m_runLoop GUARDED_BY(m_mutex);
    std::vector<std::string> m_modes GUARDED_BY(m_mutex);
    std::shared_ptr<URLTransfer> m_transfer GUARDED_BY(m_mutex);
    std::atomic<bool> m_started { false };
    std::atomic<bool> m_cancelled { false };
};
