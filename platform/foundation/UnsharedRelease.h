#pragma once
// Letting go of an object without the atomic count updates of an ordinary release, when the
// reference let go of is the object's only one: a decoded tree, whose members nothing else
// holds, is released node by node without any. Everything else is released as usual.

#include "platform/foundation/NSObject.h"

namespace ns {

// Empties `object`. When it held the only strong count and nothing watches the object but its
// own weak self-link, the object is destroyed and freed at once; otherwise this is reset().
// Safe where reset() is: the counts are read as the standard library's own last release reads
// them, so another thread's earlier release of a count is seen.
void releaseUnshared(id& object) noexcept;

} // namespace ns
