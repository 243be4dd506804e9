#pragma once
// A local HTTP or HTTPS server on a free loopback port, run by cpp-httplib on its own threads.
// It records every request it receives. HTTPS servers use certificates made for the test run
// with the openssl tool: a self-signed one (makeCertificate), or a small authority's (authority()).
//
// TLS with the test authority, and client certificates:
//   const auto& pki = loopback::authority();      // made once per process
//   loopback::Server server(loopback::TLS { &pki.server, pki.authorityPath, true });
//   // TLS::certificate: the served leaf (pki.server for 127.0.0.1/localhost, pki.wrongHost for
//   //   another name); TLS::clientAuthorityPath: the CAs a client certificate must chain to
//   //   (empty: none asked for); TLS::requireClientCertificate: false asks for one but lets a
//   //   client without one in, true fails the handshake without a valid one.
// The client holds pki.client (PEM files) or pki.clientPKCS12Path with pki.clientPKCS12Password;
// pki.stranger is a client certificate the authority never signed. A client trusts the server
// through pki.authorityDER as an anchor, or as a system anchor while a
// loopback::SystemAnchors(pki.authorityPath) lives. ReceivedRequest::clientCertificate holds the
// common name of the certificate the client presented, empty when none.

#include <httplib.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

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
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace loopback {

// Removes a folder of the test process's own when the process ends: a suite runs one process per
// test, and folders named after the process would otherwise pile up in the temporary directory.
inline std::filesystem::path processFolder(const std::string& name)
{
    struct Remover {
        std::mutex lock;
        std::vector<std::filesystem::path> folders;
        ~Remover()
        {
            for (const auto& folder : folders) {
                std::error_code ignored;
                std::filesystem::remove_all(folder, ignored);
            }
        }
    };
    static Remover remover;
    auto folder = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::lock_guard locked(remover.lock);
    remover.folders.push_back(folder);
    return folder;
}

struct Certificate {
    std::string certificatePath;
    std::string keyPath;
    std::vector<std::uint8_t> DER;
};

// A fresh self-signed certificate in a folder of its own; `name` tells two apart.
inline Certificate makeCertificate(const std::string& name)
{
    const auto folder = processFolder("corvane-cert-" + name);
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

// A test certificate authority, the certificates it signed, and a stranger's.
struct Authority {
    std::string authorityPath; // the CA's certificate (PEM)
    std::vector<std::uint8_t> authorityDER;
    Certificate server; // 127.0.0.1 and localhost, for server authentication
    Certificate wrongHost; // elsewhere.invalid only
    Certificate client; // CN=corvane-learner, for client authentication
    std::string clientPKCS12Path; // the client's key, certificate and the CA
    std::string clientPKCS12Password;
    Certificate stranger; // self-signed client certificate, CN=corvane-stranger
};

namespace detail {

inline bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

inline std::vector<std::uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), {} };
}

inline const char* const newKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

// A certificate for `name`, signed by the authority in `folder`, with the given extensions.
inline Certificate issue(const std::filesystem::path& folder, const std::string& name, const std::string& extensions)
{
    Certificate certificate { (folder / (name + ".pem")).string(), (folder / (name + ".key")).string(), {} };
    const auto request = folder / (name + ".csr");
    const auto extensionFile = folder / (name + ".ext");
    std::ofstream(extensionFile) << extensions;
    if (run(std::string("openssl req ") + newKey + " -subj /CN=" + name + " -keyout " + certificate.keyPath + " -out " + request.string())
        && run("openssl x509 -req -in " + request.string() + " -CA " + (folder / "ca.pem").string() + " -CAkey "
            + (folder / "ca.key").string() + " -CAcreateserial -days 2 -extfile " + extensionFile.string() + " -out "
            + certificate.certificatePath)
        && run("openssl x509 -in " + certificate.certificatePath + " -outform der -out " + (folder / (name + ".der")).string()))
        certificate.DER = readFile(folder / (name + ".der"));
    return certificate;
}

inline Authority makeAuthority()
{
    const auto folder = processFolder("corvane-pki");
    Authority pki;
    pki.authorityPath = (folder / "ca.pem").string();
    if (!run(std::string("openssl req -x509 ") + newKey + " -days 2 -subj /CN=corvane-test-ca"
            + " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign -keyout "
            + (folder / "ca.key").string() + " -out " + pki.authorityPath)
        || !run("openssl x509 -in " + pki.authorityPath + " -outform der -out " + (folder / "ca.der").string()))
        return pki;
    pki.authorityDER = readFile(folder / "ca.der");
    pki.server = issue(folder, "127.0.0.1",
        "basicConstraints=CA:FALSE\nsubjectAltName=IP:127.0.0.1,DNS:localhost\nextendedKeyUsage=serverAuth\n");
    pki.wrongHost = issue(folder, "elsewhere.invalid",
        "basicConstraints=CA:FALSE\nsubjectAltName=DNS:elsewhere.invalid\nextendedKeyUsage=serverAuth\n");
    pki.client = issue(folder, "corvane-learner", "basicConstraints=CA:FALSE\nextendedKeyUsage=clientAuth\n");
    pki.clientPKCS12Password = "corvane-p12";
    const auto p12 = folder / "corvane-learner.p12";
    if (run("openssl pkcs12 -export -in " + pki.client.certificatePath + " -inkey " + pki.client.keyPath + " -certfile "
            + pki.authorityPath + " -name corvane-learner -passout pass:" + pki.clientPKCS12Password + " -out " + p12.string()))
        pki.clientPKCS12Path = p12.string();
    pki.stranger = Certificate { (folder / "stranger.pem").string(), (folder / "stranger.key").string(), {} };
    if (run(std::string("openssl req -x509 ") + newKey + " -days 2 -subj /CN=corvane-stranger -addext extendedKeyUsage=clientAuth -keyout "
            + pki.stranger.keyPath + " -out " + pki.stranger.certificatePath)
        && run("openssl x509 -in " + pki.stranger.certificatePath + " -outform der -out " + (folder / "stranger.der").string()))
        pki.stranger.DER = readFile(folder / "stranger.der");
    return pki;
}

