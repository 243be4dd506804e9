#include "library/widgets/keyboard/KMKeyboardManager.h"

#include "library/widgets/keyboard/UIView_KMHierarchy.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/layers/NSValueGeometry.h"
#include "platform/uikit/KeyboardTransitions.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UITextView.h"

#include <cfloat>

using namespace KM_UIView_Hierarchy;

namespace {

bool isZero(CGRect rect) { return rect.origin.x == 0 && rect.origin.y == 0 && rect.size.width == 0 && rect.size.height == 0; }

} // namespace

const std::shared_ptr<KMKeyboardManager>& KMKeyboardManager::sharedManager()
{
    static const std::shared_ptr<KMKeyboardManager> manager = create();
    return manager;
}

void KMKeyboardManager::enableForApplication()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const auto& manager = sharedManager();
        manager->setEnable(true);
        manager->setKeyboardDistanceFromTextField(15.0);
        manager->setEnableAutoToolbar(true);
        manager->setShouldShowTextFieldPlaceholder(true);
    });
}

void KMKeyboardManager::init()
{
    auto center = NSNotificationCenter::defaultCenter();
    auto me = self();
    center->addObserver(me, &KMKeyboardManager::keyboardWillShow, UIKeyboardWillShowNotification, nullptr);
    center->addObserver(me, &KMKeyboardManager::keyboardWillHide, UIKeyboardWillHideNotification, nullptr);
    center->addObserver(me, &KMKeyboardManager::keyboardDidHide, UIKeyboardDidHideNotification, nullptr);
    center->addObserver(me, &KMKeyboardManager::textFieldViewDidBeginEditing, UITextFieldTextDidBeginEditingNotification, nullptr);
    center->addObserver(me, &KMKeyboardManager::textFieldViewDidBeginEditing, UITextViewTextDidBeginEditingNotification, nullptr);
    center->addObserver(me, &KMKeyboardManager::textFieldViewDidEndEditing, UITextFieldTextDidEndEditingNotification, nullptr);
    center->addObserver(me, &KMKeyboardManager::textFieldViewDidEndEditing, UITextViewTextDidEndEditingNotification, nullptr);
    center->addObserver(me, &KMKeyboardManager::textFieldViewDidChange, UITextViewTextDidChangeNotification, nullptr);
    center->addObserver(me, &KMKeyboardManager::willChangeStatusBarOrientation, UIApplicationWillChangeStatusBarOrientationNotification, nullptr);
    m_tapGesture = UITapGestureRecognizer::create(me, &KMKeyboardManager::tapRecognized);
    m_tapGesture->setDelegate(me);
    setShouldResignOnTouchOutside(false);
}

KMKeyboardManager::~KMKeyboardManager() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

void KMKeyboardManager::setEnable(bool enable)
{
    NSAssertMainThread();
    if (enable == m_enable)
        return;
    if (enable) {
        m_enable = true;
        if (m_kbShowNotification)
            keyboardWillShow(m_kbShowNotification);
    } else {
        keyboardWillHide(nullptr);
        m_enable = false;
    }
}

void KMKeyboardManager::setEnableAutoToolbar(bool enable)
{
    m_enableAutoToolbar = enable;
    if (enable)
        addToolbarIfRequired();
    else
        removeToolbarIfRequired();
}

void KMKeyboardManager::setShouldResignOnTouchOutside(bool resign)
{
    m_shouldResignOnTouchOutside = resign;
    m_tapGesture->setEnabled(resign);
}

std::shared_ptr<UIWindow> KMKeyboardManager::keyWindow() const
{
    static std::weak_ptr<UIWindow> lastKeyWindow;
    std::shared_ptr<UIWindow> window;
    if (auto field = currentField())
        window = field->window();
    if (!window)
        window = UIApplication::sharedApplication()->keyWindow();
    if (window)
        lastKeyWindow = window;
    return window ? window : lastKeyWindow.lock();
}

