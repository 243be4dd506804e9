#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/host/DesktopNotifications.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/SDLHost.h"
#include "tests/host/XvfbDisplay.h"
#include "tests/support/ServerProcess.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

namespace {

// A message bus of the test's own, on a socket in a fresh folder; nothing is activated on it.
class PrivateBus {
public:
    PrivateBus()
    {
        m_folder = std::filesystem::temp_directory_path() / ("corvane-bus-" + std::to_string(::getpid()) + "-" + std::to_string(++s_count));
        std::filesystem::create_directories(m_folder);
        const auto config = m_folder / "bus.conf";
        std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                 "<busconfig><type>session</type><listen>unix:path="
                              << (m_folder / "bus").string()
                              << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                 "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                 "<allow own=\"*\"/></policy></busconfig>\n";
        const std::string configArgument = "--config-file=" + config.string();
        m_daemon = std::make_unique<ServerProcess>([&](int ready) {
            return std::vector<std::string> { "dbus-daemon", "--nofork", configArgument, "--print-address=" + std::to_string(ready) };
        });
    }
    ~PrivateBus()
    {
        m_daemon.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    static bool isInstalled() { return std::system("command -v dbus-daemon >/dev/null 2>&1") == 0; }
    const std::string& address() const { return m_daemon->readyLine(); }
    std::filesystem::path folder() const { return m_folder; }

private:
    static inline int s_count = 0;
    std::filesystem::path m_folder;
    std::unique_ptr<ServerProcess> m_daemon;
};

struct NotifyCall {
    std::string application;
    guint32 replaces { 0 };
    std::string icon;
    std::string summary;
    std::string body;
    gsize actions { 0 };
    gsize hints { 0 };
    gint32 timeout { 0 };
};

const char* const serviceInterface = R"(<node><interface name="org.freedesktop.Notifications">
<method name="Notify"><arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
<arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
<arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/></method>
</interface></node>)";

// The desktop's notification service, owning its name on the bus, on a thread of its own.
// One that holds its answers keeps every call waiting until it goes.
class NotificationService {
public:
    NotificationService(const std::string& address, bool answers)
        : m_answers(answers)
        , m_context(g_main_context_new())
        , m_loop(g_main_loop_new(m_context, FALSE))
    {
        std::promise<bool> ready;
        m_thread = std::thread([this, address, &ready] {
            g_main_context_push_thread_default(m_context);
            ready.set_value(start(address));
            g_main_loop_run(m_loop);
            for (auto* invocation : m_held)
                g_dbus_method_invocation_return_dbus_error(invocation, "org.corvane.Test.Gone", "gone");
            if (m_connection) {
                g_dbus_connection_unregister_object(m_connection, m_registration);
                g_dbus_connection_flush_sync(m_connection, nullptr, nullptr);
                g_object_unref(m_connection);
            }
            g_main_context_pop_thread_default(m_context);
        });
        m_ready = ready.get_future().get();
    }
    ~NotificationService()
    {
        GSource* quit = g_idle_source_new();
        g_source_set_callback(quit, [](gpointer loop) {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        }, m_loop, nullptr);
        g_source_attach(quit, m_context);
        g_source_unref(quit);
        m_thread.join();
        g_main_loop_unref(m_loop);
        g_main_context_unref(m_context);
    }
    NotificationService(const NotificationService&) = delete;
    NotificationService& operator=(const NotificationService&) = delete;

