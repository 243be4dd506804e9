#include "platform/net/URLTransferLoop.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemClock.h"

#include <algorithm>

#include <cerrno>
#include <mutex>
#include <openssl/crypto.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

// As the run loop's: a timer fired at a due time may read the clock a rounding error short of it.
constexpr NSTimeInterval dueMargin = 1e-6;
constexpr NSTimeInterval never = std::numeric_limits<NSTimeInterval>::infinity();

void initializeCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The TLS library's state is never torn down, like our own process-wide objects: its exit handler
// would free it while the networking thread still starts or ends a transfer. Both are set up
// before main, so a first transfer started while the process exits does not set them up then.
[[maybe_unused]] const bool transfersReady = [] {
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    initializeCurlOnce();
    return true;
}();

struct LoopRegistry {
    std::map<std::string, std::shared_ptr<URLTransferLoop>> loops;
};

} // namespace

std::shared_ptr<URLTransferLoop> URLTransferLoop::current(const std::vector<std::string>& modes)
{
    thread_local LoopRegistry registry;
    std::string key;
    for (const auto& mode : modes)
        key += mode + "\n";
    auto& loop = registry.loops[key];
    if (!loop)
        loop = std::make_shared<URLTransferLoop>(NSRunLoop::currentRunLoop(), modes);
    return loop;
}

URLTransferLoop::URLTransferLoop(const std::shared_ptr<NSRunLoop>& runLoop, std::vector<std::string> modes)
    : m_runLoop(runLoop)
    , m_modes(std::move(modes))
{
    for (const auto& mode : m_modes)
        m_runLoopModes.emplace_back(mode);
    initializeCurlOnce();
    m_multi = curl_multi_init();
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &URLTransferLoop::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &URLTransferLoop::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    m_timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
}

URLTransferLoop::~URLTransferLoop()
{
    for (auto& [handle, client] : m_clients)
        curl_multi_remove_handle(m_multi, handle);
    for (const auto& retired : m_retired) {
        curl_multi_remove_handle(m_multi, retired.first);
        curl_easy_cleanup(retired.first);
    }
    for (CURL* handle : m_spare)
        curl_easy_cleanup(handle);
    m_clients.clear();
    if (m_deadlineTimer)
        m_deadlineTimer->invalidate();
    if (auto runLoop = m_runLoop.lock()) {
        for (const auto& [socket, token] : m_sockets)
            runLoop->removeFileDescriptor(token);
        if (m_timerToken)
            runLoop->removeFileDescriptor(m_timerToken);
    }
    curl_multi_cleanup(m_multi);
    if (m_timerFd >= 0)
        ::close(m_timerFd);
}

bool URLTransferLoop::add(CURL* handle, const std::shared_ptr<Client>& client)
{
    auto runLoop = m_runLoop.lock();
    if (!runLoop || m_timerFd < 0)
        return false;
    if (!m_timerToken) {
        std::weak_ptr<URLTransferLoop> weakSelf = weak_from_this();
        m_timerToken = runLoop->addFileDescriptor(m_timerFd, POLLIN, [weakSelf](short) {
            auto loop = weakSelf.lock();
            if (!loop)
                return;
            std::uint64_t expirations;
            [[maybe_unused]] auto count = ::read(loop->m_timerFd, &expirations, sizeof expirations);
            loop->act(CURL_SOCKET_TIMEOUT, 0);
        }, m_runLoopModes);
    }
    m_clients[handle] = client;
    // Curl asks for an immediate timeout to begin; outside its callbacks the transfer can begin
    // here, a round through the run loop sooner, and the timer need not be armed for it. The
    // action after it tells the timer again whatever else curl has to wait for.
    const bool beginAtOnce = !m_insideCurl && !m_acting;
    m_beginningAtOnce = beginAtOnce;
    const CURLMcode added = curl_multi_add_handle(m_multi, handle);
    m_beginningAtOnce = false;
    if (added != CURLM_OK) {
        m_clients.erase(handle);
        return false;
    }
    if (beginAtOnce)
        act(CURL_SOCKET_TIMEOUT, 0);
    return true;
}

