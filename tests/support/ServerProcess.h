#pragma once
// A server program started for a test and stopped with it. The program is handed a descriptor
// on which it writes one line once it listens (its address, its display number); the line is
// read here, waiting at most ten seconds, and is empty if the program died first.

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

class ServerProcess {
public:
    // `arguments` makes the command line (program first) from the ready descriptor's number.
    explicit ServerProcess(const std::function<std::vector<std::string>(int readyDescriptor)>& arguments);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool isRunning() const { return m_process > 0; }
    // The line the program wrote when ready, without its line end.
    const std::string& readyLine() const { return m_readyLine; }

private:
    pid_t m_process { -1 };
    std::string m_readyLine;
};
