#include "library/widgets/alert/TAAlertView.h"

#include "library/widgets/alert/TAAlertViewController.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/layers/NSValueGeometry.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/KeyboardTransitions.h"
#include "platform/uikit/UIScreen.h"

#include <cfloat>
#include <cmath>

namespace {

NSString localized(const char* key) { return NSBundle::mainBundle()->localizedStringForKey(key, "", NSString()); }
NSString nilWhenEmpty(const NSString& text) { return text.length() ? text : NSString(); }

std::shared_ptr<UILabel> makeLabel(const NSString& text)
{
    auto label = UILabel::create(CGRectZero);
    label->setText(nilWhenEmpty(text));
    label->setBackgroundColor(UIColor::clearColor());
    label->setTextAlignment(NSTextAlignmentCenter);
    label->setLineBreakMode(NSLineBreakByWordWrapping);
    label->setNumberOfLines(0);
    return label;
}

void afterDelay(NSTimeInterval seconds, std::function<void()> block)
{
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, int64_t(seconds * double(NSEC_PER_SEC))), dispatch_get_main_queue(), std::move(block));
}

} // namespace

void TAAlertView::init(const NSString& title, const NSString& message, const std::shared_ptr<TAAlertViewDelegate>& delegate,
    const NSString& cancelButtonTitle, const std::vector<NSString>& otherButtonTitles)
{
    UIView::init(CGRectZero);
    setClipsToBounds(false);
    m_delegate = delegate;
    m_theme = TAAlertViewTheme::defaultTheme();
    m_clippingView = UIView::create(bounds());
    m_clippingView->setClipsToBounds(true);
    addSubview(m_clippingView);
    m_titleLabel = makeLabel(title);
    m_titleBackgroundView = UIView::create(CGRectZero);
    m_clippingView->addSubview(m_titleBackgroundView);
    m_clippingView->addSubview(m_titleLabel);
    m_messageLabel = makeLabel(message);
    m_clippingView->addSubview(m_messageLabel);
    if (!cancelButtonTitle.isNil())
        addButtonWithTitle(cancelButtonTitle);
    for (const auto& other : otherButtonTitles)
        if (!other.isNil())
            addButtonWithTitle(other);
    m_cancelButtonIndex = indexOfButtonWithTitle(cancelButtonTitle);
    const NSString firstOther = otherButtonTitles.empty() ? NSString() : otherButtonTitles.front();
    m_doneButtonIndex = indexOfButtonWithTitle(firstOther.isNil() ? localized("OK") : firstOther);
    applyTheme(m_theme);
    updateFrameWithAnimationOfDuration(0);
}

TAAlertView::~TAAlertView() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

void TAAlertView::setBackdropColor(const UIColorRef& color) { TAAlertViewController::sharedController()->setBackdropColor(color); }

NSInteger TAAlertView::firstOtherButtonIndex() const
{
    if (m_cancelButtonIndex == -1)
        return 0;
    return m_buttons.size() == 1 ? -1 : 1;
}

void TAAlertView::setTitle(const NSString& title)
{
    m_titleLabel->setText(nilWhenEmpty(title));
    updateFrameWithAnimationOfDuration(animationDuration());
}

void TAAlertView::setMessage(const NSString& message)
{
    m_messageLabel->setText(nilWhenEmpty(message));
    updateFrameWithAnimationOfDuration(animationDuration());
}

void TAAlertView::setContentView(const UIViewRef& view)
{
    if (m_contentView)
        m_contentView->removeFromSuperview();
    m_contentView = view;
    if (view)
        m_clippingView->addSubview(view);
    updateFrameWithAnimationOfDuration(animationDuration());
}

void TAAlertView::setMinContentWidth(CGFloat width)
{
    m_minContentWidth = width;
    updateFrameWithAnimationOfDuration(0);
}

void TAAlertView::setMaxContentWidth(CGFloat width)
{
    m_maxContentWidth = width;
    updateFrameWithAnimationOfDuration(0);
}

// Text fields.