void URLTransferLoop::retire(CURL* handle, bool reusable)
{
    if (m_insideCurl) {
        m_retired.emplace_back(handle, reusable);
        return;
    }
    remove(handle);
    if (!reusable) {
        curl_easy_cleanup(handle);
        return;
    }
    // Making a handle costs about as much as a small request on loopback, and setting it up
    // again from curl's defaults a good part of that: keep a few as they are.
    constexpr std::size_t kSpareHandles = 8;
    if (m_spare.size() >= kSpareHandles) {
        curl_easy_cleanup(handle);
        return;
    }
    m_spare.push_back(handle);
}

CURL* URLTransferLoop::takeHandle(bool& fresh)
{
    fresh = m_spare.empty();
    if (fresh)
        return curl_easy_init();
    CURL* handle = m_spare.back();
    m_spare.pop_back();
    return handle;
}

void URLTransferLoop::remove(CURL* handle)
{
    auto found = m_clients.find(handle);
    if (found == m_clients.end())
        return;
    curl_multi_remove_handle(m_multi, handle);
    // The client may hold the last reference to itself through this entry: let it go last.
    auto client = std::move(found->second);
    m_clients.erase(found);
}

void URLTransferLoop::markPending(const std::shared_ptr<Client>& client)
{
    m_pending.push_back(client);
}

void URLTransferLoop::watchDeadline(const std::shared_ptr<Client>& client, NSTimeInterval due)
{
    auto found = std::find_if(m_deadlines.begin(), m_deadlines.end(), [&](const Deadline& d) { return d.key == client.get(); });
    if (found == m_deadlines.end())
        m_deadlines.push_back({ client.get(), client, due });
    else
        *found = { client.get(), client, due };
    if (due < m_deadlineTimerDue)
        armDeadlineTimer(due);
}

void URLTransferLoop::forgetDeadline(const Client* client)
{
    // The timer stays as it is: coming for nobody costs one look, moving it costs every request.
    std::erase_if(m_deadlines, [client](const Deadline& d) { return d.key == client; });
}

void URLTransferLoop::armDeadlineTimer(NSTimeInterval due)
{
    m_deadlineTimerDue = due;
    auto date = NSDate::dateWithTimeIntervalSinceReferenceDate(due == never ? NSDate::distantFuture()->timeIntervalSinceReferenceDate() : due);
    if (m_deadlineTimer) {
        m_deadlineTimer->setFireDate(date);
        return;
    }
    auto runLoop = m_runLoop.lock();
    if (!runLoop)
        return;
    std::weak_ptr<URLTransferLoop> weakSelf = weak_from_this();
    // Repeating, so that it stays on the run loop: each firing sets the next date itself.
    m_deadlineTimer = NSTimer::timerWithTimeInterval(1e9, [weakSelf](const std::shared_ptr<NSTimer>&) {
        if (auto loop = weakSelf.lock())
            loop->deadlineTimerFired();
    }, true);
    m_deadlineTimer->setFireDate(date);
    for (const auto& mode : m_runLoopModes)
        runLoop->addTimer(m_deadlineTimer, mode);
}

void URLTransferLoop::deadlineTimerFired()
{
    auto protectedSelf = shared_from_this();
    m_deadlineTimerDue = never;
    const NSTimeInterval now = SystemClock::now();
    std::vector<Deadline> due;
    for (const auto& deadline : m_deadlines) {
        if (deadline.due <= now + dueMargin)
            due.push_back(deadline);
    }
    std::stable_sort(due.begin(), due.end(), [](const Deadline& a, const Deadline& b) { return a.due < b.due; });
    for (const auto& deadline : due) {
        // A client failing may end others, or start new transfers that ask for looks of their own.
        auto client = deadline.client.lock();
        const NSTimeInterval next = client ? client->deadlineReached(now) : -1;
        // Found by owner, not by address: a client that ended may have left its address to a new one.
        auto found = std::find_if(m_deadlines.begin(), m_deadlines.end(), [&](const Deadline& d) {
            return !d.client.owner_before(deadline.client) && !deadline.client.owner_before(d.client);
        });
        if (found == m_deadlines.end())
            continue;
        if (next < 0)
            m_deadlines.erase(found);
        else
            found->due = next;
    }
    NSTimeInterval earliest = never;
    for (const auto& deadline : m_deadlines)
        earliest = std::min(earliest, deadline.due);
    armDeadlineTimer(earliest);
}