std::shared_ptr<UIViewController> KMKeyboardManager::controllerForField() const
{
    if (auto field = currentField())
        if (auto controller = topMostController(*field))
            return controller;
    auto window = keyWindow();
    return window ? topMostController(*window) : nullptr;
}

void KMKeyboardManager::animate(std::function<void()> changes)
{
    UIView::animateWithDuration(m_animationDuration, 0, m_animationCurve | UIViewAnimationOptionBeginFromCurrentState,
        changes, nullptr);
}

void KMKeyboardManager::keyboardWillShow(const std::shared_ptr<NSNotification>& notification)
{
    m_kbShowNotification = notification;
    if (!m_enable || !notification)
        return;
    auto field = currentField();
    if (!m_isTextFieldViewFrameChanged && field)
        m_textFieldViewIntialFrame = field->frame();
    if (isZero(m_topViewBeginRect)) {
        auto root = controllerForField();
        m_rootViewController = root;
        if (root)
            m_topViewBeginRect = root->view()->frame();
    }
    const auto& info = notification->userInfo();
    m_animationCurve = m_shouldAdoptDefaultKeyboardAnimation ? NSUInteger(ns::integerForKey(info, UIKeyboardAnimationCurveUserInfoKey)) << 16 : 0;
    if (const double duration = ns::doubleForKey(info, UIKeyboardAnimationDurationUserInfoKey); duration != 0)
        m_animationDuration = duration;
    const CGSize oldSize = m_kbSize;
    m_kbSize = NSValueGeometry::CGRectValue(info ? info->objectForKey(NSString(UIKeyboardFrameEndUserInfoKey)) : nullptr).size;
    m_kbSize.height += m_keyboardDistanceFromTextField;
    if ((m_kbSize.width != oldSize.width || m_kbSize.height != oldSize.height) && field && !isAlertViewTextField(*field))
        adjustFrame();
}

