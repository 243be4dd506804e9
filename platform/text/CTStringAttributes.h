#pragma once
// The text engine's attribute keys. Font, paragraph style, kerning and underline share their
// strings with the UIKit keys; the engine's colour key is its own and wins over UIKit's.

#include "platform/text/NSAttributedString.h"

inline constexpr NSAttributedStringKey kCTFontAttributeName = NSFontAttributeName;
inline constexpr NSAttributedStringKey kCTParagraphStyleAttributeName = NSParagraphStyleAttributeName;
inline constexpr NSAttributedStringKey kCTKernAttributeName = NSKernAttributeName;
inline constexpr NSAttributedStringKey kCTUnderlineStyleAttributeName = NSUnderlineStyleAttributeName;
inline constexpr NSAttributedStringKey kCTForegroundColorAttributeName = "CTForegroundColor";
inline constexpr NSAttributedStringKey kCTForegroundColorFromContextAttributeName = "CTForegroundColorFromContext";
inline constexpr NSAttributedStringKey kCTUnderlineColorAttributeName = "CTUnderlineColor";
inline constexpr NSAttributedStringKey kCTSuperscriptAttributeName = "NSSuperScript";
inline constexpr NSAttributedStringKey kCTRunDelegateAttributeName = "CTRunDelegate";

enum CTUnderlineStyle : std::int32_t {
    kCTUnderlineStyleNone = 0x00,
    kCTUnderlineStyleSingle = 0x01,
    kCTUnderlineStyleThick = 0x02,
    kCTUnderlineStyleDouble = 0x09,
};

enum CTUnderlineStyleModifiers : std::int32_t {
    kCTUnderlinePatternSolid = 0x0000,
    kCTUnderlinePatternDot = 0x0100,
    kCTUnderlinePatternDash = 0x0200,
    kCTUnderlinePatternDashDot = 0x0300,
    kCTUnderlinePatternDashDotDot = 0x0400,
};
