#include "library/widgets/player/VPMoviePlayerControls.h"

#include "library/widgets/player/UIDevice_VPSystemVersion.h"
#include "library/widgets/player/VPMoviePlayerController.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotification.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSString.h"
#include "platform/layers/CALayer.h"
#include "platform/uikit/UIActionSheet.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIWindow.h"

#include <cmath>
#include <utility>

namespace {

constexpr const char* kHideSelector = "hideControls:";
constexpr NSTimeInterval kBarFade = 0.3;
constexpr NSTimeInterval kLoadingFade = 0.2;

// Seconds that are not a number or below zero read as zero, so a label never shows "nan".
double wholeSeconds(double seconds)
{
    return std::isfinite(seconds) && seconds > 0 ? std::floor(seconds) : 0;
}

NSString minutesAndSeconds(double seconds, const char* prefix = "")
{
    const double whole = wholeSeconds(seconds);
    return NSString::stringWithFormat("%s%.0f:%02.0f", prefix, std::floor(whole / 60), std::fmod(whole, 60));
}

std::shared_ptr<UILabel> timeLabel(NSTextAlignment alignment)
{
    auto label = UILabel::create();
    label->setBackgroundColor(UIColor::clearColor());
    label->setFont(UIFont::systemFontOfSize(12));
    label->setTextColor(UIColor::lightTextColor());
    label->setTextAlignment(alignment);
    label->setText("0:00");
    label->layer()->setShadowColor(UIColor::blackColor()->CGColor());
    label->layer()->setShadowRadius(1);
    label->layer()->setShadowOffset(CGSizeMake(1, 1));
    label->layer()->setShadowOpacity(0.8f);
    return label;
}

} // namespace

void VPMoviePlayerControls::init(const std::shared_ptr<VPMoviePlayerController>& moviePlayer, VPMoviePlayerControlsStyle style)
{
    super::init(CGRectZero);
    setBackgroundColor(UIColor::clearColor());
    m_moviePlayer = moviePlayer;
    m_style = style;
    m_showing = false;
    m_barHeight = VPSystemVersion::iOSVersion() >= 7.0f ? 70 : 50;
    m_barColor = UIColor::colorWithWhite(0, 0.5);
    m_state = VPMoviePlayerControlsStateIdle;
    setup();
    addNotifications();
}

VPMoviePlayerControls::~VPMoviePlayerControls()
{
    stopWatchingWindowLayers();
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(this);
    if (m_durationTimer)
        m_durationTimer->invalidate();
}

bool VPMoviePlayerControls::fullscreenLayout() const
{
    if (m_style == VPMoviePlayerControlsStyleFullscreen)
        return true;
    auto player = m_moviePlayer.lock();
    return m_style == VPMoviePlayerControlsStyleDefault && player && player->isFullscreen();
}

