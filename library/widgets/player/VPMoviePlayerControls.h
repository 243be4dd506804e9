#pragma once
// The movie player's control overlay: a top and a bottom bar with play/pause, fullscreen, seek and
// scale buttons, a duration slider between the elapsed and the total (or remaining) time, the
// volume view and the route button; a spinner over a black veil while the movie loads. It fades in
// and out on taps, hides itself fadeDelay seconds after each interaction, and follows the player's
// notifications. The player is held weakly. Main thread only.

#include "library/widgets/player/VPAirplayView.h"
#include "library/widgets/player/VPButton.h"
#include "library/widgets/player/VPMoviePlayerControlsBar.h"
#include "platform/foundation/NSNotification.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISlider.h"

#include <functional>
#include <optional>

class UIWindow;
class VPMoviePlayerController;

enum VPMoviePlayerControlsStyle : int {
    VPMoviePlayerControlsStyleEmbedded = 0,
    VPMoviePlayerControlsStyleFullscreen = 1,
    VPMoviePlayerControlsStyleDefault = 2,
    VPMoviePlayerControlsStyleNone = 3,
};

enum VPMoviePlayerControlsState : int {
    VPMoviePlayerControlsStateIdle = 0,
    VPMoviePlayerControlsStateLoading = 1,
    VPMoviePlayerControlsStateReady = 2,
};

class VPMoviePlayerControls : public UIView, public VPButtonDelegate, public VPAirplayViewDelegate {
    NS_OBJECT(VPMoviePlayerControls, UIView)
public:
    ~VPMoviePlayerControls() override;

    std::shared_ptr<VPMoviePlayerController> moviePlayer() const { return m_moviePlayer.lock(); }
    VPMoviePlayerControlsStyle style() const { return m_style; }
    // Rebuilds the overlay for the style; the new bars show 0.2 s later.
    void setStyle(VPMoviePlayerControlsStyle style);
    VPMoviePlayerControlsState state() const { return m_state; }
    void setState(VPMoviePlayerControlsState state);
    const UIColorRef& barColor() const { return m_barColor; }
    void setBarColor(const UIColorRef& color);
    CGFloat barHeight() const { return m_barHeight; }
    void setBarHeight(CGFloat height) { m_barHeight = height; setNeedsLayout(); }
    NSTimeInterval fadeDelay() const { return m_fadeDelay; }
    void setFadeDelay(NSTimeInterval delay) { m_fadeDelay = delay; }
    float seekRate() const { return m_seekRate; }
    void setSeekRate(float rate) { m_seekRate = rate; }
    bool timeRemainingDecrements() const { return m_timeRemainingDecrements; }
    void setTimeRemainingDecrements(bool decrements) { m_timeRemainingDecrements = decrements; }
    bool timeTotal() const { return m_timeTotal; }
    void setTimeTotal(bool total) { m_timeTotal = total; }
    bool isShowing() const { return m_showing; }
    const std::shared_ptr<NSTimer>& durationTimer() const { return m_durationTimer; }

    const std::shared_ptr<VPMoviePlayerControlsBar>& topBar() const { return m_topBar; }
    const std::shared_ptr<VPMoviePlayerControlsBar>& bottomBar() const { return m_bottomBar; }
    const std::shared_ptr<UISlider>& durationSlider() const { return m_durationSlider; }
    const std::shared_ptr<VPButton>& playPauseButton() const { return m_playPauseButton; }
    const std::shared_ptr<VPButton>& fullscreenButton() const { return m_fullscreenButton; }
    const std::shared_ptr<VPButton>& seekForwardButton() const { return m_seekForwardButton; }
    const std::shared_ptr<VPButton>& seekBackwardButton() const { return m_seekBackwardButton; }
    const std::shared_ptr<VPButton>& scaleButton() const { return m_scaleButton; }
    const std::shared_ptr<MPVolumeView>& volumeView() const { return m_volumeView; }
    const std::shared_ptr<VPAirplayView>& airplayView() const { return m_airplayView; }
    const std::shared_ptr<UILabel>& timeElapsedLabel() const { return m_timeElapsedLabel; }
    const std::shared_ptr<UILabel>& timeRemainingLabel() const { return m_timeRemainingLabel; }
    const std::shared_ptr<UIView>& activityBackgroundView() const { return m_activityBackgroundView; }
    const std::shared_ptr<UIActivityIndicatorView>& activityIndicator() const { return m_activityIndicator; }

