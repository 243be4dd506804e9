#pragma once
// The learner's settings: the photo and name card, the password, about and messages rows, and
// the logout.
#include "app/screens/base/NoXibViewController.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScrollView.h"

class SetupViewController : public NoXibViewController, public UIAlertViewDelegate {
    NS_OBJECT(SetupViewController, NoXibViewController)
public:
    static constexpr NSInteger kLogoutAlertTag = 1;
    static constexpr NSInteger kVersionAlertTag = 2;

    void loadView() override;
    void myInfoBtnEvent(UIControl&);
    void updatePwdEvent(UIControl&);
    void aboutEvent(UIControl&);
    void myMessageEvent(UIControl&);
    // Opens the appeal results; no control of this screen leads there.
    void appealQueryEvent(UIControl&);
    void logoutEvent(UIControl&);
    void upgradeEvent(UIControl&);
    void alertViewClickedButtonAtIndex(UIAlertView& alert, NSInteger buttonIndex) override;

    const std::shared_ptr<UIScrollView>& vScrollView() const { return m_vScrollView; }
    const std::shared_ptr<UIImageView>& photoView() const { return m_photoView; }
    // The row buttons from the top: card, password, about, messages, logout.
    const std::vector<std::shared_ptr<UIButton>>& rowButtons() const { return m_rows; }

protected:
    using Action = void (SetupViewController::*)(UIControl&);
    // A row button in the scroller, kept among the rows.
    std::shared_ptr<UIButton> rowButton(CGRect frame, Action action);
    std::shared_ptr<UIButton> addRow(CGFloat y, const NSString& icon, const NSString& text, Action action);
    CGFloat addHeader(CGFloat y);
    // The logout row 30 points below y, and the scroller's height ending under it.
    void addLogoutBelow(CGFloat y);
    virtual bool postsCleanLoginInfo() const { return true; }

    std::shared_ptr<UIScrollView> m_vScrollView;
    std::vector<std::shared_ptr<UIButton>> m_rows;

private:
    std::shared_ptr<UIImageView> m_photoView;
};