void KMKeyboardManager::adjustFrame()
{
    auto field = currentField();
    if (!field)
        return;
    m_isKeyboardShowing = true;
    auto window = keyWindow();
    auto root = controllerForField();
    if (!window)
        return;
    const CGRect r = field->superview() ? field->superview()->convertRectToView(field->frame(), nullptr) : field->frame();
    const CGRect rootRect = root ? root->view()->frame() : CGRectZero;
    const CGRect statusBar = UIApplication::sharedApplication()->statusBarFrame();
    const CGFloat windowHeight = window->bounds().size.height;
    const CGSize kb = m_kbSize;
    CGFloat move = std::min(CGRectGetMinY(r) - (statusBar.size.height + 5), CGRectGetMaxY(r) - (windowHeight - kb.height));

    // Scroll views: give back the one no longer around the field, take the new one.
    auto scroll = superScrollView(*field);
    auto last = m_lastScrollView.lock();
    if (last && last != scroll) {
        restoreScrollView(*last);
        m_startingContentInsets = UIEdgeInsetsZero;
        m_startingContentOffset = CGPointZero;
        m_lastScrollView.reset();
        last.reset();
    }
    if (!last && scroll) {
        m_lastScrollView = scroll;
        last = scroll;
        m_startingContentInsets = scroll->contentInset();
        m_startingContentOffset = scroll->contentOffset();
        m_startingContentSize = scroll->contentSize();
    }

    if (last) {
        UIViewRef view = field;
        for (auto superScroll = last; superScroll;) {
            const CGFloat offsetY = superScroll->contentOffset().y;
            if (!(move > 0 ? move > -offsetY : offsetY > 0))
                break;
            const CGRect viewRect = view->superview()->convertRectToView(view->frame(), superScroll);
            CGFloat y = offsetY - std::min(offsetY, -move);
            y = std::min(y, viewRect.origin.y);
            move -= y - offsetY;
            auto target = superScroll;
            const CGFloat x = superScroll->contentOffset().x;
            animate([target, x, y] { target->setContentOffset(CGPointMake(x, y)); });
            view = superScroll;
            superScroll = superScrollView(*superScroll);
        }
        const CGRect lastRect = last->superview() ? last->superview()->convertRectToView(last->frame(), nullptr) : last->frame();
        const CGFloat bottom = kb.height - (windowHeight - CGRectGetMaxY(lastRect));
        UIEdgeInsets insets = last->contentInset();
        insets.bottom = std::max(m_startingContentInsets.bottom, bottom);
        last->setContentInset(insets);
        if (last->contentSize().height < last->frame().size.height)
            last->setContentSize(CGSizeMake(last->contentSize().width, last->frame().size.height));
    }

    // A tall text view is shortened to the room between the status bar and the keyboard, once
    // the keyboard's size is known: editing begins before the keyboard announces itself.
    if (m_canAdjustTextView && std::dynamic_pointer_cast<UITextView>(field) && !m_isTextFieldViewFrameChanged && kb.height > 0) {
        const CGFloat height = std::min(field->frame().size.height, windowHeight - kb.height - (statusBar.size.height + 5));
        CGRect shortened = field->frame();
        shortened.size.height = height;
        animate([field, shortened] { field->setFrame(shortened); });
        m_isTextFieldViewFrameChanged = true;
    }

    if (!root)
        return;
    CGRect frame = rootRect;
    const auto style = root->modalPresentationStyle();
    if (style == UIModalPresentationStyle::FormSheet || style == UIModalPresentationStyle::PageSheet) {
        // A sheet moves within the room it leaves on the screen.
        if (move >= 0) {
            frame.origin.y -= move;
            if (m_preventShowingBottomBlankSpace) {
                const CGFloat minimumY = (windowHeight - rootRect.size.height - statusBar.size.height) / 2
                    - (kb.height - m_keyboardDistanceFromTextField);
                frame.origin.y = std::max(frame.origin.y, minimumY);
            }
            setRootViewFrame(frame);
        } else {
            const CGFloat disturbance = CGRectGetMinY(rootRect) - CGRectGetMinY(m_topViewBeginRect);
            if (disturbance < 0) {
                frame.origin.y -= std::max(move, disturbance);
                setRootViewFrame(frame);
            }
        }
        return;
    }
    if (move >= 0) {
        frame.origin.y -= move;
        if (m_preventShowingBottomBlankSpace)
            frame.origin.y = std::max(frame.origin.y, std::min<CGFloat>(0, -(kb.height - m_keyboardDistanceFromTextField)));
        setRootViewFrame(frame);
    } else {
        const CGFloat disturbance = CGRectGetMinY(rootRect) - CGRectGetMinY(m_topViewBeginRect);
        if (disturbance < 0) {
            frame.origin.y -= std::max(move, disturbance);
            setRootViewFrame(frame);
        }
    }
}

void KMKeyboardManager::setRootViewFrame(CGRect frame)
{
    auto controller = controllerForField();
    if (!controller)
        return;
    auto view = controller->view();
    frame.size = view->frame().size;
    animate([view, frame] { view->setFrame(frame); });
}

// The content size is given back too: the manager may have stretched it to the frame's height.
void KMKeyboardManager::restoreScrollView(UIScrollView& scroll)
{
    scroll.setContentInset(m_startingContentInsets);
    scroll.setContentOffset(m_startingContentOffset, true);
    scroll.setContentSize(m_startingContentSize);
}

