#include "tests/support/ServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

ServerProcess::ServerProcess(const std::function<std::vector<std::string>(int readyDescriptor)>& arguments)
{
    int ready[2];
    if (pipe(ready) != 0)
        return;
    const std::vector<std::string> commandLine = arguments(ready[1]);
    std::vector<char*> argv;
    for (const auto& argument : commandLine)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    m_process = fork();
    if (m_process == 0) {
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
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(ready[1]);
    // The line arrives once the server listens; the pipe closes if it dies first.
    pollfd wait { ready[0], POLLIN, 0 };
    while (m_process > 0 && poll(&wait, 1, 10000) == 1) {
        char buffer[256];
        const ssize_t count = read(ready[0], buffer, sizeof buffer);
        if (count <= 0)
            break;
        m_readyLine.append(buffer, static_cast<std::size_t>(count));
        if (m_readyLine.find('\n') != std::string::npos)
            break;
    }
    close(ready[0]);
    while (!m_readyLine.empty() && (m_readyLine.back() == '\n' || m_readyLine.back() == '\r'))
        m_readyLine.pop_back();
}

ServerProcess::~ServerProcess()
{
    if (m_process <= 0)
        return;
    kill(m_process, SIGTERM);
    waitpid(m_process, nullptr, 0);
}
