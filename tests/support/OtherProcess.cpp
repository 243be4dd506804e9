#include "tests/support/OtherProcess.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

bool runs(const char* testName, posix_spawn_file_actions_t* actions)
{
    std::string filter = std::string("--gtest_filter=") + testName;
    std::string mustRun = kMustRunATestArgument;
    char binary[] = "/proc/self/exe";
    char alsoDisabled[] = "--gtest_also_run_disabled_tests";
    char* arguments[] = { binary, filter.data(), alsoDisabled, mustRun.data(), nullptr };
    pid_t child = 0;
    if (posix_spawn(&child, binary, actions, nullptr, arguments, environ) != 0)
        return false;
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool passesInAnotherProcess(const char* testName) { return runs(testName, nullptr); }

bool passesInAnotherProcess(const char* testName, std::string& errors)
{
    const char* home = std::getenv("CORVANE_HOME");
    std::string path = (std::filesystem::path(home ? home : std::filesystem::temp_directory_path().string()) / "errors-XXXXXX").string();
    const int file = mkstemp(path.data());
    if (file < 0)
        return false;
    close(file);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, path.c_str(), O_WRONLY | O_TRUNC, 0);
    const bool passed = runs(testName, &actions);
    posix_spawn_file_actions_destroy(&actions);
    std::ifstream written(path);
    errors.assign(std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    return passed;
}
