#include "library/sqlite/SQLog.h"

#include <cstdio>

void SQLogLine(const NSString& line)
{
    std::string text = line.UTF8String();
    text += '\n';
    // One write per line, so lines from several connections on several threads do not interleave.
    std::fwrite(text.data(), 1, text.size(), stderr);
}

NSString SQLogExcerpt(const NSString& sql)
{
    constexpr NSUInteger kLoggedCharacters = 1000;
    const NSUInteger length = sql.length();
    if (length <= kLoggedCharacters)
        return sql;
    NSUInteger cut = kLoggedCharacters;
    // Never between the halves of a surrogate pair.
    if ((sql.characterAtIndex(cut - 1) & 0xFC00) == 0xD800)
        --cut;
    return NSString::stringWithFormat("%@… (%lu characters)", sql.substringToIndex(cut), static_cast<unsigned long>(length));
}