void VPMoviePlayerControls::setup()
{
    if (m_style == VPMoviePlayerControlsStyleNone)
        return;
    m_topBar = VPMoviePlayerControlsBar::create();
    m_topBar->setColor(m_barColor);
    m_topBar->setAlpha(0);
    addSubview(m_topBar);
    m_bottomBar = VPMoviePlayerControlsBar::create();
    m_bottomBar->setColor(m_barColor);
    m_bottomBar->setAlpha(0);
    addSubview(m_bottomBar);

    m_durationSlider = UISlider::create();
    m_durationSlider->setValue(0);
    m_durationSlider->setContinuous(true);
    m_durationSlider->addTarget(self(), &VPMoviePlayerControls::durationSliderValueChanged, UIControlEventValueChanged);
    m_durationSlider->addTarget(self(), &VPMoviePlayerControls::durationSliderTouchBegan, UIControlEventTouchDown);
    m_durationSlider->addTarget(self(), &VPMoviePlayerControls::durationSliderTouchEnded,
        UIControlEventTouchUpInside | UIControlEventTouchUpOutside);

    m_timeElapsedLabel = timeLabel(NSTextAlignmentRight);
    m_timeRemainingLabel = timeLabel(NSTextAlignmentLeft);

    m_fullscreenButton = VPButton::create();
    m_fullscreenButton->setDelegate(self());
    m_fullscreenButton->addTarget(self(), &VPMoviePlayerControls::fullscreenPressed, UIControlEventTouchUpInside);

    if (fullscreenLayout()) {
        m_topBar->addSubview(m_durationSlider);
        m_topBar->addSubview(m_timeElapsedLabel);
        m_topBar->addSubview(m_timeRemainingLabel);
        m_fullscreenButton->setTitle("", UIControlStateNormal);
        m_fullscreenButton->setTitleShadowColor(UIColor::blackColor(), UIControlStateNormal);
        m_fullscreenButton->titleLabel()->setShadowOffset(CGSizeMake(1, 1));
        m_fullscreenButton->titleLabel()->setFont(UIFont::systemFontOfSize(14));
        m_topBar->addSubview(m_fullscreenButton);

        m_scaleButton = VPButton::create();
        m_scaleButton->setDelegate(self());
        m_scaleButton->setImage(UIImage::imageNamed("movieEndFullscreen.png"), UIControlStateNormal);
        m_scaleButton->addTarget(self(), &VPMoviePlayerControls::fullscreenPressed, UIControlEventTouchUpInside);
        m_topBar->addSubview(m_scaleButton);

        m_volumeView = MPVolumeView::create();
        m_volumeView->setShowsRouteButton(false);
        m_volumeView->setShowsVolumeSlider(true);
        m_bottomBar->addSubview(m_volumeView);

        m_seekForwardButton = VPButton::create();
        m_seekForwardButton->setImage(UIImage::imageNamed("movieForward.png"), UIControlStateNormal);
        m_seekForwardButton->setImage(UIImage::imageNamed("movieForwardSelected.png"), UIControlStateSelected);
        m_seekForwardButton->setDelegate(self());
        m_seekForwardButton->addTarget(self(), &VPMoviePlayerControls::seekForwardPressed, UIControlEventTouchUpInside);
        m_bottomBar->addSubview(m_seekForwardButton);

        m_seekBackwardButton = VPButton::create();
        m_seekBackwardButton->setImage(UIImage::imageNamed("movieBackward.png"), UIControlStateNormal);
        m_seekBackwardButton->setImage(UIImage::imageNamed("movieBackwardSelected.png"), UIControlStateSelected);
        m_seekBackwardButton->setDelegate(self());
        m_seekBackwardButton->addTarget(self(), &VPMoviePlayerControls::seekBackwardPressed, UIControlEventTouchUpInside);
        m_bottomBar->addSubview(m_seekBackwardButton);
    } else {
        m_bottomBar->addSubview(m_durationSlider);
        m_bottomBar->addSubview(m_timeElapsedLabel);
        m_bottomBar->addSubview(m_timeRemainingLabel);
        m_fullscreenButton->setImage(UIImage::imageNamed("movieFullscreen.png"), UIControlStateNormal);
        m_bottomBar->addSubview(m_fullscreenButton);
    }

    m_playPauseButton = VPButton::create();
    m_playPauseButton->setImage(UIImage::imageNamed("moviePause.png"), UIControlStateNormal);
    m_playPauseButton->setImage(UIImage::imageNamed("moviePlay.png"), UIControlStateSelected);
    auto player = m_moviePlayer.lock();
    m_playPauseButton->setSelected(!player || player->playbackState() != MPMoviePlaybackStatePlaying);
    m_playPauseButton->addTarget(self(), &VPMoviePlayerControls::playPausePressed, UIControlEventTouchUpInside);
    m_playPauseButton->setDelegate(self());
    m_bottomBar->addSubview(m_playPauseButton);

    m_airplayView = VPAirplayView::create();
    m_airplayView->setDelegate(self());
    m_bottomBar->addSubview(m_airplayView);

    m_activityBackgroundView = UIView::create();
    m_activityBackgroundView->setBackgroundColor(UIColor::blackColor());
    m_activityBackgroundView->setAlpha(0);
    m_activityIndicator = UIActivityIndicatorView::create(UIActivityIndicatorViewStyleWhiteLarge);
    m_activityIndicator->setAlpha(0);
    m_activityIndicator->setHidesWhenStopped(true);
    setNeedsLayout();
}

