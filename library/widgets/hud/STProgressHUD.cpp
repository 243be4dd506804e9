#include "library/widgets/hud/STProgressHUD.h"

#include "library/widgets/hud/ScreenWindow.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <cmath>

namespace {

// Released only by a memory warning while the panel is hidden; the main thread is its only user.
std::shared_ptr<STProgressHUD>& sharedInstance()
{
    static std::shared_ptr<STProgressHUD> instance;
    return instance;
}

constexpr NSTimeInterval kFadeDuration = 0.15;

} // namespace

std::shared_ptr<STProgressHUD> STProgressHUD::sharedView()
{
    auto& instance = sharedInstance();
    if (!instance)
        instance = create(CGRectZero);
    return instance;
}

void STProgressHUD::init(CGRect frame)
{
    UIView::init(frame);
    layer()->setCornerRadius(10);
    setBackgroundColor(UIColor::colorWithWhite(0, 0.8));
    setUserInteractionEnabled(false);
    layer()->setOpacity(0);
    setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin
        | UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    NSNotificationCenter::defaultCenter()->addObserver(self(), &STProgressHUD::memoryWarning,
        UIApplicationDidReceiveMemoryWarningNotification, nullptr);
}

STProgressHUD::~STProgressHUD()
{
    if (m_fadeOutTimer)
        m_fadeOutTimer->invalidate();
    NSNotificationCenter::defaultCenter()->removeObserver(this);
}

const std::shared_ptr<UILabel>& STProgressHUD::stringLabel()
{
    if (!m_stringLabel) {
        m_stringLabel = UILabel::create(CGRectZero);
        m_stringLabel->setTextColor(UIColor::whiteColor());
        m_stringLabel->setBackgroundColor(UIColor::clearColor());
        m_stringLabel->setAdjustsFontSizeToFitWidth(true);
        m_stringLabel->setTextAlignment(NSTextAlignmentCenter);
        m_stringLabel->setBaselineAdjustment(UIBaselineAdjustmentAlignCenters);
        m_stringLabel->setFont(UIFont::boldSystemFontOfSize(16));
        m_stringLabel->setShadowColor(UIColor::blackColor());
        m_stringLabel->setShadowOffset(CGSizeMake(0, -1));
        addSubview(m_stringLabel);
    }
    return m_stringLabel;
}

const std::shared_ptr<UIImageView>& STProgressHUD::imageView()
{
    if (!m_imageView) {
        m_imageView = UIImageView::create(CGRectMake(0, 0, 28, 28));
        addSubview(m_imageView);
    }
    return m_imageView;
}

const std::shared_ptr<UIActivityIndicatorView>& STProgressHUD::spinnerView()
{
    if (!m_spinnerView) {
        m_spinnerView = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleWhiteLarge);
        m_spinnerView->setHidesWhenStopped(true);
        m_spinnerView->setBounds(CGRectMake(0, 0, 37, 37));
        addSubview(m_spinnerView);
    }
    return m_spinnerView;
}

void STProgressHUD::show() { showInView(nullptr, NSString()); }
void STProgressHUD::showInView(const UIViewRef& view) { showInView(view, NSString()); }
void STProgressHUD::showInView(const UIViewRef& view, const NSString& status) { showInView(view, status, true); }
void STProgressHUD::showInView(const UIViewRef& view, const NSString& status, bool networkIndicator)
{
    showInView(view, status, networkIndicator, -1);
}
void STProgressHUD::showInView(const UIViewRef& view, const NSString& status, bool networkIndicator, CGFloat posY)
{
    showInView(view, status, networkIndicator, posY, 0);
}

void STProgressHUD::showInView(const UIViewRef& view, const NSString& status, bool networkIndicator, CGFloat posY, int32_t maskType)
{
    NSAssertMainThread();
    const UIViewRef host = ScreenWindow::hostFor(view);
    if (!host)
        return;
    if (posY == -1) {
        const CGFloat height = host->bounds().size.height;
        posY = std::floor(height * 0.5);
        if (!view)
            posY -= std::floor(height / 18);
    }
    sharedView()->showInViewStatus(host, status, networkIndicator, posY, maskType);
}

void STProgressHUD::dismiss() { sharedView()->dismissPanel(); }
void STProgressHUD::dismissWithSuccess(const NSString& status) { sharedView()->dismissWithStatus(status, false); }
void STProgressHUD::dismissWithSuccess(const NSString& status, NSTimeInterval afterDelay)
{
    sharedView()->dismissWithStatus(status, false, afterDelay);
}
void STProgressHUD::dismissWithError(const NSString& status) { sharedView()->dismissWithStatus(status, true); }
void STProgressHUD::dismissWithError(const NSString& status, NSTimeInterval afterDelay)
{
    sharedView()->dismissWithStatus(status, true, afterDelay);
}

void STProgressHUD::setStatus(const NSString& status)
{
    const CGFloat textWidth = status.isNil() ? 0 : UIStringDrawing::sizeWithFont(status, stringLabel()->font()).width;
    CGFloat width = 100;
    if (textWidth + 28 > 100)
        width = 2 * std::ceil((textWidth + 28) / 2);
    setBounds(CGRectMake(0, 0, width, 100));
    imageView()->setCenter(CGPointMake(width * 0.5, 36));
    stringLabel()->setHidden(false);
    stringLabel()->setText(status);
    stringLabel()->setFrame(CGRectMake(0, 66, width, 20));
    spinnerView()->setCenter(CGPointMake(std::ceil(width * 0.5) + 0.5, status.isNil() ? std::ceil(100 * 0.5) + 0.5 : 40.5));
}