void KMKeyboardManager::keyboardWillHide(const std::shared_ptr<NSNotification>& notification)
{
    if (notification)
        m_kbShowNotification.reset();
    if (!m_enable)
        return;
    m_isKeyboardShowing = false;
    if (notification)
        if (const double duration = ns::doubleForKey(notification->userInfo(), UIKeyboardAnimationDurationUserInfoKey); duration != 0)
            m_animationDuration = duration;

    if (auto last = m_lastScrollView.lock()) {
        const auto insets = m_startingContentInsets;
        const auto offset = m_startingContentOffset;
        const auto size = m_startingContentSize;
        animate([last, insets, offset, size] {
            last->setContentInset(insets);
            last->setContentOffset(offset);
            last->setContentSize(size);
            for (auto above = superScrollView(*last); above; above = superScrollView(*above)) {
                const CGFloat height = above->bounds().size.height;
                const CGFloat limit = std::max(above->contentSize().height, height) - height;
                if (above->contentOffset().y > limit)
                    above->setContentOffset(CGPointMake(above->contentOffset().x, limit));
            }
        });
    }
    if (!isZero(m_topViewBeginRect)) {
        if (auto root = m_rootViewController.lock()) {
            auto view = root->view();
            CGRect frame = m_topViewBeginRect;
            frame.size = view->frame().size;
            animate([view, frame] { view->setFrame(frame); });
            m_rootViewController.reset();
        }
    }
    m_lastScrollView.reset();
    m_kbSize = CGSizeZero;
    m_startingContentInsets = UIEdgeInsetsZero;
    m_startingContentOffset = CGPointZero;
    m_startingContentSize = CGSizeZero;
}

void KMKeyboardManager::keyboardDidHide(const std::shared_ptr<NSNotification>&) { m_topViewBeginRect = CGRectZero; }

void KMKeyboardManager::textFieldViewDidBeginEditing(const std::shared_ptr<NSNotification>& notification)
{
    auto field = notification ? std::dynamic_pointer_cast<UIView>(notification->object()) : nullptr;
    m_textFieldView = field;
    if (!field)
        return;
    if (m_overrideKeyboardAppearance)
        if (auto traits = dynamic_cast<UITextInputTraits*>(field.get()))
            traits->setKeyboardAppearance(m_keyboardAppearance);
    if (!m_isTextFieldViewFrameChanged)
        m_textFieldViewIntialFrame = field->frame();
    if (m_enableAutoToolbar)
        addToolbarIfRequired();
    if (!m_enable)
        return;
    if (auto window = field->window()) {
        window->addGestureRecognizer(m_tapGesture);
        m_tapGestureWindow = window;
    }
    if (!m_isKeyboardShowing) {
        auto root = controllerForField();
        m_rootViewController = root;
        if (root)
            m_topViewBeginRect = root->view()->frame();
    }
    if (!isAlertViewTextField(*field))
        adjustFrame();
}

void KMKeyboardManager::textFieldViewDidEndEditing(const std::shared_ptr<NSNotification>&)
{
    if (auto window = m_tapGestureWindow.lock())
        window->removeGestureRecognizer(m_tapGesture);
    m_tapGestureWindow.reset();
    if (m_isTextFieldViewFrameChanged) {
        m_isTextFieldViewFrameChanged = false;
        if (auto field = currentField()) {
            const CGRect frame = m_textFieldViewIntialFrame;
            animate([field, frame] { field->setFrame(frame); });
        }
    }
    m_textFieldView.reset();
}

void KMKeyboardManager::willChangeStatusBarOrientation(const std::shared_ptr<NSNotification>&)
{
    if (!m_isTextFieldViewFrameChanged)
        return;
    m_isTextFieldViewFrameChanged = false;
    if (auto field = currentField()) {
        const CGRect frame = m_textFieldViewIntialFrame;
        animate([field, frame] { field->setFrame(frame); });
    }
}

void KMKeyboardManager::textFieldViewDidChange(const std::shared_ptr<NSNotification>& notification)
{
    auto textView = notification ? std::dynamic_pointer_cast<UITextView>(notification->object()) : nullptr;
    if (!m_shouldFixTextViewClip || !textView)
        return;
    const CGRect caret = textView->caretRectForPosition(textView->selectedTextRange()->start());
    const CGPoint offset = textView->contentOffset();
    const UIEdgeInsets inset = textView->contentInset();
    const CGFloat over = CGRectGetMaxY(caret) - (offset.y + textView->bounds().size.height - inset.bottom - inset.top);
    // A caret with an infinite origin measures nothing.
    if (over > 0 && over < CGFloat(FLT_MAX)) {
        const CGPoint target = CGPointMake(offset.x, offset.y + over + 7.0);
        animate([textView, target] { textView->setContentOffset(target); });
    }
}

