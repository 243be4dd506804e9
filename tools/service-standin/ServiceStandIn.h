#pragma once
// A local stand-in of the client's remote services, for development and tests: the main
// service with the video-learning and appeal services under one port, and the payment service
// under another, on loopback. It speaks what the client sends and expects: form-encoded POSTs
// carrying the fixed fields, replies in the two envelopes percent-encoded as a form value, a
// session cookie and a session id that later requests send back as TALKID (-3 once a session
// has timed out, -4 once a newer login of the same account replaced it). Every bad request is
// answered with an error envelope. Data comes from an SQLite database seeded with sample data.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace standin {

struct ReceivedRequest {
    std::string method;
    std::string path;
    std::string body;
    std::multimap<std::string, std::string> headers;

    // The first value of a header, by its name in any letter case; empty when absent.
    std::string header(const std::string& name) const;
};

struct Options {
    std::string host { "127.0.0.1" };
    // 0 takes a free port.
    int mainPort { 0 };
    int paymentPort { 0 };
    // ":memory:" keeps the data for the life of the stand-in; a file is seeded once.
    std::string databasePath { ":memory:" };
    std::chrono::seconds sessionLifetime { 1800 };
    // Each request must have arrived whole, head and body, within this time of its connection's
    // start or of the previous reply on it.
    std::chrono::seconds requestDeadline { 10 };
    // Without keep-alive every reply closes its connection, so stopping never waits for idle
    // clients (tests stop a stand-in after each case).
    bool keepAlive { true };
};

class ServiceStandIn {
public:
    explicit ServiceStandIn(Options options = {});
    ~ServiceStandIn();
    ServiceStandIn(const ServiceStandIn&) = delete;
    ServiceStandIn& operator=(const ServiceStandIn&) = delete;

    // False (with the reason in lastError) when the database or a port cannot be opened.
    bool start();
    void stop();

    int mainPort() const { return m_mainPort; }
    int paymentPort() const { return m_paymentPort; }
    // The client's base URLs for this stand-in, each ending in "/".
    std::string mainBaseURL() const;
    std::string videoBaseURL() const;
    std::string paymentBaseURL() const;
    const std::string& lastError() const { return m_lastError; }

    // The latest requests (2,000 at most, 16 MB in all), each body cut at 16 KB.
    std::vector<ReceivedRequest> requests() const;
    std::size_t requestCount() const { return requests().size(); }
    void clearRequests();
    // Every open session times out now: its next request is answered with -3.
    void expireSessions();
    // Answers an operation with this JSON text instead of the sample data, for replies the data
    // cannot make (rows without a field, JSON null): `operation` is a METHOD of the main service
    // or an action of the video and appeal services, with "/QUERY_TYPE" after "queryStudentHour",
    // or "getregional" for the region list.
    // An empty text ends it.
    void setCannedReply(const std::string& operation, const std::string& json);
    // Passes the JSON the sample data made for the operation (named as above, or the payment
    // action's last segment) through `rewrite` before it goes out; an empty function ends it.
    // It runs on the stand-in's threads.
    void setReplyRewrite(const std::string& operation, std::function<std::string(const std::string& json)> rewrite);
    // How many replies of the operation went out canned or rewritten since its canned reply or
    // rewrite was last set or ended, so that a test can tell its reply was asked for.
    std::size_t timesServed(const std::string& operation) const;

private:
    struct Implementation;
    std::unique_ptr<Implementation> m_implementation;
    Options m_options;
    int m_mainPort { 0 };
    int m_paymentPort { 0 };
    std::string m_lastError;
};

// For the client's run command: a started stand-in when nothing listens on the main port yet;
// nil when something already serves it (a stand-in started by hand, or the services themselves)
// or when the stand-in cannot start.
std::unique_ptr<ServiceStandIn> startUnlessServed(Options options);

// The reply text as the services send it: the JSON text form-encoded ("+" for a blank).
std::string formEncode(const std::string& text);
// Form decoding of one key or value.
std::string formDecode(const std::string& text);

} // namespace standin
