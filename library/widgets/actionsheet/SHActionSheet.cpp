#include "library/widgets/actionsheet/SHActionSheet.h"

#include "library/network/device/UIDevice_System.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

namespace {

constexpr CGFloat kButtonX = 30;
constexpr CGFloat kButtonWidth = 260;
constexpr CGFloat kButtonHeight = 40;
constexpr NSTimeInterval kSlideDuration = 0.25;

CGRect screenBounds() { return UIScreen::mainScreen()->bounds(); }

} // namespace

void SHActionSheet::init(const NSString& title, const std::shared_ptr<SHActionSheetDelegate>& delegate, const NSString& cancelButtonTitle,
    const NSString& destructiveButtonTitle, const std::vector<NSString>& otherButtonTitles)
{
    const CGRect screen = screenBounds();
    UIView::init(CGRectMake(0, 0, screen.size.width, screen.size.height));
    setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
    setUserInteractionEnabled(true);
    addGestureRecognizer(UITapGestureRecognizer::create(self(), &SHActionSheet::tappedCancel));
    if (delegate)
        m_delegate = delegate;
    creatButtonsWithTitle(title, cancelButtonTitle, destructiveButtonTitle, otherButtonTitles);
}

void SHActionSheet::creatButtonsWithTitle(const NSString& title, const NSString& cancelButtonTitle,
    const NSString& destructionButtonTitle, const std::vector<NSString>& otherButtonTitles)
{
    const CGRect screen = screenBounds();
    m_backGroundView = UIView::create(CGRectMake(0, screen.size.height, screen.size.width, 0));
    m_backGroundView->setBackgroundColor(UIColor::colorWithRed(106 / 255.0, 106 / 255.0, 106 / 255.0, 0.8));
    m_backGroundView->addGestureRecognizer(UITapGestureRecognizer::create(self(), &SHActionSheet::tappedBackGroundView));
    addSubview(m_backGroundView);

    CGFloat& H = m_SHActionSheetHeight;
    if (!title.isNil()) {
        m_isHadTitle = true;
        H += 30 + 35;
        m_backGroundView->addSubview(creatTitleLabelWith(title));
    }
    const bool hasOthers = !otherButtonTitles.empty();
    if (!destructionButtonTitle.isNil()) {
        m_isHadDestructionButton = true;
        auto button = creatDestructiveButtonWith(destructionButtonTitle);
        button->setTag(m_postionIndexNumber);
        if (m_isHadTitle) {
            CGRect frame = button->frame();
            frame.origin.y = H;
            button->setFrame(frame);
            H += kButtonHeight + (hasOthers ? 10 : 20);
        } else {
            // A lone button keeps the 20 points below it that it has above.
            H += kButtonHeight + (hasOthers ? 30 : 40);
        }
        button->addTarget(self(), &SHActionSheet::clickOnButtonWith, UIControlEventTouchUpInside);
        m_backGroundView->addSubview(button);
        ++m_postionIndexNumber;
    }
    if (hasOthers) {
        m_isHadOtherButton = true;
        const bool alone = !m_isHadTitle && !m_isHadDestructionButton;
        for (std::size_t i = 0; i < otherButtonTitles.size(); ++i) {
            const bool last = i + 1 == otherButtonTitles.size();
            auto button = creatOtherButtonWith(otherButtonTitles[i], static_cast<NSInteger>(i));
            if (alone) {
                // The made frame stands (y = 50 i + 20), so the last button adds the 20 points
                // above the first as well as its own margin below.
                H += kButtonHeight + (last ? 40 : 10);
            } else {
                CGRect frame = button->frame();
                frame.origin.y = H;
                button->setFrame(frame);
                H += kButtonHeight + (last ? 20 : 10);
            }
            button->setTag(m_postionIndexNumber);
            button->addTarget(self(), &SHActionSheet::clickOnButtonWith, UIControlEventTouchUpInside);
            m_backGroundView->addSubview(button);
            ++m_postionIndexNumber;
        }
    }
    if (!cancelButtonTitle.isNil()) {
        m_isHadCancelButton = true;
        auto button = creatCancelButtonWith(cancelButtonTitle);
        button->setTag(m_postionIndexNumber);
        if (!m_isHadTitle && !m_isHadDestructionButton && !m_isHadOtherButton) {
            H += kButtonHeight + 40;
        } else {
            CGRect frame = button->frame();
            frame.origin.y = H;
            button->setFrame(frame);
            H += kButtonHeight + 20;
        }
        button->addTarget(self(), &SHActionSheet::clickOnButtonWith, UIControlEventTouchUpInside);
        m_backGroundView->addSubview(button);
        ++m_postionIndexNumber;
    }

    auto panel = m_backGroundView;
    const CGFloat height = H;
    UIView::animateWithDuration(kSlideDuration, [panel, screen, height] {
        panel->setFrame(CGRectMake(0, screen.size.height - height, screen.size.width, height));
    });
}