void VPMoviePlayerControls::resetViews()
{
    stopDurationTimer();
    nilDelegates();
    for (const UIViewRef& view : std::initializer_list<UIViewRef> { m_activityBackgroundView, m_activityIndicator, m_topBar, m_bottomBar })
        if (view)
            view->removeFromSuperview();
}

void VPMoviePlayerControls::nilDelegates()
{
    if (m_airplayView)
        m_airplayView->setDelegate(nullptr);
    for (const auto& button : { m_playPauseButton, m_fullscreenButton, m_seekForwardButton, m_seekBackwardButton, m_scaleButton })
        if (button)
            button->setDelegate(nullptr);
}

void VPMoviePlayerControls::addNotifications()
{
    auto center = NSNotificationCenter::defaultCenter();
    center->addObserver(self(), &VPMoviePlayerControls::moviePlaybackStateDidChange, MPMoviePlayerPlaybackStateDidChangeNotification, nullptr);
    center->addObserver(self(), &VPMoviePlayerControls::movieFinished, MPMoviePlayerPlaybackDidFinishNotification, nullptr);
    center->addObserver(self(), &VPMoviePlayerControls::movieContentURLDidChange, VPMoviePlayerContentURLDidChangeNotification, nullptr);
    center->addObserver(self(), &VPMoviePlayerControls::movieDurationAvailable, MPMovieDurationAvailableNotification, nullptr);
    center->addObserver(self(), &VPMoviePlayerControls::movieLoadStateDidChange, MPMoviePlayerLoadStateDidChangeNotification, nullptr);
}

bool VPMoviePlayerControls::fromOurPlayer(const std::shared_ptr<NSNotification>& notification) const
{
    auto player = m_moviePlayer.lock();
    if (!player)
        return false;
    return !notification || !notification->object() || notification->object() == std::static_pointer_cast<NSObject>(player);
}

void VPMoviePlayerControls::scheduleHide()
{
    std::weak_ptr<VPMoviePlayerControls> weakSelf = self();
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(this, kHideSelector, nullptr);
    DelayedPerform::performSelector(self(), kHideSelector, nullptr, m_fadeDelay, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->hideControls(nullptr);
    });
}

void VPMoviePlayerControls::cancelHide()
{
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(this, kHideSelector, nullptr);
}

