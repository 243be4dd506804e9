#pragma once
// Colour, font and underline setters on an attributed string, in the text engine's keys; each
// acts on the string in place. A nil colour or font leaves the string as it was.

#include "platform/text/NSAttributedString.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIColor.h"

namespace NSMutableAttributedString_RA {

void setTextColor(NSMutableAttributedString& string, const UIColorRef& color);
void setTextColor(NSMutableAttributedString& string, const UIColorRef& color, NSRange range);
void setFont(NSMutableAttributedString& string, const UIFontRef& font);
void setFont(NSMutableAttributedString& string, const UIFontRef& font, NSRange range);
// The underline takes the text colour: any underline colour over the range is removed.
void setUnderlineStyle(NSMutableAttributedString& string, std::int32_t style, std::int32_t modifier);
void setUnderlineStyle(NSMutableAttributedString& string, std::int32_t style, std::int32_t modifier, NSRange range);

} // namespace NSMutableAttributedString_RA
