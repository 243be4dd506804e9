#pragma once
// The learner's home: eight tiles, three strips, the school-evaluation check and the
// video-account check.

#include "app/screens/home/HomeScreen.h"
#include "platform/uikit/UIAlertView.h"

class MainViewController : public HomeScreen, public UIAlertViewDelegate {
    NS_OBJECT(MainViewController, HomeScreen)
public:
    void viewDidLoad() override;
    void aboutMe(UIControl&) override;
    void menuEvent(UIControl& sender) override;
    void isSchoolEvaluate();
    void videoStudLogin(bool flag);
    void evaluateSuccess(const std::shared_ptr<NSNotification>&);
    void alertViewClickedButtonAtIndex(UIAlertView&, NSInteger buttonIndex) override;
    // While a tile's request runs, taps on that tile do nothing.
    bool isCheckingEvaluation() const { return m_checkingEvaluation; }
    bool isCheckingVideo() const { return m_checkingVideo; }

protected:
    std::vector<std::pair<const char*, const char*>> gridItems() const override;
    std::vector<Strip> stripItems() const override;

private:
    void schoolEvaluateReply(const id& reply);
    void videoReply(const id& reply);

    bool m_checkingEvaluation { false };
    bool m_checkingVideo { false };
};
