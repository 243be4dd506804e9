#include "platform/foundation/NSNull.h"

#include "platform/foundation/NSString.h"

const std::shared_ptr<NSNull>& NSNull::null()
{
    static const std::shared_ptr<NSNull> instance = create();
    return instance;
}

NSString NSNull::description() const
{
    return "<null>";
}

id NSNull::copy() const
{
    return null();
}