void VPMoviePlayerControls::layoutSubviews()
{
    super::layoutSubviews();
    if (m_style == VPMoviePlayerControlsStyleNone || !m_bottomBar)
        return;
    const CGFloat w = bounds().size.width;
    const CGFloat h = bounds().size.height;
    const CGFloat b = m_barHeight;
    const CGFloat p = w <= 320 ? 10 : 20;
    const CGFloat q = w <= 320 ? 10 : 30;
    const CGFloat r = w <= 320 ? 20 : 30;
    if (fullscreenLayout()) {
        m_topBar->setFrame(CGRectMake(0, 0, w, b));
        m_fullscreenButton->setFrame(CGRectMake(p, 0, 34, b));
        m_timeElapsedLabel->setFrame(CGRectMake(CGRectGetMaxX(m_fullscreenButton->frame()) + q, 0, 40, b));
        if (m_scaleButton)
            m_scaleButton->setFrame(CGRectMake(m_topBar->frame().size.width - p - 28, b / 2 - 14, 28, 28));
        const CGFloat scaleX = m_scaleButton ? m_scaleButton->frame().origin.x : w - p - 28;
        m_timeRemainingLabel->setFrame(CGRectMake(scaleX - q - 40, 0, 40, b));
        m_bottomBar->setFrame(CGRectMake(0, h - b, w, b));
        m_playPauseButton->setFrame(CGRectMake(m_bottomBar->frame().size.width / 2 - 9, b / 2 - 11, 18, 22));
        if (m_seekForwardButton)
            m_seekForwardButton->setFrame(CGRectMake(CGRectGetMaxX(m_playPauseButton->frame()) + r, b / 2 - 10 + 1, 36, 20));
        if (m_seekBackwardButton)
            m_seekBackwardButton->setFrame(CGRectMake(m_playPauseButton->frame().origin.x - r - 36, b / 2 - 10 + 1, 36, 20));
        if (m_volumeView) {
            if (w <= 320) {
                m_volumeView->setAlpha(0);
            } else {
                m_volumeView->setAlpha(1);
                const bool pad = UIDevice::currentDevice()->userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
                m_volumeView->setFrame(CGRectMake(p, b / 2 - 10, pad ? 210 : 120, 20));
            }
        }
        m_airplayView->setHidden(false);
        m_airplayView->setFrame(CGRectMake(m_bottomBar->frame().size.width - p - 30, b / 2 - 11, 30, 22));
    } else {
        m_bottomBar->setFrame(CGRectMake(0, h - b, w, b));
        m_playPauseButton->setFrame(CGRectMake(p, b / 2 - 11, 18, 22));
        m_timeElapsedLabel->setFrame(CGRectMake(CGRectGetMaxX(m_playPauseButton->frame()) + q, 0, 40, b));
        m_fullscreenButton->setFrame(CGRectMake(m_bottomBar->frame().size.width - p - 28, b / 2 - 14, 28, 28));
        m_airplayView->setFrame(CGRectMake(m_fullscreenButton->frame().origin.x - q - 30, b / 2 - 11, 30, 22));
        m_airplayView->setHidden(true);
        const CGFloat rightX = m_airplayView->isHidden() ? m_fullscreenButton->frame().origin.x : m_airplayView->frame().origin.x;
        m_timeRemainingLabel->setFrame(CGRectMake(rightX - q - 40, 0, 40, b));
    }
    const CGFloat sliderX = CGRectGetMaxX(m_timeElapsedLabel->frame()) + 10;
    const CGFloat sliderWidth = (m_timeRemainingLabel->frame().origin.x - 10) - sliderX;
    m_durationSlider->setFrame(CGRectMake(sliderX, b / 2 - 17, sliderWidth, 34));
    if (m_state == VPMoviePlayerControlsStateLoading) {
        m_activityBackgroundView->setFrame(CGRectMake(0, 0, w, h));
        m_activityIndicator->setFrame(CGRectMake(w / 2 - 20, h / 2 - 20, 40, 40));
    }
}

void VPMoviePlayerControls::showControls(std::function<void()> completion)
{
    fadeControls(true, std::move(completion));
}

void VPMoviePlayerControls::hideControls(std::function<void()> completion)
{
    fadeControls(false, std::move(completion));
}

void VPMoviePlayerControls::fadeControls(bool show, std::function<void()> completion)
{
    NSAssertMainThread();
    if (m_showing == show || !m_bottomBar) {
        if (completion)
            completion();
        return;
    }
    cancelHide();
    const bool withTop = fullscreenLayout();
    if (show) {
        if (withTop)
            m_topBar->setNeedsDisplay();
        m_bottomBar->setNeedsDisplay();
    }
    const CGFloat alpha = show ? 1 : 0;
    std::weak_ptr<VPMoviePlayerControls> weakSelf = self();
    UIView::animateWithDuration(kBarFade, 0, 0, [weakSelf, withTop, alpha] {
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf)
            return;
        if (withTop)
            protectedSelf->m_topBar->setAlpha(alpha);
        protectedSelf->m_bottomBar->setAlpha(alpha);
    }, [weakSelf, completion, show](bool) {
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf)
            return;
        protectedSelf->m_showing = show;
        if (completion)
            completion();
        if (show)
            protectedSelf->scheduleHide();
    });
}

