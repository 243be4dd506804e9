#include "platform/foundation/NSNull.h"

#include "platform/foundation/NSString.h"
#include "platform/foundation/NeverDestroyed.h"

const std::shared_ptr<NSNull>& NSNull::null()
{
    static const NeverDestroyed<std::shared_ptr<NSNull>> instance(create());
    return instance.get();
}

NSString NSNull::description() const
{
    return "<null>";
}

id NSNull::copy() const
{
    return null();
}
