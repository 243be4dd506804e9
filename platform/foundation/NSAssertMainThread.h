#pragma once
// Views, layers, controllers and the compositor belong to the main thread, as on the platform.
// Debug builds check it at their entry points; release builds pay nothing.

#include "platform/foundation/NSThread.h"

#include <cassert>

#ifndef NDEBUG
#define NSAssertMainThread() assert(NSThread::isMainThread() && "used off the main thread")
#else
#define NSAssertMainThread() ((void)0)
#endif
