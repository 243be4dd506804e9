#include "tests/support/OtherProcess.h"

#include <spawn.h>
#include <string>
#include <sys/wait.h>

extern char** environ;

bool passesInAnotherProcess(const char* testName)
{
    std::string filter = std::string("--gtest_filter=") + testName;
    char binary[] = "/proc/self/exe";
    char alsoDisabled[] = "--gtest_also_run_disabled_tests";
    char* arguments[] = { binary, filter.data(), alsoDisabled, nullptr };
    pid_t child = 0;
    if (posix_spawn(&child, binary, nullptr, nullptr, arguments, environ) != 0)
        return false;
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
