// Every test process gets a sandbox of its own, so user defaults, databases and caches written
// by one test never leak into another (CTest runs each test in a separate process).
#include "tests/support/OtherProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// The process-wide font map keeps fontconfig's patterns for as long as the process runs;
// fontconfig stores some of its pointers as offsets, which the leak checker cannot follow.
// Defined here, in the object every test program links, so the checker always finds it.
// Shared libraries' own initialisers keep what they allocate for the life of the process;
// allocations of the tree's code never run there. (A program whose initialisers run in libraries
// without frame pointers, the media framework's, unwinds allocations slowly to reach them.)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:_dl_init\n";
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const bool mustRunATest = std::any_of(argv + 1, argv + argc, [](const char* argument) { return std::string(argument) == kMustRunATestArgument; });
    // Tests play movies without sound: their sound goes to a silent output that counts it.
    setenv("CORVANE_AUDIO_SINK", "fake", 0);
    std::string ownHome;
    if (!std::getenv("CORVANE_HOME")) {
        const char* root = std::getenv("CORVANE_TEST_TMP");
        std::filesystem::path base = root ? root : std::filesystem::temp_directory_path();
        std::filesystem::create_directories(base);
        std::string pattern = (base / "home-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            setenv("CORVANE_HOME", pattern.c_str(), 1);
            ownHome = pattern;
        }
    }
    int result = RUN_ALL_TESTS();
    if (mustRunATest && testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        fprintf(stderr, "no test matches the filter\n");
        result = 1;
    }
    // A thousand test processes would otherwise leave a thousand sandboxes behind.
    if (!ownHome.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(ownHome, ignored);
    }
    return result;
}
