#include "platform/uikit/KeyboardKeysView.h"
#include "platform/text/TextLayout.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/CTLine.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/RoundedRectPath.h"
#include "platform/uikit/UIApplication.h"
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

constexpr const char* kDeleteTitle = "⌫";
constexpr const char* kShiftTitle = "⇧";
constexpr const char* kSpaceTitle = "空格";

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
    bool returnBlue, bool enabled, bool pressed)
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
    if (pressed) {
        CGContextSetRGBFillColor(context, 0, 0, 0, 0.18);
        addRoundedRectPath(context, rect, 5);
        CGContextFillPath(context);
    }
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
    attributes->setObject(UIFont::systemFontOfSize(kind == KeyKind::Letter && title.length() == 1 ? 22 : 15), NSFontAttributeName);
    attributes->setObject(UIColor::colorWithWhite(grey, 1), NSForegroundColorAttributeName);
    const auto line = CTLineCreateWithAttributedString(NSAttributedString::withString(title, attributes));
    const CGFloat x = CGRectGetMidX(rect) - line->width() / 2;
    const CGFloat baseline = std::round(CGRectGetMidY(rect) + (line->ascent() - line->descent()) / 2);
    TextLayout::drawLine(line, context, CGPointMake(x, baseline));
}

// Splits UTF-8 text into its characters (each key types one).
std::vector<std::string> characters(const char* text)
{
    std::vector<std::string> result;
    for (const char* at = text; *at;) {
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(*at);
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        result.emplace_back(at, length);
        at += length;
    }
    return result;
}

} // namespace

void KeyboardKeysView::init(CGRect frame)
{
    super::init(frame);
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    setMultipleTouchEnabled(false);
}

void KeyboardKeysView::setResponder(const UIResponderRef& responder)
{
    NSAssertMainThread();
    if (responder != m_responder.lock()) {
        auto* traits = dynamic_cast<UITextInputTraits*>(responder.get());
        m_page = traits && traits->keyboardType() == UIKeyboardType::NumbersAndPunctuation ? Page::Digits : Page::Letters;
        m_shifted = false;
        m_pressedKey.reset();
    }
    m_responder = responder;
    setNeedsDisplay();
}

NSString KeyboardKeysView::returnKeyTitle(NSInteger returnKeyType)
{
    static const std::array<const char*, 11> titles { "换行", "前往", "搜索", "加入", "下一项", "路线", "搜索", "发送", "搜索",
        "完成", "紧急呼叫" };
    if (returnKeyType < 0 || returnKeyType >= static_cast<NSInteger>(titles.size()))
        return titles[0];
    return titles[static_cast<std::size_t>(returnKeyType)];
}

NSString KeyboardKeysView::returnKeyTitle() const
{
    auto* traits = dynamic_cast<UITextInputTraits*>(responder().get());
    return returnKeyTitle(traits ? static_cast<NSInteger>(traits->returnKeyType()) : 0);
}

bool KeyboardKeysView::showsNumberPad() const
{
    auto* traits = dynamic_cast<UITextInputTraits*>(responder().get());
    const UIKeyboardType type = traits ? traits->keyboardType() : UIKeyboardType::Default;
    return type == UIKeyboardType::NumberPad || type == UIKeyboardType::PhonePad || type == UIKeyboardType::DecimalPad;
}

