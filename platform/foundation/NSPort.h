#pragma once
// A communication port. Here its one use is as an input source that keeps a thread's run loop
// from finishing while the thread waits for performed blocks.

#include "platform/foundation/NSObject.h"

class NSPort : public NSObject {
    NS_OBJECT(NSPort, NSObject)
public:
    static std::shared_ptr<NSPort> port() { return create(); }
};
