#pragma once
// Text styles to and from the platform's text attributes.

#include "framework/Source/PETextStyle.h"
#include "platform/text/NSAttributedString.h"

namespace PEPlatformSpecificTextStyleExtensions {

// An immutable style: the defaults, overridden by the font, colour and paragraph attributes
// that are present.
std::shared_ptr<PETextStyle> textStyleWithAttributes(const NSAttributes& attributes);
// The font entry only when such a font is installed, the colour only when there is one, the
// paragraph style always.
NSAttributes attributes(const PETextStyle& style);

} // namespace PEPlatformSpecificTextStyleExtensions
