// Every test process gets a sandbox of its own, so user defaults, databases and caches written
// by one test never leak into another (CTest runs each test in a separate process).
#include "tests/support/LeakCheck.h"
#include "tests/support/LoggedWarnings.h"
#include "tests/support/OtherProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <memory>
#include <string>
#include <unistd.h>

#ifdef CORVANE_CHECKS_LEAKS
#include <sanitizer/allocator_interface.h>
#include <sanitizer/lsan_interface.h>

namespace {

struct FirstNameTable {
    const char* firstName { nullptr };
    const char* secondName { nullptr };
    const void* table { nullptr };
};

// GLib leaves its first table of names behind on purpose once more names are added (the media
// framework's network plugins add many), and makes it in its own initialiser, which the quick
// unwinder cannot follow into a library without frame pointers: the suppression of initialisers
// misses it. It is the one block of 2048 names that GLib's data points at whose first entries are
// its first names; only that block is passed over, any other allocation of GLib's left is reported.
int findFirstNameTable(dl_phdr_info* info, size_t, void* data)
{
    auto& wanted = *static_cast<FirstNameTable*>(data);
    if (!info->dlpi_name || !std::strstr(info->dlpi_name, "libglib-2.0.so"))
        return 0;
    constexpr std::size_t kTableBytes = 2048 * sizeof(char*);
    for (int index = 0; index < info->dlpi_phnum && !wanted.table; ++index) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[index];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_W))
            continue;
        const auto start = info->dlpi_addr + segment.p_vaddr;
        for (auto at = (start + sizeof(void*) - 1) / sizeof(void*) * sizeof(void*); at + sizeof(void*) <= start + segment.p_memsz; at += sizeof(void*)) {
            const void* candidate = *reinterpret_cast<const void* const*>(at);
            if (!candidate || !__sanitizer_get_ownership(candidate) || __sanitizer_get_allocated_size(candidate) != kTableBytes)
                continue;
            const auto* names = static_cast<const char* const*>(candidate);
            if (names[1] == wanted.firstName && names[2] == wanted.secondName) {
                wanted.table = candidate;
                break;
            }
        }
    }
    return wanted.table ? 1 : 0;
}

void passOverGLibsFirstNameTable()
{
    using NameOfQuark = const char* (*)(std::uint32_t);
    auto nameOf = reinterpret_cast<NameOfQuark>(dlsym(RTLD_DEFAULT, "g_quark_to_string"));
    if (!nameOf)
        return;
    FirstNameTable wanted { nameOf(1), nameOf(2) };
    if (!wanted.firstName || !wanted.secondName)
        return;
    dl_iterate_phdr(findFirstNameTable, &wanted);
    if (wanted.table)
        __lsan_ignore_object(wanted.table);
}

} // namespace
#endif

int main(int argc, char** argv)
{
    auto loggedWarnings = std::make_unique<LoggedWarnings>();
    LoggedWarnings& warnings = *loggedWarnings;
    testing::InitGoogleTest(&argc, argv);
    // Last, so it tells a test's warnings before the test's result is printed.
    testing::UnitTest::GetInstance()->listeners().Append(loggedWarnings.release());
#ifdef CORVANE_CHECKS_LEAKS
    passOverGLibsFirstNameTable();
#endif
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
    for (const auto& message : warnings.outsideTests()) {
        fprintf(stderr, "logged while no test ran: %s\n", message.c_str());
        result = 1;
    }
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
