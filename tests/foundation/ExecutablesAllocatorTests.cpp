// Every executable of the project (the client, its tools, test programs and benchmarks) links the
// process allocator. The build writes the list of them once every directory is read, so one made
// by a plain add_executable is found here rather than by a slow profile.
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Executable {
    std::string target;
    std::string path;
};

std::vector<Executable> listedExecutables()
{
    std::vector<Executable> executables;
    std::ifstream list(CORVANE_EXECUTABLES_LIST);
    std::string line;
    while (std::getline(list, line)) {
        const auto space = line.find(' ');
        if (space != std::string::npos)
            executables.push_back({line.substr(0, space), line.substr(space + 1)});
    }
    return executables;
}

template <typename Record>
bool readAt(std::ifstream& file, std::uint64_t offset, Record& record)
{
    file.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(file.read(reinterpret_cast<char*>(&record), sizeof record));
}

// The shared objects an ELF file names in its dynamic section; nothing when it is not a 64-bit ELF.
std::optional<std::vector<std::string>> neededLibraries(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    Elf64_Ehdr header{};
    if (!readAt(file, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0
        || header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr))
        return std::nullopt;
    std::vector<std::string> needed;
    for (unsigned index = 0; index < header.e_shnum; ++index) {
        Elf64_Shdr section{};
        if (!readAt(file, header.e_shoff + index * sizeof section, section))
            return std::nullopt;
        if (section.sh_type != SHT_DYNAMIC)
            continue;
        Elf64_Shdr strings{};
        if (!readAt(file, header.e_shoff + section.sh_link * sizeof strings, strings))
            return std::nullopt;
        std::string table(strings.sh_size, '\0');
        file.seekg(static_cast<std::streamoff>(strings.sh_offset));
        if (!file.read(table.data(), static_cast<std::streamsize>(table.size())))
            return std::nullopt;
        for (std::uint64_t entry = 0; entry + sizeof(Elf64_Dyn) <= section.sh_size; entry += sizeof(Elf64_Dyn)) {
            Elf64_Dyn dynamic{};
            if (!readAt(file, section.sh_offset + entry, dynamic) || dynamic.d_tag == DT_NULL)
                break;
            if (dynamic.d_tag == DT_NEEDED && dynamic.d_un.d_val < table.size())
                needed.emplace_back(table.c_str() + dynamic.d_un.d_val);
        }
    }
    return needed;
}

[[maybe_unused]] bool namesAllocator(const std::vector<std::string>& libraries)
{
    for (const auto& library : libraries)
        if (library.starts_with("libmimalloc"))
            return true;
    return false;
}

} // namespace

TEST(ExecutablesAllocator, theListHoldsEveryKindOfExecutable)
{
    const auto executables = listedExecutables();
    std::vector<std::string> targets;
    for (const auto& executable : executables)
        targets.push_back(executable.target);
    // The client, a tool, test programs made by the test helper and by hand, a build-time maker.
    for (const char* expected : {"corvane", "corvane-standin", "foundation_tests", "app_e2e_tests", "app_window_tests",
             "make_test_movie"})
        EXPECT_NE(std::find(targets.begin(), targets.end(), expected), targets.end()) << expected;
}

#if CORVANE_PROCESS_ALLOCATOR
TEST(ExecutablesAllocator, everyExecutableNamesTheAllocator)
{
    const auto executables = listedExecutables();
    ASSERT_FALSE(executables.empty());
    for (const auto& executable : executables) {
        const auto libraries = neededLibraries(executable.path);
        EXPECT_TRUE(libraries.has_value()) << executable.target << ": not built or not an executable at " << executable.path;
        if (libraries) {
            EXPECT_TRUE(namesAllocator(*libraries)) << executable.target << " does not link corvane_allocator";
        }
    }
}

TEST(ExecutablesAllocator, aProgramWithoutTheAllocatorIsTold)
{
    // This very program links it; the C library it also names does not count.
    const auto own = neededLibraries("/proc/self/exe");
    ASSERT_TRUE(own.has_value());
    EXPECT_TRUE(namesAllocator(*own));
    EXPECT_FALSE(namesAllocator({"libc.so.6", "libstdc++.so.6", "libm.so.6"}));
    EXPECT_FALSE(neededLibraries(CORVANE_EXECUTABLES_LIST).has_value());
}
#endif

// The client's first screen needs neither the media framework nor what it brings: the movie
// back end is a module the player loads on its first movie.
TEST(ExecutablesAllocator, theClientStartsWithoutTheMediaFramework)
{
    int checked = 0;
    for (const auto& executable : listedExecutables()) {
        if (executable.target != "corvane" && executable.target != "corvane-demo")
            continue;
        ++checked;
        const auto libraries = neededLibraries(executable.path);
        ASSERT_TRUE(libraries.has_value()) << executable.target;
        for (const auto& library : *libraries)
            EXPECT_FALSE(library.starts_with("libgst")) << executable.target << " links " << library;
        // Nor the window library: it is opened with the first window.
        for (const auto& library : *libraries)
            EXPECT_FALSE(library.starts_with("libSDL")) << executable.target << " links " << library;
    }
    EXPECT_EQ(checked, 2);
}
