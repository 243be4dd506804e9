#include "platform/uikit/UITextField.h"
#include "platform/text/TextLayout.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/CTLine.h"
#include "platform/uikit/RoundedRectPath.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kClearButtonSide = 19;
constexpr CGFloat kCaretWidth = 2;
constexpr unichar kBullet = 0x2022;

// The platform's placeholder grey.
UIColorRef placeholderColor() { return UIColor::colorWithWhite(0.7, 1); }

CGFloat horizontalInset(UITextBorderStyle style)
{
    switch (style) {
    case UITextBorderStyle::None:
        return 0;
    case UITextBorderStyle::Line:
        return 2;
    case UITextBorderStyle::Bezel:
        return 3;
    case UITextBorderStyle::RoundedRect:
        return 7;
    }
    return 0;
}

// The round grey button with a white cross that empties the field.
class TextFieldClearButton : public UIControl {
    NS_OBJECT(TextFieldClearButton, UIControl)
public:
    void drawRect(CGRect) override
    {
        auto context = UIGraphicsGetCurrentContext();
        if (!context)
            return;
        const CGRect circle = CGRectInset(bounds(), 2, 2);
        CGContextSetGrayFillColor(context, isHighlighted() ? 0.45 : 0.7, 1);
        CGContextFillEllipseInRect(context, circle);
        CGContextSetGrayStrokeColor(context, 1, 1);
        CGContextSetLineWidth(context, 1.5);
        const CGRect cross = CGRectInset(circle, circle.size.width * 0.3, circle.size.height * 0.3);
        CGContextMoveToPoint(context, CGRectGetMinX(cross), CGRectGetMinY(cross));
        CGContextAddLineToPoint(context, CGRectGetMaxX(cross), CGRectGetMaxY(cross));
        CGContextMoveToPoint(context, CGRectGetMaxX(cross), CGRectGetMinY(cross));
        CGContextAddLineToPoint(context, CGRectGetMinX(cross), CGRectGetMaxY(cross));
        CGContextStrokePath(context);
    }

protected:
    void stateDidChange() override { setNeedsDisplay(); }
};

} // namespace

UITextField::~UITextField() = default;

void UITextField::init(CGRect frame)
{
    super::init(frame);
    m_font = UIFont::systemFontOfSize(17);
    m_textColor = UIColor::blackColor();
    setContentVerticalAlignment(UIControlContentVerticalAlignmentCenter);
    auto clearButton = TextFieldClearButton::create(CGRectMake(0, 0, kClearButtonSide, kClearButtonSide));
    clearButton->setHidden(true);
    std::weak_ptr<UITextField> weakSelf = self();
    clearButton->addTarget(nullptr, [weakSelf](UIControl&, const UIEventRef&) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->clearButtonTapped();
    }, UIControlEventTouchUpInside);
    m_clearButton = clearButton;
    addSubview(m_clearButton);
}

// MARK: - Properties

void UITextField::setText(const NSString& text)
{
    NSAssertMainThread();
    m_editor.setText(text);
    contentDidChange();
}

NSString UITextField::placeholder() const
{
    return m_attributedPlaceholder ? m_attributedPlaceholder->string() : NSString();
}

void UITextField::setPlaceholder(const NSString& placeholder)
{
    NSAssertMainThread();
    setAttributedPlaceholder(placeholder.isNil() ? nullptr : NSAttributedString::withString(placeholder));
}

void UITextField::setAttributedPlaceholder(const std::shared_ptr<NSAttributedString>& placeholder)
{
    NSAssertMainThread();
    m_attributedPlaceholder = placeholder ? std::static_pointer_cast<NSAttributedString>(placeholder->copy()) : nullptr;
    setNeedsDisplay();
}

CGFloat UITextField::defaultFontSize() const { return 17; }

void UITextField::textLookDidChange(bool fontChanged)
{
    if (fontChanged)
        contentDidChange();
    else
        setNeedsDisplay();
}

void UITextField::setBorderStyle(UITextBorderStyle style)
{
    NSAssertMainThread();
    if (m_borderStyle == style)
        return;
    m_borderStyle = style;
    setNeedsLayout();
    setNeedsDisplay();
}