void SHActionSheet::showInView(const UIViewRef&)
{
    auto delegate = UIApplication::sharedApplication()->delegate();
    auto window = delegate ? delegate->window() : nullptr;
    if (!window || !window->rootViewController())
        return;
    window->rootViewController()->view()->addSubview(self());
}

void SHActionSheet::tappedCancel()
{
    const CGRect screen = screenBounds();
    auto protectedSelf = self();
    UIView::animateWithDuration(kSlideDuration, [protectedSelf, screen] {
        protectedSelf->m_backGroundView->setFrame(CGRectMake(0, screen.size.height, screen.size.width, 0));
        protectedSelf->setAlpha(0);
    }, [protectedSelf](bool) { protectedSelf->removeFromSuperview(); });
}

void SHActionSheet::tappedBackGroundView() { }

bool SHActionSheet::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!UnclaimedKeyRouting::isBackKey(key, modifiers) || !superview())
        return false;
    if (!m_isHadCancelButton)
        return true;
    const auto buttons = m_backGroundView->subviews();
    for (const auto& view : buttons) {
        auto button = std::dynamic_pointer_cast<UIButton>(view);
        if (button && button->tag() == m_postionIndexNumber - 1) {
            clickOnButtonWith(*button);
            break;
        }
    }
    return true;
}

void SHActionSheet::clickOnButtonWith(UIButton& button)
{
    auto protectedSelf = self();
    const NSInteger tag = button.tag();
    if (auto sheetDelegate = delegate()) {
        if (m_isHadDestructionButton && tag == 0)
            sheetDelegate->didClickOnDestructiveButton(*this);
        if (m_isHadCancelButton && tag == m_postionIndexNumber - 1)
            sheetDelegate->didClickOnCancelButton(*this);
        sheetDelegate->didClickOnButtonIndex(*this, tag);
    }
    tappedCancel();
}

// MARK: Parts

UIImageRef SHActionSheet::stretchableImage(const NSString& name)
{
    auto image = UIImage::imageNamed(name);
    if (!image)
        return nullptr;
    if (UIDevice_System::isSystemGreaterEqualOS6(UIDevice::currentDevice()))
        return image->resizableImageWithCapInsets(UIEdgeInsetsMake(20, 20, 20, 20), UIImageResizingModeStretch);
    return image->stretchableImageWithLeftCapWidth(20, 20);
}

UILabelRef SHActionSheet::creatTitleLabelWith(const NSString& title)
{
    auto label = UILabel::create(CGRectMake(kButtonX, 15, kButtonWidth, 35));
    label->setBackgroundColor(UIColor::clearColor());
    label->setTextAlignment(NSTextAlignmentCenter);
    label->setTextColor(UIColor::whiteColor());
    label->setNumberOfLines(2);
    label->setFont(UIFont::fontWithName("Helvetica-Bold", 14));
    label->setShadowColor(UIColor::blackColor());
    label->setShadowOffset(CGSizeMake(0, 0.8));
    label->setText(title);
    return label;
}

UIButtonRef SHActionSheet::creatDestructiveButtonWith(const NSString& title)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(kButtonX, 20, kButtonWidth, kButtonHeight));
    button->setBackgroundImage(stretchableImage("button_nor"), UIControlStateNormal);
    button->setBackgroundImage(stretchableImage("button_acc"), UIControlStateHighlighted);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateHighlighted);
    button->titleLabel()->setFont(UIFont::fontWithName("HelveticaNeue-Bold", 18));
    return button;
}

UIButtonRef SHActionSheet::creatOtherButtonWith(const NSString& title, NSInteger postion)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(kButtonX, 50 * postion + 20, kButtonWidth, kButtonHeight));
    button->setBackgroundColor(UIColor::whiteColor());
    button->layer()->setCornerRadius(5);
    button->setClipsToBounds(true);
    button->layer()->setBorderWidth(0.5);
    button->layer()->setBorderColor(UIColor::colorWithWhite(0, 0.8)->CGColor());
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
    button->setTitleColor(UIColor::lightGrayColor(), UIControlStateHighlighted);
    button->titleLabel()->setFont(UIFont::fontWithName("HelveticaNeue-Bold", 18));
    return button;
}

UIButtonRef SHActionSheet::creatCancelButtonWith(const NSString& title)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(kButtonX, 20, kButtonWidth, kButtonHeight));
    button->setBackgroundImage(stretchableImage("button_acc"), UIControlStateNormal);
    button->setBackgroundImage(stretchableImage("button_nor"), UIControlStateHighlighted);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateHighlighted);
    button->titleLabel()->setFont(UIFont::fontWithName("HelveticaNeue-Bold", 18));
    return button;
}
