#include "library/widgets/keyboard/KMToolbar.h"

#include "library/widgets/keyboard/KMTitleBarButtonItem.h"
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
    // Drawn opaque: the buttons of the screen it covers must not show through it.
    setTranslucent(false);
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

// The actions hear the control as their sender; nothing undefined reaches them.

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
