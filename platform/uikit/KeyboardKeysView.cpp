#include "platform/uikit/KeyboardKeysView.h"
#include "platform/text/TextLayout.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/CTLine.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/RoundedRectPath.h"
#include "platform/uikit/UIKeyInput.h"
#include "platform/uikit/UITextInputTraits.h"

#include <array>
#include <cmath>

namespace {

struct Palette {
    CGFloat background[3];
    CGFloat letterKey[3];
    CGFloat functionKey[3];
    CGFloat text;
};

constexpr Palette kLight { { 0.82, 0.84, 0.86 }, { 1, 1, 1 }, { 0.67, 0.70, 0.73 }, 0 };
constexpr Palette kDark { { 0.25, 0.25, 0.27 }, { 0.45, 0.45, 0.47 }, { 0.33, 0.33, 0.35 }, 1 };

constexpr CGFloat kKeyHeight = 39;
constexpr CGFloat kRowTop[] = { 10, 64, 118, 172 };
constexpr CGFloat kKeyPitch = 32;
constexpr CGFloat kKeyWidth = 26;

enum class KeyKind { Letter, Space, Function, Return };

// A left-pointing tag with a cross in it; few fonts have the sign.
void drawDeleteSymbol(const CGContextRef& context, CGRect key, CGFloat grey)
{
    const CGFloat midX = CGRectGetMidX(key), midY = CGRectGetMidY(key);
    CGContextSetGrayStrokeColor(context, grey, 1);
    CGContextSetLineWidth(context, 1.2);
    CGContextMoveToPoint(context, midX - 11, midY);
    CGContextAddLineToPoint(context, midX - 5, midY - 7);
    CGContextAddLineToPoint(context, midX + 11, midY - 7);
    CGContextAddLineToPoint(context, midX + 11, midY + 7);
    CGContextAddLineToPoint(context, midX - 5, midY + 7);
    CGContextClosePath(context);
    CGContextMoveToPoint(context, midX - 1, midY - 3.5);
    CGContextAddLineToPoint(context, midX + 6, midY + 3.5);
    CGContextMoveToPoint(context, midX + 6, midY - 3.5);
    CGContextAddLineToPoint(context, midX - 1, midY + 3.5);
    CGContextStrokePath(context);
}

void drawKey(const CGContextRef& context, CGRect rect, const NSString& title, const Palette& palette, KeyKind kind,
    bool returnBlue, bool enabled)
{
    // The shadow under each key is a second rounded rectangle a point lower.
    CGContextSetRGBFillColor(context, 0.53, 0.54, 0.56, 1);
    addRoundedRectPath(context, CGRectOffset(rect, 0, 1), 5);
    CGContextFillPath(context);
    const CGFloat* fill = kind == KeyKind::Letter || kind == KeyKind::Space ? palette.letterKey : palette.functionKey;
    if (kind == KeyKind::Return && returnBlue && enabled)
        CGContextSetRGBFillColor(context, 0, 0.48, 1, 1);
    else
        CGContextSetRGBFillColor(context, fill[0], fill[1], fill[2], 1);
    addRoundedRectPath(context, rect, 5);
    CGContextFillPath(context);
    if (title.length() == 0)
        return;
    if (title == NSString("⌫")) {
        drawDeleteSymbol(context, rect, palette.text);
        return;
    }

    CGFloat grey = palette.text;
    if (kind == KeyKind::Return && returnBlue && enabled)
        grey = 1;
    else if (!enabled)
        grey = 0.55;
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(UIFont::systemFontOfSize(kind == KeyKind::Letter ? 22 : 15), NSFontAttributeName);
    attributes->setObject(UIColor::colorWithWhite(grey, 1), NSForegroundColorAttributeName);
    const auto line = CTLineCreateWithAttributedString(NSAttributedString::withString(title, attributes));
    const CGFloat x = CGRectGetMidX(rect) - line->width() / 2;
    const CGFloat baseline = std::round(CGRectGetMidY(rect) + (line->ascent() - line->descent()) / 2);
    TextLayout::drawLine(line, context, CGPointMake(x, baseline));
}

} // namespace

void KeyboardKeysView::init(CGRect frame)
{
    super::init(frame);
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
}

void KeyboardKeysView::setResponder(const UIResponderRef& responder)
{
    NSAssertMainThread();
    m_responder = responder;
    setNeedsDisplay();
}

