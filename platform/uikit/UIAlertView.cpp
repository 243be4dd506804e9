#include "platform/uikit/UIAlertView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSException.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/SystemAlertStyle.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <deque>

namespace {

constexpr CGFloat kTextInset = 16;
constexpr CGFloat kTopPadding = 20;
constexpr CGFloat kTitleMessageGap = 4;
constexpr CGFloat kFieldHeight = 28;
constexpr CGFloat kKeyboardHeight = 216;

// Hands the keys that no field holds to the alert it shows: a desktop's Return and Escape.
class UIAlertWindow : public UIWindow {
    NS_OBJECT(UIAlertWindow, UIWindow)
public:
    bool pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override
    {
        if (key == UIKeyboardKey::Return || key == UIKeyboardKey::Escape) {
            const auto children = subviews();
            for (auto child = children.rbegin(); child != children.rend(); ++child) {
                if (auto alert = std::dynamic_pointer_cast<UIAlertView>(*child))
                    return alert->pressKey(key, modifiers);
            }
        }
        return super::pressKey(key, modifiers);
    }
};

} // namespace

// The one alert window and its line of waiting alerts. It holds every alert it was given until
// that alert is gone, so an alert shown and forgotten by its maker still reports its button.
class UIAlertPresenter {
public:
    static UIAlertPresenter& shared()
    {
        static UIAlertPresenter presenter;
        return presenter;
    }

    void show(const UIAlertViewRef& alert)
    {
        forgetIfTakenAway();
        if (m_current) {
            alert->m_phase = UIAlertView::Phase::Queued;
            m_queue.push_back(alert);
            return;
        }
        present(alert);
    }

    void dismiss(const UIAlertViewRef& alert, NSInteger buttonIndex, bool animated)
    {
        if (alert->m_phase == UIAlertView::Phase::Queued) {
            std::erase(m_queue, alert);
            alert->m_phase = UIAlertView::Phase::Idle;
            if (auto delegate = alert->delegate())
                delegate->alertViewWillDismissWithButtonIndex(*alert, buttonIndex);
            if (auto delegate = alert->delegate())
                delegate->alertViewDidDismissWithButtonIndex(*alert, buttonIndex);
            return;
        }
        if (alert->m_phase != UIAlertView::Phase::Shown || alert != m_current)
            return;
        alert->m_phase = UIAlertView::Phase::Dismissing;
        if (auto delegate = alert->delegate())
            delegate->alertViewWillDismissWithButtonIndex(*alert, buttonIndex);
        alert->endEditing(true);
        const bool last = m_queue.empty();
        auto finish = [this, alert, buttonIndex](bool) { finishDismissal(alert, buttonIndex); };
        if (!animated) {
            finish(true);
            return;
        }
        UIView::animateWithDuration(UIAlertView::kAnimationDuration, [&] {
            alert->setAlpha(0);
            if (last && m_dimming)
                m_dimming->setAlpha(0);
        }, finish);
    }

private:
    // A test's fresh device hides every window; an alert that was up then is simply gone.
    void forgetIfTakenAway()
    {
        if (!m_current || (m_window && !m_window->isHidden()))
            return;
        m_current->m_phase = UIAlertView::Phase::Idle;
        m_current->removeFromSuperview();
        m_current = nullptr;
        for (const auto& waiting : m_queue)
            waiting->m_phase = UIAlertView::Phase::Idle;
        m_queue.clear();
    }

    void makeWindow()
    {
        const CGRect screen = UIScreen::mainScreen()->bounds();
        m_window = UIAlertWindow::create(screen);
        m_window->setWindowLevel(UIWindowLevelAlert);
        m_window->setBackgroundColor(UIColor::clearColor());
        m_dimming = SystemAlertStyle::dimmingView(screen);
        m_dimming->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        m_window->addSubview(m_dimming);
    }

