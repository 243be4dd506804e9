#pragma once
// The notice card over a dimmed screen: "公告栏", the notice's title, date and scrolling text,
// and a close button on the card's corner that fades the whole view out.

#include "platform/foundation/NSDictionary.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScrollView.h"

class NoticeView : public UIView {
    NS_OBJECT(NoticeView, UIView)
public:
    void initViews(const std::shared_ptr<NSDictionary>& notice);
    void closeEvent(UIControl&);
    // Escape or Alt+Left closes the card, as its close button does; the screen under it stays.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

    const std::shared_ptr<UIView>& card() const { return m_card; }
    const std::shared_ptr<UIButton>& closeButton() const { return m_closeButton; }
    const std::shared_ptr<UIScrollView>& contentScroller() const { return m_scroller; }

protected:
    void init(CGRect frame, const std::shared_ptr<NSDictionary>& notice);

private:
    std::shared_ptr<UIView> m_card;
    std::shared_ptr<UIButton> m_closeButton;
    std::shared_ptr<UIScrollView> m_scroller;
};
