#pragma once
// Test support for streamed uploads: a parser of multipart/form-data bodies, and a one-shot
// loopback server that keeps the raw bytes of the request it receives, so a test can compare
// the bytes sent with the declared Content-Length.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace multipart {

struct Part {
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
};

// The parts of a body with the given boundary; nothing when the body is not exactly a preamble-
// free sequence of parts closed by the final boundary with nothing after it.
inline std::optional<std::vector<Part>> parse(const std::string& body, const std::string& boundary)
{
    const std::string first = "--" + boundary + "\r\n";
    const std::string delimiter = "\r\n--" + boundary;
    if (body.compare(0, first.size(), first) != 0)
        return std::nullopt;
    std::vector<Part> parts;
    std::size_t position = first.size();
    for (;;) {
        const std::size_t headerEnd = body.find("\r\n\r\n", position);
        if (headerEnd == std::string::npos)
            return std::nullopt;
        Part part;
        std::size_t line = position;
        while (line < headerEnd) {
            std::size_t lineEnd = body.find("\r\n", line);
            lineEnd = std::min(lineEnd, headerEnd);
            const std::string text = body.substr(line, lineEnd - line);
            const std::size_t colon = text.find(": ");
            if (colon == std::string::npos)
                return std::nullopt;
            std::string name = text.substr(0, colon);
            std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
            part.headers[name] = text.substr(colon + 2);
            line = lineEnd + 2;
        }
        const std::size_t bodyStart = headerEnd + 4;
        const std::size_t bodyEnd = body.find(delimiter, bodyStart);
        if (bodyEnd == std::string::npos)
            return std::nullopt;
        part.body = body.substr(bodyStart, bodyEnd - bodyStart);
        parts.push_back(std::move(part));
        position = bodyEnd + delimiter.size();
        if (body.compare(position, 4, "--\r\n") == 0)
            return position + 4 == body.size() ? std::optional(parts) : std::nullopt;
        if (body.compare(position, 2, "\r\n") != 0)
            return std::nullopt;
        position += 2;
    }
}

// The value of a parameter in a header such as Content-Disposition, without its quotes.
inline std::string parameter(const std::string& header, const std::string& name)
{
    const std::string key = name + "=\"";
    std::size_t start = header.find("; " + key);
    if (start == std::string::npos)
        return {};
    start += key.size() + 2;
    const std::size_t end = header.find('"', start);
    return end == std::string::npos ? std::string() : header.substr(start, end - start);
}

// Accepts one connection, reads the header block and exactly Content-Length body bytes, and
// answers 200 "ok". The request is available once done() holds.
class RawServer {
public:
    RawServer()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_socket, 1);
        socklen_t length = sizeof address;
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

    std::string URL(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    bool done() const { return m_done; }
    // Valid once done().
    const std::string& head() const { return m_head; }
    const std::string& body() const { return m_body; }
    std::string header(const std::string& name) const
    {
        std::string lowerHead = m_head;
        std::transform(lowerHead.begin(), lowerHead.end(), lowerHead.begin(), [](unsigned char c) { return std::tolower(c); });
        std::string key = "\r\n" + name + ": ";
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
        const std::size_t start = lowerHead.find(key);
        if (start == std::string::npos)
            return {};
        const std::size_t valueStart = start + key.size();
        return m_head.substr(valueStart, m_head.find("\r\n", valueStart) - valueStart);
    }

private:
    // Waits for input a little at a time, so the destructor never waits for a client that
    // did not come.
    bool readable(int socket)
    {
        pollfd descriptor { socket, POLLIN, 0 };
        while (!m_stopping) {
            if (::poll(&descriptor, 1, 50) > 0)
                return true;
        }
        return false;
    }

    void serve()
    {
        if (!readable(m_socket))
            return;
        const int client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        std::string received;
        char buffer[65536];
        std::size_t headEnd = std::string::npos;
        std::size_t expected = 0;
        while (readable(client)) {
            const ssize_t count = ::recv(client, buffer, sizeof buffer, 0);
            if (count <= 0)
                break;
            received.append(buffer, static_cast<std::size_t>(count));
            if (headEnd == std::string::npos && (headEnd = received.find("\r\n\r\n")) != std::string::npos) {
                m_head = received.substr(0, headEnd + 2);
                expected = std::stoull("0" + header("Content-Length"));
            }
            if (headEnd != std::string::npos && received.size() - headEnd - 4 >= expected)
                break;
        }
        if (headEnd != std::string::npos)
            m_body = received.substr(headEnd + 4);
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
        ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        ::close(client);
        m_done = true;
    }

    int m_socket { -1 };
    int m_port { 0 };
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
    std::atomic<bool> m_done { false };
    std::string m_head;
    std::string m_body;
};

} // namespace multipart