inline std::string peerCommonName(const SSL* ssl)
{
    if (!ssl)
        return {};
    std::unique_ptr<X509, decltype(&X509_free)> peer(SSL_get1_peer_certificate(ssl), X509_free);
    if (!peer)
        return {};
    char name[256] {};
    if (X509_NAME_get_text_by_NID(X509_get_subject_name(peer.get()), NID_commonName, name, sizeof name) < 0)
        return {};
    return name;
}

} // namespace detail

// One authority per test process, made on first use; an empty DER tells that openssl failed.
inline const Authority& authority()
{
    static const Authority pki = detail::makeAuthority();
    return pki;
}

// Replaces the system's trusted certificates by those of a PEM file while it lives (the
// trust evaluation reads SSL_CERT_FILE at each evaluation).
class SystemAnchors {
public:
    explicit SystemAnchors(const std::string& path)
    {
        if (const char* old = std::getenv("SSL_CERT_FILE"))
            m_old = old;
        setenv("SSL_CERT_FILE", path.c_str(), 1);
    }
    ~SystemAnchors()
    {
        if (m_old)
            setenv("SSL_CERT_FILE", m_old->c_str(), 1);
        else
            unsetenv("SSL_CERT_FILE");
    }
    SystemAnchors(const SystemAnchors&) = delete;
    SystemAnchors& operator=(const SystemAnchors&) = delete;

private:
    std::optional<std::string> m_old;
};

struct TLS {
    const Certificate* certificate { nullptr };
    std::string clientAuthorityPath;
    bool requireClientCertificate { false };
};

struct ReceivedRequest {
    std::string method;
    std::string path;
    std::string body;
    std::multimap<std::string, std::string, httplib::detail::ci> headers;
    std::string clientCertificate;

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
        configure(keepAlive);
    }

    // HTTPS serving the PEM file of TLS::certificate (the leaf, then any intermediates) and,
    // when TLS::clientAuthorityPath is set, asking for a client certificate.
    explicit Server(const TLS& tls, bool keepAlive = false)
    {
        m_server = std::make_unique<httplib::SSLServer>([tls](SSL_CTX& context) {
            SSL_CTX_set_min_proto_version(&context, TLS1_2_VERSION);
            if (!tls.certificate || SSL_CTX_use_certificate_chain_file(&context, tls.certificate->certificatePath.c_str()) != 1
                || SSL_CTX_use_PrivateKey_file(&context, tls.certificate->keyPath.c_str(), SSL_FILETYPE_PEM) != 1)
                return false;
            if (tls.clientAuthorityPath.empty())
                return true;
            if (SSL_CTX_load_verify_locations(&context, tls.clientAuthorityPath.c_str(), nullptr) != 1)
                return false;
            SSL_CTX_set_client_CA_list(&context, SSL_load_client_CA_file(tls.clientAuthorityPath.c_str()));
            SSL_CTX_set_verify(&context, SSL_VERIFY_PEER | (tls.requireClientCertificate ? SSL_VERIFY_FAIL_IF_NO_PEER_CERT : 0), nullptr);
            return true;
        });
        m_https = true;
        configure(keepAlive);
    }

    ~Server() { stop(); }

    httplib::Server& routes() { return *m_server; }
    // A benchmark's server keeps nothing of what it receives; set before start().
    void setRecording(bool recording) { m_recording = recording; }

    void start()
    {
        m_port = m_server->bind_to_any_port("127.0.0.1");
        // The library listens with a backlog of 5: many clients connecting at once overflow it,
        // and the kernel then drops connections and retries them after 1, 2, 4, ... seconds, which
        // on a loaded machine outlasts any bounded wait. A second listen() only enlarges it.
        if (m_listeningSocket >= 0)
            ::listen(m_listeningSocket, SOMAXCONN);
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
    void configure(bool keepAlive)
    {
        m_server->new_task_queue = [] { return new httplib::ThreadPool(64); };
        m_server->set_keep_alive_max_count(1000);
        m_server->set_tcp_nodelay(true);
        m_server->set_socket_options([this](int socket) {
            httplib::default_socket_options(socket);
            m_listeningSocket = socket;
        });
        m_server->set_pre_routing_handler([this, keepAlive](const httplib::Request& request, httplib::Response& response) {
            if (!keepAlive)
                response.set_header("Connection", "close");
            if (!m_recording)
                return httplib::Server::HandlerResponse::Unhandled;
            std::lock_guard lock(m_mutex);
            ReceivedRequest received { request.method, request.path, request.body, {}, detail::peerCommonName(request.ssl) };
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

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port { 0 };
    int m_listeningSocket { -1 };
    bool m_https { false };
    mutable std::mutex m_mutex;
    std::vector<ReceivedRequest> m_requests;
    std::atomic<bool> m_recording { true };
    std::map<const httplib::Request*, std::size_t> m_pendingBodies;
};

} // namespace loopback
