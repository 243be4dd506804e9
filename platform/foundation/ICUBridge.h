#pragma once
// Conversions between the layer's values and ICU's, for the classes built on ICU.

#include "platform/foundation/NSDate.h"

#include <unicode/unistr.h>
#include <unicode/utypes.h>

namespace ns {

inline icu::UnicodeString unicodeString(const NSString& text)
{
    std::u16string_view units = text.view();
    return icu::UnicodeString(units.data(), static_cast<int32_t>(units.size()));
}

inline NSString stringFromUnicode(const icu::UnicodeString& text)
{
    return NSString(std::u16string(text.getBuffer(), static_cast<std::size_t>(text.length())));
}

// ICU counts milliseconds from 1970; the layer counts seconds from 2001.
inline UDate udateFromDate(const NSDate& date) { return date.timeIntervalSince1970() * 1000.0; }
inline std::shared_ptr<NSDate> dateFromUDate(UDate milliseconds)
{
    return NSDate::dateWithTimeIntervalSince1970(milliseconds / 1000.0);
}

} // namespace ns