void UITextField::setClearButtonMode(UITextFieldViewMode mode)
{
    NSAssertMainThread();
    m_clearButtonMode = mode;
    setNeedsLayout();
}

void UITextField::setLeftView(const UIViewRef& view)
{
    NSAssertMainThread();
    if (m_leftView == view)
        return;
    if (m_leftView)
        m_leftView->removeFromSuperview();
    m_leftView = view;
    if (m_leftView)
        addSubview(m_leftView);
    setNeedsLayout();
}

void UITextField::setLeftViewMode(UITextFieldViewMode mode)
{
    NSAssertMainThread();
    m_leftViewMode = mode;
    setNeedsLayout();
}

void UITextField::setRightView(const UIViewRef& view)
{
    NSAssertMainThread();
    if (m_rightView == view)
        return;
    if (m_rightView)
        m_rightView->removeFromSuperview();
    m_rightView = view;
    if (m_rightView)
        addSubview(m_rightView);
    setNeedsLayout();
}

void UITextField::setRightViewMode(UITextFieldViewMode mode)
{
    NSAssertMainThread();
    m_rightViewMode = mode;
    setNeedsLayout();
}

void UITextField::setSecureTextEntry(bool secure)
{
    NSAssertMainThread();
    UITextInputTraits::setSecureTextEntry(secure);
    contentDidChange();
}

void UITextField::setSelectedRange(NSRange range)
{
    NSAssertMainThread();
    m_editor.setSelectedRange(range);
    contentDidChange();
}

void UITextField::contentDidChange()
{
    setNeedsLayout();
    setNeedsDisplay();
}

// MARK: - Geometry

bool UITextField::shows(UITextFieldViewMode mode) const
{
    switch (mode) {
    case UITextFieldViewMode::Never:
        return false;
    case UITextFieldViewMode::WhileEditing:
        return m_editing;
    case UITextFieldViewMode::UnlessEditing:
        return !m_editing;
    case UITextFieldViewMode::Always:
        return true;
    }
    return false;
}

CGRect UITextField::leftViewRectForBounds(CGRect bounds) const
{
    const CGSize size = m_leftView ? m_leftView->frame().size : CGSizeZero;
    return CGRectMake(CGRectGetMinX(bounds), CGRectGetMidY(bounds) - size.height / 2, size.width, size.height);
}

CGRect UITextField::rightViewRectForBounds(CGRect bounds) const
{
    const CGSize size = m_rightView ? m_rightView->frame().size : CGSizeZero;
    return CGRectMake(CGRectGetMaxX(bounds) - size.width, CGRectGetMidY(bounds) - size.height / 2, size.width, size.height);
}

CGRect UITextField::clearButtonRectForBounds(CGRect bounds) const
{
    CGFloat right = CGRectGetMaxX(bounds) - std::max<CGFloat>(horizontalInset(m_borderStyle) - 2, 0);
    if (m_rightView && shows(m_rightViewMode))
        right = CGRectGetMinX(rightViewRectForBounds(bounds));
    return CGRectMake(right - kClearButtonSide, CGRectGetMidY(bounds) - kClearButtonSide / 2, kClearButtonSide, kClearButtonSide);
}

CGRect UITextField::textRectForBounds(CGRect bounds) const
{
    const CGFloat inset = horizontalInset(m_borderStyle);
    CGFloat left = CGRectGetMinX(bounds) + inset;
    CGFloat right = CGRectGetMaxX(bounds) - inset;
    if (m_leftView && shows(m_leftViewMode))
        left = std::max(left, CGRectGetMaxX(leftViewRectForBounds(bounds)));
    if (m_rightView && shows(m_rightViewMode))
        right = std::min(right, CGRectGetMinX(rightViewRectForBounds(bounds)));
    if (shows(m_clearButtonMode) && hasText())
        right = std::min(right, CGRectGetMinX(clearButtonRectForBounds(bounds)));
    return CGRectMake(left, CGRectGetMinY(bounds), std::max<CGFloat>(0, right - left), bounds.size.height);
}