void TAAlertView::addTextField(const NSString& text, const NSString& placeholder)
{
    if (!m_textfields.empty())
        m_textfields.back()->setReturnKeyType(UIReturnKeyType::Next);
    auto line = UIView::create(CGRectZero);
    line->setBackgroundColor(m_theme->lineColor);
    m_clippingView->addSubview(line);
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(m_textfields.size()), line);
    m_textFieldThemes.push_back(nullptr);
    auto field = UITextField::create(CGRectZero);
    field->setBackgroundColor(UIColor::clearColor());
    field->setText(text);
    field->setPlaceholder(placeholder);
    field->setReturnKeyType(UIReturnKeyType::Done);
    field->setTag(NSInteger(m_textfields.size()));
    field->setDelegate(self());
    std::weak_ptr<TAAlertView> weakSelf = self();
    field->addTarget(nullptr, UIControl::Action([weakSelf](UIControl&, const UIEventRef&) {
        if (auto alert = weakSelf.lock())
            alert->updateButtons();
    }), UIControlEventEditingChanged);
    m_clippingView->addSubview(field);
    m_textfields.push_back(field);
    applyThemeToTextField(*themeForTextFieldAtIndex(field->tag()), *field);
    updateFrameWithAnimationOfDuration(animationDuration());
    startKeyboardObservation();
    if (m_visible && m_textfields.size() == 1)
        makeTextFieldAtIndexFirstResponder(0);
}

void TAAlertView::addTextFieldWithText(const NSString& text, const NSString& placeholder) { addTextField(text, placeholder); }

std::shared_ptr<UITextField> TAAlertView::textFieldAtIndex(NSInteger index) const
{
    return index >= 0 && NSUInteger(index) < m_textfields.size() ? m_textfields[size_t(index)] : nullptr;
}

NSString TAAlertView::textFieldTextAtIndex(NSInteger index) const
{
    auto field = textFieldAtIndex(index);
    return field ? field->text() : NSString();
}

void TAAlertView::setSecureTextEntry(bool secure, NSInteger ofTextFieldAtIndex)
{
    if (auto field = textFieldAtIndex(ofTextFieldAtIndex))
        field->setSecureTextEntry(secure);
}

void TAAlertView::setKeyboardType(UIKeyboardType keyboardType, NSInteger ofTextFieldAtIndex)
{
    if (auto field = textFieldAtIndex(ofTextFieldAtIndex))
        field->setKeyboardType(keyboardType);
}

void TAAlertView::setInputView(const UIViewRef& inputView, NSInteger ofTextFieldAtIndex)
{
    if (auto field = textFieldAtIndex(ofTextFieldAtIndex))
        field->setInputView(inputView);
}

void TAAlertView::removeTextFieldsInRange(NSRange range)
{
    const size_t end = std::min(m_textfields.size(), size_t(range.location + range.length));
    const size_t begin = std::min(size_t(range.location), end);
    for (size_t index = begin; index < end; ++index) {
        if (!m_lines.empty()) {
            m_lines.front()->removeFromSuperview();
            m_lines.erase(m_lines.begin());
        }
        m_textfields[index]->removeFromSuperview();
    }
    m_textfields.erase(m_textfields.begin() + std::ptrdiff_t(begin), m_textfields.begin() + std::ptrdiff_t(end));
    m_textFieldThemes.erase(m_textFieldThemes.begin() + std::ptrdiff_t(begin), m_textFieldThemes.begin() + std::ptrdiff_t(end));
    if (m_doneButtonIndex != -1 && m_visible)
        updateButtons();
    updateFrameWithAnimationOfDuration(animationDuration());
}

void TAAlertView::setAlertViewStyle(NSUInteger style)
{
    m_alertViewStyle = style;
    const NSUInteger existing = m_textfields.size();
    if (style != 0)
        startKeyboardObservation();
    if (style == 2 || style == 3) {
        addTextField(NSString(), style == 3 ? localized("Username") : NSString());
        m_textfields.back()->setTag(0);
    }
    if (style == 1 || style == 3) {
        addTextField(NSString(), localized("Password"));
        m_textfields.back()->setTag(style == 3 ? 1 : 0);
        m_textfields.back()->setSecureTextEntry(true);
    }
    if (style == 0) {
        endEditing(true);
        stopKeyboardObservation();
    }
    if (m_visible && style != 0)
        makeTextFieldAtIndexFirstResponder(NSInteger(existing));
    removeTextFieldsInRange(NSMakeRange(0, existing));
    // The fields left are numbered from 0 again.
    for (size_t index = 0; index < m_textfields.size(); ++index)
        m_textfields[index]->setTag(NSInteger(index));
    if (m_visible)
        updateButtons();
}

// Buttons.