void VPMoviePlayerControls::setStyle(VPMoviePlayerControlsStyle style)
{
    NSAssertMainThread();
    if (style == m_style)
        return;
    const VPMoviePlayerControlsStyle previous = m_style;
    std::weak_ptr<VPMoviePlayerControls> weakSelf = self();
    hideControls([weakSelf, style, previous] {
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf)
            return;
        protectedSelf->resetViews();
        protectedSelf->m_style = style;
        protectedSelf->setup();
        // A style chosen outright stays; a default player only borrows the embedded or the
        // fullscreen style for the layout, and is default again once the bars show. None stays none.
        if (style == VPMoviePlayerControlsStyleNone)
            return;
        dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(0.2 * NSEC_PER_SEC)), dispatch_get_main_queue(), [weakSelf, previous] {
            auto controls = weakSelf.lock();
            if (!controls)
                return;
            controls->setDurationSliderMaxMinValues();
            controls->monitorMoviePlayback();
            controls->startDurationTimer();
            controls->showControls([weakSelf, previous] {
                auto shown = weakSelf.lock();
                if (shown && previous == VPMoviePlayerControlsStyleDefault && shown->m_style != VPMoviePlayerControlsStyleNone)
                    shown->m_style = VPMoviePlayerControlsStyleDefault;
            });
        });
    });
}

void VPMoviePlayerControls::setState(VPMoviePlayerControlsState state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (state == VPMoviePlayerControlsStateReady)
        hideLoadingIndicators();
    else if (state == VPMoviePlayerControlsStateLoading)
        showLoadingIndicators();
}

void VPMoviePlayerControls::setBarColor(const UIColorRef& color)
{
    if (color == m_barColor || (color && m_barColor && color->isEqual(m_barColor)))
        return;
    m_barColor = color;
    if (m_topBar)
        m_topBar->setColor(color);
    if (m_bottomBar)
        m_bottomBar->setColor(color);
}

void VPMoviePlayerControls::showLoadingIndicators()
{
    if (!m_activityBackgroundView)
        return;
    addSubview(m_activityBackgroundView);
    addSubview(m_activityIndicator);
    m_activityIndicator->startAnimating();
    setNeedsLayout();
    std::weak_ptr<VPMoviePlayerControls> weakSelf = self();
    UIView::animateWithDuration(kLoadingFade, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock()) {
            protectedSelf->m_activityBackgroundView->setAlpha(1);
            protectedSelf->m_activityIndicator->setAlpha(1);
        }
    });
}

void VPMoviePlayerControls::hideLoadingIndicators()
{
    if (!m_activityBackgroundView)
        return;
    std::weak_ptr<VPMoviePlayerControls> weakSelf = self();
    UIView::animateWithDuration(kLoadingFade, [weakSelf] {
        if (auto protectedSelf = weakSelf.lock()) {
            protectedSelf->m_activityBackgroundView->setAlpha(0);
            protectedSelf->m_activityIndicator->setAlpha(0);
        }
    }, [weakSelf](bool) {
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf || protectedSelf->m_state == VPMoviePlayerControlsStateLoading)
            return;
        protectedSelf->m_activityBackgroundView->removeFromSuperview();
        protectedSelf->m_activityIndicator->stopAnimating();
        protectedSelf->m_activityIndicator->removeFromSuperview();
    });
}

void VPMoviePlayerControls::fullscreen(const id&)
{
    auto player = m_moviePlayer.lock();
    if (!player)
        return;
    if (m_style == VPMoviePlayerControlsStyleDefault)
        setStyle(player->isFullscreen() ? VPMoviePlayerControlsStyleEmbedded : VPMoviePlayerControlsStyleFullscreen);
    if (player->currentPlaybackRate() != 1.0f && player->playbackState() == MPMoviePlaybackStatePlaying)
        player->setCurrentPlaybackRate(1.0f);
    player->setFullscreen(!player->isFullscreen(), true);
    scheduleHide();
}