int URLTransferLoop::onSocket(CURL*, curl_socket_t socket, int what, void* loop, void*)
{
    static_cast<URLTransferLoop*>(loop)->watchSocket(socket, what);
    return 0;
}

void URLTransferLoop::watchSocket(curl_socket_t socket, int what)
{
    auto runLoop = m_runLoop.lock();
    if (!runLoop)
        return;
    auto found = m_sockets.find(socket);
    if (what == CURL_POLL_REMOVE) {
        if (found != m_sockets.end()) {
            runLoop->removeFileDescriptor(found->second);
            m_sockets.erase(found);
        }
        return;
    }
    short events = 0;
    if (what & CURL_POLL_IN)
        events |= POLLIN;
    if (what & CURL_POLL_OUT)
        events |= POLLOUT;
    // Curl turns from sending to reading on the same socket: the watch changes in place.
    if (found != m_sockets.end()) {
        runLoop->setFileDescriptorEvents(found->second, events);
        return;
    }
    std::weak_ptr<URLTransferLoop> weakSelf = weak_from_this();
    m_sockets[socket] = runLoop->addFileDescriptor(socket, events, [weakSelf, socket](short revents) {
        auto loop = weakSelf.lock();
        if (!loop)
            return;
        int mask = 0;
        if (revents & POLLIN)
            mask |= CURL_CSELECT_IN;
        if (revents & POLLOUT)
            mask |= CURL_CSELECT_OUT;
        if (revents & (POLLERR | POLLHUP | POLLNVAL))
            mask |= CURL_CSELECT_ERR;
        loop->act(socket, mask);
    }, m_runLoopModes);
}

int URLTransferLoop::onTimer(CURLM*, long milliseconds, void* loop)
{
    auto* self = static_cast<URLTransferLoop*>(loop);
    if (milliseconds == 0 && self->m_beginningAtOnce)
        return 0;
    itimerspec due {};
    if (milliseconds >= 0) {
        // A zero value would disarm the timer; "at once" is one nanosecond.
        due.it_value.tv_sec = milliseconds / 1000;
        due.it_value.tv_nsec = milliseconds % 1000 * 1000000 + (milliseconds == 0 ? 1 : 0);
    }
    timerfd_settime(self->m_timerFd, 0, &due, nullptr);
    return 0;
}

void URLTransferLoop::act(curl_socket_t socket, int mask)
{
    auto protectedSelf = shared_from_this();
    int running = 0;
    m_insideCurl = true;
    curl_multi_socket_action(m_multi, socket, mask, &running);
    m_insideCurl = false;
    afterAction();
}

void URLTransferLoop::afterAction()
{
    // Delivery may start new transfers or complete others; keep going until all is told.
    if (m_acting)
        return;
    m_acting = true;
    while (true) {
        for (auto [handle, reusable] : std::exchange(m_retired, {}))
            retire(handle, reusable);
        auto pending = std::exchange(m_pending, {});
        for (const auto& weakClient : pending) {
            if (auto client = weakClient.lock())
                client->deliverPendingEvents();
        }
        bool completed = false;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            CURL* handle = message->easy_handle;
            CURLcode result = message->data.result;
            auto found = m_clients.find(handle);
            if (found == m_clients.end())
                continue;
            auto client = found->second;
            remove(handle);
            client->transferDidComplete(result);
            completed = true;
        }
        if (!completed && m_pending.empty() && m_retired.empty())
            break;
    }
    m_acting = false;
}