void TAAlertView::addButtonWithTitle(const NSString& title)
{
    auto line = UIView::create(CGRectZero);
    line->setBackgroundColor(m_theme->lineColor);
    m_clippingView->addSubview(line);
    m_lines.push_back(line);
    m_buttonThemes.push_back(nullptr);
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setTitle(title.isNil() ? localized("OK") : title, UIControlStateNormal);
    button->setBackgroundColor(UIColor::clearColor());
    button->setTag(NSInteger(m_buttons.size()));
    button->setAlpha(0);
    auto me = self();
    button->addTarget(me, &TAAlertView::dismissWithButton, UIControlEventTouchUpInside);
    std::weak_ptr<TAAlertView> weakSelf = me;
    button->addTarget(nullptr, UIControl::Action([weakSelf](UIControl& sender, const UIEventRef&) {
        if (auto alert = weakSelf.lock()) {
            auto theme = alert->themeForButtonAtIndex(sender.tag());
            sender.setBackgroundColor(theme->highlightBackgroundColor ? theme->highlightBackgroundColor : theme->backgroundColor);
        }
    }), UIControlEventTouchDown);
    button->addTarget(nullptr, UIControl::Action([weakSelf](UIControl& sender, const UIEventRef&) {
        if (auto alert = weakSelf.lock())
            sender.setBackgroundColor(alert->themeForButtonAtIndex(sender.tag())->backgroundColor);
    }), UIControlEventTouchUpOutside);
    m_clippingView->addSubview(button);
    m_buttons.push_back(button);
    const NSTimeInterval half = 0.5 * animationDuration();
    UIView::animateWithDuration(half, half, 0, [button] { button->setAlpha(1); }, nullptr);
    applyThemeToButton(*themeForButtonAtIndex(button->tag()), *button);
    updateBoundsWithAnimationOfDuration(animationDuration());
    updateButtons();
}

std::shared_ptr<UIButton> TAAlertView::buttonAtIndex(NSInteger index) const
{
    return index >= 0 && NSUInteger(index) < m_buttons.size() ? m_buttons[size_t(index)] : nullptr;
}

NSString TAAlertView::buttonTitleAtIndex(NSInteger index) const
{
    auto button = buttonAtIndex(index);
    return button ? button->titleForState(UIControlStateNormal) : NSString();
}

NSInteger TAAlertView::indexOfButtonWithTitle(const NSString& title) const
{
    if (title.isNil())
        return -1;
    for (size_t index = 0; index < m_buttons.size(); ++index)
        if (m_buttons[index]->titleForState(UIControlStateNormal) == title)
            return NSInteger(index);
    return -1;
}

bool TAAlertView::isPrimaryButtonAtIndex(NSInteger index) const
{
    if (m_buttons.size() == 1)
        return true;
    if (m_buttons.size() == 2 && m_pairButtons)
        return m_cancelButtonIndex != -1 && index != m_cancelButtonIndex;
    return m_cancelButtonIndex != -1 && index == m_cancelButtonIndex;
}

std::shared_ptr<TAAlertViewButtonTheme> TAAlertView::themeForButtonAtIndex(NSInteger index) const
{
    if (index >= 0 && NSUInteger(index) < m_buttonThemes.size() && m_buttonThemes[size_t(index)])
        return m_buttonThemes[size_t(index)];
    return isPrimaryButtonAtIndex(index) ? m_theme->primaryButtonTheme : m_theme->otherButtonTheme;
}

std::shared_ptr<TAAlertViewTextFieldTheme> TAAlertView::themeForTextFieldAtIndex(NSInteger index) const
{
    if (index >= 0 && NSUInteger(index) < m_textFieldThemes.size() && m_textFieldThemes[size_t(index)])
        return m_textFieldThemes[size_t(index)];
    return m_theme->textFieldTheme;
}

void TAAlertView::setCustomButtonTheme(const std::shared_ptr<TAAlertViewButtonTheme>& theme, NSInteger forButtonAtIndex, bool animated)
{
    auto button = buttonAtIndex(forButtonAtIndex);
    if (!button)
        return;
    m_buttonThemes[size_t(forButtonAtIndex)] = theme;
    applyTheme(theme ? *theme : *m_theme->buttonTheme, *button, animated);
    updateFrameWithAnimationOfDuration(animated ? 0.3 : 0);
}

void TAAlertView::setCustomTextFieldTheme(const std::shared_ptr<TAAlertViewTextFieldTheme>& theme, NSInteger forTextFieldAtIndex,
    bool animated)
{
    auto field = textFieldAtIndex(forTextFieldAtIndex);
    if (!field)
        return;
    if (m_textFieldThemes.size() <= size_t(forTextFieldAtIndex))
        m_textFieldThemes.resize(size_t(forTextFieldAtIndex) + 1);
    m_textFieldThemes[size_t(forTextFieldAtIndex)] = theme;
    applyTheme(theme ? *theme : *m_theme->textFieldTheme, *field, animated);
    updateFrameWithAnimationOfDuration(animated ? 0.3 : 0);
}

void TAAlertView::applyTheme(const TAAlertViewTextFieldTheme& theme, UITextField& toTextField, bool animated)
{
    UIView::animateWithDuration(animated ? 1.0 : 0, [&theme, &toTextField] { applyThemeToTextField(theme, toTextField); });
}