NSString UITextField::displayedText() const
{
    NSString shown = maskedText();
    // The composition sits at the caret, after which the caret's index no longer moves.
    if (m_editing && m_markedText.length() > 0)
        shown = shown.stringByReplacingCharactersInRange(m_editor.selectedRange(), m_markedText);
    return shown;
}

NSString UITextField::maskedText() const
{
    const NSString& text = m_editor.text();
    if (!isSecureTextEntry() || text.length() == 0)
        return text;
    // One bullet per unit keeps the caret's index valid in the drawn text; a composed character
    // of several units shows as one bullet followed by nothing.
    std::u16string bullets(text.length(), kBullet);
    for (NSUInteger index = 0; index < text.length();) {
        NSRange character = text.rangeOfComposedCharacterSequenceAtIndex(index);
        for (NSUInteger unit = 1; unit < character.length; ++unit)
            bullets[character.location + unit] = 0x200B;
        index = character.end();
    }
    return NSString(std::move(bullets));
}

std::shared_ptr<NSAttributedString> UITextField::styledText(const NSString& text, const UIColorRef& color) const
{
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(m_font, NSFontAttributeName);
    attributes->setObject(color, NSForegroundColorAttributeName);
    return NSAttributedString::withString(text, attributes);
}

std::shared_ptr<NSAttributedString> UITextField::styledPlaceholder() const
{
    if (!m_attributedPlaceholder || m_attributedPlaceholder->length() == 0)
        return nullptr;
    auto text = m_attributedPlaceholder->mutableCopyAttributedString();
    const NSRange whole = NSMakeRange(0, text->length());
    m_attributedPlaceholder->enumerateAttributesInRange(whole, 0, [&](const NSAttributes& attributes, NSRange range, bool&) {
        if (!attributes || !attributes->objectForKey(NSFontAttributeName))
            text->addAttribute(NSFontAttributeName, m_font, range);
        if (!attributes || !attributes->objectForKey(NSForegroundColorAttributeName))
            text->addAttribute(NSForegroundColorAttributeName, placeholderColor(), range);
    });
    return text;
}

CGFloat UITextField::baselineInRect(CGRect rect) const
{
    const CGFloat lineHeight = m_font->ascender() - m_font->descender();
    CGFloat top = rect.origin.y + (rect.size.height - lineHeight) / 2;
    if (contentVerticalAlignment() == UIControlContentVerticalAlignmentTop)
        top = rect.origin.y;
    else if (contentVerticalAlignment() == UIControlContentVerticalAlignmentBottom)
        top = CGRectGetMaxY(rect) - lineHeight;
    return std::round(top + m_font->ascender());
}

CGFloat UITextField::textOriginX(CGRect textRect) const
{
    const CGFloat width = CTLineCreateWithAttributedString(styledText(displayedText(), m_textColor))->width();
    if (width > textRect.size.width)
        return textRect.origin.x - m_scrollX;
    switch (m_textAlignment) {
    case NSTextAlignmentCenter:
        return textRect.origin.x + (textRect.size.width - width) / 2;
    case NSTextAlignmentRight:
        return CGRectGetMaxX(textRect) - width;
    default:
        return textRect.origin.x;
    }
}

CGRect UITextField::caretRectForIndex(NSUInteger index) const
{
    const CGRect rect = m_editing ? editingRectForBounds(bounds()) : textRectForBounds(bounds());
    const auto line = CTLineCreateWithAttributedString(styledText(displayedText(), m_textColor));
    const CGFloat x = textOriginX(rect) + line->offsetForStringIndex(static_cast<CFIndex>(std::min(index, m_editor.text().length())));
    const CGFloat baseline = baselineInRect(rect);
    return CGRectMake(std::round(x), baseline - std::ceil(m_font->ascender()), kCaretWidth,
        std::ceil(m_font->ascender()) + std::ceil(-m_font->descender()));
}

