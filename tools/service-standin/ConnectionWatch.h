#pragma once
// The workers of one of the stand-in's ports, and a watch over the connections they serve. A
// request must have arrived whole, head and body, within a deadline counted from its connection's
// start or from the previous reply on it. A connection that finds every worker taken gets a new
// one, up to the most there may be; past that, the connection that has waited longest for its
// request gives its worker up. A client that trickles its request a line at a time so holds a
// worker for the deadline at most, and slow clients, how many there may be, never keep a new one
// waiting for long.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace standin {

class ConnectionWatch {
public:
    using Clock = std::chrono::steady_clock;

    // `workers` from the start, more while connections wait for one, up to `mostWorkers`.
    ConnectionWatch(int port, std::size_t workers, std::size_t mostWorkers, Clock::duration deadline);
    ~ConnectionWatch();
    ConnectionWatch(const ConnectionWatch&) = delete;
    ConnectionWatch& operator=(const ConnectionWatch&) = delete;

    // A task queue for the server, which deletes it when it stops listening; it hands its work here.
    httplib::TaskQueue* newTaskQueue();

    // Held by a handler while it answers the request of the peer (address and port as the
    // request names them): the request has arrived whole, and the deadline runs again after it.
    class Answering {
    public:
        Answering(ConnectionWatch& watch, const httplib::Request& request);
        ~Answering();
        Answering(const Answering&) = delete;
        Answering& operator=(const Answering&) = delete;

    private:
        ConnectionWatch& m_watch;
        std::string m_peer;
    };

private:
    class Queue;
    struct Connection {
        int socket { -1 };
        ino_t inode { 0 };
        // When the wait for its current request started.
        Clock::time_point since;
        Clock::time_point deadline;
        bool running { false };
        bool answering { false };
        bool cut { false };
    };
    struct Task {
        std::string peer;
        ino_t inode { 0 };
        std::function<void()> work;
    };

    void enqueue(std::function<void()> work);
    void shutdown();
    void work();
    void watch();
    // Gives every task waiting a worker, a new one or one a connection slow to send its
    // request is cut from; the lock is held.
    void makeRoom(Clock::time_point now);
    // The connection the server has just accepted on the port, by its peer's address; empty when
    // it cannot be told.
    Task admit(std::function<void()> work);
    void setAnswering(const std::string& peer, bool answering);
    // Ends the connection's reading, so its worker returns; the socket is checked to be the same.
    static void cut(Connection& connection);

    const int m_port;
    const std::size_t m_mostWorkers;
    const Clock::duration m_deadline;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Task> m_tasks;
    std::map<std::string, Connection> m_connections;
    std::size_t m_idle { 0 };
    bool m_stopping { false };
    bool m_watching { true };
    std::vector<std::thread> m_workers;
    std::thread m_watcher;
};

} // namespace standin
