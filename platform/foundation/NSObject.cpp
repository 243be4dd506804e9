#include "platform/foundation/NSObject.h"

#include "platform/foundation/NSString.h"

std::shared_ptr<NSObject> NSObject::create()
{
    return ns::construct<NSObject>();
}

NSString NSObject::description() const
{
    return NSString::stringWithFormat("<%s: %p>", className(), static_cast<const void*>(this));
}

id NSObject::copy() const
{
    // Objects without value semantics are shared, as immutable values are.
    return std::const_pointer_cast<NSObject>(shared_from_this());
}

id NSObject::mutableCopy() const
{
    return copy();
}

bool ns::isEqual(const id& a, const id& b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    return a->isEqual(b);
}
