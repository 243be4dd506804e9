#pragma once
// The platform's geometry boxes (NSValue's geometry and transform additions): points, sizes,
// rectangles and transforms in NSValue, as animations carry them in fromValue and toValue. The
// type names are the platform's encodings, so a box made elsewhere with the same encoding reads back.

#include "platform/foundation/NSValue.h"
#include "platform/layers/CATransform3D.h"

namespace NSValueGeometry {

inline constexpr const char* CGPointEncoding = "{CGPoint=dd}";
inline constexpr const char* CGSizeEncoding = "{CGSize=dd}";
inline constexpr const char* CGRectEncoding = "{CGRect={CGPoint=dd}{CGSize=dd}}";
inline constexpr const char* CGAffineTransformEncoding = "{CGAffineTransform=dddddd}";
inline constexpr const char* CATransform3DEncoding = "{CATransform3D=dddddddddddddddd}";

std::shared_ptr<NSValue> valueWithCGPoint(CGPoint point);
std::shared_ptr<NSValue> valueWithCGSize(CGSize size);
std::shared_ptr<NSValue> valueWithCGRect(CGRect rect);
std::shared_ptr<NSValue> valueWithCGAffineTransform(CGAffineTransform transform);
std::shared_ptr<NSValue> valueWithCATransform3D(const CATransform3D& transform);

// The zero value (identity for transforms) when the object is no such box.
CGPoint CGPointValue(const id& value);
CGSize CGSizeValue(const id& value);
CGRect CGRectValue(const id& value);
CGAffineTransform CGAffineTransformValue(const id& value);
CATransform3D CATransform3DValue(const id& value);

} // namespace NSValueGeometry