void TAAlertView::applyTheme(const TAAlertViewButtonTheme& theme, UIButton& toButton, bool animated)
{
    UIView::animateWithDuration(animated ? 1.0 : 0, [&theme, &toButton] { applyThemeToButton(theme, toButton); });
}

// Themes.

void TAAlertView::applyTheme(const std::shared_ptr<TAAlertViewTheme>& theme, bool animated)
{
    if (!theme)
        return;
    if (theme != m_theme)
        m_theme = theme->copyTheme();
    auto apply = [this, theme] {
        auto* alertLayer = layer().get();
        alertLayer->setCornerRadius(theme->cornerRadius);
        alertLayer->setBorderColor(theme->borderColor->CGColor());
        alertLayer->setBorderWidth(theme->borderWidth);
        alertLayer->setShadowColor(theme->shadowColor->CGColor());
        alertLayer->setShadowRadius(theme->shadowRadius);
        alertLayer->setShadowOpacity(float(theme->shadowOpacity));
        alertLayer->setShadowOffset(theme->shadowOffset);
        m_clippingView->layer()->setCornerRadius(theme->cornerRadius);
        setBackgroundColor(theme->backgroundColor);
        m_titleLabel->setTextColor(theme->titleColor);
        m_titleLabel->setFont(theme->titleFont);
        m_titleBackgroundView->setBackgroundColor(theme->titleBackgroundColor ? theme->titleBackgroundColor : theme->backgroundColor);
        m_messageLabel->setTextColor(theme->messageColor);
        m_messageLabel->setFont(theme->messageFont);
        m_messageLabel->setTextAlignment(theme->messageAlignment);
        m_messageLabel->setLineBreakMode(theme->messageLineBreakMode);
        for (const auto& line : m_lines)
            line->setBackgroundColor(theme->lineColor);
        for (const auto& field : m_textfields)
            applyThemeToTextField(*themeForTextFieldAtIndex(field->tag()), *field);
        for (const auto& button : m_buttons)
            applyThemeToButton(*themeForButtonAtIndex(button->tag()), *button);
    };
    UIView::animateWithDuration(animated ? 1.0 : 0, apply);
    updateFrameWithAnimationOfDuration(animated ? 1.0 : 0);
}

void TAAlertView::applyThemeToTextField(const TAAlertViewTextFieldTheme& theme, UITextField& field)
{
    field.setFont(theme.font);
    field.setTextColor(theme.textColor);
    field.setBackgroundColor(theme.backgroundColor);
    field.setContentVerticalAlignment(UIControlContentVerticalAlignment(theme.verticalContentAlignment));
    field.setContentHorizontalAlignment(UIControlContentHorizontalAlignment(theme.horizontalContentAlignment));
    field.setTextAlignment(theme.textAlignment);
    field.setBorderStyle(UITextBorderStyle(theme.borderStyle));
}

void TAAlertView::applyThemeToButton(const TAAlertViewButtonTheme& theme, UIButton& button)
{
    button.titleLabel()->setFont(theme.font);
    button.setTitleColor(theme.textColor, UIControlStateNormal);
    button.setTitleColor(theme.disabledTextColor ? theme.disabledTextColor : theme.textColor->colorWithAlphaComponent(0.3),
        UIControlStateDisabled);
    button.setTitleColor(theme.highlightTextColor ? theme.highlightTextColor : theme.textColor, UIControlStateHighlighted);
    button.setBackgroundColor(theme.backgroundColor);
    button.setContentVerticalAlignment(UIControlContentVerticalAlignment(theme.verticalContentAlignment));
    button.setContentHorizontalAlignment(UIControlContentHorizontalAlignment(theme.horizontalContentAlignment));
    button.layer()->setBorderColor(theme.borderColor->CGColor());
    button.layer()->setBorderWidth(theme.borderWidth);
    button.layer()->setCornerRadius(theme.cornerRadius);
    auto titleLayer = button.titleLabel()->layer();
    titleLayer->setShadowColor(theme.textShadowColor->CGColor());
    titleLayer->setShadowOpacity(float(theme.textShadowOpacity));
    titleLayer->setShadowRadius(theme.textShadowRadius);
    titleLayer->setShadowOffset(theme.textShadowOffset);
}

// Showing and dismissing.

void TAAlertView::showWithCompletion(Completion completion)
{
    NSAssertMainThread();
    if (m_visible || m_presented)
        return;
    m_presented = true;
    m_dismissing = false;
    m_completion = std::move(completion);
    auto me = self();
    TAAlertViewController::sharedController()->addAlertView(me);
    if (auto delegate = m_delegate.lock())
        delegate->willPresentAlertView(*this);
    updateButtons();
    std::weak_ptr<TAAlertView> weakSelf = me;
    showAnimated([weakSelf] {
        if (auto alert = weakSelf.lock()) {
            alert->didShowOrUnhide();
            if (auto delegate = alert->m_delegate.lock())
                delegate->didPresentAlertView(*alert);
        }
    });
}

