#pragma once
// The limits of the records screens' text boxes (a comment of 100 characters, an appeal's reason
// of 200), counted as the services count them: in characters, so that an emoji counts once, and
// cut only between whole characters.

#include "platform/foundation/NSString.h"

class UITextView;

namespace TextLimit {

NSUInteger characterCount(const NSString& text);
// The longest start of the text with at most `limit` characters that splits no character, nor
// a sequence that draws as one (an emoji with its modifiers, a letter with its accents).
NSString prefix(const NSString& text, NSUInteger limit);
// "n/limit", the characters used of the limit.
NSString counterText(const NSString& text, NSUInteger limit);
// For a text view's change: true when the result stays within the limit; otherwise what fits of
// the replacement is put in, and false.
bool allowChange(UITextView& view, NSRange range, const NSString& replacement, NSUInteger limit);

} // namespace TextLimit
