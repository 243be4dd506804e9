#pragma once
// The transfers of one run loop (in one set of modes): a curl multi handle whose sockets are
// watched descriptors of the loop and whose timer is a timerfd, so curl keeps real time even
// while the loop's clock is the manual one. Only the loop's thread touches it.
//
// Curl forbids changing the multi handle from inside its callbacks, so transfers only queue what
// they learn there; the loop hands it to them once curl has returned (deliverPendingEvents), then
// tells them which transfers completed.
//
// The transfers' time-outs share one timer of the run loop (on its clock, manual or real). A
// transfer tells the loop the earliest time it may be due; its due time moving later, as an idle
// time-out does with each event, costs nothing: when the timer comes, the transfer is asked
// again and says when to look next.

#include "platform/foundation/NSRunLoop.h"

#include <curl/curl.h>

#include <limits>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class NSTimer;

class URLTransferLoop : public std::enable_shared_from_this<URLTransferLoop> {
public:
    class Client {
    public:
        virtual ~Client() = default;
        virtual void deliverPendingEvents() = 0;
        virtual void transferDidComplete(CURLcode result) = 0;
        // The loop's clock reached the time the client asked to be looked at: it fails if its
        // time is up, and answers when to look again, or a negative time for never.
        virtual NSTimeInterval deadlineReached(NSTimeInterval now) = 0;
    };

    // The loop of the calling thread's run loop for these modes, made on first use.
    static std::shared_ptr<URLTransferLoop> current(const std::vector<std::string>& modes);

    URLTransferLoop(const std::shared_ptr<NSRunLoop>& runLoop, std::vector<std::string> modes);
    ~URLTransferLoop();

    bool add(CURL* handle, const std::shared_ptr<Client>& client);
    // Stops watching the transfer (its client is let go); the handle stays the caller's.
    void remove(CURL* handle);
    // Removes the transfer and takes its handle back, once curl has returned when called from
    // inside one of its callbacks.
    // A handle that met or answered an authentication challenge is not kept: curl holds the
    // challenge's state (a Digest nonce and its count) in the handle, and the next request on it
    // would answer without asking, or with another request's credential.
    void retire(CURL* handle, bool reusable = true);
    // A handle for a new transfer: one a finished transfer left, as it left it, or a fresh one
    // (`fresh` tells which). The transfer sets every option it uses, so nothing of the last one's
    // request carries over. Null when curl cannot make one.
    CURL* takeHandle(bool& fresh);
    void markPending(const std::shared_ptr<Client>& client);
    // Looks at the client at `due` (the run loop's clock) instead of when it last asked.
    void watchDeadline(const std::shared_ptr<Client>& client, NSTimeInterval due);
    void forgetDeadline(const Client* client);
    bool isInsideCurl() const { return m_insideCurl; }
    const std::vector<std::string>& modes() const { return m_modes; }

private:
    static int onSocket(CURL* handle, curl_socket_t socket, int what, void* loop, void* socketData);
    static int onTimer(CURLM* multi, long milliseconds, void* loop);
    void watchSocket(curl_socket_t socket, int what);
    void act(curl_socket_t socket, int mask);
    void afterAction();
    void deadlineTimerFired();
    void armDeadlineTimer(NSTimeInterval due);

    CURLM* m_multi { nullptr };
    int m_timerFd { -1 };
    NSUInteger m_timerToken { 0 };
    std::weak_ptr<NSRunLoop> m_runLoop;
    std::vector<std::string> m_modes;
    // The same modes as the run loop takes them, made once: sockets are watched anew often.
    std::vector<NSRunLoopMode> m_runLoopModes;
    std::map<curl_socket_t, NSUInteger> m_sockets;
    std::unordered_map<CURL*, std::shared_ptr<Client>> m_clients;
    std::vector<std::weak_ptr<Client>> m_pending;
    std::vector<std::pair<CURL*, bool>> m_retired;
    std::vector<CURL*> m_spare;
    struct Deadline {
        const Client* key;
        std::weak_ptr<Client> client;
        NSTimeInterval due;
    };
    std::vector<Deadline> m_deadlines;
    std::shared_ptr<NSTimer> m_deadlineTimer;
    // When the timer fires next; infinity while it is paused.
    NSTimeInterval m_deadlineTimerDue { std::numeric_limits<NSTimeInterval>::infinity() };
    bool m_insideCurl { false };
    bool m_acting { false };
    bool m_beginningAtOnce { false };
};