NSUInteger UITextField::indexForPoint(CGPoint point) const
{
    const CGRect rect = m_editing ? editingRectForBounds(bounds()) : textRectForBounds(bounds());
    const auto line = CTLineCreateWithAttributedString(styledText(displayedText(), m_textColor));
    const CFIndex index = line->stringIndexForPosition(point.x - textOriginX(rect));
    return std::min<NSUInteger>(static_cast<NSUInteger>(std::max<CFIndex>(index, 0)), m_editor.text().length());
}

// MARK: - Layout and drawing

void UITextField::layoutSubviews()
{
    const CGRect bounds = this->bounds();
    if (m_leftView) {
        m_leftView->setHidden(!shows(m_leftViewMode));
        m_leftView->setFrame(leftViewRectForBounds(bounds));
    }
    if (m_rightView) {
        m_rightView->setHidden(!shows(m_rightViewMode));
        m_rightView->setFrame(rightViewRectForBounds(bounds));
    }
    m_clearButton->setHidden(!(shows(m_clearButtonMode) && hasText()));
    m_clearButton->setFrame(clearButtonRectForBounds(bounds));
    bringSubviewToFront(m_clearButton);

    // Keep the caret in view when the text is wider than its rectangle.
    const CGRect rect = editingRectForBounds(bounds);
    const auto line = CTLineCreateWithAttributedString(styledText(displayedText(), m_textColor));
    const CGFloat caret = line->offsetForStringIndex(static_cast<CFIndex>(m_editor.caret()));
    const CGFloat overflow = std::max<CGFloat>(0, line->width() + kCaretWidth - rect.size.width);
    if (caret - m_scrollX > rect.size.width - kCaretWidth)
        m_scrollX = caret - rect.size.width + kCaretWidth;
    else if (caret < m_scrollX)
        m_scrollX = caret;
    m_scrollX = std::clamp<CGFloat>(m_scrollX, 0, overflow);
}

void UITextField::drawTextInRect(CGRect rect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const auto line = CTLineCreateWithAttributedString(styledText(displayedText(), m_textColor));
    const CGFloat x = textOriginX(rect);
    const CGFloat baseline = baselineInRect(rect);
    CGContextSaveGState(context);
    CGContextClipToRect(context, rect);
    if (m_editing && m_markedText.length() > 0) {
        // The composition underlined, the input method's cursor within it.
        const NSUInteger start = m_editor.selectedRange().location;
        const CGRect caret = caretRectForIndex(start);
        const CGFloat from = x + line->offsetForStringIndex(static_cast<CFIndex>(start));
        const CGFloat to = x + line->offsetForStringIndex(static_cast<CFIndex>(start + m_markedText.length()));
        const CGFloat cursor = x + line->offsetForStringIndex(static_cast<CFIndex>(start + m_markedSelectedRange.location));
        CGContextSetFillColorWithColor(context, m_textColor->CGColor());
        CGContextFillRect(context, CGRectMake(from, baseline + 2, to - from, 1));
        CGContextSetFillColorWithColor(context, tintColor()->CGColor());
        CGContextFillRect(context, CGRectMake(std::round(cursor), caret.origin.y, kCaretWidth, caret.size.height));
    } else if (m_editing) {
        const NSRange selection = m_editor.selectedRange();
        const CGRect caret = caretRectForIndex(selection.location);
        if (selection.length > 0) {
            const CGFloat end = x + line->offsetForStringIndex(static_cast<CFIndex>(selection.end()));
            CGContextSetFillColorWithColor(context, tintColor()->colorWithAlphaComponent(0.2)->CGColor());
            CGContextFillRect(context, CGRectMake(caret.origin.x, caret.origin.y, end - caret.origin.x, caret.size.height));
        } else {
            CGContextSetFillColorWithColor(context, tintColor()->CGColor());
            CGContextFillRect(context, caret);
        }
    }
    TextLayout::drawLine(line, context, CGPointMake(x, baseline));
    CGContextRestoreGState(context);
}

