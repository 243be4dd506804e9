#include "tests/host/XvfbDisplay.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

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
    m_server = fork();
    if (m_server == 0) {
        // The server goes when the test process goes, however it ends, and keeps none of its
        // output pipes open.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, STDIN_FILENO);
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
        }
        close(ready[0]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", nullptr);
        _exit(127);
    }
    close(ready[1]);
    if (m_server < 0) {
        close(ready[0]);
        m_reason = "DISPLAY is not set and Xvfb cannot be started (" + std::string(std::strerror(errno)) + ")";
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
        m_reason = "DISPLAY is not set and Xvfb did not start (is it installed?)";
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