    void present(const UIAlertViewRef& alert)
    {
        if (!m_window)
            makeWindow();
        m_current = alert;
        alert->m_phase = UIAlertView::Phase::Shown;
        alert->willBeShown();
        if (alert->m_phase != UIAlertView::Phase::Shown)
            return; // the delegate took it away at once
        const bool appearing = m_window->isHidden();
        if (appearing) {
            auto key = UIApplication::sharedApplication()->keyWindow();
            m_previousKeyWindow = key != m_window ? key : nullptr;
        }
        const CGRect screen = UIScreen::mainScreen()->bounds();
        alert->setAlpha(1);
        alert->setTransform(CGAffineTransformIdentity);
        const CGSize size = alert->sizeThatFits(screen.size);
        alert->setBounds(CGRectMake(0, 0, size.width, size.height));
        const CGFloat room = screen.size.height - (alert->m_fields.empty() ? 0 : kKeyboardHeight);
        alert->setCenter(CGPointMake(std::round(screen.size.width / 2), std::round(room / 2)));
        alert->layoutIfNeeded();
        m_window->addSubview(alert);
        m_window->makeKeyAndVisible();
        if (!alert->m_fields.empty())
            alert->m_fields.front()->becomeFirstResponder();

        UIView::performWithoutAnimation([&] {
            alert->setAlpha(0);
            alert->setTransform(CGAffineTransformMakeScale(1.2, 1.2));
            if (appearing)
                m_dimming->setAlpha(0);
        });
        UIView::animateWithDuration(UIAlertView::kAnimationDuration, [&] {
            alert->setAlpha(1);
            alert->setTransform(CGAffineTransformIdentity);
            m_dimming->setAlpha(1);
        }, [weakAlert = std::weak_ptr(alert)](bool) {
            if (auto shown = weakAlert.lock(); shown && shown->m_phase == UIAlertView::Phase::Shown)
                shown->presented();
        });
    }

    void finishDismissal(const UIAlertViewRef& alert, NSInteger buttonIndex)
    {
        alert->removeFromSuperview();
        alert->setAlpha(1);
        alert->m_phase = UIAlertView::Phase::Idle;
        // Still current while its delegate hears of it, so an alert shown from there waits its turn.
        if (auto delegate = alert->delegate())
            delegate->alertViewDidDismissWithButtonIndex(*alert, buttonIndex);
        if (m_current != alert)
            return; // the device was reset meanwhile
        m_current = nullptr;
        if (!m_queue.empty()) {
            auto next = m_queue.front();
            m_queue.pop_front();
            present(next);
            return;
        }
        m_window->setHidden(true);
        m_dimming->setAlpha(1);
        if (auto previous = m_previousKeyWindow.lock(); previous && !previous->isHidden())
            previous->makeKeyWindow();
        m_previousKeyWindow.reset();
    }

    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<UIView> m_dimming;
    UIAlertViewRef m_current;
    std::deque<UIAlertViewRef> m_queue;
    std::weak_ptr<UIWindow> m_previousKeyWindow;
};

UIAlertView::~UIAlertView() = default;

void UIAlertView::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(SystemAlertStyle::panelColor());
    layer()->setCornerRadius(7);
    setClipsToBounds(true);

    m_titleLabel = UILabel::create();
    m_titleLabel->setFont(UIFont::boldSystemFontOfSize(17));
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    m_titleLabel->setNumberOfLines(0);
    m_titleLabel->setBackgroundColor(UIColor::clearColor());
    addSubview(m_titleLabel);
    m_messageLabel = UILabel::create();
    m_messageLabel->setFont(UIFont::systemFontOfSize(14));
    m_messageLabel->setTextAlignment(NSTextAlignmentCenter);
    m_messageLabel->setNumberOfLines(0);
    m_messageLabel->setBackgroundColor(UIColor::clearColor());
    addSubview(m_messageLabel);
}

void UIAlertView::init(const NSString& title, const NSString& message, const std::shared_ptr<UIAlertViewDelegate>& delegate,
    const NSString& cancelButtonTitle, const std::vector<NSString>& otherButtonTitles)
{
    init(CGRectZero);
    setTitle(title);
    setMessage(message);
    m_delegate = delegate;
    if (!cancelButtonTitle.isNil())
        m_cancelButtonIndex = addButtonWithTitle(cancelButtonTitle);
    for (const auto& other : otherButtonTitles)
        addButtonWithTitle(other);
}

void UIAlertView::setTitle(const NSString& title)
{
    NSAssertMainThread();
    m_title = title;
    m_titleLabel->setText(title);
    setNeedsLayout();
}

void UIAlertView::setMessage(const NSString& message)
{
    NSAssertMainThread();
    m_message = message;
    m_messageLabel->setText(message);
    setNeedsLayout();
}

NSInteger UIAlertView::addButtonWithTitle(const NSString& title)
{
    NSAssertMainThread();
    const NSInteger index = m_buttons.add(title);
    rebuildButtons();
    return index;
}

NSString UIAlertView::buttonTitleAtIndex(NSInteger index) const { return m_buttons.titleAt(index); }

void UIAlertView::setCancelButtonIndex(NSInteger index)
{
    NSAssertMainThread();
    m_cancelButtonIndex = m_buttons.validIndex(index);
    rebuildButtons();
}

NSInteger UIAlertView::firstOtherButtonIndex() const { return m_buttons.firstIndexExcept({ m_cancelButtonIndex }); }

void UIAlertView::setAlertViewStyle(UIAlertViewStyle style)
{
    NSAssertMainThread();
    if (style == m_style)
        return;
    m_style = style;
    rebuildTextFields();
}

