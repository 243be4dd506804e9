#pragma once
// Attributed text and attribute dictionaries of the link label in a form keyed archives hold:
// fonts by name and size, colours by their components, links and underlines as they are. Other
// attributes are not kept.

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSTextCheckingResult.h"
#include "platform/text/NSAttributedString.h"

namespace LKAttributeCoding {

id encodedAttributes(const std::shared_ptr<NSDictionary>& attributes);
std::shared_ptr<NSDictionary> decodedAttributes(const id& encoded);
id encodedText(const std::shared_ptr<NSAttributedString>& text);
std::shared_ptr<NSAttributedString> decodedText(const id& encoded);
id encodedResult(const std::shared_ptr<NSTextCheckingResult>& result);
// nil for anything but a link, phone number or date of a sound range.
std::shared_ptr<NSTextCheckingResult> decodedResult(const id& encoded);

} // namespace LKAttributeCoding
