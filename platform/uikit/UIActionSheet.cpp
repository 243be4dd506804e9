#include "platform/uikit/UIActionSheet.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/SystemAlertStyle.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

#include <cmath>

namespace {

constexpr CGFloat kTitlePadding = 14;
constexpr CGFloat kCornerRadius = 4;

std::shared_ptr<UIView> makeGroup()
{
    auto group = UIView::create();
    group->setBackgroundColor(SystemAlertStyle::panelColor());
    group->layer()->setCornerRadius(kCornerRadius);
    group->setClipsToBounds(true);
    return group;
}

} // namespace

UIActionSheet::~UIActionSheet() = default;

void UIActionSheet::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
    m_group = makeGroup();
    m_cancelGroup = makeGroup();
    addSubview(m_group);
    addSubview(m_cancelGroup);
    m_titleLabel = UILabel::create();
    m_titleLabel->setFont(UIFont::systemFontOfSize(13));
    m_titleLabel->setTextColor(UIColor::colorWithWhite(0.56, 1));
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    m_titleLabel->setNumberOfLines(0);
    m_titleLabel->setBackgroundColor(UIColor::clearColor());
    m_group->addSubview(m_titleLabel);
}

void UIActionSheet::init(const NSString& title, const std::shared_ptr<UIActionSheetDelegate>& delegate,
    const NSString& cancelButtonTitle, const NSString& destructiveButtonTitle, const std::vector<NSString>& otherButtonTitles)
{
    init(CGRectZero);
    setTitle(title);
    m_delegate = delegate;
    if (!destructiveButtonTitle.isNil())
        m_destructiveButtonIndex = addButtonWithTitle(destructiveButtonTitle);
    for (const auto& other : otherButtonTitles)
        addButtonWithTitle(other);
    if (!cancelButtonTitle.isNil())
        m_cancelButtonIndex = addButtonWithTitle(cancelButtonTitle);
    rebuildButtons();
}

void UIActionSheet::setTitle(const NSString& title)
{
    NSAssertMainThread();
    m_title = title;
    m_titleLabel->setText(title);
    setNeedsLayout();
}

NSInteger UIActionSheet::addButtonWithTitle(const NSString& title)
{
    NSAssertMainThread();
    const NSInteger index = m_buttons.add(title);
    rebuildButtons();
    return index;
}

NSString UIActionSheet::buttonTitleAtIndex(NSInteger index) const { return m_buttons.titleAt(index); }

void UIActionSheet::setCancelButtonIndex(NSInteger index)
{
    NSAssertMainThread();
    m_cancelButtonIndex = m_buttons.validIndex(index);
    rebuildButtons();
}

void UIActionSheet::setDestructiveButtonIndex(NSInteger index)
{
    NSAssertMainThread();
    m_destructiveButtonIndex = m_buttons.validIndex(index);
    rebuildButtons();
}

NSInteger UIActionSheet::firstOtherButtonIndex() const
{
    return m_buttons.firstIndexExcept({ m_cancelButtonIndex, m_destructiveButtonIndex });
}

std::shared_ptr<UIButton> UIActionSheet::buttonAtIndex(NSInteger index) const { return m_buttons.buttonAt(index); }

void UIActionSheet::rebuildButtons()
{
    std::weak_ptr<UIActionSheet> weakSelf = self();
    m_buttons.rebuild([this](NSInteger index) {
        return SystemAlertButtons::Look {
            index == m_destructiveButtonIndex ? SystemAlertStyle::destructiveColor() : SystemAlertStyle::buttonColor(), nullptr,
            index == m_cancelButtonIndex ? UIFont::boldSystemFontOfSize(20) : UIFont::systemFontOfSize(20),
            index == m_cancelButtonIndex ? m_cancelGroup : m_group };
    }, *m_group, [weakSelf](NSInteger index) {
        if (auto sheet = weakSelf.lock())
            sheet->buttonTapped(index);
    });
    setNeedsLayout();
}

CGFloat UIActionSheet::titleHeight(CGFloat width) const
{
    if (m_title.length() == 0)
        return 0;
    return std::ceil(m_titleLabel->sizeThatFits(CGSizeMake(width - 2 * kTitlePadding, 10000)).height) + 2 * kTitlePadding;
}

CGSize UIActionSheet::sizeThatFits(CGSize size) const
{
    const CGFloat width = size.width > 0 ? size.width : UIScreen::mainScreen()->bounds().size.width;
    const NSInteger others = numberOfButtons() - (m_cancelButtonIndex >= 0 ? 1 : 0);
    CGFloat height = kMargin + titleHeight(width - 2 * kMargin) + CGFloat(others) * kButtonHeight;
    if (m_cancelButtonIndex >= 0)
        height += kMargin + kButtonHeight;
    return { width, height + kMargin };
}