void VPMoviePlayerControls::setTimeLabelValues(double currentTime, double totalTime)
{
    const double t = wholeSeconds(currentTime);
    const double total = wholeSeconds(totalTime);
    m_timeElapsedLabel->setText(minutesAndSeconds(t));
    if (m_timeTotal || !m_timeRemainingDecrements)
        m_timeRemainingLabel->setText(minutesAndSeconds(total));
    else
        m_timeRemainingLabel->setText(minutesAndSeconds(total > t ? total - t : 0, "-"));
}

void VPMoviePlayerControls::monitorMoviePlayback()
{
    auto player = m_moviePlayer.lock();
    if (!player || !m_timeElapsedLabel)
        return;
    const double t = wholeSeconds(player->currentPlaybackTime());
    const double total = wholeSeconds(player->duration());
    setTimeLabelValues(t, total);
    m_durationSlider->setValue(static_cast<float>(t));
}

void VPMoviePlayerControls::setDurationSliderMaxMinValues()
{
    auto player = m_moviePlayer.lock();
    if (!player || !m_durationSlider)
        return;
    m_durationSlider->setMinimumValue(0);
    m_durationSlider->setMaximumValue(static_cast<float>(wholeSeconds(player->duration())));
}

void VPMoviePlayerControls::startDurationTimer()
{
    stopDurationTimer();
    std::weak_ptr<VPMoviePlayerControls> weakSelf = self();
    m_durationTimer = NSTimer::timerWithTimeInterval(1.0, [weakSelf](const std::shared_ptr<NSTimer>&) {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->monitorMoviePlayback();
    }, true);
    NSRunLoop::currentRunLoop()->addTimer(m_durationTimer, NSDefaultRunLoopMode);
}

void VPMoviePlayerControls::stopDurationTimer()
{
    if (m_durationTimer)
        m_durationTimer->invalidate();
    m_durationTimer = nullptr;
}

void VPMoviePlayerControls::moviePlaybackStateDidChange(const std::shared_ptr<NSNotification>& notification)
{
    auto player = m_moviePlayer.lock();
    if (!fromOurPlayer(notification) || !m_playPauseButton)
        return;
    switch (player->playbackState()) {
    case MPMoviePlaybackStateStopped:
    case MPMoviePlaybackStatePaused:
        setState(VPMoviePlayerControlsStateIdle);
        m_playPauseButton->setSelected(true);
        stopDurationTimer();
        break;
    case MPMoviePlaybackStatePlaying:
        m_playPauseButton->setSelected(false);
        startDurationTimer();
        if (player->contentURL() && player->contentURL()->isFileURL()) {
            setDurationSliderMaxMinValues();
            showControls(nullptr);
        }
        setState(VPMoviePlayerControlsStateReady);
        break;
    case MPMoviePlaybackStateInterrupted:
        setState(VPMoviePlayerControlsStateLoading);
        break;
    case MPMoviePlaybackStateSeekingForward:
    case MPMoviePlaybackStateSeekingBackward:
        setState(VPMoviePlayerControlsStateReady);
        break;
    }
}

void VPMoviePlayerControls::movieLoadStateDidChange(const std::shared_ptr<NSNotification>& notification)
{
    auto player = m_moviePlayer.lock();
    if (!fromOurPlayer(notification))
        return;
    const MPMovieLoadState state = player->loadState();
    if (state == MPMovieLoadStatePlayable || state == MPMovieLoadStatePlaythroughOK
        || state == (MPMovieLoadStatePlayable | MPMovieLoadStatePlaythroughOK)) {
        showControls(nullptr);
        setState(VPMoviePlayerControlsStateReady);
    }
}

void VPMoviePlayerControls::movieFinished(const std::shared_ptr<NSNotification>& notification)
{
    auto player = m_moviePlayer.lock();
    if (!fromOurPlayer(notification))
        return;
    if (m_playPauseButton)
        m_playPauseButton->setSelected(true);
    stopDurationTimer();
    player->setCurrentPlaybackTime(0);
    monitorMoviePlayback();
    hideControls(nullptr);
    setState(VPMoviePlayerControlsStateIdle);
}

