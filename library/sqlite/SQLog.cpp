#include "library/sqlite/SQLog.h"

#include <cstdio>

void SQLogLine(const NSString& line)
{
    std::string text = line.UTF8String();
    text += '\n';
    // One write per line, so lines from several connections on several threads do not interleave.
    std::fwrite(text.data(), 1, text.size(), stderr);
}
