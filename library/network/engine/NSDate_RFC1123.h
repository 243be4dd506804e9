#pragma once
// The three date forms HTTP headers carry, read in English whatever the user's locale; written in
// the preferred form, always in GMT.

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSString.h"

namespace NSDate_RFC1123 {

// Tries "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" and
// "Sun Nov  6 08:49:37 1994" in turn. A zone of GMT or UTC means UTC, the local zone's own names
// mean local time, any other zone fails that form; the last form has no zone and is local time.
// Nil for nil or when no form matches.
std::shared_ptr<NSDate> dateFromRFC1123(const NSString& text);
// Whole seconds; nil when formatting fails.
NSString rfc1123String(const NSDate& date);

} // namespace NSDate_RFC1123
