#pragma once
// The request-in-flight panel every networked screen shows: one shared view with a spinner and an
// optional line of text, which vanishes or turns into a success or error panel for a moment.
// Screens use only the class operations, on the main thread:
//
//     STProgressHUD::showInView(view(), "正在出题，请稍候...");
//     ... STProgressHUD::dismissWithError(reply.message, 1.0);
//
// The network activity indicator stays on while any show is still waiting for its dismissal in a
// view that is on screen. A result that comes after the panel was dismissed for another request
// is shown again where the panel was.

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

class STProgressHUD : public UIView {
    NS_OBJECT(STProgressHUD, UIView)
public:
    ~STProgressHUD() override;

    static std::shared_ptr<STProgressHUD> sharedView();
    // The class form of setStatus: lays the shared panel out for a text without showing it.
    static void setSharedStatus(const NSString& status) { sharedView()->setStatus(status); }

    // A nil view is the key window's root view, the panel then a little above its middle; posY -1
    // centres the panel in the view.
    static void show();
    static void showInView(const UIViewRef& view);
    static void showInView(const UIViewRef& view, const NSString& status);
    static void showInView(const UIViewRef& view, const NSString& status, bool networkIndicator);
    static void showInView(const UIViewRef& view, const NSString& status, bool networkIndicator, CGFloat posY);
    static void showInView(const UIViewRef& view, const NSString& status, bool networkIndicator, CGFloat posY, int32_t maskType);

    static void dismiss();
    static void dismissWithSuccess(const NSString& status);
    static void dismissWithSuccess(const NSString& status, NSTimeInterval afterDelay);
    static void dismissWithError(const NSString& status);
    static void dismissWithError(const NSString& status, NSTimeInterval afterDelay);

    // Mask 0 lets touches through; 2 dims the view under a black veil at half alpha; any other
    // value blocks touches under a clear one.
    void showInViewStatus(const UIViewRef& view, const NSString& status, bool networkIndicator, CGFloat posY, int32_t maskType);
    void setStatus(const NSString& status);
    void dismissPanel();
    void dismissWithStatus(const NSString& status, bool error);
    void dismissWithStatus(const NSString& status, bool error, NSTimeInterval afterDelay);
    void memoryWarning();

    const std::shared_ptr<UILabel>& stringLabel();
    const std::shared_ptr<UIImageView>& imageView();
    const std::shared_ptr<UIActivityIndicatorView>& spinnerView();
    const std::shared_ptr<NSTimer>& fadeOutTimer() const { return m_fadeOutTimer; }

protected:
    void init(CGRect frame) override;

private:
    void fadeOut();
    void cancelFadeOutTimer();
    // Bookkeeping of the shows that wait for a dismissal, one entry per show.
    void addWaitingShow(const UIViewRef& view);
    void removeWaitingShow();
    void updateNetworkIndicator();

    std::weak_ptr<UIView> m_maskView;
    std::shared_ptr<NSTimer> m_fadeOutTimer;
    std::shared_ptr<UILabel> m_stringLabel;
    std::shared_ptr<UIImageView> m_imageView;
    std::shared_ptr<UIActivityIndicatorView> m_spinnerView;
    std::weak_ptr<UIView> m_lastHostView;
    CGFloat m_lastPosY { 0 };
    std::vector<std::weak_ptr<UIView>> m_waitingShows;
};
