#pragma once
// A film served on loopback as a stream of unknown length that stops halfway, as a slow network
// does, until the test lets it go on. The hold outlasts any wait of a session, so only the test's
// own word lets the film on; the bound only keeps a lost test from hanging its server.

#include "tests/net/LoopbackServer.h"
#include "tests/support/Waiting.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace testing_support {

class HeldStream {
public:
    explicit HeldStream(std::string bytes)
        : m_bytes(std::move(bytes))
    {
        m_server.routes().Get("/film.ogv", [this](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("video/ogg", [this](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= m_bytes.size() / 2) {
                    std::unique_lock lock(m_mutex);
                    m_released.wait_for(lock, std::chrono::duration<double>(2 * kSessionWaitSeconds), [this] { return m_release; });
                }
                const std::size_t chunk = std::min<std::size_t>(4096, m_bytes.size() - offset);
                sink.write(m_bytes.data() + offset, chunk);
                if (offset + chunk == m_bytes.size())
                    sink.done();
                return true;
            });
        });
        m_server.start();
    }
    ~HeldStream() { letGo(); }
    HeldStream(const HeldStream&) = delete;
    HeldStream& operator=(const HeldStream&) = delete;

    std::string URL() { return m_server.URL("/film.ogv"); }
    void letGo()
    {
        {
            std::lock_guard lock(m_mutex);
            m_release = true;
        }
        m_released.notify_all();
    }

private:
    std::string m_bytes;
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_release { false };
    loopback::Server m_server;
};

} // namespace testing_support
