#include "platform/uikit/UITextView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/CTLine.h"
#include "platform/text/TextLayout.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>

namespace {

// The platform's padding between the container's edge and the text on each side.
constexpr CGFloat kLineFragmentPadding = 5;
constexpr CGFloat kCaretWidth = 2;

bool isLineBreak(unichar unit) { return unit == u'\n' || unit == u'\r' || unit == 0x2028 || unit == 0x2029; }

} // namespace

// The text is drawn by a view the size of the content, so that scrolling moves a finished picture.
class TextViewContentView : public UIView {
    NS_OBJECT(TextViewContentView, UIView)
public:
    std::weak_ptr<UITextView> textView;

    void drawRect(CGRect rect) override
    {
        if (auto owner = textView.lock())
            owner->drawContent(rect);
    }
};

struct UITextView::Layout {
    TextLayout text;
    CGPoint origin;
};

UITextView::~UITextView() = default;

void UITextView::init(CGRect frame)
{
    super::init(frame);
    m_editor = EditableText(true);
    m_font = UIFont::systemFontOfSize(12);
    m_textColor = UIColor::blackColor();
    m_contentView = TextViewContentView::create(CGRectMake(0, 0, frame.size.width, frame.size.height));
    m_contentView->textView = self();
    m_contentView->setUserInteractionEnabled(false);
    insertSubview(m_contentView, 0);
    setBackgroundColor(UIColor::whiteColor());
    contentDidChange();
}

// MARK: - Properties

void UITextView::setText(const NSString& text)
{
    NSAssertMainThread();
    m_editor.setText(text);
    contentDidChange();
}

CGFloat UITextView::defaultFontSize() const { return 12; }

void UITextView::textLookDidChange(bool) { contentDidChange(); }

void UITextView::setTextContainerInset(UIEdgeInsets inset)
{
    NSAssertMainThread();
    if (m_textContainerInset == inset)
        return;
    m_textContainerInset = inset;
    contentDidChange();
}

void UITextView::setEditable(bool editable)
{
    NSAssertMainThread();
    if (m_editable == editable)
        return;
    m_editable = editable;
    if (!editable && isFirstResponder())
        resignFirstResponder();
}

void UITextView::setSelectable(bool selectable)
{
    NSAssertMainThread();
    m_selectable = selectable;
}

void UITextView::setDelegate(const std::shared_ptr<UITextViewDelegate>& delegate)
{
    NSAssertMainThread();
    m_textDelegate = delegate;
    UIScrollView::setDelegate(delegate);
}

void UITextView::setSelectedRange(NSRange range)
{
    NSAssertMainThread();
    m_editor.setSelectedRange(range);
    m_contentView->setNeedsDisplay();
}

void UITextView::setBounds(CGRect bounds)
{
    const bool resized = !CGSizeEqualToSize(bounds.size, this->bounds().size);
    super::setBounds(bounds);
    if (resized)
        contentDidChange();
}

// MARK: - Layout

std::shared_ptr<NSAttributedString> UITextView::styledText() const
{
    auto style = NSMutableParagraphStyle::create();
    style->setAlignment(m_textAlignment);
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(m_font, NSFontAttributeName);
    attributes->setObject(m_textColor, NSForegroundColorAttributeName);
    attributes->setObject(style, NSParagraphStyleAttributeName);
    return NSAttributedString::withString(m_editor.text(), attributes);
}

const UITextView::Layout& UITextView::layout() const
{
    if (!m_layout) {
        const CGFloat width = std::max<CGFloat>(1, bounds().size.width - m_textContainerInset.left - m_textContainerInset.right
                - 2 * kLineFragmentPadding);
        TextLayout::Options options;
        options.size = CGSizeMake(width, CGFLOAT_MAX);
        options.hangsTrailingWhitespace = false;
        // Lines in a fallback face (Chinese in a Latin font) keep the font's pitch, so a view ruled
        // at the font's leading stays ruled under every line.
        options.lineFont = m_font;
        const auto text = styledText();
        m_layout = std::make_shared<Layout>(Layout { TextLayout(text, NSMakeRange(0, text->length()), options),
            CGPointMake(m_textContainerInset.left + kLineFragmentPadding, m_textContainerInset.top) });
    }
    return *m_layout;
}