void VPMoviePlayerControls::movieDurationAvailable(const std::shared_ptr<NSNotification>& notification)
{
    if (fromOurPlayer(notification))
        setDurationSliderMaxMinValues();
}

void VPMoviePlayerControls::movieContentURLDidChange(const std::shared_ptr<NSNotification>&)
{
    auto player = m_moviePlayer.lock();
    if (!player)
        return;
    const bool file = player->contentURL() && player->contentURL()->isFileURL();
    std::weak_ptr<VPMoviePlayerControls> weakSelf = self();
    hideControls([weakSelf, file] {
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->setState(file ? VPMoviePlayerControlsStateReady : VPMoviePlayerControlsStateLoading);
    });
}

void VPMoviePlayerControls::playPausePressed(UIButton&)
{
    auto player = m_moviePlayer.lock();
    if (!player)
        return;
    if (player->playbackState() == MPMoviePlaybackStatePlaying)
        player->pause();
    else
        player->play();
    scheduleHide();
}

void VPMoviePlayerControls::fullscreenPressed(UIButton&)
{
    fullscreen(nullptr);
}

void VPMoviePlayerControls::seekForwardPressed(UIButton& button)
{
    auto player = m_moviePlayer.lock();
    if (!player)
        return;
    player->setCurrentPlaybackRate(button.isSelected() ? 1.0f : m_seekRate);
    button.setSelected(!button.isSelected());
    if (m_seekBackwardButton)
        m_seekBackwardButton->setSelected(false);
    if (!button.isSelected())
        scheduleHide();
}

void VPMoviePlayerControls::seekBackwardPressed(UIButton& button)
{
    auto player = m_moviePlayer.lock();
    if (!player)
        return;
    player->setCurrentPlaybackRate(button.isSelected() ? 1.0f : -m_seekRate);
    button.setSelected(!button.isSelected());
    if (m_seekForwardButton)
        m_seekForwardButton->setSelected(false);
    if (!button.isSelected())
        scheduleHide();
}

void VPMoviePlayerControls::scalePressed(UIButton& button)
{
    button.setSelected(!button.isSelected());
    if (auto player = m_moviePlayer.lock())
        player->setScalingMode(button.isSelected() ? MPMovieScalingModeAspectFill : MPMovieScalingModeAspectFit);
}

void VPMoviePlayerControls::durationSliderTouchBegan(UISlider&)
{
    cancelHide();
    if (auto player = m_moviePlayer.lock())
        player->pause();
}

void VPMoviePlayerControls::durationSliderValueChanged(UISlider& slider)
{
    auto player = m_moviePlayer.lock();
    setTimeLabelValues(std::floor(slider.value()), player ? wholeSeconds(player->duration()) : 0);
}

void VPMoviePlayerControls::durationSliderTouchEnded(UISlider& slider)
{
    if (auto player = m_moviePlayer.lock()) {
        player->setCurrentPlaybackTime(std::floor(slider.value()));
        player->play();
    }
    scheduleHide();
}

void VPMoviePlayerControls::buttonTouchedDown(VPButton&)
{
    cancelHide();
}

void VPMoviePlayerControls::buttonTouchedUpOutside(VPButton&)
{
    scheduleHide();
}

void VPMoviePlayerControls::buttonTouchCancelled(VPButton&)
{
    scheduleHide();
}

void VPMoviePlayerControls::airplayButtonTouchedDown()
{
    cancelHide();
}

void VPMoviePlayerControls::airplayButtonTouchedUpOutside()
{
    scheduleHide();
}

void VPMoviePlayerControls::airplayButtonTouchFailed()
{
    scheduleHide();
}

