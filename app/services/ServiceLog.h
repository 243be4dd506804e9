#pragma once
// Console lines of the service road. Passwords, the session id and cookie values never reach
// the console: they are replaced by a mask wherever they occur in what is logged (request
// fields, the JSON text of a `param` field, decoded replies, cookies).

#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSHTTPCookie.h"

namespace ServiceLog {

inline constexpr const char* kMask = "******";

// A copy of a decoded value or of request fields with every secret member masked.
id masked(const id& value);
// The cookie for a console line, its value masked.
NSString cookieDescription(const std::shared_ptr<NSHTTPCookie>& cookie);

} // namespace ServiceLog