void UITextView::invalidateLayout() { m_layout.reset(); }

void UITextView::contentDidChange()
{
    invalidateLayout();
    setNeedsLayout();
    m_contentView->setNeedsDisplay();
}

void UITextView::layoutSubviews()
{
    super::layoutSubviews();
    const auto& placed = layout();
    CGFloat textHeight = std::max(placed.text.usedSize().height, m_font->ascender() - m_font->descender());
    // A last line break opens an empty line the caret may stand on.
    const NSString& text = m_editor.text();
    if (text.length() > 0 && isLineBreak(text.characterAtIndex(text.length() - 1)))
        textHeight += m_font->leading();
    const CGSize content = CGSizeMake(bounds().size.width,
        std::ceil(textHeight + m_textContainerInset.top + m_textContainerInset.bottom));
    if (!CGSizeEqualToSize(contentSize(), content))
        setContentSize(content);
    const CGRect contentFrame = CGRectMake(0, 0, content.width, std::max(content.height, bounds().size.height));
    if (!CGRectEqualToRect(m_contentView->frame(), contentFrame)) {
        m_contentView->setFrame(contentFrame);
        m_contentView->setNeedsDisplay();
    }
}

CGRect UITextView::caretRectForPosition(const std::shared_ptr<UITextPosition>& position) const
{
    if (!position)
        return CGRectNull;
    return caretRectForIndex(position->offset());
}

CGRect UITextView::caretRectForIndex(NSUInteger index) const
{
    const auto& placed = layout();
    const NSString& text = m_editor.text();
    index = std::min(index, text.length());
    const CGFloat ascent = std::ceil(m_font->ascender());
    const CGFloat height = ascent + std::ceil(-m_font->descender());
    const auto& lines = placed.text.lines();
    auto lineStartX = [&]() {
        const CGFloat width = bounds().size.width - m_textContainerInset.left - m_textContainerInset.right - 2 * kLineFragmentPadding;
        if (m_textAlignment == NSTextAlignmentCenter)
            return placed.origin.x + width / 2;
        if (m_textAlignment == NSTextAlignmentRight)
            return placed.origin.x + width;
        return placed.origin.x;
    };
    if (lines.empty())
        return CGRectMake(std::round(lineStartX()), placed.origin.y, kCaretWidth, height);
    const bool afterLastBreak = index == text.length() && isLineBreak(text.characterAtIndex(text.length() - 1));
    if (afterLastBreak) {
        const CGFloat baseline = placed.origin.y + lines.back().origin.y + m_font->leading();
        return CGRectMake(std::round(lineStartX()), baseline - ascent, kCaretWidth, height);
    }
    const TextLayout::PlacedLine* chosen = &lines.back();
    for (const auto& line : lines) {
        const CFRange range = line.line->stringRange();
        if (static_cast<CFIndex>(index) >= range.location && static_cast<CFIndex>(index) < range.location + range.length) {
            chosen = &line;
            break;
        }
    }
    const CGFloat x = placed.origin.x + chosen->origin.x + chosen->line->offsetForStringIndex(static_cast<CFIndex>(index));
    const CGFloat baseline = placed.origin.y + chosen->origin.y;
    return CGRectMake(std::round(x), baseline - ascent, kCaretWidth, height);
}

NSUInteger UITextView::indexForPoint(CGPoint point) const
{
    const auto& placed = layout();
    const NSString& text = m_editor.text();
    const auto& lines = placed.text.lines();
    if (lines.empty())
        return 0;
    const CGFloat lineHeight = m_font->ascender() - m_font->descender();
    const CGFloat bottomOfText = placed.origin.y + lines.back().origin.y - m_font->descender();
    if (point.y >= bottomOfText && isLineBreak(text.characterAtIndex(text.length() - 1)))
        return text.length();
    const TextLayout::PlacedLine* chosen = &lines.front();
    for (const auto& line : lines) {
        if (point.y >= placed.origin.y + line.origin.y - m_font->ascender())
            chosen = &line;
    }
    (void)lineHeight;
    const CFRange range = chosen->line->stringRange();
    CFIndex index = chosen->line->stringIndexForPosition(point.x - placed.origin.x - chosen->origin.x);
    // The caret stays before the break that ends its line.
    const CFIndex end = range.location + range.length;
    if (index >= end && end > range.location && isLineBreak(text.characterAtIndex(static_cast<NSUInteger>(end - 1))))
        index = end - 1;
    return std::min<NSUInteger>(static_cast<NSUInteger>(std::max<CFIndex>(index, 0)), text.length());
}

