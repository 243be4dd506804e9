#include "tools/service-standin/ConnectionWatch.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace standin {

namespace {

// How often the watch looks for requests past their deadline, and how long a request may take
// to arrive before its connection may be cut to free a worker.
constexpr auto kWatchInterval = std::chrono::milliseconds(50);
constexpr auto kArrivalGrace = std::chrono::milliseconds(250);

int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// "address:port" of the socket's peer, as the server names it in a request; empty when the
// socket is none of the port's connections.
std::string peerOf(int socket, int localPort)
{
    sockaddr_storage local {};
    socklen_t length = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0 || portOf(local) != localPort)
        return {};
    sockaddr_storage peer {};
    length = sizeof peer;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return {};
    char host[NI_MAXHOST] {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&peer), length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return {};
    return std::string(host) + ":" + std::to_string(portOf(peer));
}

} // namespace

class ConnectionWatch::Queue final : public httplib::TaskQueue {
public:
    explicit Queue(ConnectionWatch& watch) : m_watch(watch) { }
    void enqueue(std::function<void()> work) override { m_watch.enqueue(std::move(work)); }
    void shutdown() override { m_watch.shutdown(); }

private:
    ConnectionWatch& m_watch;
};

ConnectionWatch::ConnectionWatch(int port, std::size_t workers, std::size_t mostWorkers, Clock::duration deadline)
    : m_port(port)
    , m_mostWorkers(std::max(workers, mostWorkers))
    , m_deadline(deadline)
{
    std::lock_guard lock(m_mutex);
    m_idle = workers;
    for (std::size_t i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
    m_watcher = std::thread([this] { watch(); });
}

ConnectionWatch::~ConnectionWatch()
{
    shutdown();
    {
        std::lock_guard lock(m_mutex);
        m_watching = false;
    }
    m_changed.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
}

httplib::TaskQueue* ConnectionWatch::newTaskQueue()
{
    return std::make_unique<Queue>(*this).release();
}

ConnectionWatch::Answering::Answering(ConnectionWatch& watch, const httplib::Request& request)
    : m_watch(watch)
    , m_peer(request.remote_addr + ":" + std::to_string(request.remote_port))
{
    m_watch.setAnswering(m_peer, true);
}

ConnectionWatch::Answering::~Answering()
{
    m_watch.setAnswering(m_peer, false);
}

void ConnectionWatch::enqueue(std::function<void()> work)
{
    Task task = admit(std::move(work));
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        makeRoom(Clock::now());
    }
    m_changed.notify_all();
}

void ConnectionWatch::makeRoom(Clock::time_point now)
{
    std::size_t freeing = std::count_if(m_connections.begin(), m_connections.end(),
        [](const auto& entry) { return entry.second.running && entry.second.cut; });
    while (m_tasks.size() > m_idle + freeing) {
        if (!m_stopping && m_workers.size() < m_mostWorkers) {
            ++m_idle;
            m_workers.emplace_back([this] { work(); });
            continue;
        }
        // Every worker there may be is taken: the connection that has waited longest for its
        // request, longer than a request takes to arrive, gives its worker up.
        Connection* oldest = nullptr;
        for (auto& [peer, connection] : m_connections) {
            if (connection.running && !connection.answering && !connection.cut && now - connection.since >= kArrivalGrace
                && (!oldest || connection.since < oldest->since))
                oldest = &connection;
        }
        if (!oldest)
            return;
        cut(*oldest);
        ++freeing;
    }
}

void ConnectionWatch::shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_stopping = true;
        // Requests still arriving are not waited for; replies being made are.
        for (auto& [peer, connection] : m_connections) {
            if (!connection.answering)
                cut(connection);
        }
    }
    m_changed.notify_all();
    for (auto& worker : m_workers) {
        if (worker.joinable())
            worker.join();
    }
}

void ConnectionWatch::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_tasks.empty())
            return;
        // With every worker there may be taken, the newest connection goes first: those queued
        // before it are as likely slow ones, and wait for their deadline.
        const bool newestFirst = m_workers.size() >= m_mostWorkers;
        Task task = std::move(newestFirst ? m_tasks.back() : m_tasks.front());
        if (newestFirst)
            m_tasks.pop_back();
        else
            m_tasks.pop_front();
        --m_idle;
        if (auto found = m_connections.find(task.peer); found != m_connections.end()) {
            found->second.running = true;
            // A request cut while it waited for a worker is not read at all.
            if (m_stopping && !found->second.cut)
                cut(found->second);
        }
        lock.unlock();
        task.work();
        lock.lock();
        ++m_idle;
        if (auto found = m_connections.find(task.peer); found != m_connections.end() && found->second.inode == task.inode)
            m_connections.erase(found);
    }
}

void ConnectionWatch::watch()
{
    std::unique_lock lock(m_mutex);
    while (m_watching) {
        m_changed.wait_for(lock, kWatchInterval);
        const auto now = Clock::now();
        for (auto& [peer, connection] : m_connections) {
            if (!connection.answering && !connection.cut && now > connection.deadline)
                cut(connection);
        }
        makeRoom(now);
    }
}

ConnectionWatch::Task ConnectionWatch::admit(std::function<void()> work)
{
    Task task { {}, 0, std::move(work) };
    // The server has just accepted the connection and hands it over inside the work; it is the
    // one socket of the port not watched yet. The descriptors of watched connections are looked
    // at only when no other is it: a descriptor just closed may have been given to the new one.
    std::set<int> watched;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [peer, connection] : m_connections)
            watched.insert(connection.socket);
    }
    std::vector<int> descriptors;
    std::error_code failure;
    for (std::filesystem::directory_iterator entry("/proc/self/fd", failure), end; !failure && entry != end; entry.increment(failure))
        descriptors.push_back(std::atoi(entry->path().filename().c_str()));
    std::stable_partition(descriptors.begin(), descriptors.end(), [&](int socket) { return !watched.contains(socket); });
    for (const int socket : descriptors) {
        struct stat info {};
        if (socket < 0 || ::fstat(socket, &info) != 0 || !S_ISSOCK(info.st_mode))
            continue;
        std::string peer = peerOf(socket, m_port);
        if (peer.empty())
            continue;
        std::lock_guard lock(m_mutex);
        auto known = m_connections.find(peer);
        if (known != m_connections.end() && known->second.inode == info.st_ino)
            continue;
        const auto now = Clock::now();
        m_connections[peer] = Connection { socket, info.st_ino, now, now + m_deadline };
        task.peer = std::move(peer);
        task.inode = info.st_ino;
        break;
    }
    return task;
}

void ConnectionWatch::setAnswering(const std::string& peer, bool answering)
{
    std::lock_guard lock(m_mutex);
    auto found = m_connections.find(peer);
    if (found == m_connections.end())
        return;
    found->second.answering = answering;
    if (!answering) {
        // The wait for the connection's next request starts.
        found->second.since = Clock::now();
        found->second.deadline = found->second.since + m_deadline;
    }
}

void ConnectionWatch::cut(Connection& connection)
{
    connection.cut = true;
    struct stat info {};
    if (::fstat(connection.socket, &info) == 0 && info.st_ino == connection.inode)
        ::shutdown(connection.socket, SHUT_RDWR);
}

} // namespace standin
