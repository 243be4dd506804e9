#include "library/widgets/keyboard/KMToolbar.h"

#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreen.h"

void KMToolbar::init(CGRect frame)
{
    // Sized to fit, a bar keeps the width it is made with: the screen's, as the platform's bar takes.
    if (frame.size.width == 0)
        frame.size.width = UIScreen::mainScreen()->bounds().size.width;
    UIToolbar::init(frame);
    sizeToFit();
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    setTintColor(UIColor::blackColor());
}

CGSize KMToolbar::sizeThatFits(CGSize size) const
{
    CGSize fitting = UIToolbar::sizeThatFits(size);
    fitting.height = 44;
    return fitting;
}

void KMToolbar::setToolbarTintColor(const UIColorRef& color)
{
    setTintColor(color);
    for (const auto& item : items())
        item->setTintColor(color);
}

void KMToolbar::setTitle(const NSString& title)
{
    m_title = title;
    for (const auto& item : items())
        if (auto titleItem = std::dynamic_pointer_cast<KMTitleBarButtonItem>(item))
            titleItem->setItemTitle(title);
}

void KMToolbar::setTitleFont(const UIFontRef& font)
{
    m_titleFont = font;
    for (const auto& item : items())
        if (auto titleItem = std::dynamic_pointer_cast<KMTitleBarButtonItem>(item))
            titleItem->setFont(font);
}

void KMTitleBarButtonItem::init(CGRect frame, const NSString& title)
{
    KMBarButtonItem::init(NSString(), UIBarButtonItemStylePlain);
    m_titleLabel = UILabel::create(frame);
    m_titleLabel->setBackgroundColor(UIColor::clearColor());
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    m_titleLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    setFont(UIFont::boldSystemFontOfSize(12));
    setItemTitle(title);
    setCustomView(m_titleLabel);
    setEnabled(false);
}

void KMTitleBarButtonItem::setItemTitle(const NSString& title)
{
    setTitle(title);
    m_titleLabel->setText(title);
}

void KMTitleBarButtonItem::setFont(const UIFontRef& font)
{
    m_font = font;
    m_titleLabel->setFont(font);
}

void KMSegmentedNextPrevious::init(Action previousAction, Action nextAction)
{
    UISegmentedControl::init(std::vector<Item> { KMLocalizedString("Previous"), KMLocalizedString("Next") });
    setMomentary(true);
    setTintColor(UIColor::blackColor());
    m_previousAction = std::move(previousAction);
    m_nextAction = std::move(nextAction);
    addTarget(nullptr, UIControl::Action([this](UIControl& sender, const UIEventRef&) {
        segmentedControlHandler(static_cast<UISegmentedControl&>(sender));
    }), UIControlEventValueChanged);
}

// The actions hear the control as their sender; nothing undefined reaches them.
void KMSegmentedNextPrevious::segmentedControlHandler(UISegmentedControl& sender)
{
    const NSInteger segment = sender.selectedSegmentIndex();
    if (segment == 0 && m_previousAction)
        m_previousAction(sender);
    else if (segment == 1 && m_nextAction)
        m_nextAction(sender);
}

namespace {

std::shared_ptr<NSBundle> keyboardBundle()
{
    // A resource bundle is a folder, which the main bundle's file lookup does not answer.
    return NSBundle::bundleWithPath(NSBundle::mainBundle()->bundlePath().stringByAppendingPathComponent("KMKeyboardManager.bundle"));
}

} // namespace

NSString KMLocalizedString(const NSString& key)
{
    auto bundle = keyboardBundle();
    return bundle ? bundle->localizedStringForKey(key, "", "KMKeyboardManager") : key;
}

UIImageRef KMBundleImage(const NSString& name) { return UIImage::imageNamed(NSString("KMKeyboardManager.bundle/") + name); }
