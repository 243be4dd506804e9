#pragma once
// Reading the services' replies. The services send their JSON percent-encoded as a form value;
// nothing in a reply is trusted: a member of the wrong type reads as the zero value, and text
// that does not decode stays as it came.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

#include <cstdint>
#include <optional>

namespace ServiceReply {

// Form decoding: "+" becomes a blank first, then the UTF-8 percent escapes are decoded, so an
// escaped "+" (%2B) survives as "+".
NSString formDecode(const NSString& text);
// Percent escapes only; "+" stays "+". A "%" without two hexadecimal digits after it stays as
// written; when the decoded bytes are no UTF-8 text, the text is answered as it came.
NSString percentDecode(const NSString& text);

// output → head → retCode of the main envelope; nothing when the reply has no head object.
std::optional<std::int32_t> mainServiceCode(const id& reply);
// The top-level code of the video and appeal envelope (a missing code is 0); nothing when the
// reply is no object.
std::optional<std::int32_t> topLevelCode(const id& reply);
// -3 (the session timed out) and -4 (the account logged in elsewhere).
constexpr bool isSessionLost(std::int32_t code) { return (code & ~1) == -4; }
// output → body → <arrayName> → rowSet → row; an empty array for anything missing or mistyped.
std::shared_ptr<NSArray> rows(const id& reply, const NSString& arrayName);

} // namespace ServiceReply
