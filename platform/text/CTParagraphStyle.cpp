#include "platform/text/CTParagraphStyle.h"

#include <cmath>
#include <cstring>

namespace {

template <class T>
bool read(const CTParagraphStyleSetting& setting, T& value)
{
    if (!setting.value || setting.valueSize != sizeof(T))
        return false;
    std::memcpy(&value, setting.value, sizeof(T));
    if constexpr (std::is_floating_point_v<T>)
        return std::isfinite(value);
    return true;
}

// The specifiers that carry one CGFloat straight to the style's setter of the same name.
const std::pair<CTParagraphStyleSpecifier, void (NSMutableParagraphStyle::*)(CGFloat)> kFloatSetters[] = {
    { kCTParagraphStyleSpecifierFirstLineHeadIndent, &NSMutableParagraphStyle::setFirstLineHeadIndent },
    { kCTParagraphStyleSpecifierHeadIndent, &NSMutableParagraphStyle::setHeadIndent },
    { kCTParagraphStyleSpecifierLineHeightMultiple, &NSMutableParagraphStyle::setLineHeightMultiple },
    { kCTParagraphStyleSpecifierMaximumLineHeight, &NSMutableParagraphStyle::setMaximumLineHeight },
    { kCTParagraphStyleSpecifierMinimumLineHeight, &NSMutableParagraphStyle::setMinimumLineHeight },
    { kCTParagraphStyleSpecifierParagraphSpacing, &NSMutableParagraphStyle::setParagraphSpacing },
    { kCTParagraphStyleSpecifierParagraphSpacingBefore, &NSMutableParagraphStyle::setParagraphSpacingBefore },
    { kCTParagraphStyleSpecifierMaximumLineSpacing, &NSMutableParagraphStyle::setMaximumLineSpacing },
    { kCTParagraphStyleSpecifierMinimumLineSpacing, &NSMutableParagraphStyle::setMinimumLineSpacing },
};

} // namespace

NSTextAlignment NSTextAlignmentFromCTTextAlignment(CTTextAlignment alignment)
{
    switch (alignment) {
    case kCTTextAlignmentLeft:
        return NSTextAlignmentLeft;
    case kCTTextAlignmentRight:
        return NSTextAlignmentRight;
    case kCTTextAlignmentCenter:
        return NSTextAlignmentCenter;
    case kCTTextAlignmentJustified:
        return NSTextAlignmentJustified;
    default:
        return NSTextAlignmentNatural;
    }
}

CTTextAlignment NSTextAlignmentToCTTextAlignment(NSTextAlignment alignment)
{
    switch (alignment) {
    case NSTextAlignmentLeft:
        return kCTTextAlignmentLeft;
    case NSTextAlignmentRight:
        return kCTTextAlignmentRight;
    case NSTextAlignmentCenter:
        return kCTTextAlignmentCenter;
    case NSTextAlignmentJustified:
        return kCTTextAlignmentJustified;
    default:
        return kCTTextAlignmentNatural;
    }
}

CTParagraphStyleRef CTParagraphStyleCreate(const CTParagraphStyleSetting* settings, std::size_t settingCount)
{
    auto style = NSMutableParagraphStyle::create();
    CGFloat extraLineSpacing = 0;
    for (std::size_t index = 0; settings && index < settingCount; ++index) {
        const CTParagraphStyleSetting& setting = settings[index];
        CGFloat number = 0;
        switch (setting.specifier) {
        case kCTParagraphStyleSpecifierAlignment:
            if (CTTextAlignment alignment; read(setting, alignment))
                style->setAlignment(NSTextAlignmentFromCTTextAlignment(alignment));
            break;
        case kCTParagraphStyleSpecifierLineBreakMode:
            if (CTLineBreakMode mode; read(setting, mode) && mode <= kCTLineBreakByTruncatingMiddle)
                style->setLineBreakMode(static_cast<NSLineBreakMode>(mode));
            break;
        case kCTParagraphStyleSpecifierLineSpacing:
        case kCTParagraphStyleSpecifierLineSpacingAdjustment:
            if (read(setting, number))
                extraLineSpacing += number;
            break;
        default:
            for (const auto& [specifier, setter] : kFloatSetters) {
                if (specifier == setting.specifier && read(setting, number))
                    (style.get()->*setter)(number);
            }
            break;
        }
    }
    style->setLineSpacing(extraLineSpacing);
    return std::static_pointer_cast<NSParagraphStyle>(style->copy());
}
