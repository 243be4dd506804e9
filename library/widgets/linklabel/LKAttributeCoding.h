#pragma once
// Attributed text and attribute dictionaries of the link label in a form keyed archives hold:
// fonts by name and size, colours by their components, links, underlines, kerning, superscripts,
// paragraph styles and the label's decorations. Other attributes are not kept.

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSTextCheckingResult.h"
#include "platform/text/NSAttributedString.h"
#include "platform/uikit/UIColor.h"

namespace LKAttributeCoding {

id encodedAttributes(const std::shared_ptr<NSDictionary>& attributes);
std::shared_ptr<NSDictionary> decodedAttributes(const id& encoded);
id encodedText(const std::shared_ptr<NSAttributedString>& text);
std::shared_ptr<NSAttributedString> decodedText(const id& encoded);
id encodedResult(const std::shared_ptr<NSTextCheckingResult>& result);
id encodedColour(const id& colour);
UIColorRef decodedColour(const id& encoded);
// nil for anything but a link, phone number, date, address or transit information of a sound range.
std::shared_ptr<NSTextCheckingResult> decodedResult(const id& encoded);

} // namespace LKAttributeCoding