std::shared_ptr<UITextField> UIAlertView::textFieldAtIndex(NSInteger index) const
{
    if (index < 0 || index >= NSInteger(m_fields.size()))
        NSException::raise("NSRangeException", "text field index (%ld) is outside the bounds of the alert's %lu fields",
            long(index), static_cast<unsigned long>(m_fields.size()));
    return m_fields[std::size_t(index)];
}

std::shared_ptr<UIButton> UIAlertView::buttonAtIndex(NSInteger index) const { return m_buttons.buttonAt(index); }

void UIAlertView::show()
{
    NSAssertMainThread();
    if (m_phase != Phase::Idle)
        return;
    UIAlertPresenter::shared().show(self());
}

void UIAlertView::dismissWithClickedButtonIndex(NSInteger buttonIndex, bool animated)
{
    NSAssertMainThread();
    UIAlertPresenter::shared().dismiss(self(), buttonIndex, animated);
}

void UIAlertView::buttonTapped(NSInteger index)
{
    if (m_phase != Phase::Shown)
        return;
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->alertViewClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
}

bool UIAlertView::pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (key != UIKeyboardKey::Return && key != UIKeyboardKey::Escape)
        return super::pressKey(key, modifiers);
    if (m_phase != Phase::Shown)
        return false;
    // Return takes the first other button, the one that goes ahead, and a lone button; Escape
    // the cancel button.
    NSInteger index = m_cancelButtonIndex;
    if (key == UIKeyboardKey::Return) {
        const NSInteger first = firstOtherButtonIndex();
        if (first >= 0)
            index = m_buttons.buttons()[std::size_t(first)]->isEnabled() ? first : -1;
    }
    if (index < 0)
        return false;
    buttonTapped(index);
    return true;
}

void UIAlertView::willBeShown()
{
    updateFirstOtherButton();
    if (auto delegate = m_delegate.lock())
        delegate->willPresentAlertView(*this);
}

void UIAlertView::presented()
{
    if (auto delegate = m_delegate.lock())
        delegate->didPresentAlertView(*this);
}

void UIAlertView::updateFirstOtherButton()
{
    const NSInteger first = firstOtherButtonIndex();
    if (first < 0)
        return;
    bool enabled = true;
    if (auto delegate = m_delegate.lock())
        enabled = delegate->alertViewShouldEnableFirstOtherButton(*this).value_or(true);
    m_buttons.buttons()[std::size_t(first)]->setEnabled(enabled);
}

bool UIAlertView::sideBySide() const
{
    return m_buttons.buttons().size() == 2;
}

void UIAlertView::rebuildButtons()
{
    std::weak_ptr<UIAlertView> weakSelf = self();
    m_buttons.rebuild([this](NSInteger index) {
        const bool emphasised = index == m_cancelButtonIndex && numberOfButtons() > 1;
        return SystemAlertButtons::Look { SystemAlertStyle::buttonColor(), SystemAlertStyle::disabledButtonColor(),
            emphasised ? UIFont::boldSystemFontOfSize(17) : UIFont::systemFontOfSize(17), self() };
    }, *this, [weakSelf](NSInteger index) {
        if (auto alert = weakSelf.lock())
            alert->buttonTapped(index);
    });
    setNeedsLayout();
}

void UIAlertView::rebuildTextFields()
{
    for (const auto& field : m_fields)
        field->removeFromSuperview();
    m_fields.clear();
    const NSInteger count = m_style == UIAlertViewStyle::Default ? 0 : m_style == UIAlertViewStyle::LoginAndPasswordInput ? 2 : 1;
    for (NSInteger index = 0; index < count; ++index) {
        auto field = UITextField::create();
        // A hairline frame and a little room before the text, as the platform's alert fields.
        field->layer()->setBorderWidth(1 / UIScreen::mainScreen()->scale());
        field->layer()->setBorderColor(SystemAlertStyle::fieldBorderColor()->CGColor());
        field->setLeftView(UIView::create(CGRectMake(0, 0, 6, kFieldHeight)));
        field->setLeftViewMode(UITextFieldViewMode::Always);
        field->setBackgroundColor(UIColor::whiteColor());
        field->setFont(UIFont::systemFontOfSize(13));
        field->setContentVerticalAlignment(UIControlContentVerticalAlignmentCenter);
        const bool secure = m_style == UIAlertViewStyle::SecureTextInput || index == 1;
        field->setSecureTextEntry(secure);
        field->setReturnKeyType(index + 1 < count ? UIReturnKeyType::Next : UIReturnKeyType::Done);
        std::weak_ptr<UIAlertView> weakSelf = self();
        field->addTarget(nullptr, UIControl::Action([weakSelf](UIControl&, const UIEventRef&) {
            if (auto alert = weakSelf.lock())
                alert->updateFirstOtherButton();
        }), UIControlEventEditingChanged);
        field->addTarget(nullptr, UIControl::Action([weakSelf](UIControl& sender, const UIEventRef&) {
            auto alert = weakSelf.lock();
            if (auto* typed = dynamic_cast<UITextField*>(&sender); alert && typed)
                alert->fieldReturned(*typed);
        }), UIControlEventEditingDidEndOnExit);
        addSubview(field);
        m_fields.push_back(field);
    }
    setNeedsLayout();
}