void TAAlertView::showAnimated(std::function<void()> completion)
{
    setTransform(CGAffineTransformMakeScale(1.2, 1.2));
    setAlpha(0.5);
    auto me = self();
    UIView::animateWithDuration(0.1, 0, UIViewAnimationOptionCurveLinear, [me] { me->setTransform(CGAffineTransformMakeScale(1.05, 1.05)); me->setAlpha(0.75); },
        [me](bool) {
            UIView::animateWithDuration(0.1, 0, UIViewAnimationOptionCurveLinear, [me] { me->setTransform(CGAffineTransformIdentity); me->setAlpha(1); }, nullptr);
        });
    std::weak_ptr<TAAlertView> weakSelf = std::static_pointer_cast<TAAlertView>(me);
    afterDelay(0.2, [weakSelf, completion = std::move(completion)] {
        if (auto alert = weakSelf.lock()) {
            alert->m_visible = true;
            if (completion)
                completion();
        }
    });
}

void TAAlertView::dismissAnimated(std::function<void()> completion)
{
    auto me = self();
    UIView::animateWithDuration(0.1, 0, UIViewAnimationOptionCurveLinear, [me] { me->setTransform(CGAffineTransformMakeScale(0.95, 0.95)); me->setAlpha(0.75); },
        [me](bool) {
            UIView::animateWithDuration(0.1, 0, UIViewAnimationOptionCurveLinear, [me] { me->setTransform(CGAffineTransformMakeScale(0.8, 0.8)); me->setAlpha(0.5); }, nullptr);
        });
    auto protectedSelf = std::static_pointer_cast<TAAlertView>(me);
    afterDelay(0.2, [protectedSelf, completion = std::move(completion)] {
        protectedSelf->m_visible = false;
        if (completion)
            completion();
    });
}

void TAAlertView::hideWithCompletion(std::function<void()> completion)
{
    willDismissOrHide();
    dismissAnimated(std::move(completion));
}

void TAAlertView::unhideWithCompletion(std::function<void()> completion)
{
    updateButtons();
    std::weak_ptr<TAAlertView> weakSelf = self();
    showAnimated([weakSelf, completion = std::move(completion)] {
        if (auto alert = weakSelf.lock())
            alert->didShowOrUnhide();
        if (completion)
            completion();
    });
}

void TAAlertView::willDismissOrHide()
{
    stopKeyboardObservation();
    if (!m_textfields.empty())
        endEditing(true);
}

void TAAlertView::didShowOrUnhide()
{
    if (!m_textfields.empty() || m_hasCustomTextFields)
        startKeyboardObservation();
    for (size_t index = 0; index < m_textfields.size(); ++index)
        makeTextFieldAtIndexFirstResponder(NSInteger(index));
}

void TAAlertView::dismissWithButton(UIButton& button) { dismissWithClickedButtonIndex(button.tag(), true); }

bool TAAlertView::pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (key != UIKeyboardKey::Escape && key != UIKeyboardKey::Return)
        return super::pressKey(key, modifiers);
    const NSInteger index = key == UIKeyboardKey::Escape ? m_cancelButtonIndex : firstOtherButtonIndex();
    auto button = m_visible && index >= 0 ? buttonAtIndex(index) : nullptr;
    if (!button || !button->isEnabled())
        return false;
    dismissWithButton(*button);
    return true;
}

void TAAlertView::dismissWithBackdropTap()
{
    if (m_dismissing)
        return;
    if (auto delegate = m_delegate.lock())
        delegate->alertViewCancel(*this);
    dismissWithClickedButtonIndex(-1, true);
}

void TAAlertView::dismissWithClickedButtonIndex(NSInteger index, bool)
{
    NSAssertMainThread();
    // A second click while the first one's dismissal runs would unhide the alert below twice.
    if (m_dismissing)
        return;
    auto delegate = m_delegate.lock();
    if (delegate)
        delegate->clickedButtonAtIndex(*this, index);
    if (delegate && delegate->shouldDismissAfterClickingButtonAtIndex(*this, index) == false) {
        if (auto button = buttonAtIndex(index))
            button->setBackgroundColor(themeForButtonAtIndex(index)->backgroundColor);
        return;
    }
    m_dismissing = true;
    auto protectedSelf = self();
    afterDelay(0.1, [protectedSelf, index] { protectedSelf->didDismissWithClickedButtonIndex(index); });
}

