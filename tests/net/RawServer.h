#pragma once
// A loopback server that speaks raw bytes: for replies no ordinary server would send, and for
// reading exactly what a client put on the wire. Every connection is answered with the same
// bytes, whatever it asked, once its head and Content-Length bytes of body have arrived; the
// first request's head and body are kept.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <string>
#include <thread>

class RawServer {
public:
    static constexpr const char* okReply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";

    explicit RawServer(std::string reply = okReply) : m_reply(std::move(reply))
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_socket, 4);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~RawServer()
    {
        m_stopping = true;
        m_thread.join();
        ::close(m_socket);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    std::string URL(const std::string& path = "/reply") const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    // The first request has been answered; its head and body are readable from then on.
    bool done() const { return m_done; }
    const std::string& head() const { return m_head; }
    const std::string& body() const { return m_body; }
    std::string header(const std::string& name) const { return headerIn(m_head, name); }

private:
    // Waits for input a little at a time, so the destructor never waits for a client that does
    // not come; a client that goes quiet holds the server for `idleSeconds` at most.
    bool readable(int socket, int idleSeconds = -1) const
    {
        const auto until = idleSeconds < 0 ? std::chrono::steady_clock::time_point::max()
                                           : std::chrono::steady_clock::now() + std::chrono::seconds(idleSeconds);
        pollfd descriptor { socket, POLLIN, 0 };
        while (!m_stopping && std::chrono::steady_clock::now() < until) {
            if (::poll(&descriptor, 1, 50) > 0)
                return true;
        }
        return false;
    }

    void serve()
    {
        while (readable(m_socket)) {
            const int client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            answer(client);
            ::close(client);
        }
    }

    void answer(int client)
    {
        std::string received;
        char buffer[65536];
        std::size_t headEnd = std::string::npos;
        std::size_t expected = 0;
        while (readable(client, 20)) {
            const ssize_t count = ::recv(client, buffer, sizeof buffer, 0);
            if (count <= 0)
                break;
            received.append(buffer, static_cast<std::size_t>(count));
            if (headEnd == std::string::npos && (headEnd = received.find("\r\n\r\n")) != std::string::npos) {
                if (!m_done)
                    m_head = received.substr(0, headEnd + 2);
                const std::string length = headerIn(received.substr(0, headEnd + 2), "Content-Length");
                expected = std::strtoull(length.c_str(), nullptr, 10);
            }
            if (headEnd != std::string::npos && received.size() - headEnd - 4 >= expected)
                break;
        }
        if (!m_done && headEnd != std::string::npos)
            m_body = received.substr(headEnd + 4);
        for (std::size_t sent = 0; sent < m_reply.size();) {
            const ssize_t put = ::send(client, m_reply.data() + sent, m_reply.size() - sent, MSG_NOSIGNAL);
            if (put <= 0)
                break;
            sent += std::size_t(put);
        }
        ::shutdown(client, SHUT_WR);
        while (readable(client, 5) && ::recv(client, buffer, sizeof buffer, 0) > 0) { }
        m_done = true;
    }

    // The value of the field `name` (any case) in a head, without its leading spaces.
    static std::string headerIn(const std::string& head, const std::string& name)
    {
        const auto lower = [](std::string text) {
            std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
            return text;
        };
        const std::string lowerHead = lower(head);
        const std::size_t start = lowerHead.find("\r\n" + lower(name) + ":");
        if (start == std::string::npos)
            return {};
        const std::size_t valueStart = head.find_first_not_of(' ', start + name.size() + 3);
        if (valueStart == std::string::npos)
            return {};
        return head.substr(valueStart, head.find("\r\n", valueStart) - valueStart);
    }

    std::string m_reply;
    int m_socket { -1 };
    int m_port { 0 };
    std::atomic<bool> m_stopping { false };
    std::atomic<bool> m_done { false };
    std::string m_head;
    std::string m_body;
    std::thread m_thread;
};
