#include "platform/net/NSURLConnection.h"

#include "platform/net/NSOutputStream.h"
#include "platform/net/NSURLError.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

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

std::shared_ptr<ConnectionRecorder> load(const std::shared_ptr<NSURLRequest>& request)
{
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::connectionWithRequest(request, recorder);
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return recorder->ended(); }, 60));
    return recorder;
}

NSInteger failureOf(const std::string& reply)
{
    RawServer server(reply);
    auto recorder = load(NSURLRequest::requestWithURL(NSURL::URLWithString(server.URL())));
    return recorder->error ? recorder->error->code() : 0;
}

// `size` zero bytes, gzip-compressed.
std::string gzipOfZeros(std::size_t size)
{
    z_stream stream {};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    const std::string zeros(1 << 20, '\0');
    std::string out;
    char buffer[1 << 16];
    for (std::size_t done = 0; done < size; done += zeros.size()) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        stream.avail_in = uInt(std::min(zeros.size(), size - done));
        const int flush = done + zeros.size() >= size ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

} // namespace

TEST(HostileReplies, repliesThatAreNoHTTPAreBadServerResponses)
{
    EXPECT_EQ(failureOf("SSH-2.0-OpenSSH_9.2\r\n"), NSURLErrorBadServerResponse);
    EXPECT_EQ(failureOf("HTTP/1.1 abc\r\nContent-Length: 0\r\n\r\n"), NSURLErrorBadServerResponse);
    EXPECT_EQ(failureOf("HTTP/1.1 200 OK\r\nX-Long: " + std::string(2 << 20, 'a') + "\r\nContent-Length: 0\r\n\r\n"),
        NSURLErrorBadServerResponse);
    // A sound reply still loads.
    EXPECT_EQ(failureOf("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok"), 0);
}

TEST(HostileReplies, bodiesBeyondTheMaximumFailWithDataLengthExceedsMaximum)
{
    loopback::Server server;
    const std::string bomb = gzipOfZeros(std::size_t(256) << 20);
    ASSERT_LT(bomb.size(), std::size_t(1) << 20);
    server.routes().Get("/bomb", [&](const httplib::Request&, httplib::Response& response) {
        response.set_header("Content-Encoding", "gzip");
        response.set_content(bomb, "application/json");
    });
    server.routes().Get("/plain", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(3 << 20, 'x'), "text/plain");
    });
    server.start();

    // The default bound holds against a reply that inflates a thousand times over.
    auto recorder = load(NSURLRequest::requestWithURL(NSURL::URLWithString(server.URL("/bomb"))));
    ASSERT_TRUE(recorder->error);
    EXPECT_EQ(recorder->error->code(), NSURLErrorDataLengthExceedsMaximum);
    EXPECT_FALSE(recorder->finished);
    EXPECT_LT(recorder->body.size(), std::size_t(64) << 20);

    // So does the inflation bound alone, with a maximum high above the body.
    auto generous = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(server.URL("/bomb")));
    generous->setMaximumResponseLength(std::size_t(1) << 40);
    recorder = load(generous);
    ASSERT_TRUE(recorder->error);
    EXPECT_EQ(recorder->error->code(), NSURLErrorDataLengthExceedsMaximum);
    EXPECT_LT(recorder->body.size(), std::size_t(32) << 20);

    // A request may lower its bound; a body within it loads whole.
    auto small = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(server.URL("/plain")));
    small->setMaximumResponseLength(1 << 20);
    recorder = load(small);
    ASSERT_TRUE(recorder->error);
    EXPECT_EQ(recorder->error->code(), NSURLErrorDataLengthExceedsMaximum);
    small->setMaximumResponseLength(3 << 20);
    recorder = load(small);
    EXPECT_TRUE(recorder->finished);
    EXPECT_EQ(recorder->body.size(), std::size_t(3) << 20);

    // The bound travels with copies and archives of the request.
    auto copy = small->copyRequest();
    EXPECT_EQ(copy->maximumResponseLength(), std::size_t(3) << 20);
    EXPECT_EQ(NSURLRequest::requestWithURL(NSURL::URLWithString("http://a/"))->maximumResponseLength(), NSURLRequestDefaultMaximumResponseLength);
    server.stop();
}

TEST(HostileReplies, aMemoryStreamHandsItsBytesOverWhenClosed)
{
    auto stream = NSOutputStream::outputStreamToMemory();
    stream->open();
    stream->write(reinterpret_cast<const std::uint8_t*>("abc"), 3);
    auto early = ns::cast<NSData>(stream->propertyForKey(NSStreamDataWrittenToMemoryStreamKey));
    stream->write(reinterpret_cast<const std::uint8_t*>("d"), 1);
    ASSERT_TRUE(early);
    EXPECT_EQ(early->stringView(), "abc") << "a snapshot while open";
    stream->close();
    auto written = ns::cast<NSData>(stream->propertyForKey(NSStreamDataWrittenToMemoryStreamKey));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->stringView(), "abcd");
    // Moved, not copied: a long body is held once.
    EXPECT_EQ(stream->propertyForKey(NSStreamDataWrittenToMemoryStreamKey), static_cast<id>(written));
}

TEST(HostileReplies, foldedHeaderLinesContinueTheFieldBeforeThem)
{
    RawServer server("HTTP/1.1 200 OK\r\nX-Note: first part\r\n  second: part\r\n\tthird\r\nContent-Type: text/plain;\r\n charset=utf-8\r\n"
                     "Connection: close\r\nContent-Length: 2\r\n\r\nok");
    auto recorder = load(NSURLRequest::requestWithURL(NSURL::URLWithString(server.URL())));
    ASSERT_TRUE(recorder->response);
    EXPECT_EQ(recorder->response->valueForHTTPHeaderField("X-Note"), "first part second: part third");
    EXPECT_TRUE(recorder->response->valueForHTTPHeaderField("second").isNil()) << "a folded line is no field of its own";
    EXPECT_EQ(recorder->response->textEncodingName(), "utf-8");
    EXPECT_EQ(recorder->body, "ok");
}
