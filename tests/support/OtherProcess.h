#pragma once

#include <string>

// Runs one test of the current test binary in a new process, which shares this process's
// sandbox, and answers whether it passed. The test is usually a DISABLED_ one, so it runs only
// when asked for. A name that matches no test fails: a test renamed or mistyped would otherwise
// pass without running.
bool passesInAnotherProcess(const char* testName);
// The same, keeping what the process wrote to its error output (the leak checker reports there).
bool passesInAnotherProcess(const char* testName, std::string& errors);

// Told to a test process that must run at least one test; read by the tests' main.
inline constexpr const char* kMustRunATestArgument = "--corvane-must-run-a-test";
