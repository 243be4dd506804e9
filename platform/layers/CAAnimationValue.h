#pragma once
// Arithmetic on the values animations carry: numbers, boxed points, sizes, rectangles and
// transforms, colours and paths. Values of other kinds, or of two different kinds, do not
// interpolate: the animation shows the first until half-way, then the second.

#include "platform/graphics/CGGeometry.h"
#include "platform/foundation/NSObjCRuntime.h"

namespace CAAnimationValue {

id interpolate(const id& from, const id& to, CGFloat fraction);
// a + b·factor, for byValue and additive animations; nil when the kinds differ.
id sum(const id& a, const id& b, CGFloat factor = 1);
// How far apart two values are, for paced keyframes; 0 for values without a distance.
CGFloat distance(const id& a, const id& b);

} // namespace CAAnimationValue