    bool isReady() const { return m_ready; }
    std::vector<NotifyCall> calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    // For a bounded time.
    bool waitForCalls(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        return m_called.wait_for(lock, std::chrono::seconds(20), [&] { return m_calls.size() >= count; });
    }

private:
    bool start(const std::string& address)
    {
        m_connection = g_dbus_connection_new_for_address_sync(address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        if (!m_connection)
            return false;
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(serviceInterface, nullptr);
        static const GDBusInterfaceVTable table { &NotificationService::methodCalled, nullptr, nullptr, { nullptr } };
        m_registration = g_dbus_connection_register_object(m_connection, "/org/freedesktop/Notifications", node->interfaces[0],
            &table, this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        GVariant* owned = g_dbus_connection_call_sync(m_connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus", "RequestName", g_variant_new("(su)", "org.freedesktop.Notifications", 4u),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr);
        if (!owned)
            return false;
        guint32 reply = 0;
        g_variant_get(owned, "(u)", &reply);
        g_variant_unref(owned);
        return m_registration != 0 && reply == 1;
    }

    static void methodCalled(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
        GDBusMethodInvocation* invocation, gpointer data)
    {
        auto& service = *static_cast<NotificationService*>(data);
        NotifyCall call;
        const gchar *application, *icon, *summary, *body;
        GVariant *actions, *hints;
        g_variant_get(parameters, "(&su&s&s&s@as@a{sv}i)", &application, &call.replaces, &icon, &summary, &body, &actions, &hints,
            &call.timeout);
        call.application = application;
        call.icon = icon;
        call.summary = summary;
        call.body = body;
        call.actions = g_variant_n_children(actions);
        call.hints = g_variant_n_children(hints);
        g_variant_unref(actions);
        g_variant_unref(hints);
        {
            std::lock_guard lock(service.m_mutex);
            service.m_calls.push_back(call);
            service.m_called.notify_all();
        }
        if (service.m_answers)
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", 7u));
        else
            service.m_held.push_back(invocation);
    }

    const bool m_answers;
    GMainContext* const m_context;
    GMainLoop* const m_loop;
    std::thread m_thread;
    bool m_ready { false };
    GDBusConnection* m_connection { nullptr };
    guint m_registration { 0 };
    std::vector<GDBusMethodInvocation*> m_held;
    mutable std::mutex m_mutex;
    std::condition_variable m_called;
    std::vector<NotifyCall> m_calls;
};

// What the sender answers, waited for across threads for a bounded time.
class Delivery {
public:
    DesktopNotificationSender::Completion completion()
    {
        return [this](bool delivered) {
            std::lock_guard lock(m_mutex);
            m_results.push_back(delivered);
            m_changed.notify_all();
        };
    }
    std::optional<bool> wait(std::size_t index = 0)
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_results.size() > index; }))
            return std::nullopt;
        return m_results[index];
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_results;
};

std::shared_ptr<UILocalNotification> notification(const NSString& body, const NSString& action = "Dismiss")
{
    auto made = UILocalNotification::create();
    made->setAlertBody(body);
    made->setAlertAction(action);
    return made;
}

// Sets environment variables for the test's length; nil unsets.
class Environment {
public:
    void set(const char* name, const char* value)
    {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~Environment()
    {
        for (auto entry = m_saved.rbegin(); entry != m_saved.rend(); ++entry) {
            if (entry->second)
                setenv(entry->first.c_str(), entry->second->c_str(), 1);
            else
                unsetenv(entry->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

std::size_t countLines(const std::string& text, const std::string& containing)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(containing); at != std::string::npos; at = text.find(containing, at + 1))
        ++count;
    return count;
}

#define REQUIRE_PRIVATE_BUS(bus)                                                              \
    if (!PrivateBus::isInstalled())                                                           \
        GTEST_SKIP() << "Skipped: dbus-daemon is not installed";                              \
    PrivateBus bus;                                                                           \
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start"

} // namespace

TEST(LocalNotification, archivesItsTextAndTheApplicationHandsTheHostACopy)
{
    auto original = notification("考试提醒", "查看");
    auto restored = ns::cast<UILocalNotification>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(original)));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->alertBody(), "考试提醒");
    EXPECT_EQ(restored->alertAction(), "查看");

    auto host = HeadlessHost::create();
    auto application = UIApplication::sharedApplication();
    application->presentLocalNotificationNow(original);
    application->presentLocalNotificationNow(nullptr);
    original->setAlertBody("changed");
    ASSERT_EQ(host->presentedLocalNotifications().size(), 1u);
    EXPECT_EQ(host->presentedLocalNotifications()[0]->alertBody(), "考试提醒");
    EXPECT_EQ(host->presentedLocalNotifications()[0]->alertAction(), "查看");

    // A new host starts with none; once the last host has gone, presenting reaches nobody.
    auto next = HeadlessHost::create();
    EXPECT_TRUE(next->presentedLocalNotifications().empty());
    host.reset();
    next.reset();
    application->presentLocalNotificationNow(original);
}

