#include "library/widgets/player/VPMoviePlayerController.h"

#include "library/widgets/player/UIApplication_VPAppDimensions.h"
#include "library/widgets/player/UIDevice_VPSystemVersion.h"
#include "library/widgets/player/VPMoviePlayerControls.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNotification.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGAffineTransform.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIWindow.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

#include <cmath>

namespace {

constexpr const char* kTimedOutSelector = "movieTimedOut";
constexpr NSTimeInterval kFullscreenFade = 0.3;
constexpr NSUInteger kLinear = UIViewAnimationOptionCurveLinear;

// The black ground of the player's own fullscreen: Escape or Alt+Left leaves the fullscreen, as
// the controls' button does.
class MovieBackgroundView : public UIView {
    NS_OBJECT(MovieBackgroundView, UIView)
public:
    void setPlayer(const std::shared_ptr<VPMoviePlayerController>& player) { m_player = player; }
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override
    {
        auto player = m_player.lock();
        if (!player || !player->isFullscreen() || !UnclaimedKeyRouting::isBackKey(key, modifiers))
            return false;
        if (auto controls = player->controls())
            controls->fullscreen(nullptr);
        else
            player->setFullscreen(false, true);
        return true;
    }

private:
    std::weak_ptr<VPMoviePlayerController> m_player;
};

std::shared_ptr<UIWindow> presentingWindow()
{
    auto application = UIApplication::sharedApplication();
    if (auto key = application->keyWindow())
        return key;
    auto windows = application->windows();
    return windows.empty() ? nullptr : windows.front();
}

} // namespace

bool VPMoviePlayerController::init(CGRect frame)
{
    if (!super::init(nullptr))
        return false;
    view()->setFrame(frame);
    view()->setBackgroundColor(UIColor::blackColor());
    setControlStyle(MPMovieControlStyleNone);
    m_movieFullscreen = false;
    if (!m_movieBackgroundView) {
        auto background = MovieBackgroundView::create();
        background->setPlayer(self());
        m_movieBackgroundView = background;
        m_movieBackgroundView->setAlpha(0);
        m_movieBackgroundView->setBackgroundColor(UIColor::blackColor());
    }
    return true;
}

VPMoviePlayerController::~VPMoviePlayerController()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(this);
}

void VPMoviePlayerController::setControls(const std::shared_ptr<VPMoviePlayerControls>& controls)
{
    NSAssertMainThread();
    if (controls == m_controls)
        return;
    m_controls = controls;
    if (!m_controls)
        return;
    const CGSize size = view()->frame().size;
    m_controls->setFrame(CGRectMake(0, 0, size.width, size.height));
    view()->addSubview(m_controls);
}

void VPMoviePlayerController::setContentURL(const std::shared_ptr<NSURL>& url)
{
    NSAssertMainThread();
    if (!m_controls)
        NSException::exceptionWithName(VPMoviePlayerControllerException, "Set contentURL after setting controls.").raise();
    super::setContentURL(url);
    NSNotificationCenter::defaultCenter()->postNotificationName(VPMoviePlayerContentURLDidChangeNotification, nullptr);
    play();
}

void VPMoviePlayerController::setFrame(CGRect frame)
{
    view()->setFrame(frame);
    if (m_controls)
        m_controls->setFrame(CGRectMake(0, 0, frame.size.width, frame.size.height));
}

void VPMoviePlayerController::play()
{
    super::play();
    auto url = contentURL();
    if ((url && url->isFileURL()) || loadState() != MPMovieLoadStateUnknown)
        return;
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(this, MPMoviePlayerLoadStateDidChangeNotification, nullptr);
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(this, kTimedOutSelector, nullptr);
    center->addObserver(self(), &VPMoviePlayerController::videoLoadStateChanged, MPMoviePlayerLoadStateDidChangeNotification, self());
    m_watchingLoad = true;
    std::weak_ptr<VPMoviePlayerController> weakSelf = self();
    DelayedPerform::performSelector(self(), kTimedOutSelector, nullptr, kLoadTimeout, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->movieTimedOut();
    });
}

void VPMoviePlayerController::stop()
{
    endLoadWatch();
    super::stop();
}

void VPMoviePlayerController::endLoadWatch()
{
    if (!m_watchingLoad)
        return;
    m_watchingLoad = false;
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(this, kTimedOutSelector, nullptr);
    NSNotificationCenter::defaultCenter()->removeObserver(this, MPMoviePlayerLoadStateDidChangeNotification, nullptr);
}

void VPMoviePlayerController::videoLoadStateChanged(const std::shared_ptr<NSNotification>&)
{
    // Any state that can play ends the watch, playthrough or not: the movie has arrived.
    if (loadState() & MPMovieLoadStatePlayable)
        endLoadWatch();
}

void VPMoviePlayerController::movieTimedOut()
{
    m_watchingLoad = false;
    NSNotificationCenter::defaultCenter()->removeObserver(this, MPMoviePlayerLoadStateDidChangeNotification, nullptr);
    const MPMovieLoadState ready = MPMovieLoadStatePlayable | MPMovieLoadStatePlaythroughOK;
    if ((loadState() & ready) == ready)
        return;
    if (auto delegate = m_delegate.lock())
        delegate->movieTimedOut();
}

CGFloat VPMoviePlayerController::statusBarHeightInOrientation(UIInterfaceOrientation) const
{
    if (VPSystemVersion::iOSVersion() >= 7.0f)
        return 0;
    return UIApplication::sharedApplication()->isStatusBarHidden() ? 0 : 20;
}

