#pragma once
// The platform's usual concrete port; keeps a run loop alive like any NSPort.

#include "platform/foundation/NSPort.h"

class NSMachPort : public NSPort {
    NS_OBJECT(NSMachPort, NSPort)
public:
    static std::shared_ptr<NSMachPort> port() { return create(); }
};
