#pragma once
// The text engine's paragraph style, made from settings; it is an NSParagraphStyle, so either
// kind may stand under kCTParagraphStyleAttributeName.

#include "platform/text/NSParagraphStyle.h"

#include <cstddef>
#include <cstdint>

// The engine's own numbering, which differs from UIKit's: right is 1, centre 2.
enum CTTextAlignment : std::uint8_t {
    kCTTextAlignmentLeft = 0,
    kCTTextAlignmentRight = 1,
    kCTTextAlignmentCenter = 2,
    kCTTextAlignmentJustified = 3,
    kCTTextAlignmentNatural = 4,
};

enum CTLineBreakMode : std::uint8_t {
    kCTLineBreakByWordWrapping = 0,
    kCTLineBreakByCharWrapping = 1,
    kCTLineBreakByClipping = 2,
    kCTLineBreakByTruncatingHead = 3,
    kCTLineBreakByTruncatingTail = 4,
    kCTLineBreakByTruncatingMiddle = 5,
};

enum CTParagraphStyleSpecifier : std::uint32_t {
    kCTParagraphStyleSpecifierAlignment = 0,
    kCTParagraphStyleSpecifierFirstLineHeadIndent = 1,
    kCTParagraphStyleSpecifierHeadIndent = 2,
    kCTParagraphStyleSpecifierTailIndent = 3,
    kCTParagraphStyleSpecifierTabStops = 4,
    kCTParagraphStyleSpecifierDefaultTabInterval = 5,
    kCTParagraphStyleSpecifierLineBreakMode = 6,
    kCTParagraphStyleSpecifierLineHeightMultiple = 7,
    kCTParagraphStyleSpecifierMaximumLineHeight = 8,
    kCTParagraphStyleSpecifierMinimumLineHeight = 9,
    kCTParagraphStyleSpecifierLineSpacing = 10,
    kCTParagraphStyleSpecifierParagraphSpacing = 11,
    kCTParagraphStyleSpecifierParagraphSpacingBefore = 12,
    kCTParagraphStyleSpecifierBaseWritingDirection = 13,
    kCTParagraphStyleSpecifierMaximumLineSpacing = 14,
    kCTParagraphStyleSpecifierMinimumLineSpacing = 15,
    kCTParagraphStyleSpecifierLineSpacingAdjustment = 16,
    kCTParagraphStyleSpecifierLineBoundsOptions = 17,
};

struct CTParagraphStyleSetting {
    CTParagraphStyleSpecifier specifier;
    std::size_t valueSize;
    const void* value;
};

using CTParagraphStyleRef = std::shared_ptr<NSParagraphStyle>;

// Settings with a value of the wrong size, or specifiers without a meaning here (tab stops,
// writing direction), are ignored.
CTParagraphStyleRef CTParagraphStyleCreate(const CTParagraphStyleSetting* settings, std::size_t settingCount);
NSTextAlignment NSTextAlignmentFromCTTextAlignment(CTTextAlignment alignment);
CTTextAlignment NSTextAlignmentToCTTextAlignment(NSTextAlignment alignment);
