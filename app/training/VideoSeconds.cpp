#include "app/training/VideoSeconds.h"

#include "platform/foundation/TypedValues.h"

#include <algorithm>

long long VideoSeconds::secondsOf(const id& value)
{
    return std::clamp(ns::longLongValue(value), 0LL, kMost);
}

long long VideoSeconds::secondsForKey(const std::shared_ptr<NSDictionary>& record, const char* key)
{
    return secondsOf(record ? record->objectForKey(NSString(key)) : nullptr);
}
