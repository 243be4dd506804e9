#include "platform/layers/NSValueGeometry.h"

namespace NSValueGeometry {

std::shared_ptr<NSValue> valueWithCGPoint(CGPoint point) { return NSValue::valueWith(point, CGPointEncoding); }
std::shared_ptr<NSValue> valueWithCGSize(CGSize size) { return NSValue::valueWith(size, CGSizeEncoding); }
std::shared_ptr<NSValue> valueWithCGRect(CGRect rect) { return NSValue::valueWith(rect, CGRectEncoding); }

std::shared_ptr<NSValue> valueWithCGAffineTransform(CGAffineTransform transform)
{
    return NSValue::valueWith(transform, CGAffineTransformEncoding);
}

std::shared_ptr<NSValue> valueWithCATransform3D(const CATransform3D& transform)
{
    return NSValue::valueWith(transform, CATransform3DEncoding);
}

template <class T>
static T unbox(const id& value, T zero = T {})
{
    auto box = ns::cast<NSValue>(value);
    return box && box->holds<T>() ? box->get<T>() : zero;
}

CGPoint CGPointValue(const id& value) { return unbox<CGPoint>(value); }
CGSize CGSizeValue(const id& value) { return unbox<CGSize>(value); }
CGRect CGRectValue(const id& value) { return unbox<CGRect>(value); }
CGAffineTransform CGAffineTransformValue(const id& value) { return unbox<CGAffineTransform>(value); }
CATransform3D CATransform3DValue(const id& value) { return unbox<CATransform3D>(value); }

} // namespace NSValueGeometry