void KMKeyboardManager::tapRecognized(UITapGestureRecognizer& recognizer)
{
    if (recognizer.state() == UIGestureRecognizerState::Ended)
        if (auto view = recognizer.view())
            view->endEditing(true);
}

// A click on another text field or on a text view that takes typing moves the caret there at once:
// the recogniser would otherwise take that click to end editing, and the text view would never
// hear it.
std::optional<bool> KMKeyboardManager::shouldReceiveTouch(UIGestureRecognizer&, UITouch& touch)
{
    auto view = touch.view();
    if (std::dynamic_pointer_cast<UIControl>(view) || std::dynamic_pointer_cast<UINavigationBar>(view))
        return false;
    for (auto holder = view; holder; holder = holder->superview()) {
        if (auto textView = std::dynamic_pointer_cast<UITextView>(holder); textView && textView->isEditable())
            return false;
    }
    return true;
}

std::vector<UIViewRef> KMKeyboardManager::responderViews() const
{
    auto field = currentField();
    if (!field)
        return {};
    if (auto table = superTableView(*field))
        return deepResponderViews(*table);
    auto siblings = responderSiblings(*field);
    if (siblings.size() <= 1)
        if (auto controller = viewController(*field)) {
            auto screenFields = deepResponderViews(*controller->view());
            if (screenFields.size() > 1 && std::find(screenFields.begin(), screenFields.end(), field) != screenFields.end())
                siblings = std::move(screenFields);
        }
    switch (m_toolbarManageBehaviour) {
    case 0:
        return siblings;
    case 1:
        return sortedArrayByTag(std::move(siblings));
    case 2:
        return sortedArrayByPosition(std::move(siblings));
    default:
        return {};
    }
}

void KMKeyboardManager::styleToolbar(KMToolbar& toolbar, const UIView& field) const
{
    auto traits = dynamic_cast<const UITextInputTraits*>(&field);
    if (!traits)
        return;
    if (traits->keyboardAppearance() == UIKeyboardAppearance::Dark) {
        toolbar.setBarStyle(UIBarStyleBlack);
        toolbar.setToolbarTintColor(UIColor::whiteColor());
    } else {
        toolbar.setBarStyle(UIBarStyleDefault);
        if (m_shouldToolbarUsesTextFieldTintColor)
            toolbar.setToolbarTintColor(field.tintColor());
    }
}

void KMKeyboardManager::addToolbarIfRequired()
{
    const auto views = responderViews();
    if (views.empty())
        return;
    auto me = self();
    std::weak_ptr<KMKeyboardManager> weakSelf = me;
    auto action = [weakSelf](void (KMKeyboardManager::*member)(UIBarButtonItem&)) {
        return [weakSelf, member](UIBarButtonItem& sender) {
            if (auto manager = weakSelf.lock())
                (manager.get()->*member)(sender);
        };
    };
    if (views.size() == 1) {
        const auto& view = views.front();
        auto accessory = KMToolbarAddition::inputAccessoryViewOf(*view);
        if (!accessory || accessory->tag() == kPreviousNextToolbarTag) {
            KMToolbarAddition::addDoneOnKeyboard(view, action(&KMKeyboardManager::doneAction),
                m_shouldShowTextFieldPlaceholder ? KMToolbarAddition::placeholderOf(*view) : NSString());
            if (auto added = KMToolbarAddition::inputAccessoryViewOf(*view))
                added->setTag(kDoneToolbarTag);
        }
        auto toolbar = std::dynamic_pointer_cast<KMToolbar>(KMToolbarAddition::inputAccessoryViewOf(*view));
        if (toolbar && toolbar->tag() == kDoneToolbarTag) {
            styleToolbar(*toolbar, *view);
            const NSString placeholder = KMToolbarAddition::placeholderOf(*view);
            if (m_shouldShowTextFieldPlaceholder && !placeholder.isNil()) {
                if (toolbar->title() != placeholder)
                    toolbar->setTitle(placeholder);
                if (m_placeholderFont)
                    toolbar->setTitleFont(m_placeholderFont);
            }
        }
        return;
    }
    for (size_t index = 0; index < views.size(); ++index) {
        const auto& view = views[index];
        auto accessory = KMToolbarAddition::inputAccessoryViewOf(*view);
        if (!accessory || accessory->tag() == kDoneToolbarTag) {
            KMToolbarAddition::addPreviousNextDoneOnKeyboard(view, action(&KMKeyboardManager::previousAction),
                action(&KMKeyboardManager::nextAction), action(&KMKeyboardManager::doneAction),
                m_shouldShowTextFieldPlaceholder ? KMToolbarAddition::placeholderOf(*view) : NSString());
            if (auto added = KMToolbarAddition::inputAccessoryViewOf(*view))
                added->setTag(kPreviousNextToolbarTag);
        }
        auto toolbar = std::dynamic_pointer_cast<KMToolbar>(KMToolbarAddition::inputAccessoryViewOf(*view));
        if (toolbar && toolbar->tag() == kPreviousNextToolbarTag) {
            styleToolbar(*toolbar, *view);
            KMToolbarAddition::setEnablePrevious(view, index != 0, index + 1 != views.size());
        }
    }
}

