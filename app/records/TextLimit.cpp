#include "app/records/TextLimit.h"

#include "platform/uikit/UITextView.h"

#include <algorithm>

namespace TextLimit {

NSUInteger characterCount(const NSString& text)
{
    NSUInteger count = 0;
    for (NSUInteger i = 0; i < text.length(); ++i) {
        const unichar unit = text.characterAtIndex(i);
        count += unit < 0xDC00 || unit > 0xDFFF;
    }
    return count;
}

NSString prefix(const NSString& text, NSUInteger limit)
{
    NSUInteger end = 0;
    NSUInteger count = 0;
    while (end < text.length()) {
        const NSRange piece = text.rangeOfComposedCharacterSequenceAtIndex(end);
        const NSUInteger characters = characterCount(text.substringWithRange(piece));
        if (piece.length == 0 || count + characters > limit)
            break;
        count += characters;
        end = piece.location + piece.length;
    }
    return text.substringToIndex(end);
}

NSString counterText(const NSString& text, NSUInteger limit)
{
    return NSString::stringWithFormat("%lu/%lu", static_cast<unsigned long>(characterCount(text)), static_cast<unsigned long>(limit));
}

bool allowChange(UITextView& view, NSRange range, const NSString& replacement, NSUInteger limit)
{
    const NSString current = view.text().isNil() ? NSString("") : view.text();
    if (range.location > current.length() || range.length > current.length() - range.location)
        return false;
    const NSString kept = current.stringByReplacingCharactersInRange(range, NSString(""));
    const NSUInteger keptCount = characterCount(kept);
    if (keptCount + characterCount(replacement) <= limit)
        return true;
    // Keeps what fits of a longer paste rather than refusing all of it.
    const NSString fitted = prefix(replacement, limit - std::min(limit, keptCount));
    if (fitted.length())
        view.setText(current.stringByReplacingCharactersInRange(range, fitted));
    return false;
}

} // namespace TextLimit
