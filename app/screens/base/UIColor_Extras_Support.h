#pragma once
// The uncached look-up behind UIColor_Extras::colorWithName: the 147 extended colour keywords
// (both spellings of grey among them), exact and case-sensitive.

#include "platform/uikit/UIColor.h"

namespace UIColor_Extras_Support {

std::shared_ptr<UIColor> searchForColorByName(const NSString& name);
// The table itself: ",keyword#rrggbb" for each keyword, in alphabetical order.
const char* colorNameTable();

} // namespace UIColor_Extras_Support