void UITextField::drawPlaceholderInRect(CGRect rect)
{
    auto context = UIGraphicsGetCurrentContext();
    const auto placeholder = styledPlaceholder();
    if (!context || !placeholder)
        return;
    const auto line = CTLineCreateWithAttributedString(placeholder);
    CGFloat x = rect.origin.x;
    if (m_textAlignment == NSTextAlignmentCenter)
        x += (rect.size.width - line->width()) / 2;
    else if (m_textAlignment == NSTextAlignmentRight)
        x = CGRectGetMaxX(rect) - line->width();
    CGContextSaveGState(context);
    CGContextClipToRect(context, rect);
    TextLayout::drawLine(line, context, CGPointMake(x, baselineInRect(rect)));
    CGContextRestoreGState(context);
}

void UITextField::drawRect(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect border = borderRectForBounds(bounds());
    switch (m_borderStyle) {
    case UITextBorderStyle::None:
        break;
    case UITextBorderStyle::Line:
        CGContextSetGrayStrokeColor(context, 0, 1);
        CGContextSetLineWidth(context, 1);
        CGContextStrokeRect(context, CGRectInset(border, 0.5, 0.5));
        break;
    case UITextBorderStyle::Bezel:
        CGContextSetGrayStrokeColor(context, 0.45, 1);
        CGContextSetLineWidth(context, 1);
        CGContextMoveToPoint(context, CGRectGetMinX(border) + 0.5, CGRectGetMaxY(border));
        CGContextAddLineToPoint(context, CGRectGetMinX(border) + 0.5, CGRectGetMinY(border) + 0.5);
        CGContextAddLineToPoint(context, CGRectGetMaxX(border), CGRectGetMinY(border) + 0.5);
        CGContextStrokePath(context);
        CGContextSetGrayStrokeColor(context, 0.8, 1);
        CGContextMoveToPoint(context, CGRectGetMaxX(border) - 0.5, CGRectGetMinY(border) + 1);
        CGContextAddLineToPoint(context, CGRectGetMaxX(border) - 0.5, CGRectGetMaxY(border) - 0.5);
        CGContextAddLineToPoint(context, CGRectGetMinX(border) + 1, CGRectGetMaxY(border) - 0.5);
        CGContextStrokePath(context);
        break;
    case UITextBorderStyle::RoundedRect:
        // The platform's rounded field is white whatever the background colour.
        addRoundedRectPath(context, CGRectInset(border, 0.25, 0.25), 5);
        CGContextSetGrayFillColor(context, 1, 1);
        CGContextSetGrayStrokeColor(context, 0.8, 1);
        CGContextSetLineWidth(context, 0.5);
        CGContextDrawPath(context, kCGPathFillStroke);
        break;
    }
    if (!hasText()) {
        drawPlaceholderInRect(placeholderRectForBounds(bounds()));
        if (!m_editing)
            return;
    }
    drawTextInRect(m_editing ? editingRectForBounds(bounds()) : textRectForBounds(bounds()));
}

CGSize UITextField::sizeThatFits(CGSize) const
{
    const auto line = CTLineCreateWithAttributedString(styledText(displayedText(), m_textColor));
    const CGFloat inset = horizontalInset(m_borderStyle);
    CGFloat height = std::ceil(m_font->ascender() - m_font->descender());
    if (m_borderStyle == UITextBorderStyle::RoundedRect)
        height = std::max<CGFloat>(height + 13, 30);
    return CGSizeMake(std::ceil(line->width()) + 2 * inset, height);
}

NSString UITextField::visibleText() const
{
    if (hasText())
        return displayedText();
    return placeholder();
}

// MARK: - Responding

bool UITextField::canBecomeFirstResponder() const
{
    if (!isEnabled())
        return false;
    auto delegate = this->delegate();
    // The platform asks the delegate here, so a refusal also keeps other code from moving focus.
    return !(delegate && delegate->textFieldShouldBeginEditing(const_cast<UITextField&>(*this)) == false);
}

bool UITextField::canResignFirstResponder() const
{
    auto delegate = this->delegate();
    return !(delegate && delegate->textFieldShouldEndEditing(const_cast<UITextField&>(*this)) == false);
}

bool UITextField::resignFirstResponder()
{
    NSAssertMainThread();
    return resignEditing(*this, [this] { return super::resignFirstResponder(); });
}

