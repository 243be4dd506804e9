#pragma once
// A loopback server for replies no ordinary server would send.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

// Answers every connection with the same raw bytes, whatever was asked, then closes it.
class RawServer {
public:
    explicit RawServer(std::string reply) : m_reply(std::move(reply))
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
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
        ::shutdown(m_socket, SHUT_RDWR);
        ::close(m_socket);
        m_thread.join();
    }
    std::string URL() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/reply"; }

private:
    void serve()
    {
        while (!m_stopping) {
            const int client = ::accept(m_socket, nullptr, nullptr);
            if (client < 0)
                return;
            // A client that keeps the connection open does not hold the server for long.
            const timeval limit { 5, 0 };
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            char buffer[4096];
            std::string request;
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, std::size_t(got));
            }
            for (std::size_t sent = 0; sent < m_reply.size();) {
                const ssize_t put = ::send(client, m_reply.data() + sent, m_reply.size() - sent, MSG_NOSIGNAL);
                if (put <= 0)
                    break;
                sent += std::size_t(put);
            }
            ::shutdown(client, SHUT_WR);
            while (::recv(client, buffer, sizeof buffer, 0) > 0) { }
            ::close(client);
        }
    }

    std::string m_reply;
    int m_socket { -1 };
    int m_port { 0 };
    std::atomic<bool> m_stopping { false };
    std::thread m_thread;
};