void STProgressHUD::showInViewStatus(const UIViewRef& view, const NSString& status, bool networkIndicator, CGFloat posY, int32_t maskType)
{
    NSAssertMainThread();
    if (!view)
        return;
    cancelFadeOutTimer();
    if (networkIndicator)
        addWaitingShow(view);
    updateNetworkIndicator();
    imageView()->setHidden(true);
    setStatus(status);
    spinnerView()->startAnimating();

    auto mask = m_maskView.lock();
    if (!mask && maskType != 0) {
        mask = UIView::create(view->bounds());
        mask->setBackgroundColor(UIColor::clearColor());
        mask->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        view->addSubview(mask);
        m_maskView = mask;
    }
    if (!isDescendantOfView(view)) {
        layer()->setOpacity(0);
        view->addSubview(self());
    }
    m_lastHostView = view;
    m_lastPosY = posY;
    if (layer()->opacity() != 1.0f) {
        setCenter(CGPointMake(superview()->bounds().size.width * 0.5, posY));
        setTransform(CGAffineTransformMakeScale(1.3, 1.3));
        layer()->setOpacity(0.3f);
        std::weak_ptr<UIView> weakMask = mask;
        auto panel = self();
        UIView::animateWithDuration(kFadeDuration, 0, UIViewAnimationOptionAllowUserInteraction, [panel, weakMask, maskType] {
            panel->setTransform(CGAffineTransformIdentity);
            panel->setAlpha(1);
            if (auto overlay = weakMask.lock(); overlay && maskType == 2)
                overlay->setBackgroundColor(UIColor::colorWithWhite(0, 0.5));
        }, nullptr);
    }
}

void STProgressHUD::dismissPanel()
{
    NSAssertMainThread();
    removeWaitingShow();
    fadeOut();
}

void STProgressHUD::fadeOut()
{
    updateNetworkIndicator();
    std::weak_ptr<STProgressHUD> weakSelf = self();
    UIView::animateWithDuration(kFadeDuration, 0, UIViewAnimationOptionLayoutSubviews | UIViewAnimationOptionAllowUserInteraction,
        [weakSelf] {
            auto panel = weakSelf.lock();
            if (!panel)
                return;
            panel->setTransform(CGAffineTransformMakeScale(0.8, 0.8));
            panel->setAlpha(0);
            if (auto overlay = panel->m_maskView.lock())
                overlay->setBackgroundColor(UIColor::clearColor());
        },
        [weakSelf](bool) {
            auto panel = weakSelf.lock();
            // A show that came in meanwhile has the panel on its way back in.
            if (!panel || panel->layer()->opacity() != 0)
                return;
            if (auto overlay = panel->m_maskView.lock())
                overlay->removeFromSuperview();
            panel->m_maskView.reset();
            panel->removeFromSuperview();
        });
}

void STProgressHUD::dismissWithStatus(const NSString& status, bool error) { dismissWithStatus(status, error, 0.9); }

void STProgressHUD::dismissWithStatus(const NSString& status, bool error, NSTimeInterval afterDelay)
{
    NSAssertMainThread();
    removeWaitingShow();
    updateNetworkIndicator();
    imageView()->setImage(UIImage::imageNamed(error ? "STProgressHUD.bundle/error.png" : "STProgressHUD.bundle/success.png"));
    imageView()->setHidden(false);
    setStatus(status);
    spinnerView()->stopAnimating();
    cancelFadeOutTimer();
    std::weak_ptr<STProgressHUD> weakSelf = self();
    m_fadeOutTimer = NSTimer::scheduledTimerWithTimeInterval(afterDelay, [weakSelf](const auto&) {
        if (auto panel = weakSelf.lock()) {
            panel->m_fadeOutTimer.reset();
            panel->fadeOut();
        }
    }, false);

    // The panel was dismissed for another request: the result would be lost, so it comes back
    // where it last was.
    auto host = m_lastHostView.lock();
    const bool onScreen = superview() && layer()->opacity() != 0;
    if (!onScreen && host && host->window()) {
        if (!isDescendantOfView(host))
            host->addSubview(self());
        setCenter(CGPointMake(host->bounds().size.width * 0.5, m_lastPosY));
        setTransform(CGAffineTransformMakeScale(1.3, 1.3));
        layer()->setOpacity(0.3f);
        auto panel = self();
        UIView::animateWithDuration(kFadeDuration, 0, UIViewAnimationOptionAllowUserInteraction, [panel] {
            panel->setTransform(CGAffineTransformIdentity);
            panel->setAlpha(1);
        }, nullptr);
    }
}

void STProgressHUD::cancelFadeOutTimer()
{
    if (m_fadeOutTimer) {
        m_fadeOutTimer->invalidate();
        m_fadeOutTimer.reset();
    }
}

// A panel waiting to fade out is kept, so the next call never makes a second one beside it.
void STProgressHUD::memoryWarning()
{
    auto& instance = sharedInstance();
    if (instance.get() == this && !superview() && !m_fadeOutTimer)
        instance.reset();
}

void STProgressHUD::addWaitingShow(const UIViewRef& view) { m_waitingShows.push_back(view); }

void STProgressHUD::removeWaitingShow()
{
    if (!m_waitingShows.empty())
        m_waitingShows.erase(m_waitingShows.begin());
}

// A show whose screen has gone (a request that never answered, a forced return to the login
// screen) no longer keeps the indicator on.
void STProgressHUD::updateNetworkIndicator()
{
    std::erase_if(m_waitingShows, [](const std::weak_ptr<UIView>& entry) {
        auto view = entry.lock();
        return !view || !view->window();
    });
    UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(!m_waitingShows.empty());
}
