#pragma once
// Presents every TAAlertView in a window of alert level that it makes for itself, over a backdrop
// that dims the screen and catches taps. Only the newest alert of its stack is on screen; the ones
// below come back, newest first, as those above are dismissed.

#include "library/widgets/alert/TAAlertView.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

class TAAlertViewController : public UIViewController {
    NS_OBJECT(TAAlertViewController, UIViewController)
public:
    static const std::shared_ptr<TAAlertViewController>& sharedController();

    void setBackdropColor(const UIColorRef& color);
    void addAlertView(const std::shared_ptr<TAAlertView>& alert);
    void removeAlertView(const std::shared_ptr<TAAlertView>& alert);
    bool containsAlertView(const TAAlertView& alert) const;
    void dismiss(UITapGestureRecognizer&);

    // The application's windows of the level, first, last or each in window order; nil when none.
    static std::shared_ptr<UIWindow> firstWindowWithLevel(UIWindowLevel level);
    static std::shared_ptr<UIWindow> lastWindowWithLevel(UIWindowLevel level);
    static void windowsWithLevel(UIWindowLevel level, const std::function<void(const std::shared_ptr<UIWindow>&)>& block);

    // The screen for the orientation: turned for landscape on systems before version 8, which
    // did not turn it themselves.
    static CGRect frameForOrientation(UIInterfaceOrientation orientation);
    void updateFrameWithOrientation(UIInterfaceOrientation orientation);
    // Alerts turn every way, and leave the status bar as the application has it.
    bool shouldAutorotate() const override { return true; }
    bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation) const override { return true; }
    NSUInteger supportedInterfaceOrientations() const override { return UIInterfaceOrientationMaskAll; }
    bool prefersStatusBarHidden() const override;
    UIStatusBarStyle preferredStatusBarStyle() const override;
    // The window hides while the screen turns, so that the alert is not seen half laid out.
    void willRotateToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration) override;
    void didRotateFromInterfaceOrientation(UIInterfaceOrientation fromOrientation) override;

    const std::vector<std::shared_ptr<TAAlertView>>& alertViews() const { return m_alertViews; }
    std::shared_ptr<TAAlertView> currentAlertView() const { return m_currentAlertView.lock(); }
    const std::shared_ptr<UIWindow>& alertWindow() const { return m_alertWindow; }
    const UIViewRef& backgroundView() const { return m_backgroundView; }

protected:
    void init();

private:
    void showBackgroundView(std::function<void()> completion);
    void hideBackgroundView(std::function<void()> completion);

    std::vector<std::shared_ptr<TAAlertView>> m_alertViews;
    std::weak_ptr<TAAlertView> m_currentAlertView;
    std::shared_ptr<UIWindow> m_alertWindow;
    UIViewRef m_backgroundView;
    std::shared_ptr<UITapGestureRecognizer> m_tapGestureRecognizer;
};