void UIAlertView::fieldReturned(UITextField& field)
{
    // Return in the login field goes on to the password; in the last field it taps the first
    // other button when that is enabled, as the platform's alert does.
    for (std::size_t index = 0; index + 1 < m_fields.size(); ++index) {
        if (m_fields[index].get() == &field) {
            m_fields[index + 1]->becomeFirstResponder();
            return;
        }
    }
    const NSInteger first = firstOtherButtonIndex();
    if (first >= 0 && m_buttons.buttons()[std::size_t(first)]->isEnabled())
        buttonTapped(first);
}

CGFloat UIAlertView::textHeight() const
{
    const CGSize room { kWidth - 2 * kTextInset, 10000 };
    CGFloat height = kTopPadding;
    const bool hasTitle = m_title.length() > 0, hasMessage = m_message.length() > 0;
    if (hasTitle)
        height += std::ceil(m_titleLabel->sizeThatFits(room).height);
    if (hasTitle && hasMessage)
        height += kTitleMessageGap;
    if (hasMessage)
        height += std::ceil(m_messageLabel->sizeThatFits(room).height);
    return height + kTopPadding;
}

CGFloat UIAlertView::fieldsHeight() const
{
    return m_fields.empty() ? 0 : CGFloat(m_fields.size()) * kFieldHeight + kTextInset;
}

CGFloat UIAlertView::buttonsHeight() const
{
    const auto& buttons = m_buttons.buttons();
    if (buttons.empty())
        return 0;
    return sideBySide() ? kButtonHeight : CGFloat(buttons.size()) * kButtonHeight;
}

CGSize UIAlertView::sizeThatFits(CGSize) const
{
    return { kWidth, textHeight() + fieldsHeight() + buttonsHeight() };
}

void UIAlertView::layoutSubviews()
{
    const CGFloat width = bounds().size.width;
    const CGSize room { width - 2 * kTextInset, 10000 };
    CGFloat y = kTopPadding;
    const bool hasTitle = m_title.length() > 0, hasMessage = m_message.length() > 0;
    const CGFloat titleHeight = hasTitle ? std::ceil(m_titleLabel->sizeThatFits(room).height) : 0;
    m_titleLabel->setFrame(CGRectMake(kTextInset, y, room.width, titleHeight));
    y += titleHeight + (hasTitle && hasMessage ? kTitleMessageGap : 0);
    const CGFloat messageHeight = hasMessage ? std::ceil(m_messageLabel->sizeThatFits(room).height) : 0;
    m_messageLabel->setFrame(CGRectMake(kTextInset, y, room.width, messageHeight));
    y = textHeight();
    for (const auto& field : m_fields) {
        field->setFrame(CGRectMake(kTextInset, y, width - 2 * kTextInset, kFieldHeight));
        // Joined fields share one border line.
        y += kFieldHeight - 0.5;
    }
    y = textHeight() + fieldsHeight();

    const CGFloat hairline = 1 / UIScreen::mainScreen()->scale();
    const auto& buttons = m_buttons.buttons();
    const auto& separators = m_buttons.separators();
    if (sideBySide()) {
        // The cancel button goes on the left.
        const std::size_t left = m_cancelButtonIndex == 1 ? 1 : 0;
        const CGFloat half = std::round(width / 2);
        buttons[left]->setFrame(CGRectMake(0, y, half, kButtonHeight));
        buttons[1 - left]->setFrame(CGRectMake(half, y, width - half, kButtonHeight));
        separators[0]->setFrame(CGRectMake(0, y, width, hairline));
        separators[1]->setFrame(CGRectMake(half, y, hairline, kButtonHeight));
        return;
    }
    // Stacked: the others in order, the cancel button last.
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        if (NSInteger(index) == m_cancelButtonIndex)
            continue;
        buttons[index]->setFrame(CGRectMake(0, y, width, kButtonHeight));
        separators[index]->setFrame(CGRectMake(0, y, width, hairline));
        y += kButtonHeight;
    }
    if (m_cancelButtonIndex >= 0) {
        const auto cancel = std::size_t(m_cancelButtonIndex);
        buttons[cancel]->setFrame(CGRectMake(0, y, width, kButtonHeight));
        separators[cancel]->setFrame(CGRectMake(0, y, width, hairline));
    }
}
