#include "tests/host/XvfbDisplay.h"

#include <cstdlib>

XvfbDisplay::XvfbDisplay()
{
    if (const char* display = std::getenv("DISPLAY"); display && *display) {
        m_available = true;
        return;
    }
    m_server = std::make_unique<ServerProcess>([](int ready) {
        return std::vector<std::string> { "Xvfb", "-displayfd", std::to_string(ready), "-screen", "0", "1280x1024x24", "-nolisten", "tcp" };
    });
    if (!m_server->isRunning()) {
        m_reason = "DISPLAY is not set and Xvfb cannot be started";
        m_server.reset();
        return;
    }
    if (m_server->readyLine().empty()) {
        m_reason = "DISPLAY is not set and Xvfb did not start (is it installed?)";
        m_server.reset();
        return;
    }
    setenv("DISPLAY", (":" + m_server->readyLine()).c_str(), 1);
    m_available = true;
}

XvfbDisplay::~XvfbDisplay()
{
    if (!m_server)
        return;
    m_server.reset();
    unsetenv("DISPLAY");
}