std::vector<KeyboardKeysView::Key> KeyboardKeysView::keys() const
{
    if (showsNumberPad())
        return numberPadKeys();
    // The keys keep the phone's spacing and spread over a wider screen.
    const CGFloat scale = bounds().size.width / 320;
    auto frame = [&](CGFloat x, int row, CGFloat width) {
        return CGRectMake(std::round(x * scale), kRowTop[row], std::round(width * scale), kKeyHeight);
    };
    std::vector<Key> result;
    auto row = [&](int index, const char* text, CGFloat x, CGFloat pitch, CGFloat width) {
        for (const auto& character : characters(text)) {
            NSString typed(character);
            if (m_page == Page::Letters)
                typed = m_shifted ? typed.uppercaseString() : typed.lowercaseString();
            result.push_back({ frame(x, index, width), typed, Kind::Character, typed });
            x += pitch;
        }
    };
    switch (m_page) {
    case Page::Letters:
        row(0, "qwertyuiop", 3, kKeyPitch, kKeyWidth);
        row(1, "asdfghjkl", 19, kKeyPitch, kKeyWidth);
        result.push_back({ frame(3, 2, 36), kShiftTitle, Kind::Shift, NSString() });
        row(2, "zxcvbnm", 51, kKeyPitch, kKeyWidth);
        break;
    case Page::Digits:
        row(0, "1234567890", 3, kKeyPitch, kKeyWidth);
        row(1, "-/:;()¥&@\"", 3, kKeyPitch, kKeyWidth);
        result.push_back({ frame(3, 2, 36), "#+=", Kind::PageSwitch, NSString(), Page::Symbols });
        row(2, ".,?!'", 51, 46, 40);
        break;
    case Page::Symbols:
        row(0, "[]{}#%^*+=", 3, kKeyPitch, kKeyWidth);
        row(1, "_\\|~<>$€£·", 3, kKeyPitch, kKeyWidth);
        result.push_back({ frame(3, 2, 36), "123", Kind::PageSwitch, NSString(), Page::Digits });
        row(2, ".,?!'", 51, 46, 40);
        break;
    }
    result.push_back({ frame(281, 2, 36), kDeleteTitle, Kind::Delete, NSString() });
    if (m_page == Page::Letters)
        result.push_back({ frame(3, 3, 36), "123", Kind::PageSwitch, NSString(), Page::Digits });
    else
        result.push_back({ frame(3, 3, 36), "ABC", Kind::PageSwitch, NSString(), Page::Letters });
    result.push_back({ frame(42, 3, 36), "，", Kind::Character, "，" });
    result.push_back({ frame(81, 3, 154), kSpaceTitle, Kind::Space, " " });
    result.push_back({ frame(238, 3, 79), returnKeyTitle(), Kind::Return, NSString() });
    return result;
}

std::vector<KeyboardKeysView::Key> KeyboardKeysView::numberPadKeys() const
{
    auto* traits = dynamic_cast<UITextInputTraits*>(responder().get());
    const CGRect bounds = this->bounds();
    const CGFloat width = (bounds.size.width - 4 * 6) / 3;
    const CGFloat height = (bounds.size.height - 5 * 6) / 4;
    std::vector<Key> result;
    const char* titles[] = { "1", "2", "3", "4", "5", "6", "7", "8", "9", "", "0", kDeleteTitle };
    if (traits && traits->keyboardType() == UIKeyboardType::DecimalPad)
        titles[9] = ".";
    else if (traits && traits->keyboardType() == UIKeyboardType::PhonePad)
        titles[9] = "+";
    for (int index = 0; index < 12; ++index) {
        const CGRect rect = CGRectMake(6 + (index % 3) * (width + 6), 6 + (index / 3) * (height + 6), width, height);
        if (index == 11)
            result.push_back({ rect, kDeleteTitle, Kind::Delete, NSString() });
        else
            result.push_back({ rect, titles[index], Kind::Character, titles[index] });
    }
    return result;
}

std::vector<NSString> KeyboardKeysView::keyTitles() const
{
    std::vector<NSString> titles;
    for (const auto& key : keys())
        titles.push_back(key.title);
    return titles;
}

std::optional<CGRect> KeyboardKeysView::frameOfKey(const NSString& title) const
{
    for (const auto& key : keys())
        if (key.title == title && title.length() > 0)
            return key.frame;
    return std::nullopt;
}