void UITextField::didBecomeFirstResponder()
{
    auto protectedSelf = self();
    m_editing = true;
    if (m_clearsOnBeginEditing && hasText())
        m_editor.setText(NSString::string());
    placeCaretForEditing();
    m_caretPlacedByTouch = false;
    contentDidChange();
    if (auto delegate = this->delegate())
        delegate->textFieldDidBeginEditing(*this);
    sendActionsForControlEvents(UIControlEventEditingDidBegin);
    NSNotificationCenter::defaultCenter()->postNotificationName(UITextFieldTextDidBeginEditingNotification, protectedSelf);
}

void UITextField::didResignFirstResponder()
{
    auto protectedSelf = self();
    m_editing = false;
    m_markedText = NSString::string();
    m_scrollX = 0;
    contentDidChange();
    if (auto delegate = this->delegate())
        delegate->textFieldDidEndEditing(*this);
    sendActionsForControlEvents(UIControlEventEditingDidEnd);
    NSNotificationCenter::defaultCenter()->postNotificationName(UITextFieldTextDidEndEditingNotification, protectedSelf);
}

void UITextField::endTrackingWithTouch(UITouch* touch, const UIEventRef& event)
{
    super::endTrackingWithTouch(touch, event);
    if (!touch || !CGRectContainsPoint(bounds(), touch->locationInView(self())))
        return;
    const NSUInteger index = indexForPoint(touch->locationInView(self()));
    if (m_editing) {
        m_editor.setSelectedRange(NSMakeRange(index, 0));
        contentDidChange();
        return;
    }
    // FIXME: the caret goes where the finger lifted; the platform snaps to the nearer word edge.
    m_editor.setSelectedRange(NSMakeRange(index, 0));
    beginEditingAtTouchedCaret(*this);
}

bool UITextField::pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!m_editing)
        return super::pressKey(key, modifiers);
    if (key == UIKeyboardKey::Tab)
        return moveFocus(*this, (modifiers & UIKeyModifierShift) != 0) || super::pressKey(key, modifiers);
    const auto moved = pressEditingKey(key, (modifiers & UIKeyModifierShift) != 0);
    if (!moved)
        return super::pressKey(key, modifiers);
    if (*moved)
        contentDidChange();
    return true;
}

bool UITextField::performEditingAction(UIEditingAction action)
{
    if (!m_editing)
        return super::performEditingAction(action);
    return performEditing(action, isSecureTextEntry(), true);
}

// MARK: - Editing

void UITextField::insertTypedText(const NSString& text)
{
    if (text == NSString("\n")) {
        auto protectedSelf = self();
        auto delegate = this->delegate();
        if (delegate && delegate->textFieldShouldReturn(*this) == false)
            return;
        // As on the platform, a field whose Return ends editing is one with an action for it.
        if (allControlEvents() & UIControlEventEditingDidEndOnExit) {
            sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
            resignFirstResponder();
        }
        return;
    }
    replaceByUser(m_editor.selectedRange(), text);
}

bool UITextField::replaceByUser(NSRange range, const NSString& replacement)
{
    auto protectedSelf = self();
    if (auto delegate = this->delegate(); delegate && delegate->shouldChangeCharactersInRange(*this, range, replacement) == false)
        return false;
    m_editor.replaceCharactersInRange(range, replacement);
    textDidChangeByUser();
    return true;
}

void UITextField::textDidChangeByUser()
{
    auto protectedSelf = self();
    contentDidChange();
    sendActionsForControlEvents(UIControlEventEditingChanged);
    NSNotificationCenter::defaultCenter()->postNotificationName(UITextFieldTextDidChangeNotification, protectedSelf);
}

void UITextField::clearButtonTapped()
{
    auto protectedSelf = self();
    if (auto delegate = this->delegate(); delegate && delegate->textFieldShouldClear(*this) == false)
        return;
    if (!m_editing && !becomeFirstResponder())
        return;
    m_editor.setText(NSString::string());
    textDidChangeByUser();
}