TEST(DesktopNotificationSender, sendsTheNotificationToTheServiceOnTheSessionBus)
{
    REQUIRE_PRIVATE_BUS(bus);
    NotificationService service(bus.address(), true);
    ASSERT_TRUE(service.isReady());
    // The session bus is found through the user's runtime folder when no address is set.
    Environment environment;
    environment.set("DBUS_SESSION_BUS_ADDRESS", nullptr);
    environment.set("XDG_RUNTIME_DIR", bus.folder().c_str());
    auto sender = DesktopNotificationSender::create();
    Delivery delivery;
    sender->post(*notification("上传失败\nThe server said <500> & \"closed\""), delivery.completion());
    sender->post(*notification("One line"), delivery.completion());
    // Half a surrogate pair, as a cut error text may hold, still goes as valid text.
    const unichar broken[] = { u'a', 0xd800, u'b' };
    sender->post(*notification(NSString::stringWithCharacters(broken, 3)), delivery.completion());
    EXPECT_EQ(delivery.wait(0), std::optional<bool>(true));
    EXPECT_EQ(delivery.wait(1), std::optional<bool>(true));
    EXPECT_EQ(delivery.wait(2), std::optional<bool>(true));

    const auto calls = service.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].application, "Corvane");
    EXPECT_EQ(calls[0].replaces, 0u);
    EXPECT_EQ(calls[0].icon, "");
    EXPECT_EQ(calls[0].summary, "上传失败");
    EXPECT_EQ(calls[0].body, "The server said &lt;500&gt; &amp; &quot;closed&quot;");
    EXPECT_EQ(calls[0].actions, 0u);
    EXPECT_EQ(calls[0].hints, 0u);
    EXPECT_EQ(calls[0].timeout, -1);
    EXPECT_EQ(calls[1].summary, "One line");
    EXPECT_EQ(calls[1].body, "");
    EXPECT_TRUE(g_utf8_validate(calls[2].summary.c_str(), -1, nullptr));
    EXPECT_EQ(calls[2].summary.front(), 'a');
    EXPECT_EQ(calls[2].summary.back(), 'b');
}

TEST(DesktopNotificationSender, withoutABusOrAServiceLogsOneLineAndGoesOn)
{
    REQUIRE_PRIVATE_BUS(bus);
    Delivery delivery;
    testing::internal::CaptureStderr();
    {
        auto sender = DesktopNotificationSender::create(bus.address());
        sender->post(*notification("nobody listens"), delivery.completion());
        EXPECT_EQ(delivery.wait(0), std::optional<bool>(false));
    }
    {
        auto sender = DesktopNotificationSender::create("unix:path=" + (bus.folder() / "no-such-bus").string());
        sender->post(*notification("no bus"), delivery.completion());
        EXPECT_EQ(delivery.wait(1), std::optional<bool>(false));
    }
    {
        Environment environment;
        environment.set("DBUS_SESSION_BUS_ADDRESS", nullptr);
        environment.set("XDG_RUNTIME_DIR", (bus.folder() / "empty").c_str());
        auto sender = DesktopNotificationSender::create();
        sender->post(*notification("no session"), delivery.completion());
        EXPECT_EQ(delivery.wait(2), std::optional<bool>(false));
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(countLines(log, "Desktop notification not shown"), 3u) << log;
    EXPECT_EQ(countLines(log, "\n"), 3u) << log;
}

TEST(DesktopNotificationSender, startsItsThreadWithTheFirstNotificationOnly)
{
    REQUIRE_PRIVATE_BUS(bus);
    const auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"), std::filesystem::directory_iterator());
    };
    const auto before = threads();
    {
        auto idle = DesktopNotificationSender::create(bus.address());
        EXPECT_EQ(threads(), before);
    }
    EXPECT_EQ(threads(), before);
    Delivery delivery;
    testing::internal::CaptureStderr();
    auto sender = DesktopNotificationSender::create(bus.address());
    sender->post(*notification("nobody listens"), delivery.completion());
    EXPECT_GT(threads(), before);
    EXPECT_EQ(delivery.wait(0), std::optional<bool>(false));
    sender.reset();
    testing::internal::GetCapturedStderr();
}

TEST(DesktopNotificationSender, goingAwayCancelsACallTheServiceHoldsWithoutALogLine)
{
    REQUIRE_PRIVATE_BUS(bus);
    NotificationService service(bus.address(), false);
    ASSERT_TRUE(service.isReady());
    Delivery delivery;
    testing::internal::CaptureStderr();
    auto sender = DesktopNotificationSender::create(bus.address());
    sender->post(*notification("held"), delivery.completion());
    // Once the service has the call, the sender goes; its completion says it was not shown.
    ASSERT_TRUE(service.waitForCalls(1));
    sender.reset();
    EXPECT_EQ(delivery.wait(0), std::optional<bool>(false));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(DesktopNotificationSender, theWindowHostShowsTheApplicationsNotificationsOnTheDesktop)
{
    REQUIRE_PRIVATE_BUS(bus);
    XvfbDisplay display;
    if (!display.isAvailable())
        GTEST_SKIP() << "Skipped: no X display can be made here: " << display.reason();
    NotificationService service(bus.address(), true);
    ASSERT_TRUE(service.isReady());
    Environment environment;
    environment.set("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str());
    std::string error;
    auto host = SDLHost::open(&error);
    if (!host)
        GTEST_SKIP() << "Skipped: the window cannot be opened: " << error;
    UIApplication::sharedApplication()->presentLocalNotificationNow(notification("网络已断开"));
    ASSERT_TRUE(service.waitForCalls(1));
    EXPECT_EQ(service.calls()[0].summary, "网络已断开");
    host.reset();
    UIApplication::sharedApplication()->resetForTesting();
}
