// The client program in its window on a private X server, against the stand-in, closed as the
// desktop closes a window.
#include "tests/app/SessionStandIn.h"
#include "tests/host/XvfbDisplay.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>
// After the test framework: the X headers define names it uses.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayConnection = std::unique_ptr<Display, DisplayClose>;

std::optional<Window> windowOfProcess(Display* display, Window window, Atom processAtom, pid_t process)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* value = nullptr;
    if (XGetWindowProperty(display, window, processAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &value) == Success && value) {
        const bool ours = count == 1 && *reinterpret_cast<unsigned long*>(value) == static_cast<unsigned long>(process);
        XFree(value);
        if (ours)
            return window;
    }
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int childCount = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &childCount))
        return std::nullopt;
    std::optional<Window> found;
    for (unsigned int i = 0; i < childCount && !found; ++i)
        found = windowOfProcess(display, children[i], processAtom, process);
    if (children)
        XFree(children);
    return found;
}

// The client started with the test's environment; killed if the test leaves it running.
class ClientProcess {
public:
    ClientProcess()
    {
        m_process = fork();
        if (m_process == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            // The leak check at exit is no part of the time a user waits.
            setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
            execl(CORVANE_CLIENT_PATH, CORVANE_CLIENT_PATH, static_cast<char*>(nullptr));
            _exit(127);
        }
        if (m_process > 0)
            m_waiter = std::thread([this] {
                waitpid(m_process, &m_status, 0);
                m_ended.notify();
            });
    }
    ~ClientProcess()
    {
        if (!m_waiter.joinable())
            return;
        if (!m_ended.waitForNotices(1, 0))
            kill(m_process, SIGKILL);
        m_waiter.join();
    }
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    pid_t pid() const { return m_process; }
    bool hasEnded(double seconds) const { return m_ended.waitForNotices(1, seconds); }
    int status() const { return m_status; }

private:
    pid_t m_process { -1 };
    int m_status { -1 };
    testing_support::Signal m_ended;
    std::thread m_waiter;
};

// Its shown window, looked for until it is there or the client has ended.
std::optional<Window> shownWindow(Display* display, const ClientProcess& client)
{
    const Atom processAtom = XInternAtom(display, "_NET_WM_PID", False);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(testing_support::kSessionWaitSeconds);
    while (std::chrono::steady_clock::now() < deadline && !client.hasEnded(testing_support::kLookAgainSeconds)) {
        auto window = windowOfProcess(display, DefaultRootWindow(display), processAtom, client.pid());
        XWindowAttributes attributes {};
        if (window && XGetWindowAttributes(display, *window, &attributes) && attributes.map_state == IsViewable)
            return window;
    }
    return std::nullopt;
}

void askToClose(Display* display, Window window)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// Closes the client's window as the desktop does and answers how long the process took to end
// after it, nothing when it did not end. The window library may make its window again for the
// renderer as the client starts: a close sent to the first one is asked again of the next.
std::optional<double> secondsToEndAfterClosing(Display* display, const ClientProcess& client)
{
    std::optional<std::chrono::steady_clock::time_point> asked;
    while (const auto window = shownWindow(display, client)) {
        XSelectInput(display, *window, StructureNotifyMask);
        askToClose(display, *window);
        asked = std::chrono::steady_clock::now();
        XEvent destroyed {};
        while (!client.hasEnded(testing_support::kLookAgainSeconds) && !XCheckTypedWindowEvent(display, *window, DestroyNotify, &destroyed)) {
            if (std::chrono::steady_clock::now() - *asked > std::chrono::duration<double>(testing_support::kSessionWaitSeconds))
                return std::nullopt;
        }
    }
    // Its window gone, the client ended, or shows no other window until it does.
    if (!asked || !client.hasEnded(0))
        return std::nullopt;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - *asked).count();
}

} // namespace

// Nothing is left to send on the login screen: the process ends as soon as its window is closed,
// well within the time a user would take for a hang.
TEST(ClientExit, theProcessEndsPromptlyOnceItsWindowIsClosed)
{
    XvfbDisplay xvfb;
    if (!xvfb.isAvailable())
        GTEST_SKIP() << "Skipped: no X display can be made here: " << xvfb.reason();
    standin::ServiceStandIn standIn(sessionStandIn());
    ASSERT_TRUE(standIn.start()) << standIn.lastError();
    setenv("CORVANE_MAIN_BASE_URL", standIn.mainBaseURL().c_str(), 1);
    DisplayConnection display(XOpenDisplay(nullptr));
    ASSERT_TRUE(display);
    // The client's windows come and go while they are looked at.
    const auto previousHandler = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });

    ClientProcess client;
    ASSERT_GT(client.pid(), 0);
    const auto took = secondsToEndAfterClosing(display.get(), client);
    ASSERT_TRUE(took) << "the client did not end after its window was closed";
    EXPECT_TRUE(WIFEXITED(client.status()) && WEXITSTATUS(client.status()) == 0) << client.status();
    EXPECT_LT(*took, 1.0);
    XSetErrorHandler(previousHandler);
    unsetenv("CORVANE_MAIN_BASE_URL");
}