void VPMoviePlayerControls::airplayButtonTouchedUpInside()
{
    cancelHide();
    auto application = UIApplication::sharedApplication();
    std::shared_ptr<UIWindow> window = application->keyWindow();
    if (!window && !application->windows().empty())
        window = application->windows().front();
    // On a pad the route picker is a popover in the window itself: the controls wait for the
    // window's layers to come back to their number before they hide.
    if (window && UIDevice::currentDevice()->userInterfaceIdiom() == UIUserInterfaceIdiom::Pad) {
        watchWindowLayers(window);
        return;
    }
    // Elsewhere it comes up as an action sheet in a window of its own: the controls wait for it
    // to come and go before they hide.
    NSNotificationCenter::defaultCenter()->addObserver(self(), &VPMoviePlayerControls::windowDidBecomeKey, UIWindowDidBecomeKeyNotification, nullptr);
}

// The layers are looked at once per turn of the run loop: each change seen is one the window
// told of, and the one that brings their number back to where it was ends the watch.
void VPMoviePlayerControls::watchWindowLayers(const std::shared_ptr<UIWindow>& window)
{
    stopWatchingWindowLayers();
    auto layers = window->layer()->sublayers();
    m_windowSubviews = static_cast<int>(layers.size());
    std::weak_ptr<UIWindow> weakWindow = window;
    std::weak_ptr<VPMoviePlayerControls> weakSelf = std::static_pointer_cast<VPMoviePlayerControls>(self());
    m_windowLayersWatch = NSRunLoop::mainRunLoop()->addPassObserver([weakSelf, weakWindow, seen = std::move(layers)]() mutable {
        auto protectedSelf = weakSelf.lock();
        auto watched = weakWindow.lock();
        if (!protectedSelf || !watched)
            return;
        auto now = watched->layer()->sublayers();
        if (now == seen)
            return;
        seen = std::move(now);
        if (static_cast<int>(seen.size()) != protectedSelf->m_windowSubviews)
            return;
        // Not from inside the pass: the observer goes on the next turn.
        dispatch_async(dispatch_get_main_queue(), [weakSelf] {
            if (auto controls = weakSelf.lock()) {
                controls->stopWatchingWindowLayers();
                controls->scheduleHide();
            }
        });
    });
}

void VPMoviePlayerControls::stopWatchingWindowLayers()
{
    if (m_windowLayersWatch)
        NSRunLoop::mainRunLoop()->removePassObserver(*std::exchange(m_windowLayersWatch, std::nullopt));
}

void VPMoviePlayerControls::windowDidBecomeKey(const std::shared_ptr<NSNotification>& notification)
{
    auto window = std::dynamic_pointer_cast<UIView>(notification->object());
    if (!window || !isAirplayShowingInView(window))
        return;
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(this, UIWindowDidBecomeKeyNotification, nullptr);
    center->addObserver(self(), &VPMoviePlayerControls::windowDidResignKey, UIWindowDidResignKeyNotification, nullptr);
}

void VPMoviePlayerControls::windowDidResignKey(const std::shared_ptr<NSNotification>& notification)
{
    auto window = std::dynamic_pointer_cast<UIView>(notification->object());
    if (!window || !isAirplayShowingInView(window))
        return;
    NSNotificationCenter::defaultCenter()->removeObserver(this, UIWindowDidResignKeyNotification, nullptr);
    scheduleHide();
}

bool VPMoviePlayerControls::isAirplayShowingInView(const UIViewRef& view) const
{
    if (!view)
        return false;
    for (const auto& subview : view->subviews()) {
        if (std::dynamic_pointer_cast<UIActionSheet>(subview) || isAirplayShowingInView(subview))
            return true;
    }
    return false;
}

void VPMoviePlayerControls::touchesBegan(const UITouchSet&, const UIEventRef&)
{
}

void VPMoviePlayerControls::touchesEnded(const UITouchSet&, const UIEventRef&)
{
    if (m_style == VPMoviePlayerControlsStyleNone)
        return;
    if (m_showing)
        hideControls(nullptr);
    else
        showControls(nullptr);
}