void UITextView::scrollRangeToVisible(NSRange range)
{
    NSAssertMainThread();
    layoutIfNeeded();
    const CGRect start = caretRectForIndex(range.location);
    const CGRect end = caretRectForIndex(range.end());
    scrollRectToVisible(CGRectUnion(start, end), false);
}

void UITextView::keepCaretVisible()
{
    layoutIfNeeded();
    const CGRect caret = caretRectForIndex(m_editor.caret());
    if (caret.size.height > 0)
        scrollRectToVisible(CGRectInset(caret, 0, -2), false);
}

void UITextView::drawContent(CGRect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const auto& placed = layout();
    if (m_editing) {
        const NSRange selection = m_editor.selectedRange();
        if (selection.length == 0) {
            CGContextSetFillColorWithColor(context, tintColor()->CGColor());
            CGContextFillRect(context, caretRectForIndex(selection.location));
        } else {
            // One band per line the selection crosses.
            CGContextSetFillColorWithColor(context, tintColor()->colorWithAlphaComponent(0.2)->CGColor());
            for (const auto& line : placed.text.lines()) {
                const CFRange range = line.line->stringRange();
                const NSUInteger from = std::max<NSUInteger>(selection.location, static_cast<NSUInteger>(range.location));
                const NSUInteger to = std::min<NSUInteger>(selection.end(), static_cast<NSUInteger>(range.location + range.length));
                if (from >= to)
                    continue;
                const CGRect a = caretRectForIndex(from);
                const CGFloat right = placed.origin.x + line.origin.x + line.line->offsetForStringIndex(static_cast<CFIndex>(to));
                CGContextFillRect(context, CGRectMake(a.origin.x, a.origin.y, right - a.origin.x, a.size.height));
            }
        }
    }
    placed.text.drawInContext(context, placed.origin);
    if (m_editing && m_markedText.length() > 0)
        drawMarkedText(context);
}

// The composition covers what follows the caret on its line until the input method commits.
void UITextView::drawMarkedText(const CGContextRef& context)
{
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(m_font, NSFontAttributeName);
    attributes->setObject(m_textColor, NSForegroundColorAttributeName);
    const auto line = CTLineCreateWithAttributedString(NSAttributedString::withString(m_markedText, attributes));
    const CGRect caret = caretRectForIndex(m_editor.selectedRange().location);
    const CGFloat width = std::ceil(line->width());
    CGContextSetFillColorWithColor(context, (backgroundColor() ? backgroundColor() : UIColor::whiteColor())->CGColor());
    CGContextFillRect(context, CGRectMake(caret.origin.x, caret.origin.y, width + 2, caret.size.height));
    const CGFloat baseline = caret.origin.y + std::ceil(m_font->ascender());
    TextLayout::drawLine(line, context, CGPointMake(caret.origin.x, baseline));
    CGContextSetFillColorWithColor(context, m_textColor->CGColor());
    CGContextFillRect(context, CGRectMake(caret.origin.x, baseline + 2, width, 1));
    const CGFloat cursor = line->offsetForStringIndex(static_cast<CFIndex>(m_markedSelectedRange.location));
    CGContextSetFillColorWithColor(context, tintColor()->CGColor());
    CGContextFillRect(context, CGRectMake(caret.origin.x + cursor, caret.origin.y, caret.size.width, caret.size.height));
}

// MARK: - Responding

bool UITextView::canBecomeFirstResponder() const
{
    if (!m_editable && !m_selectable)
        return false;
    auto delegate = this->delegate();
    return !(m_editable && delegate && delegate->textViewShouldBeginEditing(const_cast<UITextView&>(*this)) == false);
}

bool UITextView::canResignFirstResponder() const
{
    auto delegate = this->delegate();
    return !(m_editing && delegate && delegate->textViewShouldEndEditing(const_cast<UITextView&>(*this)) == false);
}