void TAAlertView::didDismissWithClickedButtonIndex(NSInteger index)
{
    willDismissOrHide();
    if (auto delegate = m_delegate.lock())
        delegate->willDismissWithButtonIndex(*this, index);
    auto protectedSelf = self();
    dismissAnimated([protectedSelf, index] {
        TAAlertViewController::sharedController()->removeAlertView(protectedSelf);
        protectedSelf->m_presented = false;
        if (auto delegate = protectedSelf->m_delegate.lock())
            delegate->didDismissWithButtonIndex(*protectedSelf, index);
        auto completion = std::move(protectedSelf->m_completion);
        protectedSelf->m_completion = nullptr;
        if (completion)
            completion(*protectedSelf, index);
    });
}

void TAAlertView::updateButtons()
{
    bool proposal = true;
    if (m_alertViewStyle == 1 || m_alertViewStyle == 2)
        proposal = m_doneButtonIndex == -1 || textFieldTextAtIndex(0).length() > 0;
    else if (m_alertViewStyle == 3)
        proposal = m_doneButtonIndex == -1 || (textFieldTextAtIndex(0).length() > 0 && textFieldTextAtIndex(1).length() > 0);
    auto delegate = m_delegate.lock();
    for (size_t index = 0; index < m_buttons.size(); ++index) {
        bool enabled = true;
        if (delegate && NSInteger(index) == firstOtherButtonIndex())
            enabled = delegate->alertViewShouldEnableFirstOtherButton(*this).value_or(true);
        if (delegate) {
            const bool proposed = NSInteger(index) == m_doneButtonIndex ? proposal : enabled;
            enabled = delegate->buttonAtIndexShouldBeEnabled(*this, NSInteger(index), proposed).value_or(enabled);
        }
        m_buttons[index]->setEnabled(enabled);
    }
}

void TAAlertView::makeTextFieldAtIndexFirstResponder(NSInteger index)
{
    const bool anyFirst = std::any_of(m_textfields.begin(), m_textfields.end(), [](const auto& field) { return field->isFirstResponder(); });
    bool proposal = index == 0 && !anyFirst;
    if (auto delegate = m_delegate.lock())
        proposal = delegate->textFieldAtIndexShouldBecomeFirstResponder(*this, index, proposal).value_or(proposal);
    if (proposal)
        if (auto field = textFieldAtIndex(index))
            field->becomeFirstResponder();
}

std::optional<bool> TAAlertView::textFieldShouldReturn(UITextField& field)
{
    if (m_visible) {
        // Focus moves on only when the delegate grants it; without one, Return closes the keyboard.
        if (NSUInteger(field.tag() + 1) < m_textfields.size())
            makeTextFieldAtIndexFirstResponder(field.tag() + 1);
        field.resignFirstResponder();
        if (field.returnKeyType() == UIReturnKeyType::Done && m_doneButtonIndex != -1 && m_doneButtonIndex != std::numeric_limits<NSInteger>::max())
            if (auto button = buttonAtIndex(m_doneButtonIndex); button && button->isEnabled())
                dismissWithButton(*button);
    }
    return false;
}

void TAAlertView::textFieldDidBeginEditing(UITextField& field)
{
    field.setBackgroundColor(themeForTextFieldAtIndex(field.tag())->highlightBackgroundColor);
    updateButtons();
}

void TAAlertView::textFieldDidEndEditing(UITextField& field)
{
    field.setBackgroundColor(themeForTextFieldAtIndex(field.tag())->backgroundColor);
}

// Keyboard.

void TAAlertView::startKeyboardObservation()
{
    if (m_isObservingKeyboard)
        return;
    m_isObservingKeyboard = true;
    auto me = self();
    auto center = NSNotificationCenter::defaultCenter();
    center->addObserver(me, &TAAlertView::keyboardDidChangeFrame, UIKeyboardWillChangeFrameNotification, nullptr);
    center->addObserver(me, &TAAlertView::keyboardWillHide, UIKeyboardWillHideNotification, nullptr);
}

void TAAlertView::stopKeyboardObservation()
{
    if (!m_isObservingKeyboard)
        return;
    m_isObservingKeyboard = false;
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(this, UIKeyboardWillChangeFrameNotification, nullptr);
    center->removeObserver(this, UIKeyboardWillHideNotification, nullptr);
}

