#pragma once
// An X display for the window host's tests: the one in DISPLAY, or a private Xvfb started for
// the test and stopped with it. Xvfb picks a free display number and tells it when ready.

#include "tests/support/ServerProcess.h"

#include <memory>
#include <string>

class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool isAvailable() const { return m_available; }
    // Why there is no display.
    const std::string& reason() const { return m_reason; }

private:
    bool m_available { false };
    std::string m_reason;
    std::unique_ptr<ServerProcess> m_server;
};
