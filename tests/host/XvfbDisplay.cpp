#include "tests/host/XvfbDisplay.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

XvfbDisplay::XvfbDisplay()
{
    if (const char* display = std::getenv("DISPLAY"); display && *display) {
        m_available = true;
        return;
    }
    int ready[2];
    if (pipe(ready) != 0) {
        m_reason = "no pipe for Xvfb";
        return;
    }
    const std::string fd = std::to_string(ready[1]);
    const char* arguments[] = { "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", nullptr };
    const int spawned = posix_spawnp(&m_server, "Xvfb", nullptr, nullptr, const_cast<char* const*>(arguments), environ);
    close(ready[1]);
    if (spawned != 0) {
        close(ready[0]);
        m_server = -1;
        m_reason = "DISPLAY is not set and Xvfb cannot be started (" + std::string(std::strerror(spawned)) + ")";
        return;
    }
    // The number arrives once the server listens; the pipe closes if it dies first.
    std::string number;
    pollfd wait { ready[0], POLLIN, 0 };
    while (poll(&wait, 1, 10000) == 1) {
        char buffer[16];
        const ssize_t count = read(ready[0], buffer, sizeof buffer);
        if (count <= 0)
            break;
        number.append(buffer, static_cast<std::size_t>(count));
        if (number.find('\n') != std::string::npos)
            break;
    }
    close(ready[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == '\r'))
        number.pop_back();
    if (number.empty()) {
        m_reason = "DISPLAY is not set and Xvfb did not start";
        return;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    m_available = true;
}

XvfbDisplay::~XvfbDisplay()
{
    if (m_server <= 0)
        return;
    kill(m_server, SIGTERM);
    int status = 0;
    waitpid(m_server, &status, 0);
    unsetenv("DISPLAY");
}