void TAAlertView::keyboardDidChangeFrame(const std::shared_ptr<NSNotification>& notification)
{
    const auto& info = notification ? notification->userInfo() : nullptr;
    const CGRect end = NSValueGeometry::CGRectValue(info ? info->objectForKey(NSString(UIKeyboardFrameEndUserInfoKey)) : nullptr);
    const NSTimeInterval duration = ns::doubleForKey(info, UIKeyboardAnimationDurationUserInfoKey);
    const NSUInteger curve = NSUInteger(ns::integerForKey(info, UIKeyboardAnimationCurveUserInfoKey)) << 16;
    m_keyboardHeight = end.size.height;
    std::weak_ptr<TAAlertView> weakSelf = self();
    UIView::animateWithDuration(duration, 0, curve, [weakSelf] {
        if (auto alert = weakSelf.lock())
            alert->updateCenterWithAnimationOfDuration(0);
    }, nullptr);
}

void TAAlertView::keyboardWillHide(const std::shared_ptr<NSNotification>&) { m_keyboardHeight = 0; }

// Sizing and layout.

CGSize TAAlertView::optimalSizeForLabel(const UILabel& label, CGSize maxSize)
{
    if (label.text().isNil())
        return CGSizeZero;
    return UIStringDrawing::sizeWithFont(label.text(), label.font(), maxSize, NSLineBreakByWordWrapping);
}

CGFloat TAAlertView::alertWidth() const
{
    const CGSize measure = CGSizeMake(m_maxContentWidth, CGFLOAT_MAX);
    const auto& theme = *m_theme;
    CGFloat width = 0;
    width = std::max(width, optimalSizeForLabel(*m_titleLabel, measure).width + theme.titleMargins.left + theme.titleMargins.right);
    width = std::max(width, optimalSizeForLabel(*m_messageLabel, measure).width + theme.messageMargins.left + theme.messageMargins.right);
    width = std::max(width, (m_contentView ? m_contentView->bounds().size.width : 0) + theme.contentViewMargins.left + theme.contentViewMargins.right);
    auto buttonWidth = [&](size_t index) {
        const auto buttonTheme = themeForButtonAtIndex(NSInteger(index));
        return optimalSizeForLabel(*m_buttons[index]->titleLabel(), measure).width + buttonTheme->margins.left + buttonTheme->margins.right;
    };
    if (m_buttons.size() == 2 && m_pairButtons) {
        width = std::max(width, buttonWidth(0) + buttonWidth(1));
    } else {
        for (size_t index = 0; index < m_buttons.size(); ++index)
            width = std::max(width, buttonWidth(index));
    }
    width = std::min(width, m_maxContentWidth);
    return std::max(width, m_minContentWidth);
}

CGFloat TAAlertView::titleHeight() const
{
    const auto& margins = m_theme->titleMargins;
    return std::ceil(optimalSizeForLabel(*m_titleLabel, CGSizeMake(alertWidth() - margins.left - margins.right, CGFLOAT_MAX)).height);
}

CGFloat TAAlertView::messageHeight() const
{
    const auto& margins = m_theme->messageMargins;
    return std::ceil(optimalSizeForLabel(*m_messageLabel, CGSizeMake(alertWidth() - margins.left - margins.right, CGFLOAT_MAX)).height);
}

CGFloat TAAlertView::alertHeight() const
{
    const auto& theme = *m_theme;
    const CGFloat lineWidth = theme.lineWidth;
    CGFloat height = 0;
    const bool hasTitle = !title().isNil();
    if (hasTitle)
        height += theme.titleMargins.top + titleHeight() + theme.titleMargins.bottom;
    if (!message().isNil())
        height += (hasTitle ? theme.messageMargins.top : theme.titleMargins.top) + messageHeight() + theme.messageMargins.bottom;
    if (m_contentView)
        height += theme.contentViewMargins.top + contentViewHeight() + theme.contentViewMargins.bottom;
    for (size_t index = 0; index < m_textfields.size(); ++index) {
        const auto fieldTheme = themeForTextFieldAtIndex(NSInteger(index));
        height += lineWidth + fieldTheme->margins.top + fieldTheme->height + fieldTheme->margins.bottom;
    }
    auto rowOf = [&](size_t index) {
        const auto buttonTheme = themeForButtonAtIndex(NSInteger(index));
        return buttonTheme->margins.top + buttonTheme->height + buttonTheme->margins.bottom;
    };
    if (m_buttons.size() == 2 && m_pairButtons) {
        height += lineWidth + std::max(rowOf(0), rowOf(1));
    } else {
        for (size_t index = 0; index < m_buttons.size(); ++index)
            height += lineWidth + rowOf(index);
    }
    return std::floor(height);
}

