#pragma once
// Digests, hexadecimal and URL escapes, validators, HTML stripping and regular-expression
// replacement on text. Instance operations take the receiving text first.

#include "platform/foundation/NSString.h"

namespace NSString_MD5Addition {

// Nil for the empty text.
NSString stringFromMD5(const NSString& text);
bool isValidEmail(const NSString& text);
bool isValidQQ(const NSString& text);
bool isValidPhone(const NSString& text);
bool isValidatIP(const NSString& text);
bool isValidatIPPort(const NSString& text);
NSString stringToHex(const NSString& text);
// Empty for an odd length.
NSString hexToString(const NSString& text);
NSString urlEncode(const NSString& text);
NSString urlEncodeUsingEncoding(const NSString& text, NSStringEncoding encoding);
NSString urlDecode(const NSString& text);
// Nil for a malformed escape or bytes that are no text in the encoding; "+" stays "+".
NSString urlDecodeUsingEncoding(const NSString& text, NSStringEncoding encoding);
NSString stringByStrippingHTML(const NSString& text);
NSString md5(const NSString& receiver, const NSString& text);
NSString sha1(const NSString& receiver, const NSString& text);
// YES for nil, NSNull, the empty text and white space alone.
bool isEmpty(const id& object);
// Every case-insensitive match replaced by the template; nil when the pattern does not compile.
NSString replaceRegexAll(const NSString& source, const NSString& pattern, const NSString& replacement);

} // namespace NSString_MD5Addition
