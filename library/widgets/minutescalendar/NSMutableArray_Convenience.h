#pragma once
// Moving one element of an array to another place.

#include "platform/foundation/NSArray.h"

namespace NSMutableArray_Convenience {

// Nothing when the indices are equal; otherwise the element at `from` is taken out and put back
// at `to`, or at the end when `to` is past the shortened array.
void moveObjectFromIndex(NSMutableArray& array, NSUInteger from, NSUInteger to);

} // namespace NSMutableArray_Convenience