void TAAlertView::layoutSubviews()
{
    UIView::performWithoutAnimation([this] {
        const auto& theme = *m_theme;
        m_clippingView->setFrame(bounds());
        const CGFloat w = bounds().size.width;
        const CGFloat lineWidth = theme.lineWidth;
        CGFloat offset = 0;
        const bool hasTitle = !title().isNil();
        if (hasTitle) {
            const auto& margins = theme.titleMargins;
            const CGFloat height = titleHeight();
            m_titleBackgroundView->setFrame(CGRectMake(0, offset, w, margins.top + height + margins.bottom));
            m_titleLabel->setFrame(CGRectMake(margins.left, offset + margins.top, w - margins.left - margins.right, height));
            offset += margins.top + height + margins.bottom;
        }
        m_messageLabel->setHidden(message().isNil());
        if (!message().isNil()) {
            const auto& margins = theme.messageMargins;
            offset += hasTitle ? margins.top : theme.titleMargins.top;
            const CGFloat height = messageHeight();
            m_messageLabel->setFrame(CGRectMake(margins.left, offset, w - margins.left - margins.right, height));
            offset += height + margins.bottom;
        }
        if (m_contentView) {
            const auto& margins = theme.contentViewMargins;
            offset += margins.top;
            const CGSize size = m_contentView->frame().size;
            m_contentView->setFrame(CGRectMake(margins.left, offset, std::min(size.width, w), size.height));
            m_contentView->setCenter(CGPointMake(w / 2, m_contentView->center().y));
            offset += size.height + margins.bottom;
        }
        size_t line = 0;
        for (size_t index = 0; index < m_textfields.size(); ++index) {
            const auto fieldTheme = themeForTextFieldAtIndex(NSInteger(index));
            if (line < m_lines.size())
                m_lines[line++]->setFrame(CGRectMake(0, offset, w, lineWidth));
            offset += lineWidth + fieldTheme->margins.top;
            m_textfields[index]->setFrame(CGRectMake(fieldTheme->margins.left, offset,
                w - fieldTheme->margins.left - fieldTheme->margins.right, fieldTheme->height));
            offset += fieldTheme->height + fieldTheme->margins.bottom;
        }
        const size_t n = m_textfields.size();
        if (m_buttons.size() == 2 && m_pairButtons && m_lines.size() >= n + 2) {
            m_lines[n]->setFrame(CGRectMake(0, offset, w, lineWidth));
            offset += lineWidth;
            const CGFloat half = w / 2;
            const auto t0 = themeForButtonAtIndex(0), t1 = themeForButtonAtIndex(1);
            m_buttons[0]->setFrame(CGRectMake(t0->margins.left, offset + t0->margins.top, half - t0->margins.left - t0->margins.right, t0->height));
            m_buttons[1]->setFrame(CGRectMake(half + t1->margins.left, offset + t1->margins.top, half - t1->margins.left - t1->margins.right, t1->height));
            const CGFloat row = std::max(t0->margins.top + t0->height + t0->margins.bottom, t1->margins.top + t1->height + t1->margins.bottom);
            m_lines[n + 1]->setFrame(CGRectMake(half, offset, lineWidth, row));
            offset += row;
        } else {
            for (size_t index = 0; index < m_buttons.size(); ++index) {
                const auto buttonTheme = themeForButtonAtIndex(NSInteger(index));
                if (n + index < m_lines.size())
                    m_lines[n + index]->setFrame(CGRectMake(0, offset, w, lineWidth));
                offset += lineWidth + buttonTheme->margins.top;
                m_buttons[index]->setFrame(CGRectMake(buttonTheme->margins.left, offset,
                    w - buttonTheme->margins.left - buttonTheme->margins.right, buttonTheme->height));
                offset += buttonTheme->height + buttonTheme->margins.bottom;
            }
        }
    });
}

CGRect TAAlertView::getScreenFrameForCurrentOrientation() { return UIScreen::mainScreen()->bounds(); }

void TAAlertView::updateFrameWithAnimationOfDuration(NSTimeInterval duration)
{
    updateBoundsWithAnimationOfDuration(0);
    updateCenterWithAnimationOfDuration(duration);
}

void TAAlertView::updateBoundsWithAnimationOfDuration(NSTimeInterval duration)
{
    const CGRect screen = getScreenFrameForCurrentOrientation();
    const CGSize preferred = preferredFrameSize();
    const CGRect target = CGRectMake(0, 0, std::min(preferred.width, screen.size.width - 10), std::min(preferred.height, screen.size.height - 10));
    UIView::animateWithDuration(duration, [this, target] {
        setBounds(target);
        setNeedsLayout();
    });
}

void TAAlertView::updateCenterWithAnimationOfDuration(NSTimeInterval duration)
{
    CGRect screen = getScreenFrameForCurrentOrientation();
    screen.size.height -= m_keyboardHeight;
    const CGPoint middle = CGPointMake(CGRectGetMidX(screen), CGRectGetMidY(screen));
    UIView::animateWithDuration(duration, [this, middle] { setCenter(middle); });
}
