#pragma once
// The wrapper reports failures as plain console lines; callers test the results, not the log.

#include "platform/foundation/NSString.h"

void SQLogLine(const NSString& line);
// Statements may be as long as the data they carry: only their start goes to the log.
NSString SQLogExcerpt(const NSString& sql);

template <class... Args>
void SQLog(const char* format, const Args&... args)
{
    SQLogLine(NSString::stringWithFormat(format, args...));
}