void VPMoviePlayerController::rotateMoviePlayerForOrientation(UIInterfaceOrientation orientation, bool animated,
    std::function<void()> completion)
{
    const CGSize size = VPAppDimensions::sizeInOrientation(orientation);
    const CGFloat w = size.width;
    const CGFloat h = size.height;
    const CGFloat s = statusBarHeightInOrientation(orientation);
    CGFloat angle = 0;
    CGRect backgroundFrame = CGRectMake(-20, s - 20, w + 40, h + 40);
    switch (orientation) {
    case UIInterfaceOrientation::LandscapeLeft:
        angle = -M_PI_2;
        backgroundFrame = CGRectMake(s - 20, -20, h + 40, w + 40);
        break;
    case UIInterfaceOrientation::LandscapeRight:
        angle = M_PI_2;
        backgroundFrame = CGRectMake(-20, -20, h + 40, w + 40);
        break;
    case UIInterfaceOrientation::PortraitUpsideDown:
        angle = M_PI;
        backgroundFrame = CGRectMake(-20, -20, w + 40, h + 40);
        break;
    default:
        break;
    }
    std::weak_ptr<VPMoviePlayerController> weakSelf = self();
    auto apply = [weakSelf, angle, backgroundFrame, w, h] {
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf)
            return;
        protectedSelf->m_movieBackgroundView->setTransform(CGAffineTransformMakeRotation(angle));
        protectedSelf->m_movieBackgroundView->setFrame(backgroundFrame);
        protectedSelf->setFrame(CGRectMake(20, 20, w, h));
    };
    if (animated) {
        UIView::animateWithDuration(0.3, 0, 0, apply, [completion](bool) {
            if (completion)
                completion();
        });
    } else {
        apply();
        if (completion)
            completion();
    }
}

void VPMoviePlayerController::statusBarOrientationWillChange(const std::shared_ptr<NSNotification>& notification)
{
    auto userInfo = notification ? notification->userInfo() : nullptr;
    auto value = userInfo ? std::dynamic_pointer_cast<NSNumber>(userInfo->objectForKey(UIApplicationStatusBarOrientationUserInfoKey)) : nullptr;
    const auto orientation = static_cast<UIInterfaceOrientation>(value ? value->integerValue() : 0);
    rotateMoviePlayerForOrientation(orientation, true, nullptr);
}

void VPMoviePlayerController::setFullscreen(bool fullscreen, bool animated)
{
    NSAssertMainThread();
    const NSTimeInterval duration = animated ? kFullscreenFade : 0;
    auto center = NSNotificationCenter::defaultCenter();
    auto application = UIApplication::sharedApplication();
    std::weak_ptr<VPMoviePlayerController> weakSelf = self();
    if (fullscreen) {
        m_movieFullscreen = true;
        center->postNotificationName(MPMoviePlayerWillEnterFullscreenNotification, nullptr);
        auto window = presentingWindow();
        if (!window)
            return;
        if (CGRectEqualToRect(m_movieBackgroundView->frame(), CGRectZero))
            m_movieBackgroundView->setFrame(window->bounds());
        window->addSubview(m_movieBackgroundView);
        UIView::animateWithDuration(duration, 0, kLinear, [weakSelf] {
            if (auto protectedSelf = weakSelf.lock())
                protectedSelf->m_movieBackgroundView->setAlpha(1);
        }, [weakSelf, duration](bool) {
            auto protectedSelf = weakSelf.lock();
            if (!protectedSelf)
                return;
            protectedSelf->view()->setAlpha(0);
            protectedSelf->m_movieBackgroundView->addSubview(protectedSelf->view());
            UIApplication::sharedApplication()->setStatusBarHidden(true, UIStatusBarAnimation::None);
            // The film takes the window as the window stands: a desktop's is not turned in the
            // hand, and a quarter turn would lay the film and its controls on their side.
            protectedSelf->rotateMoviePlayerForOrientation(
                UIApplication::sharedApplication()->statusBarOrientation(), false, nullptr);
            UIView::animateWithDuration(duration, 0, kLinear, [weakSelf] {
                if (auto player = weakSelf.lock())
                    player->view()->setAlpha(1);
            }, [weakSelf](bool) {
                auto player = weakSelf.lock();
                if (!player)
                    return;
                auto center = NSNotificationCenter::defaultCenter();
                center->postNotificationName(MPMoviePlayerDidEnterFullscreenNotification, nullptr);
                center->addObserver(player, &VPMoviePlayerController::statusBarOrientationWillChange,
                    UIApplicationWillChangeStatusBarOrientationNotification, nullptr);
            });
        });
        return;
    }
    m_movieFullscreen = false;
    center->postNotificationName(MPMoviePlayerWillExitFullscreenNotification, nullptr);
    center->removeObserver(this, UIApplicationWillChangeStatusBarOrientationNotification, nullptr);
    application->setStatusBarHidden(false, UIStatusBarAnimation::None);
    UIView::animateWithDuration(duration, 0, kLinear, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->view()->setAlpha(0);
    }, [weakSelf, duration](bool) {
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf)
            return;
        if (auto delegate = protectedSelf->m_delegate.lock())
            delegate->moviePlayerWillMoveFromWindow();
        protectedSelf->view()->setAlpha(1);
        UIView::animateWithDuration(duration, 0, kLinear, [weakSelf] {
            if (auto player = weakSelf.lock())
                player->m_movieBackgroundView->setAlpha(0);
        }, [weakSelf](bool) {
            auto player = weakSelf.lock();
            if (!player)
                return;
            player->m_movieBackgroundView->removeFromSuperview();
            NSNotificationCenter::defaultCenter()->postNotificationName(MPMoviePlayerDidExitFullscreenNotification, nullptr);
        });
    });
}
