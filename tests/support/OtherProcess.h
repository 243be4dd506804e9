#pragma once

// Runs one test of the current test binary in a new process, which shares this process's
// sandbox, and answers whether it passed. The test is usually a DISABLED_ one, so it runs only
// when asked for.
bool passesInAnotherProcess(const char* testName);
