#pragma once
// Colours the screens write as six hexadecimal digits ("f6f6f6", "0x383838").

#include "platform/uikit/UIColor.h"

namespace UIColor_Addition {

// The opaque colour of six hexadecimal digits, with or without a "0x" or "0X" prefix and surrounding
// blanks or line breaks; any other text (nil, "#f6f6f6", three or eight digits) gives grey. Never nil.
std::shared_ptr<UIColor> colorWithHexString(const NSString& text);

} // namespace UIColor_Addition
