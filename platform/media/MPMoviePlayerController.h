#pragma once
// A movie player: one video at a URL, decoded off the main thread and shown frame by frame in the
// player's view. Playback time advances with the run loop's clock (SystemClock), so it stops when
// the app's clock stops and follows the manual clock in tests; frames are taken from the decoder
// only as that time reaches them. The decoder's state changes (prepared, a seek done, buffering,
// errors) arrive on the main run loop, so preparing and seeking never block it. A stream whose
// data stops coming (its buffer filling, or no frame decoded when one is due) holds its time and
// reports the load state playable and stalled until frames come again, still "playing".
//
// Sound plays through the default audio device at the device volume (MPAudioOutput). With
// CORVANE_AUDIO_SINK=fake in the environment (tests), or on a machine with no audio device, it
// goes to a silent output that only counts what reaches it.

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSObject.h"
#include "platform/net/NSURL.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

#include <atomic>
#include <memory>
#include <vector>

class NSTimer;

enum MPMoviePlaybackState : NSInteger {
    MPMoviePlaybackStateStopped,
    MPMoviePlaybackStatePlaying,
    MPMoviePlaybackStatePaused,
    MPMoviePlaybackStateInterrupted,
    MPMoviePlaybackStateSeekingForward,
    MPMoviePlaybackStateSeekingBackward,
};

using MPMovieLoadState = NSUInteger;
inline constexpr MPMovieLoadState MPMovieLoadStateUnknown = 0;
inline constexpr MPMovieLoadState MPMovieLoadStatePlayable = 1 << 0;
inline constexpr MPMovieLoadState MPMovieLoadStatePlaythroughOK = 1 << 1;
inline constexpr MPMovieLoadState MPMovieLoadStateStalled = 1 << 2;

enum MPMovieFinishReason : NSInteger {
    MPMovieFinishReasonPlaybackEnded,
    MPMovieFinishReasonPlaybackError,
    MPMovieFinishReasonUserExited,
};

enum MPMovieControlStyle : NSInteger {
    MPMovieControlStyleNone,
    MPMovieControlStyleEmbedded,
    MPMovieControlStyleFullscreen,
    MPMovieControlStyleDefault = MPMovieControlStyleEmbedded,
};

enum MPMovieScalingMode : NSInteger {
    MPMovieScalingModeNone,
    MPMovieScalingModeAspectFit,
    MPMovieScalingModeAspectFill,
    MPMovieScalingModeFill,
};

enum MPMovieTimeOption : NSInteger {
    MPMovieTimeOptionNearestKeyFrame,
    MPMovieTimeOptionExact,
};

inline constexpr const char* MPMoviePlayerPlaybackStateDidChangeNotification = "MPMoviePlayerPlaybackStateDidChangeNotification";
inline constexpr const char* MPMoviePlayerLoadStateDidChangeNotification = "MPMoviePlayerLoadStateDidChangeNotification";
inline constexpr const char* MPMovieDurationAvailableNotification = "MPMovieDurationAvailableNotification";
inline constexpr const char* MPMediaPlaybackIsPreparedToPlayDidChangeNotification = "MPMediaPlaybackIsPreparedToPlayDidChangeNotification";
inline constexpr const char* MPMoviePlayerPlaybackDidFinishNotification = "MPMoviePlayerPlaybackDidFinishNotification";
inline constexpr const char* MPMoviePlayerThumbnailImageRequestDidFinishNotification = "MPMoviePlayerThumbnailImageRequestDidFinishNotification";
inline constexpr const char* MPMoviePlayerWillEnterFullscreenNotification = "MPMoviePlayerWillEnterFullscreenNotification";
inline constexpr const char* MPMoviePlayerDidEnterFullscreenNotification = "MPMoviePlayerDidEnterFullscreenNotification";
inline constexpr const char* MPMoviePlayerWillExitFullscreenNotification = "MPMoviePlayerWillExitFullscreenNotification";
inline constexpr const char* MPMoviePlayerDidExitFullscreenNotification = "MPMoviePlayerDidExitFullscreenNotification";

