#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

struct ClientRun {
    int status { -1 };
    std::string output;
};

// The client's first frame, headless, with the loader telling every object it loads.
ClientRun firstFrameLoadingFiles()
{
    ClientRun run;
    // Leak-checked in a sanitizer build, as the client runs: a report fails the run.
    const std::string command = std::string("LD_DEBUG=files '") + CORVANE_CLIENT_PATH + "' --first-frame 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    while (std::size_t read = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, read);
    run.status = pclose(pipe);
    return run;
}

} // namespace

TEST(ClientStart, theHeadlessFirstFrameIsDrawnWithoutTheWindowLibrary)
{
    const ClientRun run = firstFrameLoadingFiles();
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("first-frame-ms"), std::string::npos) << run.output;
    // The loader reports what it loads, so an absence below means something.
    EXPECT_NE(run.output.find("file=libc.so.6"), std::string::npos);
    EXPECT_EQ(run.output.find("file=libSDL2"), std::string::npos) << "the window library was loaded for a headless start";
}