std::optional<std::size_t> KeyboardKeysView::keyIndexAt(CGPoint point) const
{
    const auto all = keys();
    // A finger between keys takes the nearest one of its row, as on the device.
    std::optional<std::size_t> nearest;
    CGFloat distance = 0;
    for (std::size_t index = 0; index < all.size(); ++index) {
        const CGRect frame = CGRectInset(all[index].frame, -3, -7);
        if (all[index].title.length() == 0 || point.y < CGRectGetMinY(frame) || point.y > CGRectGetMaxY(frame))
            continue;
        const CGFloat away = std::max<CGFloat>(0, std::max(CGRectGetMinX(frame) - point.x, point.x - CGRectGetMaxX(frame)));
        if (!nearest || away < distance) {
            nearest = index;
            distance = away;
        }
    }
    return nearest && distance <= 8 ? nearest : std::nullopt;
}

void KeyboardKeysView::touchesBegan(const UITouchSet& touches, const UIEventRef&)
{
    if (auto touch = touches.anyObject())
        m_pressedKey = keyIndexAt(touch->locationInView(self()));
    setNeedsDisplay();
}

void KeyboardKeysView::touchesMoved(const UITouchSet& touches, const UIEventRef&)
{
    if (auto touch = touches.anyObject()) {
        const auto under = keyIndexAt(touch->locationInView(self()));
        if (under != m_pressedKey) {
            m_pressedKey = under;
            setNeedsDisplay();
        }
    }
}

void KeyboardKeysView::touchesEnded(const UITouchSet& touches, const UIEventRef&)
{
    auto protectedSelf = self();
    std::optional<Key> pressed;
    if (auto touch = touches.anyObject())
        if (const auto index = keyIndexAt(touch->locationInView(self())))
            pressed = keys()[*index];
    m_pressedKey.reset();
    setNeedsDisplay();
    if (pressed)
        press(*pressed);
}

void KeyboardKeysView::touchesCancelled(const UITouchSet&, const UIEventRef&)
{
    m_pressedKey.reset();
    setNeedsDisplay();
}

void KeyboardKeysView::press(const Key& key)
{
    auto application = UIApplication::sharedApplication();
    switch (key.kind) {
    case Kind::Character:
    case Kind::Space:
        application->sendText(key.text);
        if (m_page == Page::Letters && key.kind == Kind::Character)
            m_shifted = false;
        break;
    case Kind::Shift:
        m_shifted = !m_shifted;
        break;
    case Kind::Delete:
        application->sendKey(UIKeyboardKey::Backspace);
        break;
    case Kind::PageSwitch:
        m_page = key.target;
        m_shifted = false;
        break;
    case Kind::Return:
        application->sendKey(UIKeyboardKey::Return);
        break;
    }
    setNeedsDisplay();
}

void KeyboardKeysView::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    auto* traits = dynamic_cast<UITextInputTraits*>(responder().get());
    const Palette& palette = traits && traits->keyboardAppearance() == UIKeyboardAppearance::Dark ? kDark : kLight;
    CGContextSetRGBFillColor(context, palette.background[0], palette.background[1], palette.background[2], 1);
    CGContextFillRect(context, bounds());
    const bool numberPad = showsNumberPad();
    const auto returnType = traits ? traits->returnKeyType() : UIReturnKeyType::Default;
    const bool returnEnabled = !traits || traits->returnKeyEnabled();
    const auto all = keys();
    for (std::size_t index = 0; index < all.size(); ++index) {
        const Key& key = all[index];
        KeyKind kind = KeyKind::Function;
        if (key.kind == Kind::Character || (key.kind == Kind::Shift && m_shifted))
            kind = KeyKind::Letter;
        else if (key.kind == Kind::Space)
            kind = KeyKind::Space;
        else if (key.kind == Kind::Return)
            kind = KeyKind::Return;
        if (numberPad && key.title.length() == 0)
            kind = KeyKind::Function;
        drawKey(context, key.frame, key.title, palette, kind, returnType != UIReturnKeyType::Default,
            key.kind != Kind::Return || returnEnabled, m_pressedKey == index);
    }
}
