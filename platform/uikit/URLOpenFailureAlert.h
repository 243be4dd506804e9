#pragma once
// What the user sees when the desktop's handler for an outside address did not start: an alert
// naming the address, so that a tapped link that opens nothing is not taken for a dead one.

#include "platform/net/NSURL.h"

class URLOpenFailureAlert {
public:
    static void show(const std::shared_ptr<NSURL>& url);
    static constexpr const char* title = "无法打开链接";
};