inline constexpr const char* MPMoviePlayerPlaybackDidFinishReasonUserInfoKey = "MPMoviePlayerPlaybackDidFinishReasonUserInfoKey";
inline constexpr const char* MPMoviePlayerPlaybackErrorUserInfoKey = "error";
inline constexpr const char* MPMoviePlayerThumbnailImageKey = "MPMoviePlayerThumbnailImageKey";
inline constexpr const char* MPMoviePlayerThumbnailTimeKey = "MPMoviePlayerThumbnailTimeKey";
inline constexpr const char* MPMoviePlayerThumbnailErrorKey = "MPMoviePlayerThumbnailErrorKey";

inline constexpr const char* MPMoviePlayerErrorDomain = "MPMoviePlayerErrorDomain";

// The device's output volume, 0 to 1, that every movie's sound follows; the volume view's slider
// shows and sets it. Zero mutes.
class MPAudioOutput {
public:
    static float volume();
    // Clamped to 0...1; posts MPAudioOutputVolumeDidChangeNotification when it changes.
    static void setVolume(float volume);
};

inline constexpr const char* MPAudioOutputVolumeDidChangeNotification = "MPAudioOutputVolumeDidChangeNotification";

class MPMoviePlayerController : public NSObject {
    NS_OBJECT(MPMoviePlayerController, NSObject)
public:
    ~MPMoviePlayerController() override;

    const std::shared_ptr<NSURL>& contentURL() const { return m_contentURL; }
    // A new URL stops the current movie without a finish notification, as a fresh start.
    void setContentURL(const std::shared_ptr<NSURL>& url);

    // The view the frames are shown in; its layer's contents are the current frame.
    const std::shared_ptr<UIView>& view() const { return m_view; }
    const std::shared_ptr<UIView>& backgroundView() const { return m_backgroundView; }

    virtual void prepareToPlay();
    bool isPreparedToPlay() const { return m_prepared; }
    virtual void play();
    virtual void pause();
    virtual void stop();

    NSTimeInterval currentPlaybackTime() const { return m_position; }
    virtual void setCurrentPlaybackTime(NSTimeInterval time);
    // Zero pauses; any other rate plays forward at that speed (decoding cannot run backwards).
    float currentPlaybackRate() const { return m_playbackState == MPMoviePlaybackStatePlaying ? m_rate : 0.0f; }
    virtual void setCurrentPlaybackRate(float rate);

    NSTimeInterval duration() const { return m_duration; }
    NSTimeInterval playableDuration() const { return m_playableDuration; }
    NSTimeInterval initialPlaybackTime() const { return m_initialPlaybackTime; }
    void setInitialPlaybackTime(NSTimeInterval time) { m_initialPlaybackTime = time; }
    CGSize naturalSize() const { return m_naturalSize; }

    MPMoviePlaybackState playbackState() const { return m_playbackState; }
    MPMovieLoadState loadState() const { return m_loadState; }

    bool shouldAutoplay() const { return m_shouldAutoplay; }
    void setShouldAutoplay(bool autoplay) { m_shouldAutoplay = autoplay; }

    bool isFullscreen() const { return m_fullscreen; }
    void setFullscreen(bool fullscreen) { setFullscreen(fullscreen, false); }
    virtual void setFullscreen(bool fullscreen, bool animated);
    MPMovieControlStyle controlStyle() const { return m_controlStyle; }
    void setControlStyle(MPMovieControlStyle style) { m_controlStyle = style; }
    MPMovieScalingMode scalingMode() const { return m_scalingMode; }
    void setScalingMode(MPMovieScalingMode mode);

    // Each time (seconds, NSNumber) is answered by one notification carrying the image or an error.
    void requestThumbnailImagesAtTimes(const std::shared_ptr<NSArray>& times, MPMovieTimeOption option);
    void cancelAllThumbnailImageRequests();