bool UITextView::resignFirstResponder()
{
    NSAssertMainThread();
    return resignEditing(*this, [this] { return super::resignFirstResponder(); });
}

void UITextView::didBecomeFirstResponder()
{
    auto protectedSelf = self();
    // Only an editable view edits; a selectable one merely takes focus.
    if (!m_editable)
        return;
    m_editing = true;
    placeCaretForEditing();
    m_contentView->setNeedsDisplay();
    if (auto delegate = this->delegate())
        delegate->textViewDidBeginEditing(*this);
    NSNotificationCenter::defaultCenter()->postNotificationName(UITextViewTextDidBeginEditingNotification, protectedSelf);
}

void UITextView::didResignFirstResponder()
{
    auto protectedSelf = self();
    if (!m_editing)
        return;
    m_editing = false;
    m_markedText = NSString::string();
    m_contentView->setNeedsDisplay();
    if (auto delegate = this->delegate())
        delegate->textViewDidEndEditing(*this);
    NSNotificationCenter::defaultCenter()->postNotificationName(UITextViewTextDidEndEditingNotification, protectedSelf);
}

void UITextView::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    m_touchDown = true;
    super::touchesBegan(touches, event);
}

void UITextView::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    m_touchDown = false;
    super::touchesCancelled(touches, event);
}

void UITextView::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    const bool tapped = m_touchDown && !isDragging() && !touchStoppedMotion();
    m_touchDown = false;
    auto touch = touches.anyObject();
    if (!tapped || !touch || !m_selectable) {
        super::touchesEnded(touches, event);
        return;
    }
    auto protectedSelf = self();
    const NSUInteger index = indexForPoint(touch->locationInView(self()));
    if (m_editor.moveCaretTo(index, false))
        selectionDidChangeByUser();
    if (!isFirstResponder())
        beginEditingAtTouchedCaret(*this);
}

bool UITextView::performEditingAction(UIEditingAction action)
{
    if (!m_editing)
        return super::performEditingAction(action);
    return performEditing(action, false, false);
}

bool UITextView::pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!isFirstResponder())
        return super::pressKey(key, modifiers);
    if (key == UIKeyboardKey::Tab && m_editing)
        return moveFocus(*this, (modifiers & UIKeyModifierShift) != 0) || super::pressKey(key, modifiers);
    const auto moved = pressEditingKey(key, (modifiers & UIKeyModifierShift) != 0);
    if (!moved)
        return super::pressKey(key, modifiers);
    if (*moved)
        selectionDidChangeByUser();
    return true;
}

bool UITextView::moveVertically(bool up, bool extending)
{
    const CGRect caret = caretRectForIndex(m_editor.caret());
    const CGFloat step = m_font->leading();
    const CGFloat y = up ? caret.origin.y - step / 2 : CGRectGetMaxY(caret) + step / 2;
    NSUInteger target;
    if (up && y < m_textContainerInset.top)
        target = 0;
    else if (!up && y > CGRectGetMaxY(caretRectForIndex(m_editor.text().length())))
        target = m_editor.text().length();
    else
        target = indexForPoint(CGPointMake(caret.origin.x, y));
    return m_editor.moveCaretTo(target, extending);
}

// MARK: - Editing

bool UITextView::replaceByUser(NSRange range, const NSString& replacement)
{
    auto protectedSelf = self();
    if (auto delegate = this->delegate(); delegate && delegate->shouldChangeTextInRange(*this, range, replacement) == false)
        return false;
    m_editor.replaceCharactersInRange(range, replacement);
    contentDidChange();
    keepCaretVisible();
    if (auto delegate = this->delegate())
        delegate->textViewDidChangeSelection(*this);
    if (auto delegate = this->delegate())
        delegate->textViewDidChange(*this);
    NSNotificationCenter::defaultCenter()->postNotificationName(UITextViewTextDidChangeNotification, protectedSelf);
    return true;
}

void UITextView::selectionDidChangeByUser()
{
    m_contentView->setNeedsDisplay();
    keepCaretVisible();
    if (auto delegate = this->delegate())
        delegate->textViewDidChangeSelection(*this);
}