    void showControls(std::function<void()> completion);
    void hideControls(std::function<void()> completion);
    // Toggles the player's own fullscreen (the argument is ignored, as a button's sender).
    void fullscreen(const id& sender);
    void setTimeLabelValues(double currentTime, double totalTime);
    void monitorMoviePlayback();
    void setDurationSliderMaxMinValues();
    // One timer at a time: a running one is replaced.
    void startDurationTimer();
    void stopDurationTimer();
    void showLoadingIndicators();
    void hideLoadingIndicators();
    bool isAirplayShowingInView(const UIViewRef& view) const;

    void playPausePressed(UIButton& button);
    void fullscreenPressed(UIButton& button);
    void seekForwardPressed(UIButton& button);
    void seekBackwardPressed(UIButton& button);
    void scalePressed(UIButton& button);
    void durationSliderTouchBegan(UISlider& slider);
    void durationSliderValueChanged(UISlider& slider);
    void durationSliderTouchEnded(UISlider& slider);

    void buttonTouchedDown(VPButton& button) override;
    void buttonTouchedUpOutside(VPButton& button) override;
    void buttonTouchCancelled(VPButton& button) override;
    void airplayButtonTouchedDown() override;
    void airplayButtonTouchedUpInside() override;
    void airplayButtonTouchedUpOutside() override;
    void airplayButtonTouchFailed() override;

    void layoutSubviews() override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;

protected:
    void init(const std::shared_ptr<VPMoviePlayerController>& moviePlayer, VPMoviePlayerControlsStyle style);

private:
    bool fullscreenLayout() const;
    void setup();
    void resetViews();
    void nilDelegates();
    void addNotifications();
    // Fades the bars in or out; a shown set hides itself again after a while.
    void fadeControls(bool show, std::function<void()> completion);
    void scheduleHide();
    void cancelHide();
    void moviePlaybackStateDidChange(const std::shared_ptr<NSNotification>& notification);
    void movieLoadStateDidChange(const std::shared_ptr<NSNotification>& notification);
    void movieFinished(const std::shared_ptr<NSNotification>& notification);
    void movieDurationAvailable(const std::shared_ptr<NSNotification>& notification);
    void movieContentURLDidChange(const std::shared_ptr<NSNotification>& notification);
    void windowDidBecomeKey(const std::shared_ptr<NSNotification>& notification);
    void windowDidResignKey(const std::shared_ptr<NSNotification>& notification);
    void watchWindowLayers(const std::shared_ptr<UIWindow>& window);
    void stopWatchingWindowLayers();
    // Whether a notification concerns our player (a nil sender concerns every player).
    bool fromOurPlayer(const std::shared_ptr<NSNotification>& notification) const;

    std::weak_ptr<VPMoviePlayerController> m_moviePlayer;
    VPMoviePlayerControlsStyle m_style { VPMoviePlayerControlsStyleDefault };
    VPMoviePlayerControlsState m_state { VPMoviePlayerControlsStateIdle };
    bool m_showing { false };
    NSTimeInterval m_fadeDelay { 5.0 };
    float m_seekRate { 3.0f };
    CGFloat m_barHeight { 70 };
    UIColorRef m_barColor;
    bool m_timeRemainingDecrements { false };
    bool m_timeTotal { false };
    std::shared_ptr<NSTimer> m_durationTimer;
    // On a pad, the key window's layer count when the route picker was asked for.
    int m_windowSubviews { 0 };
    std::optional<NSUInteger> m_windowLayersWatch;

    std::shared_ptr<UIView> m_activityBackgroundView;
    std::shared_ptr<UIActivityIndicatorView> m_activityIndicator;
    std::shared_ptr<VPMoviePlayerControlsBar> m_topBar;
    std::shared_ptr<VPMoviePlayerControlsBar> m_bottomBar;
    std::shared_ptr<UISlider> m_durationSlider;
    std::shared_ptr<VPButton> m_playPauseButton;
    std::shared_ptr<VPButton> m_fullscreenButton;
    std::shared_ptr<VPButton> m_seekForwardButton;
    std::shared_ptr<VPButton> m_seekBackwardButton;
    std::shared_ptr<VPButton> m_scaleButton;
    std::shared_ptr<MPVolumeView> m_volumeView;
    std::shared_ptr<VPAirplayView> m_airplayView;
    std::shared_ptr<UILabel> m_timeElapsedLabel;
    std::shared_ptr<UILabel> m_timeRemainingLabel;
};
