#pragma once
// Mutable text styles from the platform's text attributes.

#include "framework/Source/PEMutableTextStyle.h"
#include "platform/text/NSAttributedString.h"

namespace PEPlatformSpecificMutableTextStyleExtensions {

std::shared_ptr<PEMutableTextStyle> textStyleWithAttributes(const NSAttributes& attributes);

} // namespace PEPlatformSpecificMutableTextStyleExtensions