NSString KeyboardKeysView::returnKeyTitle(NSInteger returnKeyType)
{
    static const std::array<const char*, 11> titles { "return", "Go", "Google", "Join", "Next", "Route", "Search", "Send",
        "Yahoo", "Done", "Emergency Call" };
    if (returnKeyType < 0 || returnKeyType >= static_cast<NSInteger>(titles.size()))
        return titles[0];
    return titles[static_cast<std::size_t>(returnKeyType)];
}

NSString KeyboardKeysView::returnKeyTitle() const
{
    auto* traits = dynamic_cast<UITextInputTraits*>(responder().get());
    return returnKeyTitle(traits ? static_cast<NSInteger>(traits->returnKeyType()) : 0);
}

void KeyboardKeysView::drawRect(CGRect)
{
    auto* traits = dynamic_cast<UITextInputTraits*>(responder().get());
    const UIKeyboardType type = traits ? traits->keyboardType() : UIKeyboardType::Default;
    if (type == UIKeyboardType::NumberPad || type == UIKeyboardType::PhonePad || type == UIKeyboardType::DecimalPad)
        drawNumberPad();
    else
        drawLetters();
}

void KeyboardKeysView::drawLetters()
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    auto* traits = dynamic_cast<UITextInputTraits*>(responder().get());
    const Palette& palette = traits && traits->keyboardAppearance() == UIKeyboardAppearance::Dark ? kDark : kLight;
    const CGRect bounds = this->bounds();
    CGContextSetRGBFillColor(context, palette.background[0], palette.background[1], palette.background[2], 1);
    CGContextFillRect(context, bounds);

    // The keys keep the phone's spacing and spread over a wider screen.
    const CGFloat scale = bounds.size.width / 320;
    auto key = [&](CGFloat x, CGFloat row, CGFloat width) {
        return CGRectMake(std::round(x * scale), kRowTop[static_cast<int>(row)], std::round(width * scale), kKeyHeight);
    };
    const char* rows[] = { "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM" };
    const CGFloat rowStart[] = { 3, 19, 51 };
    for (int row = 0; row < 3; ++row) {
        CGFloat x = rowStart[row];
        for (const char* letter = rows[row]; *letter; ++letter, x += kKeyPitch)
            drawKey(context, key(x, row, kKeyWidth), std::string(1, *letter), palette, KeyKind::Letter, false, true);
    }
    drawKey(context, key(3, 2, 36), "⇧", palette, KeyKind::Function, false, true);
    drawKey(context, key(281, 2, 36), "⌫", palette, KeyKind::Function, false, true);
    drawKey(context, key(3, 3, 36), "123", palette, KeyKind::Function, false, true);
    drawKey(context, key(42, 3, 36), "中", palette, KeyKind::Function, false, true);
    drawKey(context, key(81, 3, 154), "space", palette, KeyKind::Space, false, true);

    const auto returnType = traits ? traits->returnKeyType() : UIReturnKeyType::Default;
    const bool enabled = !traits || traits->returnKeyEnabled();
    drawKey(context, key(238, 3, 79), returnKeyTitle(static_cast<NSInteger>(returnType)), palette, KeyKind::Return,
        returnType != UIReturnKeyType::Default, enabled);
}

void KeyboardKeysView::drawNumberPad()
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    auto* traits = dynamic_cast<UITextInputTraits*>(responder().get());
    const Palette& palette = traits && traits->keyboardAppearance() == UIKeyboardAppearance::Dark ? kDark : kLight;
    const CGRect bounds = this->bounds();
    CGContextSetRGBFillColor(context, palette.background[0], palette.background[1], palette.background[2], 1);
    CGContextFillRect(context, bounds);
    const char* titles[] = { "1", "2", "3", "4", "5", "6", "7", "8", "9", "", "0", "⌫" };
    if (traits && traits->keyboardType() == UIKeyboardType::DecimalPad)
        titles[9] = ".";
    else if (traits && traits->keyboardType() == UIKeyboardType::PhonePad)
        titles[9] = "+*#";
    const CGFloat width = (bounds.size.width - 4 * 6) / 3;
    const CGFloat height = (bounds.size.height - 5 * 6) / 4;
    for (int index = 0; index < 12; ++index) {
        const int column = index % 3;
        const int row = index / 3;
        const CGRect rect = CGRectMake(6 + column * (width + 6), 6 + row * (height + 6), width, height);
        const bool function = index == 9 || index == 11;
        drawKey(context, rect, titles[index], palette, function ? KeyKind::Function : KeyKind::Letter, false, true);
    }
}
