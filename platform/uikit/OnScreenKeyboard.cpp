#include "platform/uikit/OnScreenKeyboard.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/KeyboardKeysView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITextInputTraits.h"

std::shared_ptr<OnScreenKeyboard> OnScreenKeyboard::install()
{
    auto keyboard = create(UIScreen::mainScreen()->bounds());
    UIApplication::sharedApplication()->setKeyboardController(keyboard);
    return keyboard;
}

OnScreenKeyboard::~OnScreenKeyboard()
{
    if (m_transitions) {
        m_transitions->setTransitionHandler(nullptr);
        m_transitions->setFinishHandler(nullptr);
    }
}

void OnScreenKeyboard::init(CGRect screenBounds)
{
    m_transitions = KeyboardTransitions::create(screenBounds);
    std::weak_ptr<OnScreenKeyboard> weakSelf = self();
    m_transitions->setTransitionHandler([weakSelf](KeyboardTransitions::Phase phase, CGRect begin, CGRect end) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->transitionStarted(phase, begin, end);
    });
    m_transitions->setFinishHandler([weakSelf](KeyboardTransitions::Phase phase) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->transitionFinished(phase);
    });
    m_window = UIWindow::create(m_transitions->frame());
    m_window->setWindowLevel(windowLevel);
    m_keysView = KeyboardKeysView::create(CGRectMake(0, 0, screenBounds.size.width, KeyboardTransitions::keyboardHeight));
    m_window->addSubview(m_keysView);
}

bool OnScreenKeyboard::takesKeyboard(const UIResponderRef& responder)
{
    if (!responder)
        return false;
    if (responder->inputView())
        return true;
    auto* traits = dynamic_cast<UITextInputTraits*>(responder.get());
    return std::dynamic_pointer_cast<UIKeyInput>(responder) && (!traits || traits->wantsKeyboard());
}

void OnScreenKeyboard::firstResponderDidChange(const UIResponderRef&, const UIResponderRef& current)
{
    NSAssertMainThread();
    if (!takesKeyboard(current)) {
        m_responder.reset();
        m_transitions->hide();
        return;
    }
    m_responder = current;
    fill(current);
    const CGFloat accessoryHeight = m_accessoryView ? m_accessoryView->frame().size.height : 0;
    const CGFloat panelHeight = m_inputView ? m_inputView->frame().size.height : KeyboardTransitions::keyboardHeight;
    m_transitions->show(panelHeight + accessoryHeight);
}

void OnScreenKeyboard::fill(const UIResponderRef& responder)
{
    empty();
    const CGFloat width = m_window->bounds().size.width;
    CGFloat top = 0;
    m_accessoryView = responder->inputAccessoryView();
    if (m_accessoryView) {
        const CGFloat height = m_accessoryView->frame().size.height;
        m_accessoryView->setFrame(CGRectMake(0, 0, width, height));
        m_window->addSubview(m_accessoryView);
        top = height;
    }
    m_inputView = responder->inputView();
    if (m_inputView) {
        CGFloat height = m_inputView->frame().size.height;
        if (height <= 0)
            height = KeyboardTransitions::keyboardHeight;
        m_inputView->setFrame(CGRectMake(0, top, width, height));
        m_window->addSubview(m_inputView);
    }
    m_keysView->setHidden(m_inputView != nullptr);
    m_keysView->setFrame(CGRectMake(0, top, width, KeyboardTransitions::keyboardHeight));
    static_cast<KeyboardKeysView&>(*m_keysView).setResponder(responder);
}

void OnScreenKeyboard::empty()
{
    // Views another owner has meanwhile put elsewhere are left where they are.
    for (auto* view : { &m_accessoryView, &m_inputView }) {
        if (*view && (*view)->superview() == m_window)
            (*view)->removeFromSuperview();
        view->reset();
    }
}

void OnScreenKeyboard::transitionStarted(KeyboardTransitions::Phase phase, CGRect begin, CGRect end)
{
    if (phase == KeyboardTransitions::Phase::Showing && m_window->isHidden()) {
        m_window->setFrame(begin);
        m_window->setHidden(false);
    } else {
        // From wherever the panel is on screen, which a hide cut short leaves half way.
        const auto presentation = m_window->layer()->presentationLayer();
        const CGFloat top = presentation ? presentation->frame().origin.y : m_window->frame().origin.y;
        m_window->setFrame(CGRectMake(begin.origin.x, top, begin.size.width, end.size.height));
    }
    const auto window = m_window;
    UIView::animateWithDuration(KeyboardTransitions::animationDuration, 0,
        static_cast<NSUInteger>(KeyboardTransitions::animationCurve) << 16, [window, end] { window->setFrame(end); },
        nullptr);
}

void OnScreenKeyboard::transitionFinished(KeyboardTransitions::Phase phase)
{
    if (phase != KeyboardTransitions::Phase::Hidden)
        return;
    m_window->setHidden(true);
    empty();
    static_cast<KeyboardKeysView&>(*m_keysView).setResponder(nullptr);
}

bool OnScreenKeyboard::handleTypedText(UIResponder&, const NSString&)
{
    // The return key may change state with the text.
    m_keysView->setNeedsDisplay();
    return false;
}

bool OnScreenKeyboard::handleKey(UIResponder& responder, UIKeyboardKey key, UIKeyModifierFlags)
{
    m_keysView->setNeedsDisplay();
    if (key != UIKeyboardKey::Return)
        return false;
    // A disabled return key does nothing at all.
    auto* traits = dynamic_cast<UITextInputTraits*>(&responder);
    return traits && !traits->returnKeyEnabled();
}
