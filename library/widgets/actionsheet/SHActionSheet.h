#pragma once
// A sheet of buttons that slides up from the bottom of the screen over a dimmed layer: an
// optional title, an optional destructive button, other buttons and an optional cancel button,
// from the top. Buttons are tagged in that order from 0; a tap on one, or on the dimmed area,
// slides the sheet away.
//
//     auto sheet = SHActionSheet::create("选择照片", self(), "取消", "删除", { "拍照", "从相册选择" });
//     sheet->showInView(view());

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITapGestureRecognizer.h"

class SHActionSheet;

class SHActionSheetDelegate {
public:
    virtual ~SHActionSheetDelegate() = default;
    virtual void didClickOnButtonIndex(SHActionSheet&, NSInteger buttonIndex) { (void)buttonIndex; }
    virtual void didClickOnCancelButton(SHActionSheet&) { }
    virtual void didClickOnDestructiveButton(SHActionSheet&) { }
};

class SHActionSheet : public UIView {
    NS_OBJECT(SHActionSheet, UIView)
public:
    // Shown in the root view of the application's window, whatever view is given.
    void showInView(const UIViewRef& view);
    void tappedCancel();
    void tappedBackGroundView();
    void clickOnButtonWith(UIButton& button);
    // Escape or Alt+Left is the cancel button; a sheet without one keeps the keys from what
    // lies below it.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

    std::shared_ptr<SHActionSheetDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<SHActionSheetDelegate>& delegate) { m_delegate = delegate; }
    const NSString& actionTitle() const { return m_actionTitle; }
    void setActionTitle(const NSString& title) { m_actionTitle = title; }
    const UIViewRef& backGroundView() const { return m_backGroundView; }
    CGFloat SHActionSheetHeight() const { return m_SHActionSheetHeight; }
    NSInteger postionIndexNumber() const { return m_postionIndexNumber; }
    bool isHadTitle() const { return m_isHadTitle; }
    bool isHadDestructionButton() const { return m_isHadDestructionButton; }
    bool isHadOtherButton() const { return m_isHadOtherButton; }
    bool isHadCancelButton() const { return m_isHadCancelButton; }

protected:
    void init(const NSString& title, const std::shared_ptr<SHActionSheetDelegate>& delegate, const NSString& cancelButtonTitle,
        const NSString& destructiveButtonTitle, const std::vector<NSString>& otherButtonTitles);

private:
    void creatButtonsWithTitle(const NSString& title, const NSString& cancelButtonTitle, const NSString& destructionButtonTitle,
        const std::vector<NSString>& otherButtonTitles);
    UILabelRef creatTitleLabelWith(const NSString& title);
    UIButtonRef creatDestructiveButtonWith(const NSString& title);
    UIButtonRef creatOtherButtonWith(const NSString& title, NSInteger postion);
    UIButtonRef creatCancelButtonWith(const NSString& title);
    static UIImageRef stretchableImage(const NSString& name);

    UIViewRef m_backGroundView;
    NSString m_actionTitle;
    NSInteger m_postionIndexNumber { 0 };
    bool m_isHadTitle { false };
    bool m_isHadDestructionButton { false };
    bool m_isHadOtherButton { false };
    bool m_isHadCancelButton { false };
    CGFloat m_SHActionSheetHeight { 0 };
    std::weak_ptr<SHActionSheetDelegate> m_delegate;
};
