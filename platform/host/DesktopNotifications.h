#pragma once
// The window host's way of showing local notifications: each one goes to the desktop's
// notification service (org.freedesktop.Notifications) on the session bus, as the application
// "Corvane", its alert body's first line the summary and the rest the body. Sending never waits:
// the bus is reached and the call made on a thread of the sender's own. Without a session bus or
// a service that answers, the notification is dropped with one line in the log.

#include "platform/uikit/UILocalNotification.h"

#include <functional>
#include <memory>
#include <string>

class DesktopNotificationSender : public NSObject {
    NS_OBJECT(DesktopNotificationSender, NSObject)
public:
    // Told, on the sender's thread, whether the service took the notification.
    using Completion = std::function<void(bool delivered)>;

    // Waits for the calls still out to end, cancelling them.
    ~DesktopNotificationSender() override;

    void post(const UILocalNotification& notification, Completion completion = nullptr);

protected:
    // The session bus: DBUS_SESSION_BUS_ADDRESS, else the user's bus socket in XDG_RUNTIME_DIR;
    // no bus is ever started for it.
    void init() { init(std::string()); }
    // The bus at that address; the session bus when it is empty.
    void init(std::string busAddress);

private:
    struct Worker;
    std::string m_busAddress;
    // Made with the first notification: a client that shows none starts no thread for them.
    std::shared_ptr<Worker> m_worker;
};