void KMKeyboardManager::removeToolbarIfRequired()
{
    for (const auto& view : responderViews()) {
        auto toolbar = std::dynamic_pointer_cast<KMToolbar>(KMToolbarAddition::inputAccessoryViewOf(*view));
        if (toolbar && (toolbar->tag() == kDoneToolbarTag || toolbar->tag() == kPreviousNextToolbarTag))
            KMToolbarAddition::setInputAccessoryView(*view, nullptr);
    }
}

void KMKeyboardManager::moveTo(const UIViewRef& neighbour, const UIViewRef& field, std::function<void(UIView&)> after)
{
    if (neighbour->becomeFirstResponder()) {
        if (after)
            after(*field);
    } else {
        field->becomeFirstResponder();
    }
}

void KMKeyboardManager::previousAction(UIBarButtonItem&)
{
    if (m_shouldPlayInputClicks)
        UIDevice::currentDevice()->playInputClick();
    auto field = currentField();
    const auto views = responderViews();
    const auto found = std::find(views.begin(), views.end(), field);
    if (field && found != views.end() && found != views.begin())
        moveTo(*(found - 1), field, KMToolbarAddition::previousAction(*field));
}

void KMKeyboardManager::nextAction(UIBarButtonItem&)
{
    if (m_shouldPlayInputClicks)
        UIDevice::currentDevice()->playInputClick();
    auto field = currentField();
    const auto views = responderViews();
    const auto found = std::find(views.begin(), views.end(), field);
    if (field && found != views.end() && found + 1 != views.end())
        moveTo(*(found + 1), field, KMToolbarAddition::nextAction(*field));
}

// The segmented Previous / Next of bars without arrows hands its control over as the sender.
void KMKeyboardManager::previousAction(UIControl&)
{
    auto item = UIBarButtonItem::create();
    previousAction(*item);
}

void KMKeyboardManager::nextAction(UIControl&)
{
    auto item = UIBarButtonItem::create();
    nextAction(*item);
}

void KMKeyboardManager::doneAction(UIBarButtonItem&)
{
    if (m_shouldPlayInputClicks)
        UIDevice::currentDevice()->playInputClick();
    auto field = currentField();
    if (!field)
        return;
    if (field->resignFirstResponder()) {
        if (auto after = KMToolbarAddition::doneAction(*field))
            after(*field);
    } else {
        field->becomeFirstResponder();
    }
}

void KMKeyboardManager::resignFirstResponder()
{
    if (auto field = currentField(); field && !field->resignFirstResponder())
        field->becomeFirstResponder();
}
