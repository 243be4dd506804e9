#pragma once
// Console lines: "2015-06-01 08:30:00.123 Corvane[1234] message" on standard error, formatted
// like stringWithFormat. Each line goes out in one write, so lines from several threads never
// interleave.

#include "platform/foundation/NSString.h"

void NSLogv(const NSString& message);

template <class... Args>
void NSLog(const char* format, const Args&... args)
{
    NSLogv(NSString::stringWithFormat(format, args...));
}