void UIActionSheet::layoutSubviews()
{
    const CGFloat width = bounds().size.width - 2 * kMargin;
    const CGFloat title = titleHeight(width);
    m_titleLabel->setHidden(title == 0);
    m_titleLabel->setFrame(CGRectMake(kTitlePadding, kTitlePadding, width - 2 * kTitlePadding, std::max<CGFloat>(0, title - 2 * kTitlePadding)));
    const CGFloat hairline = 1 / UIScreen::mainScreen()->scale();
    const auto& buttons = m_buttons.buttons();
    const auto& separators = m_buttons.separators();
    CGFloat y = title;
    bool first = true;
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        if (NSInteger(index) == m_cancelButtonIndex) {
            separators[index]->setHidden(true);
            continue;
        }
        buttons[index]->setFrame(CGRectMake(0, y, width, kButtonHeight));
        separators[index]->setHidden(first && title == 0);
        separators[index]->setFrame(CGRectMake(0, y, width, hairline));
        first = false;
        y += kButtonHeight;
    }
    m_group->setFrame(CGRectMake(kMargin, kMargin, width, y));
    m_group->setHidden(y == 0);
    m_cancelGroup->setHidden(m_cancelButtonIndex < 0);
    if (m_cancelButtonIndex >= 0) {
        m_cancelGroup->setFrame(CGRectMake(kMargin, kMargin + y + kMargin, width, kButtonHeight));
        buttons[std::size_t(m_cancelButtonIndex)]->setFrame(CGRectMake(0, 0, width, kButtonHeight));
    }
}

void UIActionSheet::showInView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    auto window = view ? view->window() : nullptr;
    if (!window || m_phase != Phase::Idle)
        return;
    m_phase = Phase::Shown;
    if (auto delegate = m_delegate.lock())
        delegate->willPresentActionSheet(*this);
    if (m_phase != Phase::Shown)
        return;
    const CGRect area = window->bounds();
    m_dimming = SystemAlertStyle::dimmingView(area);
    window->addSubview(m_dimming);
    const CGSize size = sizeThatFits(area.size);
    const CGRect shown = CGRectMake(0, area.size.height - size.height, area.size.width, size.height);
    setFrame(CGRectOffset(shown, 0, size.height));
    layoutIfNeeded();
    window->addSubview(self());
    m_dimming->setAlpha(0);
    UIView::animateWithDuration(kAnimationDuration, 0, UIViewAnimationOptionCurveEaseOut, [&] {
        setFrame(shown);
        m_dimming->setAlpha(1);
    }, [weakSelf = std::weak_ptr(self())](bool) {
        auto sheet = weakSelf.lock();
        if (!sheet || sheet->m_phase != Phase::Shown)
            return;
        if (auto delegate = sheet->m_delegate.lock())
            delegate->didPresentActionSheet(*sheet);
    });
}

void UIActionSheet::buttonTapped(NSInteger index)
{
    if (m_phase != Phase::Shown)
        return;
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
}

bool UIActionSheet::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (m_phase != Phase::Shown || !UnclaimedKeyRouting::isBackKey(key, modifiers))
        return false;
    if (m_cancelButtonIndex >= 0)
        buttonTapped(m_cancelButtonIndex);
    return true;
}

void UIActionSheet::dismissWithClickedButtonIndex(NSInteger buttonIndex, bool animated)
{
    NSAssertMainThread();
    if (m_phase != Phase::Shown)
        return;
    m_phase = Phase::Dismissing;
    auto protectedSelf = self();
    if (auto delegate = m_delegate.lock())
        delegate->actionSheetWillDismissWithButtonIndex(*this, buttonIndex);
    auto finish = [protectedSelf, buttonIndex](bool) {
        protectedSelf->removeFromSuperview();
        if (protectedSelf->m_dimming)
            protectedSelf->m_dimming->removeFromSuperview();
        protectedSelf->m_dimming = nullptr;
        protectedSelf->m_phase = Phase::Idle;
        if (auto delegate = protectedSelf->m_delegate.lock())
            delegate->actionSheetDidDismissWithButtonIndex(*protectedSelf, buttonIndex);
    };
    if (!animated) {
        finish(true);
        return;
    }
    UIView::animateWithDuration(kAnimationDuration, 0, UIViewAnimationOptionCurveEaseIn, [&] {
        setFrame(CGRectOffset(frame(), 0, frame().size.height));
        if (m_dimming)
            m_dimming->setAlpha(0);
    }, finish);
}