    // Sound buffers that reached the audio output since the movie was prepared.
    NSUInteger soundBuffersPlayed() const;
    // Whether the sound is muted now: at zero volume, and while playing at another rate than 1.
    bool isSoundMuted() const;

    // The decoder and its reading thread; opaque to users.
    struct Pipeline;

protected:
    bool init() { return init(nullptr); }
    bool init(const std::shared_ptr<NSURL>& url);

private:
    void tick();
    void advanceTo(NSTimeInterval position);
    void showFrame(const CGImageRef& frame);
    void showPrerolledFrame();
    void completePreparation();
    void decoderSettled();
    void bufferingChanged(int percent);
    void setStarved(bool starved);
    void updateLoadState();
    bool seekTo(NSTimeInterval time);
    void applySoundSettings();
    void finish(MPMovieFinishReason reason, const std::shared_ptr<NSError>& error);
    void setPlaybackState(MPMoviePlaybackState state);
    void setLoadState(MPMovieLoadState state);
    void startTimer();
    void stopTimer();
    void teardown();
    void post(const char* name, const std::shared_ptr<NSDictionary>& userInfo = nullptr);

    std::shared_ptr<NSURL> m_contentURL;
    std::shared_ptr<UIView> m_view;
    std::shared_ptr<UIView> m_backgroundView;
    std::shared_ptr<Pipeline> m_pipeline;
    std::shared_ptr<NSTimer> m_timer;
    NSTimeInterval m_lastTick { 0 };
    NSTimeInterval m_position { 0 };
    float m_rate { 1 };
    NSTimeInterval m_duration { 0 };
    NSTimeInterval m_playableDuration { 0 };
    NSTimeInterval m_initialPlaybackTime { 0 };
    CGSize m_naturalSize { 0, 0 };
    MPMoviePlaybackState m_playbackState { MPMoviePlaybackStateStopped };
    MPMovieLoadState m_loadState { MPMovieLoadStateUnknown };
    MPMovieControlStyle m_controlStyle { MPMovieControlStyleDefault };
    MPMovieScalingMode m_scalingMode { MPMovieScalingModeAspectFit };
    bool m_prepared { false };
    bool m_failed { false };
    // play() came before the movie was prepared: it starts once it is.
    bool m_playWhenPrepared { false };
    // A seek was sent and the decoder has not settled on it yet.
    bool m_seeking { false };
    // Stopped: the decoder is sent back to the start when the film plays again.
    bool m_rewindOnPlay { false };
    // A stream is filling its buffer: the clock holds and frames are not waited for.
    bool m_buffering { false };
    // No frame came while one was due: the data stopped. The clock holds until one is decoded.
    bool m_starved { false };
    // Bumped by cancelAllThumbnailImageRequests and a new URL; older answers are dropped.
    std::shared_ptr<std::atomic<NSUInteger>> m_thumbnailGeneration { std::make_shared<std::atomic<NSUInteger>>(0) };
    bool m_shouldAutoplay { true };
    bool m_fullscreen { false };
};

class UISlider;

// The device volume's slider (MPAudioOutput) and the route button; there is no other route to
// pick, so the route button shows nothing.
class MPVolumeView : public UIView {
    NS_OBJECT(MPVolumeView, UIView)
public:
    ~MPVolumeView() override;

    bool showsVolumeSlider() const { return m_showsVolumeSlider; }
    void setShowsVolumeSlider(bool shows);
    bool showsRouteButton() const { return m_showsRouteButton; }
    void setShowsRouteButton(bool shows) { m_showsRouteButton = shows; }
    const std::shared_ptr<UISlider>& volumeSlider() const { return m_slider; }
    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;

protected:
    void init(CGRect frame) override;

private:
    std::shared_ptr<UISlider> m_slider;
    bool m_showsVolumeSlider { true };
    bool m_showsRouteButton { true };
};
