#pragma once
// Reading optional values out of an archive strictly: a missing or nil value reads as nil, but a
// value of the wrong class means the archive is damaged or forged and the decoder should refuse it
// rather than carry on with a hole where the value was.

#include "platform/foundation/NSCoder.h"

namespace ns {

template <class T>
[[nodiscard]] bool decodeOptional(NSCoder& coder, const NSString& key, std::shared_ptr<T>& out)
{
    id value = coder.decodeObjectForKey(key);
    out = ns::cast<T>(value);
    return !value || out;
}

[[nodiscard]] inline bool decodeOptional(NSCoder& coder, const NSString& key, NSString& out)
{
    id value = coder.decodeObjectForKey(key);
    out = NSString::fromId(value);
    return !value || !out.isNil();
}

} // namespace ns
