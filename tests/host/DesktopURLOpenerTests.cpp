// The window host opens web addresses with the desktop's default handler and nothing else; the
// headless host only logs them. A stand-in `xdg-open` first on the PATH tells what it was given
// through a named pipe.
#include "platform/host/HeadlessHost.h"
#include "platform/host/SDLHost.h"
#include "platform/uikit/UIApplication.h"
#include "tests/host/XvfbDisplay.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class DesktopURLOpening : public testing::Test {
protected:
    void SetUp() override
    {
        const char* root = std::getenv("CORVANE_TEST_TMP");
        m_folder = std::filesystem::path(root && *root ? root : "/tmp") / ("url-opener-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
        m_pipe = m_folder / "opened";
        ASSERT_EQ(::mkfifo(m_pipe.c_str(), 0600), 0);
        const auto script = m_folder / "xdg-open";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << m_pipe.string() << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        m_savedPath = path ? path : "";
        ::setenv("PATH", (m_folder.string() + ":" + m_savedPath).c_str(), 1);
        // Opened before the handler runs, so that its writer finds a reader.
        m_reader = ::open(m_pipe.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(m_reader, 0);
    }
    void TearDown() override
    {
        ::setenv("PATH", m_savedPath.c_str(), 1);
        if (m_reader >= 0)
            ::close(m_reader);
        std::filesystem::remove_all(m_folder);
    }
    // What the handler was given, waited for at most twenty seconds; empty when it never ran.
    std::string opened()
    {
        std::string text;
        int milliseconds = 20000;
        pollfd entry { m_reader, POLLIN, 0 };
        while (::poll(&entry, 1, milliseconds) > 0) {
            char buffer[256];
            const ssize_t count = ::read(m_reader, buffer, sizeof buffer);
            if (count <= 0)
                break;
            text.append(buffer, std::size_t(count));
            milliseconds = 2000;
        }
        return text;
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_pipe;
    std::string m_savedPath;
    int m_reader { -1 };
};

} // namespace

TEST_F(DesktopURLOpening, theWindowHostHandsAWebAddressToTheDesktopsHandlerAndNothingElse)
{
    XvfbDisplay display;
    if (!display.isAvailable())
        GTEST_SKIP() << "Skipped: no X display can be made here: " << display.reason();
    std::string error;
    auto host = SDLHost::open(&error);
    if (!host)
        GTEST_SKIP() << "Skipped: the window cannot be opened: " << error;
    auto application = UIApplication::sharedApplication();
    EXPECT_FALSE(application->openURL(NSURL::URLWithString("tel:10086")));
    EXPECT_TRUE(application->openURL(NSURL::URLWithString("https://www.example.com/goods?id=7&from=client")));
    EXPECT_EQ(opened(), "https://www.example.com/goods?id=7&from=client");
}

TEST_F(DesktopURLOpening, theHeadlessHostOpensNothing)
{
    auto host = HeadlessHost::create();
    EXPECT_FALSE(UIApplication::sharedApplication()->openURL(NSURL::URLWithString("http://www.example.com/")));
}
