#pragma once
// A local HTTP or HTTPS server on a free loopback port, run by cpp-httplib on its own threads.
// It records every request it receives. HTTPS servers use a self-signed certificate made for
// the test run (for 127.0.0.1 and localhost) with the openssl tool.

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace loopback {

struct Certificate {
    std::string certificatePath;
    std::string keyPath;
    std::vector<std::uint8_t> DER;
};

// A fresh self-signed certificate in a folder of its own; `name` tells two apart.
inline Certificate makeCertificate(const std::string& name)
{
    auto folder = std::filesystem::temp_directory_path() / ("corvane-cert-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    Certificate certificate { (folder / "cert.pem").string(), (folder / "key.pem").string(), {} };
    std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=" + name
        + " -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout " + certificate.keyPath + " -out "
        + certificate.certificatePath + " >/dev/null 2>&1 && openssl x509 -in " + certificate.certificatePath
        + " -outform der -out " + (folder / "cert.der").string() + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return certificate;
    std::ifstream der(folder / "cert.der", std::ios::binary);
    certificate.DER.assign(std::istreambuf_iterator<char>(der), {});
    return certificate;
}

struct ReceivedRequest {
    std::string method;
    std::string path;
    std::string body;
    std::multimap<std::string, std::string, httplib::detail::ci> headers;

    std::string header(const std::string& name) const
    {
        auto found = headers.find(name);
        return found == headers.end() ? std::string() : found->second;
    }
    std::size_t headerCount(const std::string& name) const { return headers.count(name); }
};

class Server {
public:
    // Plain HTTP without a certificate, HTTPS with one. Without keep-alive every reply closes its
    // connection, so stopping the server never waits for idle clients.
    explicit Server(const Certificate* certificate = nullptr, bool keepAlive = false)
    {
        if (certificate)
            m_server = std::make_unique<httplib::SSLServer>(certificate->certificatePath.c_str(), certificate->keyPath.c_str());
        else
            m_server = std::make_unique<httplib::Server>();
        m_https = certificate != nullptr;
        m_server->new_task_queue = [] { return new httplib::ThreadPool(64); };
        m_server->set_keep_alive_max_count(1000);
        m_server->set_tcp_nodelay(true);
        m_server->set_pre_routing_handler([this, keepAlive](const httplib::Request& request, httplib::Response& response) {
            if (!keepAlive)
                response.set_header("Connection", "close");
            if (!m_recording)
                return httplib::Server::HandlerResponse::Unhandled;
            std::lock_guard lock(m_mutex);
            ReceivedRequest received { request.method, request.path, request.body, {} };
            for (const auto& [name, value] : request.headers)
                received.headers.emplace(name, value);
            m_requests.push_back(std::move(received));
            m_pendingBodies[&request] = m_requests.size() - 1;
            return httplib::Server::HandlerResponse::Unhandled;
        });
        // The body is read after the pre-routing handler, so it is recorded once routed.
        m_server->set_post_routing_handler([this](const httplib::Request& request, httplib::Response&) {
            std::lock_guard lock(m_mutex);
            if (auto found = m_pendingBodies.find(&request); found != m_pendingBodies.end()) {
                m_requests[found->second].body = request.body;
                m_pendingBodies.erase(found);
            }
        });
    }

    ~Server() { stop(); }

    httplib::Server& routes() { return *m_server; }
    // A benchmark's server keeps nothing of what it receives; set before start().
    void setRecording(bool recording) { m_recording = recording; }

    void start()
    {
        m_port = m_server->bind_to_any_port("127.0.0.1");
        // The socket listens from bind on, so clients may connect before the accept loop runs.
        m_thread = std::thread([this] { m_server->listen_after_bind(); });
        // Stopping before the loop runs would leave it running for ever.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!m_server->is_running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void stop()
    {
        if (m_thread.joinable()) {
            m_server->stop();
            m_thread.join();
        }
    }

    int port() const { return m_port; }
    std::string URL(const std::string& path) const
    {
        return std::string(m_https ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port) + path;
    }

    std::vector<ReceivedRequest> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    std::size_t requestCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests.size();
    }

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port { 0 };
    bool m_https { false };
    mutable std::mutex m_mutex;
    std::vector<ReceivedRequest> m_requests;
    std::atomic<bool> m_recording { true };
    std::map<const httplib::Request*, std::size_t> m_pendingBodies;
};

} // namespace loopback
